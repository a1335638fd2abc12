#include "debug/log.h"
#include "entitystorage_p.h"
#include "statementbinder.h"
#include "statements.h"
#include "storeddate.h"

#include <QSqlError>
#include <QSqlQuery>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databaseconnector.h>
#include <orvel/databasequery.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char loadTodosFailed[] = "Error occured while loading todos from the database:";
const char loadSamplesFailed[] = "Error occured while loading samples from the database:";
const char loadRecurrencesFailed[] = "Error occured while loading recurrences from the database:";
const char loadFieldTypesFailed[] = "Error occured while loading field types from the database:";
const char loadFieldsFailed[] = "Error occured while loading fields from the database:";
const char loadBinariesFailed[] = "Error occured while loading binaries from the database:";
const char loadAlarmsFailed[] = "Error occured while loading alarms from the database:";

const char todoByIdFailed[] = "Error occured while loading todo by id from the database:";
const char sampleByIdFailed[] = "Error occured while loading sample by id from the database:";
const char recurrenceByIdFailed[] =
    "Error occured while loading recurrence by id from the database:";
const char fieldTypeByIdFailed[] =
    "Error occured while loading field type by id from the database:";
const char fieldByIdFailed[] = "Error occured while loading field by id from the database:";
const char binaryByIdFailed[] = "Error occured while loading binary by id from the database:";
const char alarmByIdFailed[] = "Error occured while loading alarm by id from the database:";

const char noSuchTodo[] = "No such todo in the database.";
const char noSuchSample[] = "No such sample in the database.";
const char noSuchRecurrence[] = "No such recurrence in the database.";
const char noSuchFieldType[] = "No such fieldType in the database.";
const char noSuchField[] = "No such field in the database.";
const char noSuchBinary[] = "No such binary in the database.";
const char noSuchAlarm[] = "No such alarm in the database.";

const char fieldsByTodoFailed[] =
    "Error occured while loading fields by todo id from the database:";
const char binariesByTodoFailed[] =
    "Error occured while loading binaries by todo id from the database:";
const char alarmsByTodoFailed[] =
    "Error occured while loading alarms by todo id from the database:";
const char recurrencesBySampleFailed[] =
    "Error occured while loading recurrences by todo id from the database:";

// The list statements filter on is_deleted without selecting it; the other statements select
// it as their last column (for todos, right after format_string), so a row says where its
// deletion mark comes from.
struct Deletion
{
    bool fromColumn;
    bool value;
};

const Deletion selectedDeletion = {true, false};

Deletion listedDeletion(bool isDeleted)
{
    return {false, isDeleted};
}

bool deletionOf(const QSqlQuery& row, int column, const Deletion& deletion)
{
    return deletion.fromColumn ? row.value(column).toBool() : deletion.value;
}

QDateTime dateAt(const QSqlQuery& row, int column)
{
    return StoredDate::fromColumn(row.value(column));
}

// Logs the three lines of a failed loader statement; true when it failed.
bool statementFailed(const QSqlQuery& query, const char* failureMessage)
{
    const QSqlError error = query.lastError();
    if (error.type() == QSqlError::NoError)
        return false;
    oError() << failureMessage;
    oError() << error.text();
    oError() << query.executedQuery();
    return true;
}

// Todo columns: todo_id 0, start_date 1, end_date 2, time_zone 3, last_mod_date 4,
// creation_date 5, status 6, is_done 7, note 8, format_string 9, then [is_deleted,]
// recurrence_id and is_sample.
const int todoDeletedColumn = 10;
const int noRecurrence = -1;

Todo* readTodo(const QSqlQuery& row, DatabaseConnector* connector, int id, const Deletion& deletion)
{
    const QDateTime startDate = dateAt(row, 1);
    const QDateTime endDate = dateAt(row, 2);
    const QDateTime lastModDate = dateAt(row, 4);
    const QDateTime creationDate = dateAt(row, 5);
    const int recurrenceIdColumn = deletion.fromColumn ? 11 : 10;
    const QString timeZone = row.value(3).toString();
    // Made in the stored zone, a new todo skips the look-up of the device's zone that only the
    // setters below would overwrite; they run exactly as for a todo made anew.
    auto* todo =
        new Todo(connector, id, 0, 0, noRecurrence, startDate, endDate, timeZone, lastModDate,
                 creationDate, 0, false, false, false, false, false, QString(), QString(), false);
    // The zone comes before the dates so that their setters see the todo's own zone.
    todo->setTimeZone(timeZone);
    todo->setStartDate(startDate);
    todo->setEndDate(endDate);
    todo->creation_date = creationDate;
    todo->setStatus(row.value(6).toInt());
    todo->setIsDone(row.value(7).toBool());
    // setFormatString() would write the expansion into note only for the stored note to replace
    // it at once; the expansion is a fifth of the start-up time on large lists, so it is skipped.
    todo->format_string = row.value(9).toString();
    todo->modified();
    todo->setNote(row.value(8).toString());
    todo->setIsDeleted(deletionOf(row, todoDeletedColumn, deletion));
    todo->recurrence_id = row.value(recurrenceIdColumn).toInt();
    todo->setIsSample(row.value(recurrenceIdColumn + 1).toBool());
    // The setters above stamped the modification time; the stored one is the true one.
    todo->lastModDate = lastModDate;
    return todo;
}

// Recurrence columns: recurrence_id 0, sample_id 1, last_mod_date 2, is_active 3, repeats 4,
// repeats_every 5, repeats_on 6, range_start 7, range_end 8, instancing_date 9[, is_deleted 10].
Recurrence* readRecurrence(const QSqlQuery& row, DatabaseConnector* connector,
                           const Deletion& deletion)
{
    const QDateTime lastModDate = dateAt(row, 2);
    const QDateTime rangeStart = dateAt(row, 7);
    const QDateTime rangeEnd = dateAt(row, 8);
    const QDateTime instancingDate = dateAt(row, 9);
    auto* recurrence = new Recurrence(connector);
    recurrence->id = row.value(0).toInt();
    recurrence->sample_id = row.value(1).toInt();
    recurrence->setIsActive(row.value(3).toBool());
    // The kind first: a stored pattern that does not fit it is refused by setRepeatsOn().
    recurrence->setRepeats(static_cast<Repeats>(row.value(4).toInt()));
    recurrence->setRepeatsEvery(row.value(5).toInt());
    recurrence->setRepeatsOn(row.value(6).toString());
    recurrence->setRangeStart(rangeStart);
    recurrence->setRangeEnd(rangeEnd);
    recurrence->instancing_date = instancingDate;
    recurrence->setIsDeleted(deletionOf(row, 10, deletion));
    recurrence->lastModDate = lastModDate;
    return recurrence;
}

// FieldType columns: field_type_id 0, last_mod_date 1, name 2[, is_deleted 3].
FieldType* readFieldType(const QSqlQuery& row, DatabaseConnector* connector,
                         const Deletion& deletion)
{
    const QDateTime lastModDate = dateAt(row, 1);
    auto* fieldType = new FieldType(connector);
    fieldType->id = row.value(0).toInt();
    fieldType->setName(row.value(2).toString());
    fieldType->setIsDeleted(deletionOf(row, 3, deletion));
    fieldType->lastModDate = lastModDate;
    return fieldType;
}

// Field columns: field_id 0, todo_id 1, field_type_id 2, last_mod_date 3, value 4, db_id 5,
// contact_id 6[, is_deleted 7].
Field* readField(const QSqlQuery& row, DatabaseConnector* connector, const Deletion& deletion)
{
    const QDateTime lastModDate = dateAt(row, 3);
    auto* field = new Field(connector);
    field->id = row.value(0).toInt();
    field->todo_id = row.value(1).toInt();
    field->field_type_id = row.value(2).toInt();
    field->setValue(row.value(4).toString());
    field->setDbId(row.value(5).toString());
    field->setContactId(row.value(6).toString());
    field->setIsDeleted(deletionOf(row, 7, deletion));
    field->lastModDate = lastModDate;
    return field;
}

// Binary columns: binary_id 0, todo_id 1, last_mod_date 2, note 3, type 4, size 5
// [, is_deleted 6]. The bytes are never selected here: they are read on demand.
Binary* readBinary(const QSqlQuery& row, DatabaseConnector* connector, const Deletion& deletion)
{
    const QDateTime lastModDate = dateAt(row, 2);
    auto* binary = new Binary(connector);
    binary->id = row.value(0).toInt();
    binary->todo_id = row.value(1).toInt();
    binary->setNote(row.value(3).toString());
    binary->setType(static_cast<BinaryType>(row.value(4).toInt()));
    binary->setSize(row.value(5).toInt());
    binary->setIsDeleted(deletionOf(row, 6, deletion));
    binary->lastModDate = lastModDate;
    return binary;
}

// Alarm columns: alarm_id 0, todo_id 1, last_mod_date 2, alarm_time 3, is_active 4, snooze 5,
// snooze_interval 6[, is_deleted 7].
Alarm* readAlarm(const QSqlQuery& row, DatabaseConnector* connector, const Deletion& deletion)
{
    const QDateTime lastModDate = dateAt(row, 2);
    const QDateTime alarmTime = dateAt(row, 3);
    auto* alarm = new Alarm(connector);
    alarm->id = row.value(0).toInt();
    alarm->todo_id = row.value(1).toInt();
    alarm->setAlarmTime(alarmTime);
    alarm->setIsActive(row.value(4).toBool());
    alarm->setSnooze(row.value(5).toInt());
    alarm->setSnoozeInterval(row.value(6).toInt());
    alarm->setIsDeleted(deletionOf(row, 7, deletion));
    alarm->lastModDate = lastModDate;
    return alarm;
}

// The frame of the list and by-todo loaders: every row becomes a record appended to the list,
// unless readRow() skips it by returning null. A failed statement appends nothing.
template <typename Record, typename ReadRow>
bool appendRows(QSqlQuery& query, QList<Record*>* list, const char* failureMessage, ReadRow readRow)
{
    if (statementFailed(query, failureMessage))
        return false;
    while (query.next()) {
        if (Record* record = readRow(query))
            list->append(record);
    }
    return true;
}

// The frame of the by-identifier loaders: only the first row counts, and the record it becomes
// is marked as stored and in step with its row. readRow() may decline the row (null): the
// loader then succeeds without a record.
template <typename Record, typename ReadRow>
bool readFirstRow(QSqlQuery& query, Record** out, const char* failureMessage,
                  const char* notFoundMessage, ReadRow readRow)
{
    if (statementFailed(query, failureMessage))
        return false;
    const bool found = query.next();
    Record* record = found ? readRow(query) : nullptr;
    // Only one row is read: let SQLite drop the rest of the result now.
    query.finish();
    if (!found) {
        oWarning() << notFoundMessage;
        return false;
    }
    if (record) {
        record->isSynchronized = true;
        record->isNew = false;
        *out = record;
    }
    return true;
}

} // namespace

DatabaseQuery::DatabaseQuery(DatabaseConnector* connector)
    : QObject(nullptr), databaseConnector(connector),
      sqlQuery(connector ? connector->sqlQuery : nullptr)
{}

DatabaseQuery::~DatabaseQuery() = default;

namespace {

// Loaders step through their rows once, so the shared statement object need not keep them.
const StatementBinder::Navigation forwardOnly = StatementBinder::Navigation::ForwardOnly;

// loadTodos() and loadSamples() run the same statement and skip rows whose key reads as 0.
bool loadTodoRows(QSqlQuery* query, DatabaseConnector* connector, QList<Todo*>* list,
                  bool isDeleted, bool isSample, const char* failureMessage)
{
    if (!EntityStorage::hasStatementObject(query))
        return false;
    StatementBinder binder(query, Statements::selectTodos, forwardOnly);
    binder.bind(QStringLiteral(":is_deleted"), isDeleted);
    binder.bind(QStringLiteral(":is_sample"), isSample);
    binder.exec();
    const Deletion deletion = listedDeletion(isDeleted);
    return appendRows(*query, list, failureMessage, [&](const QSqlQuery& row) -> Todo* {
        const int id = row.value(0).toInt();
        return id == 0 ? nullptr : readTodo(row, connector, id, deletion);
    });
}

// The other list loaders: one statement filtered on is_deleted.
template <typename Record, typename ReadRecord>
bool loadRows(QSqlQuery* query, DatabaseConnector* connector, QList<Record*>* list, bool isDeleted,
              const char* statement, const char* failureMessage, ReadRecord readRecord)
{
    if (!EntityStorage::hasStatementObject(query))
        return false;
    StatementBinder binder(query, statement, forwardOnly);
    binder.bind(QStringLiteral(":is_deleted"), isDeleted);
    binder.exec();
    const Deletion deletion = listedDeletion(isDeleted);
    return appendRows(*query, list, failureMessage,
                      [&](const QSqlQuery& row) { return readRecord(row, connector, deletion); });
}

// The by-todo and by-sample loaders: the rows of one parent, each with its own deletion mark.
template <typename Record, typename ReadRecord>
bool loadRowsByKey(QSqlQuery* query, DatabaseConnector* connector, QList<Record*>* list,
                   const char* statement, const QString& placeholder, int key,
                   const char* failureMessage, ReadRecord readRecord)
{
    if (!EntityStorage::hasStatementObject(query))
        return false;
    StatementBinder binder(query, statement, forwardOnly);
    binder.bind(placeholder, key);
    binder.exec();
    return appendRows(*query, list, failureMessage, [&](const QSqlQuery& row) {
        return readRecord(row, connector, selectedDeletion);
    });
}

// The by-identifier loaders of every table but TODO_PROJECT.
template <typename Record, typename ReadRecord>
bool loadRowById(QSqlQuery* query, DatabaseConnector* connector, Record** out,
                 const char* statement, const QString& placeholder, int id,
                 const char* failureMessage, const char* notFoundMessage, ReadRecord readRecord)
{
    if (!EntityStorage::hasStatementObject(query))
        return false;
    StatementBinder binder(query, statement, forwardOnly);
    binder.bind(placeholder, id);
    binder.exec();
    return readFirstRow(*query, out, failureMessage, notFoundMessage, [&](const QSqlQuery& row) {
        return readRecord(row, connector, selectedDeletion);
    });
}

Todo* readTodoWithDeletion(const QSqlQuery& row, DatabaseConnector* connector,
                           const Deletion& deletion)
{
    return readTodo(row, connector, row.value(0).toInt(), deletion);
}

} // namespace

bool DatabaseQuery::loadTodos(QList<Todo*>* list, Todo**, bool isDeleted)
{
    return loadTodoRows(sqlQuery, databaseConnector, list, isDeleted, false, loadTodosFailed);
}

bool DatabaseQuery::loadSamples(QList<Todo*>* list, bool isDeleted)
{
    return loadTodoRows(sqlQuery, databaseConnector, list, isDeleted, true, loadSamplesFailed);
}

bool DatabaseQuery::loadRecurrences(QList<Recurrence*>* list, bool isDeleted)
{
    return loadRows(sqlQuery, databaseConnector, list, isDeleted, Statements::selectRecurrences,
                    loadRecurrencesFailed, readRecurrence);
}

bool DatabaseQuery::loadFieldTypes(QList<FieldType*>* list, bool isDeleted)
{
    return loadRows(sqlQuery, databaseConnector, list, isDeleted, Statements::selectFieldTypes,
                    loadFieldTypesFailed, readFieldType);
}

bool DatabaseQuery::loadFields(QList<Field*>* list, bool isDeleted)
{
    return loadRows(sqlQuery, databaseConnector, list, isDeleted, Statements::selectFields,
                    loadFieldsFailed, readField);
}

bool DatabaseQuery::loadBinaries(QList<Binary*>* list, bool isDeleted)
{
    return loadRows(sqlQuery, databaseConnector, list, isDeleted, Statements::selectBinaries,
                    loadBinariesFailed, readBinary);
}

bool DatabaseQuery::loadAlarms(QList<Alarm*>* list, bool isDeleted)
{
    return loadRows(sqlQuery, databaseConnector, list, isDeleted, Statements::selectAlarms,
                    loadAlarmsFailed, readAlarm);
}

bool DatabaseQuery::getTodoById(Todo** todo, int id)
{
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::selectTodoById, forwardOnly);
    binder.bind(QStringLiteral(":todo_id"), id);
    binder.bind(QStringLiteral(":is_sample"), false);
    binder.exec();
    return readFirstRow(*sqlQuery, todo, todoByIdFailed, noSuchTodo, [&](const QSqlQuery& row) {
        return readTodoWithDeletion(row, databaseConnector, selectedDeletion);
    });
}

bool DatabaseQuery::getSampleById(Todo** sample, int id)
{
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::selectSampleById, forwardOnly);
    binder.bind(QStringLiteral(":sample_id"), id);
    binder.bind(QStringLiteral(":is_sample"), true);
    binder.exec();
    // A sample row with key 0 is found but yields no record.
    return readFirstRow(
        *sqlQuery, sample, sampleByIdFailed, noSuchSample, [&](const QSqlQuery& row) -> Todo* {
            const int rowId = row.value(0).toInt();
            return rowId == 0 ? nullptr : readTodo(row, databaseConnector, rowId, selectedDeletion);
        });
}

bool DatabaseQuery::getRecurrenceById(Recurrence** recurrence, int id)
{
    return loadRowById(sqlQuery, databaseConnector, recurrence, Statements::selectRecurrenceById,
                       QStringLiteral(":recurrence_id"), id, recurrenceByIdFailed, noSuchRecurrence,
                       readRecurrence);
}

bool DatabaseQuery::getFieldTypeById(FieldType** fieldType, int id)
{
    return loadRowById(sqlQuery, databaseConnector, fieldType, Statements::selectFieldTypeById,
                       QStringLiteral(":field_type_id"), id, fieldTypeByIdFailed, noSuchFieldType,
                       readFieldType);
}

bool DatabaseQuery::getFieldById(Field** field, int id)
{
    return loadRowById(sqlQuery, databaseConnector, field, Statements::selectFieldById,
                       QStringLiteral(":field_id"), id, fieldByIdFailed, noSuchField, readField);
}

bool DatabaseQuery::getBinaryById(Binary** binary, int id)
{
    return loadRowById(sqlQuery, databaseConnector, binary, Statements::selectBinaryById,
                       QStringLiteral(":binary_id"), id, binaryByIdFailed, noSuchBinary,
                       readBinary);
}

bool DatabaseQuery::getAlarmById(Alarm** alarm, int id)
{
    return loadRowById(sqlQuery, databaseConnector, alarm, Statements::selectAlarmById,
                       QStringLiteral(":alarm_id"), id, alarmByIdFailed, noSuchAlarm, readAlarm);
}

bool DatabaseQuery::selectFieldByTodoId(QList<Field*>* list, int todoId)
{
    return loadRowsByKey(sqlQuery, databaseConnector, list, Statements::selectFieldsByTodoId,
                         QStringLiteral(":todo_id"), todoId, fieldsByTodoFailed, readField);
}

bool DatabaseQuery::selectBinaryByTodoId(QList<Binary*>* list, int todoId)
{
    return loadRowsByKey(sqlQuery, databaseConnector, list, Statements::selectBinariesByTodoId,
                         QStringLiteral(":todo_id"), todoId, binariesByTodoFailed, readBinary);
}

bool DatabaseQuery::selectAlarmByTodoId(QList<Alarm*>* list, int todoId)
{
    return loadRowsByKey(sqlQuery, databaseConnector, list, Statements::selectAlarmsByTodoId,
                         QStringLiteral(":todo_id"), todoId, alarmsByTodoFailed, readAlarm);
}

bool DatabaseQuery::selectRecurrenceBySampleId(QList<Recurrence*>* list, int sampleId)
{
    return loadRowsByKey(sqlQuery, databaseConnector, list, Statements::selectRecurrencesBySampleId,
                         QStringLiteral(":sample_id"), sampleId, recurrencesBySampleFailed,
                         readRecurrence);
}

QList<int> DatabaseQuery::selectSimilarTodoIds(Todo* todo)
{
    QList<int> ids;
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return ids;
    StatementBinder binder(sqlQuery, Statements::selectSimilarTodoIds, forwardOnly);
    binder.bindDate(QStringLiteral(":start_date"), todo->startDate(UTC));
    binder.bindDate(QStringLiteral(":end_date"), todo->endDate(UTC));
    binder.bindText(QStringLiteral(":time_zone"), todo->time_zone);
    binder.bindDate(QStringLiteral(":creation_date"), todo->creationDate(UTC));
    binder.bind(QStringLiteral(":status"), todo->status);
    binder.bind(QStringLiteral(":is_done"), todo->is_done);
    binder.bindText(QStringLiteral(":note"), todo->note);
    binder.bindText(QStringLiteral(":format_string"), todo->format_string);
    binder.bind(QStringLiteral(":is_deleted"), todo->isDeleted);
    binder.bind(QStringLiteral(":recurrence_id"), todo->recurrence_id);
    binder.bind(QStringLiteral(":is_sample"), todo->is_sample);
    binder.exec();
    if (statementFailed(*sqlQuery, loadTodosFailed))
        return ids;
    while (sqlQuery->next())
        ids.append(sqlQuery->value(0).toInt());
    return ids;
}

} // namespace Orvel
