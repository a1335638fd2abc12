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
using Orvel::Field;
using Orvel::FieldType;
using Orvel::Query;
using Orvel::Recurrence;
using Orvel::Todo;

namespace {

// The device runs in Europe/Berlin (see tst_occurrences.cmake); the samples live in another
// zone so that a mix-up of wall-clock, local and UTC readings shows in the results.
const char dateFormat[] = "yyyy-MM-dd HH:mm";

QDateTime wallClock(const QString& text)
{
    return QDateTime::fromString(text, QLatin1String(dateFormat));
}

QDateTime utc(const char* text)
{
    QDateTime dateTime = wallClock(QLatin1String(text));
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

// Days of occurrences at the sample's 10:00 start, as startsOf() writes them.
QStringList atTen(const QStringList& days)
{
    QStringList starts;
    for (const QString& day : days)
        starts.append(day + QLatin1String(" 10:00"));
    return starts;
}

// A sample starting Wednesday 14 January 2015, 10:00 to 11:00 in its own zone, with an active
// rule over the whole of 2015; the test owns both.
class RepeatingTodo
{
public:
    RepeatingTodo(Orvel::Repeats repeats, int every, const QString& pattern = QString())
        : sample(new Todo(nullptr)), rule(new Recurrence(nullptr))
    {
        sample->is_sample = true;
        sample->setTimeZone(QStringLiteral("+05:00"));
        sample->setStartDate(wallClock(QStringLiteral("2015-01-14 10:00")));
        sample->setEndDate(wallClock(QStringLiteral("2015-01-14 11:00")));
        rule->setSample(sample);
        rule->repeats = repeats;
        rule->repeats_every = every;
        rule->repeats_on = pattern;
        rule->is_active = true;
        rule->setRangeStart(wallClock(QStringLiteral("2015-01-01 00:00")));
        rule->setRangeEnd(wallClock(QStringLiteral("2015-12-31 23:59")));
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

// A query over the given ordinary todos and rules with an active interval in wall-clock time.
struct IntervalQuery
{
    IntervalQuery(std::initializer_list<Recurrence*> ruleList, const char* from, const char* to)
        : rules(ruleList), query(&todos, &rules)
    {
        query.activeFrom = wallClock(QLatin1String(from));
        query.activeTo = wallClock(QLatin1String(to));
    }
    Todo ordinary{nullptr};
    QList<Todo*> todos{&ordinary};
    QList<Recurrence*> rules;
    Query query;
};

} // namespace

class TestOccurrences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nextOccurance_data();
    void nextOccurance();
    void walkOverInterval_data();
    void walkOverInterval();
    void rulesThatProduceNothing();
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

    // Every step starts at 09:15 and keeps the time; no expected day means no next occurrence.
    const auto row = [](const char* name, int repeats, int every, const QString& pattern,
                        const char* from, const char* expected) {
        const auto at = [](const char* day) {
            return day ? wallClock(QLatin1String(day) + QLatin1String(" 09:15")) : QDateTime();
        };
        QTest::newRow(name) << repeats << every << pattern << at(from) << at(expected);
    };
    const int daily = Orvel::Daily, weekly = Orvel::Weekly;
    const int monthly = Orvel::Monthly, yearly = Orvel::Yearly;
    const QString none;

    row("daily every 0 is the next day", daily, 0, none, "2015-01-14", "2015-01-15");
    row("daily every 3", daily, 3, none, "2015-01-14", "2015-01-17");
    row("daily every -2 counts as 1", daily, -2, none, "2015-01-14", "2015-01-15");
    row("daily over a 31-day month end", daily, 1, none, "2015-01-31", "2015-02-01");
    row("daily into a leap day", daily, 1, none, "2016-02-28", "2016-02-29");
    row("daily every 2 over a 28-day February", daily, 2, none, "2015-02-27", "2015-03-01");

    row("weekly Mon+Wed every 2 from Wed 7 Jan", weekly, 2, weekdays({1, 3}), "2015-01-07",
        "2015-01-19");
    row("weekly every day: the next day", weekly, 1, weekdays({1, 2, 3, 4, 5, 6, 7}), "2015-01-11",
        "2015-01-12");
    row("weekly start's weekday every 1", weekly, 1, weekdays({3}), "2015-01-07", "2015-01-14");
    row("weekly start's weekday every 2", weekly, 2, weekdays({3}), "2015-01-07", "2015-01-21");
    row("weekly start's weekday every 0", weekly, 0, weekdays({3}), "2015-01-07", "2015-01-14");
    row("weekly every 3, not within the week", weekly, 3, weekdays({5}), "2015-01-07",
        "2015-01-09");
    row("weekly Monday every 2 from Sunday", weekly, 2, weekdays({1}), "2015-01-11", "2015-01-19");
    row("weekly Monday over the year end", weekly, 1, weekdays({1}), "2014-12-31", "2015-01-05");

    row("by day 1 every 1 from 15 Jan", monthly, 1, daysOfMonth({1}), "2015-01-15", "2015-02-01");
    row("by day 1 every 3 from 15 Jan", monthly, 3, daysOfMonth({1}), "2015-01-15", "2015-04-01");
    row("by day 1 from 28 Feb 2015", monthly, 1, daysOfMonth({1}), "2015-02-28", "2015-03-01");
    row("by day 1 from 28 Feb 2016", monthly, 1, daysOfMonth({1}), "2016-02-28", "2016-03-01");
    row("by day 1 from 29 Feb: misses 1 Mar", monthly, 1, daysOfMonth({1}), "2016-02-29",
        "2016-04-01");
    row("by day 3 from 30 Apr", monthly, 1, daysOfMonth({3}), "2015-04-30", "2015-05-03");
    row("by day 4 every 2 from 31 Jan", monthly, 2, daysOfMonth({4}), "2015-01-31", "2015-03-04");
    row("by day every 3, before the wrap", monthly, 3, daysOfMonth({28}), "2015-01-27",
        "2015-01-28");
    row("by days 15 and 20 from 15th", monthly, 1, daysOfMonth({15, 20}), "2015-01-15",
        "2015-01-20");

    row("week 2 Tuesday from 13 Jan", monthly, 1, weekOfMonth(2, {2}), "2015-01-13", "2015-02-10");
    row("week 1 Monday inside week 1", monthly, 1, weekOfMonth(1, {1}), "2015-01-01", "2015-01-05");
    row("week 1 Monday from 5 Jan", monthly, 1, weekOfMonth(1, {1}), "2015-01-05", "2015-02-02");
    row("week 3 Wednesday every 2", monthly, 2, weekOfMonth(3, {3}), "2015-01-21", "2015-03-18");
    row("week 4 Sunday in the start's week", monthly, 1, weekOfMonth(4, {7}), "2015-01-01",
        "2015-01-04");
    row("week 2 and last day, no weekday", monthly, 1, QStringLiteral("10100010000000"),
        "2015-01-13", "2015-02-14");
    row("last week Friday from 30 Jan", monthly, 1, weekOfMonth(5, {5}), "2015-01-30",
        "2015-02-27");
    row("last week Friday from 19 Jan", monthly, 1, weekOfMonth(5, {5}), "2015-01-19",
        "2015-01-23");
    row("last week Friday every 2", monthly, 2, weekOfMonth(5, {5}), "2015-01-30", "2015-03-27");
    row("last week Monday, leap Feb", monthly, 1, weekOfMonth(5, {1}), "2016-01-25", "2016-02-29");
    row("last day from 31 Jan 2015", monthly, 1, weekOfMonth(6, {}), "2015-01-31", "2015-02-28");
    row("last day from 15 Jan", monthly, 1, weekOfMonth(6, {}), "2015-01-15", "2015-02-28");
    row("last day, leap February", monthly, 1, weekOfMonth(6, {}), "2016-01-31", "2016-02-29");
    row("last day of a 30-day month", monthly, 1, weekOfMonth(6, {}), "2015-03-31", "2015-04-30");
    row("last day every 2, year end", monthly, 2, weekOfMonth(6, {}), "2015-12-15", "2016-02-29");

    row("yearly from the leap day", yearly, 1, none, "2016-02-29", "2017-02-28");
    row("yearly every 4 from the leap day", yearly, 4, none, "2016-02-29", "2020-02-29");
    row("yearly every 0 counts as 1", yearly, 0, none, "2015-01-14", "2016-01-14");

    // Rules without a next occurrence, which end the walk over an interval.
    row("no repeat", Orvel::NoRepeat, 1, none, "2015-01-14", nullptr);
    row("weekly without a chosen day", weekly, 1, QStringLiteral("0000000"), "2015-01-14", nullptr);
    row("unknown kind", 7, 1, none, "2015-01-14", nullptr);
    row("daily from an invalid date", daily, 1, none, nullptr, nullptr);

    // Occurrences lie within the years 1 to 9999 (3652058 days apart, by Python's calendar);
    // steps that would leave them, however large the interval, give none.
    row("daily up to the last day of year 9999", daily, 3652058, none, "0001-01-01", "9999-12-31");
    row("daily past year 9999", daily, 1, none, "9999-12-31", nullptr);
    row("weekly every 406674835 over a Monday", weekly, 406674835, weekdays({1}), "2015-01-14",
        nullptr);
    row("by day every INT_MAX months", monthly, INT_MAX, daysOfMonth({1}), "2015-01-15", nullptr);
    row("yearly every INT_MAX years", yearly, INT_MAX, none, "2015-01-14", nullptr);
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
    if (expected.isValid())
        QVERIFY(rule.checkRepeats());
    QList<Todo*> todos;
    Query query(&todos);
    OrvelTest::LogCapture log;

    QCOMPARE(query.nextOccurance(&rule, from), expected);
    QCOMPARE(log.lines(), QList<QByteArray>());
}

void TestOccurrences::walkOverInterval_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("every");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("activeFrom");
    QTest::addColumn<QString>("activeTo");
    QTest::addColumn<QString>("rangeStart");
    QTest::addColumn<QString>("rangeEnd");
    QTest::addColumn<QDateTime>("instancingDate");
    QTest::addColumn<QStringList>("expected");

    const int daily = Orvel::Daily;
    const QString none;
    const QString yearStart = QStringLiteral("2015-01-01 00:00");
    const QString yearEnd = QStringLiteral("2015-12-31 23:59");
    const QDateTime longAgo = utc("2010-06-01 00:00");
    const auto row = [&](const char* name, int repeats, int every, const QString& pattern,
                         const char* activeFrom, const char* activeTo, const QStringList& days) {
        QTest::newRow(name) << repeats << every << pattern << QString::fromLatin1(activeFrom)
                            << QString::fromLatin1(activeTo) << yearStart << yearEnd << longAgo
                            << atTen(days);
    };
    const auto data = [](const char* name) -> QTestData& { return QTest::newRow(name); };

    row("daily with occurrences on both active bounds", daily, 1, none, "2015-01-16 10:00",
        "2015-01-19 10:00", {"2015-01-16", "2015-01-17", "2015-01-18", "2015-01-19"});
    row("daily clipped a minute before the active end", daily, 1, none, "2015-01-16 10:00",
        "2015-01-19 09:59", {"2015-01-16", "2015-01-17", "2015-01-18"});
    row("daily clipped a minute after the active start", daily, 1, none, "2015-01-16 10:01",
        "2015-01-19 10:00", {"2015-01-17", "2015-01-18", "2015-01-19"});
    row("daily never repeats the sample's own start", daily, 1, none, "2015-01-14 00:00",
        "2015-01-16 23:59", {"2015-01-15", "2015-01-16"});
    row("daily every 3", daily, 3, none, "2015-01-01 00:00", "2015-01-26 10:00",
        {"2015-01-17", "2015-01-20", "2015-01-23", "2015-01-26"});
    row("weekly Mon+Fri every 2", Orvel::Weekly, 2, weekdays({1, 5}), "2015-01-01 00:00",
        "2015-02-13 10:00", {"2015-01-16", "2015-01-26", "2015-01-30", "2015-02-09", "2015-02-13"});
    row("monthly by days 1 and 15", Orvel::Monthly, 1, daysOfMonth({1, 15}), "2015-01-01 00:00",
        "2015-03-01 10:00", {"2015-01-15", "2015-02-01", "2015-02-15", "2015-03-01"});
    row("monthly by day 20 every 2 over the summer time change", Orvel::Monthly, 2,
        daysOfMonth({20}), "2015-01-01 00:00", "2015-05-31 00:00",
        {"2015-01-20", "2015-03-20", "2015-05-20"});
    row("monthly last day starts in the next month", Orvel::Monthly, 1, weekOfMonth(6, {}),
        "2015-01-01 00:00", "2015-04-30 10:00", {"2015-02-28", "2015-03-31", "2015-04-30"});
    // Rows with their own range or instancing date.
    data("daily clipped by the range end, inclusive")
        << daily << 1 << none << "2015-01-16 10:00"
        << "2015-01-31 00:00" << yearStart << "2015-01-18 10:00" << longAgo
        << atTen({"2015-01-16", "2015-01-17", "2015-01-18"});
    data("daily clipped by the range start, inclusive")
        << daily << 1 << none << yearStart << "2015-01-19 10:00"
        << "2015-01-17 10:00" << yearEnd << longAgo
        << atTen({"2015-01-17", "2015-01-18", "2015-01-19"});
    data("daily clipped by the instancing date, inclusive")
        << daily << 1 << none << yearStart << "2015-01-19 10:00" << yearStart << yearEnd
        << utc("2015-01-17 09:00") << atTen({"2015-01-17", "2015-01-18", "2015-01-19"});
    data("daily clipped a second after an instancing date")
        << daily << 1 << none << yearStart << "2015-01-19 10:00" << yearStart << yearEnd
        << utc("2015-01-17 09:00").addSecs(1) << atTen({"2015-01-18", "2015-01-19"});
    data("yearly has no occurrence within the sample's own year")
        << int(Orvel::Yearly) << 1 << none << yearStart << yearEnd << yearStart
        << "2017-12-31 00:00" << longAgo << QStringList();
    data("range ending before the active interval")
        << daily << 1 << none << "2015-02-01 00:00"
        << "2015-02-10 00:00" << yearStart << "2015-01-31 23:59" << longAgo << QStringList();
}

void TestOccurrences::walkOverInterval()
{
    QFETCH(int, repeats);
    QFETCH(int, every);
    QFETCH(QString, pattern);
    QFETCH(QString, activeFrom);
    QFETCH(QString, activeTo);
    QFETCH(QString, rangeStart);
    QFETCH(QString, rangeEnd);
    QFETCH(QDateTime, instancingDate);
    QFETCH(QStringList, expected);

    RepeatingTodo repeating(static_cast<Orvel::Repeats>(repeats), every, pattern);
    repeating.rule->setRangeStart(wallClock(rangeStart));
    repeating.rule->setRangeEnd(wallClock(rangeEnd));
    repeating.rule->instancing_date = instancingDate;
    QList<Todo*> todos;
    QList<Recurrence*> rules{repeating.rule};
    Query query(&todos, &rules);
    query.activeFrom = wallClock(activeFrom);
    query.activeTo = wallClock(activeTo);

    QVERIFY(query.computeRecurringTodos());

    QCOMPARE(startsOf(*query.recurringTodos), expected);
}

// Among rules that produce nothing are some whose next occurrence is invalid; they would be
// walked for ever, since an invalid date-time compares earlier than every bound.
void TestOccurrences::rulesThatProduceNothing()
{
    RepeatingTodo inactive(Orvel::Daily, 1);
    inactive.rule->is_active = false;
    RepeatingTodo notRepeating(Orvel::NoRepeat, 1);
    RepeatingTodo withoutSample(Orvel::Daily, 1);
    withoutSample.rule->setSample(nullptr);
    RepeatingTodo unvalidated(Orvel::Weekly, 1, QStringLiteral("0000000"));
    RepeatingTodo undated(Orvel::Daily, 1);
    undated.sample->start_date = QDateTime();
    RepeatingTodo producing(Orvel::Daily, 1);
    IntervalQuery q({inactive.rule, notRepeating.rule, withoutSample.rule, unvalidated.rule,
                     undated.rule, producing.rule},
                    "2015-01-15 00:00", "2015-01-16 23:59");
    q.query.unfilteredRecurring = true;

    q.query.execute();

    QCOMPARE(startsOf(*q.query.result), atTen({"2015-01-15", "2015-01-16"}));
    QCOMPARE(producing.rule->todos->size(), 2);
    QCOMPARE(inactive.rule->todos->size(), 0);
}

void TestOccurrences::onlyTheQueriedRule()
{
    RepeatingTodo daily(Orvel::Daily, 1);
    RepeatingTodo everyOtherDay(Orvel::Daily, 2);
    IntervalQuery q({daily.rule, everyOtherDay.rule}, "2015-01-15 00:00", "2015-01-18 23:59");
    q.query.recurrence = everyOtherDay.rule;
    q.query.unfilteredRecurring = true;

    q.query.execute();

    QCOMPARE(startsOf(*q.query.result), atTen({"2015-01-16", "2015-01-18"}));
}

void TestOccurrences::nextOccurrenceOnly()
{
    RepeatingTodo weekly(Orvel::Weekly, 1, weekdays({5}));
    RepeatingTodo daily(Orvel::Daily, 1);
    daily.rule->setRangeStart(wallClock(QStringLiteral("2015-03-01 00:00")));
    RepeatingTodo endedRange(Orvel::Daily, 1);
    endedRange.rule->setRangeEnd(wallClock(QStringLiteral("2015-01-15 09:59")));
    RepeatingTodo lastDayInRange(Orvel::Daily, 1);
    lastDayInRange.rule->setRangeEnd(wallClock(QStringLiteral("2015-01-15 10:00")));
    RepeatingTodo unvalidated(Orvel::Weekly, 1, QStringLiteral("0000000"));
    // Far from every occurrence: only its validity counts.
    IntervalQuery q(
        {weekly.rule, daily.rule, endedRange.rule, lastDayInRange.rule, unvalidated.rule},
        "2030-01-01 00:00", "2030-01-02 00:00");
    q.query.nextOccurrenceOnly = true;
    q.query.unfilteredRecurring = true;

    q.query.execute();

    QCOMPARE(startsOf(*q.query.result), atTen({"2015-01-16", "2015-01-15", "2015-01-15"}));
    QCOMPARE(q.query.result->at(0)->recurrence, weekly.rule);
    QCOMPARE(q.query.result->at(1)->recurrence, daily.rule);
    QCOMPARE(q.query.result->at(2)->recurrence, lastDayInRange.rule);
}

void TestOccurrences::missingActiveInterval()
{
    RepeatingTodo daily(Orvel::Daily, 1);
    IntervalQuery q({daily.rule}, "2015-01-15 00:00", "");
    q.query.includeRecurring = true;
    OrvelTest::LogCapture log;

    QVERIFY(!q.query.computeRecurringTodos());
    q.query.execute();

    const QByteArray warning = OrvelTest::LogCapture::line(
        "WARNING", "Can't query recurring todos, set the active query interval first!");
    QCOMPARE(log.lines(), (QList<QByteArray>{warning, warning}));
    QCOMPARE(q.query.recurringTodos->size(), 0);
    QCOMPARE(*q.query.result, QList<Todo*>{&q.ordinary});
}

void TestOccurrences::oneArgumentQueryHasNoRules()
{
    RepeatingTodo daily(Orvel::Daily, 1);
    Todo ordinary(nullptr);
    QList<Todo*> todos{&ordinary};
    Query query(&todos);
    query.activeFrom = wallClock(QStringLiteral("2015-01-01 00:00"));
    query.activeTo = wallClock(QStringLiteral("2015-01-31 00:00"));
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
    Field* field = new Field(nullptr);
    field->value = QStringLiteral("kitchen");
    field->db_id = QStringLiteral("db-7");
    field->contact_id = QStringLiteral("contact-9");
    field->setTodo(sample);
    field->setFieldType(&room);
    Alarm* alarm = new Alarm(nullptr);
    alarm->setTodo(sample);
    alarm->setAlarmTime(wallClock(QStringLiteral("2015-01-14 09:45")));
    alarm->is_active = true;
    alarm->snooze = 2;
    alarm->snooze_interval = 15;
    (new Orvel::Binary(nullptr))->setTodo(sample);
    IntervalQuery q({weekly.rule}, "2015-01-20 00:00", "2015-01-21 23:59");

    QVERIFY(q.query.computeRecurringTodos());

    QCOMPARE(q.query.recurringTodos->size(), 1);
    Todo* occurrence = q.query.recurringTodos->first();
    QCOMPARE(occurrence->id, INT_MIN);
    QCOMPARE(occurrence->is_sample, false);
    QCOMPARE(occurrence->time_zone, QStringLiteral("+01:00"));
    QCOMPARE(occurrence->startDate(Orvel::Stored), wallClock(QStringLiteral("2015-01-21 10:00")));
    QCOMPARE(occurrence->endDate(Orvel::Stored), wallClock(QStringLiteral("2015-01-21 11:00")));
    QCOMPARE(occurrence->startDate(Orvel::UTC), utc("2015-01-21 09:00"));
    QCOMPARE(QList<int>({occurrence->status, occurrence->is_done, occurrence->isDeleted}),
             QList<int>({4, 1, 0}));
    QCOMPARE(occurrence->format_string, sample->format_string);
    QCOMPARE(occurrence->note, sample->note);
    QCOMPARE(occurrence->recurrence, weekly.rule);
    QVERIFY(weekly.rule->todos->contains(occurrence));
    QCOMPARE(occurrence->binaries->size(), 0);

    QCOMPARE(occurrence->fields->size(), 1);
    const Field* copiedField = occurrence->fields->first();
    QVERIFY(copiedField != field);
    QCOMPARE(QStringList({copiedField->value, copiedField->db_id, copiedField->contact_id}),
             QStringList({"kitchen", "db-7", "contact-9"}));
    QCOMPARE(copiedField->fieldType, &room);
    QCOMPARE(copiedField->todo, occurrence);
    QCOMPARE(room.fields->size(), 2);

    QCOMPARE(occurrence->alarms->size(), 1);
    const Alarm* copiedAlarm = occurrence->alarms->first();
    QVERIFY(copiedAlarm != alarm);
    QCOMPARE(copiedAlarm->alarmTime(Orvel::Stored), wallClock(QStringLiteral("2015-01-21 09:45")));
    QCOMPARE(copiedAlarm->alarmTime(Orvel::UTC), utc("2015-01-21 08:45"));
    QCOMPARE(
        QList<int>({copiedAlarm->is_active, copiedAlarm->snooze, copiedAlarm->snooze_interval}),
        QList<int>({1, 2, 15}));
    QCOMPARE(copiedAlarm->todo, occurrence);
}

// The occurrences, with their fields, belong to the query; the sanitizer build shows that
// nothing leaks and nothing freed is used.
void TestOccurrences::executeFreesPreviousOccurrences()
{
    RepeatingTodo daily(Orvel::Daily, 1);
    FieldType room(nullptr);
    Field* field = new Field(nullptr);
    field->setTodo(daily.sample);
    field->setFieldType(&room);
    IntervalQuery q({daily.rule}, "2015-01-15 00:00", "2015-01-17 23:59");
    q.query.onlyRecurring = true;
    q.query.execute();
    QCOMPARE(q.query.result->size(), 3);
    QList<QPointer<Todo>> first;
    for (Todo* occurrence : std::as_const(*q.query.recurringTodos))
        first.append(occurrence);
    // A front end may put occurrences among the ordinary todos, even twice.
    q.todos << q.query.recurringTodos->at(1) << q.query.recurringTodos->at(1)
            << q.query.recurringTodos->at(0);
    QCOMPARE(room.fields->size(), 4);

    q.query.execute();

    for (const QPointer<Todo>& occurrence : std::as_const(first))
        QVERIFY(occurrence.isNull());
    QCOMPARE(q.todos, QList<Todo*>{&q.ordinary});
    QCOMPARE(q.query.result->size(), 3);
    QCOMPARE(*daily.rule->todos, *q.query.recurringTodos);
    QCOMPARE(room.fields->size(), 4);
    QCOMPARE(room.fields->first(), field);
}

// reset() deletes the occurrences like execute(): nothing else would free them afterwards.
void TestOccurrences::resetFreesOccurrences()
{
    RepeatingTodo daily(Orvel::Daily, 1);
    IntervalQuery q({daily.rule}, "2015-01-15 00:00", "2015-01-16 23:59");
    q.query.unfilteredRecurring = true;
    q.query.execute();
    QPointer<Todo> occurrence = q.query.result->first();
    q.todos.append(occurrence);

    q.query.reset();

    QVERIFY(occurrence.isNull());
    QCOMPARE(q.query.recurringTodos->size(), 0);
    QCOMPARE(q.query.result->size(), 0);
    QCOMPARE(q.todos, QList<Todo*>{&q.ordinary});
    QCOMPARE(daily.rule->todos->size(), 0);
}

QTEST_GUILESS_MAIN(TestOccurrences)
#include "tst_occurrences.moc"
