#include "loghandler.h"
#include "storage/statementcache.h"
#include "testsupport.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <memory>
#include <orvel/alarm.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/sqliteconnector.h>
#include <orvel/todo.h>
#include <vector>

using namespace Orvel;
using OrvelTest::LogCapture;

// Writes run on query objects kept per statement text beside the connector's shared one; what
// the database and the log show must stay as if every statement were prepared for its one use.
class StatementCacheTest : public QObject
{
    Q_OBJECT

private:
    QString stored(const QString& sql) const { return OrvelTest::sqlite3(m_path, sql); }

    QString m_path;
    SqliteConnector* m_connector = nullptr;
    std::unique_ptr<FieldType> m_fieldType;
    std::vector<std::unique_ptr<Todo>> m_todos; // emptied first: they delete their field values

    // Saves todos, each followed by its alarm and field value: three inserts alternate.
    void saveTodosWithChildren(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto* todo = new Todo(m_connector);
            m_todos.emplace_back(todo);
            todo->setNote(QStringLiteral("todo %1").arg(i));
            auto* alarm = new Alarm(m_connector);
            todo->addAlarm(alarm);
            auto* field = new Field(m_connector);
            field->setTodo(todo);
            field->setFieldType(m_fieldType.get());
            field->setValue(QStringLiteral("value %1").arg(i));
            for (Entity* record : std::initializer_list<Entity*>{todo, alarm, field})
                QVERIFY(record->save() && record->lastError.isEmpty());
        }
    }

private Q_SLOTS:
    void init()
    {
        m_path =
            OrvelTest::homeDirectory() + QLatin1String("/cache-") + QTest::currentTestFunction();
        m_connector = new SqliteConnector(m_path, QLatin1String(QTest::currentTestFunction()));
        m_fieldType.reset(new FieldType(m_connector));
        QVERIFY(m_fieldType->save());
    }

    void cleanup()
    {
        m_todos.clear();
        m_fieldType.reset();
        delete m_connector;
        m_connector = nullptr;
    }

    void interleavedRecordsCompileEachStatementOnce()
    {
        saveTodosWithChildren(3);
        // The field type's insert and the three that alternate.
        QCOMPARE(StatementCache::preparedCount(m_connector->sqlQuery), 4);

        // The keys SQLite assigned reach the records and their children, in order.
        QCOMPARE(m_todos.back()->alarms->first()->todo_id, 3);
        QCOMPARE(
            stored(QStringLiteral("SELECT group_concat(t.todo_id || t.note || f.value, ',') FROM "
                                  "TODO_PROJECT t JOIN FIELD f ON f.todo_id = t.todo_id;")),
            QStringLiteral("1todo 0value 0,2todo 1value 1,3todo 2value 2"));

        m_todos.front()->setIsDone(true);
        QVERIFY(m_todos.front()->save());
        QCOMPARE(StatementCache::preparedCount(m_connector->sqlQuery), 5);
    }

    // Another program drops the table. A connection notices only when it next reads the schema: a
    // statement prepared before that fails at execution, one prepared afterwards at preparation. A
    // second connection, independent of the library, shows both texts.
    void keptStatementFailingAfterSchemaChangeReadsAsFreshOne()
    {
        saveTodosWithChildren(1);
        Todo& todo = *m_todos.front();
        todo.setIsDone(true);
        QVERIFY(todo.save() && todo.lastError.isEmpty());
        QSqlDatabase probeConnection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        probeConnection.setDatabaseName(m_path);
        QVERIFY(probeConnection.open());
        QSqlQuery probe(probeConnection);
        QVERIFY(probe.exec(QStringLiteral("SELECT count(*) FROM TODO_PROJECT;")));
        probe.finish();
        stored(QStringLiteral("DROP TABLE TODO_PROJECT;"));
        const QString update = QStringLiteral("UPDATE TODO_PROJECT SET is_done=1;");
        QVERIFY(probe.prepare(update) && !probe.exec());
        const QString staleError = probe.lastError().text();
        QVERIFY(!probe.prepare(update));
        const QString freshError = probe.lastError().text();
        QVERIFY(staleError != freshError);

        for (const QString& expected : {staleError, freshError}) {
            todo.setIsDone(!todo.is_done);
            LogCapture log;
            QCOMPARE(todo.save(), true);
            QCOMPARE(todo.lastError, expected);
            QCOMPARE(log.messages().at(1), QStringLiteral("ERROR \"%1\"").arg(expected));
        }
    }
};

QTEST_GUILESS_MAIN(StatementCacheTest)

#include "tst_statementcache.moc"
