// Handing deleted records back to the pool with disposeDeleted(): what is written before they
// are freed, what is freed with them, and that nothing of it reaches the records that stay.
// Run under AddressSanitizer (the sanitize configuration), which also reports any leak.

#include "loghandler.h"
#include "testsupport.h"

#include <QDir>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <memory>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

// The number of rows of each table, as the sqlite3 program counts them.
const char rowCounts[] = "SELECT (SELECT count(*) FROM TODO_PROJECT), (SELECT count(*) FROM "
                         "RECURRENCE), (SELECT count(*) FROM ALARM), (SELECT count(*) FROM "
                         "BINARY), (SELECT count(*) FROM FIELD), (SELECT count(*) FROM "
                         "FIELD_TYPE), (SELECT count(*) FROM sqlite_sequence);";

enum Scenario { StoredTodo, NeverStoredTodo, Sample, Rule, FieldTypeOnLiveTodo };

using Watched = QList<QPointer<Entity>>;

bool allFreed(const Watched& records)
{
    return std::all_of(records.cbegin(), records.cend(), [](const auto& r) { return r.isNull(); });
}

bool noneFreed(const Watched& records)
{
    return std::none_of(records.cbegin(), records.cend(), [](const auto& r) { return r.isNull(); });
}

// A pool on its own database file, started.
struct StartedPool
{
    explicit StartedPool(const QString& name)
        : path(QDir(OrvelTest::homeDirectory()).filePath(name + QStringLiteral(".sqlite"))),
          pool(path, name)
    {
        pool.start();
    }
    QString rows() const { return OrvelTest::sqlite3(path, QLatin1String(rowCounts)); }

    QString path;
    Pool pool;
};

Todo* todoWithChildren(Pool& pool)
{
    Todo* todo = pool.newTodo();
    todo->addAlarm(pool.newAlarm());
    todo->addBinary(pool.newBinary());
    // The field keeps a live type, which must not get it back when the todo is freed.
    Field* field = pool.newField();
    pool.newFieldType()->addField(field);
    todo->addField(field);
    return todo;
}

Recurrence* ruleWithSample(Pool& pool)
{
    Recurrence* rule = pool.newRecurrence();
    rule->setSample(pool.newSample());
    rule->setRepeats(Daily);
    return rule;
}

// Deletes records as the scenario says, hands one back, and returns every record that must be
// freed with it.
Watched deleteAndDispose(Scenario scenario, Pool& pool)
{
    if (scenario == StoredTodo || scenario == NeverStoredTodo) {
        Todo* todo = todoWithChildren(pool);
        if (scenario == StoredTodo)
            pool.synchronizeToDatabase();
        pool.deleteTodo(todo);
        pool.disposeDeleted(todo);
        return {todo, todo->deletedAlarms->constFirst(), todo->deletedBinaries->constFirst(),
                todo->deletedFields->constFirst()};
    }
    if (scenario == Sample || scenario == Rule) {
        Recurrence* rule = ruleWithSample(pool);
        Todo* sample = rule->sample;
        pool.synchronizeToDatabase();
        pool.deleteRecurrence(rule);
        pool.disposeDeleted(scenario == Sample ? static_cast<Entity*>(sample) : rule);
        return {rule, sample};
    }
    FieldType* type = pool.newFieldType();
    Field* field = pool.newField();
    type->addField(field);
    pool.newTodo()->addField(field);
    pool.synchronizeToDatabase();
    pool.deleteFieldType(type);
    pool.disposeDeleted(type);
    return {type, field};
}

} // namespace

class TestDisposal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freedOnceWritten_data()
    {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("liveTodos");

        // Rows of TODO_PROJECT, RECURRENCE, ALARM, BINARY, FIELD, FIELD_TYPE, and sqlite_sequence
        // entries (one per table that ever had a row inserted).
        QTest::newRow("stored todo with its children") << int(StoredTodo) << "0|0|0|0|0|1|5" << 0;
        QTest::newRow("never-stored todo: no insert")
            << int(NeverStoredTodo) << "0|0|0|0|0|1|1" << 0;
        QTest::newRow("sample takes its rule") << int(Sample) << "0|0|0|0|0|0|2" << 0;
        QTest::newRow("rule takes its sample") << int(Rule) << "0|0|0|0|0|0|2" << 0;
        QTest::newRow("field type with a value on a live todo")
            << int(FieldTypeOnLiveTodo) << "1|0|0|0|0|0|3" << 1;
    }

    void freedOnceWritten()
    {
        QFETCH(int, scenario);
        QFETCH(QString, rows);
        QFETCH(int, liveTodos);
        OrvelTest::LogCapture log;
        {
            StartedPool started(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
            Pool& pool = started.pool;
            const Watched disposed = deleteAndDispose(Scenario(scenario), pool);
            QVERIFY(noneFreed(disposed));

            pool.synchronizeToDatabase();
            QVERIFY(allFreed(disposed));
            QCOMPARE(started.rows(), rows);
            QCOMPARE(pool.todos->size(), liveTodos);
            // Nothing came back: no rule or child relisted, the live todo not marked modified.
            QCOMPARE(QList<int>({int(pool.recurrences->size()), int(pool.samples->size()),
                                 int(pool.alarms->size()), int(pool.fields->size()),
                                 int(pool.unsynchronizedEntities->size())}),
                     QList<int>({0, 0, 0, 0, 0}));
            if (liveTodos)
                QVERIFY(pool.todos->constFirst()->fields->isEmpty());
            for (const FieldType* type : std::as_const(*pool.fieldTypes))
                QVERIFY(type->fields->isEmpty());
        }
        QCOMPARE(log.lines(), QList<QByteArray>());
    }

    void childDisposedAloneLeavesItsParent()
    {
        StartedPool started(QStringLiteral("child"));
        Pool& pool = started.pool;
        Todo* todo = pool.newTodo();
        Alarm* kept = pool.newAlarm();
        QPointer<Alarm> disposed = pool.newAlarm();
        todo->addAlarm(kept);
        todo->addAlarm(disposed);
        pool.synchronizeToDatabase();
        pool.deleteTodo(todo);
        QVERIFY(pool.disposeDeleted(disposed));

        todo->setIsDeleted(false);
        QCOMPARE(*todo->alarms, QList<Alarm*>{kept});
        QCOMPARE(*pool.alarms, QList<Alarm*>{kept});
        pool.synchronizeToDatabase();
        QVERIFY(disposed.isNull());
        // An undeleted record keeps its removal mark, so every row goes all the same.
        QCOMPARE(started.rows(), QStringLiteral("0|0|0|0|0|0|2"));
    }

    void refusesOwnedRecordsAndFollowsUndeletes()
    {
        StartedPool started(QStringLiteral("owned"));
        Pool& pool = started.pool;
        Todo* todo = pool.newTodo();
        QCOMPARE(pool.disposeDeleted(todo), false);
        QCOMPARE(pool.disposeDeleted(nullptr), false);

        // Undeleting a record handed over gives it back to the pool.
        pool.deleteTodo(todo);
        QVERIFY(pool.disposeDeleted(todo));
        todo->setIsDeleted(false);
        pool.synchronizeToDatabase();
        QCOMPARE(*pool.todos, QList<Todo*>{todo});

        // Handed over, undeleted and deleted again with a child it did not have before: the child
        // goes with it.
        QPointer<Todo> redeleted = todo;
        pool.deleteTodo(todo);
        QVERIFY(pool.disposeDeleted(todo));
        todo->setIsDeleted(false);
        QPointer<Alarm> added = pool.newAlarm();
        todo->addAlarm(added);
        pool.deleteTodo(todo);
        // Not handed over again yet: the caller's, not freed.
        pool.synchronizeToDatabase();
        QVERIFY(!redeleted.isNull());
        QVERIFY(pool.disposeDeleted(todo));
        pool.synchronizeToDatabase();
        QVERIFY(redeleted.isNull());
        QVERIFY(added.isNull());
        QVERIFY(pool.alarms->isEmpty());
    }

    void unwrittenRecordsGoWithReloadOrPool()
    {
        auto started = std::make_unique<StartedPool>(QStringLiteral("unwritten"));
        Pool* pool = &started->pool;
        Todo* todo = todoWithChildren(*pool);
        pool->synchronizeToDatabase();
        const int id = todo->id;

        // A reload drops the deletion with the record: the todo is loaded again from its row.
        QPointer<Todo> dropped = todo;
        pool->deleteTodo(todo);
        pool->disposeDeleted(todo);
        pool->start();
        QVERIFY(dropped.isNull());
        QVERIFY(pool->todoById(id));

        // An alarm moved to a todo without a row cannot be written once deleted: the pool frees it
        // when it is deleted itself.
        QPointer<Alarm> failing = pool->alarms->constFirst();
        failing->setTodo(pool->newTodo());
        pool->deleteAlarm(failing);
        pool->disposeDeleted(failing);
        OrvelTest::LogCapture log;
        pool->synchronizeToDatabase();
        QVERIFY(!failing.isNull());
        QCOMPARE(*pool->unsynchronizedEntities, QList<Entity*>{failing.data()});
        started.reset();
        QVERIFY(failing.isNull());
        QCOMPARE(log.lines().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestDisposal)
#include "tst_disposal.moc"
