#include <QTest>
#include <orvel/alarm.h>
#include <orvel/todo.h>

// Runs in America/St_Johns (-03:30 in winter, -02:30 in summer) with the clock frozen at
// 2015-01-14 12:00:00 local time (tst_time_stjohns.cmake).

using namespace Orvel;

namespace {

QDateTime utc(int year, int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

} // namespace

class TestTimeStJohns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceZone_data();
    void deviceZone();
    void newTodoLivesInTheDeviceZone();
    void alarmKeepsItsReadingAcrossDaylightSaving();
};

void TestTimeStJohns::deviceZone_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<QString>("zone");
    QTest::newRow("now, in winter") << QDateTime::currentDateTime() << "-03:30";
    QTest::newRow("summer") << QDateTime(QDate(2015, 7, 1), QTime(12, 0), Qt::LocalTime)
                            << "-02:30";
    QTest::newRow("UTC label") << utc(2015, 7, 1, 12) << "+00:00";
}

void TestTimeStJohns::deviceZone()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(QString, zone);
    Todo todo(nullptr);
    QCOMPARE(todo.parseTimeZone(dateTime), zone);
}

void TestTimeStJohns::newTodoLivesInTheDeviceZone()
{
    Todo todo(nullptr);
    QCOMPARE(todo.time_zone, QStringLiteral("-03:30"));
    QCOMPARE(todo.start_date, utc(1990, 1, 1, 3, 30));
    QCOMPARE(todo.creation_date, utc(2015, 1, 14, 15, 30));

    todo.setStartDate(QDateTime(QDate(2015, 7, 1), QTime(9, 0), Qt::LocalTime));
    QCOMPARE(todo.start_date, utc(2015, 7, 1, 12, 30)); // the todo's zone, not summer time
    QCOMPARE(todo.startDate(Local).time(), QTime(10, 0));
}

void TestTimeStJohns::alarmKeepsItsReadingAcrossDaylightSaving()
{
    // 12:00 on 1 July, read in the device zone (-02:30 then), moves into a todo that keeps
    // -03:30 all year: the held instant moves one hour later so that it still reads 12:00.
    Todo todo(nullptr);
    auto* alarm = new Alarm(nullptr);
    alarm->alarm_time = utc(2015, 7, 1, 14, 30);
    todo.addAlarm(alarm);
    QCOMPARE(alarm->alarm_time, utc(2015, 7, 1, 15, 30));
    QCOMPARE(alarm->alarmTime(Stored).time(), QTime(12, 0));

    alarm->setTodo(nullptr);
    QCOMPARE(alarm->alarm_time, utc(2015, 7, 1, 14, 30));
    delete alarm;
}

QTEST_GUILESS_MAIN(TestTimeStJohns)
#include "tst_time_stjohns.moc"
