#include <QTest>
#include <orvel/alarm.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

// Runs in Asia/Kathmandu (+05:45 since 1986, +05:30 before) with the clock frozen at
// 2015-01-14 12:00:00 local time (tst_time_kathmandu.cmake).

using namespace Orvel;

namespace {

QDateTime utc(int year, int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

} // namespace

class TestTimeKathmandu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceZone_data();
    void deviceZone();
    void newTodoLivesInTheDeviceZone();
    void recordsWithoutParentReadInTheDeviceZone();
};

void TestTimeKathmandu::deviceZone_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<QString>("zone");
    QTest::newRow("now") << QDateTime::currentDateTime() << "+05:45";
    QTest::newRow("UTC label") << utc(2015, 1, 14, 6, 15) << "+00:00";
    QTest::newRow("local time in 2015")
        << QDateTime(QDate(2015, 7, 1), QTime(12, 0), Qt::LocalTime) << "+05:45";
    QTest::newRow("local time in 1985, before the change")
        << QDateTime(QDate(1985, 6, 1), QTime(12, 0), Qt::LocalTime) << "+05:30";
}

void TestTimeKathmandu::deviceZone()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(QString, zone);
    Todo todo(nullptr);
    QCOMPARE(todo.parseTimeZone(dateTime), zone);
}

void TestTimeKathmandu::newTodoLivesInTheDeviceZone()
{
    Todo todo(nullptr);
    QCOMPARE(todo.time_zone, QStringLiteral("+05:45"));
    QCOMPARE(todo.start_date, utc(1989, 12, 31, 18, 15));
    QCOMPARE(todo.creation_date, utc(2015, 1, 14, 6, 15));
    QCOMPARE(todo.startDate(Local), todo.startDate(Stored));
}

void TestTimeKathmandu::recordsWithoutParentReadInTheDeviceZone()
{
    Todo local(nullptr);
    Todo london(nullptr);
    london.time_zone = QStringLiteral("+00:00");

    auto* alarm = new Alarm(nullptr);
    alarm->alarm_time = utc(2015, 3, 1, 3, 15); // 09:00 in Kathmandu
    local.addAlarm(alarm);
    QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 3, 15));
    london.addAlarm(alarm);
    QCOMPARE(alarm->alarm_time, utc(2015, 3, 1, 9));
    QCOMPARE(alarm->alarmTime(Stored).time(), QTime(9, 0));

    Recurrence recurrence(nullptr);
    recurrence.range_start = utc(2015, 3, 1, 3, 15);
    recurrence.range_end = utc(1985, 3, 1, 3, 30); // 09:00 at +05:30
    london.is_sample = true;
    recurrence.setSample(&london);
    QCOMPARE(recurrence.range_start, utc(2015, 3, 1, 9));
    QCOMPARE(recurrence.range_end, utc(1985, 3, 1, 9));
    recurrence.setSample(nullptr);
    QCOMPARE(recurrence.range_start, utc(2015, 3, 1, 3, 15));
    QCOMPARE(recurrence.range_end, utc(1985, 3, 1, 3, 30));
}

QTEST_GUILESS_MAIN(TestTimeKathmandu)
#include "tst_time_kathmandu.moc"
