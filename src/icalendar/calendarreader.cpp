#include "calendarreader.h"

#include "entity/timezone.h"
#include "icalnames.h"
#include "icaltimes.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <orvel/icalendar.h>

namespace Orvel {

namespace {

constexpr int secondsPerDay = 86400;
constexpr int minute = 60;
constexpr char defaultAttachmentNote[] = "Binary data";
// The range end of a rule without end, as the library's front ends write it.
const QDate endlessDate(9999, 12, 1);

// Properties that the reader takes over into the todo (or that only describe the file).
const char* const keptProperties[] = {"UID",        "DTSTAMP",       "DTSTART",    "DUE",
                                      "DURATION",   "SUMMARY",       "STATUS",     "COMPLETED",
                                      "CREATED",    "LAST-MODIFIED", "RRULE",      "ATTACH",
                                      "CATEGORIES", "PRIORITY",      "DESCRIPTION"};

const char* const keptExtensions[] = {
    ICalNames::zone,       ICalNames::status,     ICalNames::formatString,
    ICalNames::sample,     ICalNames::instanceOf, ICalNames::ruleActive,
    ICalNames::ruleKind,   ICalNames::repeatsOn,  ICalNames::repeatsEvery,
    ICalNames::rangeStart, ICalNames::rangeEnd,   ICalNames::instancingDate,
    ICalNames::field};

const char* const ruleParts[] = {"EXDATE", "RDATE", "EXRULE"};

bool isOneOf(const char* name, const char* const* names, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (qstricmp(name, names[i]) == 0)
            return true;
    }
    return false;
}

QString fromUtf8(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QString parameterValue(icalproperty* property, const char* name)
{
    for (icalparameter* parameter = icalproperty_get_first_parameter(property, ICAL_X_PARAMETER);
         parameter; parameter = icalproperty_get_next_parameter(property, ICAL_X_PARAMETER)) {
        if (qstricmp(icalparameter_get_xname(parameter), name) == 0)
            return fromUtf8(icalparameter_get_xvalue(parameter));
    }
    return QString();
}

bool readInt(const QString& text, int* value)
{
    bool ok = false;
    const int read = text.toInt(&ok);
    if (ok)
        *value = read;
    return ok;
}

bool readBool(const QString& text, bool* value)
{
    if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1"))
        *value = true;
    else if (text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0 ||
             text == QLatin1String("0"))
        *value = false;
    else
        return false;
    return true;
}

QDateTime readUtcText(const QString& text)
{
    const icaltimetype time = icaltime_from_string(text.toUtf8().constData());
    if (!ICalTimes::isValid(time) || !icaltime_is_utc(time))
        return QDateTime();
    return ICalTimes::digits(time, Qt::UTC);
}

QDateTime instantInZone(const QDateTime& wallClock, int offset)
{
    QDateTime utc(wallClock.date(), wallClock.time(), Qt::UTC);
    return utc.addSecs(-offset);
}

QString ruleText(icalrecurrencetype rule)
{
    rule.until = icaltime_null_time();
    char* text = icalrecurrencetype_as_string_r(&rule);
    const QString result = fromUtf8(text);
    icalmemory_free_buffer(text);
    return result;
}

} // namespace

CalendarReader::CalendarReader(const ParsedCalendar& parsed) : m_parsed(parsed) {}

bool CalendarReader::read()
{
    int index = 0;
    for (const ComponentHandle& calendar : m_parsed.calendars)
        indexComponents(calendar.get(), &index);
    for (const ComponentHandle& calendar : m_parsed.calendars) {
        if (!readCalendar(calendar.get()))
            return false;
    }
    return true;
}

void CalendarReader::indexComponents(icalcomponent* component, int* index)
{
    // libical keeps the components in the order of the text: a pre-order walk meets them in
    // the order of their BEGIN lines.
    if (*index < static_cast<int>(m_parsed.components.size()))
        m_lines.insert(component, &m_parsed.components[*index]);
    ++*index;
    for (icalcomponent* child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
         child; child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        indexComponents(child, index);
}

bool CalendarReader::readCalendar(icalcomponent* calendar)
{
    if (!checkLibicalErrors(calendar))
        return false;
    for (icalcomponent* child = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT);
         child; child = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        const icalcomponent_kind kind = icalcomponent_isa(child);
        if (kind == ICAL_VTIMEZONE_COMPONENT) {
            if (!checkTimezone(child))
                return false;
        } else if (kind == ICAL_VTODO_COMPONENT) {
            if (!readTodo(child, calendar))
                return false;
        } else {
            warn(child, nullptr,
                 QStringLiteral("%1 skipped: only to-dos are imported").arg(componentName(child)));
        }
    }
    return true;
}

bool CalendarReader::checkLibicalErrors(icalcomponent* component)
{
    icalproperty* problem = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY);
    if (problem)
        return failOnLibicalError(component, fromUtf8(icalproperty_get_xlicerror(problem)));
    if (icalcomponent_isa(component) == ICAL_XLICINVALID_COMPONENT)
        return fail(component, nullptr, QStringLiteral("unknown component"));
    for (icalcomponent* child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
         child; child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
        if (!checkLibicalErrors(child))
            return false;
    }
    return true;
}

bool CalendarReader::failOnLibicalError(const icalcomponent* component, const QString& message)
{
    // libical names the property in its message but not the line: take the line of the
    // property it names, else the component's.
    const ComponentLines* lines = m_lines.value(component);
    static const QRegularExpression words(QStringLiteral("[A-Z][A-Z0-9-]+"));
    QRegularExpressionMatchIterator word = words.globalMatch(message);
    while (lines && word.hasNext()) {
        const QByteArray name = word.next().captured().toUtf8();
        if (const auto* property = lines->find(name.constData(), std::size_t(name.size()))) {
            error = message;
            errorLine = property->second;
            return false;
        }
    }
    return fail(component, nullptr, message);
}

bool CalendarReader::checkTimezone(icalcomponent* timezone)
{
    for (icalcomponent* part = icalcomponent_get_first_component(timezone, ICAL_ANY_COMPONENT);
         part; part = icalcomponent_get_next_component(timezone, ICAL_ANY_COMPONENT)) {
        icalproperty* to = icalcomponent_get_first_property(part, ICAL_TZOFFSETTO_PROPERTY);
        icalproperty* from = icalcomponent_get_first_property(part, ICAL_TZOFFSETFROM_PROPERTY);
        if (!to)
            return fail(part, nullptr, QStringLiteral("TZOFFSETTO missing"));
        if (std::abs(icalproperty_get_tzoffsetto(to)) >= secondsPerDay)
            return fail(part, "TZOFFSETTO", QStringLiteral("invalid offset in TZOFFSETTO"));
        if (from && std::abs(icalproperty_get_tzoffsetfrom(from)) >= secondsPerDay)
            return fail(part, "TZOFFSETFROM", QStringLiteral("invalid offset in TZOFFSETFROM"));
    }
    return true;
}

bool CalendarReader::readTodo(icalcomponent* vtodo, icalcomponent* calendar)
{
    indexProperties(vtodo);
    IncomingTodo todo;
    todo.line = lineOf(vtodo);
    todo.uid = fromUtf8(icalcomponent_get_uid(vtodo));
    if (firstOf(vtodo, ICAL_RECURRENCEID_PROPERTY)) {
        warn(vtodo, "RECURRENCE-ID",
             QStringLiteral("VTODO %1 changes one occurrence of a repeating to-do; skipped")
                 .arg(todo.uid));
        return true;
    }
    if (todo.uid.isEmpty())
        warn(vtodo, nullptr, QStringLiteral("VTODO without UID: a later import creates it again"));
    todo.note = fromUtf8(icalcomponent_get_summary(vtodo));
    if (!readDates(vtodo, calendar, &todo) || !readStamps(vtodo, calendar, &todo) ||
        !readRule(vtodo, &todo) || !readAttachments(vtodo, &todo))
        return false;
    readState(vtodo, &todo);
    readExtensions(vtodo, &todo);
    readStandardFields(vtodo, &todo);
    readAlarms(vtodo, &todo);
    warnAboutRest(vtodo);
    todos.append(todo);
    return true;
}

bool CalendarReader::readTime(icalcomponent* vtodo, icalcomponent* calendar, icalproperty_kind kind,
                              Time* time)
{
    icalproperty* property = firstOf(vtodo, kind);
    if (!property)
        return true;
    const char* name = icalproperty_kind_to_string(kind);
    const icalvalue* value = icalproperty_get_value(property);
    const icalvalue_kind valueKind = value ? icalvalue_isa(value) : ICAL_NO_VALUE;
    if (valueKind != ICAL_DATETIME_VALUE && valueKind != ICAL_DATE_VALUE)
        return fail(vtodo, name,
                    QStringLiteral("%1 is not a date or date-time").arg(fromUtf8(name)));
    const icaltimetype value_time = icalvalue_get_datetime(value);
    if (!ICalTimes::isValid(value_time))
        return fail(vtodo, name, QStringLiteral("invalid date in %1").arg(fromUtf8(name)));
    time->present = true;
    time->isDate = value_time.is_date;
    // The digits only; labelled UTC because a local label would make Qt look up the device's zone.
    time->wallClock = ICalTimes::digits(value_time, Qt::UTC);
    if (time->isDate) {
        time->floating = true;
        return true;
    }
    if (icaltime_is_utc(value_time)) {
        time->instant = ICalTimes::digits(value_time, Qt::UTC);
        return true;
    }
    const char* zoneId = icalproperty_get_parameter_as_string(property, "TZID");
    icaltimezone* zone = nullptr;
    if (zoneId) {
        zone = icalcomponent_get_timezone(calendar, zoneId);
        if (!zone)
            zone = icaltimezone_get_builtin_timezone(zoneId);
        if (!zone) {
            warn(vtodo, name,
                 QStringLiteral("unknown TZID %1 in %2: taken as local time")
                     .arg(fromUtf8(zoneId), fromUtf8(name)));
        }
    }
    if (!zone) {
        time->floating = true;
        return true;
    }
    icaltimetype local = value_time;
    int isDaylight = 0;
    time->offset = icaltimezone_get_utc_offset(zone, &local, &isDaylight);
    time->instant = instantInZone(time->wallClock, time->offset);
    return true;
}

bool CalendarReader::readDates(icalcomponent* vtodo, icalcomponent* calendar, IncomingTodo* todo)
{
    Time start;
    Time due;
    if (!readTime(vtodo, calendar, ICAL_DTSTART_PROPERTY, &start) ||
        !readTime(vtodo, calendar, ICAL_DUE_PROPERTY, &due))
        return false;
    const QString exactZone = xValue(vtodo, ICalNames::zone);
    if (!exactZone.isEmpty() && !ICalTimes::isZoneString(exactZone))
        warn(vtodo, ICalNames::zone, QStringLiteral("invalid %1 dropped").arg(ICalNames::zone));
    const QString zone = ICalTimes::isZoneString(exactZone) ? exactZone : QString();
    settleFloating(&start, zone);
    settleFloating(&due, zone);
    icalproperty* duration = firstOf(vtodo, ICAL_DURATION_PROPERTY);
    const Time& first = start.present ? start : due;
    if (!first.present) {
        todo->zone = zone;
        return true;
    }
    todo->hasDates = true;
    todo->zone = zone.isEmpty() ? TimeZone::zoneString(first.offset) : zone;
    const int offset = TimeZone::offsetSeconds(todo->zone);
    // A date DUE is the day by which the todo is due: its span ends the minute before.
    const QTime lastMinute(23, 59);
    if (!start.present) {
        todo->end =
            due.isDate
                ? instantInZone(QDateTime(due.wallClock.date().addDays(-1), lastMinute, Qt::UTC),
                                offset)
                : due.instant;
        todo->start =
            due.isDate
                ? instantInZone(QDateTime(due.wallClock.date().addDays(-1), QTime(0, 0), Qt::UTC),
                                offset)
                : due.instant;
        return true;
    }
    todo->start = start.instant;
    if (due.present) {
        todo->end =
            due.isDate
                ? instantInZone(QDateTime(due.wallClock.date().addDays(-1), lastMinute, Qt::UTC),
                                offset)
                : due.instant;
    } else if (duration) {
        const int seconds = icaldurationtype_as_int(icalproperty_get_duration(duration));
        todo->end = todo->start.addSecs(start.isDate ? seconds - minute : seconds);
    } else {
        todo->end = start.isDate ? todo->start.addSecs(secondsPerDay - minute) : todo->start;
    }
    if (todo->end < todo->start)
        todo->end = start.isDate ? todo->start.addSecs(secondsPerDay - minute) : todo->start;
    return true;
}

void CalendarReader::settleFloating(Time* time, const QString& zone) const
{
    if (!time->present || !time->floating)
        return;
    // Without a zone of its own, a time is read in the todo's zone, else in the device's.
    if (!zone.isEmpty()) {
        time->offset = TimeZone::offsetSeconds(zone);
        time->instant = instantInZone(time->wallClock, time->offset);
        return;
    }
    time->instant =
        QDateTime(time->wallClock.date(), time->wallClock.time(), Qt::LocalTime).toUTC();
    time->offset = ICalTimes::deviceOffset(time->instant);
}

bool CalendarReader::readStamps(icalcomponent* vtodo, icalcomponent* calendar, IncomingTodo* todo)
{
    Time stamp;
    Time created;
    Time modified;
    if (!readTime(vtodo, calendar, ICAL_DTSTAMP_PROPERTY, &stamp) ||
        !readTime(vtodo, calendar, ICAL_CREATED_PROPERTY, &created) ||
        !readTime(vtodo, calendar, ICAL_LASTMODIFIED_PROPERTY, &modified))
        return false;
    settleFloating(&stamp, todo->zone);
    settleFloating(&created, todo->zone);
    settleFloating(&modified, todo->zone);
    // Without LAST-MODIFIED the stamp of the export stands for the last change.
    todo->lastModified = modified.present ? modified.instant : stamp.instant;
    todo->created = created.present ? created.instant : todo->lastModified;
    Time completed;
    return readTime(vtodo, calendar, ICAL_COMPLETED_PROPERTY, &completed);
}

void CalendarReader::readState(icalcomponent* vtodo, IncomingTodo* todo)
{
    // A completion time says the todo was completed, whatever STATUS a program left beside it.
    icalproperty* status = firstOf(vtodo, ICAL_STATUS_PROPERTY);
    const icalproperty_status value = status ? icalproperty_get_status(status) : ICAL_STATUS_NONE;
    todo->done =
        value == ICAL_STATUS_COMPLETED || firstOf(vtodo, ICAL_COMPLETED_PROPERTY) != nullptr;
    if (value == ICAL_STATUS_CANCELLED)
        warn(vtodo, "STATUS", QStringLiteral("STATUS:CANCELLED kept as not done"));
}

void CalendarReader::readExtensions(icalcomponent* vtodo, IncomingTodo* todo)
{
    const QString status = xValue(vtodo, ICalNames::status);
    if (!status.isEmpty() && !readInt(status, &todo->status))
        warn(vtodo, ICalNames::status, QStringLiteral("invalid %1 dropped").arg(ICalNames::status));
    todo->formatString = xValue(vtodo, ICalNames::formatString);
    bool sample = false;
    if (readBool(xValue(vtodo, ICalNames::sample), &sample) && sample && !todo->hasRule &&
        firstOf(vtodo, ICAL_RRULE_PROPERTY) == nullptr &&
        xValue(vtodo, ICalNames::ruleKind).isEmpty())
        todo->isSample = true;
    todo->instanceOf = xValue(vtodo, ICalNames::instanceOf);
    for (const auto& entry : m_properties) {
        if (entry.first != ICAL_X_PROPERTY)
            continue;
        icalproperty* property = entry.second;
        if (qstricmp(icalproperty_get_x_name(property), ICalNames::field) != 0)
            continue;
        IncomingField field;
        field.typeName = parameterValue(property, ICalNames::typeParameter);
        bool empty = false;
        readBool(parameterValue(property, ICalNames::emptyValueParameter), &empty);
        field.value = empty ? QString() : fromUtf8(icalproperty_get_x(property));
        field.dbId = parameterValue(property, ICalNames::dbIdParameter);
        field.contactId = parameterValue(property, ICalNames::contactIdParameter);
        todo->fields.append(field);
    }
}

void CalendarReader::readStandardFields(icalcomponent* vtodo, IncomingTodo* todo)
{
    for (const auto& entry : m_properties) {
        if (entry.first != ICAL_CATEGORIES_PROPERTY)
            continue;
        icalproperty* property = entry.second;
        todo->fields.append({ICalendar::categoryFieldTypeName(),
                             fromUtf8(icalproperty_get_categories(property)),
                             {},
                             {}});
    }
    if (icalproperty* priority = firstOf(vtodo, ICAL_PRIORITY_PROPERTY)) {
        todo->fields.append({ICalendar::priorityFieldTypeName(),
                             QString::number(icalproperty_get_priority(priority)),
                             {},
                             {}});
    }
    if (icalproperty* description = firstOf(vtodo, ICAL_DESCRIPTION_PROPERTY)) {
        todo->fields.append({ICalendar::descriptionFieldTypeName(),
                             fromUtf8(icalproperty_get_description(description)),
                             {},
                             {}});
    }
}

bool CalendarReader::readRule(icalcomponent* vtodo, IncomingTodo* todo)
{
    icalproperty* rrule = firstOf(vtodo, ICAL_RRULE_PROPERTY);
    const bool exactKindOnly = !rrule && xValue(vtodo, ICalNames::ruleKind) == QLatin1String("0");
    if (!rrule && !exactKindOnly)
        return true;
    QStringList dropped;
    icalrecurrencetype recurrence;
    icalrecurrencetype_clear(&recurrence);
    if (rrule) {
        recurrence = icalproperty_get_rrule(rrule);
        if (countOf(ICAL_RRULE_PROPERTY) > 1)
            dropped.append(QStringLiteral("a second RRULE"));
        // The weekday and the day of the month of a rule come from its start; without one there
        // is nothing to map.
        if (todo->hasDates && todo->start.isValid()) {
            const QDate startDate = todo->start.addSecs(TimeZone::offsetSeconds(todo->zone)).date();
            RuleMapping::fromRecurrence(recurrence, startDate, &todo->rule.values, &dropped);
        } else {
            dropped.append(QStringLiteral("a rule without DTSTART"));
        }
    }
    for (const char* name : ruleParts) {
        if (firstOf(vtodo, icalproperty_string_to_kind(name)))
            dropped.append(QString::fromLatin1(name));
    }
    if (!dropped.isEmpty()) {
        const QString text = rrule ? fromUtf8(icalproperty_get_value_as_string(rrule)) : QString();
        warn(vtodo, "RRULE",
             QStringLiteral("repetition RRULE:%1 dropped (%2 cannot be kept): "
                            "imported without repetition")
                 .arg(text, dropped.join(QStringLiteral(", "))));
        return true;
    }
    todo->hasRule = true;
    todo->isSample = true;
    IncomingRule& rule = todo->rule;
    rule.rangeStart = todo->start;
    rule.instancingDate = todo->start;
    const int offset = TimeZone::offsetSeconds(todo->zone);
    const icaltimetype until = recurrence.until;
    if (!rrule || icaltime_is_null_time(until))
        rule.rangeEnd = instantInZone(QDateTime(endlessDate, QTime(0, 0), Qt::UTC), offset);
    else if (until.is_date)
        rule.rangeEnd =
            instantInZone(ICalTimes::digits(until, Qt::UTC).addSecs(secondsPerDay - 1), offset);
    else if (icaltime_is_utc(until))
        rule.rangeEnd = ICalTimes::digits(until, Qt::UTC);
    else
        rule.rangeEnd = instantInZone(ICalTimes::digits(until, Qt::UTC), offset);
    applyExactRuleValues(vtodo, rrule ? &recurrence : nullptr, todo);
    return true;
}

void CalendarReader::applyExactRuleValues(icalcomponent* vtodo, const icalrecurrencetype* fileRule,
                                          IncomingTodo* todo)
{
    IncomingRule& rule = todo->rule;
    RuleValues exact;
    int kind = -1;
    // The exact values count only while they still say what the RRULE says: another program
    // may have changed the RRULE and kept the extensions.
    if (readInt(xValue(vtodo, ICalNames::ruleKind), &kind) &&
        readInt(xValue(vtodo, ICalNames::repeatsEvery), &exact.every)) {
        exact.repeats = static_cast<Repeats>(kind);
        exact.repeatsOn = xValue(vtodo, ICalNames::repeatsOn);
        icalrecurrencetype expressed;
        const bool expressible = RuleMapping::toRecurrence(exact, &expressed);
        if (fileRule ? expressible && ruleText(expressed) == ruleText(*fileRule) : kind == NoRepeat)
            rule.values = exact;
    }
    const QDateTime rangeEnd = readUtcText(xValue(vtodo, ICalNames::rangeEnd));
    const int offset = TimeZone::offsetSeconds(todo->zone);
    if (rangeEnd.isValid() &&
        (!fileRule || rangeEnd.addSecs(offset).date() == rule.rangeEnd.addSecs(offset).date()))
        rule.rangeEnd = rangeEnd;
    const QDateTime rangeStart = readUtcText(xValue(vtodo, ICalNames::rangeStart));
    if (rangeStart.isValid())
        rule.rangeStart = rangeStart;
    const QDateTime instancing = readUtcText(xValue(vtodo, ICalNames::instancingDate));
    if (instancing.isValid())
        rule.instancingDate = instancing;
    readBool(xValue(vtodo, ICalNames::ruleActive), &rule.active);
}

bool CalendarReader::readAttachments(icalcomponent* vtodo, IncomingTodo* todo)
{
    for (const auto& entry : m_properties) {
        if (entry.first != ICAL_ATTACH_PROPERTY)
            continue;
        icalproperty* property = entry.second;
        icalattach* attach = icalproperty_get_attach(property);
        if (!attach || icalattach_get_is_url(attach)) {
            warn(vtodo, "ATTACH", QStringLiteral("ATTACH with a URL dropped"));
            continue;
        }
        const char* text = reinterpret_cast<const char*>(icalattach_get_data(attach));
        const QByteArray base64 = QByteArray::fromRawData(text, text ? int(std::strlen(text)) : 0);
        const QByteArray::FromBase64Result decoded =
            QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return fail(vtodo, "ATTACH", QStringLiteral("ATTACH holds no valid base64 data"));
        IncomingAttachment attachment;
        attachment.data = decoded.decoded;
        attachment.note = parameterValue(property, ICalNames::noteParameter);
        if (attachment.note.isEmpty())
            attachment.note = QLatin1String(defaultAttachmentNote);
        readInt(parameterValue(property, ICalNames::typeParameter), &attachment.type);
        attachment.size = attachment.data.size();
        readInt(parameterValue(property, ICalNames::sizeParameter), &attachment.size);
        todo->attachments.append(attachment);
    }
    return true;
}

void CalendarReader::readAlarms(icalcomponent* vtodo, IncomingTodo* todo)
{
    for (icalcomponent* valarm = icalcomponent_get_first_component(vtodo, ICAL_VALARM_COMPONENT);
         valarm; valarm = icalcomponent_get_next_component(vtodo, ICAL_VALARM_COMPONENT)) {
        icalproperty* triggerProperty =
            icalcomponent_get_first_property(valarm, ICAL_TRIGGER_PROPERTY);
        if (!triggerProperty) {
            warn(valarm, nullptr, QStringLiteral("VALARM without TRIGGER dropped"));
            continue;
        }
        const icaltriggertype trigger = icalproperty_get_trigger(triggerProperty);
        IncomingAlarm alarm;
        if (!icaltime_is_null_time(trigger.time)) {
            alarm.time = ICalTimes::digits(trigger.time, Qt::UTC);
        } else if (todo->hasDates) {
            const char* related = icalproperty_get_parameter_as_string(triggerProperty, "RELATED");
            const bool fromEnd = related && qstricmp(related, "END") == 0;
            alarm.time = (fromEnd ? todo->end : todo->start)
                             .addSecs(icaldurationtype_as_int(trigger.duration));
        } else {
            warn(valarm, "TRIGGER",
                 QStringLiteral("VALARM relative to a to-do without dates dropped"));
            continue;
        }
        readBool(xValue(valarm, ICalNames::alarmActive), &alarm.active);
        readInt(xValue(valarm, ICalNames::snooze), &alarm.snooze);
        readInt(xValue(valarm, ICalNames::snoozeInterval), &alarm.snoozeInterval);
        if (icalcomponent_get_first_property(valarm, ICAL_REPEAT_PROPERTY))
            warn(valarm, "REPEAT", QStringLiteral("REPEAT of a VALARM dropped"));
        todo->alarms.append(alarm);
    }
}

void CalendarReader::warnAboutRest(icalcomponent* vtodo)
{
    // Several values of one property (libical splits them) give one warning.
    QSet<QByteArray> warned;
    // Asked before the walk: libical has one property iterator per component.
    const bool hasRule = firstOf(vtodo, ICAL_RRULE_PROPERTY) != nullptr;
    for (const auto& entry : m_properties) {
        icalproperty* property = entry.second;
        const char* name = icalproperty_get_property_name(property);
        if (!name || isOneOf(name, keptProperties, std::size(keptProperties)) ||
            isOneOf(name, keptExtensions, std::size(keptExtensions)) || warned.contains(name))
            continue;
        // With a rule, these are named in the warning about the rule.
        if (hasRule && isOneOf(name, ruleParts, std::size(ruleParts)))
            continue;
        warned.insert(name);
        warn(vtodo, name, QStringLiteral("%1 dropped").arg(fromUtf8(name)));
    }
    for (icalcomponent* child = icalcomponent_get_first_component(vtodo, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(vtodo, ICAL_ANY_COMPONENT)) {
        if (icalcomponent_isa(child) != ICAL_VALARM_COMPONENT)
            warn(child, nullptr,
                 QStringLiteral("%1 inside VTODO dropped").arg(componentName(child)));
    }
}

QString CalendarReader::componentName(const icalcomponent* component) const
{
    const ComponentLines* lines = m_lines.value(component);
    return lines ? QString::fromUtf8(lines->name) : QString();
}

int CalendarReader::lineOf(const icalcomponent* component, const char* property) const
{
    const ComponentLines* lines = m_lines.value(component);
    if (!lines)
        return 0;
    return property ? lines->lineOf(property) : lines->beginLine;
}

void CalendarReader::warn(const icalcomponent* component, const char* property, const QString& text)
{
    warnings.append(QStringLiteral("line %1: %2").arg(lineOf(component, property)).arg(text));
}

bool CalendarReader::fail(const icalcomponent* component, const char* property, const QString& text)
{
    error = text;
    errorLine = lineOf(component, property);
    return false;
}

void CalendarReader::indexProperties(icalcomponent* vtodo)
{
    // libical finds a property of a kind by walking the component's list from the front; one
    // walk here replaces the thirty or so that reading a VTODO would take.
    m_indexed = vtodo;
    m_properties.clear();
    for (icalproperty* property = icalcomponent_get_first_property(vtodo, ICAL_ANY_PROPERTY);
         property; property = icalcomponent_get_next_property(vtodo, ICAL_ANY_PROPERTY))
        m_properties.emplace_back(icalproperty_isa(property), property);
}

icalproperty* CalendarReader::firstOf(icalcomponent* component, icalproperty_kind kind) const
{
    if (component != m_indexed)
        return icalcomponent_get_first_property(component, kind);
    for (const auto& entry : m_properties) {
        if (entry.first == kind)
            return entry.second;
    }
    return nullptr;
}

int CalendarReader::countOf(icalproperty_kind kind) const
{
    return static_cast<int>(
        std::count_if(m_properties.begin(), m_properties.end(),
                      [kind](const auto& entry) { return entry.first == kind; }));
}

QString CalendarReader::xValue(icalcomponent* component, const char* name) const
{
    if (component == m_indexed) {
        for (const auto& entry : m_properties) {
            if (entry.first == ICAL_X_PROPERTY &&
                qstricmp(icalproperty_get_x_name(entry.second), name) == 0)
                return fromUtf8(icalproperty_get_x(entry.second));
        }
        return QString();
    }
    for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_X_PROPERTY);
         property; property = icalcomponent_get_next_property(component, ICAL_X_PROPERTY)) {
        if (qstricmp(icalproperty_get_x_name(property), name) == 0)
            return fromUtf8(icalproperty_get_x(property));
    }
    return QString();
}

} // namespace Orvel
