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

// Makes one record of a kind, reads the pool's list for that kind and deletes a record of it.
struct Kind
{
    std::function<Entity*(Pool&)> make;
    std::function<QList<Entity*>(const Pool&)> list;
    std::function<void(Pool&, Entity*)> erase;
};

template <typename T>
Kind kindOf(T* (Pool::*make)(), QList<T*>* Pool::*list, void (Pool::*erase)(T*))
{
    return {[make](Pool& p) { return (p.*make)(); },
            [list](const Pool& p) {
                QList<Entity*> entities;
                for (T* record : *(p.*list))
                    entities.append(record);
                return entities;
            },
            [erase](Pool& p, Entity* e) { (p.*erase)(static_cast<T*>(e)); }};
}

Kind kind(const QString& name)
{
    if (name == QLatin1String("todo"))
        return kindOf(&Pool::newTodo, &Pool::todos, &Pool::deleteTodo);
    if (name == QLatin1String("sample"))
        return kindOf(&Pool::newSample, &Pool::samples, &Pool::deleteSample);
    if (name == QLatin1String("sample deleted as todo"))
        return kindOf(&Pool::newSample, &Pool::samples, &Pool::deleteTodo);
    if (name == QLatin1String("recurrence"))
        return kindOf(&Pool::newRecurrence, &Pool::recurrences, &Pool::deleteRecurrence);
    if (name == QLatin1String("field type"))
        return kindOf(&Pool::newFieldType, &Pool::fieldTypes, &Pool::deleteFieldType);
    if (name == QLatin1String("field"))
        return kindOf(&Pool::newField, &Pool::fields, &Pool::deleteField);
    if (name == QLatin1String("binary"))
        return kindOf(&Pool::newBinary, &Pool::binaries, &Pool::deleteBinary);
    return kindOf(&Pool::newAlarm, &Pool::alarms, &Pool::deleteAlarm);
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
    void factoryListsAndDeleteUnlists_data();
    void factoryListsAndDeleteUnlists();
    void newSampleIsMarkedAndStamped();
    void lookupsSearchOnlyTheirOwnList();
    void queriesReadThePoolsListsAndAreDeletedByIt();
    void startDropsRecordsAndReloadReplacesDatabase();
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

void TestPool::factoryListsAndDeleteUnlists_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* name : {"todo", "sample", "sample deleted as todo", "recurrence", "field type",
                             "field", "binary", "alarm"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPool::factoryListsAndDeleteUnlists()
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

    Entity* doomed = k.make(pool);
    k.erase(pool, doomed);
    QCOMPARE(k.list(pool), QList<Entity*>{record});
    QVERIFY(pool.todos->isEmpty() || kind == QLatin1String("todo"));
    // Not freed: still a valid, deleted record that waits to be written.
    QCOMPARE(doomed->isDeleted, true);
    QCOMPARE(doomed->isRemoved, true);
    QCOMPARE(pool.unsynchronizedEntities->count(doomed), 1);
    release(pool, doomed);
    QCOMPARE(k.list(pool), QList<Entity*>{record});
    pool.unsynchronizedEntities->clear();
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

void TestPool::lookupsSearchOnlyTheirOwnList()
{
    Pool pool(databasePath(QStringLiteral("lookups")), QStringLiteral("lookups"));
    pool.start();
    Todo* todo = pool.newTodo();
    Todo* sample = pool.newSample();
    Alarm* alarm = pool.newAlarm();
    alarm->setTodo(todo);
    pool.synchronizeToDatabase();

    QCOMPARE(pool.todoById(todo->id), todo);
    QCOMPARE(pool.sampleById(sample->id), sample);
    QCOMPARE(pool.todoById(sample->id), static_cast<Todo*>(nullptr));
    QCOMPARE(pool.sampleById(todo->id), static_cast<Todo*>(nullptr));
    QCOMPARE(pool.alarmById(alarm->id + 1), static_cast<Alarm*>(nullptr));
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
    // Deleting a null query only takes null entries out.
    *pool.queries << nullptr;
    pool.deleteQuery(nullptr);
    QCOMPARE(*pool.queries, QList<Query*>{kept});

    Todo* todo = pool.newTodo();
    kept->execute();
    QCOMPARE(*kept->result, QList<Todo*>{todo});
    // The pool's destructor deletes the query that is left.
}

void TestPool::startDropsRecordsAndReloadReplacesDatabase()
{
    const QString path = databasePath(QStringLiteral("reload"));
    const QString countTodos = QStringLiteral("SELECT count(*) FROM TODO_PROJECT;");
    Pool pool(path, QStringLiteral("reload"));
    pool.newTodo();
    pool.newAlarm();
    pool.newQuery();
    pool.start();
    QVERIFY(pool.todos->isEmpty());
    QVERIFY(pool.alarms->isEmpty());
    QVERIFY(pool.queries->isEmpty());
    QVERIFY(pool.unsynchronizedEntities->isEmpty());
    QCOMPARE(OrvelTest::sqlite3(path, countTodos), QStringLiteral("0"));

    pool.newTodo();
    pool.newFieldType();
    pool.synchronizeToDatabase();
    QCOMPARE(OrvelTest::sqlite3(path, countTodos), QStringLiteral("1"));
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
    QCOMPARE(OrvelTest::sqlite3(path, countTodos), QStringLiteral("0"));

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
