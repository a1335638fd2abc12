#include "calendarwriter.h"

#include "entity/timezone.h"
#include "icalnames.h"
#include "icaltimes.h"
#include "rulemapping.h"

#include <climits>
#include <cstring>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/icalendar.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

// The range end that the library uses for a rule without end; no UNTIL is written for it.
constexpr int endlessYear = 9999;
constexpr char alarmFallbackText[] = "Reminder";
constexpr int highestPriority = 9;
constexpr int defaultSnoozeInterval = 5;

void addX(icalcomponent* component, const char* name, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    icalproperty* property = icalproperty_new_x(utf8.constData());
    icalproperty_set_x_name(property, name);
    icalcomponent_add_property(component, property);
}

void addXParameter(icalproperty* property, const char* name, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    icalparameter* parameter = icalparameter_new_x(utf8.constData());
    icalparameter_set_xname(parameter, name);
    icalproperty_add_parameter(property, parameter);
}

QString utcText(const QDateTime& instant)
{
    return QString::fromUtf8(icaltime_as_ical_string(ICalTimes::utcTime(instant)));
}

bool isWholeDay(const QDateTime& start, const QDateTime& end)
{
    return start.time() == QTime(0, 0) && end.time() == QTime(23, 59) && start.date() <= end.date();
}

void freeAttachmentText(char* data, void*)
{
    delete[] data;
}

} // namespace

CalendarWriter::CalendarWriter()
    : m_calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT)),
      m_stamp(ICalTimes::utcTime(QDateTime::currentDateTimeUtc()))
{
    icalcomponent_add_property(m_calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(m_calendar.get(), icalproperty_new_prodid(ICalNames::productId));
}

void CalendarWriter::addTodo(Todo* todo)
{
    ComponentHandle handle(icalcomponent_new(ICAL_VTODO_COMPONENT));
    icalcomponent* vtodo = handle.get();
    addIdentity(vtodo, todo);
    addDates(vtodo, todo);
    addState(vtodo, todo);
    if (todo->is_sample && todo->recurrence)
        addRule(vtodo, todo, todo->recurrence);
    if (!todo->is_sample && todo->recurrence && todo->recurrence->sample)
        addX(vtodo, ICalNames::instanceOf, ICalendar::uidOf(todo->recurrence->sample));
    addFields(vtodo, todo);
    for (Binary* binary : *todo->binaries)
        addAttachment(vtodo, binary);
    for (const Alarm* alarm : *todo->alarms)
        addAlarm(vtodo, todo, alarm);
    // Written and freed at once: one small tree at a time stays in the processor's caches,
    // where a tree of every todo would not.
    char* text = icalcomponent_as_ical_string_r(vtodo);
    m_todos.append(text);
    icalmemory_free_buffer(text);
}

QByteArray CalendarWriter::text()
{
    // libical writes the frame with the zones; the todos go before its END line.
    char* frame = icalcomponent_as_ical_string_r(m_calendar.get());
    const QByteArray frameText = QByteArray::fromRawData(frame, int(std::strlen(frame)));
    const int end = frameText.lastIndexOf("END:VCALENDAR");
    QByteArray result;
    result.reserve(frameText.size() + m_todos.size());
    result.append(frameText.constData(), end);
    result.append(m_todos);
    result.append(frameText.constData() + end, frameText.size() - end);
    icalmemory_free_buffer(frame);
    m_todos.clear();
    return result;
}

void CalendarWriter::addIdentity(icalcomponent* vtodo, const Todo* todo) const
{
    const QByteArray uid = ICalendar::uidOf(todo).toUtf8();
    icalcomponent_add_property(vtodo, icalproperty_new_uid(uid.constData()));
    icalcomponent_add_property(vtodo, icalproperty_new_dtstamp(m_stamp));
    icalcomponent_add_property(vtodo,
                               icalproperty_new_created(ICalTimes::utcTime(todo->creation_date)));
    icalcomponent_add_property(
        vtodo, icalproperty_new_lastmodified(ICalTimes::utcTime(todo->lastModDate)));
    if (!todo->note.isEmpty()) {
        const QByteArray note = todo->note.toUtf8();
        icalcomponent_add_property(vtodo, icalproperty_new_summary(note.constData()));
    }
}

void CalendarWriter::addDates(icalcomponent* vtodo, const Todo* todo)
{
    const QDateTime start = todo->startDate(Stored);
    const QDateTime end = todo->endDate(Stored);
    const bool wholeDay = isWholeDay(start, end);
    // A TZID gives the zone of a timed todo; dates and zone strings of other forms need it said.
    if (wholeDay || !ICalTimes::isZoneString(todo->time_zone))
        addX(vtodo, ICalNames::zone, todo->time_zone);
    if (wholeDay) {
        // A date DUE is the day by which the todo is due, the first day after its span.
        icalcomponent_add_property(vtodo,
                                   icalproperty_new_dtstart(ICalTimes::dateOnly(start.date())));
        icalcomponent_add_property(
            vtodo, icalproperty_new_due(ICalTimes::dateOnly(end.date().addDays(1))));
        return;
    }
    const QByteArray zone = zoneId(todo->time_zone);
    icalcomponent_add_property(
        vtodo, zonedTime(icalproperty_new_dtstart(ICalTimes::wallClockTime(start)), zone));
    icalcomponent_add_property(
        vtodo, zonedTime(icalproperty_new_due(ICalTimes::wallClockTime(end)), zone));
}

void CalendarWriter::addState(icalcomponent* vtodo, const Todo* todo) const
{
    icalcomponent_add_property(
        vtodo,
        icalproperty_new_status(todo->is_done ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION));
    if (todo->is_done) {
        icalcomponent_add_property(
            vtodo, icalproperty_new_completed(ICalTimes::utcTime(todo->lastModDate)));
    }
    if (todo->status != 0)
        addX(vtodo, ICalNames::status, QString::number(todo->status));
    if (!todo->format_string.isEmpty())
        addX(vtodo, ICalNames::formatString, todo->format_string);
    if (todo->is_sample)
        addX(vtodo, ICalNames::sample, QStringLiteral("TRUE"));
}

void CalendarWriter::addRule(icalcomponent* vtodo, const Todo* todo, const Recurrence* rule)
{
    const RuleValues values{rule->repeats, rule->repeats_every, rule->repeats_on};
    icalrecurrencetype recurrence;
    const bool expressible = RuleMapping::toRecurrence(values, &recurrence);
    const bool endless = rule->range_end.date().year() >= endlessYear;
    if (expressible) {
        if (!endless) {
            recurrence.until =
                isWholeDay(todo->startDate(Stored), todo->endDate(Stored))
                    ? ICalTimes::dateOnly(todo->toDisplayTime(rule->range_end).date())
                    : ICalTimes::utcTime(rule->range_end);
        }
        icalcomponent_add_property(vtodo, icalproperty_new_rrule(recurrence));
    }
    // The exact values, for the cases where the RRULE alone does not give them back: a kind
    // without RRULE, an interval below 1, a pattern with unused flags, the range's time of day.
    addX(vtodo, ICalNames::ruleKind, QString::number(rule->repeats));
    addX(vtodo, ICalNames::repeatsEvery, QString::number(rule->repeats_every));
    if (!rule->repeats_on.isEmpty())
        addX(vtodo, ICalNames::repeatsOn, rule->repeats_on);
    addX(vtodo, ICalNames::ruleActive,
         rule->is_active ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    addX(vtodo, ICalNames::rangeStart, utcText(rule->range_start));
    addX(vtodo, ICalNames::rangeEnd, utcText(rule->range_end));
    addX(vtodo, ICalNames::instancingDate, utcText(rule->instancing_date));
}

void CalendarWriter::addFields(icalcomponent* vtodo, const Todo* todo) const
{
    static const QString uidType = ICalendar::uidFieldTypeName();
    static const QString categoryType = ICalendar::categoryFieldTypeName();
    static const QString descriptionType = ICalendar::descriptionFieldTypeName();
    static const QString priorityType = ICalendar::priorityFieldTypeName();
    for (const Field* field : *todo->fields) {
        if (!field->fieldType)
            continue;
        const QString& type = field->fieldType->name;
        const QByteArray value = field->value.toUtf8();
        if (type == uidType)
            continue;
        if (type == categoryType && !value.isEmpty()) {
            icalcomponent_add_property(vtodo, icalproperty_new_categories(value.constData()));
            continue;
        }
        if (type == descriptionType && !value.isEmpty()) {
            icalcomponent_add_property(vtodo, icalproperty_new_description(value.constData()));
            continue;
        }
        bool isNumber = false;
        const int priority = field->value.toInt(&isNumber);
        if (type == priorityType && isNumber && priority >= 0 && priority <= highestPriority) {
            icalcomponent_add_property(vtodo, icalproperty_new_priority(priority));
            continue;
        }
        // libical refuses a property without value; an empty value is marked instead.
        icalproperty* property = icalproperty_new_x(value.isEmpty() ? "-" : value.constData());
        icalproperty_set_x_name(property, ICalNames::field);
        addXParameter(property, ICalNames::typeParameter, type);
        if (value.isEmpty())
            addXParameter(property, ICalNames::emptyValueParameter, QStringLiteral("TRUE"));
        if (!field->db_id.isEmpty())
            addXParameter(property, ICalNames::dbIdParameter, field->db_id);
        if (!field->contact_id.isEmpty())
            addXParameter(property, ICalNames::contactIdParameter, field->contact_id);
        icalcomponent_add_property(vtodo, property);
    }
}

void CalendarWriter::addAttachment(icalcomponent* vtodo, Binary* binary) const
{
    // Bytes that were never loaded (or were freed) are read for the export and released again.
    const bool load = binary->data->isEmpty() && binary->size > 0 && binary->id != INT_MIN;
    if (load)
        binary->loadBinaryData();
    const QByteArray base64 = binary->data->toBase64();
    if (load)
        binary->freeBinaryData();
    char* owned = new char[base64.size() + 1];
    std::memcpy(owned, base64.constData(), base64.size() + 1);
    icalattach* attach = icalattach_new_from_data(owned, freeAttachmentText, nullptr);
    icalproperty* property = icalproperty_new_attach(attach);
    icalattach_unref(attach);
    icalproperty_add_parameter(property, icalparameter_new_encoding(ICAL_ENCODING_BASE64));
    icalproperty_add_parameter(property, icalparameter_new_value(ICAL_VALUE_BINARY));
    addXParameter(property, ICalNames::noteParameter, binary->note);
    addXParameter(property, ICalNames::typeParameter, QString::number(binary->type));
    addXParameter(property, ICalNames::sizeParameter, QString::number(binary->size));
    icalcomponent_add_property(vtodo, property);
}

void CalendarWriter::addAlarm(icalcomponent* vtodo, const Todo* todo, const Alarm* alarm) const
{
    icalcomponent* valarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(valarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    const QByteArray text =
        todo->note.isEmpty() ? QByteArray(alarmFallbackText) : todo->note.toUtf8();
    icalcomponent_add_property(valarm, icalproperty_new_description(text.constData()));
    icaltriggertype trigger = icaltriggertype_from_int(0);
    trigger.time = ICalTimes::utcTime(alarm->alarm_time);
    icalproperty* triggerProperty = icalproperty_new_trigger(trigger);
    icalproperty_add_parameter(triggerProperty, icalparameter_new_value(ICAL_VALUE_DATETIME));
    icalcomponent_add_property(valarm, triggerProperty);
    // Only what differs from an alarm of another program: armed, no snooze, 5 minutes.
    if (!alarm->is_active)
        addX(valarm, ICalNames::alarmActive, QStringLiteral("FALSE"));
    if (alarm->snooze != 0)
        addX(valarm, ICalNames::snooze, QString::number(alarm->snooze));
    if (alarm->snooze_interval != defaultSnoozeInterval)
        addX(valarm, ICalNames::snoozeInterval, QString::number(alarm->snooze_interval));
    icalcomponent_add_component(vtodo, valarm);
}

QByteArray CalendarWriter::zoneId(const QString& zone)
{
    QByteArray& id = m_zones[zone];
    if (!id.isEmpty())
        return id;
    id = (QLatin1String(ICalNames::zonePrefix) + zone).toUtf8();
    const int offset = TimeZone::offsetSeconds(zone);
    icalcomponent* timezone = icalcomponent_new(ICAL_VTIMEZONE_COMPONENT);
    icalcomponent_add_property(timezone, icalproperty_new_tzid(id.constData()));
    icalcomponent* standard = icalcomponent_new(ICAL_XSTANDARD_COMPONENT);
    icalcomponent_add_property(standard, icalproperty_new_dtstart(ICalTimes::wallClockTime(
                                             QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC))));
    icalcomponent_add_property(standard, icalproperty_new_tzoffsetfrom(offset));
    icalcomponent_add_property(standard, icalproperty_new_tzoffsetto(offset));
    icalcomponent_add_property(standard, icalproperty_new_tzname(id.constData()));
    icalcomponent_add_component(timezone, standard);
    icalcomponent_add_component(m_calendar.get(), timezone);
    return id;
}

icalproperty* CalendarWriter::zonedTime(icalproperty* property, const QByteArray& zoneId) const
{
    icalproperty_add_parameter(property, icalparameter_new_tzid(zoneId.constData()));
    return property;
}

} // namespace Orvel
