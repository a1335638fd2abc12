#include <QDate>
#include <QDateTime>
#include <QTest>
#include <QTime>
#include <QTimeZone>
#include <climits>
#include <orvel/pool.h>

using Orvel::Pool;

// The name tables and date compositions of Pool, without a translator and without any Pool
// instance: they must work before the pool exists.
class TestLocalizedNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void monthNames_data();
    void monthNames();
    void weekDayNames_data();
    void weekDayNames();
    void longAndShortDate_data();
    void longAndShortDate();
    void dateTime_data();
    void dateTime();
};

void TestLocalizedNames::monthNames_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("longName");
    QTest::addColumn<QString>("shortName");

    QTest::newRow("1 January") << 1 << "January"
                               << "Jan";
    QTest::newRow("2 February") << 2 << "February"
                                << "Feb";
    QTest::newRow("3 March") << 3 << "March"
                             << "Mar";
    QTest::newRow("4 April") << 4 << "April"
                             << "Apr";
    QTest::newRow("5 May") << 5 << "May"
                           << "May";
    QTest::newRow("6 June") << 6 << "June"
                            << "Jun";
    QTest::newRow("7 July") << 7 << "July"
                            << "Jul";
    QTest::newRow("8 August") << 8 << "August"
                              << "Aug";
    QTest::newRow("9 September") << 9 << "September"
                                 << "Sep";
    QTest::newRow("10 October") << 10 << "October"
                                << "Oct";
    QTest::newRow("11 November") << 11 << "November"
                                 << "Nov";
    QTest::newRow("12 December") << 12 << "December"
                                 << "Dec";
    QTest::newRow("0 is out of range") << 0 << ""
                                       << "";
    QTest::newRow("13 is out of range") << 13 << ""
                                        << "";
    QTest::newRow("-1 is out of range") << -1 << ""
                                        << "";
    QTest::newRow("INT_MIN is out of range") << INT_MIN << ""
                                             << "";
    QTest::newRow("INT_MAX is out of range") << INT_MAX << ""
                                             << "";
}

void TestLocalizedNames::monthNames()
{
    QFETCH(int, month);
    QFETCH(QString, longName);
    QFETCH(QString, shortName);

    QCOMPARE(Pool::localizedLongMonthName(month), longName);
    QCOMPARE(Pool::localizedShortMonthName(month), shortName);
}

void TestLocalizedNames::weekDayNames_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("longName");
    QTest::addColumn<QString>("shortName");

    QTest::newRow("1 Monday") << 1 << "Monday"
                              << "Mon";
    QTest::newRow("2 Tuesday") << 2 << "Tuesday"
                               << "Tue";
    QTest::newRow("3 Wednesday") << 3 << "Wednesday"
                                 << "Wed";
    QTest::newRow("4 Thursday") << 4 << "Thursday"
                                << "Thu";
    QTest::newRow("5 Friday") << 5 << "Friday"
                              << "Fri";
    QTest::newRow("6 Saturday") << 6 << "Saturday"
                                << "Sat";
    QTest::newRow("7 Sunday") << 7 << "Sunday"
                              << "Sun";
    QTest::newRow("0 is out of range") << 0 << ""
                                       << "";
    QTest::newRow("8 is out of range") << 8 << ""
                                       << "";
    QTest::newRow("-7 is out of range") << -7 << ""
                                        << "";
}

void TestLocalizedNames::weekDayNames()
{
    QFETCH(int, day);
    QFETCH(QString, longName);
    QFETCH(QString, shortName);

    QCOMPARE(Pool::localizedLongWeekDay(day), longName);
    QCOMPARE(Pool::localizedShortWeekDay(day), shortName);
}

void TestLocalizedNames::longAndShortDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("longDate");
    QTest::addColumn<QString>("shortDate");

    QTest::newRow("single-digit day") << QDate(2015, 1, 5) << "2015 Jan 5"
                                      << "Jan 5";
    QTest::newRow("last day of a year") << QDate(1999, 12, 31) << "1999 Dec 31"
                                        << "Dec 31";
    QTest::newRow("leap day") << QDate(2016, 2, 29) << "2016 Feb 29"
                              << "Feb 29";
    QTest::newRow("May uses the one name") << QDate(2015, 5, 10) << "2015 May 10"
                                           << "May 10";
    QTest::newRow("year without leading zeros") << QDate(987, 9, 1) << "987 Sep 1"
                                                << "Sep 1";
}

void TestLocalizedNames::longAndShortDate()
{
    QFETCH(QDate, date);
    QFETCH(QString, longDate);
    QFETCH(QString, shortDate);

    QCOMPARE(Pool::localizedLongDate(date), longDate);
    QCOMPARE(Pool::localizedShortDate(date), shortDate);
}

void TestLocalizedNames::dateTime_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<QString>("expected");

    QTest::newRow("padded hour and minute")
        << QDateTime(QDate(2015, 1, 5), QTime(9, 7)) << "Mon, Jan 5 09:07";
    QTest::newRow("midnight") << QDateTime(QDate(2015, 3, 1), QTime(0, 0)) << "Sun, Mar 1 00:00";
    QTest::newRow("seconds are not shown")
        << QDateTime(QDate(2016, 12, 31), QTime(23, 59, 59, 999)) << "Sat, Dec 31 23:59";
    QTest::newRow("afternoon") << QDateTime(QDate(2015, 7, 17), QTime(14, 30))
                               << "Fri, Jul 17 14:30";
    // Under TZ=Europe/Berlin (tst_localizednames.cmake) this instant is already Tuesday 00:30
    // local time; the composition must show the value as it is labelled.
    QTest::newRow("UTC value is not converted")
        << QDateTime(QDate(2015, 1, 5), QTime(23, 30), Qt::UTC) << "Mon, Jan 5 23:30";
    QTest::newRow("offset value is not converted")
        << QDateTime(QDate(2015, 6, 2), QTime(4, 15), QTimeZone(-5 * 3600)) << "Tue, Jun 2 04:15";
}

void TestLocalizedNames::dateTime()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(QString, expected);

    QCOMPARE(Pool::localizedDateTime(dateTime), expected);
}

QTEST_GUILESS_MAIN(TestLocalizedNames)
#include "tst_localizednames.moc"
