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

    void everyInsertTakesTheAssignedKey();
    void newTodoIsInsertedOnceThenUpdated();
    void newTodoPassesItsKeyToLiveChildren();
    void alarmWaitsForItsTodosRow();
    void softDeletedRecordIsWrittenThenDeleted_data();
    void softDeletedRecordIsWrittenThenDeleted();
    void datesAndFlagsAreStoredAsText();
    void textSurvivesRoundTrip_data();
    void textSurvivesRoundTrip();
    void todoRoundTrip();
    void sampleAndRecurrenceRoundTrip();
    void childrenRoundTrip();
    void failedInsertStillClearsIsNew();
    void failingUpdateIsLoggedWithEveryBoundValue();
    void driverWithoutInsertIdsRefusesInserts();
    void missingStatementObjectIsReported();
    void attachmentBlobSurvivesSaveWithoutData();
    void unsavedAttachmentCannotLoadOrFree();
    void attachmentWithoutRowLoadsNoBytes();
    void failingDataLoadIsLogged();

private:
    QString stored(const QString& sql) const { return OrvelTest::sqlite3(m_path, sql); }
    int rowCount(const char* table) const
    {
        return stored(QStringLiteral("SELECT count(*) FROM %1;").arg(QLatin1String(table))).toInt();
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

void PersistenceTest::everyInsertTakesTheAssignedKey()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    std::unique_ptr<FieldType> fieldType(new FieldType(m_connector));
    auto* alarm = new Alarm(m_connector);
    auto* binary = new Binary(m_connector);
    auto* field = new Field(m_connector);
    todo->addAlarm(alarm);
    todo->addBinary(binary);
    todo->addField(field);
    field->setFieldType(fieldType.get());

    QVERIFY(todo->save());
    QVERIFY(fieldType->save());
    QVERIFY(alarm->save());
    QVERIFY(binary->save());
    QVERIFY(field->save());

    // Every table starts from key 1; the ALARM insert never binds its key placeholder.
    const QList<QPair<const char*, int>> keys = {
        {"SELECT todo_id FROM TODO_PROJECT;", todo->id},
        {"SELECT field_type_id FROM FIELD_TYPE;", fieldType->id},
        {"SELECT alarm_id FROM ALARM;", alarm->id},
        {"SELECT binary_id FROM BINARY;", binary->id},
        {"SELECT field_id FROM FIELD;", field->id}};
    for (const auto& key : keys) {
        QCOMPARE(key.second, 1);
        QCOMPARE(stored(QLatin1String(key.first)), QStringLiteral("1"));
    }
    for (Entity* entity :
         std::initializer_list<Entity*>{todo.get(), fieldType.get(), alarm, binary, field}) {
        QCOMPARE(entity->isNew, false);
        QCOMPARE(entity->isSynchronized, true);
        QCOMPARE(entity->lastError, QString());
        QCOMPARE(entity->lastModDate, frozenNowUtc);
    }
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
    QCOMPARE(rowCount("TODO_PROJECT"), 1);
    QCOMPARE(stored(QStringLiteral("SELECT todo_id || '|' || note FROM TODO_PROJECT;")),
             QStringLiteral("%1|second").arg(key));
}

void PersistenceTest::newTodoPassesItsKeyToLiveChildren()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    std::unique_ptr<FieldType> fieldType(new FieldType(m_connector));
    auto* alarm = new Alarm(m_connector);
    auto* binary = new Binary(m_connector);
    auto* field = new Field(m_connector);
    std::unique_ptr<Alarm> removedAlarm(new Alarm(m_connector));
    todo->addAlarm(alarm);
    todo->addBinary(binary);
    todo->addField(field);
    field->setFieldType(fieldType.get());
    todo->addAlarm(removedAlarm.get());
    todo->removeAlarm(removedAlarm.get());

    QVERIFY(todo->save());

    QVERIFY(todo->id > 0);
    QCOMPARE(alarm->todo_id, todo->id);
    QCOMPARE(binary->todo_id, todo->id);
    QCOMPARE(field->todo_id, todo->id);
    // Only the live children hear of the key, and none of them is written by the todo.
    QCOMPARE(removedAlarm->todo_id, INT_MIN);
    QCOMPARE(alarm->isNew, true);
    QCOMPARE(rowCount("ALARM") + rowCount("BINARY") + rowCount("FIELD"), 0);
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
    QCOMPARE(alarm->isRemoved, true);
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

    QCOMPARE(stored(QStringLiteral("SELECT start_date, typeof(start_date), is_done, is_deleted, "
                                   "is_sample, last_mod_date, time_zone FROM TODO_PROJECT;")),
             QStringLiteral("2012-03-04 05:06:07.089|text|1|0|0|2015-01-14 11:00:00.000|+05:45"));
    // An empty text is stored as text, never as NULL, so that the row can be found again by
    // its values.
    QCOMPARE(stored(QStringLiteral("SELECT typeof(format_string) FROM TODO_PROJECT;")),
             QStringLiteral("text"));
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
    Todo* loadedTodo = nullptr;
    FieldType* loadedType = nullptr;
    Binary* loadedBinary = nullptr;
    Field* loadedField = nullptr;
    const auto freeLoaded = qScopeGuard([&] {
        delete loadedTodo;
        delete loadedType;
        delete loadedBinary;
        delete loadedField;
    });
    QVERIFY(query.getTodoById(&loadedTodo, todo->id));
    QVERIFY(query.getFieldTypeById(&loadedType, fieldType->id));
    QVERIFY(query.getBinaryById(&loadedBinary, binary->id));
    QVERIFY(query.getFieldById(&loadedField, field->id));
    QCOMPARE(loadedTodo->note, text);
    QCOMPARE(loadedTodo->format_string, text);
    QCOMPARE(loadedType->name, text);
    QCOMPARE(loadedBinary->note, text);
    QCOMPARE(loadedField->value, text);
    QCOMPARE(loadedField->db_id, text);
    QCOMPARE(loadedField->contact_id, text);
}

namespace {

void compareTodos(const Todo& loaded, const Todo& saved)
{
    QCOMPARE(loaded.id, saved.id);
    QCOMPARE(loaded.time_zone, saved.time_zone);
    QCOMPARE(loaded.start_date, saved.start_date);
    QCOMPARE(loaded.start_date.timeSpec(), Qt::UTC);
    QCOMPARE(loaded.end_date, saved.end_date);
    QCOMPARE(loaded.creation_date, saved.creation_date);
    QCOMPARE(loaded.lastModDate, saved.lastModDate);
    QCOMPARE(loaded.lastModDate.timeSpec(), Qt::UTC);
    QCOMPARE(loaded.status, saved.status);
    QCOMPARE(loaded.is_done, saved.is_done);
    QCOMPARE(loaded.note, saved.note);
    QCOMPARE(loaded.format_string, saved.format_string);
    QCOMPARE(loaded.isDeleted, saved.isDeleted);
    QCOMPARE(loaded.recurrence_id, saved.recurrence_id);
    QCOMPARE(loaded.is_sample, saved.is_sample);
}

void compareRecurrences(const Recurrence& loaded, const Recurrence& saved)
{
    QCOMPARE(loaded.id, saved.id);
    QCOMPARE(loaded.sample_id, saved.sample_id);
    QCOMPARE(loaded.lastModDate, saved.lastModDate);
    QCOMPARE(loaded.is_active, saved.is_active);
    QCOMPARE(loaded.repeats, saved.repeats);
    QCOMPARE(loaded.repeats_every, saved.repeats_every);
    QCOMPARE(loaded.repeats_on, saved.repeats_on);
    QCOMPARE(loaded.range_start, saved.range_start);
    QCOMPARE(loaded.range_end, saved.range_end);
    QCOMPARE(loaded.instancing_date, saved.instancing_date);
    QCOMPARE(loaded.isDeleted, saved.isDeleted);
}

void compareAlarms(const Alarm& loaded, const Alarm& saved)
{
    QCOMPARE(loaded.id, saved.id);
    QCOMPARE(loaded.todo_id, saved.todo_id);
    QCOMPARE(loaded.lastModDate, saved.lastModDate);
    QCOMPARE(loaded.alarm_time, saved.alarm_time);
    QCOMPARE(loaded.is_active, saved.is_active);
    QCOMPARE(loaded.snooze, saved.snooze);
    QCOMPARE(loaded.snooze_interval, saved.snooze_interval);
    QCOMPARE(loaded.isDeleted, saved.isDeleted);
}

void compareBinaries(const Binary& loaded, const Binary& saved)
{
    QCOMPARE(loaded.id, saved.id);
    QCOMPARE(loaded.todo_id, saved.todo_id);
    QCOMPARE(loaded.lastModDate, saved.lastModDate);
    QCOMPARE(loaded.note, saved.note);
    QCOMPARE(loaded.type, saved.type);
    QCOMPARE(loaded.size, saved.size);
    QCOMPARE(loaded.isDeleted, saved.isDeleted);
    // The bytes stay in the database until they are asked for.
    QCOMPARE(loaded.data->size(), 0);
}

void compareFields(const Field& loaded, const Field& saved)
{
    QCOMPARE(loaded.id, saved.id);
    QCOMPARE(loaded.todo_id, saved.todo_id);
    QCOMPARE(loaded.field_type_id, saved.field_type_id);
    QCOMPARE(loaded.lastModDate, saved.lastModDate);
    QCOMPARE(loaded.value, saved.value);
    QCOMPARE(loaded.db_id, saved.db_id);
    QCOMPARE(loaded.contact_id, saved.contact_id);
    QCOMPARE(loaded.isDeleted, saved.isDeleted);
}

void compareFieldTypes(const FieldType& loaded, const FieldType& saved)
{
    QCOMPARE(loaded.id, saved.id);
    QCOMPARE(loaded.lastModDate, saved.lastModDate);
    QCOMPARE(loaded.name, saved.name);
    QCOMPARE(loaded.isDeleted, saved.isDeleted);
}

// Compares the one record of each way of loading with the saved one.
template <typename Record, typename Compare>
void compareLoaded(const QList<Record*>& byId, const QList<Record*>& byParent,
                   const QList<Record*>& listed, const Record& saved, Compare compare)
{
    for (const QList<Record*>* loaded : {&byId, &byParent, &listed}) {
        if (loaded->isEmpty() && loaded != &byParent)
            QFAIL("record not loaded");
        for (const Record* record : *loaded) {
            compare(*record, saved);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

} // namespace

void PersistenceTest::todoRoundTrip()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    todo->setTimeZone(QStringLiteral("-03:30"));
    todo->setStartDate(QDateTime(QDate(2014, 12, 24), QTime(18, 0), Qt::LocalTime));
    todo->setEndDate(utc(2014, 12, 25, 2, 15, 30, 999));
    todo->creation_date = utc(2001, 2, 3, 4, 5, 6, 7);
    todo->setStatus(42);
    todo->setIsDone(true);
    todo->setFormatString(QStringLiteral("Call %-1%"));
    todo->setNote(QStringLiteral("Call the office"));
    QVERIFY(todo->save());
    QCOMPARE(todo->start_date, utc(2014, 12, 24, 21, 30));

    DatabaseQuery query(m_connector);
    Todo* byId = nullptr;
    QList<Todo*> listed;
    const auto freeLoaded = qScopeGuard([&] {
        delete byId;
        qDeleteAll(listed);
    });
    QVERIFY(query.getTodoById(&byId, todo->id));
    QVERIFY(query.loadTodos(&listed, nullptr, false));
    QCOMPARE(listed.size(), 1);
    compareLoaded<Todo>({byId}, {}, listed, *todo, compareTodos);
    QCOMPARE(byId->isNew, false);
    QCOMPARE(byId->isSynchronized, true);
    QCOMPARE(listed.first()->isNew, true);
    QCOMPARE(listed.first()->isSynchronized, false);
}

void PersistenceTest::sampleAndRecurrenceRoundTrip()
{
    std::unique_ptr<Todo> sample(new Todo(m_connector));
    std::unique_ptr<Recurrence> recurrence(new Recurrence(m_connector));
    std::unique_ptr<Todo> instance(new Todo(m_connector));
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
    instance->setRecurrence(recurrence.get());

    QVERIFY(sample->save());
    QVERIFY(recurrence->save());
    // The rule's key reaches the sample and the instance at their next save.
    QVERIFY(sample->save());
    QVERIFY(instance->save());
    QCOMPARE(recurrence->sample_id, sample->id);
    QCOMPARE(sample->recurrence_id, recurrence->id);
    QCOMPARE(instance->recurrence_id, recurrence->id);
    QCOMPARE(recurrence->range_start, utc(2015, 1, 5, 7, 0));

    DatabaseQuery query(m_connector);
    Todo* sampleById = nullptr;
    Todo* instanceById = nullptr;
    Recurrence* recurrenceById = nullptr;
    QList<Todo*> samples;
    QList<Recurrence*> bySample;
    QList<Recurrence*> recurrences;
    const auto freeLoaded = qScopeGuard([&] {
        delete sampleById;
        delete instanceById;
        delete recurrenceById;
        qDeleteAll(samples);
        qDeleteAll(bySample);
        qDeleteAll(recurrences);
    });
    QVERIFY(query.getSampleById(&sampleById, sample->id));
    QVERIFY(query.getTodoById(&instanceById, instance->id));
    QVERIFY(query.loadSamples(&samples, false));
    QVERIFY(query.getRecurrenceById(&recurrenceById, recurrence->id));
    QVERIFY(query.selectRecurrenceBySampleId(&bySample, sample->id));
    QVERIFY(query.loadRecurrences(&recurrences, false));
    QCOMPARE(samples.size(), 1);
    QCOMPARE(bySample.size(), 1);
    QCOMPARE(recurrences.size(), 1);
    compareLoaded<Todo>({sampleById}, {}, samples, *sample, compareTodos);
    compareTodos(*instanceById, *instance);
    compareLoaded<Recurrence>({recurrenceById}, bySample, recurrences, *recurrence,
                              compareRecurrences);
}

void PersistenceTest::childrenRoundTrip()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    std::unique_ptr<FieldType> fieldType(new FieldType(m_connector));
    auto* alarm = new Alarm(m_connector);
    auto* binary = new Binary(m_connector);
    auto* field = new Field(m_connector);
    todo->setTimeZone(QStringLiteral("+01:00"));
    todo->addAlarm(alarm);
    todo->addBinary(binary);
    todo->addField(field);
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
    QVERIFY(todo->save());
    QVERIFY(fieldType->save());
    QVERIFY(alarm->save());
    QVERIFY(binary->save());
    QVERIFY(field->save());

    DatabaseQuery query(m_connector);
    Alarm* alarmById = nullptr;
    Binary* binaryById = nullptr;
    Field* fieldById = nullptr;
    FieldType* fieldTypeById = nullptr;
    QList<Alarm*> alarmsByTodo, alarms;
    QList<Binary*> binariesByTodo, binaries;
    QList<Field*> fieldsByTodo, fields;
    QList<FieldType*> fieldTypes;
    const auto freeLoaded = qScopeGuard([&] {
        delete alarmById;
        delete binaryById;
        delete fieldById;
        delete fieldTypeById;
        qDeleteAll(alarmsByTodo);
        qDeleteAll(alarms);
        qDeleteAll(binariesByTodo);
        qDeleteAll(binaries);
        qDeleteAll(fieldsByTodo);
        qDeleteAll(fields);
        qDeleteAll(fieldTypes);
    });
    QVERIFY(query.getAlarmById(&alarmById, alarm->id));
    QVERIFY(query.selectAlarmByTodoId(&alarmsByTodo, todo->id));
    QVERIFY(query.loadAlarms(&alarms, false));
    QVERIFY(query.getBinaryById(&binaryById, binary->id));
    QVERIFY(query.selectBinaryByTodoId(&binariesByTodo, todo->id));
    QVERIFY(query.loadBinaries(&binaries, false));
    QVERIFY(query.getFieldById(&fieldById, field->id));
    QVERIFY(query.selectFieldByTodoId(&fieldsByTodo, todo->id));
    QVERIFY(query.loadFields(&fields, false));
    QVERIFY(query.getFieldTypeById(&fieldTypeById, fieldType->id));
    QVERIFY(query.loadFieldTypes(&fieldTypes, false));
    for (int size : {alarmsByTodo.size(), alarms.size(), binariesByTodo.size(), binaries.size(),
                     fieldsByTodo.size(), fields.size()})
        QCOMPARE(size, 1);
    QCOMPARE(fieldTypes.size(), 1);
    compareLoaded<Alarm>({alarmById}, alarmsByTodo, alarms, *alarm, compareAlarms);
    compareLoaded<Binary>({binaryById}, binariesByTodo, binaries, *binary, compareBinaries);
    compareLoaded<Field>({fieldById}, fieldsByTodo, fields, *field, compareFields);
    compareLoaded<FieldType>({fieldTypeById}, {}, fieldTypes, *fieldType, compareFieldTypes);
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
    QCOMPARE(fieldType->id, INT_MIN);
}

void PersistenceTest::attachmentBlobSurvivesSaveWithoutData()
{
    QByteArray blob(5 * 1024 * 1024, '\0');
    for (int i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    QVERIFY(todo->save());
    auto* binary = new Binary(m_connector);
    todo->addBinary(binary);
    binary->setData(blob);
    QVERIFY(binary->save());
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
    QSignalSpy finished(binary, &Binary::loadBinaryDataFinished);
    int sizeSeenBySignal = -1;
    connect(binary, &Binary::loadBinaryDataFinished, this,
            [&] { sizeSeenBySignal = binary->data->size(); });
    binary->loadBinaryData();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(sizeSeenBySignal, blob.size());
    QVERIFY(*binary->data == blob);

    // Bytes held in memory are written with the row.
    binary->setData(QByteArray("new"));
    QVERIFY(binary->save());
    QCOMPARE(stored(QStringLiteral("SELECT CAST(data AS TEXT) FROM BINARY;")),
             QStringLiteral("new"));
}

void PersistenceTest::unsavedAttachmentCannotLoadOrFree()
{
    std::unique_ptr<Binary> unsaved(new Binary(m_connector));
    unsaved->setData(QByteArray("kept"));
    QSignalSpy finished(unsaved.get(), &Binary::loadBinaryDataFinished);
    LogCapture log;

    unsaved->loadBinaryData();
    unsaved->freeBinaryData();

    QCOMPARE(finished.count(), 1);
    QCOMPARE(*unsaved->data, QByteArray("kept"));
    QCOMPARE(
        log.lines(),
        QList<QByteArray>({errorLine("Can't load binary, data not saved in the database yet."),
                           errorLine("Can't free binary, data not saved in the database yet.")}));
}

void PersistenceTest::attachmentWithoutRowLoadsNoBytes()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    QVERIFY(todo->save());
    auto* binary = new Binary(m_connector);
    todo->addBinary(binary);
    binary->setData(QByteArray("gone"));
    QVERIFY(binary->save());
    stored(QStringLiteral("DELETE FROM BINARY;"));
    QSignalSpy finished(binary, &Binary::loadBinaryDataFinished);
    LogCapture log;

    binary->loadBinaryData();

    QCOMPARE(finished.count(), 1);
    QCOMPARE(binary->data->size(), 0);
    QCOMPARE(log.lines(), QList<QByteArray>());
}

void PersistenceTest::failingDataLoadIsLogged()
{
    std::unique_ptr<Todo> todo(new Todo(m_connector));
    QVERIFY(todo->save());
    auto* binary = new Binary(m_connector);
    todo->addBinary(binary);
    binary->setData(QByteArray("kept"));
    QVERIFY(binary->save());
    stored(QStringLiteral("DROP TABLE BINARY;"));
    QSignalSpy finished(binary, &Binary::loadBinaryDataFinished);
    LogCapture log;

    binary->loadBinaryData();

    QCOMPARE(finished.count(), 1);
    QCOMPARE(*binary->data, QByteArray("kept"));
    QCOMPARE(log.lines().size(), 3);
    QCOMPARE(log.lines().at(0),
             errorLine("Error occured while loading binary data from the database:"));
    QVERIFY2(log.lines().at(1).startsWith(LogCapture::line("ERROR", "\"no such table: BINARY")),
             log.lines().at(1).constData());
    QCOMPARE(log.lines().at(2), errorLine(quoted(QLatin1String(Statements::selectBinaryData))));
}

QTEST_GUILESS_MAIN(PersistenceTest)
#include "tst_persistence.moc"
