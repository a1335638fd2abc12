// Reading records back. The rows are written with the sqlite3 program, so what the loaders are
// expected to build comes from the rows themselves and not from the library's own write path.
// The device zone is Europe/Berlin (tst_loaders.cmake), which has a daylight-saving gap.

#include "loghandler.h"
#include "storage/statements.h"
#include "testsupport.h"

#include <QScopeGuard>
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

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

// Key and flags of a loaded record in one line, so that a failing comparison shows them all.
QString describe(int id, const Entity& entity)
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

template <typename Record> QStringList describeAll(QList<Record*>& records)
{
    QStringList lines;
    for (const Record* record : records)
        lines << describe(record->id, *record);
    qDeleteAll(records);
    records.clear();
    return lines;
}

// A list loader's records, or "failed".
template <typename Record, typename Load> QStringList listed(Load load)
{
    QList<Record*> records;
    if (!load(&records)) {
        qDeleteAll(records);
        return {QStringLiteral("failed")};
    }
    return describeAll(records);
}

// The rows of the by-todo and by-sample statements come in SQLite's order.
template <typename Record, typename Load> QStringList listedInAnyOrder(Load load)
{
    QStringList lines = listed<Record>(load);
    lines.sort();
    return lines;
}

// A by-identifier loader's record, "none" when it returned false, "found" when it returned
// true without a record.
template <typename Record, typename Load> QStringList loadedById(Load load)
{
    Record* record = nullptr;
    const bool found = load(&record);
    if (!found) {
        delete record;
        return {QStringLiteral("none")};
    }
    if (!record)
        return {QStringLiteral("found")};
    const QString line = describe(record->id, *record);
    delete record;
    return {line};
}

// What a loader call did: its result, and whether it appended to its list or wrote its
// out-pointer.
struct LoaderCall
{
    bool result;
    bool touchedItsOutput;
};

template <typename Record, typename Load> LoaderCall callListLoader(Load load)
{
    QList<Record*> records;
    const bool result = load(&records);
    const LoaderCall call = {result, !records.isEmpty()};
    qDeleteAll(records);
    return call;
}

template <typename Record, typename Load> LoaderCall callByIdLoader(Load load)
{
    // Never dereferenced: only compared, to see whether the loader wrote the out-pointer.
    static int marker = 0;
    Record* const untouched = reinterpret_cast<Record*>(&marker);
    Record* record = untouched;
    const bool result = load(&record);
    const bool touched = record != untouched;
    if (touched)
        delete record;
    return {result, touched};
}

LoaderCall callLoader(DatabaseQuery& query, const QByteArray& name, int key)
{
    if (name == "loadTodos")
        return callListLoader<Todo>(
            [&](QList<Todo*>* l) { return query.loadTodos(l, nullptr, false); });
    if (name == "loadSamples")
        return callListLoader<Todo>([&](QList<Todo*>* l) { return query.loadSamples(l, false); });
    if (name == "loadRecurrences")
        return callListLoader<Recurrence>(
            [&](QList<Recurrence*>* l) { return query.loadRecurrences(l, false); });
    if (name == "loadFieldTypes")
        return callListLoader<FieldType>(
            [&](QList<FieldType*>* l) { return query.loadFieldTypes(l, false); });
    if (name == "loadFields")
        return callListLoader<Field>([&](QList<Field*>* l) { return query.loadFields(l, false); });
    if (name == "loadBinaries")
        return callListLoader<Binary>(
            [&](QList<Binary*>* l) { return query.loadBinaries(l, false); });
    if (name == "loadAlarms")
        return callListLoader<Alarm>([&](QList<Alarm*>* l) { return query.loadAlarms(l, false); });
    if (name == "getTodoById")
        return callByIdLoader<Todo>([&](Todo** r) { return query.getTodoById(r, key); });
    if (name == "getSampleById")
        return callByIdLoader<Todo>([&](Todo** r) { return query.getSampleById(r, key); });
    if (name == "getRecurrenceById")
        return callByIdLoader<Recurrence>(
            [&](Recurrence** r) { return query.getRecurrenceById(r, key); });
    if (name == "getFieldTypeById")
        return callByIdLoader<FieldType>(
            [&](FieldType** r) { return query.getFieldTypeById(r, key); });
    if (name == "getFieldById")
        return callByIdLoader<Field>([&](Field** r) { return query.getFieldById(r, key); });
    if (name == "getBinaryById")
        return callByIdLoader<Binary>([&](Binary** r) { return query.getBinaryById(r, key); });
    if (name == "getAlarmById")
        return callByIdLoader<Alarm>([&](Alarm** r) { return query.getAlarmById(r, key); });
    if (name == "selectFieldByTodoId")
        return callListLoader<Field>(
            [&](QList<Field*>* l) { return query.selectFieldByTodoId(l, key); });
    if (name == "selectBinaryByTodoId")
        return callListLoader<Binary>(
            [&](QList<Binary*>* l) { return query.selectBinaryByTodoId(l, key); });
    if (name == "selectAlarmByTodoId")
        return callListLoader<Alarm>(
            [&](QList<Alarm*>* l) { return query.selectAlarmByTodoId(l, key); });
    if (name == "selectRecurrenceBySampleId")
        return callListLoader<Recurrence>(
            [&](QList<Recurrence*>* l) { return query.selectRecurrenceBySampleId(l, key); });
    if (name == "selectSimilarTodoIds") {
        Todo todo(query.databaseConnector);
        return {!query.selectSimilarTodoIds(&todo).isEmpty(), false};
    }
    qFatal("unknown loader %s", name.constData());
    return {false, false};
}

// The list, by-identifier and by-parent loaders of one table, addressed by the table's name.
QStringList listedFromTable(DatabaseQuery& query, const QString& table, bool deleted)
{
    if (table == QLatin1String("RECURRENCE"))
        return listed<Recurrence>(
            [&](QList<Recurrence*>* l) { return query.loadRecurrences(l, deleted); });
    if (table == QLatin1String("FIELD_TYPE"))
        return listed<FieldType>(
            [&](QList<FieldType*>* l) { return query.loadFieldTypes(l, deleted); });
    if (table == QLatin1String("FIELD"))
        return listed<Field>([&](QList<Field*>* l) { return query.loadFields(l, deleted); });
    if (table == QLatin1String("BINARY"))
        return listed<Binary>([&](QList<Binary*>* l) { return query.loadBinaries(l, deleted); });
    return listed<Alarm>([&](QList<Alarm*>* l) { return query.loadAlarms(l, deleted); });
}

QStringList loadedFromTableById(DatabaseQuery& query, const QString& table, int id)
{
    if (table == QLatin1String("RECURRENCE"))
        return loadedById<Recurrence>(
            [&](Recurrence** r) { return query.getRecurrenceById(r, id); });
    if (table == QLatin1String("FIELD_TYPE"))
        return loadedById<FieldType>([&](FieldType** r) { return query.getFieldTypeById(r, id); });
    if (table == QLatin1String("FIELD"))
        return loadedById<Field>([&](Field** r) { return query.getFieldById(r, id); });
    if (table == QLatin1String("BINARY"))
        return loadedById<Binary>([&](Binary** r) { return query.getBinaryById(r, id); });
    return loadedById<Alarm>([&](Alarm** r) { return query.getAlarmById(r, id); });
}

QStringList loadedFromTableByParent(DatabaseQuery& query, const QString& table, int parent)
{
    if (table == QLatin1String("RECURRENCE"))
        return listedInAnyOrder<Recurrence>(
            [&](QList<Recurrence*>* l) { return query.selectRecurrenceBySampleId(l, parent); });
    if (table == QLatin1String("FIELD"))
        return listedInAnyOrder<Field>(
            [&](QList<Field*>* l) { return query.selectFieldByTodoId(l, parent); });
    if (table == QLatin1String("BINARY"))
        return listedInAnyOrder<Binary>(
            [&](QList<Binary*>* l) { return query.selectBinaryByTodoId(l, parent); });
    return listedInAnyOrder<Alarm>(
        [&](QList<Alarm*>* l) { return query.selectAlarmByTodoId(l, parent); });
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
    QCOMPARE(todo->status, 3);
    QCOMPARE(todo->is_done, true);
    QCOMPARE(todo->note, QStringLiteral("Stored note"));
    QCOMPARE(todo->format_string, QStringLiteral("Due %-1%"));
    QCOMPARE(todo->isDeleted, false);
    QCOMPARE(todo->recurrence_id, 12);
    QCOMPARE(todo->is_sample, false);
    QCOMPARE(todo->recurrence, nullptr);
    QCOMPARE(todo->isNew, !byId);
    QCOMPARE(todo->isSynchronized, byId);
    QCOMPARE(todo->isRemoved, false);
}

void LoadersTest::todoListsSeparateDeletedLiveAndSamples_data()
{
    QTest::addColumn<bool>("samples");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("live todos") << false << false << QStringList{"1 new"};
    QTest::newRow("deleted todos") << false << true << QStringList{"2 deleted removed new"};
    QTest::newRow("live samples") << true << false << QStringList{"3 new"};
    QTest::newRow("deleted samples") << true << true << QStringList{"4 deleted removed new"};
}

void LoadersTest::todoListsSeparateDeletedLiveAndSamples()
{
    QFETCH(bool, samples);
    QFETCH(bool, deleted);
    QFETCH(QStringList, expected);
    stored(QStringLiteral("INSERT INTO TODO_PROJECT (todo_id, is_deleted, is_sample, "
                          "recurrence_id) VALUES (1, 0, 0, -1), (2, 1, 0, -1), (3, 0, 1, 5), "
                          "(4, 1, 1, 6);"));
    DatabaseQuery query(m_connector);
    QList<Todo*> todos;

    const bool result =
        samples ? query.loadSamples(&todos, deleted) : query.loadTodos(&todos, nullptr, deleted);

    QVERIFY(result);
    QCOMPARE(todos.size(), 1);
    QCOMPARE(todos.first()->is_sample, samples);
    QCOMPARE(describeAll(todos), expected);
}

void LoadersTest::listLoadersAppendInKeyOrder()
{
    stored(QStringLiteral("INSERT INTO TODO_PROJECT (todo_id, is_deleted, is_sample) VALUES "
                          "(5, 0, 0), (2, 0, 0), (9, 0, 0);"));
    std::unique_ptr<Todo> earlier(new Todo(m_connector));
    QList<Todo*> todos = {earlier.get()};
    DatabaseQuery query(m_connector);

    QVERIFY(query.loadTodos(&todos, nullptr, false));
    QVERIFY(query.loadTodos(&todos, nullptr, false));

    QCOMPARE(todos.takeFirst(), earlier.get());
    QCOMPARE(describeAll(todos),
             QStringList({"2 new", "5 new", "9 new", "2 new", "5 new", "9 new"}));
}

void LoadersTest::everyTableLoadsByDeletionAndKey_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("rows");
    // Keys 3, 1 and 2 (deleted) belong to parent 1, key 4 to parent 2; inserted out of order.
    QTest::newRow("recurrences")
        << QStringLiteral("RECURRENCE")
        << QStringLiteral("INSERT INTO RECURRENCE (recurrence_id, sample_id, is_deleted) VALUES "
                          "(3, 1, 0), (1, 1, 0), (2, 1, 1), (4, 2, 0);");
    QTest::newRow("field types") << QStringLiteral("FIELD_TYPE")
                                 << QStringLiteral(
                                        "INSERT INTO FIELD_TYPE (field_type_id, is_deleted) VALUES "
                                        "(3, 0), (1, 0), (2, 1), (4, 0);");
    QTest::newRow("fields") << QStringLiteral("FIELD")
                            << QStringLiteral(
                                   "INSERT INTO FIELD (field_id, todo_id, is_deleted) VALUES "
                                   "(3, 1, 0), (1, 1, 0), (2, 1, 1), (4, 2, 0);");
    QTest::newRow("attachments")
        << QStringLiteral("BINARY")
        << QStringLiteral("INSERT INTO BINARY (binary_id, todo_id, is_deleted) VALUES "
                          "(3, 1, 0), (1, 1, 0), (2, 1, 1), (4, 2, 0);");
    QTest::newRow("alarms") << QStringLiteral("ALARM")
                            << QStringLiteral(
                                   "INSERT INTO ALARM (alarm_id, todo_id, is_deleted) VALUES "
                                   "(3, 1, 0), (1, 1, 0), (2, 1, 1), (4, 2, 0);");
}

void LoadersTest::everyTableLoadsByDeletionAndKey()
{
    QFETCH(QString, table);
    QFETCH(QString, rows);
    stored(rows);
    DatabaseQuery query(m_connector);

    QCOMPARE(listedFromTable(query, table, false), QStringList({"1 new", "3 new", "4 new"}));
    QCOMPARE(listedFromTable(query, table, true), QStringList({"2 deleted removed new"}));
    QCOMPARE(loadedFromTableById(query, table, 1), QStringList({"1 synchronized"}));
    QCOMPARE(loadedFromTableById(query, table, 2), QStringList({"2 deleted removed synchronized"}));
    if (table != QLatin1String("FIELD_TYPE")) {
        QCOMPARE(loadedFromTableByParent(query, table, 1),
                 QStringList({"1 new", "2 deleted removed new", "3 new"}));
        QCOMPARE(loadedFromTableByParent(query, table, 3), QStringList());
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
    const QDateTime modified = utc(2013, 1, 2, 3, 4, 5, 6);
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

    QCOMPARE(recurrence->id, 4);
    QCOMPARE(recurrence->sample_id, 9);
    QCOMPARE(recurrence->lastModDate, modified);
    QCOMPARE(recurrence->is_active, true);
    QCOMPARE(recurrence->repeats, Weekly);
    QCOMPARE(recurrence->repeats_every, 3);
    QCOMPARE(recurrence->repeats_on, QStringLiteral("0010000"));
    QCOMPARE(recurrence->range_start, utc(2015, 1, 5, 8, 0));
    QCOMPARE(recurrence->range_end, utc(2015, 6, 30, 22, 0));
    QCOMPARE(recurrence->instancing_date, utc(2015, 1, 12, 0, 0, 0, 500));
    QCOMPARE(recurrence->instancing_date.timeSpec(), Qt::UTC);
    QCOMPARE(recurrence->sample, nullptr);

    QCOMPARE(fieldType->id, 5);
    QCOMPARE(fieldType->name, QStringLiteral("Phone"));
    QCOMPARE(fieldType->lastModDate, modified);

    QCOMPARE(field->id, 6);
    QCOMPARE(field->todo_id, 9);
    QCOMPARE(field->field_type_id, 5);
    QCOMPARE(field->value, QStringLiteral("+49 30 1234"));
    QCOMPARE(field->db_id, QStringLiteral("db-1"));
    QCOMPARE(field->contact_id, QStringLiteral("contact-2"));
    QCOMPARE(field->lastModDate, modified);

    QCOMPARE(binary->id, 7);
    QCOMPARE(binary->todo_id, 9);
    QCOMPARE(binary->note, QStringLiteral("scan.png"));
    QCOMPARE(int(binary->type), 11);
    QCOMPARE(binary->size, 1234);
    QCOMPARE(binary->lastModDate, modified);

    QCOMPARE(alarm->id, 8);
    QCOMPARE(alarm->todo_id, 9);
    QCOMPARE(alarm->alarm_time, utc(2016, 2, 29, 23, 59, 59, 999));
    QCOMPARE(alarm->is_active, true);
    QCOMPARE(alarm->snooze, 2);
    QCOMPARE(alarm->snooze_interval, 15);
    QCOMPARE(alarm->lastModDate, modified);
}

void LoadersTest::recurrencePatternMustFitItsKind_data()
{
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QString>("storedPattern");
    QTest::addColumn<QString>("loadedPattern");
    QTest::newRow("daily drops a weekday pattern") << 1 << "0100000"
                                                   << "";
    QTest::newRow("no repetition drops any pattern") << 0 << "1"
                                                     << "";
    QTest::newRow("weekly keeps seven marks") << 2 << "0100001"
                                              << "0100001";
    QTest::newRow("weekly drops a short pattern") << 2 << "01"
                                                  << "";
    QTest::newRow("weekly drops a pattern without a mark") << 2 << "0000000"
                                                           << "";
    QTest::newRow("monthly keeps a week and a weekday") << 3 << "11000000100000"
                                                        << "11000000100000";
    QTest::newRow("monthly keeps the last day") << 3 << "10000010000000"
                                                << "10000010000000";
    QTest::newRow("monthly drops two weeks") << 3 << "11100000100000"
                                             << "";
    QTest::newRow("monthly keeps a day of the month")
        << 3 << "0000000000000000000000000000" + QStringLiteral("1")
        << "0000000000000000000000000000" + QStringLiteral("1");
    QTest::newRow("unknown kind drops the pattern") << 9 << "0100000"
                                                    << "";
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

    QCOMPARE(listed<Todo>([&](QList<Todo*>* l) { return query.loadSamples(l, false); }),
             QStringList({"5 new"}));
    QCOMPARE(loadedById<Todo>([&](Todo** r) { return query.getSampleById(r, 0); }),
             QStringList({"found"}));
    QCOMPARE(listed<Alarm>([&](QList<Alarm*>* l) { return query.loadAlarms(l, false); }),
             QStringList({"0 new"}));

    stored(QStringLiteral("UPDATE TODO_PROJECT SET is_sample=0 WHERE todo_id=0;"));
    QCOMPARE(listed<Todo>([&](QList<Todo*>* l) { return query.loadTodos(l, nullptr, false); }),
             QStringList({"6 new"}));
    QCOMPARE(loadedById<Todo>([&](Todo** r) { return query.getTodoById(r, 0); }),
             QStringList({"0 synchronized"}));
    QCOMPARE(log.lines(), QList<QByteArray>());
}

void LoadersTest::missingRowIsWarned_data()
{
    QTest::addColumn<QByteArray>("loader");
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("warning");
    QTest::newRow("todo") << QByteArray("getTodoById") << 99
                          << QByteArray("No such todo in the database.");
    QTest::newRow("todo asked for a sample's key")
        << QByteArray("getTodoById") << 2 << QByteArray("No such todo in the database.");
    QTest::newRow("sample") << QByteArray("getSampleById") << 99
                            << QByteArray("No such sample in the database.");
    QTest::newRow("sample asked for a todo's key")
        << QByteArray("getSampleById") << 1 << QByteArray("No such sample in the database.");
    QTest::newRow("recurrence") << QByteArray("getRecurrenceById") << 99
                                << QByteArray("No such recurrence in the database.");
    QTest::newRow("field type") << QByteArray("getFieldTypeById") << 99
                                << QByteArray("No such fieldType in the database.");
    QTest::newRow("field") << QByteArray("getFieldById") << 99
                           << QByteArray("No such field in the database.");
    QTest::newRow("attachment") << QByteArray("getBinaryById") << 99
                                << QByteArray("No such binary in the database.");
    QTest::newRow("alarm") << QByteArray("getAlarmById") << 99
                           << QByteArray("No such alarm in the database.");
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

    const LoaderCall call = callLoader(query, loader, key);

    QCOMPARE(call.result, false);
    QCOMPARE(call.touchedItsOutput, false);
    QCOMPARE(log.lines(), QList<QByteArray>({LogCapture::line("WARNING", warning)}));
}

void LoadersTest::failingStatementIsLogged_data()
{
    QTest::addColumn<QByteArray>("loader");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("statement");
    const auto add = [](const char* loader, const char* message, const char* table,
                        const char* statement) {
        QTest::newRow(loader) << QByteArray(loader) << QByteArray(message) << QByteArray(table)
                              << QByteArray(statement);
    };
    add("loadTodos", "Error occured while loading todos from the database:", "TODO_PROJECT",
        Statements::selectTodos);
    add("loadSamples", "Error occured while loading samples from the database:", "TODO_PROJECT",
        Statements::selectTodos);
    add("loadRecurrences",
        "Error occured while loading recurrences from the database:", "RECURRENCE",
        Statements::selectRecurrences);
    add("loadFieldTypes",
        "Error occured while loading field types from the database:", "FIELD_TYPE",
        Statements::selectFieldTypes);
    add("loadFields", "Error occured while loading fields from the database:", "FIELD",
        Statements::selectFields);
    add("loadBinaries", "Error occured while loading binaries from the database:", "BINARY",
        Statements::selectBinaries);
    add("loadAlarms", "Error occured while loading alarms from the database:", "ALARM",
        Statements::selectAlarms);
    add("getTodoById", "Error occured while loading todo by id from the database:", "TODO_PROJECT",
        Statements::selectTodoById);
    add("getSampleById",
        "Error occured while loading sample by id from the database:", "TODO_PROJECT",
        Statements::selectSampleById);
    add("getRecurrenceById",
        "Error occured while loading recurrence by id from the database:", "RECURRENCE",
        Statements::selectRecurrenceById);
    add("getFieldTypeById",
        "Error occured while loading field type by id from the database:", "FIELD_TYPE",
        Statements::selectFieldTypeById);
    add("getFieldById", "Error occured while loading field by id from the database:", "FIELD",
        Statements::selectFieldById);
    add("getBinaryById", "Error occured while loading binary by id from the database:", "BINARY",
        Statements::selectBinaryById);
    add("getAlarmById", "Error occured while loading alarm by id from the database:", "ALARM",
        Statements::selectAlarmById);
    add("selectFieldByTodoId",
        "Error occured while loading fields by todo id from the database:", "FIELD",
        Statements::selectFieldsByTodoId);
    add("selectBinaryByTodoId",
        "Error occured while loading binaries by todo id from the database:", "BINARY",
        Statements::selectBinariesByTodoId);
    add("selectAlarmByTodoId",
        "Error occured while loading alarms by todo id from the database:", "ALARM",
        Statements::selectAlarmsByTodoId);
    add("selectRecurrenceBySampleId",
        "Error occured while loading recurrences by todo id from the database:", "RECURRENCE",
        Statements::selectRecurrencesBySampleId);
    add("selectSimilarTodoIds",
        "Error occured while loading todos from the database:", "TODO_PROJECT",
        Statements::selectSimilarTodoIds);
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

    const LoaderCall call = callLoader(query, loader, 1);

    QCOMPARE(call.result, false);
    QCOMPARE(call.touchedItsOutput, false);
    const QList<QByteArray> lines = log.lines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), LogCapture::line("ERROR", message));
    const QByteArray driverText = LogCapture::line("ERROR", "\"no such table: " + table);
    QVERIFY2(lines.at(1).startsWith(driverText), lines.at(1).constData());
    QCOMPARE(lines.at(2), LogCapture::line("ERROR", '"' + statement + '"'));
}

void LoadersTest::attachmentBytesWaitUntilAskedFor()
{
    stored(QStringLiteral("INSERT INTO BINARY (binary_id, todo_id, size, data, is_deleted) "
                          "VALUES (1, 4, 3, X'00FF10', 0);"));
    DatabaseQuery query(m_connector);
    Binary* byId = nullptr;
    QList<Binary*> listedBinaries;
    QList<Binary*> byTodo;
    const auto freeLoaded = qScopeGuard([&] {
        delete byId;
        qDeleteAll(listedBinaries);
        qDeleteAll(byTodo);
    });
    QVERIFY(query.getBinaryById(&byId, 1));
    QVERIFY(query.loadBinaries(&listedBinaries, false));
    QVERIFY(query.selectBinaryByTodoId(&byTodo, 4));
    QCOMPARE(listedBinaries.size(), 1);
    QCOMPARE(byTodo.size(), 1);
    for (const Binary* binary : {byId, listedBinaries.first(), byTodo.first()}) {
        QVERIFY(binary->data);
        QCOMPARE(binary->data->size(), 0);
        QCOMPARE(binary->size, 3);
    }

    byId->loadBinaryData();
    QCOMPARE(*byId->data, QByteArray("\x00\xff\x10", 3));
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
    QTest::newRow("leap day") << "2016-02-29 23:59:59.999" << utc(2016, 2, 29, 23, 59, 59, 999);
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
    first->setTimeZone(QStringLiteral("+05:45"));
    first->setStartDate(utc(2012, 3, 4, 5, 6, 7, 89));
    first->setNote(QStringLiteral("it's \"the same\""));
    first->setIsDone(true);
    first->creation_date = utc(2011, 1, 1, 0, 0);
    QVERIFY(first->save());
    std::unique_ptr<Todo> twin(new Todo(m_connector));
    twin->setTimeZone(first->time_zone);
    twin->setStartDate(first->start_date);
    twin->setNote(first->note);
    twin->setIsDone(true);
    twin->creation_date = first->creation_date;
    QVERIFY(twin->save());
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
