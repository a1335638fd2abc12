#include "todoformatter.h"

#include "repeatcommand.h"

#include <climits>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/repeats.h>
#include <orvel/todo.h>

namespace {

const char wallClockFormat[] = "yyyy-MM-dd HH:mm";
const char doneMark[] = "[x]";
const char openMark[] = "[ ]";
const char none[] = "none";
const int keyWidth = 15;
const QChar chosen = QLatin1Char('1');

// Positions in the pattern of a monthly rule by week: weeks 1 to 5, the last day, weekdays.
const int lastWeekPosition = 5;
const int lastDayPosition = 6;
const int firstWeekdayPosition = 7;

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString everyText(int every, const char* unit)
{
    return QStringLiteral(", every %1 %2s").arg(every).arg(QLatin1String(unit));
}

const char* unitOf(Orvel::Repeats repeats)
{
    switch (repeats) {
    case Orvel::Daily:
        return "day";
    case Orvel::Weekly:
        return "week";
    case Orvel::Monthly:
        return "month";
    case Orvel::Yearly:
        return "year";
    case Orvel::NoRepeat:
        break;
    }
    return "time";
}

} // namespace

QString TodoFormatter::listLine(const Orvel::Todo* todo)
{
    const QStringList columns = {idText(todo), QLatin1String(todo->is_done ? doneMark : openMark),
                                 todo->readableDate(), escaped(text(todo))};
    return columns.join(QLatin1Char('\t'));
}

QString TodoFormatter::text(const Orvel::Todo* todo)
{
    return todo->format_string.isEmpty() ? todo->note : todo->readableFormatString();
}

QStringList TodoFormatter::details(const Orvel::Todo* todo)
{
    QStringList lines = {entry(QStringLiteral("Id"), QString::number(todo->id)),
                         entry(QStringLiteral("Note"), todo->note)};
    if (!todo->format_string.isEmpty() && todo->format_string != todo->note) {
        lines << entry(QStringLiteral("Format"), todo->format_string)
              << entry(QStringLiteral("Text"), todo->readableFormatString());
    }
    lines << entry(QStringLiteral("Done"), yesNo(todo->is_done))
          << entry(QStringLiteral("Status"), QString::number(todo->status))
          << entry(QStringLiteral("Time zone"), todo->time_zone)
          << entry(QStringLiteral("Start"), wallClock(todo->startDate(Orvel::Stored)))
          << entry(QStringLiteral("End"), wallClock(todo->endDate(Orvel::Stored)))
          << entry(QStringLiteral("Readable date"), todo->readableDate())
          << entry(QStringLiteral("Created"), inZoneOf(todo, todo->creationDate(Orvel::UTC)))
          << entry(QStringLiteral("Modified"),
                   inZoneOf(todo, todo->lastModificationDate(Orvel::UTC)));
    lines << fieldLines(todo) << alarmLines(todo) << attachmentLines(todo) << recurrenceLines(todo);
    return lines;
}

QString TodoFormatter::ruleDescription(const Orvel::Recurrence* recurrence)
{
    const QString& flags = recurrence->repeats_on;
    QString description;
    switch (recurrence->repeats) {
    case Orvel::Daily:
        description = QStringLiteral("daily");
        break;
    case Orvel::Weekly:
        description = QStringLiteral("weekly on ") + chosenWeekdays(flags);
        break;
    case Orvel::Monthly:
        if (!flags.startsWith(chosen)) {
            description = QStringLiteral("monthly on days ") + chosenDays(flags.mid(1));
        } else if (flags.indexOf(chosen, 1) == lastDayPosition) {
            description = QStringLiteral("monthly on the last day");
        } else {
            const int week = flags.indexOf(chosen, 1);
            const QString weekText = week == lastWeekPosition ? QStringLiteral("the last week")
                                                              : QStringLiteral("week %1").arg(week);
            description = QStringLiteral("monthly in %1 on %2")
                              .arg(weekText, chosenWeekdays(flags.mid(firstWeekdayPosition)));
        }
        break;
    case Orvel::Yearly:
        description = QStringLiteral("yearly");
        break;
    case Orvel::NoRepeat:
        description = QStringLiteral("not repeated");
        break;
    }
    if (recurrence->repeats_every > 1)
        description += everyText(recurrence->repeats_every, unitOf(recurrence->repeats));
    if (!recurrence->is_active)
        description += QStringLiteral(" (inactive)");
    return description;
}

QString TodoFormatter::idText(const Orvel::Todo* todo)
{
    if (todo->id != INT_MIN)
        return QString::number(todo->id);
    return QStringLiteral("R") + QString::number(todo->recurrence ? todo->recurrence->id : 0);
}

QString TodoFormatter::escaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar character : text) {
        switch (character.unicode()) {
        case '\\':
            result += QLatin1String("\\\\");
            break;
        case '\t':
            result += QLatin1String("\\t");
            break;
        case '\n':
            result += QLatin1String("\\n");
            break;
        case '\r':
            result += QLatin1String("\\r");
            break;
        default:
            result += character;
        }
    }
    return result;
}

QString TodoFormatter::entry(const QString& key, const QString& value)
{
    return (key + QLatin1Char(':')).leftJustified(keyWidth) + value;
}

QString TodoFormatter::wallClock(const QDateTime& dateTime)
{
    return dateTime.toString(QLatin1String(wallClockFormat));
}

QString TodoFormatter::inZoneOf(const Orvel::Todo* todo, const QDateTime& utc)
{
    return wallClock(todo->toDisplayTime(utc));
}

QStringList TodoFormatter::fieldLines(const Orvel::Todo* todo)
{
    if (todo->fields->isEmpty())
        return {entry(QStringLiteral("Fields"), QLatin1String(none))};
    QStringList lines = {QStringLiteral("Fields:")};
    for (const Orvel::Field* field : *todo->fields) {
        const QString type = field->fieldType ? field->fieldType->name
                                              : QStringLiteral("type %1").arg(field->field_type_id);
        lines << QStringLiteral("  %1 = %2").arg(type, field->value);
    }
    return lines;
}

QStringList TodoFormatter::alarmLines(const Orvel::Todo* todo)
{
    if (todo->alarms->isEmpty())
        return {entry(QStringLiteral("Alarms"), QLatin1String(none))};
    QStringList lines = {QStringLiteral("Alarms:")};
    for (const Orvel::Alarm* alarm : *todo->alarms) {
        lines << QStringLiteral("  %1  %2  %3")
                     .arg(QString::number(alarm->id), wallClock(alarm->alarmTime(Orvel::Stored)),
                          alarm->is_active ? QStringLiteral("active") : QStringLiteral("inactive"));
    }
    return lines;
}

QStringList TodoFormatter::attachmentLines(const Orvel::Todo* todo)
{
    if (todo->binaries->isEmpty())
        return {entry(QStringLiteral("Attachments"), QLatin1String(none))};
    QStringList lines = {QStringLiteral("Attachments:")};
    for (const Orvel::Binary* binary : *todo->binaries) {
        lines << QStringLiteral("  %1  %2  %3 bytes")
                     .arg(QString::number(binary->id), binary->note, QString::number(binary->size));
    }
    return lines;
}

QStringList TodoFormatter::recurrenceLines(const Orvel::Todo* todo)
{
    const Orvel::Recurrence* recurrence = todo->recurrence;
    if (!recurrence) {
        const QString value = todo->recurrence_id < 0
                                  ? QLatin1String(none)
                                  : QStringLiteral("%1 (not found)").arg(todo->recurrence_id);
        return {entry(QStringLiteral("Recurrence"), value)};
    }
    const QDateTime rangeEnd = recurrence->rangeEnd(Orvel::Stored);
    const QString until =
        RepeatCommand::isEndless(recurrence) ? QStringLiteral("open") : wallClock(rangeEnd);
    const QString sample =
        recurrence->sample ? QString::number(recurrence->sample->id) : QLatin1String(none);
    return {entry(QStringLiteral("Recurrence"), QString::number(recurrence->id)),
            entry(QStringLiteral("  Repeats"), ruleDescription(recurrence)),
            entry(QStringLiteral("  From"), wallClock(recurrence->rangeStart(Orvel::Stored))),
            entry(QStringLiteral("  Until"), until),
            entry(QStringLiteral("  Instanced"),
                  inZoneOf(todo, recurrence->instancingDate(Orvel::UTC))),
            entry(QStringLiteral("  Sample"), sample)};
}

QString TodoFormatter::chosenWeekdays(const QString& flags)
{
    QStringList names;
    for (int day = 0; day < 7 && day < flags.size(); ++day) {
        if (flags.at(day) == chosen)
            names << Orvel::Pool::localizedShortWeekDay(day + 1);
    }
    return names.join(QStringLiteral(", "));
}

QString TodoFormatter::chosenDays(const QString& flags)
{
    QStringList days;
    for (int day = 0; day < flags.size(); ++day) {
        if (flags.at(day) == chosen)
            days << QString::number(day + 1);
    }
    return days.join(QStringLiteral(", "));
}
