#include "loghandler.h"
#include "testsupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <functional>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

QString databasePath(const QString& name)
{
    return OrvelTest::homeDirectory() + QLatin1Char('/') + name + QStringLiteral(".sqlite");
}

template <typename T> QList<Entity*> asEntities(const QList<T*>& list)
{
    QList<Entity*> entities;
    for (T* record : list)
        entities.append(record);
    return entities;
}

// Makes one record of the named kind and tells which of the pool's lists it belongs to.
struct Kind
{
    std::function<Entity*(Pool&)> make;
    std::function<QList<Entity*>(const Pool&)> list;
    std::function<void(Pool&, Entity*)> erase;
};

Kind kind(const QString& name)
{
    if (name == QLatin1String("todo"))
        return {[](Pool& p) { return p.newTodo(); },
                [](const Pool& p) { return asEntities(*p.todos); },
                [](Pool& p, Entity* e) { p.deleteTodo(qobject_cast<Todo*>(e)); }};
    if (name == QLatin1String("sample"))
        return {[](Pool& p) { return p.newSample(); },
                [](const Pool& p) { return asEntities(*p.samples); },
                [](Pool& p, Entity* e) { p.deleteSample(qobject_cast<Todo*>(e)); }};
    if (name == QLatin1String("sample deleted as todo"))
        return {[](Pool& p) { return p.newSample(); },
                [](const Pool& p) { return asEntities(*p.samples); },
                [](Pool& p, Entity* e) { p.deleteTodo(qobject_cast<Todo*>(e)); }};
    if (name == QLatin1String("recurrence"))
        return {[](Pool& p) { return p.newRecurrence(); },
                [](const Pool& p) { return asEntities(*p.recurrences); },
                [](Pool& p, Entity* e) { p.deleteRecurrence(qobject_cast<Recurrence*>(e)); }};
    if (name == QLatin1String("field type"))
        return {[](Pool& p) { return p.newFieldType(); },
                [](const Pool& p) { return asEntities(*p.fieldTypes); },
                [](Pool& p, Entity* e) { p.deleteFieldType(qobject_cast<FieldType*>(e)); }};
    if (name == QLatin1String("field"))
        return {[](Pool& p) { return p.newField(); },
                [](const Pool& p) { return asEntities(*p.fields); },
                [](Pool& p, Entity* e) { p.deleteField(qobject_cast<Field*>(e)); }};
    if (name == QLatin1String("binary"))
        return {[](Pool& p) { return p.newBinary(); },
                [](const Pool& p) { return asEntities(*p.binaries); },
                [](Pool& p, Entity* e) { p.deleteBinary(qobject_cast<Binary*>(e)); }};
    return {[](Pool& p) { return p.newAlarm(); },
            [](const Pool& p) { return asEntities(*p.alarms); },
            [](Pool& p, Entity* e) { p.deleteAlarm(qobject_cast<Alarm*>(e)); }};
}

// A deleted record has left the pool, which no longer frees it: the test frees it like a front
// end would, after detaching it from the pool so that its destructor reports nothing back.
void release(Pool& pool, Entity* record)
{
    QObject::disconnect(record, nullptr, &pool, nullptr);
    pool.unsynchronizedEntities->removeAll(record);
    delete record;
}

} // namespace

class TestPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void instanceIsOneSharedPoolUntilDeleted();
    void directlyBuiltPoolIsNotTheInstanceButResetsIt();
    void factoryListsRecordAndConnectsIt_data();
    void factoryListsRecordAndConnectsIt();
    void newSampleIsMarkedAndStamped();
    void recordsCreatedBeforeStartAreDropped();
    void lookupsSearchOnlyTheirOwnList();
    void lookupReturnsFirstRecordInListOrder();
    void deleteTakesRecordOutOfItsList_data();
    void deleteTakesRecordOutOfItsList();
    void deletedTodoIsFoundAgainAfterUndelete();
    void queriesReadThePoolsListsAndAreDeletedByIt();
    void deleteQueryWithNullOnlyRemovesNullEntries();
    void reloadReplacesDatabaseWithoutAnnouncingIt();
    void destructionWritesOutstandingChanges();
};

void TestPool::instanceIsOneSharedPoolUntilDeleted()
{
    QCOMPARE(Pool::sm_instance, static_cast<Pool*>(nullptr));
    Pool* first = Pool::instance();
    QCOMPARE(Pool::instance(), first);
    QCOMPARE(Pool::sm_instance, first);
    QVERIFY(QFile::exists(OrvelTest::defaultDatabasePath()));
    QCOMPARE(first->started, false);

    QSignalSpy started(first, &Pool::poolStarted);
    first->start();
    QCOMPARE(started.count(), 1);
    QCOMPARE(first->started, true);
    first->newTodo()->setNote(QStringLiteral("kept in the default database"));

    QSignalSpy died(first, &Pool::poolDied);
    delete first;
    QCOMPARE(died.count(), 1);
    QCOMPARE(Pool::sm_instance, static_cast<Pool*>(nullptr));

    Pool* second = Pool::instance();
    QVERIFY(second);
    QCOMPARE(Pool::sm_instance, second);
    QCOMPARE(second->started, false);
    second->start();
    QCOMPARE(second->todos->size(), 1);
    QCOMPARE(second->todos->constFirst()->note, QStringLiteral("kept in the default database"));
    delete second;
    QCOMPARE(Pool::sm_instance, static_cast<Pool*>(nullptr));
}

void TestPool::directlyBuiltPoolIsNotTheInstanceButResetsIt()
{
    Pool* singleton = Pool::instance();
    auto* direct = new Pool(databasePath(QStringLiteral("direct")), QStringLiteral("direct"));
    QVERIFY(direct != singleton);
    QCOMPARE(Pool::sm_instance, singleton);
    QCOMPARE(Pool::instance(), singleton);

    QSignalSpy died(direct, &Pool::poolDied);
    delete direct;
    QCOMPARE(died.count(), 1);
    QCOMPARE(Pool::sm_instance, static_cast<Pool*>(nullptr));
    delete singleton;
}

void TestPool::factoryListsRecordAndConnectsIt_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* name :
         {"todo", "sample", "recurrence", "field type", "field", "binary", "alarm"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPool::factoryListsRecordAndConnectsIt()
{
    QFETCH(QString, kind);
    const Kind k = ::kind(kind);
    Pool pool(databasePath(QStringLiteral("factory")), QStringLiteral("factory"));
    pool.start();

    Entity* record = k.make(pool);
    QVERIFY(record->isNew);
    QCOMPARE(record->isSynchronized, false);
    QCOMPARE(record->databaseConnector, pool.connector);
    QCOMPARE(k.list(pool), QList<Entity*>{record});
    QCOMPARE(*pool.unsynchronizedEntities, QList<Entity*>{record});

    // The three change signals reach the pool's slots of the same names.
    Q_EMIT record->setDeleted(record);
    QCOMPARE(k.list(pool), QList<Entity*>{});
    Q_EMIT record->setUndeleted(record);
    QCOMPARE(k.list(pool), QList<Entity*>{record});
    Q_EMIT record->setUnsynchronized(record);
    QCOMPARE(*pool.unsynchronizedEntities, (QList<Entity*>{record, record}));
}

void TestPool::newSampleIsMarkedAndStamped()
{
    Pool pool(databasePath(QStringLiteral("sample")), QStringLiteral("sample"));
    const QDateTime before = QDateTime::currentDateTimeUtc();
    Todo* sample = pool.newSample();
    QCOMPARE(sample->is_sample, true);
    QVERIFY(pool.todos->isEmpty());
    QVERIFY(sample->lastModDate >= before);
    QCOMPARE(sample->lastModDate.timeSpec(), Qt::UTC);
    QCOMPARE(pool.sampleById(INT_MIN), sample);
}

void TestPool::recordsCreatedBeforeStartAreDropped()
{
    const QString path = databasePath(QStringLiteral("dropped"));
    {
        Pool pool(path, QStringLiteral("dropped"));
        pool.newTodo();
        pool.newAlarm();
        pool.newQuery();
        pool.start();
        QVERIFY(pool.todos->isEmpty());
        QVERIFY(pool.alarms->isEmpty());
        QVERIFY(pool.queries->isEmpty());
        QVERIFY(pool.unsynchronizedEntities->isEmpty());
    }
    QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT count(*) FROM TODO_PROJECT;")),
             QStringLiteral("0"));
    QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT count(*) FROM ALARM;")),
             QStringLiteral("0"));
}

void TestPool::lookupsSearchOnlyTheirOwnList()
{
    Pool pool(databasePath(QStringLiteral("lookups")), QStringLiteral("lookups"));
    pool.start();
    Todo* todo = pool.newTodo();
    Todo* sample = pool.newSample();
    Recurrence* recurrence = pool.newRecurrence();
    FieldType* fieldType = pool.newFieldType();
    Field* field = pool.newField();
    Binary* binary = pool.newBinary();
    Alarm* alarm = pool.newAlarm();
    recurrence->setSample(sample);
    alarm->setTodo(todo);
    binary->setTodo(todo);
    field->setTodo(todo);
    field->setFieldType(fieldType);
    pool.synchronizeToDatabase();
    QVERIFY(pool.unsynchronizedEntities->isEmpty());

    QCOMPARE(pool.todoById(todo->id), todo);
    QCOMPARE(pool.sampleById(sample->id), sample);
    QCOMPARE(pool.recurrenceById(recurrence->id), recurrence);
    QCOMPARE(pool.fieldTypeById(fieldType->id), fieldType);
    QCOMPARE(pool.fieldById(field->id), field);
    QCOMPARE(pool.binaryById(binary->id), binary);
    QCOMPARE(pool.alarmById(alarm->id), alarm);

    QCOMPARE(pool.todoById(sample->id), static_cast<Todo*>(nullptr));
    QCOMPARE(pool.sampleById(todo->id), static_cast<Todo*>(nullptr));
    QCOMPARE(pool.alarmById(binary->id + 1000), static_cast<Alarm*>(nullptr));
}

void TestPool::lookupReturnsFirstRecordInListOrder()
{
    Pool pool(databasePath(QStringLiteral("first")), QStringLiteral("first"));
    Todo* first = pool.newTodo();
    Todo* second = pool.newTodo();
    first->id = 7;
    second->id = 7;
    QCOMPARE(pool.todoById(7), first);
    pool.todos->move(1, 0);
    QCOMPARE(pool.todoById(7), second);
}

void TestPool::deleteTakesRecordOutOfItsList_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* name : {"todo", "sample", "sample deleted as todo", "recurrence", "field type",
                             "field", "binary", "alarm"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPool::deleteTakesRecordOutOfItsList()
{
    QFETCH(QString, kind);
    const Kind k = ::kind(kind);
    Pool pool(databasePath(QStringLiteral("delete")), QStringLiteral("delete"));
    pool.start();
    Entity* kept = k.make(pool);
    Entity* record = k.make(pool);

    k.erase(pool, record);
    QCOMPARE(k.list(pool), QList<Entity*>{kept});
    QVERIFY(pool.todos->isEmpty() || kind == QLatin1String("todo"));
    // Not freed: still a valid, deleted record that waits to be written.
    QCOMPARE(record->isDeleted, true);
    QCOMPARE(record->isRemoved, true);
    QCOMPARE(pool.unsynchronizedEntities->count(record), 1);
    release(pool, record);
    QCOMPARE(k.list(pool), QList<Entity*>{kept});
    pool.unsynchronizedEntities->clear();
}

void TestPool::deletedTodoIsFoundAgainAfterUndelete()
{
    Pool pool(databasePath(QStringLiteral("undelete")), QStringLiteral("undelete"));
    pool.start();
    Todo* todo = pool.newTodo();
    pool.synchronizeToDatabase();
    const int id = todo->id;

    pool.deleteTodo(todo);
    QCOMPARE(pool.todoById(id), static_cast<Todo*>(nullptr));
    QCOMPARE(todo->id, id);
    todo->setIsDeleted(false);
    QCOMPARE(pool.todoById(id), todo);
    QCOMPARE(pool.todos->count(todo), 1);
}

void TestPool::queriesReadThePoolsListsAndAreDeletedByIt()
{
    Pool pool(databasePath(QStringLiteral("queries")), QStringLiteral("queries"));
    Query* kept = pool.newQuery();
    Query* dropped = pool.newQuery();
    QCOMPARE(kept->todos, pool.todos);
    QCOMPARE(kept->recurrences, pool.recurrences);
    QCOMPARE(*pool.queries, (QList<Query*>{kept, dropped}));

    pool.deleteQuery(dropped);
    QCOMPARE(*pool.queries, QList<Query*>{kept});

    Todo* todo = pool.newTodo();
    kept->execute();
    QCOMPARE(*kept->result, QList<Todo*>{todo});
    // The pool's destructor deletes the query that is left.
}

void TestPool::deleteQueryWithNullOnlyRemovesNullEntries()
{
    Pool pool(databasePath(QStringLiteral("nullquery")), QStringLiteral("nullquery"));
    Query* query = pool.newQuery();
    pool.queries->append(nullptr);
    pool.queries->prepend(nullptr);
    pool.deleteQuery(nullptr);
    QCOMPARE(*pool.queries, QList<Query*>{query});
}

void TestPool::reloadReplacesDatabaseWithoutAnnouncingIt()
{
    const QString path = databasePath(QStringLiteral("reload"));
    Pool pool(path, QStringLiteral("reload"));
    pool.start();
    pool.newTodo();
    pool.newFieldType();
    pool.synchronizeToDatabase();
    QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT count(*) FROM TODO_PROJECT;")),
             QStringLiteral("1"));
    pool.newAlarm();
    pool.newQuery();

    QSignalSpy started(&pool, &Pool::poolStarted);
    pool.reloadDB();
    QCOMPARE(started.count(), 0);
    QCOMPARE(pool.started, true);
    QVERIFY(pool.todos->isEmpty());
    QVERIFY(pool.fieldTypes->isEmpty());
    QVERIFY(pool.alarms->isEmpty());
    QVERIFY(pool.queries->isEmpty());
    QVERIFY(pool.unsynchronizedEntities->isEmpty());
    QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT count(*) FROM TODO_PROJECT;")),
             QStringLiteral("0"));

    // The new database works: a record written now is stored under the first key.
    Todo* todo = pool.newTodo();
    pool.synchronizeToDatabase();
    QCOMPARE(todo->id, 1);
}

void TestPool::destructionWritesOutstandingChanges()
{
    const QString path = databasePath(QStringLiteral("destroy"));
    auto* pool = new Pool(path, QStringLiteral("destroy"));
    pool->start();
    Todo* todo = pool->newTodo();
    todo->setNote(QStringLiteral("written at the end"));
    Alarm* alarm = pool->newAlarm();
    alarm->setTodo(todo);
    delete pool;

    QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT note, is_deleted FROM TODO_PROJECT;")),
             QStringLiteral("written at the end|0"));
    QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT todo_id, is_deleted FROM ALARM;")),
             QStringLiteral("1|0"));
}

QTEST_GUILESS_MAIN(TestPool)
#include "tst_pool.moc"
