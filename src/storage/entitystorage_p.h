#ifndef ORVEL_STORAGE_ENTITYSTORAGE_P_H
#define ORVEL_STORAGE_ENTITYSTORAGE_P_H

#include <QDateTime>

QT_BEGIN_NAMESPACE
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

class DatabaseConnector;
class Entity;
class StatementBinder;

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

} // namespace EntityStorage

} // namespace Orvel

#endif
