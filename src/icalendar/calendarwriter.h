#ifndef ORVEL_ICALENDAR_CALENDARWRITER_H
#define ORVEL_ICALENDAR_CALENDARWRITER_H

#include "icalhandles.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

namespace Orvel {

class Alarm;
class Binary;
class Field;
class Recurrence;
class Todo;

// Builds one VCALENDAR from todos: a VTODO per todo and a fixed-offset VTIMEZONE per distinct
// zone string among them.
class CalendarWriter
{
public:
    CalendarWriter();

    void addTodo(Todo* todo);
    // The calendar as UTF-8 text with CRLF line ends, folded by libical.
    QByteArray text();

private:
    void addIdentity(icalcomponent* vtodo, const Todo* todo) const;
    void addDates(icalcomponent* vtodo, const Todo* todo);
    void addState(icalcomponent* vtodo, const Todo* todo) const;
    void addRule(icalcomponent* vtodo, const Todo* todo, const Recurrence* rule);
    void addFields(icalcomponent* vtodo, const Todo* todo) const;
    void addAttachment(icalcomponent* vtodo, Binary* binary) const;
    void addAlarm(icalcomponent* vtodo, const Todo* todo, const Alarm* alarm) const;
    // The TZID of the todo's zone, adding its VTIMEZONE on first use.
    QByteArray zoneId(const QString& zone);
    icalproperty* zonedTime(icalproperty* property, const QByteArray& zoneId) const;

    ComponentHandle m_calendar;
    // The VTODOs written so far.
    QByteArray m_todos;
    // TZID of each zone string met so far.
    QHash<QString, QByteArray> m_zones;
    icaltimetype m_stamp;
};

} // namespace Orvel

#endif
