// Selecting, filtering, sorting and batching todos with a Query.
//
// The device runs in Europe/Berlin with the clock fixed at Wednesday 14 January 2015, 12:00
// (tst_query.cmake); the todos live in the device's winter zone, so their readable dates carry
// no zone suffix.

#include "loghandler.h"

#include <QtTest>
#include <algorithm>
#include <climits>
#include <orvel/alarm.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using Orvel::Alarm;
using Orvel::Field;
using Orvel::FieldType;
using Orvel::Query;
using Orvel::Todo;

namespace {

QDateTime local(const char* text)
{
    return QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm"));
}

// Todos numbered 1 to n through their id, owned by the list.
class TodoList
{
public:
    explicit TodoList(int count)
    {
        for (int id = 1; id <= count; ++id) {
            Todo* todo = new Todo(nullptr);
            todo->id = id;
            todo->setTimeZone(QStringLiteral("+01:00"));
            todos.append(todo);
        }
    }
    ~TodoList() { qDeleteAll(todos); }
    TodoList(const TodoList&) = delete;
    TodoList& operator=(const TodoList&) = delete;

    Todo* operator[](int id) const { return todos.at(id - 1); }

    QList<Todo*> todos;
};

QList<int> idsOf(const QList<Todo*>& todos)
{
    QList<int> ids;
    for (const Todo* todo : todos)
        ids.append(todo->id);
    return ids;
}

void setDates(Todo* todo, const char* start, const char* end, const char* created,
              const char* lastModified)
{
    todo->setStartDate(local(start));
    todo->setEndDate(local(end));
    todo->creation_date = local(created).toUTC();
    todo->lastModDate = local(lastModified).toUTC();
}

Field* addField(Todo* todo, FieldType* type, const char* value)
{
    Field* field = new Field(nullptr);
    field->setTodo(todo);
    field->setFieldType(type);
    field->value = QLatin1String(value);
    return field;
}

enum DateRange { Active, Start, End, Creation, LastModification };

using Comparator = bool (*)(const Todo*, const Todo*);
const Comparator comparatorOfSortOrder[] = {
    Orvel::CreationDateDescLessThan,   Orvel::CreationDateAscLessThan,
    Orvel::StartDateDescLessThan,      Orvel::StartDateAscLessThan,
    Orvel::AlphabeticallyDescLessThan, Orvel::AlphabeticallyAscLessThan};

} // namespace

class TestQuery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultQueryFinishesAfterResult();
    void resetClearsFiltersOnly();
    void selectById_data();
    void selectById();
    void dateRanges_data();
    void dateRanges();
    void flags_data();
    void flags();
    void fieldFilters_data();
    void fieldFilters();
    void sorting_data();
    void sorting();
    void alphabeticalKeyIsExpandedFormatString();
    void batching_data();
    void batching();
    void batchBeyondIntIsEmpty();
};

// Without settings a query takes every todo, newest first; the signal comes when the result and
// its batches are complete.
void TestQuery::defaultQueryFinishesAfterResult()
{
    TodoList list(7);
    for (int id = 1; id <= 7; ++id)
        list[id]->creation_date = local("2015-01-01 08:00").toUTC().addDays((id * 3) % 7);
    Query query(&list.todos);
    QList<int> seenResult;
    int seenBatchCount = -1;
    connect(
        &query, &Query::queryFinished, this,
        [&] {
            seenResult = idsOf(*query.result);
            seenBatchCount = query.batchCount;
        },
        Qt::DirectConnection);

    query.execute();
    QCOMPARE(seenResult, (QList<int>{2, 4, 6, 1, 3, 5, 7}));
    QCOMPARE(seenBatchCount, 1);

    query.batchSize = 3;
    query.execute();
    QCOMPARE(seenBatchCount, 3);
}

void TestQuery::resetClearsFiltersOnly()
{
    TodoList list(12);
    for (Todo* todo : std::as_const(list.todos))
        setDates(todo, "2015-01-10 09:00", "2015-01-12 18:00", "2015-01-01 08:00",
                 "2015-01-02 08:00");
    FieldType type(nullptr);
    Orvel::Recurrence rule(nullptr);
    Query query(&list.todos);
    query.sortOrder = -1;
    query.batchSize = 5;
    // Every filter on its own would reject every todo.
    query.todoId = 99;
    query.fieldFilters->insert(&type, new QList<QString>());
    for (QDateTime* from : {&query.activeFrom, &query.startDateFrom, &query.endDateFrom,
                            &query.creationDateFrom, &query.lastModDateFrom})
        *from = local("2030-01-01 00:00");
    for (QDateTime* to : {&query.activeTo, &query.startDateTo, &query.endDateTo,
                          &query.creationDateTo, &query.lastModDateTo})
        *to = local("2030-02-01 00:00");
    query.doneFilter = query.alarmFilter = 2;
    query.recurringFilter = 1;
    query.includeRecurring = query.onlyRecurring = true;
    query.unfilteredRecurring = query.nextOccurrenceOnly = true;
    query.recurrence = &rule;
    OrvelTest::LogCapture log;

    query.reset();
    query.execute();

    QCOMPARE(idsOf(*query.result), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    QCOMPARE(query.batchCount, 3);
    QCOMPARE(query.unfilteredRecurring, false);
    QCOMPARE(query.nextOccurrenceOnly, false);
    QCOMPARE(query.recurrence, nullptr);
    QCOMPARE(log.lines(), QList<QByteArray>());
}

void TestQuery::selectById_data()
{
    QTest::addColumn<int>("todoId");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("matching id, other filters ignored") << 2 << QList<int>{2};
    QTest::newRow("first of two todos with the same id") << 3 << QList<int>{3};
    QTest::newRow("no todo with the id") << 9 << QList<int>{};
}

void TestQuery::selectById()
{
    QFETCH(int, todoId);
    QFETCH(QList<int>, expected);

    TodoList list(4);
    list[4]->id = 3;
    Query query(&list.todos);
    query.todoId = todoId;
    query.doneFilter = 2;
    query.startDateFrom = local("2030-01-01 00:00");
    query.startDateTo = local("2030-01-02 00:00");
    // Occurrences are not computed: the missing interval would otherwise be reported.
    query.includeRecurring = true;
    OrvelTest::LogCapture log;

    query.execute();

    QCOMPARE(idsOf(*query.result), expected);
    if (!expected.isEmpty())
        QVERIFY(query.result->first() == list[expected.first()]);
    QCOMPARE(log.lines(), QList<QByteArray>());
}

void TestQuery::dateRanges_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<QList<int>>("expected");

    const QList<int> all{1, 2, 3};
    const QDateTime none;
    const auto jan = [](const char* dayAndTime) {
        return local(QByteArray("2015-01-" + QByteArray(dayAndTime)).constData());
    };
    const auto row = [](const char* name, DateRange range, const QDateTime& from,
                        const QDateTime& to, const QList<int>& expected) {
        QTest::newRow(name) << int(range) << from << to << expected;
    };
    row("active: spans touching both bounds overlap", Active, jan("12 18:00"), jan("20 00:00"),
        all);
    row("active: a minute inside both bounds", Active, jan("12 18:01"), jan("19 23:59"), {2});
    row("active: started before, ends inside", Active, jan("11 00:00"), jan("13 00:00"), {1});
    row("active: interval inside the span", Active, jan("21 00:00"), jan("22 00:00"), {3});
    row("active: only from", Active, jan("30 00:00"), none, all);
    row("active: invalid bound", Active, QDateTime(QDate(2015, 13, 1), QTime(0, 0)),
        jan("01 00:00"), all);
    row("start: both bounds inclusive", Start, jan("14 09:00"), jan("20 00:00"), {2, 3});
    row("start: a minute after", Start, jan("14 09:01"), jan("20 00:00"), {3});
    row("start: only from", Start, jan("30 00:00"), none, all);
    row("end: both bounds inclusive", End, jan("12 18:00"), jan("14 10:00"), {1, 2});
    row("end: a minute before", End, jan("12 18:00"), jan("14 09:59"), {1});
    row("end: only to", End, none, jan("01 00:00"), all);
    row("creation: both bounds inclusive", Creation, jan("05 08:00"), jan("09 08:00"), {2, 3});
    row("creation: only from", Creation, jan("30 00:00"), none, all);
    row("last modification: both bounds inclusive", LastModification, jan("02 08:00"),
        jan("06 08:00"), {1, 2});
    row("last modification: a minute after", LastModification, jan("02 08:01"), jan("06 08:00"),
        {2});
    row("last modification: only to", LastModification, none, jan("01 00:00"), all);
    row("no range", Active, none, none, all);
}

void TestQuery::dateRanges()
{
    QFETCH(int, range);
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(QList<int>, expected);

    TodoList list(3);
    setDates(list[1], "2015-01-10 09:00", "2015-01-12 18:00", "2015-01-01 08:00",
             "2015-01-02 08:00");
    setDates(list[2], "2015-01-14 09:00", "2015-01-14 10:00", "2015-01-05 08:00",
             "2015-01-06 08:00");
    setDates(list[3], "2015-01-20 00:00", "2015-01-25 23:59", "2015-01-09 08:00",
             "2015-01-10 08:00");
    Query query(&list.todos);
    query.sortOrder = Query::CreationDateAsc;
    QDateTime* bounds[][2] = {{&query.activeFrom, &query.activeTo},
                              {&query.startDateFrom, &query.startDateTo},
                              {&query.endDateFrom, &query.endDateTo},
                              {&query.creationDateFrom, &query.creationDateTo},
                              {&query.lastModDateFrom, &query.lastModDateTo}};
    *bounds[range][0] = from;
    *bounds[range][1] = to;

    query.execute();

    QCOMPARE(idsOf(*query.result), expected);
}

void TestQuery::flags_data()
{
    QTest::addColumn<int>("doneFilter");
    QTest::addColumn<int>("alarmFilter");
    QTest::addColumn<int>("recurringFilter");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("no filter") << -1 << -1 << -1 << QList<int>{1, 2, 3, 4};
    QTest::newRow("not done") << 0 << -1 << -1 << QList<int>{2, 3};
    QTest::newRow("done") << 1 << -1 << -1 << QList<int>{1, 4};
    QTest::newRow("done 2 rejects everything") << 2 << -1 << -1 << QList<int>{};
    QTest::newRow("without active alarm") << -1 << 0 << -1 << QList<int>{2, 3, 4};
    QTest::newRow("with active alarm") << -1 << 1 << -1 << QList<int>{1};
    QTest::newRow("alarm 2 rejects everything") << -1 << 2 << -1 << QList<int>{};
    QTest::newRow("not recurring") << -1 << -1 << 0 << QList<int>{1, 4};
    QTest::newRow("recurring") << -1 << -1 << 1 << QList<int>{2, 3, 4};
    QTest::newRow("recurring 2 filters nothing") << -1 << -1 << 2 << QList<int>{1, 2, 3, 4};
    QTest::newRow("done with active alarm, not recurring") << 1 << 1 << 0 << QList<int>{1};
}

void TestQuery::flags()
{
    QFETCH(int, doneFilter);
    QFETCH(int, alarmFilter);
    QFETCH(int, recurringFilter);
    QFETCH(QList<int>, expected);

    TodoList list(4);
    const auto addAlarm = [](Todo* todo, bool active) {
        Alarm* alarm = new Alarm(nullptr);
        alarm->setTodo(todo);
        alarm->is_active = active;
    };
    list[1]->is_done = true;
    addAlarm(list[1], false);
    addAlarm(list[1], true);
    list[1]->recurrence_id = -1;
    addAlarm(list[2], false);
    list[2]->recurrence_id = 0;
    list[3]->recurrence_id = 5;
    list[4]->is_done = true;
    list[4]->recurrence_id = -2; // below -1: never rejected by the recurring filter
    Query query(&list.todos);
    query.sortOrder = -1;
    query.doneFilter = doneFilter;
    query.alarmFilter = alarmFilter;
    query.recurringFilter = recurringFilter;

    query.execute();

    QCOMPARE(idsOf(*query.result), expected);
}

void TestQuery::fieldFilters_data()
{
    QTest::addColumn<bool>("filterRoom");
    QTest::addColumn<QStringList>("roomTexts");
    QTest::addColumn<bool>("filterPriority");
    QTest::addColumn<QStringList>("priorityTexts");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("no filter") << false << QStringList() << false << QStringList()
                               << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("capitals match lower case inside a value")
        << true << QStringList{"TABL"} << false << QStringList() << QList<int>{1, 5};
    QTest::newRow("any text of the list")
        << true << QStringList{"xyz", "GARD"} << false << QStringList() << QList<int>{2};
    QTest::newRow("a value of another type does not match")
        << true << QStringList{"kitchen"} << false << QStringList() << QList<int>{1};
    QTest::newRow("an empty list of texts fails every todo")
        << true << QStringList() << false << QStringList() << QList<int>{};
    QTest::newRow("an empty text matches every value of the type")
        << true << QStringList{""} << false << QStringList() << QList<int>{1, 2, 5};
    QTest::newRow("every type must match")
        << true << QStringList{"garden"} << true << QStringList{"urgent"} << QList<int>{};
}

void TestQuery::fieldFilters()
{
    QFETCH(bool, filterRoom);
    QFETCH(QStringList, roomTexts);
    QFETCH(bool, filterPriority);
    QFETCH(QStringList, priorityTexts);
    QFETCH(QList<int>, expected);

    FieldType room(nullptr);
    room.id = 10;
    FieldType priority(nullptr);
    priority.id = 20;
    TodoList list(5);
    addField(list[1], &room, "Kitchen Table");
    addField(list[1], &priority, "urgent");
    addField(list[2], &room, "garden");
    addField(list[3], &priority, "kitchen");
    // Matched by its own type id, without a type object.
    addField(list[5], nullptr, "TABLE top")->field_type_id = 10;
    Query query(&list.todos);
    query.sortOrder = -1;
    if (filterRoom)
        query.fieldFilters->insert(&room, new QList<QString>(roomTexts));
    if (filterPriority)
        query.fieldFilters->insert(&priority, new QList<QString>(priorityTexts));

    query.execute();

    QCOMPARE(idsOf(*query.result), expected);
}

void TestQuery::sorting_data()
{
    QTest::addColumn<int>("sortOrder");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("creation date descending")
        << int(Query::CreationDateDesc) << QList<int>{4, 1, 3, 2};
    QTest::newRow("creation date ascending")
        << int(Query::CreationDateAsc) << QList<int>{2, 3, 1, 4};
    QTest::newRow("start date descending, undated last")
        << int(Query::StartDateDesc) << QList<int>{1, 4, 3, 2};
    QTest::newRow("start date ascending, undated first")
        << int(Query::StartDateAsc) << QList<int>{2, 3, 4, 1};
    QTest::newRow("alphabetically descending")
        << int(Query::AlphabeticallyDesc) << QList<int>{2, 4, 1, 3};
    QTest::newRow("alphabetically ascending, by code unit")
        << int(Query::AlphabeticallyAsc) << QList<int>{3, 1, 4, 2};
    QTest::newRow("unknown order keeps the list order") << 6 << QList<int>{1, 2, 3, 4};
}

void TestQuery::sorting()
{
    QFETCH(int, sortOrder);
    QFETCH(QList<int>, expected);

    TodoList list(4);
    const char* formats[] = {"apple", "cherry", "Banana", "banana"};
    const char* created[] = {"2015-01-03 08:00", "2015-01-01 08:00", "2015-01-02 08:00",
                             "2015-01-04 08:00"};
    const char* starts[] = {"2015-01-20 09:00", nullptr, "2015-01-10 09:00", "2015-01-15 09:00"};
    for (int id = 1; id <= 4; ++id) {
        Todo* todo = list[id];
        todo->format_string = QLatin1String(formats[id - 1]);
        todo->creation_date = local(created[id - 1]).toUTC();
        todo->start_date = starts[id - 1] ? local(starts[id - 1]).toUTC() : QDateTime();
    }
    Query query(&list.todos);
    query.sortOrder = sortOrder;

    query.execute();

    QCOMPARE(idsOf(*query.result), expected);
    if (sortOrder < Query::CreationDateDesc || sortOrder > Query::AlphabeticallyAsc)
        return;
    // The comparator of the order sorts the same way and is strict: no todo precedes itself.
    const Comparator comparator = comparatorOfSortOrder[sortOrder];
    QList<Todo*> sorted = list.todos;
    std::sort(sorted.begin(), sorted.end(), comparator);
    QCOMPARE(idsOf(sorted), expected);
    for (const Todo* todo : std::as_const(list.todos))
        QVERIFY(!comparator(todo, todo));
}

// The key is the expansion, here the readable dates "Yesterday", "Today" and "Tomorrow".
void TestQuery::alphabeticalKeyIsExpandedFormatString()
{
    TodoList list(3);
    const char* days[] = {"2015-01-13", "2015-01-14", "2015-01-15"};
    for (int id = 1; id <= 3; ++id) {
        list[id]->format_string = QStringLiteral("%-1%");
        list[id]->setStartDate(local(QByteArray(days[id - 1]) + " 00:00"));
        list[id]->setEndDate(local(QByteArray(days[id - 1]) + " 23:59"));
    }
    QCOMPARE(list[2]->readableFormatString(), QStringLiteral("Today"));
    Query query(&list.todos);

    query.sortOrder = Query::AlphabeticallyAsc;
    query.execute();
    QCOMPARE(idsOf(*query.result), (QList<int>{2, 3, 1}));

    query.sortOrder = Query::AlphabeticallyDesc;
    query.execute();
    QCOMPARE(idsOf(*query.result), (QList<int>{1, 3, 2}));
}

void TestQuery::batching_data()
{
    QTest::addColumn<int>("resultSize");
    QTest::addColumn<int>("batchSize");
    QTest::addColumn<int>("expectedBatchCount");
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("10 by 5, first") << 10 << 5 << 3 << 0 << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("10 by 5, second") << 10 << 5 << 3 << 1 << QList<int>{6, 7, 8, 9, 10};
    QTest::newRow("10 by 5, last is empty") << 10 << 5 << 3 << 2 << QList<int>{};
    QTest::newRow("10 by 5, batch -1") << 10 << 5 << 3 << -1 << QList<int>{};
    QTest::newRow("10 by 5, batch batchCount") << 10 << 5 << 3 << 3 << QList<int>{};
    QTest::newRow("10 by 3, short last") << 10 << 3 << 4 << 3 << QList<int>{10};
    QTest::newRow("5 by 5, first") << 5 << 5 << 2 << 0 << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("0 by 5") << 0 << 5 << 1 << 0 << QList<int>{};
    QTest::newRow("size 0 is one batch")
        << 10 << 0 << 1 << 0 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    QTest::newRow("negative size is one batch") << 5 << -3 << 1 << 0 << QList<int>{1, 2, 3, 4, 5};
}

void TestQuery::batching()
{
    QFETCH(int, resultSize);
    QFETCH(int, batchSize);
    QFETCH(int, expectedBatchCount);
    QFETCH(int, index);
    QFETCH(QList<int>, expected);

    TodoList list(resultSize);
    Query query(&list.todos);
    query.sortOrder = -1;
    query.batchSize = batchSize;

    query.execute();

    QCOMPARE(query.batchCount, expectedBatchCount);
    QCOMPARE(idsOf(query.batch(index)), expected);
}

void TestQuery::batchBeyondIntIsEmpty()
{
    TodoList list(3);
    Query query(&list.todos);
    query.sortOrder = -1;
    query.batchSize = INT_MAX;
    query.execute();
    // A batch count set by hand names batches that start past INT_MAX.
    query.batchCount = 4;

    QCOMPARE(idsOf(query.batch(0)), (QList<int>{1, 2, 3}));
    QCOMPARE(idsOf(query.batch(3)), QList<int>{});
}

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
