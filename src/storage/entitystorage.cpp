#include "debug/log.h"
#include "entitystorage_p.h"
#include "statementbinder.h"
#include "statementcache.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <orvel/databaseconnector.h>
#include <orvel/entity.h>

namespace Orvel {

namespace {

const char modifyingFailedMessage[] = "Error occured while modifying the database: ";
const char noLastInsertIdMessage[] =
    "Error occured with insert command, current Sql Driver do not have lastInsertId support";
const char queryNotInitializedMessage[] = "QSqlQuery not initialized!";

void logBoundValues(const QSqlQuery& query)
{
    const QStringList placeholders = StatementBinder::boundPlaceholders(query);
    for (const QString& placeholder : placeholders) {
        const QString line =
            placeholder + QLatin1String(": ") + query.boundValue(placeholder).toString();
        oError().noquote() << line;
    }
}

} // namespace

bool Entity::checkDbCommand()
{
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    // The record's statements run on the query objects kept beside the shared one.
    const QSqlQuery& ran = *StatementCache::lastRun(sqlQuery);
    const QSqlError error = ran.lastError();
    if (error.type() == QSqlError::NoError)
        return true;
    oError() << modifyingFailedMessage;
    oError() << error.text();
    oError() << ran.executedQuery();
    logBoundValues(ran);
    lastError = error.text();
    return false;
}

namespace EntityStorage {

QDateTime currentUtcTime()
{
    // The same instant as currentDateTime().toTimeSpec(Qt::UTC), without the round trip
    // through the device's zone.
    return QDateTime::currentDateTimeUtc();
}

bool driverReportsInsertedKey(const DatabaseConnector* connector)
{
    if (!connector || !connector->database)
        return true;
    const QSqlDriver* driver = connector->database->driver();
    if (driver && driver->hasFeature(QSqlDriver::LastInsertId))
        return true;
    oError() << noLastInsertIdMessage;
    return false;
}

bool hasStatementObject(const QSqlQuery* query)
{
    if (query)
        return true;
    oError() << queryNotInitializedMessage;
    return false;
}

bool executeInsert(Entity& entity, StatementBinder& binder, int& id)
{
    binder.exec();
    if (!entity.checkDbCommand())
        return false;
    id = StatementCache::lastRun(entity.sqlQuery)->lastInsertId().toInt();
    return true;
}

bool executeCommand(Entity& entity, StatementBinder& binder)
{
    binder.exec();
    return entity.checkDbCommand();
}

} // namespace EntityStorage

} // namespace Orvel
