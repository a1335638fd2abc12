#include "todojson.h"

#include "repeatcommand.h"
#include "todoformatter.h"

#include <QJsonArray>
#include <climits>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace {

const char* repeatsName(Orvel::Repeats repeats)
{
    switch (repeats) {
    case Orvel::Daily:
        return "daily";
    case Orvel::Weekly:
        return "weekly";
    case Orvel::Monthly:
        return "monthly";
    case Orvel::Yearly:
        return "yearly";
    case Orvel::NoRepeat:
        break;
    }
    return "none";
}

QString typeName(const Orvel::Field* field)
{
    return field->fieldType ? field->fieldType->name : QString();
}

} // namespace

QJsonObject TodoJson::toJson(const Orvel::Todo* todo)
{
    QJsonObject byType;
    QJsonObject object{
        {QStringLiteral("id"), idValue(todo->id)},
        {QStringLiteral("rule"), idValue(todo->recurrence ? todo->recurrence->id : INT_MIN)},
        {QStringLiteral("note"), todo->note},
        {QStringLiteral("format"), todo->format_string},
        {QStringLiteral("text"), TodoFormatter::text(todo)},
        {QStringLiteral("done"), todo->is_done},
        {QStringLiteral("status"), todo->status},
        {QStringLiteral("time_zone"), todo->time_zone},
        {QStringLiteral("start"), inTodoOffset(todo, todo->startDate(Orvel::UTC))},
        {QStringLiteral("end"), inTodoOffset(todo, todo->endDate(Orvel::UTC))},
        {QStringLiteral("readable_date"), todo->readableDate()},
        {QStringLiteral("created"), inUtc(todo->creationDate(Orvel::UTC))},
        {QStringLiteral("modified"), inUtc(todo->lastModificationDate(Orvel::UTC))},
        {QStringLiteral("fields"), fields(todo, &byType)},
        {QStringLiteral("alarms"), alarms(todo)},
        {QStringLiteral("attachments"), attachments(todo)},
        {QStringLiteral("recurrence"), recurrence(todo)}};
    object.insert(QStringLiteral("fields_by_type"), byType);
    return object;
}

QJsonValue TodoJson::idValue(int id)
{
    // Records not yet written, such as the occurrences of a rule, have no id.
    return id == INT_MIN ? QJsonValue(QJsonValue::Null) : QJsonValue(id);
}

QString TodoJson::inTodoOffset(const Orvel::Todo* todo, const QDateTime& utc)
{
    // The todo's own conversion gives the offset exactly as the library reads its zone string.
    const QDateTime wallClock = todo->toDisplayTime(utc);
    const int offset = int(utc.secsTo(QDateTime(wallClock.date(), wallClock.time(), Qt::UTC)));
    return utc.toOffsetFromUtc(offset).toString(Qt::ISODate);
}

QString TodoJson::inUtc(const QDateTime& utc)
{
    return utc.toUTC().toString(Qt::ISODate);
}

QJsonValue TodoJson::fields(const Orvel::Todo* todo, QJsonObject* byType)
{
    QJsonArray list;
    for (const Orvel::Field* field : *todo->fields) {
        list.append(QJsonObject{{QStringLiteral("id"), idValue(field->id)},
                                {QStringLiteral("type"), typeName(field)},
                                {QStringLiteral("type_id"), idValue(field->field_type_id)},
                                {QStringLiteral("value"), field->value}});
        QJsonArray values = byType->value(typeName(field)).toArray();
        values.append(field->value);
        byType->insert(typeName(field), values);
    }
    return list;
}

QJsonValue TodoJson::alarms(const Orvel::Todo* todo)
{
    QJsonArray list;
    for (const Orvel::Alarm* alarm : *todo->alarms) {
        list.append(
            QJsonObject{{QStringLiteral("id"), idValue(alarm->id)},
                        {QStringLiteral("time"), inTodoOffset(todo, alarm->alarmTime(Orvel::UTC))},
                        {QStringLiteral("active"), alarm->is_active}});
    }
    return list;
}

QJsonValue TodoJson::attachments(const Orvel::Todo* todo)
{
    QJsonArray list;
    for (const Orvel::Binary* binary : *todo->binaries) {
        list.append(QJsonObject{{QStringLiteral("id"), idValue(binary->id)},
                                {QStringLiteral("name"), binary->note},
                                {QStringLiteral("size"), binary->size}});
    }
    return list;
}

QJsonValue TodoJson::recurrence(const Orvel::Todo* todo)
{
    const Orvel::Recurrence* rule = todo->recurrence;
    if (!rule)
        return QJsonValue(QJsonValue::Null);
    const QDateTime rangeEnd = rule->rangeEnd(Orvel::UTC);
    const bool endless = RepeatCommand::isEndless(rule);
    return QJsonObject{
        {QStringLiteral("id"), idValue(rule->id)},
        {QStringLiteral("repeats"), QLatin1String(repeatsName(rule->repeats))},
        {QStringLiteral("pattern"), rule->repeats_on},
        {QStringLiteral("every"), rule->repeats_every},
        {QStringLiteral("active"), rule->is_active},
        {QStringLiteral("description"), TodoFormatter::ruleDescription(rule)},
        {QStringLiteral("from"), inTodoOffset(todo, rule->rangeStart(Orvel::UTC))},
        {QStringLiteral("until"),
         endless ? QJsonValue(QJsonValue::Null) : QJsonValue(inTodoOffset(todo, rangeEnd))},
        {QStringLiteral("instanced"), inUtc(rule->instancingDate(Orvel::UTC))},
        {QStringLiteral("sample"), idValue(rule->sample ? rule->sample->id : INT_MIN)}};
}
