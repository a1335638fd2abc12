// Writing records to a real SQLite file and reading them back. The clock is frozen at
// 2015-01-14 12:00:00 in Europe/Berlin (tst_persistence.cmake), so every row written carries
// the modification time 2015-01-14 11:00:00.000 UTC.

#include "loghandler.h"
#include "storage/statements.h"
#include "testsupport.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlDriver>
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

using namespace Orvel;
using OrvelTest::LogCapture;

namespace {

const QDateTime frozenNowUtc(QDate(2015, 1, 14), QTime(11, 0), Qt::UTC);

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

QByteArray errorLine(const QByteArray& message)
{
    return LogCapture::line("ERROR", message);
}

QByteArray quoted(const QString& text)
{
    return '"' + text.toUtf8() + '"';
}

// The stored fields of each record as text, so that one comparison shows every difference. A
// date shows whether it is UTC too (a trailing "Z").
QString t(const QDateTime& date)
{
    return date.toString(Qt::ISODateWithMs);
}

QString n(int number)
{
    return QString::number(number);
}

QStringList fieldsOf(const Todo& r)
{
    return {
        n(r.id),          r.time_zone,        t(r.start_date), t(r.end_date), t(r.creation_date),
        t(r.lastModDate), n(r.status),        n(r.is_done),    r.note,        r.format_string,
        n(r.isDeleted),   n(r.recurrence_id), n(r.is_sample)};
}

QStringList fieldsOf(const Recurrence& r)
{
    return {n(r.id),        n(r.sample_id),       t(r.lastModDate), n(r.is_active),
            n(r.repeats),   n(r.repeats_every),   r.repeats_on,     t(r.range_start),
            t(r.range_end), t(r.instancing_date), n(r.isDeleted)};
}

QStringList fieldsOf(const Alarm& r)
{
    return {n(r.id),        n(r.todo_id), t(r.lastModDate),     t(r.alarm_time),
            n(r.is_active), n(r.snooze),  n(r.snooze_interval), n(r.isDeleted)};
}

QStringList fieldsOf(const Binary& r)
{
    return {n(r.id), n(r.todo_id), t(r.lastModDate), r.note, n(r.type), n(r.size), n(r.isDeleted)};
}

QStringList fieldsOf(const Field& r)
{
    return {n(r.id), n(r.todo_id), n(r.field_type_id), t(r.lastModDate),
            r.value, r.db_id,      r.contact_id,       n(r.isDeleted)};
}

QStringList fieldsOf(const FieldType& r)
{
    return {n(r.id), t(r.lastModDate), r.name, n(r.isDeleted)};
}

// Every copy the loaders give of one record: by its key, by its parent (when given) and in the
// list of live records.
template <typename Record>
QList<Record*> loadEveryWay(DatabaseQuery& query, bool (DatabaseQuery::*byId)(Record**, int),
                            int id, bool (DatabaseQuery::*listed)(QList<Record*>*, bool),
                            bool (DatabaseQuery::*byParent)(QList<Record*>*, int) = nullptr,
                            int parent = 0)
{
    QList<Record*> loaded;
    Record* record = nullptr;
    if ((query.*byId)(&record, id))
        loaded.append(record);
    if (byParent)
        (query.*byParent)(&loaded, parent);
    (query.*listed)(&loaded, false);
    return loaded;
}

// Compares (and frees) the loaded copies with the saved record.
template <typename Record>
void expectLoaded(const Record& saved, const QList<Record*>& loaded, int count)
{
    const auto freeLoaded = qScopeGuard([&] { qDeleteAll(loaded); });
    QCOMPARE(loaded.size(), count);
    for (const Record* record : loaded)
        QCOMPARE(fieldsOf(*record), fieldsOf(saved));
}

// A driver that opens without a database and cannot report inserted keys, for the insert's
// driver check.
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

// A connector around a given connection, so that the records can be given a driver without
// insert ids, or no statement object at all.
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

class PersistenceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void everyRecordRoundTrips();
    void newTodoIsInsertedOnceThenUpdated();
    void alarmWaitsForItsTodosRow();
    void softDeletedRecordIsWrittenThenDeleted_data();
    void softDeletedRecordIsWrittenThenDeleted();
    void datesAndFlagsAreStoredAsText();
    void textSurvivesRoundTrip_data();
    void textSurvivesRoundTrip();
    void failedInsertStillClearsIsNew();
    void failingUpdateIsLoggedWithEveryBoundValue();
    void driverWithoutInsertIdsRefusesInserts();
    void missingStatementObjectIsReported();
    void attachmentBlobSurvivesSaveWithoutData();
    void attachmentDataThatCannotBeLoaded_data();
    void attachmentDataThatCannotBeLoaded();

private:
    QString stored(const QString& sql) const { return OrvelTest::sqlite3(m_path, sql); }
    int rowCount(const char* table) const
    {
        return stored(QStringLiteral("SELECT count(*) FROM %1;").arg(QLatin1String(table))).toInt();
    }
    // A saved todo holding a saved attachment with the given bytes; the todo owns it.
    Binary* savedAttachment(std::unique_ptr<Todo>& todo, const QByteArray& data)
    {
        todo.reset(new Todo(m_connector));
        auto* binary = new Binary(m_connector);
        todo->addBinary(binary);
        binary->setData(data);
        return todo->save() && binary->save() ? binary : nullptr;
    }

    QString m_path;
    SqliteConnector* m_connector = nullptr;
};

void PersistenceTest::init()
{
    static int databaseNumber = 0;
    ++databaseNumber;
    m_path =
        OrvelTest::homeDirectory() + QStringLiteral("/persistence-%1.sqlite").arg(databaseNumber);
    m_connector = new SqliteConnector(m_path, QStringLiteral("persistence-%1").arg(databaseNumber));
    QVERIFY(m_connector->sqlQuery);
}

void PersistenceTest::cleanup()
{
    delete m_connector;
    m_connector = nullptr;
}

void PersistenceTest::everyRecordRoundTrips()
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
    todo->setFormatString(QStringLiteral("Call %-1%"));
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
    // The rule's key reaches the sample at its next save.
    QVERIFY(sample->save());
    QVERIFY(todo->save());
    // Only the live children hear of the todo's key, and none of them is written by the todo.
    QCOMPARE(QList<int>({alarm->todo_id, binary->todo_id, field->todo_id}),
             QList<int>({todo->id, todo->id, todo->id}));
    QCOMPARE(removedAlarm->todo_id, INT_MIN);
    QCOMPARE(alarm->isNew, true);
    QCOMPARE(rowCount("ALARM") + rowCount("BINARY") + rowCount("FIELD"), 0);
    QVERIFY(fieldType->save());
    QVERIFY(alarm->save());
    QVERIFY(binary->save());
    QVERIFY(field->save());

    // Every table starts from key 1; the ALARM insert never binds its key placeholder.
    QCOMPARE(QList<int>({sample->id, todo->id, recurrence->id, fieldType->id, alarm->id, binary->id,
                         field->id}),
             QList<int>({1, 2, 1, 1, 1, 1, 1}));
    QCOMPARE(stored(QStringLiteral(
                 "SELECT group_concat(todo_id) FROM TODO_PROJECT UNION ALL SELECT recurrence_id "
                 "FROM RECURRENCE UNION ALL SELECT field_type_id FROM FIELD_TYPE UNION ALL SELECT "
                 "alarm_id FROM ALARM UNION ALL SELECT binary_id FROM BINARY UNION ALL SELECT "
                 "field_id FROM FIELD;")),
             QStringLiteral("1,2\n1\n1\n1\n1\n1"));
    QCOMPARE(QList<int>({recurrence->sample_id, sample->recurrence_id, todo->recurrence_id}),
             QList<int>({1, 1, 1}));
    QCOMPARE(todo->start_date, utc(2014, 12, 24, 21, 30));
    QCOMPARE(recurrence->range_start, utc(2015, 1, 5, 7, 0));
    for (Entity* entity : std::initializer_list<Entity*>{sample.get(), todo.get(), recurrence.get(),
                                                         fieldType.get(), alarm, binary, field}) {
        QCOMPARE(entity->isNew, false);
        QCOMPARE(entity->isSynchronized, true);
        QCOMPARE(entity->lastError, QString());
        QCOMPARE(entity->lastModDate, frozenNowUtc);
    }

    DatabaseQuery query(m_connector);
    QList<Todo*> todos;
    Todo* todoById = nullptr;
    if (query.getTodoById(&todoById, todo->id))
        todos.append(todoById);
    query.loadTodos(&todos, nullptr, false);
    expectLoaded(*todo, todos, 2);
    expectLoaded(
        *sample,
        loadEveryWay(query, &DatabaseQuery::getSampleById, sample->id, &DatabaseQuery::loadSamples),
        2);
    expectLoaded(*recurrence,
                 loadEveryWay(query, &DatabaseQuery::getRecurrenceById, recurrence->id,
                              &DatabaseQuery::loadRecurrences,
                              &DatabaseQuery::selectRecurrenceBySampleId, sample->id),
                 3);
    expectLoaded(*fieldType,
                 loadEveryWay(query, &DatabaseQuery::getFieldTypeById, fieldType->id,
                              &DatabaseQuery::loadFieldTypes),
                 2);
    expectLoaded(*alarm,
                 loadEveryWay(query, &DatabaseQuery::getAlarmById, alarm->id,
                              &DatabaseQuery::loadAlarms, &DatabaseQuery::selectAlarmByTodoId,
                              todo->id),
                 3);
    expectLoaded(*binary,
                 loadEveryWay(query, &DatabaseQuery::getBinaryById, binary->id,
                              &DatabaseQuery::loadBinaries, &DatabaseQuery::selectBinaryByTodoId,
                              todo->id),
                 3);
    expectLoaded(*field,
                 loadEveryWay(query, &DatabaseQuery::getFieldById, field->id,
                              &DatabaseQuery::loadFields, &DatabaseQuery::selectFieldByTodoId,
                              todo->id),
                 3);
}

void PersistenceTest::newTodoIsInsertedOnceThenUpdated()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    todo->setNote(QStringLiteral("first"));
    QVERIFY(todo->save());
    const int key = todo->id;
    QVERIFY(key != INT_MIN);

    todo->setNote(QStringLiteral("second"));
    QVERIFY(todo->save());

    QCOMPARE(todo->id, key);
    QCOMPARE(stored(QStringLiteral("SELECT todo_id || '|' || note FROM TODO_PROJECT;")),
             QStringLiteral("%1|second").arg(key));
}

void PersistenceTest::alarmWaitsForItsTodosRow()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    auto* alarm = new Alarm(m_connector);
    todo->addAlarm(alarm);

    QCOMPARE(alarm->save(), false);
    QCOMPARE(alarm->lastError,
             QStringLiteral("Invalid todo_id (-2147483648), save can't be performed yet!"));
    QCOMPARE(alarm->isNew, true);
    QCOMPARE(rowCount("ALARM"), 0);

    QVERIFY(todo->save());
    QVERIFY(alarm->save());
    QCOMPARE(alarm->lastError, QString());
    QCOMPARE(stored(QStringLiteral("SELECT todo_id FROM ALARM WHERE alarm_id=%1;").arg(alarm->id)),
             QString::number(todo->id));
}

void PersistenceTest::softDeletedRecordIsWrittenThenDeleted_data()
{
    QTest::addColumn<bool>("storedBefore");
    QTest::newRow("stored alarm: update, then delete") << true;
    QTest::newRow("new alarm: insert, then delete") << false;
}

void PersistenceTest::softDeletedRecordIsWrittenThenDeleted()
{
    QFETCH(bool, storedBefore);
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    QVERIFY(todo->save());
    std::unique_ptr<Alarm> alarm(new Alarm(m_connector));
    todo->addAlarm(alarm.get());
    if (storedBefore)
        QVERIFY(alarm->save());
    // Every write of an alarm row is recorded before the row goes.
    stored(QStringLiteral(
        "CREATE TABLE WRITTEN (alarm_id INTEGER, is_deleted INTEGER);"
        "CREATE TRIGGER ALARM_INSERTED AFTER INSERT ON ALARM BEGIN INSERT INTO WRITTEN VALUES "
        "(new.alarm_id, new.is_deleted); END;"
        "CREATE TRIGGER ALARM_UPDATED AFTER UPDATE ON ALARM BEGIN INSERT INTO WRITTEN VALUES "
        "(new.alarm_id, new.is_deleted); END;"));

    alarm->setIsDeleted(true);
    QVERIFY(alarm->save());

    QCOMPARE(alarm->lastError, QString());
    QVERIFY(alarm->id > 0);
    QCOMPARE(stored(QStringLiteral("SELECT alarm_id || '|' || is_deleted FROM WRITTEN;")),
             QStringLiteral("%1|1").arg(alarm->id));
    QCOMPARE(rowCount("ALARM"), 0);
}

void PersistenceTest::datesAndFlagsAreStoredAsText()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    todo->setTimeZone(QStringLiteral("+05:45"));
    todo->setStartDate(utc(2012, 3, 4, 5, 6, 7, 89));
    todo->setIsDone(true);
    todo->setFormatString(QString());
    QVERIFY(todo->save());

    // An empty text is stored as text, never as NULL, so that the row can be found again by
    // its values.
    QCOMPARE(
        stored(QStringLiteral("SELECT start_date, typeof(start_date), is_done, is_deleted, "
                              "is_sample, last_mod_date, time_zone, typeof(format_string) "
                              "FROM TODO_PROJECT;")),
        QStringLiteral("2012-03-04 05:06:07.089|text|1|0|0|2015-01-14 11:00:00.000|+05:45|text"));
}

void PersistenceTest::textSurvivesRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("quotes, semicolon and comment")
        << QStringLiteral("it's \"quoted\"; DROP TABLE TODO_PROJECT; -- rest");
    QTest::newRow("unicode") << QStringLiteral(
        "Grüße, 日本語, emoji \U0001F600, tab\tand\nnewline");
    QTest::newRow("empty") << QString();
    QTest::newRow("one MiB") << QString(1024 * 1024, QLatin1Char('x'));
}

void PersistenceTest::textSurvivesRoundTrip()
{
    QFETCH(QString, text);
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    std::unique_ptr<FieldType> fieldType(new FieldType(m_connector));
    auto* binary = new Binary(m_connector);
    auto* field = new Field(m_connector);
    todo->addBinary(binary);
    todo->addField(field);
    field->setFieldType(fieldType.get());
    todo->setFormatString(text);
    todo->setNote(text);
    fieldType->setName(text);
    field->setValue(text);
    field->setDbId(text);
    field->setContactId(text);
    binary->setNote(text);
    QVERIFY(todo->save());
    QVERIFY(fieldType->save());
    QVERIFY(binary->save());
    QVERIFY(field->save());
    QCOMPARE(stored(QStringLiteral("SELECT length(CAST(note AS BLOB)) FROM TODO_PROJECT;")).toInt(),
             text.toUtf8().size());

    DatabaseQuery query(m_connector);
    QList<Todo*> todos;
    Todo* todoById = nullptr;
    if (query.getTodoById(&todoById, todo->id))
        todos.append(todoById);
    expectLoaded(*todo, todos, 1);
    expectLoaded(*fieldType,
                 loadEveryWay(query, &DatabaseQuery::getFieldTypeById, fieldType->id,
                              &DatabaseQuery::loadFieldTypes),
                 2);
    expectLoaded(*binary,
                 loadEveryWay(query, &DatabaseQuery::getBinaryById, binary->id,
                              &DatabaseQuery::loadBinaries),
                 2);
    expectLoaded(
        *field,
        loadEveryWay(query, &DatabaseQuery::getFieldById, field->id, &DatabaseQuery::loadFields),
        2);
}

void PersistenceTest::failedInsertStillClearsIsNew()
{
    stored(QStringLiteral("DROP TABLE TODO_PROJECT;"));
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    todo->lastModDate = utc(2000, 1, 1, 0, 0);
    LogCapture log;

    QCOMPARE(todo->save(), true);

    QCOMPARE(todo->isNew, false);
    QCOMPARE(todo->isSynchronized, true);
    QCOMPARE(todo->id, INT_MIN);
    QCOMPARE(todo->lastModDate, frozenNowUtc);
    QVERIFY2(todo->lastError.startsWith(QLatin1String("no such table: TODO_PROJECT")),
             qPrintable(todo->lastError));
    QCOMPARE(log.lines().last(), errorLine("Database modification failed."));
}

void PersistenceTest::failingUpdateIsLoggedWithEveryBoundValue()
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

    QCOMPARE(alarm->save(), true);

    QVERIFY2(alarm->lastError.startsWith(QLatin1String("no such table: ALARM")),
             qPrintable(alarm->lastError));
    QCOMPARE(alarm->isSynchronized, true);
    const QList<QByteArray> expected = {errorLine("Error occured while modifying the database: "),
                                        errorLine(quoted(alarm->lastError)),
                                        errorLine(quoted(QLatin1String(Statements::updateAlarm))),
                                        errorLine(":alarm_id: " + QByteArray::number(alarm->id)),
                                        errorLine(":alarm_time: 2012-03-04 05:06:07.089"),
                                        errorLine(":is_active: true"),
                                        errorLine(":is_deleted: false"),
                                        errorLine(":last_mod_date: 2015-01-14 11:00:00.000"),
                                        errorLine(":snooze: 0"),
                                        errorLine(":snooze_interval: 5"),
                                        errorLine(":todo_id: " + QByteArray::number(todo->id)),
                                        errorLine("Database modification failed.")};
    QCOMPARE(log.lines(), expected);

    // The next successful command leaves no error behind.
    QVERIFY(todo->save());
    QCOMPARE(todo->lastError, QString());
}

void PersistenceTest::driverWithoutInsertIdsRefusesInserts()
{
    const QString connectionName = QStringLiteral("without-insert-ids");
    {
        auto* handle =
            new QSqlDatabase(QSqlDatabase::addDatabase(new DriverWithoutInsertIds, connectionName));
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

        const QByteArray refused = errorLine("Error occured with insert command, current Sql "
                                             "Driver do not have lastInsertId support");
        const QByteArray failed = errorLine("Database modification failed.");
        QCOMPARE(log.lines(), QList<QByteArray>({refused, failed, refused, failed}));
        QCOMPARE(todo->isNew, true);
        QCOMPARE(todo->lastModDate, longAgo);
        QCOMPARE(todo->id, INT_MIN);
        // A rule is stamped before the driver is asked.
        QCOMPARE(recurrence->isNew, true);
        QCOMPARE(recurrence->lastModDate, frozenNowUtc);
    }
    QSqlDatabase::removeDatabase(connectionName);
}

void PersistenceTest::missingStatementObjectIsReported()
{
    HandMadeConnector connector(nullptr, nullptr);
    std::unique_ptr<FieldType> fieldType(new FieldType(&connector));
    LogCapture log;

    QVERIFY(fieldType->save());
    QVERIFY(fieldType->save());

    const QByteArray missing = errorLine("QSqlQuery not initialized!");
    const QByteArray failed = errorLine("Database modification failed.");
    QCOMPARE(log.lines(), QList<QByteArray>({missing, failed, missing, failed}));
    // Nothing ran, so nothing failed as far as the record's caller can see.
    QCOMPARE(fieldType->lastError, QString());
    QCOMPARE(fieldType->isNew, false);
}

void PersistenceTest::attachmentBlobSurvivesSaveWithoutData()
{
    QByteArray blob(5 * 1024 * 1024, '\0');
    for (int i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    std::unique_ptr<Todo> todo;
    Binary* binary = savedAttachment(todo, blob);
    QVERIFY(binary);
    const QString storedBlob =
        QStringLiteral("SELECT length(data) || '|' || hex(substr(data, 1, 4)) "
                       "|| '|' || hex(substr(data, 5242877)) FROM BINARY;");
    const QString expectedBlob = QStringLiteral("5242880|00070E15|%1")
                                     .arg(QString::fromLatin1(blob.right(4).toHex().toUpper()));
    QCOMPARE(stored(storedBlob), expectedBlob);

    binary->freeBinaryData();
    QCOMPARE(binary->data->size(), 0);
    binary->setNote(QStringLiteral("renamed"));
    QVERIFY(binary->save());
    QCOMPARE(binary->lastError, QString());
    QCOMPARE(stored(storedBlob), expectedBlob);
    QCOMPARE(stored(QStringLiteral("SELECT note FROM BINARY;")), QStringLiteral("renamed"));

    // The signal comes last: the bytes are in place when it is emitted.
    int sizeSeenBySignal = -1;
    connect(binary, &Binary::loadBinaryDataFinished, this,
            [&] { sizeSeenBySignal = binary->data->size(); });
    binary->loadBinaryData();
    QCOMPARE(sizeSeenBySignal, blob.size());
    QVERIFY(*binary->data == blob);

    // Bytes held in memory are written with the row.
    binary->setData(QByteArray("new"));
    QVERIFY(binary->save());
    QCOMPARE(stored(QStringLiteral("SELECT CAST(data AS TEXT) FROM BINARY;")),
             QStringLiteral("new"));
}

void PersistenceTest::attachmentDataThatCannotBeLoaded_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<QByteArray>("dataAfter");
    // The beginnings of the logged lines; the driver's own text follows "no such table".
    QTest::addColumn<QList<QByteArray>>("log");
    QTest::newRow("never saved") << QString() << QByteArray("kept")
                                 << QList<QByteArray>{
                                        errorLine("Can't load binary, data not saved in the "
                                                  "database yet."),
                                        errorLine("Can't free binary, data not saved in the "
                                                  "database yet.")};
    QTest::newRow("row gone") << QStringLiteral("DELETE FROM BINARY;") << QByteArray()
                              << QList<QByteArray>();
    QTest::newRow("table gone")
        << QStringLiteral("DROP TABLE BINARY;") << QByteArray("kept")
        << QList<QByteArray>{
               errorLine("Error occured while loading binary data from the database:"),
               LogCapture::line("ERROR", "\"no such table: BINARY"),
               errorLine(quoted(QLatin1String(Statements::selectBinaryData)))};
}

void PersistenceTest::attachmentDataThatCannotBeLoaded()
{
    QFETCH(QString, breakage);
    QFETCH(QByteArray, dataAfter);
    QFETCH(QList<QByteArray>, log);
    std::unique_ptr<Todo> todo;
    std::unique_ptr<Binary> unsaved;
    Binary* binary = nullptr;
    if (breakage.isEmpty()) {
        unsaved.reset(new Binary(m_connector));
        unsaved->setData(QByteArray("kept"));
        binary = unsaved.get();
    } else {
        binary = savedAttachment(todo, QByteArray("kept"));
        QVERIFY(binary);
        stored(breakage);
    }
    QSignalSpy finished(binary, &Binary::loadBinaryDataFinished);
    LogCapture capture;

    binary->loadBinaryData();
    if (breakage.isEmpty())
        binary->freeBinaryData();

    QCOMPARE(finished.count(), 1);
    QCOMPARE(*binary->data, dataAfter);
    QList<QByteArray> lines = capture.lines();
    QCOMPARE(lines.size(), log.size());
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(lines.at(i).left(log.at(i).size()), log.at(i));
}

QTEST_GUILESS_MAIN(PersistenceTest)
#include "tst_persistence.moc"
