#include "entity/timezone.h"
#include "loghandler.h"

#include <QSignalSpy>
#include <QTest>
#include <orvel/alarm.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

// Runs in UTC with the clock frozen at 2015-01-14 12:00:00 (tst_time.cmake).

using namespace Orvel;

namespace {

QDateTime utc(int year, int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

QDateTime wallClock(int year, int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

Todo* todoIn(const QString& zone)
{
    auto* todo = new Todo(nullptr);
    todo->time_zone = zone;
    return todo;
}

} // namespace

class TestTime : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseTimeZone_data();
    void parseTimeZone();
    void zoneOffsets_data();
    void zoneOffsets();
    void conversions_data();
    void conversions();
    void defaultTodoDates();
    void gettersAndTheirWarnings();
    void setTimeZoneKeepsEveryReading();
    void alarmKeepsItsReadingAcrossTodos();
};

void TestTime::parseTimeZone_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<QString>("zone");
    QTest::newRow("UTC label") << utc(2015, 1, 14, 12) << "+00:00";
    QTest::newRow("device local time in UTC") << wallClock(2015, 7, 1, 12) << "+00:00";
    QTest::newRow("offset +05:45")
        << QDateTime(QDate(2015, 1, 1), QTime(0, 0), Qt::OffsetFromUTC, 5 * 3600 + 45 * 60)
        << "+05:45";
    QTest::newRow("offset -03:30")
        << QDateTime(QDate(2015, 1, 1), QTime(0, 0), Qt::OffsetFromUTC, -(3 * 3600 + 30 * 60))
        << "-03:30";
    QTest::newRow("offset -00:30")
        << QDateTime(QDate(2015, 1, 1), QTime(0, 0), Qt::OffsetFromUTC, -30 * 60) << "-00:30";
    QTest::newRow("offset +14:00")
        << QDateTime(QDate(2015, 1, 1), QTime(0, 0), Qt::OffsetFromUTC, 14 * 3600) << "+14:00";
    QTest::newRow("offset -10:00")
        << QDateTime(QDate(2015, 1, 1), QTime(0, 0), Qt::OffsetFromUTC, -10 * 3600) << "-10:00";
}

void TestTime::parseTimeZone()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(QString, zone);
    Todo todo(nullptr);
    QCOMPARE(todo.parseTimeZone(dateTime), zone);
}

void TestTime::zoneOffsets_data()
{
    QTest::addColumn<QString>("zone");
    QTest::addColumn<int>("seconds");
    QTest::newRow("+02:00") << "+02:00" << 7200;
    QTest::newRow("-05:30") << "-05:30" << -19800;
    QTest::newRow("+05:45") << "+05:45" << 20700;
    QTest::newRow("-00:30") << "-00:30" << -1800;
    QTest::newRow("+00:00") << "+00:00" << 0;
    QTest::newRow("any other sign counts as plus") << "x01:15" << 4500;
    QTest::newRow("unreadable hours count as 0") << "+5:30" << 0;
    QTest::newRow("unreadable minutes count as 0") << "-03:3x" << -10800;
    QTest::newRow("empty") << "" << 0;
}

void TestTime::zoneOffsets()
{
    QFETCH(QString, zone);
    QFETCH(int, seconds);
    QCOMPARE(TimeZone::offsetSeconds(zone), seconds);
}

void TestTime::conversions_data()
{
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QDateTime>("given");
    QTest::addColumn<QDateTime>("held");
    QTest::newRow("noon in +02:00") << "+02:00" << wallClock(2015, 3, 1, 12) << utc(2015, 3, 1, 10);
    QTest::newRow("noon in -05:30")
        << "-05:30" << wallClock(2015, 3, 1, 12) << utc(2015, 3, 1, 17, 30);
    QTest::newRow("early morning in +05:45 is the day before")
        << "+05:45" << wallClock(2015, 3, 1, 0, 10) << utc(2015, 2, 28, 18, 25);
    QTest::newRow("a UTC value is kept") << "+02:00" << utc(2015, 3, 1, 12) << utc(2015, 3, 1, 12);
    QTest::newRow("an offset label is read as the todo's wall clock")
        << "+02:00" << QDateTime(QDate(2015, 3, 1), QTime(12, 0), Qt::OffsetFromUTC, 9 * 3600)
        << utc(2015, 3, 1, 10);
}

void TestTime::conversions()
{
    QFETCH(QString, zone);
    QFETCH(QDateTime, given);
    QFETCH(QDateTime, held);
    std::unique_ptr<Todo> todo(todoIn(zone));
    const QDateTime stored = todo->toStoredTime(given);
    QCOMPARE(stored, held);
    QCOMPARE(stored.timeSpec(), Qt::UTC);

    // Back again: the todo's wall clock, labelled as the device's local time.
    const QDateTime display = todo->toDisplayTime(held);
    QCOMPARE(display.timeSpec(), Qt::LocalTime);
    const QDateTime wall = given.timeSpec() == Qt::UTC ? wallClock(2015, 3, 1, 14) : given;
    QCOMPARE(display.date(), wall.date());
    QCOMPARE(display.time(), wall.time());
    // Whatever label the held value carries, it is read as UTC.
    QCOMPARE(todo->toDisplayTime(QDateTime(held.date(), held.time(), Qt::LocalTime)), display);
}

void TestTime::defaultTodoDates()
{
    Todo todo(nullptr);
    QCOMPARE(todo.time_zone, QStringLiteral("+00:00"));
    QCOMPARE(todo.start_date, utc(1990, 1, 1, 0));
    QCOMPARE(todo.end_date, utc(1990, 1, 1, 0));
    QCOMPARE(todo.creation_date, utc(2015, 1, 14, 12));
    QCOMPARE(todo.lastModDate, utc(2015, 1, 14, 12));
    QCOMPARE(todo.creation_date.timeSpec(), Qt::UTC);
    QCOMPARE(todo.note, QStringLiteral("Something to do"));
    QCOMPARE(todo.recurrence_id, -1);

    const QDateTime berlin(QDate(2014, 7, 1), QTime(12, 0), Qt::OffsetFromUTC, 7200);
    Todo loaded(nullptr, 5, 0, 0, 3, berlin, berlin, QStringLiteral("+02:00"), berlin, berlin, 2,
                true, true, true, true, true, QStringLiteral("n"), QStringLiteral("f"), true);
    QCOMPARE(loaded.start_date, utc(2014, 7, 1, 10));
    QCOMPARE(loaded.end_date.timeSpec(), Qt::UTC);
    QCOMPARE(loaded.creation_date, utc(2014, 7, 1, 10));
    QCOMPARE(loaded.lastModDate, utc(2014, 7, 1, 10));
    QCOMPARE(loaded.recurrence_id, 3);
    QCOMPARE(loaded.isDeleted, true);
    QCOMPARE(loaded.isNew, true);
    QCOMPARE(loaded.format_string, QStringLiteral("f"));
}

void TestTime::gettersAndTheirWarnings()
{
    std::unique_ptr<Todo> todo(todoIn(QStringLiteral("+02:00")));
    todo->setStartDate(wallClock(2015, 3, 1, 12));
    todo->setEndDate(wallClock(2015, 3, 1, 13));
    auto* alarm = new Alarm(nullptr);
    todo->addAlarm(alarm);
    alarm->setAlarmTime(wallClock(2015, 3, 1, 11));
    QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 9));
    Alarm loose(nullptr);
    loose.setAlarmTime(QDateTime(QDate(2015, 3, 1), QTime(11, 0), Qt::OffsetFromUTC, 3600));
    QCOMPARE(loose.alarm_time, utc(2015, 3, 1, 10));

    OrvelTest::LogCapture log;
    QCOMPARE(todo->startDate(UTC), utc(2015, 3, 1, 10));
    QCOMPARE(todo->startDate(Stored), todo->toDisplayTime(todo->startDate(UTC)));
    QCOMPARE(todo->startDate(Stored).time(), QTime(12, 0));
    QCOMPARE(todo->endDate(Stored).time(), QTime(13, 0));
    QCOMPARE(todo->startDate(Local).timeSpec(), Qt::LocalTime);
    QCOMPARE(todo->endDate(TimeSpec(9)).timeSpec(), Qt::LocalTime);
    QCOMPARE(alarm->alarmTime(Stored).time(), QTime(11, 0));
    QCOMPARE(alarm->alarmTime(UTC), utc(2015, 3, 1, 9));
    QCOMPARE(log.lines().size(), 0);

    QCOMPARE(loose.alarmTime(Stored), utc(2015, 3, 1, 10).toLocalTime());
    QCOMPARE(todo->creationDate(Stored), utc(2015, 1, 14, 12).toLocalTime());
    QCOMPARE(todo->creationDate(Stored).timeSpec(), Qt::LocalTime);
    QCOMPARE(todo->lastModificationDate(Stored), utc(2015, 1, 14, 12).toLocalTime());
    QCOMPARE(todo->lastModificationDate(UTC).timeSpec(), Qt::UTC);
    QCOMPARE(todo->creationDate(UTC).timeSpec(), Qt::UTC);
    QCOMPARE(
        log.lines(),
        (QList<QByteArray>{
            OrvelTest::LogCapture::line("WARNING", "Stored time not exists, local returned"),
            OrvelTest::LogCapture::line(
                "WARNING", "Stored should not be in use with creation_date, local time returned"),
            OrvelTest::LogCapture::line(
                "WARNING", "Stored should not be in use with creation_date, local time returned"),
            OrvelTest::LogCapture::line(
                "ERROR", "Stored should not be in use with last_mod_date, local time returned")}));
}

void TestTime::setTimeZoneKeepsEveryReading()
{
    Todo todo(nullptr);
    todo.time_zone = QStringLiteral("+01:00");
    todo.setStartDate(wallClock(2015, 3, 1, 9));
    todo.setEndDate(wallClock(2015, 3, 1, 10));
    auto* alarm = new Alarm(nullptr);
    todo.addAlarm(alarm);
    alarm->setAlarmTime(wallClock(2015, 3, 1, 8, 30));
    Recurrence recurrence(nullptr);
    todo.setRecurrence(&recurrence);
    recurrence.range_start = utc(2015, 3, 1, 0);
    recurrence.range_end = utc(2015, 4, 1, 0);
    recurrence.instancing_date = utc(2015, 3, 15, 0);
    for (Entity* record : std::initializer_list<Entity*>{&todo, alarm, &recurrence}) {
        record->isNew = false;
        record->isSynchronized = true;
    }
    QSignalSpy todoSpy(&todo, &Entity::setUnsynchronized);

    todo.setTimeZone(QStringLiteral("+03:00"));
    QCOMPARE(todo.time_zone, QStringLiteral("+03:00"));
    QCOMPARE(todo.start_date, utc(2015, 3, 1, 6));
    QCOMPARE(todo.startDate(Stored).time(), QTime(9, 0));
    QCOMPARE(todo.endDate(Stored).time(), QTime(10, 0));
    QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 5, 30));
    QCOMPARE(alarm->alarmTime(Stored).time(), QTime(8, 30));
    QCOMPARE(recurrence.range_start, utc(2015, 2, 28, 22));
    QCOMPARE(recurrence.range_end, utc(2015, 3, 31, 22));
    QCOMPARE(recurrence.instancing_date, utc(2015, 3, 14, 22));
    QCOMPARE(todoSpy.count(), 1);
    QCOMPARE(alarm->isSynchronized, true);
    QCOMPARE(recurrence.isSynchronized, true);

    todo.setTimeZone(QStringLiteral("+03:00"));
    QCOMPARE(todo.start_date, utc(2015, 3, 1, 6));
    QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 5, 30));

    todo.setTimeZone(QStringLiteral("-03:30"));
    QCOMPARE(todo.start_date, utc(2015, 3, 1, 12, 30));
    QCOMPARE(todo.startDate(Stored).time(), QTime(9, 0));
    QCOMPARE(alarm->alarmTime(Stored).time(), QTime(8, 30));
}

void TestTime::alarmKeepsItsReadingAcrossTodos()
{
    std::unique_ptr<Todo> east(todoIn(QStringLiteral("+02:00")));
    std::unique_ptr<Todo> further(todoIn(QStringLiteral("+05:00")));
    east->id = 1;
    further->id = 2;
    auto* alarm = new Alarm(nullptr);
    alarm->alarm_time = utc(2015, 3, 1, 12);

    east->addAlarm(alarm); // from the device's zone (+00:00 here) into +02:00
    QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 10));
    QCOMPARE(alarm->alarmTime(Stored).time(), QTime(12, 0));

    further->addAlarm(alarm);
    QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 7));
    QCOMPARE(alarm->alarmTime(Stored).time(), QTime(12, 0));
    QCOMPARE(alarm->todo_id, 2);
    QVERIFY(east->alarms->isEmpty());
    QCOMPARE(*further->alarms, QList<Alarm*>{alarm});

    alarm->setTodo(nullptr);
    QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 12));
    QCOMPARE(alarm->todo_id, 2);
    delete alarm;
}

QTEST_GUILESS_MAIN(TestTime)
#include "tst_time.moc"
