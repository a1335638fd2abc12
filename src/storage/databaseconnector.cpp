#include "debug/log.h"
#include "statementcache.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <orvel/databaseconnector.h>
#include <orvel/entity.h>

namespace Orvel {

namespace {
const char modificationFailedMessage[] = "Database modification failed.";
}

DatabaseConnector::DatabaseConnector() : QObject(nullptr), database(nullptr), sqlQuery(nullptr) {}

DatabaseConnector::~DatabaseConnector()
{
    // A connection that never opened (no driver) keeps its empty handle: closing does not
    // touch it, so whatever the connection left behind is freed here, the statement first.
    StatementCache::release(sqlQuery);
    delete sqlQuery;
    delete database;
}

bool DatabaseConnector::persist(Entity& entity)
{
    bool succeeded = entity.isNew ? entity.databaseInsert() : entity.databaseUpdate();
    // A removed record is written first (so that a new one has a row and its key), then its
    // row is deleted; the delete decides the outcome.
    if (entity.isRemoved)
        succeeded = entity.databaseDelete();
    if (!succeeded) {
        oError() << modificationFailedMessage;
        return false;
    }
    return true;
}

} // namespace Orvel
