#include "debug/log.h"
#include "pool/recordlists_p.h"

#include <QHash>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char wrongTodoId[] = "Wrong todo_id: ";
const char wrongFieldTypeId[] = "Wrong field_type_id: ";
const char wrongSampleId[] = "Wrong sample_id: ";
const char wrongRecurrenceId[] = "Wrong recurrence_id: ";
const char inAlarm[] = " - In alarm: ";
const char inBinary[] = " - In binary: ";
const char inField[] = " - In field: ";
const char inRecurrence[] = " - In recurrence: ";
const char inTodo[] = " - In todo: ";

// The pool's lookups, answered from id indexes built once per linking run. Linking never adds
// to or removes from the pool's lists, so the indexes stay exact, and start-up stays linear
// where one scan per lookup would make it quadratic.
struct LinkIndex
{
    QHash<int, Todo*> todos;
    QHash<int, Todo*> samples;
    QHash<int, Recurrence*> recurrences;
    QHash<int, FieldType*> fieldTypes;
};

// As todoById(), then sampleById().
Todo* todoOrSample(const LinkIndex& index, int id)
{
    if (Todo* todo = RecordLists::lookUp(index.todos, id))
        return todo;
    return RecordLists::lookUp(index.samples, id);
}

template <typename Child> void linkToTodo(Child* child, const LinkIndex& index, const char* inChild)
{
    // 0 is never a key SQLite assigns, so it is not looked up.
    Todo* parent = child->todo_id == 0 ? nullptr : todoOrSample(index, child->todo_id);
    if (parent)
        child->setTodo(parent);
    else
        oError() << wrongTodoId << child->todo_id << inChild << child->id;
}

void linkToFieldType(Field* field, const LinkIndex& index)
{
    FieldType* fieldType = RecordLists::lookUp(index.fieldTypes, field->field_type_id);
    if (fieldType)
        field->setFieldType(fieldType);
    else
        oError() << wrongFieldTypeId << field->field_type_id << inField << field->id;
}

void linkToSample(Recurrence* recurrence, const LinkIndex& index)
{
    Todo* sample = recurrence->sample_id == 0
                       ? nullptr
                       : RecordLists::lookUp(index.samples, recurrence->sample_id);
    if (sample)
        recurrence->setSample(sample);
    else
        oError() << wrongSampleId << recurrence->sample_id << inRecurrence << recurrence->id;
}

void linkToRecurrence(Todo* todo, const LinkIndex& index)
{
    if (todo->recurrence_id <= -1)
        return;
    Recurrence* recurrence = RecordLists::lookUp(index.recurrences, todo->recurrence_id);
    if (recurrence)
        todo->setRecurrence(recurrence);
    else
        oError() << wrongRecurrenceId << todo->recurrence_id << inTodo << todo->id;
}

} // namespace

void Pool::makeReferences()
{
    const LinkIndex index{RecordLists::indexById(*todos), RecordLists::indexById(*samples),
                          RecordLists::indexById(*recurrences),
                          RecordLists::indexById(*fieldTypes)};

    // The signals are connected only after the record is linked, so the modifications that
    // linking causes list no loaded record for writing; the stored modification time, read
    // before the record's own linking, is put back afterwards.
    auto finishLoading = [this](Entity* record, const auto& link) {
        const QDateTime storedModification = record->lastModificationDate(UTC);
        link();
        record->isNew = false;
        record->isSynchronized = true;
        connectRecord(record);
        record->lastModDate = storedModification.toTimeSpec(Qt::UTC);
    };

    // Each list is walked over a snapshot; the pool's lists themselves are not changed here.
    const QList<Alarm*> loadedAlarms = *alarms;
    for (Alarm* alarm : loadedAlarms)
        finishLoading(alarm, [&] { linkToTodo(alarm, index, inAlarm); });

    const QList<Binary*> loadedBinaries = *binaries;
    for (Binary* binary : loadedBinaries)
        finishLoading(binary, [&] { linkToTodo(binary, index, inBinary); });

    const QList<Field*> loadedFields = *fields;
    for (Field* field : loadedFields) {
        finishLoading(field, [&] {
            linkToTodo(field, index, inField);
            linkToFieldType(field, index);
        });
    }

    const QList<FieldType*> loadedFieldTypes = *fieldTypes;
    for (FieldType* fieldType : loadedFieldTypes)
        finishLoading(fieldType, [] {});

    const QList<Recurrence*> loadedRecurrences = *recurrences;
    for (Recurrence* recurrence : loadedRecurrences)
        finishLoading(recurrence, [&] { linkToSample(recurrence, index); });

    const QList<Todo*> loadedSamples = *samples;
    for (Todo* sample : loadedSamples)
        finishLoading(sample, [] {});

    const QList<Todo*> loadedTodos = *todos;
    for (Todo* todo : loadedTodos)
        finishLoading(todo, [&] { linkToRecurrence(todo, index); });
}

} // namespace Orvel
