#ifndef ORVEL_STORAGE_ENTITYSTORAGE_P_H
#define ORVEL_STORAGE_ENTITYSTORAGE_P_H

#include "statementbinder.h"

#include <QDateTime>
#include <QString>

QT_BEGIN_NAMESPACE
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

class DatabaseConnector;
class Entity;

// The steps that the insert, update and delete operations of every record class share.
namespace EntityStorage {

// The time stamped on a row that is written: now, as a UTC instant.
QDateTime currentUtcTime();

// Whether the connector's driver can report the key of an inserted row; logs when it cannot.
// Without a connection there is no driver to ask: the missing statement object is reported by
// hasStatementObject() instead.
bool driverReportsInsertedKey(const DatabaseConnector* connector);

// Whether the record has a statement object to run on; logs when it has none.
bool hasStatementObject(const QSqlQuery* query);

// Runs the bound insert and, when it succeeded, stores the key that the database assigned.
// On failure the key stays as it was.
bool executeInsert(Entity& entity, StatementBinder& binder, int& id);

// Runs a bound update or delete and reports its outcome through Entity::checkDbCommand().
bool executeCommand(Entity& entity, StatementBinder& binder);

// The insert frame of every record class: the driver must report inserted keys; the record
// stops being new (even if the statement then fails) and is stamped; its columns are bound by
// bindColumns(binder, record) and the key SQLite assigned becomes the record's id.
template <typename Record, typename BindColumns>
bool insertRecord(Record& record, const char* statement, BindColumns bindColumns)
{
    if (!driverReportsInsertedKey(record.databaseConnector))
        return false;
    record.isNew = false;
    record.lastModDate = currentUtcTime();
    if (!hasStatementObject(record.sqlQuery))
        return false;
    StatementBinder binder = StatementBinder::forWrite(record.sqlQuery, statement);
    bindColumns(binder, record);
    return executeInsert(record, binder, record.id);
}

// The update frame: stamp, bind the columns and the key, run.
template <typename Record, typename BindColumns>
bool updateRecord(Record& record, const char* statement, const QString& keyPlaceholder,
                  BindColumns bindColumns)
{
    record.lastModDate = currentUtcTime();
    if (!hasStatementObject(record.sqlQuery))
        return false;
    StatementBinder binder = StatementBinder::forWrite(record.sqlQuery, statement);
    bindColumns(binder, record);
    binder.bind(keyPlaceholder, record.id);
    return executeCommand(record, binder);
}

// The delete frame: bind the key, run. No flag of the record changes.
template <typename Record>
bool deleteRecord(Record& record, const char* statement, const QString& keyPlaceholder)
{
    if (!hasStatementObject(record.sqlQuery))
        return false;
    StatementBinder binder = StatementBinder::forWrite(record.sqlQuery, statement);
    binder.bind(keyPlaceholder, record.id);
    return executeCommand(record, binder);
}

} // namespace EntityStorage

} // namespace Orvel

#endif
