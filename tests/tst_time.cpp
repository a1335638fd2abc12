#include "entity/timezone.h"
#include "loghandler.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>
#include <orvel/alarm.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

// Runs once per device zone (tst_time.cmake); what depends on the zone comes from the table of
// the zone the process runs in, worked out with a calendar and the zone rules.

using namespace Orvel;

namespace {

using OrvelTest::utc;
using OrvelTest::wallClock;

QDateTime offset(int year, int month, int day, int hour, int seconds)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::OffsetFromUTC, seconds);
}

struct DeviceZone
{
    const char* tz;
    const char* zoneNow;    // the device's zone string today
    const char* zoneOther;  // ... at otherDate
    QDateTime otherDate;    // a local time with another offset, where the zone has one
    QDateTime newTodoStart; // 1990-01-01 00:00 local, held as UTC
    QDateTime now;          // 2015-01-14 12:00 local, as UTC
};

DeviceZone deviceZone()
{
    const DeviceZone zones[] = {{"UTC", "+00:00", "+00:00", wallClock(2015, 7, 1, 12),
                                 utc(1990, 1, 1, 0), utc(2015, 1, 14, 12)},
                                {"Asia/Kathmandu", "+05:45", "+05:30", wallClock(1985, 6, 1, 12),
                                 utc(1989, 12, 31, 18, 15), utc(2015, 1, 14, 6, 15)},
                                {"America/St_Johns", "-03:30", "-02:30", wallClock(2015, 7, 1, 12),
                                 utc(1990, 1, 1, 3, 30), utc(2015, 1, 14, 15, 30)}};
    for (const DeviceZone& zone : zones) {
        if (qgetenv("TZ") == zone.tz)
            return zone;
    }
    qFatal("tst_time runs in the zones of tst_time.cmake only");
    return zones[0];
}

// The held UTC value that keeps the device's reading of instant when read in zone.
QDateTime keptReading(const QDateTime& instant, const QString& zone)
{
    const QDateTime reading = instant.toLocalTime();
    return QDateTime(reading.date(), reading.time(), Qt::UTC)
        .addSecs(-TimeZone::offsetSeconds(zone));
}

} // namespace

class TestTime : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseTimeZone_data()
    {
        QTest::addColumn<QDateTime>("dateTime");
        QTest::addColumn<QString>("zone");
        const DeviceZone device = deviceZone();
        QTest::newRow("now") << QDateTime::currentDateTime() << device.zoneNow;
        QTest::newRow("local time with another offset") << device.otherDate << device.zoneOther;
        QTest::newRow("UTC label") << utc(2015, 7, 1, 12) << "+00:00";
        QTest::newRow("-00:30 keeps its sign") << offset(2015, 1, 1, 0, -30 * 60) << "-00:30";
        QTest::newRow("+14:00") << offset(2015, 1, 1, 0, 14 * 3600) << "+14:00";
    }

    void parseTimeZone()
    {
        QFETCH(QDateTime, dateTime);
        QFETCH(QString, zone);
        Todo todo(nullptr);
        QCOMPARE(todo.parseTimeZone(dateTime), zone);
    }

    void zoneOffsets_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<int>("seconds");
        QTest::newRow("+05:45") << "+05:45" << 20700;
        QTest::newRow("-00:30") << "-00:30" << -1800;
        QTest::newRow("any other sign counts as plus") << "x01:15" << 4500;
        QTest::newRow("unreadable minutes count as 0") << "-03:3x" << -10800;
        QTest::newRow("empty") << "" << 0;
    }

    void zoneOffsets()
    {
        QFETCH(QString, zone);
        QFETCH(int, seconds);
        QCOMPARE(TimeZone::offsetSeconds(zone), seconds);
    }

    void conversions_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QDateTime>("given");
        QTest::addColumn<QDateTime>("held");
        QTest::addColumn<QTime>("reading");
        QTest::newRow("noon in -05:30")
            << "-05:30" << wallClock(2015, 3, 1, 12) << utc(2015, 3, 1, 17, 30) << QTime(12, 0);
        QTest::newRow("early morning in +05:45 is the day before")
            << "+05:45" << wallClock(2015, 3, 1, 0, 10) << utc(2015, 2, 28, 18, 25) << QTime(0, 10);
        QTest::newRow("a UTC value is kept")
            << "+02:00" << utc(2015, 3, 1, 12) << utc(2015, 3, 1, 12) << QTime(14, 0);
        QTest::newRow("an offset label is read as the todo's wall clock")
            << "+02:00" << offset(2015, 3, 1, 12, 9 * 3600) << utc(2015, 3, 1, 10) << QTime(12, 0);
    }

    void conversions()
    {
        QFETCH(QString, zone);
        QFETCH(QDateTime, given);
        QFETCH(QDateTime, held);
        QFETCH(QTime, reading);
        Todo todo(nullptr);
        todo.time_zone = zone;
        const QDateTime stored = todo.toStoredTime(given);
        QCOMPARE(stored, held);
        QCOMPARE(stored.timeSpec(), Qt::UTC);

        // Back again: the todo's wall clock, labelled as the device's local time, whatever label
        // the held value carries.
        const QDateTime display = todo.toDisplayTime(held);
        QCOMPARE(display.timeSpec(), Qt::LocalTime);
        QCOMPARE(display.time(), reading);
        QCOMPARE(todo.toDisplayTime(QDateTime(held.date(), held.time(), Qt::LocalTime)), display);
    }

    void newTodoLivesInTheDeviceZone()
    {
        const DeviceZone device = deviceZone();
        Todo todo(nullptr);
        QCOMPARE(todo.time_zone, QLatin1String(device.zoneNow));
        QCOMPARE(todo.start_date, device.newTodoStart);
        QCOMPARE(todo.end_date, device.newTodoStart);
        QCOMPARE(todo.creation_date, device.now);
        QCOMPARE(todo.creation_date.timeSpec(), Qt::UTC);
        QCOMPARE(todo.startDate(Local), todo.startDate(Stored));
        QCOMPARE(todo.recurrence_id, -1);

        // Loading converts every date to UTC, whatever its label.
        const QDateTime berlin = offset(2014, 7, 1, 12, 7200);
        Todo loaded(nullptr, 5, 0, 0, 3, berlin, berlin, QStringLiteral("+02:00"), berlin, berlin,
                    2, true, true, true, true, true, QStringLiteral("n"), QStringLiteral("f"),
                    true);
        for (const QDateTime& date :
             {loaded.start_date, loaded.end_date, loaded.creation_date, loaded.lastModDate})
            QCOMPARE(date.toString(Qt::ISODate), QStringLiteral("2014-07-01T10:00:00Z"));
        QCOMPARE(loaded.recurrence_id, 3);
        QCOMPARE(loaded.format_string, QStringLiteral("f"));

        // A date set later is read in the todo's zone, not in the device's offset of that day.
        todo.setStartDate(device.otherDate);
        const QDateTime reading(device.otherDate.date(), device.otherDate.time(), Qt::UTC);
        QCOMPARE(todo.start_date, reading.addSecs(-TimeZone::offsetSeconds(todo.time_zone)));
        QCOMPARE(todo.startDate(Stored), device.otherDate);
    }

    void gettersAndTheirWarnings()
    {
        Todo todo(nullptr);
        todo.time_zone = QStringLiteral("+02:00");
        todo.setStartDate(wallClock(2015, 3, 1, 12));
        todo.setEndDate(wallClock(2015, 3, 1, 13));
        auto* alarm = new Alarm(nullptr);
        todo.addAlarm(alarm);
        alarm->setAlarmTime(wallClock(2015, 3, 1, 11));
        QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 9));
        Alarm loose(nullptr);
        loose.setAlarmTime(offset(2015, 3, 1, 11, 3600));
        QCOMPARE(loose.alarm_time, utc(2015, 3, 1, 10));

        OrvelTest::LogCapture log;
        QCOMPARE(todo.startDate(UTC), utc(2015, 3, 1, 10));
        QCOMPARE(todo.startDate(Stored), wallClock(2015, 3, 1, 12));
        QCOMPARE(todo.endDate(Stored), wallClock(2015, 3, 1, 13));
        QCOMPARE(todo.startDate(Local), utc(2015, 3, 1, 10).toLocalTime());
        QCOMPARE(todo.endDate(TimeSpec(9)).timeSpec(), Qt::LocalTime);
        QCOMPARE(alarm->alarmTime(Stored), wallClock(2015, 3, 1, 11));
        QCOMPARE(log.lines().size(), 0);

        QCOMPARE(loose.alarmTime(Stored), utc(2015, 3, 1, 10).toLocalTime());
        QCOMPARE(todo.creationDate(Stored), deviceZone().now.toLocalTime());
        QCOMPARE(todo.lastModificationDate(Stored), deviceZone().now.toLocalTime());
        QCOMPARE(todo.lastModificationDate(UTC).timeSpec(), Qt::UTC);
        QCOMPARE(log.messages(),
                 (QStringList{"WARNING Stored time not exists, local returned",
                              "WARNING Stored should not be in use with creation_date, local time "
                              "returned",
                              "ERROR Stored should not be in use with last_mod_date, local time "
                              "returned"}));
    }

    void setTimeZoneKeepsEveryReading()
    {
        Todo todo(nullptr);
        todo.time_zone = QStringLiteral("+01:00");
        todo.setStartDate(wallClock(2015, 3, 1, 9));
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
        QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 5, 30));
        QCOMPARE(recurrence.range_start, utc(2015, 2, 28, 22));
        QCOMPARE(recurrence.range_end, utc(2015, 3, 31, 22));
        QCOMPARE(recurrence.instancing_date, utc(2015, 3, 14, 22));
        QCOMPARE(todoSpy.count(), 1);
        QCOMPARE(alarm->isSynchronized, true);
        QCOMPARE(recurrence.isSynchronized, true);

        todo.setTimeZone(QStringLiteral("+03:00"));
        QCOMPARE(todo.start_date, utc(2015, 3, 1, 6));

        todo.setTimeZone(QStringLiteral("-03:30"));
        QCOMPARE(todo.start_date, utc(2015, 3, 1, 12, 30));
        QCOMPARE(alarm->alarmTime(Stored).time(), QTime(8, 30));
    }

    void childrenKeepTheDeviceReading_data()
    {
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<QString>("zone");
        QTest::newRow("winter into +02:00") << utc(2015, 3, 1, 12) << "+02:00";
        QTest::newRow("summer into -03:30") << utc(2015, 7, 1, 14, 30) << "-03:30";
        QTest::newRow("1985 into +05:45") << utc(1985, 3, 1, 3, 30) << "+05:45";
    }

    // An alarm or a rule without parent reads its times in the device's zone; moving under a todo
    // in another zone keeps that reading, and leaving it restores the instant.
    void childrenKeepTheDeviceReading()
    {
        QFETCH(QDateTime, instant);
        QFETCH(QString, zone);
        const QDateTime kept = keptReading(instant, zone);
        Todo todo(nullptr);
        todo.time_zone = zone;
        todo.id = 1;
        Todo further(nullptr);
        further.time_zone = QStringLiteral("+09:00");
        further.id = 2;

        auto* alarm = new Alarm(nullptr);
        alarm->alarm_time = instant;
        todo.addAlarm(alarm);
        QCOMPARE(alarm->alarm_time, kept);
        QCOMPARE(alarm->alarmTime(Stored).time(), instant.toLocalTime().time());
        further.addAlarm(alarm);
        QCOMPARE(alarm->alarm_time, kept.addSecs(TimeZone::offsetSeconds(zone) - 9 * 3600));
        QCOMPARE(alarm->todo_id, 2);
        QVERIFY(todo.alarms->isEmpty());
        alarm->setTodo(nullptr);
        QCOMPARE(alarm->alarm_time, instant);
        delete alarm;

        Recurrence recurrence(nullptr);
        recurrence.range_start = instant;
        recurrence.range_end = instant.addDays(-1);
        todo.is_sample = true;
        recurrence.setSample(&todo);
        QCOMPARE(recurrence.range_start, kept);
        QCOMPARE(recurrence.range_end, keptReading(instant.addDays(-1), zone));
        recurrence.setSample(nullptr);
        QCOMPARE(recurrence.range_start, instant);
    }
};

QTEST_GUILESS_MAIN(TestTime)
#include "tst_time.moc"
