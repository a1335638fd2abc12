// Selecting, filtering, sorting and batching todos with a Query, and the occurrences of repeating
// todos it computes. The device runs in Europe/Berlin with the clock at Wednesday 14 January
// 2015, 12:00 (tst_query.cmake). Every expected date was read from a calendar (`date -d`).
#include "loghandler.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTranslator>
#include <QtTest>
#include <algorithm>
#include <climits>
#include <ctime>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

const char dateFormat[] = "yyyy-MM-dd HH:mm";

QDateTime local(const QString& text)
{
    return QDateTime::fromString(text, QLatin1String(dateFormat));
}

// Todos numbered 1 to n through their id, in the device's winter zone, owned by the list.
struct TodoList
{
    explicit TodoList(int count)
    {
        for (int id = 1; id <= count; ++id) {
            todos.append(new Todo(nullptr));
            todos.last()->id = id;
            todos.last()->setTimeZone(QStringLiteral("+01:00"));
        }
    }
    ~TodoList() { qDeleteAll(todos); }
    Todo* operator[](int id) const { return todos.at(id - 1); }
    QList<Todo*> todos;
};

QString idsOf(const QList<Todo*>& todos)
{
    QStringList ids;
    for (const Todo* todo : todos)
        ids << QString::number(todo->id);
    return ids.join(QLatin1Char(' '));
}

QStringList startsOf(const QList<Todo*>& todos)
{
    QStringList starts;
    for (const Todo* todo : todos)
        starts << todo->startDate(Stored).toString(QLatin1String(dateFormat));
    return starts;
}

// Days of occurrences at the sample's 10:00 start.
QStringList atTen(const QStringList& days)
{
    QStringList starts;
    for (const QString& day : days)
        starts << day + QLatin1String(" 10:00");
    return starts;
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

// A sample starting Wednesday 14 January 2015, 10:00 to 11:00 in its own zone (+05:00, so that
// a mix-up of readings shows), with an active rule over 2015; the test owns both.
struct RepeatingTodo
{
    RepeatingTodo(Repeats repeats, int every, const QString& pattern = QString())
    {
        sample->is_sample = true;
        sample->setTimeZone(QStringLiteral("+05:00"));
        sample->setStartDate(local(QStringLiteral("2015-01-14 10:00")));
        sample->setEndDate(local(QStringLiteral("2015-01-14 11:00")));
        rule->setSample(sample);
        rule->repeats = repeats;
        rule->repeats_every = every;
        rule->repeats_on = pattern;
        rule->is_active = true;
        rule->setRangeStart(local(QStringLiteral("2015-01-01 00:00")));
        rule->setRangeEnd(local(QStringLiteral("2015-12-31 23:59")));
    }
    ~RepeatingTodo()
    {
        delete rule;
        delete sample;
    }
    Todo* sample = new Todo(nullptr);
    Recurrence* rule = new Recurrence(nullptr);
};

// A query over one ordinary todo and the given rules, with an active interval.
struct IntervalQuery
{
    IntervalQuery(std::initializer_list<Recurrence*> ruleList, const char* from, const char* to)
        : rules(ruleList), query(&todos, &rules)
    {
        query.activeFrom = local(QLatin1String(from));
        query.activeTo = local(QLatin1String(to));
    }
    Todo ordinary{nullptr};
    QList<Todo*> todos{&ordinary};
    QList<Recurrence*> rules;
    Query query;
};

// libfaketime re-reads the file at every reading of the clock.
void setClock(const char* timestamp = "2015-01-14 12:00:00")
{
    QFile clock(QStringLiteral(ORVEL_TEST_CLOCK_FILE));
    QVERIFY(clock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    clock.write(QByteArray(timestamp) + '\n');
}

class GermanToday : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* text, const char*, int) const override
    {
        const bool today = qstrcmp(context, "Orvel::Todo") == 0 && qstrcmp(text, "Today") == 0;
        return today ? QStringLiteral("Heute") : QString();
    }
};

} // namespace

class TestQuery : public QObject
{
    Q_OBJECT

public:
    enum Change { Format, StartDate, FieldValue, FieldTypeOfValue, Day, Zone, Translator };
    Q_ENUM(Change)

private Q_SLOTS:
    void init()
    {
        setClock();
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    // Without settings a query takes every todo, newest first; the signal comes when the result and
    // its batches are complete. reset() clears every filter but keeps order and batch size.
    void defaultQueryAndReset()
    {
        TodoList list(7);
        for (int id = 1; id <= 7; ++id)
            list[id]->creation_date =
                local(QStringLiteral("2015-01-01 08:00")).toUTC().addDays((id * 3) % 7);
        Query query(&list.todos);
        QString seen;
        connect(&query, &Query::queryFinished, this, [&] {
            seen = idsOf(*query.result) + QStringLiteral(" / %1").arg(query.batchCount);
        });
        query.execute();
        QCOMPARE(seen, QStringLiteral("2 4 6 1 3 5 7 / 1"));

        FieldType type(nullptr);
        Recurrence rule(nullptr);
        query.sortOrder = -1;
        query.batchSize = 3;
        query.todoId = 99;
        query.fieldFilters->insert(&type, new QList<QString>());
        for (QDateTime* bound :
             {&query.activeFrom, &query.startDateFrom, &query.endDateFrom, &query.creationDateFrom,
              &query.lastModDateFrom, &query.activeTo, &query.startDateTo, &query.endDateTo,
              &query.creationDateTo, &query.lastModDateTo})
            *bound = local(QStringLiteral("2030-01-01 00:00"));
        query.doneFilter = query.alarmFilter = 2;
        query.recurringFilter = 1;
        query.includeRecurring = query.onlyRecurring = query.unfilteredRecurring =
            query.nextOccurrenceOnly = true;
        query.recurrence = &rule;
        OrvelTest::LogCapture log;
        query.reset();
        query.execute();
        QCOMPARE(seen, QStringLiteral("1 2 3 4 5 6 7 / 3"));
        QCOMPARE(query.recurrence, nullptr);
        QCOMPARE(log.lines().size(), 0);
    }

    void filters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("expected");
        // Todo 1: 10 Jan 09:00 - 12 Jan 18:00, created 1 Jan, modified 2 Jan, done, active alarm,
        // no rule, fields "Kitchen Table" (room) and "urgent" (priority). Todo 2: 14 Jan 09:00 -
        // 10:00, created 5 Jan, modified 6 Jan, rule 5, field "garden" (room). Todo 3: 20 Jan 00:00
        // - 25 Jan 23:59, created 9 Jan, modified 10 Jan, done, recurrence_id -2, field "kitchen"
        // (priority).
        const auto row = [](const char* name, const char* filter, const char* from, const char* to,
                            const char* expected) {
            QTest::newRow(name) << filter << QString::fromLatin1(from) << QString::fromLatin1(to)
                                << expected;
        };
        row("active: spans touching both bounds overlap", "active", "2015-01-12 18:00",
            "2015-01-20 00:00", "1 2 3");
        row("active: a minute inside both bounds", "active", "2015-01-12 18:01", "2015-01-19 23:59",
            "2");
        row("active: only from", "active", "2015-01-30 00:00", "", "1 2 3");
        row("start: a minute after", "start", "2015-01-14 09:01", "2015-01-20 00:00", "3");
        row("end: a minute before", "end", "2015-01-12 18:00", "2015-01-14 09:59", "1");
        row("creation: both bounds inclusive", "creation", "2015-01-05 08:00", "2015-01-09 08:00",
            "2 3");
        row("modification: a minute after", "modification", "2015-01-02 08:01", "2015-01-06 08:00",
            "2");
        row("not done", "done", "0", "", "2");
        row("done 2 rejects everything", "done", "2", "", "");
        row("with active alarm", "alarm", "1", "", "1");
        row("not recurring", "recurring", "0", "", "1 3");
        row("recurring, -2 never rejected", "recurring", "1", "", "2 3");
        row("id, other filters ignored", "id", "2", "", "2");
        row("capitals match lower case inside a value", "room", "TABL", "", "1");
        row("any text of the list", "room", "xyz", "GARD", "2");
        row("an empty list of texts fails every todo", "room", "", "", "");
        row("an empty text matches every value of the type", "room", "", "-", "1 2");
        row("every type must match", "room+priority", "garden", "urgent", "");
    }

    void filters()
    {
        QFETCH(QString, filter);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, expected);
        TodoList list(3);
        const char* dates[3][4] = {
            {"2015-01-10 09:00", "2015-01-12 18:00", "2015-01-01 08:00", "2015-01-02 08:00"},
            {"2015-01-14 09:00", "2015-01-14 10:00", "2015-01-05 08:00", "2015-01-06 08:00"},
            {"2015-01-20 00:00", "2015-01-25 23:59", "2015-01-09 08:00", "2015-01-10 08:00"}};
        FieldType room(nullptr);
        room.id = 10;
        FieldType priority(nullptr);
        priority.id = 20;
        const auto addField = [](Todo* todo, FieldType* type, const char* value) {
            auto* field = new Field(nullptr);
            field->setTodo(todo);
            field->setFieldType(type);
            field->value = QLatin1String(value);
        };
        addField(list[1], &room, "Kitchen Table");
        addField(list[1], &priority, "urgent");
        addField(list[2], &room, "garden");
        addField(list[3], &priority, "kitchen");
        for (bool active : {false, true}) {
            auto* alarm = new Alarm(nullptr);
            alarm->setTodo(list[1]);
            alarm->is_active = active;
        }
        for (int id = 1; id <= 3; ++id) {
            list[id]->setStartDate(local(QLatin1String(dates[id - 1][0])));
            list[id]->setEndDate(local(QLatin1String(dates[id - 1][1])));
            list[id]->creation_date = local(QLatin1String(dates[id - 1][2])).toUTC();
            list[id]->lastModDate = local(QLatin1String(dates[id - 1][3])).toUTC();
        }
        list[1]->is_done = list[3]->is_done = true;
        list[2]->recurrence_id = 5;
        list[3]->recurrence_id = -2;
        Query query(&list.todos);
        query.sortOrder = -1;
        query.doneFilter = 1;
        query.includeRecurring = true; // occurrences are not computed without an active interval
        const QStringList bounds =
            QStringList{"active", "start", "end", "creation", "modification"};
        QDateTime* ranges[][2] = {{&query.activeFrom, &query.activeTo},
                                  {&query.startDateFrom, &query.startDateTo},
                                  {&query.endDateFrom, &query.endDateTo},
                                  {&query.creationDateFrom, &query.creationDateTo},
                                  {&query.lastModDateFrom, &query.lastModDateTo}};
        if (bounds.contains(filter)) {
            query.doneFilter = -1;
            *ranges[bounds.indexOf(filter)][0] = local(from);
            *ranges[bounds.indexOf(filter)][1] = local(to);
        } else if (filter == QLatin1String("done")) {
            query.doneFilter = from.toInt();
        } else if (filter == QLatin1String("alarm") || filter == QLatin1String("recurring")) {
            query.doneFilter = -1;
            (filter == QLatin1String("alarm") ? query.alarmFilter : query.recurringFilter) =
                from.toInt();
        } else if (filter == QLatin1String("id")) {
            query.todoId = from.toInt();
        } else {
            query.doneFilter = -1;
            QStringList texts;
            if (!from.isEmpty())
                texts << from;
            if (!to.isEmpty())
                texts << (to == QLatin1String("-") ? QString() : to);
            const bool both = filter.contains(QLatin1Char('+'));
            query.fieldFilters->insert(&room, new QList<QString>(both ? QStringList{from} : texts));
            if (both)
                query.fieldFilters->insert(&priority, new QList<QString>{to});
        }
        query.execute();
        QCOMPARE(idsOf(*query.result), expected);
    }

    void sorting_data()
    {
        QTest::addColumn<int>("sortOrder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("creation date descending") << int(Query::CreationDateDesc) << "4 1 3 2";
        QTest::newRow("creation date ascending") << int(Query::CreationDateAsc) << "2 3 1 4";
        QTest::newRow("start date descending, undated last")
            << int(Query::StartDateDesc) << "1 4 3 2";
        QTest::newRow("start date ascending, undated first")
            << int(Query::StartDateAsc) << "2 3 4 1";
        QTest::newRow("alphabetically descending") << int(Query::AlphabeticallyDesc) << "2 4 1 3";
        QTest::newRow("alphabetically ascending, by code unit")
            << int(Query::AlphabeticallyAsc) << "3 1 4 2";
        QTest::newRow("unknown order keeps the list order") << 6 << "1 2 3 4";
    }

    void sorting()
    {
        QFETCH(int, sortOrder);
        QFETCH(QString, expected);
        TodoList list(4);
        const char* formats[] = {"apple", "cherry", "Banana", "banana"};
        const char* created[] = {"2015-01-03 08:00", "2015-01-01 08:00", "2015-01-02 08:00",
                                 "2015-01-04 08:00"};
        const char* starts[] = {"2015-01-20 09:00", nullptr, "2015-01-10 09:00",
                                "2015-01-15 09:00"};
        for (int id = 1; id <= 4; ++id) {
            list[id]->format_string = QLatin1String(formats[id - 1]);
            list[id]->creation_date = local(QLatin1String(created[id - 1])).toUTC();
            list[id]->start_date =
                starts[id - 1] ? local(QLatin1String(starts[id - 1])).toUTC() : QDateTime();
        }
        Query query(&list.todos);
        query.sortOrder = sortOrder;
        query.execute();
        QCOMPARE(idsOf(*query.result), expected);
        if (sortOrder > Query::AlphabeticallyAsc)
            return;
        // The comparator of the order sorts the same way and is strict: no todo precedes itself.
        using Comparator = bool (*)(const Todo*, const Todo*);
        const Comparator comparators[] = {CreationDateDescLessThan,   CreationDateAscLessThan,
                                          StartDateDescLessThan,      StartDateAscLessThan,
                                          AlphabeticallyDescLessThan, AlphabeticallyAscLessThan};
        QList<Todo*> sorted = list.todos;
        std::sort(sorted.begin(), sorted.end(), comparators[sortOrder]);
        QCOMPARE(idsOf(sorted), expected);
        for (const Todo* todo : std::as_const(list.todos))
            QVERIFY(!comparators[sortOrder](todo, todo));

        // The alphabetical key is the expansion of the format string, here a readable date.
        for (int id = 1; id <= 3; ++id) {
            const QDate day = QDate(2015, 1, 12 + id); // yesterday, today, tomorrow
            list[id]->format_string = QStringLiteral("%-1%");
            list[id]->setStartDate(QDateTime(day, QTime(0, 0)));
            list[id]->setEndDate(QDateTime(day, QTime(23, 59)));
        }
        delete list.todos.takeLast();
        query.sortOrder = Query::AlphabeticallyAsc;
        query.execute();
        QCOMPARE(idsOf(*query.result), QStringLiteral("2 3 1")); // Today, Tomorrow, Yesterday
    }

    void batching_data()
    {
        QTest::addColumn<int>("resultSize");
        QTest::addColumn<int>("batchSize");
        QTest::addColumn<int>("batchCount");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::newRow("10 by 5, second") << 10 << 5 << 3 << 1 << "6 7 8 9 10";
        QTest::newRow("10 by 5, last is empty") << 10 << 5 << 3 << 2 << "";
        QTest::newRow("10 by 5, batch batchCount") << 10 << 5 << 3 << 3 << "";
        QTest::newRow("10 by 3, short last") << 10 << 3 << 4 << 3 << "10";
        QTest::newRow("negative size is one batch") << 5 << -3 << 1 << 0 << "1 2 3 4 5";
    }

    void batching()
    {
        QFETCH(int, resultSize);
        QFETCH(int, batchSize);
        QFETCH(int, batchCount);
        QFETCH(int, index);
        QFETCH(QString, expected);
        TodoList list(resultSize);
        Query query(&list.todos);
        query.sortOrder = -1;
        query.batchSize = batchSize;
        query.execute();
        QCOMPARE(query.batchCount, batchCount);
        QCOMPARE(idsOf(query.batch(index)), expected);
    }

    void batchBeyondIntIsEmpty()
    {
        TodoList list(3);
        Query query(&list.todos);
        query.sortOrder = -1;
        query.batchSize = INT_MAX;
        query.execute();
        // A batch count set by hand names batches that start past INT_MAX.
        query.batchCount = 4;
        QCOMPARE(idsOf(query.batch(0)), QStringLiteral("1 2 3"));
        QCOMPARE(idsOf(query.batch(3)), QString());
    }

    void nextOccurance_data()
    {
        QTest::addColumn<int>("repeats");
        QTest::addColumn<int>("every");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("expected"); // empty: no next occurrence
        const auto row = [](const char* name, int repeats, int every, const QString& pattern,
                            const char* from, const char* expected) {
            QTest::newRow(name) << repeats << every << pattern << from << expected;
        };
        const int daily = Daily, weekly = Weekly, monthly = Monthly, yearly = Yearly;
        const QString none;
        row("daily every 0 is the next day", daily, 0, none, "2015-01-14", "2015-01-15");
        row("daily every 3", daily, 3, none, "2015-01-14", "2015-01-17");
        row("weekly Mon+Wed every 2 from Wed", weekly, 2, weekdays({1, 3}), "2015-01-07",
            "2015-01-19");
        row("weekly start's weekday every 2", weekly, 2, weekdays({3}), "2015-01-07", "2015-01-21");
        row("weekly every 3, not within the week", weekly, 3, weekdays({5}), "2015-01-07",
            "2015-01-09");
        row("weekly Monday every 2 from Sunday", weekly, 2, weekdays({1}), "2015-01-11",
            "2015-01-19");
        row("by day 1 every 3 from 15 Jan", monthly, 3, daysOfMonth({1}), "2015-01-15",
            "2015-04-01");
        row("by day 1 from 29 Feb: misses 1 Mar", monthly, 1, daysOfMonth({1}), "2016-02-29",
            "2016-04-01");
        row("by day 4 every 2 from 31 Jan", monthly, 2, daysOfMonth({4}), "2015-01-31",
            "2015-03-04");
        row("by days 15 and 20 from 15th", monthly, 1, daysOfMonth({15, 20}), "2015-01-15",
            "2015-01-20");
        row("week 2 Tuesday from 13 Jan", monthly, 1, weekOfMonth(2, {2}), "2015-01-13",
            "2015-02-10");
        row("week 3 Wednesday every 2", monthly, 2, weekOfMonth(3, {3}), "2015-01-21",
            "2015-03-18");
        row("week 2 and last day, no weekday", monthly, 1, QStringLiteral("10100010000000"),
            "2015-01-13", "2015-02-14");
        row("last week Friday from 19 Jan", monthly, 1, weekOfMonth(5, {5}), "2015-01-19",
            "2015-01-23");
        row("last week Monday, leap Feb", monthly, 1, weekOfMonth(5, {1}), "2016-01-25",
            "2016-02-29");
        row("last day from 15 Jan", monthly, 1, weekOfMonth(6, {}), "2015-01-15", "2015-02-28");
        row("last day every 2, year end", monthly, 2, weekOfMonth(6, {}), "2015-12-15",
            "2016-02-29");
        row("yearly from the leap day", yearly, 1, none, "2016-02-29", "2017-02-28");
        row("yearly every 4 from the leap day", yearly, 4, none, "2016-02-29", "2020-02-29");
        row("no repeat", NoRepeat, 1, none, "2015-01-14", "");
        row("weekly without a chosen day", weekly, 1, QStringLiteral("0000000"), "2015-01-14", "");
        row("daily from an invalid date", daily, 1, none, "", "");
        // Occurrences lie within the years 1 to 9999 (3652058 days apart, by Python's calendar);
        // steps that would leave them, however large the interval, give none.
        row("daily up to the last day of year 9999", daily, 3652058, none, "0001-01-01",
            "9999-12-31");
        row("daily past year 9999", daily, 1, none, "9999-12-31", "");
        row("weekly every 406674835 over a Monday", weekly, 406674835, weekdays({1}), "2015-01-14",
            "");
        row("by day every INT_MAX months", monthly, INT_MAX, daysOfMonth({1}), "2015-01-15", "");
        row("yearly every INT_MAX years", yearly, INT_MAX, none, "2015-01-14", "");
    }

    void nextOccurance()
    {
        QFETCH(int, repeats);
        QFETCH(int, every);
        QFETCH(QString, pattern);
        QFETCH(QString, from);
        QFETCH(QString, expected);
        Recurrence rule(nullptr);
        rule.repeats = static_cast<Repeats>(repeats);
        rule.repeats_every = every;
        rule.repeats_on = pattern;
        QList<Todo*> todos;
        Query query(&todos);
        OrvelTest::LogCapture log;
        // Every step starts at 09:15 and keeps the time.
        const QDateTime next = query.nextOccurance(&rule, local(from + QLatin1String(" 09:15")));
        QCOMPARE(next,
                 expected.isEmpty() ? QDateTime() : local(expected + QLatin1String(" 09:15")));
        QCOMPARE(log.lines().size(), 0);
    }

    void walkOverInterval_data()
    {
        QTest::addColumn<int>("repeats");
        QTest::addColumn<int>("every");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>(
            "interval"); // active from|to|range start|range end|instancing date (UTC)
        QTest::addColumn<QStringList>("expected");
        const QString none;
        const auto row = [](const char* name, int repeats, int every, const QString& pattern,
                            const char* interval, const QStringList& days) {
            QTest::newRow(name) << repeats << every << pattern
                                << QString::fromLatin1(interval) +
                                       QLatin1String("|2010-06-01 00:00")
                                << atTen(days);
        };
        row("daily with occurrences on both active bounds", Daily, 1, none,
            "2015-01-16 10:00|2015-01-19 10:00|2015-01-01 00:00|2015-12-31 23:59",
            {"2015-01-16", "2015-01-17", "2015-01-18", "2015-01-19"});
        row("weekly Mon+Fri every 2", Weekly, 2, weekdays({1, 5}),
            "2015-01-01 00:00|2015-02-13 10:00|2015-01-01 00:00|2015-12-31 23:59",
            {"2015-01-16", "2015-01-26", "2015-01-30", "2015-02-09", "2015-02-13"});
        row("monthly by day 20 every 2 over the summer time change", Monthly, 2, daysOfMonth({20}),
            "2015-01-01 00:00|2015-05-31 00:00|2015-01-01 00:00|2015-12-31 23:59",
            {"2015-01-20", "2015-03-20", "2015-05-20"});
        row("monthly last day starts in the next month", Monthly, 1, weekOfMonth(6, {}),
            "2015-01-01 00:00|2015-04-30 10:00|2015-01-01 00:00|2015-12-31 23:59",
            {"2015-02-28", "2015-03-31", "2015-04-30"});
        row("daily clipped by the range, both ends inclusive", Daily, 1, none,
            "2015-01-01 00:00|2015-01-31 00:00|2015-01-17 10:00|2015-01-19 10:00",
            {"2015-01-17", "2015-01-18", "2015-01-19"});
        row("yearly has no occurrence within the sample's own year", Yearly, 1, none,
            "2015-01-01 00:00|2015-12-31 23:59|2015-01-01 00:00|2017-12-31 00:00", {});
        // Occurrences start at the instancing date (UTC), inclusive.
        QTest::newRow("daily clipped by the instancing date")
            << int(Daily) << 1 << none
            << "2015-01-01 00:00|2015-01-19 10:00|2015-01-01 00:00|2015-12-31 23:59|2015-01-17 09:00"
            << atTen({"2015-01-17", "2015-01-18", "2015-01-19"});
        QTest::newRow("daily clipped a minute after an instancing date")
            << int(Daily) << 1 << none
            << "2015-01-01 00:00|2015-01-19 10:00|2015-01-01 00:00|2015-12-31 23:59|2015-01-17 09:01"
            << atTen({"2015-01-18", "2015-01-19"});
    }

    void walkOverInterval()
    {
        QFETCH(int, repeats);
        QFETCH(int, every);
        QFETCH(QString, pattern);
        QFETCH(QString, interval);
        QFETCH(QStringList, expected);
        const QStringList bounds = interval.split(QLatin1Char('|'));
        RepeatingTodo repeating(static_cast<Repeats>(repeats), every, pattern);
        repeating.rule->setRangeStart(local(bounds.at(2)));
        repeating.rule->setRangeEnd(local(bounds.at(3)));
        repeating.rule->instancing_date =
            QDateTime(local(bounds.at(4)).date(), local(bounds.at(4)).time(), Qt::UTC);
        QList<Todo*> todos;
        QList<Recurrence*> rules{repeating.rule};
        Query query(&todos, &rules);
        query.activeFrom = local(bounds.at(0));
        query.activeTo = local(bounds.at(1));
        QVERIFY(query.computeRecurringTodos());
        QCOMPARE(startsOf(*query.recurringTodos), expected);
    }

    // Among rules that produce nothing are some whose next occurrence is invalid; they would be
    // walked for ever, since an invalid date-time compares earlier than every bound.
    void rulesThatProduceNothing()
    {
        RepeatingTodo inactive(Daily, 1);
        inactive.rule->is_active = false;
        RepeatingTodo notRepeating(NoRepeat, 1);
        RepeatingTodo withoutSample(Daily, 1);
        withoutSample.rule->setSample(nullptr);
        RepeatingTodo unvalidated(Weekly, 1, QStringLiteral("0000000"));
        RepeatingTodo undated(Daily, 1);
        undated.sample->start_date = QDateTime();
        RepeatingTodo producing(Daily, 1);
        RepeatingTodo everyOtherDay(Daily, 2);
        IntervalQuery q({inactive.rule, notRepeating.rule, withoutSample.rule, unvalidated.rule,
                         undated.rule, producing.rule, everyOtherDay.rule},
                        "2015-01-15 00:00", "2015-01-16 23:59");
        q.query.unfilteredRecurring = true;
        q.query.execute();
        QCOMPARE(startsOf(*q.query.result), atTen({"2015-01-15", "2015-01-16", "2015-01-16"}));
        QCOMPARE(inactive.rule->todos->size(), 0);

        q.query.recurrence = everyOtherDay.rule; // only the queried rule
        q.query.execute();
        QCOMPARE(startsOf(*q.query.result), atTen({"2015-01-16"}));

        // Without an interval nothing is computed, with a warning each time.
        q.query.reset();
        q.query.activeFrom = local(QStringLiteral("2015-01-15 00:00"));
        q.query.includeRecurring = true;
        OrvelTest::LogCapture log;
        QVERIFY(!q.query.computeRecurringTodos());
        q.query.execute();
        const QString warning = QStringLiteral(
            "WARNING Can't query recurring todos, set the active query interval first!");
        QCOMPARE(log.messages(), (QStringList{warning, warning}));
        QCOMPARE(*q.query.result, QList<Todo*>{&q.ordinary});

        // A query built on todos alone has no rules.
        Query todosOnly(&q.todos);
        todosOnly.activeFrom = local(QStringLiteral("2015-01-01 00:00"));
        todosOnly.activeTo = local(QStringLiteral("2015-01-31 00:00"));
        todosOnly.unfilteredRecurring = true;
        todosOnly.execute();
        QCOMPARE(todosOnly.result->size(), 0);
    }

    void nextOccurrenceOnly()
    {
        RepeatingTodo weekly(Weekly, 1, weekdays({5}));
        RepeatingTodo daily(Daily, 1);
        daily.rule->setRangeStart(local(QStringLiteral("2015-03-01 00:00")));
        RepeatingTodo endedRange(Daily, 1);
        endedRange.rule->setRangeEnd(local(QStringLiteral("2015-01-15 09:59")));
        RepeatingTodo lastDayInRange(Daily, 1);
        lastDayInRange.rule->setRangeEnd(local(QStringLiteral("2015-01-15 10:00")));
        // Far from every occurrence: only its validity counts.
        IntervalQuery q({weekly.rule, daily.rule, endedRange.rule, lastDayInRange.rule},
                        "2030-01-01 00:00", "2030-01-02 00:00");
        q.query.nextOccurrenceOnly = true;
        q.query.unfilteredRecurring = true;
        q.query.execute();
        QCOMPARE(startsOf(*q.query.result), atTen({"2015-01-16", "2015-01-15", "2015-01-15"}));
        QCOMPARE(q.query.result->at(2)->recurrence, lastDayInRange.rule);
    }

    // The copying of fields, alarms and zones is checked on instances in tst_pool; here what an
    // occurrence alone shows: no key of its own, the flags of the sample and of its alarm.
    void occurrenceCopiesSample()
    {
        RepeatingTodo weekly(Weekly, 1, weekdays({3}));
        weekly.sample->is_done = true;
        auto* alarm = new Alarm(nullptr);
        alarm->setTodo(weekly.sample);
        alarm->is_active = true;
        IntervalQuery q({weekly.rule}, "2015-01-20 00:00", "2015-01-21 23:59");
        QVERIFY(q.query.computeRecurringTodos());

        QCOMPARE(q.query.recurringTodos->size(), 1);
        const Todo* occurrence = q.query.recurringTodos->first();
        QCOMPARE(QList<int>({occurrence->id, occurrence->is_sample, occurrence->is_done}),
                 QList<int>({INT_MIN, 0, 1}));
        QCOMPARE(occurrence->startDate(Stored), local(QStringLiteral("2015-01-21 10:00")));
        QCOMPARE(occurrence->recurrence, weekly.rule);
        QCOMPARE(occurrence->alarms->size(), 1);
        QVERIFY(occurrence->alarms->first() != alarm);
        QCOMPARE(occurrence->alarms->first()->is_active, true);
    }

    // The occurrences, with their fields, belong to the query; the sanitizer build shows that
    // nothing leaks and nothing freed is used.
    void occurrencesBelongToTheQuery()
    {
        RepeatingTodo daily(Daily, 1);
        FieldType room(nullptr);
        auto* field = new Field(nullptr);
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
        QCOMPARE(*daily.rule->todos, *q.query.recurringTodos);
        QCOMPARE(room.fields->size(), 4);
        QCOMPARE(room.fields->first(), field);

        // reset() deletes them like execute(): nothing else would free them afterwards.
        QPointer<Todo> occurrence = q.query.result->first();
        q.todos.append(occurrence);
        q.query.reset();
        QVERIFY(occurrence.isNull());
        QCOMPARE(q.query.recurringTodos->size(), 0);
        QCOMPARE(q.todos, QList<Todo*>{&q.ordinary});
        QCOMPARE(daily.rule->todos->size(), 0);
    }

    // A query keeps its alphabetical keys between runs. Todo "a" expands a placeholder, todo "b"
    // has a fixed text; every change of what a's key is computed from moves it to the other side
    // of b's, which a stale key would not.
    void keptKeysFollowEveryChange_data()
    {
        QTest::addColumn<QString>("formatOfA");
        QTest::addColumn<QString>("formatOfB");
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("before");
        const auto row = [](const char* name, const char* a, const char* b, Change change) {
            // "Heute" sorts before "I", "Today" after it; otherwise a sorts first until the change.
            const bool aFirst = change != Translator;
            QTest::newRow(name) << QString::fromUtf8(a) << QString::fromUtf8(b) << change
                                << QString::fromLatin1(aFirst ? "ab" : "ba");
        };
        // a reads "Today" (the whole of Wednesday 14 January 2015 in +01:00) or its field value.
        row("format string written directly", "%-1%", "U", Format);
        row("start a day earlier", "%-1%", "U", StartDate);
        row("field value", "%7%", "m", FieldValue);
        row("value to another type: \" apple\" to \"apple \"", "%8% %7%", "!", FieldTypeOfValue);
        row("next day: Yesterday", "%-1%", "U", Day);
        row("zone where it is Thursday", "%-1%", "U", Zone);
        row("translator: Heute", "%-1%", "I", Translator);
    }

    void keptKeysFollowEveryChange()
    {
        QFETCH(Change, change);
        FieldType seven(nullptr), eight(nullptr);
        seven.id = 7;
        eight.id = 8;
        QList<Todo*> todos{new Todo(nullptr), new Todo(nullptr)};
        for (Todo* todo : todos) {
            todo->note = todos.indexOf(todo) == 0 ? QStringLiteral("a") : QStringLiteral("b");
            todo->time_zone = QStringLiteral("+01:00");
            todo->start_date = QDateTime(QDate(2015, 1, 13), QTime(23, 0), Qt::UTC);
            todo->end_date = QDateTime(QDate(2015, 1, 14), QTime(22, 59), Qt::UTC);
        }
        QFETCH(QString, formatOfA);
        QFETCH(QString, formatOfB);
        todos.at(0)->format_string = formatOfA;
        todos.at(1)->format_string = formatOfB;
        auto* field = new Field(nullptr);
        field->setTodo(todos.at(0));
        field->setFieldType(&seven);
        field->value = QStringLiteral("apple");
        Query query(&todos);
        query.sortOrder = Query::AlphabeticallyAsc;
        const auto sortedNotes = [&query] {
            query.execute();
            QString notes;
            for (const Todo* todo : std::as_const(*query.result))
                notes += todo->note;
            return notes;
        };
        GermanToday german;

        QTEST(sortedNotes(), "before");
        QTEST(sortedNotes(), "before");
        switch (change) {
        case Format:
            todos.at(0)->format_string = QStringLiteral("V %-1%");
            break;
        case StartDate:
            todos.at(0)->setStartDate(QDateTime(QDate(2015, 1, 12), QTime(23, 0), Qt::UTC));
            break;
        case FieldValue:
            field->setValue(QStringLiteral("zebra"));
            break;
        case FieldTypeOfValue:
            field->setFieldType(&eight);
            break;
        case Day:
            setClock("2015-01-15 12:00:00");
            break;
        case Zone:
            qputenv("TZ", "Pacific/Kiritimati");
            tzset();
            break;
        case Translator:
            QVERIFY(QCoreApplication::installTranslator(&german));
            break;
        }
        QFETCH(QString, before);
        std::reverse(before.begin(), before.end());
        QCOMPARE(sortedNotes(), before);
        QCoreApplication::removeTranslator(&german);
        qDeleteAll(todos);
    }
};

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
