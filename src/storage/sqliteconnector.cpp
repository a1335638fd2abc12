#include "debug/log.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QtGlobal>
#include <orvel/sqliteconnector.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace Orvel {

namespace {

const char defaultConnectionName[] = "orvel_db";
const char databaseDirectoryName[] = ".orvel";
const char databaseFileName[] = "/orvel_db.sqlite";
const char driverName[] = "QSQLITE";

const char schemaDirectoryVariable[] = "ORVEL_SCHEMA_DIR";
const char schemaFileName[] = "orvel_lite_db.sql";
const char statementSeparator[] = "##";
// QtSql's error for a piece that holds no statement (white space, a lone ";", a comment).
const char noStatementError[] = "No query Unable to fetch row";
// Tables after the schema script: the six of the library and SQLite's sequence table.
const int initializedTableCount = 7;

const char vacuumStatement[] = "VACUUM";

const char connectionFatalMessage[] = "Database connection can't be established!";
const char initializationFatalMessage[] = "Database can't be initialized!";
const char alreadyOpenedMessage[] = "Database connection already opened";
const char missingDriverMessage[] = "QSQLITE driver does not exists!";
const char cannotOpenMessage[] =
    "Cannot open database, unable to establish a database connection.\n";
const char scriptCannotBeOpenedMessage[] = "Database initialization file cannot be opened!";
const char queryFailedMessage[] = "Query execution failed:";
const char lineFeed[] = "\n";
const char initializationFailedMessage[] = "Initialization failed!";
const char alreadyClosedMessage[] = "Database connection already closed";
const char fileDeletedMessage[] = "Database file deleted.";
const char fileCannotBeDeletedMessage[] = "Database file cannot be deleted.";

// A to-do list is private: the database directory is readable by its owner only. Creating it
// with these permissions (rather than changing them afterwards) leaves no moment in which
// others could look in. An existing directory is left as its owner set it up.
void createPrivateDirectory(const QString& path)
{
    ::mkdir(QFile::encodeName(path).constData(), S_IRWXU);
}

QString defaultDatabasePath()
{
    const QDir home(QDir::homePath());
    if (!home.exists(QLatin1String(databaseDirectoryName)))
        createPrivateDirectory(home.filePath(QLatin1String(databaseDirectoryName)));
    return QDir::toNativeSeparators(home.path() + QLatin1Char('/') +
                                    QLatin1String(databaseDirectoryName) +
                                    QLatin1String(databaseFileName));
}

// The installed script's directory, or the one named by the environment (tests, build trees
// and installations under another prefix).
QString schemaDirectory()
{
    const QString overridden = qEnvironmentVariable(schemaDirectoryVariable);
    if (!overridden.isEmpty())
        return overridden;
    return QStringLiteral(ORVEL_DEFAULT_SCHEMA_DIR);
}

QString schemaScriptPath()
{
    return QDir::toNativeSeparators(schemaDirectory() + QLatin1Char('/') +
                                    QLatin1String(schemaFileName));
}

// The script's text ends at its first zero byte, if it holds one.
QString scriptText(const QByteArray& bytes)
{
    const int end = bytes.indexOf('\0');
    return QString::fromLatin1(end < 0 ? bytes : bytes.left(end));
}

} // namespace

SqliteConnector::SqliteConnector()
{
    connectionName = QLatin1String(defaultConnectionName);
    databasePath = defaultDatabasePath();
    if (!createConnection())
        qFatal("%s", connectionFatalMessage);
    if (!initializeDatabase())
        qFatal("%s", initializationFatalMessage);
}

SqliteConnector::SqliteConnector(const QString& databasePath, const QString& connectionName)
{
    this->databasePath = databasePath;
    this->connectionName = connectionName;
    // Failures are only logged: the caller gets a connector either way.
    createConnection();
    initializeDatabase();
}

SqliteConnector::~SqliteConnector()
{
    closeConnection();
}

bool SqliteConnector::createConnection()
{
    if (!database)
        database = new QSqlDatabase;
    if (QSqlDatabase::contains(connectionName)) {
        // The name is taken (by an earlier connection of this connector or another one): drop
        // it and start over, the statement object first, since it holds the connection too.
        delete sqlQuery;
        sqlQuery = nullptr;
        delete database;
        database = nullptr;
        QSqlDatabase::removeDatabase(connectionName);
        database = new QSqlDatabase;
    }
    if (database->isOpen()) {
        oWarning() << alreadyOpenedMessage;
        return true;
    }
    if (!QSqlDatabase::isDriverAvailable(QLatin1String(driverName))) {
        oError() << missingDriverMessage;
        return false;
    }
    *database = QSqlDatabase::addDatabase(QLatin1String(driverName), connectionName);
    database->setDatabaseName(databasePath);
    if (!database->open()) {
        oError() << cannotOpenMessage;
        delete database;
        database = nullptr;
        sqlQuery = nullptr;
        return false;
    }
    sqlQuery = new QSqlQuery(*database);
    return true;
}

void SqliteConnector::closeConnection()
{
    if (!database) {
        oWarning() << alreadyClosedMessage;
        return;
    }
    if (!database->isOpen())
        return;
    if (sqlQuery)
        sqlQuery->exec(QLatin1String(vacuumStatement));
    delete sqlQuery;
    sqlQuery = nullptr;
    database->close();
    delete database;
    database = nullptr;
    QSqlDatabase::removeDatabase(connectionName);
}

bool SqliteConnector::initializeDatabase()
{
    // After a failed createConnection() there is no open connection (and maybe no handle or no
    // statement object) to run anything on.
    if (!database || !sqlQuery || !database->isOpen())
        return false;
    if (database->tables(QSql::Tables).size() == initializedTableCount)
        return true;

    QFile script(schemaScriptPath());
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text)) {
        oError() << scriptCannotBeOpenedMessage;
        return false;
    }
    const QStringList statements =
        scriptText(script.readAll()).split(QLatin1String(statementSeparator), Qt::KeepEmptyParts);

    database->transaction();
    for (const QString& statement : statements) {
        // QtSql refuses a zero-length statement without an error text (and warns about it);
        // it holds no statement, like the white space that "No query" reports below.
        if (statement.isEmpty())
            continue;
        if (sqlQuery->exec(statement))
            continue;
        if (sqlQuery->lastError().text() == QLatin1String(noStatementError))
            continue;
        // The transaction is left open: nothing of the half-run script is committed.
        oError() << queryFailedMessage << sqlQuery->lastQuery() << lineFeed << queryErrorText();
        oError() << initializationFailedMessage;
        return false;
    }
    database->commit();
    return true;
}

bool SqliteConnector::deleteDatabase()
{
    closeConnection();
    if (!QFile::exists(databasePath))
        return false;
    if (!QFile::remove(databasePath)) {
        oError() << fileCannotBeDeletedMessage;
        return false;
    }
    oInfo() << fileDeletedMessage;
    return true;
}

QString SqliteConnector::queryErrorText()
{
    if (!sqlQuery)
        return QString();
    return sqlQuery->lastError().text();
}

} // namespace Orvel
