#include "loghandler.h"

#include <QDate>
#include <QDateTime>
#include <QTest>
#include <QTime>
#include <ctime>
#include <orvel/todo.h>

// Todo::readableDate() with the clock frozen at Wednesday 14 January 2015 12:00 in Europe/Berlin
// (+01:00), see tst_readabledate.cmake. The expected phrases were worked out with a calendar.
class TestReadableDate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readableDate_data();
    void readableDate();
    void zoneSuffixFollowsTheDeviceZone();
};

namespace {

// Wall-clock time in the todo's zone, as the date setters take it.
QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::LocalTime);
}

QDateTime dayStart(int year, int month, int day)
{
    return at(year, month, day, 0, 0);
}

QDateTime dayEnd(int year, int month, int day)
{
    return at(year, month, day, 23, 59);
}

} // namespace

void TestReadableDate::initTestCase()
{
    // Every expected phrase depends on this clock and on the device's offset; say so plainly
    // when the environment of the test is not in place.
    QCOMPARE(QDateTime::currentDateTime(), at(2015, 1, 14, 12, 0));
    QCOMPARE(QDateTime::currentDateTime().offsetFromUtc(), 3600);
}

void TestReadableDate::readableDate_data()
{
    QTest::addColumn<QString>("timeZone"); // empty: the todo keeps the device's zone
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<QString>("expected");

    const QString device;

    // Whole months
    QTest::newRow("month: this") << device << dayStart(2015, 1, 1) << dayEnd(2015, 1, 31)
                                 << "This month";
    QTest::newRow("month: next") << device << dayStart(2015, 2, 1) << dayEnd(2015, 2, 28)
                                 << "Next month";
    QTest::newRow("month: last, in the previous year")
        << device << dayStart(2014, 12, 1) << dayEnd(2014, 12, 31) << "Last month";
    QTest::newRow("month: later this year")
        << device << dayStart(2015, 3, 1) << dayEnd(2015, 3, 31) << "March";
    QTest::newRow("month: another year")
        << device << dayStart(2016, 3, 1) << dayEnd(2016, 3, 31) << "2016 March";
    QTest::newRow("month: same month of next year")
        << device << dayStart(2016, 1, 1) << dayEnd(2016, 1, 31) << "2016 January";
    QTest::newRow("month: earlier year")
        << device << dayStart(2014, 11, 1) << dayEnd(2014, 11, 30) << "2014 November";
    QTest::newRow("month: leap February")
        << device << dayStart(2016, 2, 1) << dayEnd(2016, 2, 29) << "2016 February";
    QTest::newRow("month: one day short is a range")
        << device << dayStart(2015, 2, 1) << dayEnd(2015, 2, 27) << "Feb 1.  - 27. ";

    // Whole weeks (Monday to Sunday)
    QTest::newRow("week: this") << device << dayStart(2015, 1, 12) << dayEnd(2015, 1, 18)
                                << "This week";
    QTest::newRow("week: next") << device << dayStart(2015, 1, 19) << dayEnd(2015, 1, 25)
                                << "Next week";
    QTest::newRow("week: last") << device << dayStart(2015, 1, 5) << dayEnd(2015, 1, 11)
                                << "Last week";
    QTest::newRow("week: later this year")
        << device << dayStart(2015, 2, 2) << dayEnd(2015, 2, 8) << "Week 6";
    QTest::newRow("week: another year")
        << device << dayStart(2016, 1, 4) << dayEnd(2016, 1, 10) << "2016 Week 1";
    QTest::newRow("week: ISO week 1 starting in the previous year")
        << device << dayStart(2014, 12, 29) << dayEnd(2015, 1, 4) << "2014 Week 1";
    QTest::newRow("week: seven days not from Monday are a range")
        << device << dayStart(2015, 1, 13) << dayEnd(2015, 1, 19) << "Yesterday  - 19. ";

    // Whole single days
    QTest::newRow("day: today") << device << dayStart(2015, 1, 14) << dayEnd(2015, 1, 14)
                                << "Today";
    QTest::newRow("day: yesterday")
        << device << dayStart(2015, 1, 13) << dayEnd(2015, 1, 13) << "Yesterday";
    QTest::newRow("day: tomorrow")
        << device << dayStart(2015, 1, 15) << dayEnd(2015, 1, 15) << "Tomorrow";
    QTest::newRow("day: later") << device << dayStart(2015, 1, 20) << dayEnd(2015, 1, 20)
                                << "Jan 20.";
    QTest::newRow("day: earlier") << device << dayStart(2015, 1, 12) << dayEnd(2015, 1, 12)
                                  << "Jan 12.";
    QTest::newRow("day: another year")
        << device << dayStart(2016, 1, 20) << dayEnd(2016, 1, 20) << "2016 Jan 20.";
    QTest::newRow("day: last day of the previous year")
        << device << dayStart(2014, 12, 31) << dayEnd(2014, 12, 31) << "2014 Dec 31.";

    // Moments
    QTest::newRow("moment: today")
        << device << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 9, 30) << "Today 09:30";
    QTest::newRow("moment: midnight today")
        << device << at(2015, 1, 14, 0, 0) << at(2015, 1, 14, 0, 0) << "Today 00:00";
    QTest::newRow("moment: 23:59 today")
        << device << at(2015, 1, 14, 23, 59) << at(2015, 1, 14, 23, 59) << "Today 23:59";
    QTest::newRow("moment: 23:59 yesterday, twelve hours ago")
        << device << at(2015, 1, 13, 23, 59) << at(2015, 1, 13, 23, 59) << "Yesterday 23:59";
    QTest::newRow("moment: midnight tomorrow")
        << device << at(2015, 1, 15, 0, 0) << at(2015, 1, 15, 0, 0) << "Tomorrow 00:00";
    QTest::newRow("moment: later")
        << device << at(2015, 1, 20, 9, 30) << at(2015, 1, 20, 9, 30) << "Jan 20. 09:30";
    QTest::newRow("moment: another year")
        << device << at(2016, 3, 3, 7, 5) << at(2016, 3, 3, 7, 5) << "2016 Mar 3. 07:05";
    QTest::newRow("moment: seconds apart in one minute")
        << device << at(2015, 1, 14, 9, 30, 0) << at(2015, 1, 14, 9, 30, 45) << "Today 09:30";

    // Ranges
    QTest::newRow("range: within today")
        << device << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 10, 0) << "Today 09:30 - 10:00";
    QTest::newRow("range: one minute")
        << device << at(2015, 1, 14, 9, 30, 10) << at(2015, 1, 14, 9, 31) << "Today 09:30 - 09:31";
    QTest::newRow("range: from midnight")
        << device << at(2015, 1, 14, 0, 0) << at(2015, 1, 14, 10, 0) << "Today  - 10:00";
    QTest::newRow("range: to 23:59 today")
        << device << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 23, 59) << "Today 09:30 - Today ";
    QTest::newRow("range: to 23:59 yesterday")
        << device << at(2015, 1, 13, 9, 30) << at(2015, 1, 13, 23, 59)
        << "Yesterday 09:30 - Yesterday ";
    QTest::newRow("range: to 23:59 of a later day")
        << device << at(2015, 1, 20, 9, 30) << at(2015, 1, 20, 23, 59) << "Jan 20. 09:30 - 20. ";
    QTest::newRow("range: over days of one month")
        << device << at(2015, 1, 14, 9, 30) << at(2015, 1, 16, 10, 0) << "Today 09:30 - 16. 10:00";
    QTest::newRow("range: over days to 23:59")
        << device << at(2015, 1, 14, 9, 30) << at(2015, 1, 17, 23, 59) << "Today 09:30 - 17. ";
    QTest::newRow("range: yesterday to tomorrow")
        << device << at(2015, 1, 13, 10, 0) << at(2015, 1, 15, 11, 0)
        << "Yesterday 10:00 - Tomorrow 11:00";
    QTest::newRow("range: whole days Monday to Wednesday")
        << device << dayStart(2015, 1, 19) << dayEnd(2015, 1, 21) << "Jan 19.  - 21. ";
    QTest::newRow("range: whole days today and tomorrow")
        << device << dayStart(2015, 1, 14) << dayEnd(2015, 1, 15) << "Today  - Tomorrow ";
    QTest::newRow("range: into the next month")
        << device << at(2015, 1, 30, 10, 0) << at(2015, 2, 2, 11, 0)
        << "Jan 30. 10:00 - Feb 2. 11:00";
    QTest::newRow("range: crossing into this year")
        << device << at(2014, 12, 31, 22, 0) << at(2015, 1, 1, 2, 0)
        << "2014 Dec 31. 22:00 - 2015 Jan 1. 02:00";
    QTest::newRow("range: crossing into next year")
        << device << at(2015, 12, 30, 10, 0) << at(2016, 1, 2, 12, 0)
        << "Dec 30. 10:00 - 2016 Jan 2. 12:00";
    QTest::newRow("range: end year compared with the start, not now")
        << device << at(2016, 3, 30, 8, 0) << at(2016, 4, 2, 9, 15)
        << "2016 Mar 30. 08:00 - Apr 2. 09:15";

    // Wrong dates
    QTest::newRow("wrong: end one minute before start")
        << device << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 9, 29) << "Wrong dates";
    QTest::newRow("wrong: no zone suffix")
        << "+05:00" << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 9, 29) << "Wrong dates";

    // The todo's own zone
    QTest::newRow("zone: equal to the device's, given explicitly")
        << "+01:00" << dayStart(2015, 1, 14) << dayEnd(2015, 1, 14) << "Today";
    QTest::newRow("zone: whole day")
        << "+05:00" << dayStart(2015, 1, 14) << dayEnd(2015, 1, 14) << "Today +05:00";
    QTest::newRow("zone: week") << "+05:00" << dayStart(2015, 1, 12) << dayEnd(2015, 1, 18)
                                << "This week +05:00";
    QTest::newRow("zone: moment") << "+05:45" << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 9, 30)
                                  << "Today 09:30 +05:45";
    QTest::newRow("zone: range") << "-03:30" << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 10, 0)
                                 << "Today 09:30 - 10:00 -03:30";
    QTest::newRow("zone: the device's summer offset is not now's")
        << "+02:00" << dayStart(2015, 7, 1) << dayEnd(2015, 7, 31) << "July +02:00";
    QTest::newRow("zone: UTC") << "+00:00" << dayStart(2015, 1, 15) << dayEnd(2015, 1, 15)
                               << "Tomorrow +00:00";
}

void TestReadableDate::readableDate()
{
    QFETCH(QString, timeZone);
    QFETCH(QDateTime, start);
    QFETCH(QDateTime, end);
    QFETCH(QString, expected);

    Orvel::Todo todo(nullptr);
    if (!timeZone.isEmpty())
        todo.setTimeZone(timeZone);
    todo.setStartDate(start);
    todo.setEndDate(end);

    OrvelTest::LogCapture log;
    QCOMPARE(todo.readableDate(), expected);
    QCOMPARE(log.lines(), QList<QByteArray>());
}

namespace {

void setDeviceZone(const QByteArray& zone)
{
    qputenv("TZ", zone);
    tzset();
}

} // namespace

// The device's zone is read anew on every call: a todo in +01:00 is shown without a suffix in
// Berlin, with one once the device has moved to Kathmandu (+05:45), and without again after
// the move back.
void TestReadableDate::zoneSuffixFollowsTheDeviceZone()
{
    Orvel::Todo todo(nullptr);
    todo.setTimeZone(QStringLiteral("+01:00"));
    todo.setStartDate(dayStart(2015, 1, 14));
    todo.setEndDate(dayEnd(2015, 1, 14));
    QCOMPARE(todo.readableDate(), QStringLiteral("Today"));

    setDeviceZone("Asia/Kathmandu");
    const QString inKathmandu = todo.readableDate();
    setDeviceZone("Europe/Berlin");

    QCOMPARE(inKathmandu, QStringLiteral("Today +01:00"));
    QCOMPARE(todo.readableDate(), QStringLiteral("Today"));
}

QTEST_GUILESS_MAIN(TestReadableDate)
#include "tst_readabledate.moc"
