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

QString databasePath(const QString& name)
{
    return OrvelTest::homeDirectory() + QLatin1Char('/') + name + QStringLiteral(".sqlite");
}

QDateTime wallClock(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

QString query(const QString& path, const QString& sql)
{
    return OrvelTest::sqlite3(path, sql);
}

// A deleted record has left the pool, which no longer frees it: the test frees it like a front
// end would, after detaching it from the pool so that its destructor reports nothing back.
void release(Pool* pool, Entity* record)
{
    QObject::disconnect(record, nullptr, pool, nullptr);
    pool->unsynchronizedEntities->removeAll(record);
    delete record;
}

template <typename T> void verifyStoredAndSynchronized(const QList<T*>& list)
{
    for (const T* record : list) {
        QCOMPARE(record->isNew, false);
        QCOMPARE(record->isSynchronized, true);
        QVERIFY(record->lastModDate.isValid());
    }
}

void verifyEverythingStoredAndSynchronized(const Pool* pool)
{
    verifyStoredAndSynchronized(*pool->todos);
    verifyStoredAndSynchronized(*pool->samples);
    verifyStoredAndSynchronized(*pool->recurrences);
    verifyStoredAndSynchronized(*pool->alarms);
    verifyStoredAndSynchronized(*pool->binaries);
    verifyStoredAndSynchronized(*pool->fields);
    verifyStoredAndSynchronized(*pool->fieldTypes);
    QCOMPARE(pool->unsynchronizedEntities->size(), 0);
}

// The identifiers of the records of the whole-life scenario, kept across restarts.
struct Scenario
{
    int todo = 0;
    int instance = 0;
    int sample = 0;
    int recurrence = 0;
    int fieldType = 0;
    int field = 0;
    int binary = 0;
    int todoAlarm = 0;
    int sampleAlarm = 0;
};

const QByteArray attachmentBytes("\x00\x01\xff\x7f", 4);

Scenario createScenario(Pool* pool)
{
    FieldType* priority = pool->newFieldType();
    priority->setName(QStringLiteral("Priority"));

    Todo* todo = pool->newTodo();
    todo->setTimeZone(QStringLiteral("+05:45"));
    todo->setStartDate(wallClock(2015, 3, 2, 8, 0));
    todo->setEndDate(wallClock(2015, 3, 2, 9, 30));
    todo->setStatus(3);
    todo->setIsDone(true);
    todo->setFormatString(QStringLiteral("Dentist"));
    todo->setNote(QStringLiteral("Bring the card"));

    Alarm* todoAlarm = pool->newAlarm();
    todoAlarm->setTodo(todo);
    todoAlarm->setAlarmTime(wallClock(2015, 3, 2, 7, 30));
    todoAlarm->setIsActive(true);
    todoAlarm->setSnooze(2);
    todoAlarm->setSnoozeInterval(10);

    Binary* binary = pool->newBinary();
    binary->setTodo(todo);
    binary->setNote(QStringLiteral("Scan"));
    binary->setType(BinaryType(2));
    binary->setSize(4);
    binary->setData(attachmentBytes);

    Field* field = pool->newField();
    field->setFieldType(priority);
    field->setTodo(todo);
    field->setValue(QStringLiteral("high"));
    field->setDbId(QStringLiteral("db-1"));
    field->setContactId(QStringLiteral("contact-7"));

    Todo* sample = pool->newSample();
    sample->setTimeZone(QStringLiteral("+01:00"));
    sample->setStartDate(wallClock(2015, 1, 5, 9, 0));
    sample->setEndDate(wallClock(2015, 1, 5, 10, 0));
    Alarm* sampleAlarm = pool->newAlarm();
    sampleAlarm->setTodo(sample);
    sampleAlarm->setAlarmTime(wallClock(2015, 1, 5, 8, 45));

    Recurrence* recurrence = pool->newRecurrence();
    recurrence->setSample(sample);
    recurrence->setRepeats(Weekly);
    recurrence->setRepeatsOn(QStringLiteral("0100000"));
    recurrence->setRepeatsEvery(2);
    recurrence->setIsActive(true);
    recurrence->setRangeStart(wallClock(2015, 1, 1, 0, 0));
    recurrence->setRangeEnd(wallClock(2015, 12, 31, 23, 59));

    Todo* instance = pool->newTodo();
    instance->setNote(QStringLiteral("one of the series"));
    instance->setRecurrence(recurrence);

    pool->synchronizeToDatabase();

    Scenario ids;
    ids.todo = todo->id;
    ids.instance = instance->id;
    ids.sample = sample->id;
    ids.recurrence = recurrence->id;
    ids.fieldType = priority->id;
    ids.field = field->id;
    ids.binary = binary->id;
    ids.todoAlarm = todoAlarm->id;
    ids.sampleAlarm = sampleAlarm->id;
    return ids;
}

} // namespace

class TestPoolSync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeLifeSurvivesRestarts();
    void childListedBeforeItsParentSavesInSecondPass();
    void recordsThatCannotSaveStayListedInOrder();
    void todoSavedBeforeItsRecurrenceGetsItsKey();
    void listingTwiceSavesTwice_data();
    void listingTwiceSavesTwice();
    void deletedAndUndeletedSlotsKeepListsExact();
    void destroyingPoolWithRecordListedTwiceFreesItOnce();
    void hundredThousandTodosStartAndStopInSeconds();
    void hundredThousandNewRecordsSaveInTwoPassesInSeconds();
};

void TestPoolSync::wholeLifeSurvivesRestarts()
{
    Pool* pool = Pool::instance();
    pool->start();
    const Scenario ids = createScenario(pool);
    QCOMPARE(pool->unsynchronizedEntities->size(), 0);
    QCOMPARE(query(OrvelTest::defaultDatabasePath(),
                   QStringLiteral("SELECT recurrence_id FROM TODO_PROJECT WHERE todo_id = %1;")
                       .arg(ids.instance)),
             QString::number(ids.recurrence));
    delete pool;

    pool = Pool::instance();
    pool->start();
    verifyEverythingStoredAndSynchronized(pool);
    QCOMPARE(
        (QList<qsizetype>{pool->todos->size(), pool->samples->size(), pool->recurrences->size(),
                          pool->alarms->size(), pool->binaries->size(), pool->fields->size(),
                          pool->fieldTypes->size()}),
        (QList<qsizetype>{2, 1, 1, 2, 1, 1, 1}));

    Todo* todo = pool->todoById(ids.todo);
    QVERIFY(todo);
    QCOMPARE(todo->time_zone, QStringLiteral("+05:45"));
    QCOMPARE(todo->startDate(Stored), wallClock(2015, 3, 2, 8, 0));
    QCOMPARE(todo->endDate(Stored), wallClock(2015, 3, 2, 9, 30));
    QCOMPARE(todo->startDate(UTC), QDateTime(QDate(2015, 3, 2), QTime(2, 15), Qt::UTC));
    QCOMPARE(todo->status, 3);
    QCOMPARE(todo->is_done, true);
    QCOMPARE(todo->format_string, QStringLiteral("Dentist"));
    QCOMPARE(todo->note, QStringLiteral("Bring the card"));
    QCOMPARE(todo->recurrence_id, -1);

    Alarm* todoAlarm = pool->alarmById(ids.todoAlarm);
    QVERIFY(todoAlarm);
    QCOMPARE(*todo->alarms, QList<Alarm*>{todoAlarm});
    QCOMPARE(todoAlarm->todo, todo);
    // Stored as the instant of 07:30 in +05:45. Linking re-bases a loaded alarm from the
    // device's zone into its todo's, so it comes back with the reading that instant has on the
    // device (02:45 in Berlin), now read in +05:45.
    QCOMPARE(
        query(
            OrvelTest::defaultDatabasePath(),
            QStringLiteral("SELECT alarm_time FROM ALARM WHERE alarm_id = %1;").arg(ids.todoAlarm)),
        QStringLiteral("2015-03-02 01:45:00.000"));
    QCOMPARE(todoAlarm->alarmTime(Stored), wallClock(2015, 3, 2, 2, 45));
    QCOMPARE(todoAlarm->is_active, true);
    QCOMPARE(todoAlarm->snooze, 2);
    QCOMPARE(todoAlarm->snooze_interval, 10);

    Binary* binary = pool->binaryById(ids.binary);
    QVERIFY(binary);
    QCOMPARE(*todo->binaries, QList<Binary*>{binary});
    QCOMPARE(binary->note, QStringLiteral("Scan"));
    QCOMPARE(int(binary->type), 2);
    QCOMPARE(binary->size, 4);
    QCOMPARE(*binary->data, QByteArray());
    binary->loadBinaryData();
    QCOMPARE(*binary->data, attachmentBytes);

    FieldType* priority = pool->fieldTypeById(ids.fieldType);
    Field* field = pool->fieldById(ids.field);
    QVERIFY(priority);
    QVERIFY(field);
    QCOMPARE(priority->name, QStringLiteral("Priority"));
    QCOMPARE(*todo->fields, QList<Field*>{field});
    QCOMPARE(*priority->fields, QList<Field*>{field});
    QCOMPARE(field->fieldType, priority);
    QCOMPARE(field->value, QStringLiteral("high"));
    QCOMPARE(field->db_id, QStringLiteral("db-1"));
    QCOMPARE(field->contact_id, QStringLiteral("contact-7"));

    Todo* sample = pool->sampleById(ids.sample);
    Recurrence* recurrence = pool->recurrenceById(ids.recurrence);
    Todo* instance = pool->todoById(ids.instance);
    QVERIFY(sample);
    QVERIFY(recurrence);
    QVERIFY(instance);
    QCOMPARE(sample->is_sample, true);
    QCOMPARE(sample->recurrence, recurrence);
    QCOMPARE(sample->recurrence_id, ids.recurrence);
    QCOMPARE(recurrence->sample, sample);
    QCOMPARE(recurrence->repeats, Weekly);
    QCOMPARE(recurrence->repeats_on, QStringLiteral("0100000"));
    QCOMPARE(recurrence->repeats_every, 2);
    QCOMPARE(recurrence->is_active, true);
    QCOMPARE(recurrence->rangeStart(Stored), wallClock(2015, 1, 1, 0, 0));
    QCOMPARE(recurrence->rangeEnd(Stored), wallClock(2015, 12, 31, 23, 59));
    QCOMPARE(sample->startDate(Stored), wallClock(2015, 1, 5, 9, 0));
    QCOMPARE(sample->alarms->size(), 1);
    QCOMPARE(sample->alarms->constFirst()->alarmTime(Stored), wallClock(2015, 1, 5, 8, 45));
    QCOMPARE(instance->recurrence, recurrence);
    QCOMPARE(instance->recurrence_id, ids.recurrence);
    QCOMPARE(*recurrence->todos, QList<Todo*>{instance});
    QCOMPARE(instance->note, QStringLiteral("one of the series"));

    // Modify, delete and undelete, then write it all.
    todo->setNote(QStringLiteral("changed"));
    todo->setStatus(4);
    QCOMPARE(pool->unsynchronizedEntities->count(todo), 1);
    pool->deleteAlarm(todoAlarm);
    QCOMPARE(pool->alarmById(ids.todoAlarm), static_cast<Alarm*>(nullptr));
    QVERIFY(todo->alarms->isEmpty());
    pool->deleteField(field);
    QVERIFY(priority->fields->isEmpty());
    pool->deleteTodo(instance);
    QCOMPARE(pool->todoById(ids.instance), static_cast<Todo*>(nullptr));
    QVERIFY(recurrence->todos->isEmpty());
    instance->setIsDeleted(false);
    QCOMPARE(pool->todoById(ids.instance), instance);
    QCOMPARE(*recurrence->todos, QList<Todo*>{instance});
    pool->synchronizeToDatabase();
    QCOMPARE(pool->unsynchronizedEntities->size(), 0);
    QCOMPARE(
        query(OrvelTest::defaultDatabasePath(),
              QStringLiteral("SELECT count(*) FROM ALARM WHERE alarm_id = %1;").arg(ids.todoAlarm)),
        QStringLiteral("0"));
    QCOMPARE(query(OrvelTest::defaultDatabasePath(), QStringLiteral("SELECT count(*) FROM FIELD;")),
             QStringLiteral("0"));
    // Undeleting does not take back the removal mark that deleting set: the undeleted instance
    // is written and then its row is deleted.
    QCOMPARE(instance->isRemoved, true);
    QCOMPARE(query(OrvelTest::defaultDatabasePath(),
                   QStringLiteral("SELECT count(*) FROM TODO_PROJECT WHERE todo_id = %1;")
                       .arg(ids.instance)),
             QStringLiteral("0"));
    release(pool, todoAlarm);
    release(pool, field);
    delete pool;

    pool = Pool::instance();
    pool->start();
    verifyEverythingStoredAndSynchronized(pool);
    todo = pool->todoById(ids.todo);
    QVERIFY(todo);
    QCOMPARE(todo->note, QStringLiteral("changed"));
    QCOMPARE(todo->status, 4);
    QVERIFY(todo->alarms->isEmpty());
    QVERIFY(todo->fields->isEmpty());
    QCOMPARE(todo->binaries->size(), 1);
    QCOMPARE(pool->alarms->size(), 1);
    QCOMPARE(pool->fieldTypeById(ids.fieldType)->fields->size(), 0);
    QCOMPARE(pool->todoById(ids.instance), static_cast<Todo*>(nullptr));
    QCOMPARE(pool->todos->size(), 1);
    recurrence = pool->recurrenceById(ids.recurrence);
    QVERIFY(recurrence);
    QVERIFY(recurrence->todos->isEmpty());
    QCOMPARE(recurrence->sample, pool->sampleById(ids.sample));
    delete pool;
}

void TestPoolSync::childListedBeforeItsParentSavesInSecondPass()
{
    const QString path = databasePath(QStringLiteral("passes"));
    Pool pool(path, QStringLiteral("passes"));
    pool.start();
    Alarm* alarm = pool.newAlarm();
    Todo* todo = pool.newTodo();
    alarm->setTodo(todo);
    QCOMPARE(*pool.unsynchronizedEntities, (QList<Entity*>{alarm, todo}));

    LogCapture log;
    pool.synchronizeToDatabase();
    QCOMPARE(log.lines(), QList<QByteArray>());
    QCOMPARE(pool.unsynchronizedEntities->size(), 0);
    QCOMPARE(alarm->lastError, QString());
    QCOMPARE(alarm->todo_id, todo->id);
    QCOMPARE(query(path,
                   QStringLiteral("SELECT todo_id FROM ALARM WHERE alarm_id = %1;").arg(alarm->id)),
             QString::number(todo->id));
}

void TestPoolSync::recordsThatCannotSaveStayListedInOrder()
{
    const QString path = databasePath(QStringLiteral("stuck"));
    Pool pool(path, QStringLiteral("stuck"));
    pool.start();
    Alarm* orphanAlarm = pool.newAlarm();
    Todo* todo = pool.newTodo();
    Field* orphanField = pool.newField();

    LogCapture log;
    pool.synchronizeToDatabase();
    QCOMPARE(log.messages(),
             QStringList{"ERROR Synchronization failed!  2  entities remained unsynchronized."});
    QCOMPARE(*pool.unsynchronizedEntities, (QList<Entity*>{orphanAlarm, orphanField}));
    QCOMPARE(orphanAlarm->lastError,
             QStringLiteral("Invalid todo_id (-2147483648), save can't be performed yet!"));
    QCOMPARE(todo->isNew, false);
    QCOMPARE(query(path, QStringLiteral("SELECT count(*) FROM TODO_PROJECT;")),
             QStringLiteral("1"));

    // Once it can be saved, the next call writes it.
    orphanAlarm->setTodo(todo);
    orphanField->setTodo(todo);
    orphanField->setFieldType(pool.newFieldType());
    log.clear();
    pool.synchronizeToDatabase();
    QCOMPARE(log.lines(), QList<QByteArray>());
    QCOMPARE(pool.unsynchronizedEntities->size(), 0);
}

void TestPoolSync::todoSavedBeforeItsRecurrenceGetsItsKey()
{
    const QString path = databasePath(QStringLiteral("second"));
    Pool pool(path, QStringLiteral("second"));
    pool.start();
    Todo* instance = pool.newTodo();
    Todo* sample = pool.newSample();
    Recurrence* recurrence = pool.newRecurrence();
    recurrence->setSample(sample);
    instance->setRecurrence(recurrence);
    QCOMPARE(instance->recurrence_id, -1);
    QCOMPARE(*pool.unsynchronizedEntities, (QList<Entity*>{instance, sample, recurrence}));

    pool.synchronizeToDatabase();
    QCOMPARE(pool.unsynchronizedEntities->size(), 0);
    QVERIFY(recurrence->id > 0);
    QCOMPARE(instance->recurrence_id, recurrence->id);
    const QString stored = query(
        path, QStringLiteral("SELECT todo_id, recurrence_id FROM TODO_PROJECT ORDER BY todo_id;"));
    QCOMPARE(stored,
             QStringLiteral("%1|%3\n%2|%3").arg(instance->id).arg(sample->id).arg(recurrence->id));
}

void TestPoolSync::listingTwiceSavesTwice_data()
{
    QTest::addColumn<bool>("listedByHand");
    QTest::addColumn<int>("warnings");
    QTest::newRow("modified twice is listed once") << false << 0;
    QTest::newRow("listed twice is saved twice") << true << 2;
}

void TestPoolSync::listingTwiceSavesTwice()
{
    QFETCH(bool, listedByHand);
    QFETCH(int, warnings);
    Pool pool(databasePath(QStringLiteral("twice")), QStringLiteral("twice"));
    pool.start();
    Alarm* alarm = pool.newAlarm();
    alarm->setTodo(pool.newTodo());
    pool.synchronizeToDatabase();

    if (listedByHand) {
        pool.setUnsynchronized(alarm);
        pool.setUnsynchronized(alarm);
    } else {
        alarm->setSnooze(1);
        alarm->setSnooze(2);
    }
    // The alarm's todo is marked modified by its alarm; only count the alarm here.
    QCOMPARE(pool.unsynchronizedEntities->count(alarm), listedByHand ? 2 : 1);

    // Saving an alarm that is already synchronized warns; a second entry meets it so.
    LogCapture log;
    pool.synchronizeToDatabase();
    QCOMPARE(log.lines().size(), warnings);
    for (const QString& message : log.messages())
        QCOMPARE(message, QStringLiteral("WARNING Synchronizing alredy synchronized Entity."));
    QCOMPARE(pool.unsynchronizedEntities->size(), 0);
}

void TestPoolSync::deletedAndUndeletedSlotsKeepListsExact()
{
    Pool pool(databasePath(QStringLiteral("slots")), QStringLiteral("slots"));
    Todo* first = pool.newTodo();
    Todo* second = pool.newTodo();
    Todo outsider(pool.connector);

    pool.setDeleted(&outsider);
    QCOMPARE(*pool.todos, (QList<Todo*>{first, second}));

    pool.setUndeleted(first);
    pool.setUndeleted(first);
    QCOMPARE(*pool.todos, (QList<Todo*>{first, second}));

    // Every occurrence leaves, wherever it stands.
    pool.todos->append(first);
    pool.setDeleted(first);
    QCOMPARE(*pool.todos, QList<Todo*>{second});
    pool.setUndeleted(first);
    QCOMPARE(*pool.todos, (QList<Todo*>{second, first}));

    pool.unsynchronizedEntities->clear();
}

void TestPoolSync::destroyingPoolWithRecordListedTwiceFreesItOnce()
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

void TestPoolSync::hundredThousandTodosStartAndStopInSeconds()
{
    const int count = 100000;
    const QString path = databasePath(QStringLiteral("many"));
    delete new Pool(path, QStringLiteral("many-schema"));
    query(path,
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

void TestPoolSync::hundredThousandNewRecordsSaveInTwoPassesInSeconds()
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
    QCOMPARE(query(path, QStringLiteral("SELECT count(*) FROM ALARM JOIN TODO_PROJECT USING "
                                        "(todo_id);")),
             QString::number(count));
    QVERIFY2(seconds < 60, qPrintable(QStringLiteral("took %1 s").arg(seconds)));
}

QTEST_GUILESS_MAIN(TestPoolSync)
#include "tst_poolsync.moc"
