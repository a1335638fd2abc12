#include "pool/disposalqueue_p.h"
#include "pool/recordlists_p.h"

#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databaseconnector.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/poolevents.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/sqliteconnector.h>
#include <orvel/todo.h>

namespace Orvel {

Pool* Pool::sm_instance = nullptr;

Pool* Pool::instance()
{
    if (!sm_instance)
        sm_instance = new Pool();
    return sm_instance;
}

Pool::Pool()
    : QObject(nullptr), started(false), connector(new SqliteConnector()),
      unsynchronizedEntities(new QList<Entity*>()), alarms(new QList<Alarm*>()),
      binaries(new QList<Binary*>()), fields(new QList<Field*>()),
      fieldTypes(new QList<FieldType*>()), todos(new QList<Todo*>()), queries(new QList<Query*>()),
      recurrences(new QList<Recurrence*>()), samples(new QList<Todo*>()), frontEmptiedList(nullptr),
      m_events(new PoolEvents(this))
{
    relayRecordChanges();
}

Pool::Pool(const QString& databasePath, const QString& connectionName)
    : QObject(nullptr), started(false),
      connector(new SqliteConnector(databasePath, connectionName)),
      unsynchronizedEntities(new QList<Entity*>()), alarms(new QList<Alarm*>()),
      binaries(new QList<Binary*>()), fields(new QList<Field*>()),
      fieldTypes(new QList<FieldType*>()), todos(new QList<Todo*>()), queries(new QList<Query*>()),
      recurrences(new QList<Recurrence*>()), samples(new QList<Todo*>()), frontEmptiedList(nullptr),
      m_events(new PoolEvents(this))
{
    relayRecordChanges();
}

Pool::~Pool()
{
    Q_EMIT m_events->poolAboutToBeDeleted();
    synchronizeToDatabase();
    // Records handed over for disposal whose rows could not be written go now, before the
    // records they might still be linked to.
    freeAllDisposals();
    delete m_disposals;

    // The deletion marks that the records' destructors set from here on are never written:
    // the database keeps what the synchronisation above wrote.
    RecordLists::deleteFromFront(alarms, frontEmptiedList);
    RecordLists::deleteFromFront(binaries, frontEmptiedList);
    RecordLists::deleteFromFront(fields, frontEmptiedList);
    RecordLists::deleteFromFront(fieldTypes, frontEmptiedList);
    RecordLists::deleteFromFront(todos, frontEmptiedList);

    qDeleteAll(*queries);

    delete alarms;
    delete binaries;
    delete fields;
    delete fieldTypes;
    delete todos;
    delete queries;

    RecordLists::deleteFromFront(recurrences, frontEmptiedList);
    RecordLists::deleteFromFront(samples, frontEmptiedList);

    delete recurrences;
    delete samples;
    delete unsynchronizedEntities;

    delete connector;

    sm_instance = nullptr;
    Q_EMIT poolDied();
}

void Pool::start()
{
    synchronizeFromDatabase();
    started = true;
    Q_EMIT poolStarted();
}

void Pool::reloadDB()
{
    connector->deleteDatabase();
    connector->createConnection();
    connector->initializeDatabase();
    synchronizeFromDatabase();
}

void Pool::connectRecord(Entity* record)
{
    connect(record, &Entity::setUnsynchronized, this, &Pool::setUnsynchronized,
            Qt::DirectConnection);
    connect(record, &Entity::setDeleted, this, &Pool::setDeleted, Qt::DirectConnection);
    connect(record, &Entity::setUndeleted, this, &Pool::setUndeleted, Qt::DirectConnection);
}

void Pool::relayRecordChanges()
{
    connect(connector, &DatabaseConnector::recordChanged, m_events, &PoolEvents::recordChanged,
            Qt::DirectConnection);
}

PoolEvents* Pool::events() const
{
    return m_events;
}

Todo* Pool::newTodo()
{
    auto* todo = new Todo(connector);
    unsynchronizedEntities->append(todo);
    todos->append(todo);
    connectRecord(todo);
    Q_EMIT m_events->recordCreated(todo);
    return todo;
}

Todo* Pool::newSample()
{
    auto* sample = new Todo(connector);
    sample->is_sample = true;
    sample->modified();
    unsynchronizedEntities->append(sample);
    samples->append(sample);
    connectRecord(sample);
    Q_EMIT m_events->recordCreated(sample);
    return sample;
}

Recurrence* Pool::newRecurrence()
{
    auto* recurrence = new Recurrence(connector);
    unsynchronizedEntities->append(recurrence);
    recurrences->append(recurrence);
    connectRecord(recurrence);
    Q_EMIT m_events->recordCreated(recurrence);
    return recurrence;
}

FieldType* Pool::newFieldType()
{
    auto* fieldType = new FieldType(connector);
    unsynchronizedEntities->append(fieldType);
    fieldTypes->append(fieldType);
    connectRecord(fieldType);
    Q_EMIT m_events->recordCreated(fieldType);
    return fieldType;
}

Field* Pool::newField()
{
    auto* field = new Field(connector);
    unsynchronizedEntities->append(field);
    fields->append(field);
    connectRecord(field);
    Q_EMIT m_events->recordCreated(field);
    return field;
}

Binary* Pool::newBinary()
{
    auto* binary = new Binary(connector);
    unsynchronizedEntities->append(binary);
    binaries->append(binary);
    connectRecord(binary);
    Q_EMIT m_events->recordCreated(binary);
    return binary;
}

Alarm* Pool::newAlarm()
{
    auto* alarm = new Alarm(connector);
    unsynchronizedEntities->append(alarm);
    alarms->append(alarm);
    connectRecord(alarm);
    Q_EMIT m_events->recordCreated(alarm);
    return alarm;
}

Todo* Pool::todoById(int id) const
{
    return RecordLists::firstWithId(*todos, id);
}

Todo* Pool::sampleById(int id) const
{
    return RecordLists::firstWithId(*samples, id);
}

Recurrence* Pool::recurrenceById(int id) const
{
    return RecordLists::firstWithId(*recurrences, id);
}

FieldType* Pool::fieldTypeById(int id) const
{
    return RecordLists::firstWithId(*fieldTypes, id);
}

Field* Pool::fieldById(int id) const
{
    return RecordLists::firstWithId(*fields, id);
}

Binary* Pool::binaryById(int id) const
{
    return RecordLists::firstWithId(*binaries, id);
}

Alarm* Pool::alarmById(int id) const
{
    return RecordLists::firstWithId(*alarms, id);
}

// Deleting is soft: the record detaches itself and announces it, and setDeleted() takes it out
// of its list. Which list that is depends on the record, not on the operation used.
void Pool::deleteTodo(Todo* todo)
{
    todo->setIsDeleted(true);
}

void Pool::deleteSample(Todo* sample)
{
    sample->setIsDeleted(true);
}

void Pool::deleteRecurrence(Recurrence* recurrence)
{
    recurrence->setIsDeleted(true);
}

void Pool::deleteFieldType(FieldType* fieldType)
{
    fieldType->setIsDeleted(true);
}

void Pool::deleteField(Field* field)
{
    field->setIsDeleted(true);
}

void Pool::deleteBinary(Binary* binary)
{
    binary->setIsDeleted(true);
}

void Pool::deleteAlarm(Alarm* alarm)
{
    alarm->setIsDeleted(true);
}

Query* Pool::newQuery()
{
    auto* query = new Query(todos, recurrences);
    queries->append(query);
    return query;
}

void Pool::deleteQuery(Query* query)
{
    queries->removeAll(query);
    delete query;
}

} // namespace Orvel
