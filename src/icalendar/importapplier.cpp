#include "importapplier.h"

#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/icalendar.h>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

// A record that the import took off a todo: soft-deleted, so that its row goes at the next
// synchronisation, and handed back to the pool, which frees it once that row is written.
void retire(Pool* pool, Entity* record)
{
    record->setIsDeleted(true);
    pool->disposeDeleted(record);
}

} // namespace

ImportApplier::ImportApplier(Pool* pool, ICalendarImportReport* report)
    : m_pool(pool), m_report(report)
{}

void ImportApplier::apply(const QList<IncomingTodo>& incoming)
{
    indexExisting();
    for (const IncomingTodo& todo : incoming)
        applyOne(todo);
    // Rules may come after their instances in the file: link once every todo is there.
    for (const auto& written : qAsConst(m_written))
        linkInstance(written.first, *written.second);
    // Every setter stamped the records with the current time; the file's time replaces it, so
    // that a second import of the same file finds nothing newer.
    for (const auto& written : qAsConst(m_written)) {
        if (written.second->lastModified.isValid())
            written.first->lastModDate = written.second->lastModified;
    }
}

void ImportApplier::indexExisting()
{
    for (FieldType* type : *m_pool->fieldTypes) {
        if (!m_fieldTypes.contains(type->name))
            m_fieldTypes.insert(type->name, type);
    }
    for (QList<Todo*>* list : {m_pool->todos, m_pool->samples}) {
        for (Todo* todo : *list)
            m_byUid.insert(ICalendar::uidOf(todo), todo);
    }
}

void ImportApplier::applyOne(const IncomingTodo& incoming)
{
    Todo* existing = incoming.uid.isEmpty() ? nullptr : m_byUid.value(incoming.uid);
    if (!existing) {
        Todo* todo = create(incoming);
        if (!incoming.uid.isEmpty())
            m_byUid.insert(incoming.uid, todo);
        m_written.append(qMakePair(todo, &incoming));
        ++m_report->created;
        return;
    }
    // Times in the file are whole seconds; the todo's own may carry milliseconds.
    const QDateTime own = existing->lastModDate.addMSecs(-existing->lastModDate.time().msec());
    if (!incoming.lastModified.isValid() || incoming.lastModified <= own) {
        ++m_report->skipped;
        return;
    }
    if (existing->is_sample != incoming.isSample) {
        m_report->warnings.append(
            QStringLiteral("line %1: %2 would turn a %3 into a %4; kept as it was")
                .arg(incoming.line)
                .arg(incoming.uid,
                     existing->is_sample ? QStringLiteral("repeating to-do")
                                         : QStringLiteral("single to-do"),
                     incoming.isSample ? QStringLiteral("repeating one")
                                       : QStringLiteral("single one")));
        ++m_report->skipped;
        return;
    }
    fill(existing, incoming);
    if (incoming.isSample)
        setRule(existing, incoming);
    m_written.append(qMakePair(existing, &incoming));
    ++m_report->updated;
}

Todo* ImportApplier::create(const IncomingTodo& incoming)
{
    Todo* todo = incoming.isSample ? m_pool->newSample() : m_pool->newTodo();
    fill(todo, incoming);
    if (!incoming.uid.isEmpty()) {
        Field* uid = m_pool->newField();
        uid->setFieldType(fieldType(ICalendar::uidFieldTypeName()));
        uid->setTodo(todo);
        uid->setValue(incoming.uid);
    }
    if (incoming.isSample)
        setRule(todo, incoming);
    return todo;
}

void ImportApplier::fill(Todo* todo, const IncomingTodo& incoming)
{
    // Values that are already right are not set again: every setter marks the todo modified,
    // and a new todo already holds most of them.
    if (!incoming.zone.isEmpty() && todo->time_zone != incoming.zone)
        todo->setTimeZone(incoming.zone);
    if (incoming.hasDates) {
        // UTC values are stored unchanged.
        todo->setStartDate(incoming.start);
        todo->setEndDate(incoming.end);
    }
    // The format string rewrites the note, so the note comes second.
    if (todo->format_string != incoming.formatString)
        todo->setFormatString(incoming.formatString);
    if (todo->note != incoming.note)
        todo->setNote(incoming.note);
    if (todo->is_done != incoming.done)
        todo->setIsDone(incoming.done);
    if (todo->status != incoming.status)
        todo->setStatus(incoming.status);
    if (incoming.created.isValid())
        todo->creation_date = incoming.created;
    replaceFields(todo, incoming);
    replaceAttachments(todo, incoming);
    replaceAlarms(todo, incoming);
}

void ImportApplier::replaceAlarms(Todo* todo, const IncomingTodo& incoming)
{
    const QList<Alarm*> existing = *todo->alarms;
    for (int i = 0; i < incoming.alarms.size(); ++i) {
        Alarm* alarm = i < existing.size() ? existing.at(i) : m_pool->newAlarm();
        if (alarm->todo != todo)
            alarm->setTodo(todo);
        const IncomingAlarm& values = incoming.alarms.at(i);
        if (alarm->alarm_time != values.time) {
            // The one setter that does not mark its record modified.
            alarm->setAlarmTime(values.time);
            alarm->modified();
        }
        if (alarm->is_active != values.active)
            alarm->setIsActive(values.active);
        if (alarm->snooze != values.snooze)
            alarm->setSnooze(values.snooze);
        if (alarm->snooze_interval != values.snoozeInterval)
            alarm->setSnoozeInterval(values.snoozeInterval);
    }
    for (int i = incoming.alarms.size(); i < existing.size(); ++i)
        retire(m_pool, existing.at(i));
}

void ImportApplier::replaceAttachments(Todo* todo, const IncomingTodo& incoming)
{
    const QList<Binary*> existing = *todo->binaries;
    for (int i = 0; i < incoming.attachments.size(); ++i) {
        Binary* binary = i < existing.size() ? existing.at(i) : m_pool->newBinary();
        if (binary->todo != todo)
            binary->setTodo(todo);
        const IncomingAttachment& values = incoming.attachments.at(i);
        binary->setNote(values.note);
        binary->setType(static_cast<BinaryType>(values.type));
        binary->setSize(values.size);
        binary->setData(values.data);
    }
    for (int i = incoming.attachments.size(); i < existing.size(); ++i)
        retire(m_pool, existing.at(i));
}

void ImportApplier::replaceFields(Todo* todo, const IncomingTodo& incoming)
{
    // The remembered UID stays; every other value is replaced.
    static const QString uidType = ICalendar::uidFieldTypeName();
    QList<Field*> existing;
    for (Field* field : *todo->fields) {
        if (!field->fieldType || field->fieldType->name != uidType)
            existing.append(field);
    }
    for (int i = 0; i < incoming.fields.size(); ++i) {
        Field* field = i < existing.size() ? existing.at(i) : m_pool->newField();
        const IncomingField& values = incoming.fields.at(i);
        FieldType* type = fieldType(values.typeName);
        if (field->fieldType != type)
            field->setFieldType(type);
        if (field->todo != todo)
            field->setTodo(todo);
        if (field->value != values.value)
            field->setValue(values.value);
        if (field->db_id != values.dbId)
            field->setDbId(values.dbId);
        if (field->contact_id != values.contactId)
            field->setContactId(values.contactId);
    }
    for (int i = incoming.fields.size(); i < existing.size(); ++i)
        retire(m_pool, existing.at(i));
}

void ImportApplier::setRule(Todo* sample, const IncomingTodo& incoming)
{
    if (!incoming.hasRule)
        return;
    Recurrence* rule = sample->recurrence;
    if (!rule) {
        rule = m_pool->newRecurrence();
        rule->setSample(sample);
    }
    const IncomingRule& values = incoming.rule;
    rule->setRepeats(values.values.repeats);
    rule->setRepeatsOn(values.values.repeatsOn);
    rule->setRepeatsEvery(values.values.every);
    rule->setIsActive(values.active);
    // Held UTC values, set after the sample link so that no re-basing moves them.
    rule->range_start = values.rangeStart;
    rule->range_end = values.rangeEnd;
    rule->instancing_date = values.instancingDate;
    rule->modified();
}

void ImportApplier::linkInstance(Todo* todo, const IncomingTodo& incoming)
{
    if (incoming.instanceOf.isEmpty() || todo->is_sample)
        return;
    Todo* sample = m_byUid.value(incoming.instanceOf);
    if (!sample || !sample->is_sample || !sample->recurrence) {
        m_report->warnings.append(
            QStringLiteral("line %1: no repeating to-do with UID %2; imported as a single to-do")
                .arg(incoming.line)
                .arg(incoming.instanceOf));
        return;
    }
    if (todo->recurrence != sample->recurrence)
        todo->setRecurrence(sample->recurrence);
}

FieldType* ImportApplier::fieldType(const QString& name)
{
    FieldType*& type = m_fieldTypes[name];
    if (!type) {
        type = m_pool->newFieldType();
        type->setName(name);
    }
    return type;
}

} // namespace Orvel
