#include "loghandler.h"

#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

QString zeros(int count)
{
    return QString(count, QLatin1Char('0'));
}

// The 14-character by-weekday pattern: "1", five week flags, the last-day flag, seven weekdays.
QString byWeekday(const char* weeks, const char* lastDay, const char* weekdays)
{
    return QLatin1Char('1') + QLatin1String(weeks) + QLatin1String(lastDay) +
           QLatin1String(weekdays);
}

// A sample todo in the given zone, ready to be linked to a rule.
struct Sample
{
    explicit Sample(const QString& zone, int id = INT_MIN) : todo(nullptr)
    {
        todo.is_sample = true;
        todo.time_zone = zone;
        todo.id = id;
    }
    Todo todo;
};

} // namespace

class TestRecurrence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void checkRepeats_data();
    void checkRepeats();
    void changingTheKindDropsAPatternThatNoLongerFits_data();
    void changingTheKindDropsAPatternThatNoLongerFits();
    void aPatternThatDoesNotFitIsRefusedSilently();
    void setSampleLinksBothSides();
    void setSampleKeepsTheWallClockReadingOfTheRange();
    void storedGettersWithoutSampleWarn();
};

void TestRecurrence::defaults()
{
    // The range and instancing defaults are read back in storedGettersWithoutSampleWarn().
    Recurrence recurrence(nullptr);
    QCOMPARE(recurrence.repeats, NoRepeat);
    QVERIFY(recurrence.checkRepeats());

    const QDateTime berlinNoon(QDate(2014, 7, 1), QTime(12, 0), Qt::OffsetFromUTC, 7200);
    Recurrence loaded(nullptr, 3, 4, berlinNoon, true, Weekly, 2, QStringLiteral("bogus"),
                      berlinNoon, berlinNoon, berlinNoon, false);
    QCOMPARE(loaded.repeats_on, QStringLiteral("bogus")); // loading does not validate
    QCOMPARE(loaded.range_start, utc(2014, 7, 1, 10));
    QCOMPARE(loaded.instancing_date.timeSpec(), Qt::UTC);
    QCOMPARE(loaded.lastModDate, utc(2014, 7, 1, 10));
}

void TestRecurrence::checkRepeats_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("fits");

    QTest::newRow("no repeat, empty") << int(NoRepeat) << QString() << true;
    QTest::newRow("no repeat, a pattern") << int(NoRepeat) << QStringLiteral("1") << false;
    QTest::newRow("daily, empty") << int(Daily) << QString() << true;
    QTest::newRow("daily, weekly pattern") << int(Daily) << QStringLiteral("0100000") << false;
    QTest::newRow("yearly, empty") << int(Yearly) << QString() << true;
    QTest::newRow("yearly, a space") << int(Yearly) << QStringLiteral(" ") << false;

    QTest::newRow("weekly, empty") << int(Weekly) << QString() << false;
    QTest::newRow("weekly, no day marked") << int(Weekly) << zeros(7) << false;
    QTest::newRow("weekly, Tuesday") << int(Weekly) << QStringLiteral("0100000") << true;
    QTest::newRow("weekly, every day") << int(Weekly) << QStringLiteral("1111111") << true;
    QTest::newRow("weekly, eight characters") << int(Weekly) << QStringLiteral("01000000") << false;
    QTest::newRow("weekly, six characters") << int(Weekly) << QStringLiteral("010000") << false;
    QTest::newRow("weekly, other character") << int(Weekly) << QStringLiteral("010000x") << false;

    QTest::newRow("monthly, empty") << int(Monthly) << QString() << false;
    QTest::newRow("monthly by day, no day marked") << int(Monthly) << zeros(29) << false;
    QTest::newRow("monthly by day, the 14th")
        << int(Monthly) << zeros(14) + QLatin1Char('1') + zeros(14) << true;
    QTest::newRow("monthly by day, the 28th")
        << int(Monthly) << zeros(28) + QLatin1Char('1') << true;
    QTest::newRow("monthly by day, 28 characters")
        << int(Monthly) << zeros(27) + QLatin1Char('1') << false;
    QTest::newRow("monthly by day, 30 characters")
        << int(Monthly) << zeros(29) + QLatin1Char('1') << false;
    QTest::newRow("monthly by day, other character")
        << int(Monthly) << zeros(14) + QLatin1Char('1') + zeros(13) + QLatin1Char('2') << false;

    QTest::newRow("monthly, first Monday")
        << int(Monthly) << byWeekday("10000", "0", "1000000") << true;
    QTest::newRow("monthly, last day")
        << int(Monthly) << byWeekday("00000", "1", "0000000") << true;
    QTest::newRow("monthly, two weeks marked")
        << int(Monthly) << byWeekday("11000", "0", "1000000") << false;
    QTest::newRow("monthly, no week marked")
        << int(Monthly) << byWeekday("00000", "0", "1000000") << false;
    QTest::newRow("monthly, a week without weekday")
        << int(Monthly) << byWeekday("01000", "0", "0000000") << false;
    QTest::newRow("monthly, week and weekday ignore the last-day flag")
        << int(Monthly) << byWeekday("00100", "1", "0000011") << true;
    QTest::newRow("monthly, last day ignores the week flags")
        << int(Monthly) << byWeekday("11x11", "1", "0000000") << true;
    QTest::newRow("monthly, last day with a weekday and no week")
        << int(Monthly) << byWeekday("00000", "1", "0000001") << false;
    QTest::newRow("monthly, other character among the weekdays")
        << int(Monthly) << byWeekday("10000", "0", "100000x") << false;
    QTest::newRow("monthly by weekday, 13 characters")
        << int(Monthly) << byWeekday("10000", "0", "100000") << false;
    QTest::newRow("monthly by weekday, 15 characters")
        << int(Monthly) << byWeekday("10000", "0", "10000000") << false;
    QTest::newRow("monthly, other first character")
        << int(Monthly) << QStringLiteral("2") + zeros(13) << false;

    QTest::newRow("unknown kind 5") << 5 << QString() << false;
    QTest::newRow("negative kind") << -1 << QString() << false;
}

void TestRecurrence::checkRepeats()
{
    QFETCH(int, repeats);
    QFETCH(QString, pattern);
    QFETCH(bool, fits);
    Recurrence recurrence(nullptr);
    recurrence.repeats = Repeats(repeats);
    recurrence.repeats_on = pattern;
    QCOMPARE(recurrence.checkRepeats(), fits);
}

void TestRecurrence::changingTheKindDropsAPatternThatNoLongerFits_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("kept");
    QTest::newRow("weekly to daily") << int(Weekly) << "0100000" << int(Daily) << QString();
    QTest::newRow("weekly to weekly") << int(Weekly) << "0100000" << int(Weekly) << "0100000";
    QTest::newRow("monthly to weekly")
        << int(Monthly) << byWeekday("00000", "1", "0000000") << int(Weekly) << QString();
    QTest::newRow("none to weekly") << int(NoRepeat) << QString() << int(Weekly) << QString();
}

void TestRecurrence::changingTheKindDropsAPatternThatNoLongerFits()
{
    QFETCH(int, from);
    QFETCH(QString, pattern);
    QFETCH(int, to);
    QFETCH(QString, kept);
    Recurrence recurrence(nullptr);
    recurrence.repeats = Repeats(from);
    recurrence.repeats_on = pattern;
    recurrence.isNew = false;
    recurrence.isSynchronized = true;
    QSignalSpy spy(&recurrence, &Entity::setUnsynchronized);
    recurrence.setRepeats(Repeats(to));
    QCOMPARE(int(recurrence.repeats), to);
    QCOMPARE(recurrence.repeats_on, kept);
    QCOMPARE(spy.count(), 1);
}

void TestRecurrence::aPatternThatDoesNotFitIsRefusedSilently()
{
    Recurrence recurrence(nullptr);
    recurrence.setRepeats(Weekly);
    recurrence.setRepeatsOn(QStringLiteral("0010000"));
    recurrence.isNew = false;
    recurrence.isSynchronized = true;
    QSignalSpy spy(&recurrence, &Entity::setUnsynchronized);
    OrvelTest::LogCapture log;

    recurrence.setRepeatsOn(zeros(7));
    QCOMPARE(recurrence.repeats_on, QStringLiteral("0010000"));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(recurrence.isSynchronized, true);
    QCOMPARE(log.lines().size(), 0);

    recurrence.setRepeatsOn(QStringLiteral("0000001"));
    QCOMPARE(recurrence.repeats_on, QStringLiteral("0000001"));
    QCOMPARE(spy.count(), 1);
}

void TestRecurrence::setSampleLinksBothSides()
{
    Sample first(QStringLiteral("+00:00"), 5);
    Sample second(QStringLiteral("+00:00"), 6);
    Recurrence recurrence(nullptr);

    recurrence.setSample(&first.todo);
    QCOMPARE(recurrence.sample, &first.todo);
    QCOMPARE(recurrence.sample_id, 5);
    QCOMPARE(first.todo.recurrence, &recurrence);
    QCOMPARE(first.todo.recurrence_id, -1); // the rule has no row yet

    recurrence.id = 9;
    recurrence.setSample(&second.todo);
    QCOMPARE(second.todo.recurrence_id, 9);
    QCOMPARE(recurrence.sample_id, 6);
    QCOMPARE(first.todo.recurrence, nullptr);
    QCOMPARE(first.todo.recurrence_id, -1);

    // Another rule taking the sample leaves this one without sample or sample_id.
    Recurrence taker(nullptr);
    taker.id = 2;
    taker.setSample(&second.todo);
    QCOMPARE(recurrence.sample, nullptr);
    QCOMPARE(recurrence.sample_id, INT_MIN);
    QCOMPARE(second.todo.recurrence, &taker);
    QCOMPARE(second.todo.recurrence_id, 2);

    taker.setSample(nullptr);
    QCOMPARE(taker.sample, nullptr);
    QCOMPARE(taker.sample_id, 6);
    QCOMPARE(second.todo.recurrence, nullptr);
    QCOMPARE(second.todo.recurrence_id, -1);
}

void TestRecurrence::setSampleKeepsTheWallClockReadingOfTheRange()
{
    // The device runs in UTC (tst_recurrence.cmake), so a rule without sample reads its range in
    // +00:00.
    Recurrence recurrence(nullptr);
    recurrence.range_start = utc(2014, 3, 1, 9);
    recurrence.range_end = utc(2014, 3, 31, 18);
    Sample east(QStringLiteral("+02:00"));
    Sample west(QStringLiteral("-05:30"));

    recurrence.setSample(&east.todo);
    QCOMPARE(recurrence.range_start, utc(2014, 3, 1, 7));
    QCOMPARE(recurrence.range_end, utc(2014, 3, 31, 16));
    QCOMPARE(recurrence.rangeStart(Stored),
             QDateTime(QDate(2014, 3, 1), QTime(9, 0), Qt::LocalTime));
    QCOMPARE(recurrence.instancing_date, utc(2010, 6, 1));

    recurrence.setSample(&west.todo);
    QCOMPARE(recurrence.range_start, utc(2014, 3, 1, 14, 30));
    QCOMPARE(recurrence.rangeEnd(Stored),
             QDateTime(QDate(2014, 3, 31), QTime(18, 0), Qt::LocalTime));
    QCOMPARE(recurrence.rangeEnd(UTC), utc(2014, 3, 31, 23, 30));

    recurrence.setRangeStart(QDateTime(QDate(2014, 4, 1), QTime(8, 0), Qt::LocalTime));
    QCOMPARE(recurrence.range_start, utc(2014, 4, 1, 13, 30));

    recurrence.setSample(nullptr);
    QCOMPARE(recurrence.range_start, utc(2014, 4, 1, 8));
    QCOMPARE(recurrence.range_end, utc(2014, 3, 31, 18));
}

void TestRecurrence::storedGettersWithoutSampleWarn()
{
    Recurrence recurrence(nullptr);
    recurrence.range_end = utc(2014, 3, 31, 18);
    OrvelTest::LogCapture log;
    QCOMPARE(recurrence.rangeStart(Stored), utc(1970, 1, 1).toTimeSpec(Qt::LocalTime));
    QCOMPARE(recurrence.rangeEnd(Stored), utc(2014, 3, 31, 18).toTimeSpec(Qt::LocalTime));
    QCOMPARE(recurrence.instancingDate(Stored), utc(2010, 6, 1).toTimeSpec(Qt::LocalTime));
    QCOMPARE(recurrence.instancingDate(Local).timeSpec(), Qt::LocalTime);
    QCOMPARE(recurrence.instancingDate(TimeSpec(7)).timeSpec(), Qt::LocalTime);
    QCOMPARE(recurrence.instancingDate(UTC).timeSpec(), Qt::UTC);
    const QByteArray noStored =
        OrvelTest::LogCapture::line("WARNING", "Stored time not exists, local returned");
    QCOMPARE(log.lines(),
             (QList<QByteArray>{noStored, noStored,
                                OrvelTest::LogCapture::line(
                                    "WARNING", "Stored should not be in use with instancing_date, "
                                               "local time returned")}));
}

QTEST_GUILESS_MAIN(TestRecurrence)
#include "tst_recurrence.moc"
