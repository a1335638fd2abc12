// Reading records back. The rows are written with the sqlite3 program, so what the loaders are
// expected to build comes from the rows themselves and not from the library's own write path.
// The device zone is Europe/Berlin (tst_loaders.cmake), which has a daylight-saving gap.

#include "loghandler.h"
#include "storage/statements.h"
#include "testsupport.h"

#include <QScopeGuard>
#include <QTest>
#include <algorithm>
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

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

// Key and flags of a loaded record in one line, so that a failing comparison shows them all.
QString describe(const Entity& entity, int id)
{
    QString line = QString::number(id);
    const std::pair<bool, const char*> flags[] = {{entity.isDeleted, " deleted"},
                                                  {entity.isRemoved, " removed"},
                                                  {entity.isNew, " new"},
                                                  {entity.isSynchronized, " synchronized"}};
    for (const auto& flag : flags)
        if (flag.first)
            line += QLatin1String(flag.second);
    return line;
}

// What a loader call did: its result, whether it appended to its list or wrote its out-pointer,
// and the records it gave.
struct Outcome
{
    bool result;
    bool touchedItsOutput;
    QStringList records;
};

template <typename Record, typename Load> Outcome listed(Load load)
{
    QList<Record*> records;
    const bool result = load(&records);
    Outcome outcome = {result, !records.isEmpty(), {}};
    for (const Record* record : records)
        outcome.records << describe(*record, record->id);
    qDeleteAll(records);
    return outcome;
}

template <typename Record, typename Load> Outcome byId(Load load)
{
    // Never dereferenced: only compared, to see whether the loader wrote the out-pointer.
    static int marker = 0;
    Record* const untouched = reinterpret_cast<Record*>(&marker);
    Record* record = untouched;
    const bool result = load(&record);
    Outcome outcome = {result, record != untouched, {}};
    if (outcome.touchedItsOutput && record) {
        outcome.records << describe(*record, record->id);
        delete record;
    }
    return outcome;
}

// Calls a loader by its name; the argument is the key, the parent's key, or for the list
// loaders whether deleted rows are wanted.
Outcome run(DatabaseQuery& query, const QByteArray& loader, int argument)
{
    DatabaseQuery& q = query;
    const int a = argument;
    if (loader == "loadTodos")
        return listed<Todo>([&](QList<Todo*>* l) { return q.loadTodos(l, nullptr, a); });
    if (loader == "loadSamples")
        return listed<Todo>([&](QList<Todo*>* l) { return q.loadSamples(l, a); });
    if (loader == "loadRecurrences")
        return listed<Recurrence>([&](QList<Recurrence*>* l) { return q.loadRecurrences(l, a); });
    if (loader == "loadFieldTypes")
        return listed<FieldType>([&](QList<FieldType*>* l) { return q.loadFieldTypes(l, a); });
    if (loader == "loadFields")
        return listed<Field>([&](QList<Field*>* l) { return q.loadFields(l, a); });
    if (loader == "loadBinaries")
        return listed<Binary>([&](QList<Binary*>* l) { return q.loadBinaries(l, a); });
    if (loader == "loadAlarms")
        return listed<Alarm>([&](QList<Alarm*>* l) { return q.loadAlarms(l, a); });
    if (loader == "getTodoById")
        return byId<Todo>([&](Todo** r) { return q.getTodoById(r, a); });
    if (loader == "getSampleById")
        return byId<Todo>([&](Todo** r) { return q.getSampleById(r, a); });
    if (loader == "getRecurrenceById")
        return byId<Recurrence>([&](Recurrence** r) { return q.getRecurrenceById(r, a); });
    if (loader == "getFieldTypeById")
        return byId<FieldType>([&](FieldType** r) { return q.getFieldTypeById(r, a); });
    if (loader == "getFieldById")
        return byId<Field>([&](Field** r) { return q.getFieldById(r, a); });
    if (loader == "getBinaryById")
        return byId<Binary>([&](Binary** r) { return q.getBinaryById(r, a); });
    if (loader == "getAlarmById")
        return byId<Alarm>([&](Alarm** r) { return q.getAlarmById(r, a); });
    if (loader == "selectFieldByTodoId")
        return listed<Field>([&](QList<Field*>* l) { return q.selectFieldByTodoId(l, a); });
    if (loader == "selectBinaryByTodoId")
        return listed<Binary>([&](QList<Binary*>* l) { return q.selectBinaryByTodoId(l, a); });
    if (loader == "selectAlarmByTodoId")
        return listed<Alarm>([&](QList<Alarm*>* l) { return q.selectAlarmByTodoId(l, a); });
    if (loader == "selectRecurrenceBySampleId")
        return listed<Recurrence>(
            [&](QList<Recurrence*>* l) { return q.selectRecurrenceBySampleId(l, a); });
    if (loader == "selectSimilarTodoIds") {
        Todo todo(q.databaseConnector);
        return {!q.selectSimilarTodoIds(&todo).isEmpty(), false, {}};
    }
    qFatal("unknown loader %s", loader.constData());
    return {false, false, {}};
}

// The records a loader gave, in key order where SQLite chooses the order.
QStringList sortedRecords(DatabaseQuery& query, const QByteArray& loader, int argument)
{
    QStringList records = run(query, loader, argument).records;
    records.sort();
    return records;
}

} // namespace

class LoadersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void todoColumnsBecomeFields_data();
    void todoColumnsBecomeFields();
    void todoListsSeparateDeletedLiveAndSamples_data();
    void todoListsSeparateDeletedLiveAndSamples();
    void listLoadersAppendInKeyOrder();
    void everyTableLoadsByDeletionAndKey_data();
    void everyTableLoadsByDeletionAndKey();
    void recordColumnsBecomeFields();
    void recurrencePatternMustFitItsKind_data();
    void recurrencePatternMustFitItsKind();
    void rowsWithKeyZero();
    void missingRowIsWarned_data();
    void missingRowIsWarned();
    void failingStatementIsLogged_data();
    void failingStatementIsLogged();
    void attachmentBytesWaitUntilAskedFor();
    void storedDatesAreTakenAsUtc_data();
    void storedDatesAreTakenAsUtc();
    void similarTodosAreFound();

private:
    QString stored(const QString& sql) const { return OrvelTest::sqlite3(m_path, sql); }

    QString m_path;
    SqliteConnector* m_connector = nullptr;
};

void LoadersTest::init()
{
    static int databaseNumber = 0;
    ++databaseNumber;
    m_path = OrvelTest::homeDirectory() + QStringLiteral("/loaders-%1.sqlite").arg(databaseNumber);
    m_connector = new SqliteConnector(m_path, QStringLiteral("loaders-%1").arg(databaseNumber));
    QVERIFY(m_connector->sqlQuery);
}

void LoadersTest::cleanup()
{
    delete m_connector;
    m_connector = nullptr;
}

void LoadersTest::todoColumnsBecomeFields_data()
{
    QTest::addColumn<bool>("byId");
    QTest::newRow("by identifier") << true;
    QTest::newRow("listed") << false;
}

void LoadersTest::todoColumnsBecomeFields()
{
    QFETCH(bool, byId);
    // The zone is not the device's, the note is not the expansion of the format string and the
    // modification time is old: each would show if the loader set the fields in another order.
    stored(QStringLiteral(
        "INSERT INTO TODO_PROJECT VALUES (7, '2012-03-04 05:06:07.089', '2012-03-04 06:00:00.000', "
        "'+05:45', '2013-01-02 03:04:05.006', '2011-11-11 11:11:11.111', 3, 1, 'Stored note', "
        "'Due %-1%', 0, 12, 0);"));
    DatabaseQuery query(m_connector);
    Todo* todo = nullptr;
    QList<Todo*> todos;
    const auto freeLoaded = qScopeGuard([&] {
        delete todo;
        qDeleteAll(todos);
    });
    if (byId) {
        QVERIFY(query.getTodoById(&todo, 7));
    } else {
        QVERIFY(query.loadTodos(&todos, nullptr, false));
        QCOMPARE(todos.size(), 1);
        todo = todos.takeFirst();
    }

    QCOMPARE(todo->id, 7);
    QCOMPARE(todo->time_zone, QStringLiteral("+05:45"));
    QCOMPARE(todo->start_date, utc(2012, 3, 4, 5, 6, 7, 89));
    QCOMPARE(todo->start_date.timeSpec(), Qt::UTC);
    QCOMPARE(todo->end_date, utc(2012, 3, 4, 6, 0));
    QCOMPARE(todo->startDate(Stored).time(), QTime(10, 51, 7, 89));
    QCOMPARE(todo->lastModDate, utc(2013, 1, 2, 3, 4, 5, 6));
    QCOMPARE(todo->lastModDate.timeSpec(), Qt::UTC);
    QCOMPARE(todo->creation_date, utc(2011, 11, 11, 11, 11, 11, 111));
    QCOMPARE(QList<int>({todo->status, todo->is_done, todo->recurrence_id, todo->is_sample}),
             QList<int>({3, 1, 12, 0}));
    QCOMPARE(QStringList({todo->note, todo->format_string}),
             QStringList({"Stored note", "Due %-1%"}));
    QCOMPARE(todo->recurrence, nullptr);
    QCOMPARE(describe(*todo, todo->id), QLatin1String(byId ? "7 synchronized" : "7 new"));
}

void LoadersTest::todoListsSeparateDeletedLiveAndSamples_data()
{
    QTest::addColumn<QByteArray>("loader");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("live todos") << QByteArray("loadTodos") << false << QStringList{"1 new"};
    QTest::newRow("deleted todos")
        << QByteArray("loadTodos") << true << QStringList{"2 deleted removed new"};
    QTest::newRow("live samples") << QByteArray("loadSamples") << false << QStringList{"3 new"};
    QTest::newRow("deleted samples")
        << QByteArray("loadSamples") << true << QStringList{"4 deleted removed new"};
}

void LoadersTest::todoListsSeparateDeletedLiveAndSamples()
{
    QFETCH(QByteArray, loader);
    QFETCH(bool, deleted);
    QFETCH(QStringList, expected);
    stored(QStringLiteral("INSERT INTO TODO_PROJECT (todo_id, is_deleted, is_sample, "
                          "recurrence_id) VALUES (1, 0, 0, -1), (2, 1, 0, -1), (3, 0, 1, 5), "
                          "(4, 1, 1, 6);"));
    DatabaseQuery query(m_connector);

    const Outcome outcome = run(query, loader, deleted);

    QVERIFY(outcome.result);
    QCOMPARE(outcome.records, expected);
}

void LoadersTest::listLoadersAppendInKeyOrder()
{
    stored(QStringLiteral("INSERT INTO TODO_PROJECT (todo_id, is_deleted, is_sample) VALUES "
                          "(5, 0, 0), (2, 0, 0), (9, 0, 0);"));
    std::unique_ptr<Todo> earlier(new Todo(m_connector));
    QList<Todo*> todos = {earlier.get()};
    const auto freeLoaded = qScopeGuard([&] { qDeleteAll(todos); });
    DatabaseQuery query(m_connector);

    QVERIFY(query.loadTodos(&todos, nullptr, false));
    QVERIFY(query.loadTodos(&todos, nullptr, false));

    QCOMPARE(todos.takeFirst(), earlier.get());
    QStringList loaded;
    for (const Todo* todo : std::as_const(todos))
        loaded << QString::number(todo->id);
    QCOMPARE(loaded, QStringList({"2", "5", "9", "2", "5", "9"}));
}

void LoadersTest::everyTableLoadsByDeletionAndKey_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QByteArray>("listLoader");
    QTest::addColumn<QByteArray>("byIdLoader");
    QTest::addColumn<QByteArray>("byParentLoader");
    // Keys 3, 1 and 2 (deleted) belong to parent 1, key 4 to parent 2; inserted out of order.
    const auto row = [](const char* table, const char* columns, const char* listLoader,
                        const char* byIdLoader, const char* byParentLoader) {
        QTest::newRow(table) << QStringLiteral("INSERT INTO %1 (%2, is_deleted) VALUES (3, 1, 0), "
                                               "(1, 1, 0), (2, 1, 1), (4, 2, 0);")
                                    .arg(QLatin1String(table), QLatin1String(columns))
                             << QByteArray(listLoader) << QByteArray(byIdLoader)
                             << QByteArray(byParentLoader);
    };
    row("RECURRENCE", "recurrence_id, sample_id", "loadRecurrences", "getRecurrenceById",
        "selectRecurrenceBySampleId");
    row("FIELD", "field_id, todo_id", "loadFields", "getFieldById", "selectFieldByTodoId");
    row("BINARY", "binary_id, todo_id", "loadBinaries", "getBinaryById", "selectBinaryByTodoId");
    row("ALARM", "alarm_id, todo_id", "loadAlarms", "getAlarmById", "selectAlarmByTodoId");
    // Field types have no parent; the second column is the name.
    row("FIELD_TYPE", "field_type_id, name", "loadFieldTypes", "getFieldTypeById", "");
}

void LoadersTest::everyTableLoadsByDeletionAndKey()
{
    QFETCH(QString, rows);
    QFETCH(QByteArray, listLoader);
    QFETCH(QByteArray, byIdLoader);
    QFETCH(QByteArray, byParentLoader);
    stored(rows);
    DatabaseQuery query(m_connector);

    QCOMPARE(run(query, listLoader, false).records, QStringList({"1 new", "3 new", "4 new"}));
    QCOMPARE(run(query, listLoader, true).records, QStringList({"2 deleted removed new"}));
    QCOMPARE(run(query, byIdLoader, 1).records, QStringList({"1 synchronized"}));
    QCOMPARE(run(query, byIdLoader, 2).records, QStringList({"2 deleted removed synchronized"}));
    if (!byParentLoader.isEmpty()) {
        QCOMPARE(sortedRecords(query, byParentLoader, 1),
                 QStringList({"1 new", "2 deleted removed new", "3 new"}));
        QCOMPARE(run(query, byParentLoader, 3).records, QStringList());
    }
}

void LoadersTest::recordColumnsBecomeFields()
{
    stored(QStringLiteral(
        "INSERT INTO RECURRENCE VALUES (4, 9, '2013-01-02 03:04:05.006', 1, 2, 3, '0010000', "
        "'2015-01-05 08:00:00.000', '2015-06-30 22:00:00.000', '2015-01-12 00:00:00.500', 0);"
        "INSERT INTO FIELD_TYPE VALUES (5, '2013-01-02 03:04:05.006', 'Phone', 0);"
        "INSERT INTO FIELD VALUES (6, 9, 5, '2013-01-02 03:04:05.006', '+49 30 1234', 'db-1', "
        "'contact-2', 0);"
        "INSERT INTO BINARY VALUES (7, 9, '2013-01-02 03:04:05.006', 'scan.png', 11, 1234, "
        "X'0102', 0);"
        "INSERT INTO ALARM VALUES (8, 9, '2013-01-02 03:04:05.006', '2016-02-29 23:59:59.999', 1, "
        "2, 15, 0);"));
    DatabaseQuery query(m_connector);
    Recurrence* recurrence = nullptr;
    FieldType* fieldType = nullptr;
    Field* field = nullptr;
    Binary* binary = nullptr;
    Alarm* alarm = nullptr;
    const auto freeLoaded = qScopeGuard([&] {
        delete recurrence;
        delete fieldType;
        delete field;
        delete binary;
        delete alarm;
    });
    QVERIFY(query.getRecurrenceById(&recurrence, 4));
    QVERIFY(query.getFieldTypeById(&fieldType, 5));
    QVERIFY(query.getFieldById(&field, 6));
    QVERIFY(query.getBinaryById(&binary, 7));
    QVERIFY(query.getAlarmById(&alarm, 8));

    for (const QDateTime& modified : {recurrence->lastModDate, fieldType->lastModDate,
                                      field->lastModDate, binary->lastModDate, alarm->lastModDate})
        QCOMPARE(modified, utc(2013, 1, 2, 3, 4, 5, 6));
    const auto number = [](int value) { return QString::number(value); };
    QCOMPARE(QStringList({number(recurrence->id), number(recurrence->sample_id),
                          number(recurrence->is_active), number(recurrence->repeats),
                          number(recurrence->repeats_every), recurrence->repeats_on}),
             QStringList({"4", "9", "1", "2", "3", "0010000"}));
    QCOMPARE(recurrence->range_start, utc(2015, 1, 5, 8, 0));
    QCOMPARE(recurrence->range_end, utc(2015, 6, 30, 22, 0));
    QCOMPARE(recurrence->instancing_date, utc(2015, 1, 12, 0, 0, 0, 500));
    QCOMPARE(recurrence->instancing_date.timeSpec(), Qt::UTC);
    QCOMPARE(recurrence->sample, nullptr);
    QCOMPARE(QStringList({number(fieldType->id), fieldType->name}), QStringList({"5", "Phone"}));
    QCOMPARE(QStringList({number(field->id), number(field->todo_id), number(field->field_type_id),
                          field->value, field->db_id, field->contact_id}),
             QStringList({"6", "9", "5", "+49 30 1234", "db-1", "contact-2"}));
    QCOMPARE(QStringList({number(binary->id), number(binary->todo_id), binary->note,
                          number(binary->type), number(binary->size)}),
             QStringList({"7", "9", "scan.png", "11", "1234"}));
    QCOMPARE(QStringList({number(alarm->id), number(alarm->todo_id), number(alarm->is_active),
                          number(alarm->snooze), number(alarm->snooze_interval)}),
             QStringList({"8", "9", "1", "2", "15"}));
    QCOMPARE(alarm->alarm_time, utc(2016, 2, 29, 23, 59, 59, 999));
}

// The full set of fitting and unfitting patterns is tried in tst_recurrence; here only that the
// loaders apply the check.
void LoadersTest::recurrencePatternMustFitItsKind_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QString>("storedPattern");
    QTest::addColumn<QString>("loadedPattern");
    const auto row = [](const char* name, int repeats, const QString& pattern, bool kept) {
        QTest::newRow(name) << repeats << pattern << (kept ? pattern : QString());
    };
    row("daily drops a weekday pattern", 1, QStringLiteral("0100000"), false);
    row("weekly keeps seven marks", 2, QStringLiteral("0100001"), true);
    row("monthly drops two weeks", 3, QStringLiteral("11100000100000"), false);
}

void LoadersTest::recurrencePatternMustFitItsKind()
{
    QFETCH(int, repeats);
    QFETCH(QString, storedPattern);
    QFETCH(QString, loadedPattern);
    stored(QStringLiteral("INSERT INTO RECURRENCE (recurrence_id, sample_id, repeats, repeats_on, "
                          "is_deleted) VALUES (1, 2, %1, '%2', 0);")
               .arg(repeats)
               .arg(storedPattern));
    DatabaseQuery query(m_connector);
    Recurrence* byId = nullptr;
    QList<Recurrence*> listedRecurrences;
    const auto freeLoaded = qScopeGuard([&] {
        delete byId;
        qDeleteAll(listedRecurrences);
    });

    QVERIFY(query.getRecurrenceById(&byId, 1));
    QVERIFY(query.loadRecurrences(&listedRecurrences, false));

    QCOMPARE(listedRecurrences.size(), 1);
    for (const Recurrence* recurrence : {byId, listedRecurrences.first()}) {
        QCOMPARE(int(recurrence->repeats), repeats);
        QCOMPARE(recurrence->repeats_on, loadedPattern);
    }
}

void LoadersTest::rowsWithKeyZero()
{
    stored(QStringLiteral("INSERT INTO TODO_PROJECT (todo_id, is_deleted, is_sample) VALUES "
                          "(0, 0, 1), (5, 0, 1), (6, 0, 0);"
                          "INSERT INTO ALARM (alarm_id, todo_id, is_deleted) VALUES (0, 6, 0);"));
    DatabaseQuery query(m_connector);
    LogCapture log;

    QCOMPARE(run(query, "loadSamples", false).records, QStringList({"5 new"}));
    // Found, but no record is given for key 0.
    const Outcome sampleZero = run(query, "getSampleById", 0);
    QCOMPARE(sampleZero.result, true);
    QCOMPARE(sampleZero.records, QStringList());
    QCOMPARE(run(query, "loadAlarms", false).records, QStringList({"0 new"}));

    stored(QStringLiteral("UPDATE TODO_PROJECT SET is_sample=0 WHERE todo_id=0;"));
    QCOMPARE(run(query, "loadTodos", false).records, QStringList({"6 new"}));
    QCOMPARE(run(query, "getTodoById", 0).records, QStringList({"0 synchronized"}));
    QCOMPARE(log.lines(), QList<QByteArray>());
}

void LoadersTest::missingRowIsWarned_data()
{
    QTest::addColumn<QByteArray>("loader");
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("warning");
    const auto row = [](const char* name, const char* loader, int key, const char* record) {
        QTest::newRow(name) << QByteArray(loader) << key
                            << "No such " + QByteArray(record) + " in the database.";
    };
    row("todo", "getTodoById", 99, "todo");
    row("todo asked for a sample's key", "getTodoById", 2, "todo");
    row("sample", "getSampleById", 99, "sample");
    row("sample asked for a todo's key", "getSampleById", 1, "sample");
    row("recurrence", "getRecurrenceById", 99, "recurrence");
    row("field type", "getFieldTypeById", 99, "fieldType");
    row("field", "getFieldById", 99, "field");
    row("attachment", "getBinaryById", 99, "binary");
    row("alarm", "getAlarmById", 99, "alarm");
}

void LoadersTest::missingRowIsWarned()
{
    QFETCH(QByteArray, loader);
    QFETCH(int, key);
    QFETCH(QByteArray, warning);
    stored(QStringLiteral("INSERT INTO TODO_PROJECT (todo_id, is_deleted, is_sample) VALUES "
                          "(1, 0, 0), (2, 0, 1);"));
    DatabaseQuery query(m_connector);
    LogCapture log;

    const Outcome outcome = run(query, loader, key);

    QCOMPARE(outcome.result, false);
    QCOMPARE(outcome.touchedItsOutput, false);
    QCOMPARE(log.lines(), QList<QByteArray>({LogCapture::line("WARNING", warning)}));
}

void LoadersTest::failingStatementIsLogged_data()
{
    QTest::addColumn<QByteArray>("loader");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("statement");
    // The message is "Error occured while loading <what> from the database:".
    const auto row = [](const char* loader, const char* what, const char* table,
                        const char* statement) {
        QTest::newRow(loader) << QByteArray(loader)
                              << "Error occured while loading " + QByteArray(what) +
                                     " from the database:"
                              << QByteArray(table) << QByteArray(statement);
    };
    row("loadTodos", "todos", "TODO_PROJECT", Statements::selectTodos);
    row("loadSamples", "samples", "TODO_PROJECT", Statements::selectTodos);
    row("loadRecurrences", "recurrences", "RECURRENCE", Statements::selectRecurrences);
    row("loadFieldTypes", "field types", "FIELD_TYPE", Statements::selectFieldTypes);
    row("loadFields", "fields", "FIELD", Statements::selectFields);
    row("loadBinaries", "binaries", "BINARY", Statements::selectBinaries);
    row("loadAlarms", "alarms", "ALARM", Statements::selectAlarms);
    row("getTodoById", "todo by id", "TODO_PROJECT", Statements::selectTodoById);
    row("getSampleById", "sample by id", "TODO_PROJECT", Statements::selectSampleById);
    row("getRecurrenceById", "recurrence by id", "RECURRENCE", Statements::selectRecurrenceById);
    row("getFieldTypeById", "field type by id", "FIELD_TYPE", Statements::selectFieldTypeById);
    row("getFieldById", "field by id", "FIELD", Statements::selectFieldById);
    row("getBinaryById", "binary by id", "BINARY", Statements::selectBinaryById);
    row("getAlarmById", "alarm by id", "ALARM", Statements::selectAlarmById);
    row("selectFieldByTodoId", "fields by todo id", "FIELD", Statements::selectFieldsByTodoId);
    row("selectBinaryByTodoId", "binaries by todo id", "BINARY",
        Statements::selectBinariesByTodoId);
    row("selectAlarmByTodoId", "alarms by todo id", "ALARM", Statements::selectAlarmsByTodoId);
    row("selectRecurrenceBySampleId", "recurrences by todo id", "RECURRENCE",
        Statements::selectRecurrencesBySampleId);
    row("selectSimilarTodoIds", "todos", "TODO_PROJECT", Statements::selectSimilarTodoIds);
}

void LoadersTest::failingStatementIsLogged()
{
    QFETCH(QByteArray, loader);
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, statement);
    stored(QStringLiteral("DROP TABLE %1;").arg(QString::fromLatin1(table)));
    DatabaseQuery query(m_connector);
    LogCapture log;

    const Outcome outcome = run(query, loader, 1);

    QCOMPARE(outcome.result, false);
    QCOMPARE(outcome.touchedItsOutput, false);
    const QList<QByteArray> lines = log.lines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), LogCapture::line("ERROR", message));
    const QByteArray driverText = LogCapture::line("ERROR", "\"no such table: " + table);
    QCOMPARE(lines.at(1).left(driverText.size()), driverText);
    QCOMPARE(lines.at(2), LogCapture::line("ERROR", '"' + statement + '"'));
}

void LoadersTest::attachmentBytesWaitUntilAskedFor()
{
    stored(QStringLiteral("INSERT INTO BINARY (binary_id, todo_id, size, data, is_deleted) "
                          "VALUES (1, 4, 3, X'00FF10', 0);"));
    DatabaseQuery query(m_connector);
    Binary* byIdBinary = nullptr;
    QList<Binary*> binaries;
    const auto freeLoaded = qScopeGuard([&] {
        delete byIdBinary;
        qDeleteAll(binaries);
    });
    QVERIFY(query.getBinaryById(&byIdBinary, 1));
    QVERIFY(query.loadBinaries(&binaries, false));
    QVERIFY(query.selectBinaryByTodoId(&binaries, 4));
    QCOMPARE(binaries.size(), 2);
    for (const Binary* binary : {byIdBinary, binaries.at(0), binaries.at(1)}) {
        QVERIFY(binary->data);
        QCOMPARE(binary->data->size(), 0);
        QCOMPARE(binary->size, 3);
    }

    byIdBinary->loadBinaryData();
    QCOMPARE(*byIdBinary->data, QByteArray("\x00\xff\x10", 3));
}

void LoadersTest::storedDatesAreTakenAsUtc_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("with milliseconds") << "2012-03-04 05:06:07.089" << utc(2012, 3, 4, 5, 6, 7, 89);
    QTest::newRow("without milliseconds") << "2012-03-04 05:06:07" << utc(2012, 3, 4, 5, 6, 7);
    QTest::newRow("ISO separator") << "2012-03-04T05:06:07.089" << utc(2012, 3, 4, 5, 6, 7, 89);
    // 02:30 does not exist on the device's clock that night; as UTC it is an ordinary time.
    QTest::newRow("in the device's daylight-saving gap")
        << "2015-03-29 02:30:00.000" << utc(2015, 3, 29, 2, 30);
    QTest::newRow("not a date") << "tomorrow" << QDateTime();
    QTest::newRow("impossible day") << "2015-02-30 10:00:00.000" << QDateTime();
}

void LoadersTest::storedDatesAreTakenAsUtc()
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
}

void LoadersTest::similarTodosAreFound()
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

QTEST_GUILESS_MAIN(LoadersTest)
#include "tst_loaders.moc"
