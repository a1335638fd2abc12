#include "debug/log.h"
#include "pool/disposalqueue_p.h"
#include "pool/recordlists_p.h"

#include <QSqlDatabase>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databaseconnector.h>
#include <orvel/databasequery.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/poolevents.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>
#include <utility>

namespace Orvel {

namespace {

const char synchronizationFailed[] = "Synchronization failed! ";
const char entitiesRemainedUnsynchronized[] = " entities remained unsynchronized.";

// A connector whose database could not be opened has no handle; there is then no transaction
// to run, and the record statements report their own failures.
void beginTransaction(DatabaseConnector* connector)
{
    if (connector->database)
        connector->database->transaction();
}

void commitTransaction(DatabaseConnector* connector)
{
    if (connector->database)
        connector->database->commit();
}

void noteTodoWithRecurrence(Entity* entity, QList<Todo*>* withRecurrence)
{
    auto* todo = qobject_cast<Todo*>(entity);
    if (todo && todo->recurrence)
        withRecurrence->append(todo);
}

bool savedCleanly(Entity* entity)
{
    const bool saved = entity->save();
    return saved && entity->lastError.isEmpty();
}

// One pass over the list, from first to last. Saved entries leave the list; the others keep
// their order. The list is compacted in place, because taking entries out of the middle one by
// one would make a pass over many records quadratic. Records listed while the pass runs are
// met in the same pass, as they stand behind the entry being saved.
bool runSavePass(QList<Entity*>* list, QList<Todo*>* withRecurrence)
{
    bool removedAny = false;
    qsizetype kept = 0;
    for (qsizetype next = 0; next < list->size(); ++next) {
        Entity* entity = list->at(next);
        noteTodoWithRecurrence(entity, withRecurrence);
        if (savedCleanly(entity)) {
            removedAny = true;
            continue;
        }
        (*list)[kept] = entity;
        ++kept;
    }
    list->erase(list->begin() + kept, list->end());
    return removedAny;
}

} // namespace

void Pool::setUnsynchronized(Entity* entity)
{
    unsynchronizedEntities->append(entity);
    // modified() clears the flag again right after this slot returns.
    entity->isSynchronized = true;
}

void Pool::setDeleted(Entity* entity)
{
    if (auto* alarm = qobject_cast<Alarm*>(entity)) {
        RecordLists::removeEveryOccurrence(alarms, alarm, frontEmptiedList);
    } else if (auto* binary = qobject_cast<Binary*>(entity)) {
        RecordLists::removeEveryOccurrence(binaries, binary, frontEmptiedList);
    } else if (auto* field = qobject_cast<Field*>(entity)) {
        RecordLists::removeEveryOccurrence(fields, field, frontEmptiedList);
    } else if (auto* fieldType = qobject_cast<FieldType*>(entity)) {
        RecordLists::removeEveryOccurrence(fieldTypes, fieldType, frontEmptiedList);
    } else if (auto* recurrence = qobject_cast<Recurrence*>(entity)) {
        RecordLists::removeEveryOccurrence(recurrences, recurrence, frontEmptiedList);
    } else if (auto* todo = qobject_cast<Todo*>(entity)) {
        RecordLists::removeEveryOccurrence(todo->is_sample ? samples : todos, todo,
                                           frontEmptiedList);
    }
    Q_EMIT m_events->recordDeleted(entity);
}

void Pool::setUndeleted(Entity* entity)
{
    if (auto* alarm = qobject_cast<Alarm*>(entity)) {
        RecordLists::appendOnce(alarms, alarm);
    } else if (auto* binary = qobject_cast<Binary*>(entity)) {
        RecordLists::appendOnce(binaries, binary);
    } else if (auto* field = qobject_cast<Field*>(entity)) {
        RecordLists::appendOnce(fields, field);
    } else if (auto* fieldType = qobject_cast<FieldType*>(entity)) {
        RecordLists::appendOnce(fieldTypes, fieldType);
    } else if (auto* recurrence = qobject_cast<Recurrence*>(entity)) {
        RecordLists::appendOnce(recurrences, recurrence);
    } else if (auto* todo = qobject_cast<Todo*>(entity)) {
        RecordLists::appendOnce(todo->is_sample ? samples : todos, todo);
    }
    // An undeleted record is the pool's again: a disposal it was handed over for is cancelled.
    if (m_disposals)
        m_disposals->remove(entity);
    Q_EMIT m_events->recordUndeleted(entity);
}

void Pool::synchronizeFromDatabase()
{
    Q_EMIT m_events->contentAboutToBeReplaced();
    // Loading and linking set every field through the setters; nobody may hear of those
    // changes, and staying silent keeps start() as fast as without listeners.
    const QSignalBlocker quietConnector(connector);
    DatabaseQuery loader(connector);
    beginTransaction(connector);

    // The records handed over for disposal may still be linked to the ones below: they go
    // first, while everything they might touch still exists.
    freeAllDisposals();
    // Unsaved changes of the records held so far are dropped with them.
    RecordLists::deleteFromFront(alarms, frontEmptiedList);
    RecordLists::deleteFromFront(binaries, frontEmptiedList);
    RecordLists::deleteFromFront(fields, frontEmptiedList);
    RecordLists::deleteFromFront(fieldTypes, frontEmptiedList);
    RecordLists::deleteFromFront(todos, frontEmptiedList);
    RecordLists::deleteFromFront(recurrences, frontEmptiedList);
    RecordLists::deleteFromFront(samples, frontEmptiedList);
    qDeleteAll(*queries);
    queries->clear();
    unsynchronizedEntities->clear();

    loader.loadAlarms(alarms, false);
    loader.loadBinaries(binaries, false);
    loader.loadFields(fields, false);
    loader.loadFieldTypes(fieldTypes, false);
    loader.loadRecurrences(recurrences, false);
    loader.loadSamples(samples, false);
    loader.loadTodos(todos, nullptr, false);

    commitTransaction(connector);
    makeReferences();
    Q_EMIT m_events->contentReplaced();
}

void Pool::synchronizeToDatabase()
{
    beginTransaction(connector);
    dropNeverStoredDisposals();

    QList<Todo*> withRecurrence;
    // Passes go on while they make progress: a child whose parent had no row yet is saved in
    // a later pass, and a record that can never be saved does not keep the loop running.
    bool progressed = true;
    while (!unsynchronizedEntities->isEmpty() && progressed)
        progressed = runSavePass(unsynchronizedEntities, &withRecurrence);

    // A todo saved before its recurrence had a key was written with recurrence_id -1; saving
    // it again writes the key the recurrence got meanwhile.
    for (Todo* todo : std::as_const(withRecurrence))
        static_cast<void>(todo->save());

    commitTransaction(connector);

    if (!unsynchronizedEntities->isEmpty())
        oError() << synchronizationFailed << unsynchronizedEntities->size()
                 << entitiesRemainedUnsynchronized;
    freeWrittenDisposals();
}

} // namespace Orvel
