// Occurrences of repeating todos: the next-date rules of every kind, the walk over the active
// interval and its bounds, and the transient todos a query makes and frees.
//
// Every expected date below was read from a calendar (`date -d`), not from the code.

#include "loghandler.h"

#include <QPointer>
#include <QtTest>
#include <climits>
#include <initializer_list>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using Orvel::Alarm;
using Orvel::Binary;
using Orvel::Field;
using Orvel::FieldType;
using Orvel::Query;
using Orvel::Recurrence;
using Orvel::Todo;

namespace {

// The device runs in Europe/Berlin (see tst_occurrences.cmake); the samples live in another
// zone so that a mix-up of wall-clock, local and UTC readings shows in the results.
const char sampleZone[] = "+05:00";
const char dateFormat[] = "yyyy-MM-dd HH:mm";

QDateTime wallClock(const char* text)
{
    return QDateTime::fromString(QLatin1String(text), QLatin1String(dateFormat));
}

QDateTime utc(const char* text)
{
    QDateTime dateTime = wallClock(text);
    dateTime.setTimeSpec(Qt::UTC);
    return dateTime;
}

QString weekdays(std::initializer_list<int> chosen) // Qt::Monday (1) to Qt::Sunday (7)
{
    QString pattern(7, QLatin1Char('0'));
    for (int day : chosen)
        pattern[day - 1] = QLatin1Char('1');
    return pattern;
}

QString daysOfMonth(std::initializer_list<int> chosen)
{
    QString pattern(29, QLatin1Char('0'));
    for (int day : chosen)
        pattern[day] = QLatin1Char('1');
    return pattern;
}

// position: 1 to 4 a week of the month, 5 the last week, 6 the last day.
QString weekOfMonth(int position, std::initializer_list<int> chosenWeekdays)
{
    QString pattern = QStringLiteral("1000000");
    pattern[position] = QLatin1Char('1');
    return pattern + weekdays(chosenWeekdays);
}

QStringList startsOf(const QList<Todo*>& todos)
{
    QStringList starts;
    for (const Todo* todo : todos)
        starts.append(todo->startDate(Orvel::Stored).toString(QLatin1String(dateFormat)));
    return starts;
}

// A sample starting Wednesday 14 January 2015, 10:00 to 11:00 in its own zone, with an active
// rule over the whole of 2015; the test owns both.
class RepeatingTodo
{
public:
    RepeatingTodo(Orvel::Repeats repeats, int every, const QString& pattern)
        : sample(new Todo(nullptr)), rule(new Recurrence(nullptr))
    {
        sample->is_sample = true;
        sample->setTimeZone(QLatin1String(sampleZone));
        sample->setStartDate(wallClock("2015-01-14 10:00"));
        sample->setEndDate(wallClock("2015-01-14 11:00"));
        rule->setSample(sample);
        rule->repeats = repeats;
        rule->repeats_every = every;
        rule->repeats_on = pattern;
        rule->is_active = true;
        rule->setRangeStart(wallClock("2015-01-01 00:00"));
        rule->setRangeEnd(wallClock("2015-12-31 23:59"));
    }
    ~RepeatingTodo()
    {
        delete rule;
        delete sample;
    }
    RepeatingTodo(const RepeatingTodo&) = delete;
    RepeatingTodo& operator=(const RepeatingTodo&) = delete;

    Todo* sample;
    Recurrence* rule;
};

} // namespace

class TestOccurrences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nextOccurance_data();
    void nextOccurance();
    void ruleWithoutValidNextOccurrence_data();
    void ruleWithoutValidNextOccurrence();
    void walkOverInterval_data();
    void walkOverInterval();
    void rulesThatProduceNothing();
    void walkEndsAtInvalidOccurrence();
    void onlyTheQueriedRule();
    void nextOccurrenceOnly();
    void missingActiveInterval();
    void oneArgumentQueryHasNoRules();
    void occurrenceCopiesSample();
    void executeFreesPreviousOccurrences();
    void resetFreesOccurrences();
};

void TestOccurrences::nextOccurance_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("every");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("expected");

    const int daily = Orvel::Daily;
    const int weekly = Orvel::Weekly;
    const int monthly = Orvel::Monthly;
    const int yearly = Orvel::Yearly;
    const QString none;

    // Daily
    QTest::newRow("daily every 0 is the next day")
        << daily << 0 << none << wallClock("2015-01-14 09:15") << wallClock("2015-01-15 09:15");
    QTest::newRow("daily every 3")
        << daily << 3 << none << wallClock("2015-01-14 09:15") << wallClock("2015-01-17 09:15");
    QTest::newRow("daily every -2 counts as 1")
        << daily << -2 << none << wallClock("2015-01-14 09:15") << wallClock("2015-01-15 09:15");
    QTest::newRow("daily over a 31-day month end")
        << daily << 1 << none << wallClock("2015-01-31 09:15") << wallClock("2015-02-01 09:15");
    QTest::newRow("daily into a leap day")
        << daily << 1 << none << wallClock("2016-02-28 09:15") << wallClock("2016-02-29 09:15");
    QTest::newRow("daily every 2 over a 28-day February")
        << daily << 2 << none << wallClock("2015-02-27 09:15") << wallClock("2015-03-01 09:15");

    // Weekly
    QTest::newRow("weekly Mon+Wed every 2 from Wed 7 Jan 2015")
        << weekly << 2 << weekdays({1, 3}) << wallClock("2015-01-07 09:15")
        << wallClock("2015-01-19 09:15");
    QTest::newRow("weekly every day every 1 is the next day")
        << weekly << 1 << weekdays({1, 2, 3, 4, 5, 6, 7}) << wallClock("2015-01-07 09:15")
        << wallClock("2015-01-08 09:15");
    QTest::newRow("weekly every day every 1 from Sunday")
        << weekly << 1 << weekdays({1, 2, 3, 4, 5, 6, 7}) << wallClock("2015-01-11 09:15")
        << wallClock("2015-01-12 09:15");
    QTest::newRow("weekly on the start's weekday every 1")
        << weekly << 1 << weekdays({3}) << wallClock("2015-01-07 09:15")
        << wallClock("2015-01-14 09:15");
    QTest::newRow("weekly on the start's weekday every 2")
        << weekly << 2 << weekdays({3}) << wallClock("2015-01-07 09:15")
        << wallClock("2015-01-21 09:15");
    QTest::newRow("weekly on the start's weekday every 0")
        << weekly << 0 << weekdays({3}) << wallClock("2015-01-07 09:15")
        << wallClock("2015-01-14 09:15");
    QTest::newRow("weekly every 3 does not jump within the same week")
        << weekly << 3 << weekdays({5}) << wallClock("2015-01-07 09:15")
        << wallClock("2015-01-09 09:15");
    QTest::newRow("weekly Monday every 2 from Sunday")
        << weekly << 2 << weekdays({1}) << wallClock("2015-01-11 09:15")
        << wallClock("2015-01-19 09:15");
    QTest::newRow("weekly Monday over the year end")
        << weekly << 1 << weekdays({1}) << wallClock("2014-12-31 09:15")
        << wallClock("2015-01-05 09:15");

    // Monthly by day of the month
    QTest::newRow("by day 1 every 1 from 15 Jan")
        << monthly << 1 << daysOfMonth({1}) << wallClock("2015-01-15 09:15")
        << wallClock("2015-02-01 09:15");
    QTest::newRow("by day 1 every 3 from 15 Jan")
        << monthly << 3 << daysOfMonth({1}) << wallClock("2015-01-15 09:15")
        << wallClock("2015-04-01 09:15");
    QTest::newRow("by day 1 from 28 Feb 2015 (28-day month)")
        << monthly << 1 << daysOfMonth({1}) << wallClock("2015-02-28 09:15")
        << wallClock("2015-03-01 09:15");
    QTest::newRow("by day 1 from 28 Feb 2016 (leap year)")
        << monthly << 1 << daysOfMonth({1}) << wallClock("2016-02-28 09:15")
        << wallClock("2016-03-01 09:15");
    QTest::newRow("by day 1 from the leap day lands on the 2nd and misses the 1st")
        << monthly << 1 << daysOfMonth({1}) << wallClock("2016-02-29 09:15")
        << wallClock("2016-04-01 09:15");
    QTest::newRow("by day 2 from the leap day")
        << monthly << 1 << daysOfMonth({2}) << wallClock("2016-02-29 09:15")
        << wallClock("2016-03-02 09:15");
    QTest::newRow("by day 3 from 30 Apr (30-day month)")
        << monthly << 1 << daysOfMonth({3}) << wallClock("2015-04-30 09:15")
        << wallClock("2015-05-03 09:15");
    QTest::newRow("by day 4 from 31 Jan (31-day month)")
        << monthly << 1 << daysOfMonth({4}) << wallClock("2015-01-31 09:15")
        << wallClock("2015-02-04 09:15");
    QTest::newRow("by day 4 every 2 from 31 Jan")
        << monthly << 2 << daysOfMonth({4}) << wallClock("2015-01-31 09:15")
        << wallClock("2015-03-04 09:15");
    QTest::newRow("by day every 3 applies only after the month wrapped")
        << monthly << 3 << daysOfMonth({28}) << wallClock("2015-01-27 09:15")
        << wallClock("2015-01-28 09:15");
    QTest::newRow("by days 15 and 20 from the 15th")
        << monthly << 1 << daysOfMonth({15, 20}) << wallClock("2015-01-15 09:15")
        << wallClock("2015-01-20 09:15");

    // Monthly by week of the month
    QTest::newRow("week 2 Tuesday from Tue 13 Jan 2015")
        << monthly << 1 << weekOfMonth(2, {2}) << wallClock("2015-01-13 09:15")
        << wallClock("2015-02-10 09:15");
    QTest::newRow("week 1 Monday found inside week 1")
        << monthly << 1 << weekOfMonth(1, {1}) << wallClock("2015-01-01 09:15")
        << wallClock("2015-01-05 09:15");
    QTest::newRow("week 1 Monday from Mon 5 Jan jumps to the next month")
        << monthly << 1 << weekOfMonth(1, {1}) << wallClock("2015-01-05 09:15")
        << wallClock("2015-02-02 09:15");
    QTest::newRow("week 3 Wednesday every 2")
        << monthly << 2 << weekOfMonth(3, {3}) << wallClock("2015-01-21 09:15")
        << wallClock("2015-03-18 09:15");
    QTest::newRow("week 4 takes a chosen weekday later in the start's own week")
        << monthly << 1 << weekOfMonth(4, {7}) << wallClock("2015-01-01 09:15")
        << wallClock("2015-01-04 09:15");
    QTest::newRow("week 4 Sunday from week 4 into February")
        << monthly << 1 << weekOfMonth(4, {7}) << wallClock("2015-01-25 09:15")
        << wallClock("2015-02-22 09:15");
    QTest::newRow("week 2 (and last day) with no weekday takes the week's 7th day")
        << monthly << 1 << QStringLiteral("10100010000000") << wallClock("2015-01-13 09:15")
        << wallClock("2015-02-14 09:15");
    QTest::newRow("last week Friday from Fri 30 Jan 2015")
        << monthly << 1 << weekOfMonth(5, {5}) << wallClock("2015-01-30 09:15")
        << wallClock("2015-02-27 09:15");
    QTest::newRow("last week takes a chosen weekday later in the same month")
        << monthly << 1 << weekOfMonth(5, {5}) << wallClock("2015-01-19 09:15")
        << wallClock("2015-01-23 09:15");
    QTest::newRow("last week Friday every 2")
        << monthly << 2 << weekOfMonth(5, {5}) << wallClock("2015-01-30 09:15")
        << wallClock("2015-03-27 09:15");
    QTest::newRow("last week Monday into the leap February")
        << monthly << 1 << weekOfMonth(5, {1}) << wallClock("2016-01-25 09:15")
        << wallClock("2016-02-29 09:15");
    QTest::newRow("last day from 31 Jan 2015")
        << monthly << 1 << weekOfMonth(6, {}) << wallClock("2015-01-31 09:15")
        << wallClock("2015-02-28 09:15");
    QTest::newRow("last day from 15 Jan 2015 skips January's")
        << monthly << 1 << weekOfMonth(6, {}) << wallClock("2015-01-15 09:15")
        << wallClock("2015-02-28 09:15");
    QTest::newRow("last day of a leap February")
        << monthly << 1 << weekOfMonth(6, {}) << wallClock("2016-01-31 09:15")
        << wallClock("2016-02-29 09:15");
    QTest::newRow("last day of a 30-day month")
        << monthly << 1 << weekOfMonth(6, {}) << wallClock("2015-03-31 09:15")
        << wallClock("2015-04-30 09:15");
    QTest::newRow("last day every 2 over the year end")
        << monthly << 2 << weekOfMonth(6, {}) << wallClock("2015-12-15 09:15")
        << wallClock("2016-02-29 09:15");

    // Yearly
    QTest::newRow("yearly from the leap day")
        << yearly << 1 << none << wallClock("2016-02-29 09:15") << wallClock("2017-02-28 09:15");
    QTest::newRow("yearly every 4 from the leap day")
        << yearly << 4 << none << wallClock("2016-02-29 09:15") << wallClock("2020-02-29 09:15");
    QTest::newRow("yearly every 0 counts as 1")
        << yearly << 0 << none << wallClock("2015-01-14 09:15") << wallClock("2016-01-14 09:15");
    QTest::newRow("yearly every 2")
        << yearly << 2 << none << wallClock("2015-01-14 09:15") << wallClock("2017-01-14 09:15");
}

void TestOccurrences::nextOccurance()
{
    QFETCH(int, repeats);
    QFETCH(int, every);
    QFETCH(QString, pattern);
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, expected);

    Recurrence rule(nullptr);
    rule.repeats = static_cast<Orvel::Repeats>(repeats);
    rule.repeats_every = every;
    rule.repeats_on = pattern;
    QVERIFY(rule.checkRepeats());
    QList<Todo*> todos;
    Query query(&todos);

    QCOMPARE(query.nextOccurance(&rule, from), expected);
}

void TestOccurrences::ruleWithoutValidNextOccurrence_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDateTime>("from");

    const QDateTime from = wallClock("2015-01-14 09:15");
    QTest::newRow("no repeat") << int(Orvel::NoRepeat) << QString() << from;
    QTest::newRow("weekly without a chosen day")
        << int(Orvel::Weekly) << QStringLiteral("0000000") << from;
    QTest::newRow("monthly with an unknown layout")
        << int(Orvel::Monthly) << QStringLiteral("2000000") << from;
    QTest::newRow("daily with a pattern") << int(Orvel::Daily) << QStringLiteral("1") << from;
    QTest::newRow("unknown kind") << 7 << QString() << from;
    QTest::newRow("daily from an invalid date") << int(Orvel::Daily) << QString() << QDateTime();
}

void TestOccurrences::ruleWithoutValidNextOccurrence()
{
    QFETCH(int, repeats);
    QFETCH(QString, pattern);
    QFETCH(QDateTime, from);

    Recurrence rule(nullptr);
    rule.repeats = static_cast<Orvel::Repeats>(repeats);
    rule.repeats_on = pattern;
    QList<Todo*> todos;
    Query query(&todos);
    OrvelTest::LogCapture log;

    const QDateTime next = query.nextOccurance(&rule, from);

    QVERIFY2(!next.isValid(), qPrintable(next.toString(QLatin1String(dateFormat))));
    QCOMPARE(log.lines(), QList<QByteArray>());
}

void TestOccurrences::walkOverInterval_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("every");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDateTime>("activeFrom");
    QTest::addColumn<QDateTime>("activeTo");
    QTest::addColumn<QDateTime>("rangeStart");
    QTest::addColumn<QDateTime>("rangeEnd");
    QTest::addColumn<QDateTime>("instancingDate");
    QTest::addColumn<QStringList>("expected");

    const int daily = Orvel::Daily;
    const QString none;
    const QDateTime yearStart = wallClock("2015-01-01 00:00");
    const QDateTime yearEnd = wallClock("2015-12-31 23:59");
    const QDateTime longAgo = utc("2010-06-01 00:00");

    QTest::newRow("daily with occurrences on both active bounds")
        << daily << 1 << none << wallClock("2015-01-16 10:00") << wallClock("2015-01-19 10:00")
        << yearStart << yearEnd << longAgo
        << QStringList{"2015-01-16 10:00", "2015-01-17 10:00", "2015-01-18 10:00",
                       "2015-01-19 10:00"};
    QTest::newRow("daily clipped a minute before the active end")
        << daily << 1 << none << wallClock("2015-01-16 10:00") << wallClock("2015-01-19 09:59")
        << yearStart << yearEnd << longAgo
        << QStringList{"2015-01-16 10:00", "2015-01-17 10:00", "2015-01-18 10:00"};
    QTest::newRow("daily clipped a minute after the active start")
        << daily << 1 << none << wallClock("2015-01-16 10:01") << wallClock("2015-01-19 10:00")
        << yearStart << yearEnd << longAgo
        << QStringList{"2015-01-17 10:00", "2015-01-18 10:00", "2015-01-19 10:00"};
    QTest::newRow("daily never repeats the sample's own start")
        << daily << 1 << none << wallClock("2015-01-14 00:00") << wallClock("2015-01-16 23:59")
        << yearStart << yearEnd << longAgo << QStringList{"2015-01-15 10:00", "2015-01-16 10:00"};
    QTest::newRow("daily clipped by the range end, inclusive")
        << daily << 1 << none << wallClock("2015-01-16 10:00") << wallClock("2015-01-31 00:00")
        << yearStart << wallClock("2015-01-18 10:00") << longAgo
        << QStringList{"2015-01-16 10:00", "2015-01-17 10:00", "2015-01-18 10:00"};
    QTest::newRow("daily clipped by the range start, inclusive")
        << daily << 1 << none << yearStart << wallClock("2015-01-19 10:00")
        << wallClock("2015-01-17 10:00") << yearEnd << longAgo
        << QStringList{"2015-01-17 10:00", "2015-01-18 10:00", "2015-01-19 10:00"};
    QTest::newRow("daily clipped by the instancing date, inclusive")
        << daily << 1 << none << yearStart << wallClock("2015-01-19 10:00") << yearStart << yearEnd
        << utc("2015-01-17 09:00")
        << QStringList{"2015-01-17 10:00", "2015-01-18 10:00", "2015-01-19 10:00"};
    QTest::newRow("daily clipped a second after an instancing date")
        << daily << 1 << none << yearStart << wallClock("2015-01-19 10:00") << yearStart << yearEnd
        << utc("2015-01-17 09:00").addSecs(1)
        << QStringList{"2015-01-18 10:00", "2015-01-19 10:00"};
    QTest::newRow("daily every 3")
        << daily << 3 << none << yearStart << wallClock("2015-01-26 10:00") << yearStart << yearEnd
        << longAgo
        << QStringList{"2015-01-17 10:00", "2015-01-20 10:00", "2015-01-23 10:00",
                       "2015-01-26 10:00"};
    QTest::newRow("weekly Mon+Fri every 2")
        << int(Orvel::Weekly) << 2 << weekdays({1, 5}) << yearStart << wallClock("2015-02-13 10:00")
        << yearStart << yearEnd << longAgo
        << QStringList{"2015-01-16 10:00", "2015-01-26 10:00", "2015-01-30 10:00",
                       "2015-02-09 10:00", "2015-02-13 10:00"};
    QTest::newRow("monthly by days 1 and 15")
        << int(Orvel::Monthly) << 1 << daysOfMonth({1, 15}) << yearStart
        << wallClock("2015-03-01 10:00") << yearStart << yearEnd << longAgo
        << QStringList{"2015-01-15 10:00", "2015-02-01 10:00", "2015-02-15 10:00",
                       "2015-03-01 10:00"};
    QTest::newRow("monthly by day 20 every 2 over the summer time change")
        << int(Orvel::Monthly) << 2 << daysOfMonth({20}) << yearStart
        << wallClock("2015-05-31 00:00") << yearStart << yearEnd << longAgo
        << QStringList{"2015-01-20 10:00", "2015-03-20 10:00", "2015-05-20 10:00"};
    QTest::newRow("monthly last day starts in the next month")
        << int(Orvel::Monthly) << 1 << weekOfMonth(6, {}) << yearStart
        << wallClock("2015-04-30 10:00") << yearStart << yearEnd << longAgo
        << QStringList{"2015-02-28 10:00", "2015-03-31 10:00", "2015-04-30 10:00"};
    QTest::newRow("yearly has no occurrence within the sample's own year")
        << int(Orvel::Yearly) << 1 << none << yearStart << wallClock("2015-12-31 23:59")
        << yearStart << wallClock("2017-12-31 00:00") << longAgo << QStringList{};
    QTest::newRow("range ending before the active interval")
        << daily << 1 << none << wallClock("2015-02-01 00:00") << wallClock("2015-02-10 00:00")
        << yearStart << wallClock("2015-01-31 23:59") << longAgo << QStringList{};
    QTest::newRow("range starting after the active interval")
        << daily << 1 << none << wallClock("2015-01-15 00:00") << wallClock("2015-01-20 00:00")
        << wallClock("2015-01-20 00:01") << yearEnd << longAgo << QStringList{};
}

void TestOccurrences::walkOverInterval()
{
    QFETCH(int, repeats);
    QFETCH(int, every);
    QFETCH(QString, pattern);
    QFETCH(QDateTime, activeFrom);
    QFETCH(QDateTime, activeTo);
    QFETCH(QDateTime, rangeStart);
    QFETCH(QDateTime, rangeEnd);
    QFETCH(QDateTime, instancingDate);
    QFETCH(QStringList, expected);

    RepeatingTodo repeating(static_cast<Orvel::Repeats>(repeats), every, pattern);
    repeating.rule->setRangeStart(rangeStart);
    repeating.rule->setRangeEnd(rangeEnd);
    repeating.rule->instancing_date = instancingDate;
    QList<Todo*> todos;
    QList<Recurrence*> rules{repeating.rule};
    Query query(&todos, &rules);
    query.activeFrom = activeFrom;
    query.activeTo = activeTo;

    QVERIFY(query.computeRecurringTodos());

    QCOMPARE(startsOf(*query.recurringTodos), expected);
}

void TestOccurrences::rulesThatProduceNothing()
{
    RepeatingTodo inactive(Orvel::Daily, 1, QString());
    inactive.rule->is_active = false;
    RepeatingTodo notRepeating(Orvel::NoRepeat, 1, QString());
    RepeatingTodo withoutSample(Orvel::Daily, 1, QString());
    withoutSample.rule->setSample(nullptr);
    RepeatingTodo producing(Orvel::Daily, 1, QString());
    QList<Todo*> todos;
    QList<Recurrence*> rules{inactive.rule, notRepeating.rule, withoutSample.rule, producing.rule};
    Query query(&todos, &rules);
    query.activeFrom = wallClock("2015-01-15 00:00");
    query.activeTo = wallClock("2015-01-16 23:59");
    query.unfilteredRecurring = true;

    query.execute();

    QCOMPARE(startsOf(*query.result), (QStringList{"2015-01-15 10:00", "2015-01-16 10:00"}));
    QCOMPARE(producing.rule->todos->size(), 2);
    QCOMPARE(inactive.rule->todos->size(), 0);
}

// A rule whose next occurrence is invalid would otherwise be walked for ever: an invalid
// date-time compares earlier than every bound.
void TestOccurrences::walkEndsAtInvalidOccurrence()
{
    RepeatingTodo unvalidated(Orvel::Weekly, 1, QStringLiteral("0000000"));
    RepeatingTodo undated(Orvel::Daily, 1, QString());
    undated.sample->start_date = QDateTime();
    RepeatingTodo producing(Orvel::Daily, 1, QString());
    QList<Todo*> todos;
    QList<Recurrence*> rules{unvalidated.rule, undated.rule, producing.rule};
    Query query(&todos, &rules);
    query.activeFrom = wallClock("2015-01-15 00:00");
    query.activeTo = wallClock("2015-01-15 23:59");

    QVERIFY(query.computeRecurringTodos());
    QCOMPARE(startsOf(*query.recurringTodos), QStringList{"2015-01-15 10:00"});

    query.nextOccurrenceOnly = true;
    query.execute();
    QCOMPARE(query.recurringTodos->size(), 0);
    query.includeRecurring = true;
    query.execute();
    QCOMPARE(startsOf(*query.recurringTodos), QStringList{"2015-01-15 10:00"});
}

void TestOccurrences::onlyTheQueriedRule()
{
    RepeatingTodo daily(Orvel::Daily, 1, QString());
    RepeatingTodo everyOtherDay(Orvel::Daily, 2, QString());
    QList<Todo*> todos;
    QList<Recurrence*> rules{daily.rule, everyOtherDay.rule};
    Query query(&todos, &rules);
    query.activeFrom = wallClock("2015-01-15 00:00");
    query.activeTo = wallClock("2015-01-18 23:59");
    query.recurrence = everyOtherDay.rule;
    query.unfilteredRecurring = true;

    query.execute();

    QCOMPARE(startsOf(*query.result), (QStringList{"2015-01-16 10:00", "2015-01-18 10:00"}));
}

void TestOccurrences::nextOccurrenceOnly()
{
    RepeatingTodo weekly(Orvel::Weekly, 1, weekdays({5}));
    RepeatingTodo daily(Orvel::Daily, 1, QString());
    daily.rule->setRangeStart(wallClock("2015-03-01 00:00"));
    RepeatingTodo endedRange(Orvel::Daily, 1, QString());
    endedRange.rule->setRangeEnd(wallClock("2015-01-15 09:59"));
    RepeatingTodo lastDayInRange(Orvel::Daily, 1, QString());
    lastDayInRange.rule->setRangeEnd(wallClock("2015-01-15 10:00"));
    QList<Todo*> todos;
    QList<Recurrence*> rules{weekly.rule, daily.rule, endedRange.rule, lastDayInRange.rule};
    Query query(&todos, &rules);
    // Far from every occurrence: only its validity counts.
    query.activeFrom = wallClock("2030-01-01 00:00");
    query.activeTo = wallClock("2030-01-02 00:00");
    query.nextOccurrenceOnly = true;
    query.unfilteredRecurring = true;

    query.execute();

    QCOMPARE(startsOf(*query.result),
             (QStringList{"2015-01-16 10:00", "2015-01-15 10:00", "2015-01-15 10:00"}));
    QCOMPARE(query.result->at(0)->recurrence, weekly.rule);
    QCOMPARE(query.result->at(1)->recurrence, daily.rule);
    QCOMPARE(query.result->at(2)->recurrence, lastDayInRange.rule);
}

void TestOccurrences::missingActiveInterval()
{
    RepeatingTodo daily(Orvel::Daily, 1, QString());
    Todo ordinary(nullptr);
    QList<Todo*> todos{&ordinary};
    QList<Recurrence*> rules{daily.rule};
    Query query(&todos, &rules);
    query.activeFrom = wallClock("2015-01-15 00:00");
    query.includeRecurring = true;
    OrvelTest::LogCapture log;

    QVERIFY(!query.computeRecurringTodos());
    query.execute();

    const QByteArray warning = OrvelTest::LogCapture::line(
        "WARNING", "Can't query recurring todos, set the active query interval first!");
    QCOMPARE(log.lines(), (QList<QByteArray>{warning, warning}));
    QCOMPARE(query.recurringTodos->size(), 0);
    QCOMPARE(*query.result, QList<Todo*>{&ordinary});
}

void TestOccurrences::oneArgumentQueryHasNoRules()
{
    RepeatingTodo daily(Orvel::Daily, 1, QString());
    Todo ordinary(nullptr);
    QList<Todo*> todos{&ordinary};
    Query query(&todos);
    query.activeFrom = wallClock("2015-01-01 00:00");
    query.activeTo = wallClock("2015-01-31 00:00");
    query.includeRecurring = true;

    QVERIFY(query.computeRecurringTodos());
    QCOMPARE(query.recurringTodos->size(), 0);

    query.unfilteredRecurring = true;
    query.execute();
    QCOMPARE(query.result->size(), 0);

    query.recurrence = daily.rule;
    query.execute();
    QCOMPARE(query.result->size(), 16);
}

void TestOccurrences::occurrenceCopiesSample()
{
    RepeatingTodo weekly(Orvel::Weekly, 1, weekdays({3}));
    Todo* sample = weekly.sample;
    // In the device's own zone: the alarm copy keeps its local reading (see makeTodoFromSample).
    sample->setTimeZone(QStringLiteral("+01:00"));
    sample->status = 4;
    sample->is_done = true;
    sample->format_string = QStringLiteral("Water %1% plants");
    sample->note = QStringLiteral("Water the plants");
    FieldType room(nullptr);
    room.id = 1;
    Field* field = new Field(nullptr);
    field->value = QStringLiteral("kitchen");
    field->db_id = QStringLiteral("db-7");
    field->contact_id = QStringLiteral("contact-9");
    field->setTodo(sample);
    field->setFieldType(&room);
    Alarm* alarm = new Alarm(nullptr);
    alarm->setTodo(sample);
    alarm->setAlarmTime(wallClock("2015-01-14 09:45"));
    alarm->is_active = true;
    alarm->snooze = 2;
    alarm->snooze_interval = 15;
    Binary* attachment = new Binary(nullptr);
    attachment->setTodo(sample);
    QList<Todo*> todos;
    QList<Recurrence*> rules{weekly.rule};
    Query query(&todos, &rules);
    query.activeFrom = wallClock("2015-01-20 00:00");
    query.activeTo = wallClock("2015-01-21 23:59");

    QVERIFY(query.computeRecurringTodos());

    QCOMPARE(query.recurringTodos->size(), 1);
    Todo* occurrence = query.recurringTodos->first();
    QCOMPARE(occurrence->id, INT_MIN);
    QCOMPARE(occurrence->is_sample, false);
    QCOMPARE(occurrence->time_zone, QStringLiteral("+01:00"));
    QCOMPARE(occurrence->startDate(Orvel::Stored), wallClock("2015-01-21 10:00"));
    QCOMPARE(occurrence->endDate(Orvel::Stored), wallClock("2015-01-21 11:00"));
    QCOMPARE(occurrence->startDate(Orvel::UTC), utc("2015-01-21 09:00"));
    QCOMPARE(occurrence->status, 4);
    QCOMPARE(occurrence->is_done, true);
    QCOMPARE(occurrence->isDeleted, false);
    QCOMPARE(occurrence->format_string, sample->format_string);
    QCOMPARE(occurrence->note, sample->note);
    QCOMPARE(occurrence->recurrence, weekly.rule);
    QVERIFY(weekly.rule->todos->contains(occurrence));
    QCOMPARE(occurrence->binaries->size(), 0);

    QCOMPARE(occurrence->fields->size(), 1);
    const Field* copiedField = occurrence->fields->first();
    QVERIFY(copiedField != field);
    QCOMPARE(copiedField->value, QStringLiteral("kitchen"));
    QCOMPARE(copiedField->db_id, QStringLiteral("db-7"));
    QCOMPARE(copiedField->contact_id, QStringLiteral("contact-9"));
    QCOMPARE(copiedField->fieldType, &room);
    QCOMPARE(copiedField->todo, occurrence);
    QCOMPARE(room.fields->size(), 2);

    QCOMPARE(occurrence->alarms->size(), 1);
    const Alarm* copiedAlarm = occurrence->alarms->first();
    QVERIFY(copiedAlarm != alarm);
    QCOMPARE(copiedAlarm->alarmTime(Orvel::Stored), wallClock("2015-01-21 09:45"));
    QCOMPARE(copiedAlarm->alarmTime(Orvel::UTC), utc("2015-01-21 08:45"));
    QCOMPARE(copiedAlarm->is_active, true);
    QCOMPARE(copiedAlarm->snooze, 2);
    QCOMPARE(copiedAlarm->snooze_interval, 15);
    QCOMPARE(copiedAlarm->todo, occurrence);
}

void TestOccurrences::executeFreesPreviousOccurrences()
{
    RepeatingTodo daily(Orvel::Daily, 1, QString());
    FieldType room(nullptr);
    Field* field = new Field(nullptr);
    field->setTodo(daily.sample);
    field->setFieldType(&room);
    Todo ordinary(nullptr);
    QList<Todo*> todos{&ordinary};
    QList<Recurrence*> rules{daily.rule};
    Query query(&todos, &rules);
    query.activeFrom = wallClock("2015-01-15 00:00");
    query.activeTo = wallClock("2015-01-17 23:59");
    query.onlyRecurring = true;
    query.execute();
    QCOMPARE(query.result->size(), 3);
    QList<QPointer<Todo>> first;
    for (Todo* occurrence : std::as_const(*query.recurringTodos))
        first.append(occurrence);
    // A front end may put occurrences among the ordinary todos, even twice.
    todos.append(query.recurringTodos->at(1));
    todos.append(query.recurringTodos->at(1));
    todos.append(query.recurringTodos->at(0));
    QCOMPARE(room.fields->size(), 4);

    query.execute();

    for (const QPointer<Todo>& occurrence : std::as_const(first))
        QVERIFY(occurrence.isNull());
    QCOMPARE(todos, QList<Todo*>{&ordinary});
    QCOMPARE(query.result->size(), 3);
    QCOMPARE(*daily.rule->todos, *query.recurringTodos);
    QCOMPARE(room.fields->size(), 4);
    QCOMPARE(room.fields->first(), field);
}

// reset() deletes the occurrences like execute(): nothing else would free them afterwards.
void TestOccurrences::resetFreesOccurrences()
{
    RepeatingTodo daily(Orvel::Daily, 1, QString());
    Todo ordinary(nullptr);
    QList<Todo*> todos{&ordinary};
    QList<Recurrence*> rules{daily.rule};
    Query query(&todos, &rules);
    query.activeFrom = wallClock("2015-01-15 00:00");
    query.activeTo = wallClock("2015-01-16 23:59");
    query.unfilteredRecurring = true;
    query.execute();
    QPointer<Todo> occurrence = query.result->first();
    todos.append(occurrence);

    query.reset();

    QVERIFY(occurrence.isNull());
    QCOMPARE(query.recurringTodos->size(), 0);
    QCOMPARE(query.result->size(), 0);
    QCOMPARE(todos, QList<Todo*>{&ordinary});
    QCOMPARE(daily.rule->todos->size(), 0);
}

QTEST_GUILESS_MAIN(TestOccurrences)
#include "tst_occurrences.moc"
