#include "loghandler.h"
#include "testsupport.h"

#include <QTest>
#include <memory>
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

// The device runs in Europe/Berlin (+01:00 in winter) and the clock stands at
// Wednesday 2015-01-14 12:00:00 local time (11:00 UTC).

QDateTime wallClock(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

QString databasePath(const QString& name)
{
    return OrvelTest::homeDirectory() + QLatin1Char('/') + name + QStringLiteral(".sqlite");
}

// A name usable in a file name and a connection name, unique per test row.
QString rowName(const char* test)
{
    QString name = QString::fromLatin1(test);
    if (QTest::currentDataTag())
        name += QLatin1Char('-') + QString::fromLatin1(QTest::currentDataTag());
    return name.replace(QLatin1Char(' '), QLatin1Char('_'));
}

// A repeating todo: a sample starting Monday 2015-01-05 09:00 for an hour in its zone, with a
// field value, an alarm a quarter of an hour before, an attachment and a format string naming
// the field; its rule runs through 2015.
struct Rule
{
    FieldType* who = nullptr;
    Todo* sample = nullptr;
    Recurrence* recurrence = nullptr;
};

Rule makeRule(Pool* pool, Repeats repeats, const QString& repeatsOn, int every,
              const QString& zone = QStringLiteral("+01:00"))
{
    Rule rule;
    rule.who = pool->newFieldType();
    rule.who->setName(QStringLiteral("Who"));
    pool->synchronizeToDatabase();

    rule.sample = pool->newSample();
    rule.sample->setTimeZone(zone);
    rule.sample->setStartDate(wallClock(2015, 1, 5, 9, 0));
    rule.sample->setEndDate(wallClock(2015, 1, 5, 10, 0));
    rule.sample->setStatus(2);
    Field* field = pool->newField();
    field->setFieldType(rule.who);
    field->setTodo(rule.sample);
    field->setValue(QStringLiteral("Alice"));
    field->setDbId(QStringLiteral("db-3"));
    field->setContactId(QStringLiteral("contact-9"));
    Alarm* alarm = pool->newAlarm();
    alarm->setTodo(rule.sample);
    alarm->setAlarmTime(wallClock(2015, 1, 5, 8, 45));
    alarm->setIsActive(true);
    alarm->setSnooze(1);
    alarm->setSnoozeInterval(7);
    pool->newBinary()->setTodo(rule.sample);
    rule.sample->setFormatString(QStringLiteral("Call %%1%").arg(rule.who->id));

    rule.recurrence = pool->newRecurrence();
    rule.recurrence->setSample(rule.sample);
    rule.recurrence->setRepeats(repeats);
    rule.recurrence->setRepeatsOn(repeatsOn);
    rule.recurrence->setRepeatsEvery(every);
    rule.recurrence->setIsActive(true);
    rule.recurrence->setRangeStart(wallClock(2015, 1, 1, 0, 0));
    rule.recurrence->setRangeEnd(wallClock(2015, 12, 31, 0, 0));
    pool->synchronizeToDatabase();
    return rule;
}

QList<Todo*> instancesOf(const Pool* pool, const Recurrence* recurrence)
{
    QList<Todo*> instances;
    for (Todo* todo : *pool->todos) {
        if (todo->recurrence == recurrence)
            instances.append(todo);
    }
    return instances;
}

QList<QDateTime> startsOf(const QList<Todo*>& todos)
{
    QList<QDateTime> starts;
    for (const Todo* todo : todos)
        starts.append(todo->startDate(UTC));
    return starts;
}

QString monthlyOnDays(std::initializer_list<int> days)
{
    QString pattern(29, QLatin1Char('0'));
    for (int day : days)
        pattern[day] = QLatin1Char('1');
    return pattern;
}

} // namespace

class TestInstancing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void instanceTodosCopiesEveryOccurrenceUpToUntil_data();
    void instanceTodosCopiesEveryOccurrenceUpToUntil();
    void instanceTodosWithoutRuleInstancesEveryRule();
    void instanceNextTodoMakesAtMostOneInstance_data();
    void instanceNextTodoMakesAtMostOneInstance();
    void updateSampleWithTodoReplacesTheSample();
    void updateTodoAlarmTakesPlainValues_data();
    void updateTodoAlarmTakesPlainValues();
};

void TestInstancing::instanceTodosCopiesEveryOccurrenceUpToUntil_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QString>("repeatsOn");
    QTest::addColumn<int>("every");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QDateTime>("until");
    QTest::addColumn<QList<QDateTime>>("starts");
    QTest::addColumn<int>("alarmLead"); // minutes before the start, in UTC

    // In +01:00 the device's and the sample's readings agree: 09:00 is 08:00 UTC and the alarm
    // at 08:45 is 07:45 UTC, a quarter of an hour before, on each day of the series.
    QTest::newRow("daily every second day")
        << int(Daily) << QString() << 2 << QStringLiteral("+01:00") << wallClock(2015, 1, 15, 0, 0)
        << QList<QDateTime>{utc(2015, 1, 7, 8, 0), utc(2015, 1, 9, 8, 0), utc(2015, 1, 11, 8, 0),
                            utc(2015, 1, 13, 8, 0)}
        << 15;
    QTest::newRow("weekly on Monday and Wednesday")
        << int(Weekly) << QStringLiteral("1010000") << 1 << QStringLiteral("+01:00")
        << wallClock(2015, 1, 19, 0, 0)
        << QList<QDateTime>{utc(2015, 1, 7, 8, 0), utc(2015, 1, 12, 8, 0), utc(2015, 1, 14, 8, 0)}
        << 15;
    QTest::newRow("monthly on the 10th and 20th")
        << int(Monthly) << monthlyOnDays({10, 20}) << 1 << QStringLiteral("+01:00")
        << wallClock(2015, 3, 15, 0, 0)
        << QList<QDateTime>{utc(2015, 1, 10, 8, 0), utc(2015, 1, 20, 8, 0), utc(2015, 2, 10, 8, 0),
                            utc(2015, 2, 20, 8, 0), utc(2015, 3, 10, 8, 0)}
        << 15;
    QTest::newRow("no occurrence before until")
        << int(Daily) << QString() << 1 << QStringLiteral("+01:00") << wallClock(2015, 1, 6, 0, 0)
        << QList<QDateTime>{} << 15;
    // In +05:45 the sample starts at 03:15 UTC, 04:15 on the device. An instance takes its dates
    // in the device's reading and only then the sample's zone, which keeps that reading: it
    // starts at 04:15 in +05:45, 22:30 UTC the day before. The alarm (03:00 UTC, 04:00 on the
    // device) goes through that re-basing twice, once in the occurrence and once in the
    // instance: 17:30 UTC the day before, five hours before the start.
    QTest::newRow("daily in a zone other than the device's")
        << int(Daily) << QString() << 2 << QStringLiteral("+05:45") << wallClock(2015, 1, 10, 0, 0)
        << QList<QDateTime>{utc(2015, 1, 6, 22, 30), utc(2015, 1, 8, 22, 30)} << 300;
}

void TestInstancing::instanceTodosCopiesEveryOccurrenceUpToUntil()
{
    QFETCH(int, repeats);
    QFETCH(QString, repeatsOn);
    QFETCH(int, every);
    QFETCH(QString, zone);
    QFETCH(QDateTime, until);
    QFETCH(QList<QDateTime>, starts);
    QFETCH(int, alarmLead);

    const QString path = databasePath(rowName("instanceTodos"));
    auto pool = std::make_unique<Pool>(path, rowName("instanceTodos"));
    pool->start();
    const Rule rule = makeRule(pool.get(), Repeats(repeats), repeatsOn, every, zone);
    QCOMPARE(rule.recurrence->repeats_on, repeatsOn);
    Field* sampleField = rule.sample->fields->constFirst();
    Alarm* sampleAlarm = rule.sample->alarms->constFirst();

    pool->instanceTodos(until, rule.recurrence);

    const QList<Todo*> instances = instancesOf(pool.get(), rule.recurrence);
    QCOMPARE(startsOf(instances), starts);
    QCOMPARE(*rule.recurrence->todos, instances);
    QCOMPARE(pool->todos->size(), starts.size());
    QCOMPARE(rule.recurrence->instancingDate(UTC), until.toTimeSpec(Qt::UTC));
    QCOMPARE(pool->unsynchronizedEntities->count(rule.recurrence), 1);
    QVERIFY(pool->queries->isEmpty());
    for (int i = 0; i < instances.size(); ++i) {
        const Todo* instance = instances.at(i);
        QCOMPARE(instance->endDate(UTC), starts.at(i).addSecs(3600));
        QCOMPARE(instance->time_zone, zone);
        QCOMPARE(instance->is_sample, false);
        QCOMPARE(instance->status, 2);
        QCOMPARE(instance->recurrence_id, rule.recurrence->id);
        QCOMPARE(instance->format_string, rule.sample->format_string);
        QCOMPARE(instance->note, QStringLiteral("Call Alice"));
        QVERIFY(instance->binaries->isEmpty());

        QCOMPARE(instance->fields->size(), 1);
        const Field* field = instance->fields->constFirst();
        QVERIFY(field != sampleField);
        QVERIFY(pool->fields->contains(const_cast<Field*>(field)));
        QCOMPARE(field->fieldType, rule.who);
        QCOMPARE(field->value, QStringLiteral("Alice"));
        QCOMPARE(field->db_id, QStringLiteral("db-3"));
        QCOMPARE(field->contact_id, QStringLiteral("contact-9"));

        QCOMPARE(instance->alarms->size(), 1);
        const Alarm* alarm = instance->alarms->constFirst();
        QVERIFY(alarm != sampleAlarm);
        QVERIFY(pool->alarms->contains(const_cast<Alarm*>(alarm)));
        QCOMPARE(alarm->alarmTime(UTC), starts.at(i).addSecs(-60 * alarmLead));
        QCOMPARE(alarm->is_active, true);
        QCOMPARE(alarm->snooze, 1);
        QCOMPARE(alarm->snooze_interval, 7);
    }
    QCOMPARE(pool->binaries->size(), 1);

    // Written with the next synchronisation and linked to their rule again after a restart.
    const int recurrenceId = rule.recurrence->id;
    pool->synchronizeToDatabase();
    QVERIFY(pool->unsynchronizedEntities->isEmpty());
    pool.reset();
    pool = std::make_unique<Pool>(path, rowName("instanceTodos-restarted"));
    pool->start();
    Recurrence* recurrence = pool->recurrenceById(recurrenceId);
    QVERIFY(recurrence);
    QCOMPARE(startsOf(*recurrence->todos), starts);
    QCOMPARE(instancesOf(pool.get(), recurrence), *recurrence->todos);
    QCOMPARE(recurrence->instancingDate(UTC), until.toTimeSpec(Qt::UTC));
    for (const Todo* instance : *recurrence->todos) {
        QCOMPARE(instance->note, QStringLiteral("Call Alice"));
        QCOMPARE(instance->fields->size(), 1);
        QCOMPARE(instance->alarms->size(), 1);
    }
}

void TestInstancing::instanceTodosWithoutRuleInstancesEveryRule()
{
    Pool pool(databasePath(QStringLiteral("everyRule")), QStringLiteral("everyRule"));
    pool.start();
    const Rule daily = makeRule(&pool, Daily, QString(), 3);
    const Rule weekly = makeRule(&pool, Weekly, QStringLiteral("0000100"), 1);

    pool.instanceTodos(wallClock(2015, 1, 12, 0, 0), nullptr);
    QCOMPARE(startsOf(*daily.recurrence->todos),
             (QList<QDateTime>{utc(2015, 1, 8, 8, 0), utc(2015, 1, 11, 8, 0)}));
    QCOMPARE(startsOf(*weekly.recurrence->todos), QList<QDateTime>{utc(2015, 1, 9, 8, 0)});
    QCOMPARE(daily.recurrence->instancingDate(UTC), utc(2015, 1, 11, 23, 0));
    QCOMPARE(weekly.recurrence->instancingDate(UTC), utc(2015, 1, 11, 23, 0));
}

void TestInstancing::instanceNextTodoMakesAtMostOneInstance_data()
{
    QTest::addColumn<QDateTime>("instancedUpTo");
    QTest::addColumn<QDateTime>("rangeEnd");
    QTest::addColumn<QList<QDateTime>>("starts");
    QTest::addColumn<QDateTime>("movedTo");

    // The next occurrence after the sample's start, Monday 2015-01-05 09:00, is 07 January.
    QTest::newRow("due") << utc(2010, 6, 1, 0, 0) << wallClock(2015, 12, 31, 0, 0)
                         << QList<QDateTime>{utc(2015, 1, 7, 8, 0)} << utc(2015, 1, 7, 8, 0, 1);
    QTest::newRow("due a second ago")
        << utc(2015, 1, 14, 10, 59, 59) << wallClock(2015, 12, 31, 0, 0)
        << QList<QDateTime>{utc(2015, 1, 7, 8, 0)} << utc(2015, 1, 7, 8, 0, 1);
    QTest::newRow("not due before now") << utc(2015, 1, 14, 11, 0) << wallClock(2015, 12, 31, 0, 0)
                                        << QList<QDateTime>{} << utc(2015, 1, 14, 11, 0);
    QTest::newRow("due but the rule has ended")
        << utc(2010, 6, 1, 0, 0) << wallClock(2015, 1, 6, 0, 0) << QList<QDateTime>{}
        << utc(2010, 6, 1, 0, 0);
}

void TestInstancing::instanceNextTodoMakesAtMostOneInstance()
{
    QFETCH(QDateTime, instancedUpTo);
    QFETCH(QDateTime, rangeEnd);
    QFETCH(QList<QDateTime>, starts);
    QFETCH(QDateTime, movedTo);

    Pool pool(databasePath(rowName("next")), rowName("next"));
    pool.start();
    const Rule rule = makeRule(&pool, Daily, QString(), 2);
    rule.recurrence->instancing_date = instancedUpTo;
    rule.recurrence->setRangeEnd(rangeEnd);
    pool.synchronizeToDatabase();

    pool.instanceNextTodo(rule.recurrence);
    QCOMPARE(startsOf(*rule.recurrence->todos), starts);
    QCOMPARE(pool.todos->size(), starts.size());
    QCOMPARE(rule.recurrence->instancingDate(UTC), movedTo);
    QCOMPARE(pool.unsynchronizedEntities->contains(rule.recurrence), !starts.isEmpty());
    QVERIFY(pool.queries->isEmpty());
    if (!starts.isEmpty()) {
        const Todo* instance = rule.recurrence->todos->constFirst();
        QCOMPARE(instance->note, QStringLiteral("Call Alice"));
        QCOMPARE(instance->alarms->size(), 1);
        QCOMPARE(instance->fields->size(), 1);
    }

    // Without a rule every rule of the pool is asked. The next occurrence is counted from the
    // sample's start, not from instancing_date, so a rule that is still due gets the same
    // occurrence instanced once more.
    pool.instanceNextTodo(nullptr);
    QCOMPARE(startsOf(*rule.recurrence->todos), starts + starts);
}

void TestInstancing::updateSampleWithTodoReplacesTheSample()
{
    Pool pool(databasePath(QStringLiteral("update")), QStringLiteral("update"));
    pool.start();
    const Rule rule = makeRule(&pool, Daily, QString(), 1);
    Todo* todo = pool.newTodo();
    todo->setTimeZone(QStringLiteral("+05:45"));
    todo->setStartDate(wallClock(2015, 2, 2, 10, 0));
    todo->setEndDate(wallClock(2015, 2, 2, 11, 30));
    todo->setIsDone(true);
    todo->setStatus(5);
    Field* field = pool.newField();
    field->setFieldType(rule.who);
    field->setTodo(todo);
    field->setValue(QStringLiteral("Bob"));
    Alarm* alarm = pool.newAlarm();
    alarm->setTodo(todo);
    alarm->setAlarmTime(wallClock(2015, 2, 2, 9, 30));
    pool.newBinary()->setTodo(todo);
    todo->setFormatString(QStringLiteral("Meet %%1%").arg(rule.who->id));
    todo->setNote(QStringLiteral("Meet Bob at the station"));
    // A sample without a rule is left alone.
    Todo* lonely = pool.newSample();
    pool.synchronizeToDatabase();
    LogCapture log;
    pool.updateSampleWithTodo(lonely, todo);
    QCOMPARE(log.lines(), QList<QByteArray>{});
    QCOMPARE(lonely->isDeleted, false);
    QVERIFY(pool.unsynchronizedEntities->isEmpty());

    pool.updateSampleWithTodo(rule.sample, todo);
    QCOMPARE(log.lines(), QList<QByteArray>{LogCapture::line("WARNING", "update sample")});

    Todo* sample = rule.recurrence->sample;
    QVERIFY(sample != rule.sample);
    QCOMPARE(*pool.samples, (QList<Todo*>{lonely, sample}));
    QCOMPARE(sample->recurrence, rule.recurrence);
    QCOMPARE(rule.sample->isDeleted, true);
    QCOMPARE(rule.sample->recurrence, static_cast<Recurrence*>(nullptr));
    QCOMPARE(rule.recurrence->isDeleted, false);
    QVERIFY(pool.recurrences->contains(rule.recurrence));

    // The copy takes the zone first and the dates in the todo's own zone: the same readings.
    QCOMPARE(sample->is_sample, true);
    QCOMPARE(sample->time_zone, QStringLiteral("+05:45"));
    QCOMPARE(sample->startDate(Stored), wallClock(2015, 2, 2, 10, 0));
    QCOMPARE(sample->endDate(Stored), wallClock(2015, 2, 2, 11, 30));
    QCOMPARE(sample->startDate(UTC), todo->startDate(UTC));
    QCOMPARE(sample->is_done, true);
    QCOMPARE(sample->status, 5);
    QCOMPARE(sample->format_string, todo->format_string);
    QCOMPARE(sample->note, QStringLiteral("Meet Bob at the station"));
    QCOMPARE(sample->fields->size(), 1);
    QVERIFY(sample->fields->constFirst() != field);
    QCOMPARE(sample->fields->constFirst()->value, QStringLiteral("Bob"));
    QCOMPARE(sample->fields->constFirst()->fieldType, rule.who);
    QCOMPARE(sample->alarms->size(), 1);
    QVERIFY(sample->alarms->constFirst() != alarm);
    QVERIFY(sample->binaries->isEmpty());
    // The todo itself stays as it was.
    QCOMPARE(*pool.todos, QList<Todo*>{todo});
    QCOMPARE(*todo->fields, QList<Field*>{field});

    pool.synchronizeToDatabase();
    QVERIFY(pool.unsynchronizedEntities->isEmpty());
    // The old sample has left the pool, which frees it only when handed back.
    QVERIFY(pool.disposeDeleted(rule.sample));
}

void TestInstancing::updateTodoAlarmTakesPlainValues_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("active");
    QTest::addColumn<bool>("isDone");
    QTest::addColumn<bool>("isActive");
    QTest::newRow("done and active") << 1 << 1 << true << true;
    QTest::newRow("2 means false") << 2 << 2 << false << false;
}

void TestInstancing::updateTodoAlarmTakesPlainValues()
{
    QFETCH(int, done);
    QFETCH(int, active);
    QFETCH(bool, isDone);
    QFETCH(bool, isActive);

    const QString path = databasePath(rowName("updateTodoAlarm"));
    Pool pool(path, rowName("updateTodoAlarm"));
    pool.start();
    Todo* todo = pool.newTodo();
    todo->setTimeZone(QStringLiteral("+05:45"));
    todo->setIsDone(!isDone);
    Alarm* alarm = pool.newAlarm();
    alarm->setTodo(todo);
    alarm->setIsActive(!isActive);
    pool.synchronizeToDatabase();

    // 1421236800 seconds after the epoch is Wednesday 2015-01-14 12:00:00 UTC, 13:00 on the
    // device's clock in Berlin. That device reading is taken as the wall-clock time in the todo's
    // zone (+05:45), so the alarm rings at 07:15 UTC, not at 12:00.
    pool.updateTodoAlarm(todo->id, alarm->id, done, active, 1421236800u);
    QCOMPARE(alarm->alarmTime(UTC), utc(2015, 1, 14, 7, 15));
    QCOMPARE(alarm->alarmTime(Stored), wallClock(2015, 1, 14, 13, 0));
    QCOMPARE(alarm->is_active, isActive);
    QCOMPARE(todo->is_done, isDone);
    QCOMPARE(pool.unsynchronizedEntities->count(alarm), 1);
    QCOMPARE(pool.unsynchronizedEntities->count(todo), 1);
    // Nothing is saved yet.
    QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT is_done FROM TODO_PROJECT;")),
             isDone ? QStringLiteral("0") : QStringLiteral("1"));
    pool.synchronizeToDatabase();
    QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT alarm_time FROM ALARM;")),
             QStringLiteral("2015-01-14 07:15:00.000"));
}

QTEST_GUILESS_MAIN(TestInstancing)
#include "tst_instancing.moc"
