#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>
#include <orvel/alarm.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>
#include <orvel/todomodel.h>

using namespace Orvel;

namespace {

QDateTime wallClock(const char* text)
{
    return QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm"));
}

// A started pool of its own, todos with one start date per day from 1 January 2015 (day i at
// 09:00), and a model sorted by start under QAbstractItemModelTester. Every notification of the
// model is written to log as "inserted 2", "moved 0>3", "changed 1", "reset", ...
struct Fixture
{
    explicit Fixture(int count, const QString& name = QStringLiteral("model"))
        : pool(std::make_unique<Pool>(OrvelTest::homeDirectory() + QLatin1Char('/') + name, name))
    {
        pool->start();
        for (int day = 1; day <= count; ++day)
            addTodo(day);
        model = std::make_unique<TodoModel>(pool.get());
        model->setSortOrder(Query::StartDateAsc);
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        record();
    }

    Todo* addTodo(int day)
    {
        Todo* todo = pool->newTodo();
        todo->setNote(QStringLiteral("day %1").arg(day));
        const QDate date = QDate(2015, 1, 1).addDays(day - 1);
        todo->setStartDate(QDateTime(date, QTime(9, 0)));
        todo->setEndDate(QDateTime(date, QTime(10, 0)));
        return todo;
    }

    void record()
    {
        const auto rows = [this](const char* what) {
            return [this, what](const QModelIndex&, int first) {
                log << QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(first);
            };
        };
        QObject::connect(model.get(), &QAbstractItemModel::rowsInserted, rows("inserted"));
        QObject::connect(model.get(), &QAbstractItemModel::rowsRemoved, rows("removed"));
        QObject::connect(model.get(), &QAbstractItemModel::rowsMoved,
                         [this](const QModelIndex&, int from, int, const QModelIndex&, int to) {
                             log << QStringLiteral("moved %1>%2").arg(from).arg(to);
                         });
        QObject::connect(model.get(), &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& top, const QModelIndex& bottom) {
                             QCOMPARE(top, bottom);
                             log << QStringLiteral("changed %1").arg(top.row());
                         });
        QObject::connect(model.get(), &QAbstractItemModel::modelReset,
                         [this] { log << QStringLiteral("reset"); });
    }

    QStringList notes() const
    {
        QStringList notes;
        for (int row = 0; row < model->rowCount(); ++row)
            notes << model->index(row).data(TodoModel::NoteRole).toString();
        return notes;
    }

    Todo* todo(int day) const { return pool->todos->at(day - 1); }

    // A daily rule through 2015 whose sample starts at the given time for half an hour.
    Recurrence* addDailyRule(const char* sampleStart)
    {
        Todo* sample = pool->newSample();
        sample->setStartDate(wallClock(sampleStart));
        sample->setEndDate(wallClock(sampleStart).addSecs(30 * 60));
        Recurrence* rule = pool->newRecurrence();
        rule->setSample(sample);
        rule->repeats = Daily;
        rule->repeats_every = 1;
        rule->is_active = true;
        rule->setRangeStart(wallClock("2015-01-01 00:00"));
        rule->setRangeEnd(wallClock("2015-12-31 23:59"));
        return rule;
    }

    std::unique_ptr<Pool> pool;
    std::unique_ptr<TodoModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QStringList log;
};

using Change = std::function<void(Fixture&)>;

} // namespace

Q_DECLARE_METATYPE(Change)

class TestTodoModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roles()
    {
        Fixture f(0, QStringLiteral("roles"));
        Todo* todo = f.addTodo(14);
        todo->setTimeZone(QStringLiteral("+02:00"));
        todo->setStartDate(wallClock("2015-01-14 00:00"));
        todo->setEndDate(wallClock("2015-01-14 23:59"));
        todo->addAlarm(f.pool->newAlarm());
        todo->addAlarm(f.pool->newAlarm());
        FieldType* project = f.pool->newFieldType();
        project->setName(QStringLiteral("Project"));
        for (const char* value : {"garden", "house"}) {
            Field* field = f.pool->newField();
            field->setValue(QLatin1String(value));
            field->setFieldType(project);
            todo->addField(field);
        }
        QCOMPARE(f.log.first(), QStringLiteral("inserted 0"));
        QCOMPARE(f.log.count(QStringLiteral("changed 0")), f.log.size() - 1);

        const QModelIndex row = f.model->index(0);
        QCOMPARE(row.data(TodoModel::StartRole).toDateTime(), wallClock("2015-01-14 00:00"));
        QCOMPARE(row.data(TodoModel::TimeZoneRole).toString(), QStringLiteral("+02:00"));
        // The device is at +01:00 in January in Berlin, so the todo's own zone is appended.
        QCOMPARE(row.data(TodoModel::ReadableDateRole).toString(), QStringLiteral("Today +02:00"));
        QCOMPARE(row.data(TodoModel::AlarmCountRole).toInt(), 2);
        QCOMPARE(
            row.data(TodoModel::FieldsRole).toMap().value(QStringLiteral("Project")).toStringList(),
            QStringList({"garden", "house"}));
        QCOMPARE(row.data(TodoModel::IsOccurrenceRole).toBool(), false);
        QCOMPARE(f.model->roleNames().value(TodoModel::DoneRole), QByteArray("done"));

        // A rename reaches every row that shows a value of the type; removing a child counts too.
        f.log.clear();
        project->setName(QStringLiteral("Area"));
        Alarm* removed = todo->alarms->first();
        todo->removeAlarm(removed);
        QCOMPARE(row.data(TodoModel::FieldsRole).toMap().keys(), QStringList({"Area"}));
        QCOMPARE(row.data(TodoModel::AlarmCountRole).toInt(), 1);
        QVERIFY(f.pool->disposeDeleted(removed));
        QCOMPARE(f.log, QStringList({"changed 0", "changed 0", "changed 0"}));
    }

    void setDataWritesThroughTheSetters()
    {
        Fixture f(3, QStringLiteral("setdata"));
        f.pool->synchronizeToDatabase();
        QCOMPARE(f.log,
                 QStringList({"changed 0", "changed 1", "changed 2"})); // identifiers assigned
        f.log.clear();
        const QModelIndex second = f.model->index(1);
        QVERIFY(f.model->flags(second) & Qt::ItemIsEditable);
        QVERIFY(f.model->setData(second, true, TodoModel::DoneRole));
        QVERIFY(f.model->setData(second, QStringLiteral("renamed"), TodoModel::NoteRole));
        QVERIFY(!f.model->setData(second, 5, TodoModel::StartRole));
        QCOMPARE(f.log, QStringList({"changed 1", "changed 1"}));
        QCOMPARE(f.pool->unsynchronizedEntities->size(), 1);

        f.pool->synchronizeToDatabase();
        const QString path = OrvelTest::homeDirectory() + QStringLiteral("/setdata");
        QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("SELECT note, is_done FROM TODO_PROJECT "
                                                         "WHERE todo_id = %1")
                                              .arg(f.todo(2)->id)),
                 QStringLiteral("renamed|1"));
    }

    void toggleAmongTenThousandIsOneDataChanged()
    {
        Fixture f(10000, QStringLiteral("tenthousand"));
        f.todo(7778)->setIsDone(true);
        QCOMPARE(f.log, QStringList({"changed 7777"}));
        QVERIFY(f.model->index(7777).data(TodoModel::DoneRole).toBool());
    }

    void changes_data()
    {
        // Days 1 to 5 in start order, day 3 done and hidden by the filter for undone todos.
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("notes");
        const QStringList all = {"day 1", "day 2", "day 4", "day 5"};
        QTest::newRow("new todo enters at its place")
            << Change([](Fixture& f) { f.addTodo(3)->setNote(QStringLiteral("new")); })
            << QStringList({"inserted 0", "changed 0", "moved 0>3", "changed 2", "changed 2"})
            << QStringList({"day 1", "day 2", "new", "day 4", "day 5"});
        QTest::newRow("later start moves the row")
            << Change([](Fixture& f) { f.todo(1)->setStartDate(wallClock("2015-01-04 12:00")); })
            << QStringList({"moved 0>3"}) << QStringList({"day 2", "day 4", "day 1", "day 5"});
        QTest::newRow("done leaves")
            << Change([](Fixture& f) { f.todo(2)->setIsDone(true); }) << QStringList({"removed 1"})
            << QStringList({"day 1", "day 4", "day 5"});
        QTest::newRow("undone enters")
            << Change([](Fixture& f) { f.todo(3)->setIsDone(false); })
            << QStringList({"inserted 2"})
            << QStringList({"day 1", "day 2", "day 3", "day 4", "day 5"});
        QTest::newRow("hidden todo changes")
            << Change([](Fixture& f) { f.todo(3)->setStatus(2); }) << QStringList() << all;
        QTest::newRow("deleted then undeleted") << Change([](Fixture& f) {
            Todo* todo = f.todo(4);
            f.pool->deleteTodo(todo);
            todo->setIsDeleted(false);
        }) << QStringList({"removed 2", "inserted 2"})
                                                << all;
        QTest::newRow("alarm of a todo")
            << Change([](Fixture& f) { f.todo(5)->addAlarm(f.pool->newAlarm()); })
            << QStringList({"changed 3"}) << all;
    }

    void changes()
    {
        QFETCH(Change, change);
        QFETCH(QStringList, log);
        QFETCH(QStringList, notes);
        Fixture f(5, QString::fromLatin1(QTest::currentDataTag()));
        f.todo(3)->setIsDone(true);
        f.model->setDoneFilter(0);
        f.log.clear();
        change(f);
        QCOMPARE(f.log, log);
        QCOMPARE(f.notes(), notes);
    }

    // A filter may name a type that no record has yet: it applies once a type takes the name.
    void filterOnATypeNamedLater()
    {
        Fixture f(2, QStringLiteral("latertype"));
        f.model->setFieldFilters({{QStringLiteral("Room"), QStringList{"kitchen"}}});
        QCOMPARE(f.model->rowCount(), 0);
        FieldType* room = f.pool->newFieldType();
        Field* field = f.pool->newField();
        field->setValue(QStringLiteral("Kitchen table"));
        field->setFieldType(room);
        f.todo(2)->addField(field);
        QCOMPARE(f.model->rowCount(), 0);
        room->setName(QStringLiteral("Room"));
        QCOMPARE(f.notes(), QStringList{"day 2"});
    }

    void batchFollowsChanges()
    {
        Fixture f(6, QStringLiteral("batch"));
        f.model->setBatchSize(2);
        f.model->setBatch(1);
        QCOMPARE(f.notes(), QStringList({"day 3", "day 4"}));
        f.log.clear();
        f.todo(1)->setStartDate(wallClock("2015-01-03 12:00"));
        QCOMPARE(f.notes(), QStringList({"day 1", "day 4"}));
        Todo* deleted = f.todo(4);
        f.pool->deleteTodo(deleted);
        QVERIFY(f.pool->disposeDeleted(deleted));
        QCOMPARE(f.notes(), QStringList({"day 1", "day 5"}));
        QCOMPARE(f.log, QStringList({"removed 0", "inserted 0", "removed 1", "inserted 1"}));
        // Freed once written: the rows hear of their own keys, and nothing of its end.
        f.log.clear();
        f.pool->synchronizeToDatabase();
        QCOMPARE(f.log, QStringList({"changed 0", "changed 1"}));
        QCOMPARE(f.notes(), QStringList({"day 1", "day 5"}));
    }

    void occurrencesAreReadOnlyAndReplacedWithTheirRule()
    {
        Fixture f(1, QStringLiteral("occurrences"));
        Recurrence* rule = f.addDailyRule("2015-01-10 08:00");
        // Occurrences start after the rule's instancing date, the (frozen) time of its creation.
        f.model->setActiveFrom(wallClock("2015-01-15 00:00"));
        f.model->setActiveTo(wallClock("2015-01-17 23:59"));
        f.model->setIncludeRecurring(true);
        QCOMPARE(f.model->rowCount(), 3);
        const QModelIndex first = f.model->index(0);
        QVERIFY(first.data(TodoModel::IsOccurrenceRole).toBool());
        QVERIFY(!(f.model->flags(first) & Qt::ItemIsEditable));
        QVERIFY(!f.model->setData(first, true, TodoModel::DoneRole));

        f.log.clear();
        rule->setRepeatsEvery(2);
        QVERIFY(!f.log.isEmpty());
        QCOMPARE(f.log.count(QStringLiteral("reset")), f.log.size());
        QCOMPARE(f.model->rowCount(), 1);
    }

    // Without a sort a todo enters after the shown todos listed before it in the pool, whatever
    // occurrences the filters turned away.
    void unsortedRowsFollowThePoolList()
    {
        Fixture f(3, QStringLiteral("unsorted"));
        f.addDailyRule("2015-01-02 08:00");
        f.model->setSortOrder(-1);
        f.model->setActiveFrom(wallClock("2015-01-01 00:00"));
        f.model->setActiveTo(wallClock("2015-01-31 23:59"));
        f.model->setIncludeRecurring(true);
        f.model->setDoneFilter(1);
        QCOMPARE(f.model->rowCount(), 0);
        f.todo(3)->setIsDone(true);
        f.todo(1)->setIsDone(true);
        QCOMPARE(f.notes(), QStringList({"day 1", "day 3"}));
    }

    void onlyRestartAndNewQueriesReset()
    {
        Fixture f(3, QStringLiteral("restart"));
        QSignalSpy sortChanged(f.model.get(), &TodoModel::sortOrderChanged);
        f.model->setSortOrder(Query::StartDateAsc);
        f.model->setSortOrder(Query::StartDateDesc);
        QCOMPARE(sortChanged.size(), 1);
        QCOMPARE(f.notes(), QStringList({"day 3", "day 2", "day 1"}));
        f.pool->synchronizeToDatabase();
        f.addTodo(4);
        f.log.clear();
        // The unsaved fourth todo is dropped by the restart.
        f.pool->start();
        QCOMPARE(f.log, QStringList({"reset"}));
        QCOMPARE(f.notes(), QStringList({"day 3", "day 2", "day 1"}));
        f.pool->reloadDB();
        QCOMPARE(f.model->rowCount(), 0);
        f.pool.reset();
        QCOMPARE(f.log, QStringList({"reset", "reset", "reset"}));
        QCOMPARE(f.model->todoAt(0), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestTodoModel)
#include "tst_todomodel.moc"
