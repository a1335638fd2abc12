#include "loghandler.h"
#include "testsupport.h"

#include <QTest>
#include <ctime>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;
using OrvelTest::LogCapture;

namespace {

using OrvelTest::databasePath;
using OrvelTest::sqlite3;
using OrvelTest::wallClock;

// The records of the whole-life scenario: a todo with an alarm, an attachment and a field value,
// and a rule with its sample and one instance; their identifiers are kept across restarts.
struct Scenario
{
    int todo, instance, sample, recurrence, fieldType, field, binary, alarm;
};

Scenario createScenario(Pool* pool)
{
    FieldType* priority = pool->newFieldType();
    Todo* todo = pool->newTodo();
    todo->setTimeZone(QStringLiteral("+05:45"));
    todo->setStartDate(wallClock(2015, 3, 2, 8, 0));
    Alarm* alarm = pool->newAlarm();
    alarm->setTodo(todo);
    alarm->setAlarmTime(wallClock(2015, 3, 2, 7, 30));
    Binary* binary = pool->newBinary();
    binary->setTodo(todo);
    binary->setData(QByteArray("\x00\x01\xff\x7f", 4));
    Field* field = pool->newField();
    field->setFieldType(priority);
    field->setTodo(todo);
    Todo* sample = pool->newSample();
    Recurrence* recurrence = pool->newRecurrence();
    recurrence->setSample(sample);
    Todo* instance = pool->newTodo();
    instance->setRecurrence(recurrence);
    pool->synchronizeToDatabase();
    return {todo->id,     instance->id, sample->id, recurrence->id,
            priority->id, field->id,    binary->id, alarm->id};
}

// After a start every record is stored and synchronized, and nothing waits to be written.
void verifyLoaded(const Pool* pool)
{
    QList<Entity*> records;
    for (Entity* record : *pool->todos)
        records << record;
    for (Entity* record : *pool->alarms)
        records << record;
    for (Entity* record : *pool->fields)
        records << record;
    for (const Entity* record : std::as_const(records))
        QVERIFY(!record->isNew && record->isSynchronized);
    QCOMPARE(pool->unsynchronizedEntities->size(), 0);
}

} // namespace

class TestPoolSync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeLifeSurvivesRestarts()
    {
        const QString database = OrvelTest::defaultDatabasePath();
        Pool* pool = Pool::instance();
        pool->start();
        const Scenario ids = createScenario(pool);
        QCOMPARE(pool->unsynchronizedEntities->size(), 0);
        delete pool;

        pool = Pool::instance();
        pool->start();
        verifyLoaded(pool);
        QCOMPARE(
            (QList<qsizetype>{pool->todos->size(), pool->samples->size(), pool->recurrences->size(),
                              pool->alarms->size(), pool->binaries->size(), pool->fields->size(),
                              pool->fieldTypes->size()}),
            (QList<qsizetype>{2, 1, 1, 1, 1, 1, 1}));
        Todo* todo = pool->todoById(ids.todo);
        Alarm* alarm = pool->alarmById(ids.alarm);
        Field* field = pool->fieldById(ids.field);
        Todo* instance = pool->todoById(ids.instance);
        Recurrence* recurrence = pool->recurrenceById(ids.recurrence);
        QVERIFY(todo && alarm && field && instance && recurrence);
        QCOMPARE(*todo->alarms, QList<Alarm*>{alarm});
        QCOMPARE(*todo->binaries, QList<Binary*>{pool->binaryById(ids.binary)});
        QCOMPARE(*todo->fields, QList<Field*>{field});
        QCOMPARE(field->fieldType, pool->fieldTypeById(ids.fieldType));
        QCOMPARE(recurrence->sample, pool->sampleById(ids.sample));
        QCOMPARE(*recurrence->todos, QList<Todo*>{instance});
        // The alarm's re-basing at linking is checked in tst_pool, the bytes in tst_storage.

        // Modify, delete and undelete, then write it all.
        todo->setNote(QStringLiteral("changed"));
        pool->deleteAlarm(alarm);
        QCOMPARE(pool->alarmById(ids.alarm), nullptr);
        pool->deleteField(field);
        pool->deleteTodo(instance);
        QCOMPARE(pool->todoById(ids.instance), nullptr);
        QVERIFY(recurrence->todos->isEmpty());
        instance->setIsDeleted(false);
        QCOMPARE(*recurrence->todos, QList<Todo*>{instance});
        pool->synchronizeToDatabase();
        QCOMPARE(pool->unsynchronizedEntities->size(), 0);
        // Undeleting does not take back the removal mark that deleting set: the undeleted instance
        // is written and then its row is deleted.
        QCOMPARE(sqlite3(database,
                         QStringLiteral("SELECT (SELECT count(*) FROM ALARM) || (SELECT count(*) "
                                        "FROM FIELD) || (SELECT count(*) FROM TODO_PROJECT);")),
                 QStringLiteral("002"));
        QVERIFY(pool->disposeDeleted(alarm));
        QVERIFY(pool->disposeDeleted(field));
        delete pool;

        pool = Pool::instance();
        pool->start();
        verifyLoaded(pool);
        todo = pool->todoById(ids.todo);
        QCOMPARE(todo->note, QStringLiteral("changed"));
        QVERIFY(todo->alarms->isEmpty() && todo->fields->isEmpty());
        QCOMPARE(pool->todos->size(), 1);
        QVERIFY(pool->recurrenceById(ids.recurrence)->todos->isEmpty());
        delete pool;
    }

    // A child listed before its parent, and a todo listed before its rule, are saved in a second
    // pass once the parent has its key.
    void parentsKeysReachChildrenInSecondPass()
    {
        const QString path = databasePath(QStringLiteral("passes"));
        Pool pool(path, QStringLiteral("passes"));
        pool.start();
        Alarm* alarm = pool.newAlarm();
        Todo* todo = pool.newTodo();
        alarm->setTodo(todo);
        Todo* instance = pool.newTodo();
        Todo* sample = pool.newSample();
        Recurrence* recurrence = pool.newRecurrence();
        recurrence->setSample(sample);
        instance->setRecurrence(recurrence);
        QCOMPARE(*pool.unsynchronizedEntities,
                 (QList<Entity*>{alarm, todo, instance, sample, recurrence}));
        LogCapture log;
        pool.synchronizeToDatabase();
        QCOMPARE(log.lines().size(), 0);
        QCOMPARE(pool.unsynchronizedEntities->size(), 0);
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT todo_id FROM ALARM;")),
                 QString::number(todo->id));
        QCOMPARE(sqlite3(path, QStringLiteral(
                                   "SELECT recurrence_id FROM TODO_PROJECT ORDER BY todo_id;")),
                 QStringLiteral("-1\n%1\n%1").arg(recurrence->id));
    }

    void recordsThatCannotSaveStayListedInOrder()
    {
        const QString path = databasePath(QStringLiteral("stuck"));
        Pool pool(path, QStringLiteral("stuck"));
        pool.start();
        Alarm* orphanAlarm = pool.newAlarm();
        Todo* todo = pool.newTodo();
        Field* orphanField = pool.newField();
        LogCapture log;
        pool.synchronizeToDatabase();
        QCOMPARE(
            log.messages(),
            QStringList{"ERROR Synchronization failed!  2  entities remained unsynchronized."});
        QCOMPARE(*pool.unsynchronizedEntities, (QList<Entity*>{orphanAlarm, orphanField}));
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM TODO_PROJECT;")),
                 QStringLiteral("1"));

        // Once they can be saved, the next call writes them.
        orphanAlarm->setTodo(todo);
        orphanField->setTodo(todo);
        orphanField->setFieldType(pool.newFieldType());
        log.clear();
        pool.synchronizeToDatabase();
        QCOMPARE(log.lines().size(), 0);
        QCOMPARE(pool.unsynchronizedEntities->size(), 0);

        // Modified twice, a record is listed once; listed twice by hand, it is saved twice, and the
        // second save meets it synchronized.
        orphanAlarm->setSnooze(1);
        orphanAlarm->setSnooze(2);
        QCOMPARE(pool.unsynchronizedEntities->count(orphanAlarm), 1);
        pool.synchronizeToDatabase();
        QCOMPARE(log.lines().size(), 0);
        pool.setUnsynchronized(orphanAlarm);
        pool.setUnsynchronized(orphanAlarm);
        pool.synchronizeToDatabase();
        const QString again = QStringLiteral("WARNING Synchronizing alredy synchronized Entity.");
        QCOMPARE(log.messages(), (QStringList{again, again}));
        QCOMPARE(pool.unsynchronizedEntities->size(), 0);

        // The deletion slots take every occurrence out, and undeletion lists a record once.
        Todo outsider(pool.connector);
        pool.setDeleted(&outsider);
        pool.setUndeleted(todo);
        QCOMPARE(*pool.todos, QList<Todo*>{todo});
        pool.todos->append(todo);
        pool.setDeleted(todo);
        QVERIFY(pool.todos->isEmpty());
        pool.setUndeleted(todo);
        QCOMPARE(*pool.todos, QList<Todo*>{todo});
        pool.unsynchronizedEntities->clear();
    }

    void destroyingPoolWithRecordListedTwiceFreesItOnce()
    {
        auto* pool =
            new Pool(databasePath(QStringLiteral("twicelisted")), QStringLiteral("twicelisted"));
        Todo* todo = pool->newTodo();
        Alarm* alarm = pool->newAlarm();
        alarm->setTodo(todo);
        pool->todos->append(pool->newTodo());
        pool->todos->append(todo);
        pool->alarms->prepend(alarm);
        // Freed exactly once each, or the sanitizer build reports a double free.
        delete pool;
    }

    void hundredThousandTodosStartAndStopInSeconds()
    {
        const int count = 100000;
        const QString path = databasePath(QStringLiteral("many"));
        delete new Pool(path, QStringLiteral("many-schema"));
        sqlite3(
            path,
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO TODO_PROJECT (todo_id, start_date, end_date, time_zone, "
                "last_mod_date, creation_date, status, is_done, note, format_string, is_deleted, "
                "recurrence_id, is_sample) SELECT i, '2015-01-14 08:00:00.000', "
                "'2015-01-14 09:00:00.000', '+01:00', '2015-01-01 00:00:00.000', "
                "'2015-01-01 00:00:00.000', 0, 0, 'todo ' || i, '', 0, -1, 0 FROM n;"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO ALARM (alarm_id, todo_id, last_mod_date, alarm_time, is_active, "
                "snooze, snooze_interval, is_deleted) SELECT i, %1 + 1 - i, "
                "'2015-01-01 00:00:00.000', '2015-01-14 07:45:00.000', 1, 0, 5, 0 FROM n;")
                .arg(count));

        // Processor time, not wall time: the machine may be busy with other work.
        const std::clock_t begin = std::clock();
        auto* pool = new Pool(path, QStringLiteral("many"));
        pool->start();
        QCOMPARE(pool->todos->size(), count);
        QCOMPARE(pool->alarms->size(), count);
        QVERIFY(pool->unsynchronizedEntities->isEmpty());
        QCOMPARE(pool->todos->constFirst()->alarms->constFirst()->id, count);
        QCOMPARE(pool->todos->constLast()->alarms->constFirst()->id, 1);
        pool->start();
        QCOMPARE(pool->todos->size(), count);
        delete pool;
        const double seconds = double(std::clock() - begin) / CLOCKS_PER_SEC;
        qInfo("Two starts and the end of a pool of %d todos with one alarm each: %.1f s", count,
              seconds);
        QVERIFY2(seconds < 60, qPrintable(QStringLiteral("took %1 s").arg(seconds)));
    }

    void hundredThousandNewRecordsSaveInTwoPassesInSeconds()
    {
        const int count = 100000;
        const QString path = databasePath(QStringLiteral("manynew"));
        Pool pool(path, QStringLiteral("manynew"));
        pool.start();
        // Every alarm stands before its todo: the first pass saves the todos and keeps the alarms,
        // the second saves the alarms.
        for (int i = 0; i < count; ++i) {
            Alarm* alarm = pool.newAlarm();
            alarm->setTodo(pool.newTodo());
        }

        const std::clock_t begin = std::clock();
        pool.synchronizeToDatabase();
        const double seconds = double(std::clock() - begin) / CLOCKS_PER_SEC;
        qInfo("Saving %d new todos with one alarm each: %.1f s", count, seconds);
        QVERIFY(pool.unsynchronizedEntities->isEmpty());
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM ALARM JOIN TODO_PROJECT USING "
                                              "(todo_id);")),
                 QString::number(count));
        QVERIFY2(seconds < 60, qPrintable(QStringLiteral("took %1 s").arg(seconds)));
    }
};

QTEST_GUILESS_MAIN(TestPoolSync)
#include "tst_poolsync.moc"
