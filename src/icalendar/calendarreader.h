#ifndef ORVEL_ICALENDAR_CALENDARREADER_H
#define ORVEL_ICALENDAR_CALENDARREADER_H

#include "incomingtodo.h"
#include "linetrackingparser.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <libical/ical.h>
#include <utility>
#include <vector>

namespace Orvel {

// Turns parsed calendars into IncomingTodo values: what the library can keep is taken, what it
// cannot becomes a warning, and a value that is not what its property requires is an error.
class CalendarReader
{
public:
    explicit CalendarReader(const ParsedCalendar& parsed);

    // False when the text holds an invalid value; error and errorLine then say where.
    bool read();

    QList<IncomingTodo> todos;
    QStringList warnings;
    QString error;
    int errorLine = 0;

private:
    // A date or date-time property, resolved.
    struct Time
    {
        bool present = false;
        bool isDate = false;
        // Without zone: read in the todo's zone (or the device's).
        bool floating = false;
        QDateTime instant;
        QDateTime wallClock;
        int offset = 0;
    };

    void indexComponents(icalcomponent* component, int* index);
    bool readCalendar(icalcomponent* calendar);
    bool checkLibicalErrors(icalcomponent* component);
    bool failOnLibicalError(const icalcomponent* component, const QString& message);
    bool checkTimezone(icalcomponent* timezone);
    bool readTodo(icalcomponent* vtodo, icalcomponent* calendar);
    bool readTime(icalcomponent* vtodo, icalcomponent* calendar, icalproperty_kind kind,
                  Time* time);
    bool readDates(icalcomponent* vtodo, icalcomponent* calendar, IncomingTodo* todo);
    void settleFloating(Time* time, const QString& zone) const;
    bool readStamps(icalcomponent* vtodo, icalcomponent* calendar, IncomingTodo* todo);
    void readState(icalcomponent* vtodo, IncomingTodo* todo);
    void readExtensions(icalcomponent* vtodo, IncomingTodo* todo);
    void readStandardFields(icalcomponent* vtodo, IncomingTodo* todo);
    bool readRule(icalcomponent* vtodo, IncomingTodo* todo);
    void applyExactRuleValues(icalcomponent* vtodo, const icalrecurrencetype* fileRule,
                              IncomingTodo* todo);
    bool readAttachments(icalcomponent* vtodo, IncomingTodo* todo);
    void readAlarms(icalcomponent* vtodo, IncomingTodo* todo);
    void warnAboutRest(icalcomponent* vtodo);

    QString componentName(const icalcomponent* component) const;
    int lineOf(const icalcomponent* component, const char* property = nullptr) const;
    void warn(const icalcomponent* component, const char* property, const QString& text);
    bool fail(const icalcomponent* component, const char* property, const QString& text);
    void indexProperties(icalcomponent* vtodo);
    icalproperty* firstOf(icalcomponent* component, icalproperty_kind kind) const;
    int countOf(icalproperty_kind kind) const;
    QString xValue(icalcomponent* component, const char* name) const;

    const ParsedCalendar& m_parsed;
    QHash<const icalcomponent*, const ComponentLines*> m_lines;
    // The properties of the VTODO being read, in order, with their kinds.
    const icalcomponent* m_indexed = nullptr;
    std::vector<std::pair<icalproperty_kind, icalproperty*>> m_properties;
};

} // namespace Orvel

#endif
