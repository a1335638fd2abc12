#include "floordatabase.h"

#include "storage/statements.h"
#include "storage/storeddate.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QVariant>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Bench {

namespace {

constexpr char driverName[] = "QSQLITE";
constexpr char schemaSeparator[] = "##";

QString storedText(const QDateTime& dateTime)
{
    return Orvel::StoredDate::toText(dateTime);
}

QDateTime storedDate(const QVariant& value)
{
    return Orvel::StoredDate::fromColumn(value);
}

bool reportFailure(const QSqlQuery& query)
{
    QTextStream(stderr) << "orvel-bench: floor statement failed: " << query.lastError().text()
                        << '\n'
                        << query.lastQuery() << '\n';
    return false;
}

bool run(QSqlQuery& query)
{
    return query.exec() || reportFailure(query);
}

// A statement prepared once and run for every row, as plain QtSql code does it.
QSqlQuery preparedQuery(const QSqlDatabase& database, const char* text)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    query.prepare(QString::fromLatin1(text));
    return query;
}

// The list statements select live rows only.
bool runListQuery(QSqlQuery& query)
{
    query.bindValue(QStringLiteral(":is_deleted"), false);
    return run(query);
}

void selectAlarms(const QSqlDatabase& database, std::vector<AlarmRow>& rows)
{
    QSqlQuery query = preparedQuery(database, Orvel::Statements::selectAlarms);
    if (!runListQuery(query))
        return;
    while (query.next())
        rows.push_back({query.value(0).toInt(), query.value(1).toInt(), storedDate(query.value(2)),
                        storedDate(query.value(3)), query.value(4).toBool(), query.value(5).toInt(),
                        query.value(6).toInt()});
}

void selectBinaries(const QSqlDatabase& database, std::vector<BinaryRow>& rows)
{
    QSqlQuery query = preparedQuery(database, Orvel::Statements::selectBinaries);
    if (!runListQuery(query))
        return;
    while (query.next())
        rows.push_back({query.value(0).toInt(), query.value(1).toInt(), storedDate(query.value(2)),
                        query.value(3).toString(), query.value(4).toInt(), query.value(5).toInt()});
}

void selectFields(const QSqlDatabase& database, std::vector<FieldRow>& rows)
{
    QSqlQuery query = preparedQuery(database, Orvel::Statements::selectFields);
    if (!runListQuery(query))
        return;
    while (query.next())
        rows.push_back({query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt(),
                        storedDate(query.value(3)), query.value(4).toString(),
                        query.value(5).toString(), query.value(6).toString()});
}

void selectFieldTypes(const QSqlDatabase& database, std::vector<FieldTypeRow>& rows)
{
    QSqlQuery query = preparedQuery(database, Orvel::Statements::selectFieldTypes);
    if (!runListQuery(query))
        return;
    while (query.next())
        rows.push_back(
            {query.value(0).toInt(), storedDate(query.value(1)), query.value(2).toString()});
}

void selectRecurrences(const QSqlDatabase& database, std::vector<RecurrenceRow>& rows)
{
    QSqlQuery query = preparedQuery(database, Orvel::Statements::selectRecurrences);
    if (!runListQuery(query))
        return;
    while (query.next())
        rows.push_back({query.value(0).toInt(), query.value(1).toInt(), storedDate(query.value(2)),
                        query.value(3).toBool(), query.value(4).toInt(), query.value(5).toInt(),
                        query.value(6).toString(), storedDate(query.value(7)),
                        storedDate(query.value(8)), storedDate(query.value(9))});
}

void selectTodos(const QSqlDatabase& database, bool samples, std::vector<TodoRow>& rows)
{
    QSqlQuery query = preparedQuery(database, Orvel::Statements::selectTodos);
    query.bindValue(QStringLiteral(":is_sample"), samples);
    if (!runListQuery(query))
        return;
    while (query.next())
        rows.push_back(
            {query.value(0).toInt(), storedDate(query.value(1)), storedDate(query.value(2)),
             query.value(3).toString(), storedDate(query.value(4)), storedDate(query.value(5)),
             query.value(6).toInt(), query.value(7).toBool(), query.value(8).toString(),
             query.value(9).toString(), query.value(10).toInt(), query.value(11).toBool()});
}

} // namespace

std::size_t LoadedRows::rowCount() const
{
    return alarms.size() + binaries.size() + fields.size() + fieldTypes.size() +
           recurrences.size() + samples.size() + todos.size();
}

FloorDatabase::FloorDatabase(const QString& path, const QString& connectionName)
    : m_connectionName(connectionName)
{
    QSqlDatabase database =
        QSqlDatabase::addDatabase(QString::fromLatin1(driverName), connectionName);
    database.setDatabaseName(path);
    if (!database.open())
        QTextStream(stderr) << "orvel-bench: cannot open " << path << ": "
                            << database.lastError().text() << '\n';
}

FloorDatabase::~FloorDatabase()
{
    {
        QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool FloorDatabase::isOpen() const
{
    return QSqlDatabase::database(m_connectionName, false).isOpen();
}

bool FloorDatabase::createSchema(const QString& scriptPath)
{
    QFile script(scriptPath);
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream(stderr) << "orvel-bench: cannot read the schema script " << scriptPath << '\n';
        return false;
    }
    const QStringList pieces =
        QString::fromUtf8(script.readAll()).split(QLatin1String(schemaSeparator));
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    database.transaction();
    QSqlQuery query(database);
    for (const QString& piece : pieces) {
        if (piece.trimmed().isEmpty())
            continue;
        if (!query.exec(piece)) {
            reportFailure(query);
            database.rollback();
            return false;
        }
    }
    return database.commit();
}

int FloorDatabase::insertRecordsOf(const Orvel::Pool& pool)
{
    m_keys.clear();
    m_rowsWritten = 0;
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    database.transaction();
    // Parents before children, so that every reference column can be filled in one go.
    const bool ok = insertFieldTypes(pool) && insertTodos(pool) && insertRecurrences(pool) &&
                    insertAlarms(pool) && insertFields(pool) && insertBinaries(pool);
    database.commit();
    return ok ? m_rowsWritten : -1;
}

bool FloorDatabase::insertFieldTypes(const Orvel::Pool& pool)
{
    QSqlQuery query = preparedQuery(QSqlDatabase::database(m_connectionName, false),
                                    Orvel::Statements::insertFieldType);
    for (const Orvel::FieldType* type : *pool.fieldTypes) {
        query.bindValue(QStringLiteral(":last_mod_date"), storedText(type->lastModDate));
        query.bindValue(QStringLiteral(":name"), type->name);
        query.bindValue(QStringLiteral(":is_deleted"), type->isDeleted);
        if (!run(query))
            return false;
        m_keys.insert(type, query.lastInsertId().toInt());
        ++m_rowsWritten;
    }
    return true;
}

bool FloorDatabase::insertTodos(const Orvel::Pool& pool)
{
    QSqlQuery query = preparedQuery(QSqlDatabase::database(m_connectionName, false),
                                    Orvel::Statements::insertTodo);
    for (const QList<Orvel::Todo*>* list : {pool.samples, pool.todos}) {
        for (const Orvel::Todo* todo : *list) {
            query.bindValue(QStringLiteral(":start_date"), storedText(todo->start_date));
            query.bindValue(QStringLiteral(":end_date"), storedText(todo->end_date));
            query.bindValue(QStringLiteral(":time_zone"), todo->time_zone);
            query.bindValue(QStringLiteral(":last_mod_date"), storedText(todo->lastModDate));
            query.bindValue(QStringLiteral(":creation_date"), storedText(todo->creation_date));
            query.bindValue(QStringLiteral(":status"), todo->status);
            query.bindValue(QStringLiteral(":is_done"), todo->is_done);
            query.bindValue(QStringLiteral(":note"), todo->note);
            query.bindValue(QStringLiteral(":format_string"), todo->format_string);
            query.bindValue(QStringLiteral(":is_deleted"), todo->isDeleted);
            // A sample's rule gets its row only afterwards; the floor counts rows, not links.
            query.bindValue(QStringLiteral(":recurrence_id"), -1);
            query.bindValue(QStringLiteral(":is_sample"), todo->is_sample);
            if (!run(query))
                return false;
            m_keys.insert(todo, query.lastInsertId().toInt());
            ++m_rowsWritten;
        }
    }
    return true;
}

bool FloorDatabase::insertRecurrences(const Orvel::Pool& pool)
{
    QSqlQuery query = preparedQuery(QSqlDatabase::database(m_connectionName, false),
                                    Orvel::Statements::insertRecurrence);
    for (const Orvel::Recurrence* recurrence : *pool.recurrences) {
        query.bindValue(QStringLiteral(":sample_id"), m_keys.value(recurrence->sample, -1));
        query.bindValue(QStringLiteral(":last_mod_date"), storedText(recurrence->lastModDate));
        query.bindValue(QStringLiteral(":is_active"), recurrence->is_active);
        query.bindValue(QStringLiteral(":repeats"), int(recurrence->repeats));
        query.bindValue(QStringLiteral(":repeats_every"), recurrence->repeats_every);
        query.bindValue(QStringLiteral(":repeats_on"), recurrence->repeats_on);
        query.bindValue(QStringLiteral(":range_start"), storedText(recurrence->range_start));
        query.bindValue(QStringLiteral(":range_end"), storedText(recurrence->range_end));
        query.bindValue(QStringLiteral(":instancing_date"),
                        storedText(recurrence->instancing_date));
        query.bindValue(QStringLiteral(":is_deleted"), recurrence->isDeleted);
        if (!run(query))
            return false;
        ++m_rowsWritten;
    }
    return true;
}

bool FloorDatabase::insertAlarms(const Orvel::Pool& pool)
{
    QSqlQuery query = preparedQuery(QSqlDatabase::database(m_connectionName, false),
                                    Orvel::Statements::insertAlarm);
    for (const Orvel::Alarm* alarm : *pool.alarms) {
        query.bindValue(QStringLiteral(":todo_id"), m_keys.value(alarm->todo, -1));
        query.bindValue(QStringLiteral(":last_mod_date"), storedText(alarm->lastModDate));
        query.bindValue(QStringLiteral(":alarm_time"), storedText(alarm->alarm_time));
        query.bindValue(QStringLiteral(":is_active"), alarm->is_active);
        query.bindValue(QStringLiteral(":snooze"), alarm->snooze);
        query.bindValue(QStringLiteral(":snooze_interval"), alarm->snooze_interval);
        query.bindValue(QStringLiteral(":is_deleted"), alarm->isDeleted);
        if (!run(query))
            return false;
        ++m_rowsWritten;
    }
    return true;
}

bool FloorDatabase::insertFields(const Orvel::Pool& pool)
{
    QSqlQuery query = preparedQuery(QSqlDatabase::database(m_connectionName, false),
                                    Orvel::Statements::insertField);
    for (const Orvel::Field* field : *pool.fields) {
        query.bindValue(QStringLiteral(":todo_id"), m_keys.value(field->todo, -1));
        query.bindValue(QStringLiteral(":field_type_id"), m_keys.value(field->fieldType, -1));
        query.bindValue(QStringLiteral(":last_mod_date"), storedText(field->lastModDate));
        query.bindValue(QStringLiteral(":value"), field->value);
        query.bindValue(QStringLiteral(":db_id"), field->db_id);
        query.bindValue(QStringLiteral(":contact_id"), field->contact_id);
        query.bindValue(QStringLiteral(":is_deleted"), field->isDeleted);
        if (!run(query))
            return false;
        ++m_rowsWritten;
    }
    return true;
}

bool FloorDatabase::insertBinaries(const Orvel::Pool& pool)
{
    QSqlQuery query = preparedQuery(QSqlDatabase::database(m_connectionName, false),
                                    Orvel::Statements::insertBinary);
    for (const Orvel::Binary* binary : *pool.binaries) {
        query.bindValue(QStringLiteral(":todo_id"), m_keys.value(binary->todo, -1));
        query.bindValue(QStringLiteral(":last_mod_date"), storedText(binary->lastModDate));
        query.bindValue(QStringLiteral(":note"), binary->note);
        query.bindValue(QStringLiteral(":type"), int(binary->type));
        query.bindValue(QStringLiteral(":size"), binary->size);
        query.bindValue(QStringLiteral(":data"), *binary->data);
        query.bindValue(QStringLiteral(":is_deleted"), binary->isDeleted);
        if (!run(query))
            return false;
        ++m_rowsWritten;
    }
    return true;
}

LoadedRows FloorDatabase::selectAll()
{
    LoadedRows rows;
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    database.transaction();
    selectAlarms(database, rows.alarms);
    selectBinaries(database, rows.binaries);
    selectFields(database, rows.fields);
    selectFieldTypes(database, rows.fieldTypes);
    selectRecurrences(database, rows.recurrences);
    selectTodos(database, true, rows.samples);
    selectTodos(database, false, rows.todos);
    database.commit();
    return rows;
}

} // namespace Bench
