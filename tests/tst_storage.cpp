// Records written to a real SQLite file and read back. The rows are checked and written with the
// sqlite3 program, so that what is expected comes from the rows themselves and not from the
// library's other direction.
#include "loghandler.h"
#include "storage/statementcache.h"
#include "storage/storeddate.h"
#include "testsupport.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>
#include <QTest>
#include <climits>
#include <memory>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databasequery.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/recurrence.h>
#include <orvel/sqliteconnector.h>
#include <orvel/todo.h>
#include <vector>

using namespace Orvel;
using OrvelTest::LogCapture;

namespace {

const QDateTime frozenNowUtc(QDate(2015, 1, 14), QTime(11, 0), Qt::UTC);

using OrvelTest::utc;

// Key and flags of a loaded record in one line, so that a failing comparison shows them all.
QString describe(const Entity& entity, int id)
{
    QString line = QString::number(id);
    if (entity.isDeleted)
        line += QLatin1String(" deleted");
    if (entity.isRemoved)
        line += QLatin1String(" removed");
    if (entity.isNew)
        line += QLatin1String(" new");
    if (entity.isSynchronized)
        line += QLatin1String(" synchronized");
    return line;
}

// Describes the loaded records in their order and frees them.
template <typename Record> QStringList describeAll(const QList<Record*>& records)
{
    QStringList described;
    for (const Record* record : records)
        described << describe(*record, record->id);
    qDeleteAll(records);
    return described;
}

template <typename Record>
QStringList listed(DatabaseQuery& query, bool (DatabaseQuery::*load)(QList<Record*>*, int),
                   int argument)
{
    QList<Record*> records;
    (query.*load)(&records, argument);
    QStringList described = describeAll(records);
    described.sort();
    return described;
}

template <typename Record>
QStringList byId(DatabaseQuery& query, bool (DatabaseQuery::*load)(Record**, int), int id)
{
    Record* record = nullptr;
    const bool found = (query.*load)(&record, id);
    const std::unique_ptr<Record> owner(record);
    return found && record ? QStringList{describe(*record, record->id)} : QStringList();
}

struct TableLoaders
{
    std::function<QStringList(DatabaseQuery&, bool)> listed;
    std::function<QStringList(DatabaseQuery&, int)> byId;
    std::function<QStringList(DatabaseQuery&, int)> byParent;
};

template <typename Record>
TableLoaders loadersOf(bool (DatabaseQuery::*list)(QList<Record*>*, bool),
                       bool (DatabaseQuery::*id)(Record**, int),
                       bool (DatabaseQuery::*parent)(QList<Record*>*, int))
{
    return {[list](DatabaseQuery& q, bool deleted) {
                QList<Record*> records;
                (q.*list)(&records, deleted);
                return describeAll(records);
            },
            [id](DatabaseQuery& q, int key) { return byId(q, id, key); },
            [parent](DatabaseQuery& q, int key) {
                return parent ? listed(q, parent, key) : QStringList();
            }};
}

// A driver that opens without a database and cannot report inserted keys.
class ResultWithoutRows : public QSqlResult
{
public:
    explicit ResultWithoutRows(const QSqlDriver* driver) : QSqlResult(driver) {}

protected:
    QVariant data(int) override { return QVariant(); }
    bool isNull(int) override { return true; }
    bool reset(const QString&) override { return false; }
    bool fetch(int) override { return false; }
    bool fetchFirst() override { return false; }
    bool fetchLast() override { return false; }
    int size() override { return -1; }
    int numRowsAffected() override { return 0; }
};

class DriverWithoutInsertIds : public QSqlDriver
{
public:
    bool hasFeature(DriverFeature feature) const override
    {
        return feature != LastInsertId && feature != QuerySize;
    }
    bool open(const QString&, const QString&, const QString&, const QString&, int,
              const QString&) override
    {
        setOpen(true);
        setOpenError(false);
        return true;
    }
    void close() override { setOpen(false); }
    QSqlResult* createResult() const override { return new ResultWithoutRows(this); }
};

// A connector around a given connection, or around none at all.
class HandMadeConnector : public DatabaseConnector
{
public:
    HandMadeConnector(QSqlDatabase* handle, QSqlQuery* query)
    {
        database = handle;
        sqlQuery = query;
    }
    bool createConnection() override { return database != nullptr; }
    void closeConnection() override {}
    bool initializeDatabase() override { return database != nullptr; }
    bool deleteDatabase() override { return false; }
};

} // namespace

Q_DECLARE_METATYPE(TableLoaders)

class TestStorage : public QObject
{
    Q_OBJECT

private:
    QString stored(const QString& sql) const { return OrvelTest::sqlite3(m_path, sql); }

    // Saves todos, each followed by its alarm and field value: three inserts alternate.
    void saveTodosWithChildren(std::vector<std::unique_ptr<Todo>>& todos, FieldType* type,
                               int count)
    {
        for (int i = 0; i < count; ++i) {
            auto* todo = new Todo(m_connector);
            todos.emplace_back(todo);
            todo->setNote(QStringLiteral("todo %1").arg(i));
            auto* alarm = new Alarm(m_connector);
            todo->addAlarm(alarm);
            auto* field = new Field(m_connector);
            field->setTodo(todo);
            field->setFieldType(type);
            field->setValue(QStringLiteral("value %1").arg(i));
            for (Entity* record : std::initializer_list<Entity*>{todo, alarm, field})
                QVERIFY(record->save() && record->lastError.isEmpty());
        }
    }

    QString m_path;
    SqliteConnector* m_connector = nullptr;

private Q_SLOTS:
    void init()
    {
        static int databaseNumber = 0;
        ++databaseNumber;
        m_path =
            OrvelTest::homeDirectory() + QStringLiteral("/storage-%1.sqlite").arg(databaseNumber);
        m_connector = new SqliteConnector(m_path, QStringLiteral("storage-%1").arg(databaseNumber));
        QVERIFY(m_connector->sqlQuery);
    }

    void cleanup()
    {
        delete m_connector;
        m_connector = nullptr;
    }

    void rowsHoldEveryFieldAndReadBack()
    {
        std::unique_ptr<Todo> sample(new Todo(m_connector));
        std::unique_ptr<Todo> todo(new Todo(m_connector));
        std::unique_ptr<Recurrence> recurrence(new Recurrence(m_connector));
        std::unique_ptr<FieldType> fieldType(new FieldType(m_connector));
        std::unique_ptr<Alarm> removedAlarm(new Alarm(m_connector));
        auto* alarm = new Alarm(m_connector);
        auto* binary = new Binary(m_connector);
        auto* field = new Field(m_connector);
        sample->setIsSample(true);
        sample->setTimeZone(QStringLiteral("+02:00"));
        recurrence->setSample(sample.get());
        recurrence->setIsActive(true);
        recurrence->setRepeats(Weekly);
        recurrence->setRepeatsOn(QStringLiteral("0100010"));
        recurrence->setRepeatsEvery(2);
        recurrence->setRangeStart(QDateTime(QDate(2015, 1, 5), QTime(9, 0), Qt::LocalTime));
        recurrence->setRangeEnd(utc(2015, 6, 30, 22, 0));
        recurrence->instancing_date = utc(2015, 1, 12, 0, 0);
        todo->setTimeZone(QStringLiteral("-03:30"));
        todo->setStartDate(QDateTime(QDate(2014, 12, 24), QTime(18, 0), Qt::LocalTime));
        todo->setEndDate(utc(2014, 12, 25, 2, 15, 30, 999));
        todo->creation_date = utc(2001, 2, 3, 4, 5, 6, 7);
        todo->setStatus(42);
        todo->setIsDone(true);
        todo->setFormatString(QString());
        todo->setNote(QStringLiteral("Call the office"));
        todo->setRecurrence(recurrence.get());
        todo->addAlarm(alarm);
        todo->addBinary(binary);
        todo->addField(field);
        todo->addAlarm(removedAlarm.get());
        todo->removeAlarm(removedAlarm.get());
        field->setFieldType(fieldType.get());
        fieldType->setName(QStringLiteral("Phone"));
        alarm->setAlarmTime(utc(2016, 2, 29, 23, 59, 59, 999));
        alarm->setIsActive(true);
        alarm->setSnooze(3);
        alarm->setSnoozeInterval(15);
        binary->setNote(QStringLiteral("scan.png"));
        binary->setType(static_cast<BinaryType>(7));
        binary->setSize(1234);
        binary->setData(QByteArray("bytes"));
        field->setValue(QStringLiteral("+49 30 1234"));
        field->setDbId(QStringLiteral("db-7"));
        field->setContactId(QStringLiteral("contact-9"));

        QVERIFY(sample->save());
        QVERIFY(recurrence->save());
        QVERIFY(sample->save()); // the rule's key reaches the sample at its next save
        QVERIFY(todo->save());
        // Only the live children hear of the todo's key, and none of them is written by the todo.
        QCOMPARE(
            QList<int>({alarm->todo_id, binary->todo_id, field->todo_id, removedAlarm->todo_id}),
            QList<int>({2, 2, 2, INT_MIN}));
        QCOMPARE(alarm->isNew, true);
        QCOMPARE(stored(QStringLiteral("SELECT count(*) FROM ALARM;")), QStringLiteral("0"));
        for (Entity* child : std::initializer_list<Entity*>{fieldType.get(), alarm, binary, field})
            QVERIFY(child->save());
        for (Entity* entity :
             std::initializer_list<Entity*>{sample.get(), todo.get(), recurrence.get(),
                                            fieldType.get(), alarm, binary, field}) {
            QCOMPARE(entity->isNew, false);
            QCOMPARE(entity->isSynchronized, true);
            QCOMPARE(entity->lastError, QString());
        }

        // Every table starts from key 1. An empty text is stored as text, never as NULL.
        const QString now = QStringLiteral("2015-01-14 11:00:00.000");
        QCOMPARE(stored(QStringLiteral(
                     "SELECT *, typeof(format_string) FROM TODO_PROJECT WHERE todo_id = 2;")),
                 "2|2014-12-24 21:30:00.000|2014-12-25 02:15:30.999|-03:30|" + now +
                     "|2001-02-03 04:05:06.007|42|1|Call the office||0|1|0|text");
        QCOMPARE(
            stored(QStringLiteral(
                "SELECT todo_id, is_sample, recurrence_id FROM TODO_PROJECT WHERE todo_id = 1;")),
            QStringLiteral("1|1|1"));
        QCOMPARE(stored(QStringLiteral("SELECT * FROM RECURRENCE;")),
                 "1|1|" + now +
                     "|1|2|2|0100010|2015-01-05 07:00:00.000|2015-06-30 22:00:00.000|"
                     "2015-01-12 00:00:00.000|0");
        QCOMPARE(stored(QStringLiteral("SELECT * FROM FIELD_TYPE;")), "1|" + now + "|Phone|0");
        QCOMPARE(stored(QStringLiteral("SELECT * FROM FIELD;")),
                 "1|2|1|" + now + "|+49 30 1234|db-7|contact-9|0");
        QCOMPARE(
            stored(QStringLiteral("SELECT binary_id, todo_id, last_mod_date, note, type, size, "
                                  "CAST(data AS TEXT), is_deleted FROM BINARY;")),
            "1|2|" + now + "|scan.png|7|1234|bytes|0");
        QCOMPARE(stored(QStringLiteral("SELECT * FROM ALARM;")),
                 "1|2|" + now + "|2016-02-29 23:59:59.999|1|3|15|0");

        // Read back, once the rows are changed by hand: an old modification time, a format string
        // whose expansion is not the note, and a daily rule with a weekday pattern. Each would
        // show if the loader set the fields in another order or through the setters.
        const QString old = QStringLiteral("'2013-01-02 03:04:05.006'");
        for (const char* table :
             {"TODO_PROJECT", "RECURRENCE", "FIELD_TYPE", "FIELD", "BINARY", "ALARM"})
            stored(QStringLiteral("UPDATE %1 SET last_mod_date = %2;").arg(table, old));
        stored(QStringLiteral(
            "UPDATE TODO_PROJECT SET format_string = 'Due %-1%' WHERE todo_id = 2;"
            "INSERT INTO RECURRENCE VALUES (5, 9, '2013-01-02 03:04:05.006', 1, 1, 1, '0010000', "
            "'2015-01-05 08:00:00.000', '2015-06-30 22:00:00.000', '2015-01-12 00:00:00.500', 0);"));
        DatabaseQuery query(m_connector);
        Todo* loaded = nullptr;
        Recurrence* rule = nullptr;
        Recurrence* daily = nullptr;
        FieldType* type = nullptr;
        Field* value = nullptr;
        Binary* attachment = nullptr;
        Alarm* ring = nullptr;
        QList<Todo*> todos;
        const auto freeLoaded = qScopeGuard([&] {
            qDeleteAll(
                std::initializer_list<Entity*>{loaded, rule, daily, type, value, attachment, ring});
            qDeleteAll(todos);
        });
        QVERIFY(query.getTodoById(&loaded, 2));
        QVERIFY(query.loadTodos(&todos, nullptr, false));
        QVERIFY(query.getRecurrenceById(&rule, 1));
        QVERIFY(query.getRecurrenceById(&daily, 5));
        QVERIFY(query.getFieldTypeById(&type, 1));
        QVERIFY(query.getFieldById(&value, 1));
        QVERIFY(query.getBinaryById(&attachment, 1));
        QVERIFY(query.getAlarmById(&ring, 1));

        QCOMPARE(todos.size(), 1);
        for (const Todo* read : {loaded, todos.constFirst()}) {
            QCOMPARE(read->time_zone, QStringLiteral("-03:30"));
            QCOMPARE(read->start_date, utc(2014, 12, 24, 21, 30));
            QCOMPARE(read->end_date, utc(2014, 12, 25, 2, 15, 30, 999));
            QCOMPARE(read->startDate(Stored).time(), QTime(18, 0));
            QCOMPARE(read->creation_date, utc(2001, 2, 3, 4, 5, 6, 7));
            QCOMPARE(QList<int>({read->id, read->status, read->is_done, read->recurrence_id,
                                 read->is_sample}),
                     QList<int>({2, 42, 1, 1, 0}));
            QCOMPARE(QStringList({read->note, read->format_string}),
                     QStringList({"Call the office", "Due %-1%"}));
        }
        QCOMPARE(describe(*loaded, loaded->id), QStringLiteral("2 synchronized"));
        QCOMPARE(describe(*todos.constFirst(), 2), QStringLiteral("2 new"));

        for (const QDateTime& modified :
             {loaded->lastModDate, rule->lastModDate, type->lastModDate, value->lastModDate,
              attachment->lastModDate, ring->lastModDate})
            QCOMPARE(modified, utc(2013, 1, 2, 3, 4, 5, 6));
        const auto number = [](int value) { return QString::number(value); };
        QCOMPARE(
            QStringList({number(rule->sample_id), number(rule->is_active), number(rule->repeats),
                         number(rule->repeats_every), rule->repeats_on}),
            QStringList({"1", "1", "2", "2", "0100010"}));
        QCOMPARE(rule->range_start, utc(2015, 1, 5, 7, 0));
        QCOMPARE(rule->range_end, utc(2015, 6, 30, 22, 0));
        QCOMPARE(rule->instancing_date, utc(2015, 1, 12, 0, 0));
        QCOMPARE(daily->instancing_date, utc(2015, 1, 12, 0, 0, 0, 500));
        QCOMPARE(daily->repeats_on, QString()); // a pattern that does not fit its kind is dropped
        QCOMPARE(type->name, QStringLiteral("Phone"));
        QCOMPARE(QStringList({number(value->todo_id), number(value->field_type_id), value->value,
                              value->db_id, value->contact_id}),
                 QStringList({"2", "1", "+49 30 1234", "db-7", "contact-9"}));
        QCOMPARE(QStringList({number(attachment->todo_id), attachment->note,
                              number(attachment->type), number(attachment->size)}),
                 QStringList({"2", "scan.png", "7", "1234"}));
        QCOMPARE(QStringList({number(ring->todo_id), number(ring->is_active), number(ring->snooze),
                              number(ring->snooze_interval)}),
                 QStringList({"2", "1", "3", "15"}));
        QCOMPARE(ring->alarm_time, utc(2016, 2, 29, 23, 59, 59, 999));
    }

    void everyTableLoadsByDeletionAndKey_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<TableLoaders>("loaders");
        // Keys 3, 1 and 2 (deleted) belong to parent 1, key 4 to parent 2; inserted out of order.
        const auto row = [](const char* table, const char* columns, const TableLoaders& loaders) {
            QTest::newRow(table) << QStringLiteral(
                                        "INSERT INTO %1 (%2, is_deleted) VALUES (3, 1, 0), "
                                        "(1, 1, 0), (2, 1, 1), (4, 2, 0);")
                                        .arg(QLatin1String(table), QLatin1String(columns))
                                 << loaders;
        };
        using Q = DatabaseQuery;
        row("RECURRENCE", "recurrence_id, sample_id",
            loadersOf(&Q::loadRecurrences, &Q::getRecurrenceById, &Q::selectRecurrenceBySampleId));
        row("FIELD", "field_id, todo_id",
            loadersOf(&Q::loadFields, &Q::getFieldById, &Q::selectFieldByTodoId));
        row("BINARY", "binary_id, todo_id",
            loadersOf(&Q::loadBinaries, &Q::getBinaryById, &Q::selectBinaryByTodoId));
        row("ALARM", "alarm_id, todo_id",
            loadersOf(&Q::loadAlarms, &Q::getAlarmById, &Q::selectAlarmByTodoId));
        // Field types have no parent; the second column is the name.
        row("FIELD_TYPE", "field_type_id, name",
            loadersOf<FieldType>(&Q::loadFieldTypes, &Q::getFieldTypeById, nullptr));
        QTest::newRow("TODO_PROJECT")
            << QStringLiteral(
                   "INSERT INTO TODO_PROJECT (todo_id, is_deleted, is_sample, recurrence_id) "
                   "VALUES (3, 0, 0, -1), (1, 0, 0, -1), (2, 1, 0, -1), (4, 0, 0, -1), (5, 0, 1, 7);")
            << TableLoaders{[](Q& q, bool deleted) {
                                QList<Todo*> todos;
                                q.loadTodos(&todos, nullptr, deleted);
                                return describeAll(todos);
                            },
                            [](Q& q, int key) { return byId(q, &Q::getTodoById, key); },
                            [](Q& q, int key) { return byId(q, &Q::getSampleById, key + 4); }};
    }

    void everyTableLoadsByDeletionAndKey()
    {
        QFETCH(QString, rows);
        QFETCH(TableLoaders, loaders);
        stored(rows);
        DatabaseQuery query(m_connector);
        const bool todos = QByteArray(QTest::currentDataTag()) == "TODO_PROJECT";
        const bool fieldTypes = QByteArray(QTest::currentDataTag()) == "FIELD_TYPE";

        QCOMPARE(loaders.listed(query, false), QStringList({"1 new", "3 new", "4 new"}));
        QCOMPARE(loaders.listed(query, true), QStringList({"2 deleted removed new"}));
        QCOMPARE(loaders.byId(query, 1), QStringList({"1 synchronized"}));
        QCOMPARE(loaders.byId(query, 2), QStringList({"2 deleted removed synchronized"}));
        if (todos) // samples are a list of their own
            QCOMPARE(loaders.byParent(query, 1), QStringList({"5 synchronized"}));
        else if (!fieldTypes)
            QCOMPARE(loaders.byParent(query, 1),
                     QStringList({"1 new", "2 deleted removed new", "3 new"}));
    }

    void rowsWithKeyZeroAndMissingRows()
    {
        stored(
            QStringLiteral("INSERT INTO TODO_PROJECT (todo_id, is_deleted, is_sample) VALUES "
                           "(0, 0, 1), (5, 0, 1), (6, 0, 0);"
                           "INSERT INTO ALARM (alarm_id, todo_id, is_deleted) VALUES (0, 6, 0);"));
        DatabaseQuery query(m_connector);
        LogCapture log;
        QList<Todo*> samples;
        QVERIFY(query.loadSamples(&samples, false));
        QCOMPARE(samples.size(), 1);
        QCOMPARE(samples.constFirst()->id, 5);
        qDeleteAll(samples);
        // Found, but no record is given for key 0.
        Todo* sampleZero = nullptr;
        QCOMPARE(query.getSampleById(&sampleZero, 0), true);
        QCOMPARE(sampleZero, nullptr);
        Alarm* alarmZero = nullptr;
        QVERIFY(query.getAlarmById(&alarmZero, 0));
        QVERIFY(alarmZero);
        delete alarmZero;
        QCOMPARE(log.lines(), QList<QByteArray>());

        // A todo's key asked for as a sample's is missing: nothing is given.
        Todo* untouched = reinterpret_cast<Todo*>(&log);
        QCOMPARE(query.getSampleById(&untouched, 6), false);
        QCOMPARE(untouched, reinterpret_cast<Todo*>(&log));
        QCOMPARE(log.messages(), QStringList{"WARNING No such sample in the database."});
    }

    void storedDatesAreTakenAsUtc_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        // Milliseconds are read in rowsHoldEveryFieldAndReadBack.
        QTest::newRow("without milliseconds") << "2012-03-04 05:06:07" << utc(2012, 3, 4, 5, 6, 7);
        QTest::newRow("ISO separator") << "2012-03-04T05:06:07.089" << utc(2012, 3, 4, 5, 6, 7, 89);
        // 02:30 does not exist on the device's clock that night; as UTC it is an ordinary time.
        QTest::newRow("in the device's daylight-saving gap")
            << "2015-03-29 02:30:00.000" << utc(2015, 3, 29, 2, 30);
        QTest::newRow("not a date") << "tomorrow" << QDateTime();
        QTest::newRow("impossible day") << "2015-02-30 10:00:00.000" << QDateTime();
        QTest::newRow("letter in the year") << "2x12-03-04 05:06:07.089" << QDateTime();
        QTest::newRow("letter in the milliseconds") << "2012-03-04 05:06:07.0x9" << QDateTime();
    }

    void storedDatesAreTakenAsUtc()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        stored(QStringLiteral("INSERT INTO FIELD_TYPE VALUES (1, '%1', 'name', 0);").arg(text));
        DatabaseQuery query(m_connector);
        FieldType* fieldType = nullptr;
        QVERIFY(query.getFieldTypeById(&fieldType, 1));
        const std::unique_ptr<FieldType> owner(fieldType);
        QCOMPARE(fieldType->lastModDate.isValid(), expected.isValid());
        if (expected.isValid())
            QCOMPARE(fieldType->lastModDate, expected);
        QCOMPARE(fieldType->lastModDate.timeSpec(), Qt::UTC);

        // Years beyond four digits keep all of them when written.
        QVERIFY(StoredDate::toText(utc(12345, 6, 7, 8, 9)).startsWith(QLatin1String("12345-")));
        QCOMPARE(StoredDate::toText(utc(987, 6, 7, 8, 9, 10, 11)),
                 QStringLiteral("0987-06-07 08:09:10.011"));
    }

    void similarTodosAreFound()
    {
        std::unique_ptr<Todo> plain(new Todo(m_connector));
        QVERIFY(plain->save());
        std::unique_ptr<Todo> first(new Todo(m_connector));
        std::unique_ptr<Todo> twin(new Todo(m_connector));
        for (Todo* todo : {first.get(), twin.get()}) {
            todo->setTimeZone(QStringLiteral("+05:45"));
            todo->setStartDate(utc(2012, 3, 4, 5, 6, 7, 89));
            todo->setNote(QStringLiteral("it's \"the same\""));
            todo->setIsDone(true);
            todo->creation_date = utc(2011, 1, 1, 0, 0);
            QVERIFY(todo->save());
        }
        DatabaseQuery query(m_connector);
        QCOMPARE(query.selectSimilarTodoIds(plain.get()), QList<int>({plain->id}));
        QList<int> twins = query.selectSimilarTodoIds(first.get());
        std::sort(twins.begin(), twins.end());
        QCOMPARE(twins, QList<int>({first->id, twin->id}));
        twin->setStatus(1);
        QCOMPARE(query.selectSimilarTodoIds(twin.get()), QList<int>());
    }

    void softDeletedRecordIsWrittenThenDeleted()
    {
        std::unique_ptr<Todo> todo(new Todo(m_connector));
        QVERIFY(todo->save());
        std::unique_ptr<Alarm> alarm(new Alarm(m_connector));
        todo->addAlarm(alarm.get());
        // Every write of an alarm row is recorded before the row goes.
        stored(QStringLiteral(
            "CREATE TABLE WRITTEN (alarm_id INTEGER, is_deleted INTEGER);"
            "CREATE TRIGGER ALARM_INSERTED AFTER INSERT ON ALARM BEGIN INSERT INTO WRITTEN VALUES "
            "(new.alarm_id, new.is_deleted); END;"));
        alarm->setIsDeleted(true);
        QVERIFY(alarm->save());
        QCOMPARE(alarm->lastError, QString());
        QCOMPARE(stored(QStringLiteral("SELECT alarm_id || '|' || is_deleted FROM WRITTEN;")),
                 QStringLiteral("%1|1").arg(alarm->id));
        QCOMPARE(stored(QStringLiteral("SELECT count(*) FROM ALARM;")), QStringLiteral("0"));
    }

    void failingStatementsAreLogged()
    {
        std::unique_ptr<Todo> todo(new Todo(m_connector));
        QVERIFY(todo->save());
        auto* alarm = new Alarm(m_connector);
        todo->addAlarm(alarm);
        alarm->setAlarmTime(utc(2012, 3, 4, 5, 6, 7, 89));
        QVERIFY(alarm->save());
        stored(QStringLiteral("DROP TABLE ALARM;"));
        alarm->setIsActive(true);
        LogCapture log;

        // A failed update still counts as saved: the record is synchronized, its error kept.
        QCOMPARE(alarm->save(), true);
        QVERIFY2(alarm->lastError.startsWith(QLatin1String("no such table: ALARM")),
                 qPrintable(alarm->lastError));
        QCOMPARE(alarm->isSynchronized, true);
        const QStringList messages = log.messages();
        QCOMPARE(messages.size(), 12);
        QCOMPARE(messages.constFirst(),
                 QStringLiteral("ERROR Error occured while modifying the database: "));
        QCOMPARE(messages.mid(3, 8),
                 (QStringList{"ERROR :alarm_id: 1", "ERROR :alarm_time: 2012-03-04 05:06:07.089",
                              "ERROR :is_active: true", "ERROR :is_deleted: false",
                              "ERROR :last_mod_date: 2015-01-14 11:00:00.000", "ERROR :snooze: 0",
                              "ERROR :snooze_interval: 5", "ERROR :todo_id: 1"}));
        QCOMPARE(messages.constLast(), QStringLiteral("ERROR Database modification failed."));

        // A failed insert clears isNew as well, and the next successful command leaves no error.
        std::unique_ptr<Todo> lost(new Todo(m_connector));
        stored(QStringLiteral("DROP TABLE TODO_PROJECT;"));
        QCOMPARE(lost->save(), true);
        QCOMPARE(lost->isNew, false);
        QCOMPARE(lost->id, INT_MIN);
        QCOMPARE(lost->lastModDate, frozenNowUtc);
        std::unique_ptr<FieldType> fieldType(new FieldType(m_connector));
        QVERIFY(fieldType->save());
        QCOMPARE(fieldType->lastError, QString());

        // Loading from a missing table fails without touching the list.
        log.clear();
        QList<Alarm*> alarms;
        DatabaseQuery query(m_connector);
        QCOMPARE(query.loadAlarms(&alarms, false), false);
        QVERIFY(alarms.isEmpty());
        const QStringList loading = log.messages();
        QCOMPARE(loading.size(), 3);
        QCOMPARE(loading.at(0),
                 QStringLiteral("ERROR Error occured while loading alarms from the database:"));
        QVERIFY2(loading.at(1).startsWith(QLatin1String("ERROR \"no such table: ALARM")),
                 qPrintable(loading.at(1)));

        // Without a statement object nothing runs, so nothing failed as far as the caller can see.
        HandMadeConnector none(nullptr, nullptr);
        std::unique_ptr<FieldType> unconnected(new FieldType(&none));
        log.clear();
        QVERIFY(unconnected->save());
        QCOMPARE(log.messages(), (QStringList{"ERROR QSqlQuery not initialized!",
                                              "ERROR Database modification failed."}));
        QCOMPARE(unconnected->lastError, QString());
        QCOMPARE(unconnected->isNew, false);
        // Nor does any read: every loader fails without touching what it is given.
        DatabaseQuery unprepared(&none);
        Todo* noTodo = nullptr;
        Alarm* noAlarm = nullptr;
        QList<Todo*> todos;
        const QVector<bool> refused{
            unprepared.loadTodos(&todos, nullptr, false), unprepared.loadAlarms(&alarms, false),
            unprepared.selectAlarmByTodoId(&alarms, 1),   unprepared.getAlarmById(&noAlarm, 1),
            unprepared.getTodoById(&noTodo, 1),           unprepared.getSampleById(&noTodo, 1)};
        QCOMPARE(refused, QVector<bool>(6, false));
        QVERIFY(todos.isEmpty() && alarms.isEmpty() && !noTodo && !noAlarm);
        QCOMPARE(unprepared.selectSimilarTodoIds(lost.get()), QList<int>());
    }

    void driverWithoutInsertIdsRefusesInserts()
    {
        const QString connectionName = QStringLiteral("without-insert-ids");
        {
            auto* handle = new QSqlDatabase(
                QSqlDatabase::addDatabase(new DriverWithoutInsertIds, connectionName));
            QVERIFY(handle->open());
            HandMadeConnector connector(handle, new QSqlQuery(*handle));
            std::unique_ptr<Todo> todo(new Todo(&connector));
            std::unique_ptr<Todo> sample(new Todo(&connector));
            std::unique_ptr<Recurrence> recurrence(new Recurrence(&connector));
            sample->id = 5;
            recurrence->setSample(sample.get());
            const QDateTime longAgo = utc(2000, 1, 1, 0, 0);
            todo->lastModDate = longAgo;
            recurrence->lastModDate = longAgo;
            LogCapture log;
            QVERIFY(todo->save());
            QVERIFY(recurrence->save());
            const QString refused =
                QStringLiteral("ERROR Error occured with insert command, "
                               "current Sql Driver do not have lastInsertId support");
            const QString failed = QStringLiteral("ERROR Database modification failed.");
            QCOMPARE(log.messages(), (QStringList{refused, failed, refused, failed}));
            QCOMPARE(todo->isNew, true);
            QCOMPARE(todo->lastModDate, longAgo);
            // A rule is stamped before the driver is asked.
            QCOMPARE(recurrence->isNew, true);
            QCOMPARE(recurrence->lastModDate, frozenNowUtc);
        }
        QSqlDatabase::removeDatabase(connectionName);
    }

    void attachmentBytesWaitUntilAskedFor()
    {
        QByteArray blob(5 * 1024 * 1024, '\0');
        for (int i = 0; i < blob.size(); ++i)
            blob[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
        std::unique_ptr<Todo> todo(new Todo(m_connector));
        auto* binary = new Binary(m_connector);
        todo->addBinary(binary);
        binary->setData(blob);
        QVERIFY(todo->save() && binary->save());
        const QString storedBlob =
            QStringLiteral("SELECT length(data) || '|' || hex(substr(data, 1, 4)) "
                           "|| '|' || hex(substr(data, 5242877)) FROM BINARY;");
        const QString expectedBlob = QStringLiteral("5242880|00070E15|%1")
                                         .arg(QString::fromLatin1(blob.right(4).toHex().toUpper()));
        QCOMPARE(stored(storedBlob), expectedBlob);

        DatabaseQuery query(m_connector);
        QList<Binary*> binaries;
        QVERIFY(query.loadBinaries(&binaries, false));
        QVERIFY(query.selectBinaryByTodoId(&binaries, todo->id));
        QCOMPARE(binaries.size(), 2);
        for (const Binary* loaded : std::as_const(binaries)) {
            QCOMPARE(loaded->data->size(), 0);
            QCOMPARE(loaded->size, binary->size);
        }
        qDeleteAll(binaries);

        // Saved without its bytes in memory, the attachment keeps the stored ones.
        binary->freeBinaryData();
        QCOMPARE(binary->data->size(), 0);
        binary->setNote(QStringLiteral("renamed"));
        QVERIFY(binary->save());
        QCOMPARE(stored(storedBlob), expectedBlob);
        // The signal comes last: the bytes are in place when it is emitted.
        int sizeSeenBySignal = -1;
        connect(binary, &Binary::loadBinaryDataFinished, this,
                [&] { sizeSeenBySignal = binary->data->size(); });
        binary->loadBinaryData();
        QCOMPARE(sizeSeenBySignal, blob.size());
        QVERIFY(*binary->data == blob);
    }

    void attachmentDataThatCannotBeLoaded()
    {
        Binary unsaved(m_connector);
        unsaved.setData(QByteArray("kept"));
        QSignalSpy finished(&unsaved, &Binary::loadBinaryDataFinished);
        LogCapture log;
        unsaved.loadBinaryData();
        unsaved.freeBinaryData();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(*unsaved.data, QByteArray("kept"));
        QCOMPARE(log.messages(),
                 (QStringList{"ERROR Can't load binary, data not saved in the database yet.",
                              "ERROR Can't free binary, data not saved in the database yet."}));

        // A row that went away leaves the attachment without bytes.
        std::unique_ptr<Todo> todo(new Todo(m_connector));
        auto* binary = new Binary(m_connector);
        todo->addBinary(binary);
        binary->setData(QByteArray("kept"));
        QVERIFY(todo->save() && binary->save());
        stored(QStringLiteral("DELETE FROM BINARY;"));
        log.clear();
        binary->loadBinaryData();
        QCOMPARE(*binary->data, QByteArray());
        QCOMPARE(log.lines(), QList<QByteArray>());
    }

    // Writes run on query objects kept per statement text beside the connector's shared one; the
    // keys SQLite assigns still reach the records and their children, in order.
    void interleavedRecordsCompileEachStatementOnce()
    {
        std::vector<std::unique_ptr<Todo>> todos;
        std::unique_ptr<FieldType> type(new FieldType(m_connector));
        QVERIFY(type->save());
        saveTodosWithChildren(todos, type.get(), 3);
        // The field type's insert and the three that alternate.
        QCOMPARE(StatementCache::preparedCount(m_connector->sqlQuery), 4);
        QCOMPARE(todos.back()->alarms->first()->todo_id, 3);
        QCOMPARE(
            stored(QStringLiteral("SELECT group_concat(t.todo_id || t.note || f.value, ',') FROM "
                                  "TODO_PROJECT t JOIN FIELD f ON f.todo_id = t.todo_id;")),
            QStringLiteral("1todo 0value 0,2todo 1value 1,3todo 2value 2"));
        todos.front()->setIsDone(true);
        QVERIFY(todos.front()->save());
        QCOMPARE(StatementCache::preparedCount(m_connector->sqlQuery), 5);
        todos.clear(); // before the type: they delete their field values
    }

    // Another program drops the table. A connection notices only when it next reads the schema: a
    // kept statement fails at execution, one prepared afterwards at preparation. A second
    // connection, independent of the library, shows both texts, and the library reports each.
    void keptStatementFailingAfterSchemaChangeReadsAsFreshOne()
    {
        std::vector<std::unique_ptr<Todo>> todos;
        std::unique_ptr<FieldType> type(new FieldType(m_connector));
        QVERIFY(type->save());
        saveTodosWithChildren(todos, type.get(), 1);
        Todo& todo = *todos.front();
        todo.setIsDone(true);
        QVERIFY(todo.save() && todo.lastError.isEmpty());
        QSqlDatabase probeConnection =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("probe"));
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
        todos.clear();
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
