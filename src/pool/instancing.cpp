#include "debug/log.h"

#include <orvel/alarm.h>
#include <orvel/field.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char moreThanOneNextInstance[] =
    "Wrong instancing - next instance returned with more than one result.";
const char updateSample[] = "update sample";

// The alarm keeps the wall-clock reading of the source in the device's zone; attaching it to
// its todo last carries that reading over into the todo's zone.
void copyAlarm(Pool* pool, const Alarm* source, Todo* target)
{
    Alarm* alarm = pool->newAlarm();
    alarm->setAlarmTime(source->alarmTime(Local));
    alarm->is_active = source->is_active;
    alarm->modified();
    alarm->setIsDeleted(source->isDeleted);
    alarm->snooze = source->snooze;
    alarm->modified();
    alarm->snooze_interval = source->snooze_interval;
    alarm->modified();
    alarm->setTodo(target);
}

void copyAlarms(Pool* pool, const Todo* source, Todo* target)
{
    const QList<Alarm*> sourceAlarms = *source->alarms;
    for (const Alarm* alarm : sourceAlarms)
        copyAlarm(pool, alarm, target);
}

// When a copied field value is attached to its new todo: an instance attaches it before the
// value is copied (so copying the value marks the instance modified), a new sample after.
enum class AttachField { BeforeValue, AfterValue };

// Copies the field values of source onto target, each through the pool's factory.
void copyFields(Pool* pool, const Todo* source, Todo* target, AttachField attach)
{
    const QList<Field*> sourceFields = *source->fields;
    for (const Field* original : sourceFields) {
        Field* field = pool->newField();
        field->contact_id = original->contact_id;
        field->modified();
        field->db_id = original->db_id;
        field->modified();
        field->setFieldType(original->fieldType);
        field->setIsDeleted(original->isDeleted);
        if (attach == AttachField::BeforeValue)
            field->setTodo(target);
        field->value = original->value;
        field->modified();
        if (attach == AttachField::AfterValue)
            field->setTodo(target);
    }
}

void moveInstancingDate(Recurrence* recurrence, const QDateTime& instancedUpTo)
{
    recurrence->instancing_date = instancedUpTo.toTimeSpec(Qt::UTC);
    recurrence->modified();
}

} // namespace

void Pool::instanceTodos(const QDateTime& until, Recurrence* recurrence)
{
    if (!recurrence) {
        const QList<Recurrence*> everyRecurrence = *recurrences;
        for (Recurrence* each : everyRecurrence)
            instanceTodos(until, each);
        return;
    }

    Query* query = newQuery();
    query->activeFrom = recurrence->instancingDate(UTC);
    query->activeTo = until.toTimeSpec(Qt::UTC);
    query->recurrence = recurrence;
    query->unfilteredRecurring = true;
    query->execute();

    const QList<Todo*> occurrences = *query->result;
    for (Todo* occurrence : occurrences)
        instanceChild(occurrence, nullptr);

    moveInstancingDate(recurrence, until);
    deleteQuery(query);
}

void Pool::instanceNextTodo(Recurrence* recurrence)
{
    if (!recurrence) {
        const QList<Recurrence*> everyRecurrence = *recurrences;
        for (Recurrence* each : everyRecurrence)
            instanceNextTodo(each);
        return;
    }

    if (!(recurrence->instancingDate(UTC) < QDateTime::currentDateTimeUtc()))
        return;

    Query* query = newQuery();
    query->activeFrom = recurrence->rangeStart(UTC);
    query->activeTo = recurrence->rangeEnd(UTC);
    query->recurrence = recurrence;
    query->unfilteredRecurring = true;
    query->nextOccurrenceOnly = true;
    query->execute();

    if (query->result->size() > 1) {
        oError() << moreThanOneNextInstance;
    } else if (!query->result->isEmpty()) {
        Todo* occurrence = query->result->constFirst();
        instanceChild(occurrence, nullptr);
        moveInstancingDate(recurrence, occurrence->startDate(Local).addSecs(1));
    }

    deleteQuery(query);
}

// The dates are taken in the device's representation and set before the instance gets the
// occurrence's zone, which then keeps their wall-clock reading; this order decides the dates.
void Pool::instanceChild(Todo* occurrence, Todo* /*unused*/)
{
    Todo* instance = newTodo();
    instance->setEndDate(occurrence->endDate(Local));
    instance->setIsDeleted(occurrence->isDeleted);
    instance->is_done = occurrence->is_done;
    instance->modified();
    instance->setRecurrence(occurrence->recurrence);
    instance->setStartDate(occurrence->startDate(Local));
    instance->status = occurrence->status;
    instance->modified();
    instance->setTimeZone(occurrence->time_zone);
    copyFields(this, occurrence, instance, AttachField::BeforeValue);
    instance->format_string = occurrence->format_string;
    instance->note = instance->readableFormatString();
    instance->modified();
    copyAlarms(this, occurrence, instance);
}

// Unlike an instance, the sample takes the zone first and the dates in the todo's own zone, so
// its wall-clock times equal the todo's.
Todo* Pool::makeSampleChild(Todo* todo, Todo* /*unused*/)
{
    Todo* sample = newSample();
    sample->setTimeZone(todo->time_zone);
    sample->setEndDate(todo->endDate(Stored));
    sample->setIsDeleted(todo->isDeleted);
    sample->is_done = todo->is_done;
    sample->modified();
    sample->setStartDate(todo->startDate(Stored));
    sample->status = todo->status;
    sample->modified();
    copyFields(this, todo, sample, AttachField::AfterValue);
    sample->format_string = todo->format_string;
    sample->note = sample->readableFormatString();
    sample->modified();
    sample->note = todo->note;
    sample->modified();
    copyAlarms(this, todo, sample);
    return sample;
}

Todo* Pool::makeSampleFromTodo(Todo* todo)
{
    return makeSampleChild(todo, nullptr);
}

void Pool::updateSampleWithTodo(Todo* sample, Todo* todo)
{
    if (!sample->recurrence)
        return;
    oWarning() << updateSample;
    Todo* replacement = makeSampleFromTodo(todo);
    sample->recurrence->setSample(replacement);
    deleteSample(sample);
}

void Pool::updateTodoAlarm(int todoId, int alarmId, int done, int active, unsigned int alarmTime)
{
    // A device-local value, read by setAlarmTime() as a wall-clock reading in the todo's zone.
    alarmById(alarmId)->setAlarmTime(QDateTime::fromSecsSinceEpoch(alarmTime));

    Alarm* alarm = alarmById(alarmId);
    alarm->is_active = active == 1;
    alarm->modified();

    Todo* todo = todoById(todoId);
    todo->is_done = done == 1;
    todo->modified();
}

} // namespace Orvel
