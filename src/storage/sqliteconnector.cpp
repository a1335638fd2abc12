#include "debug/log.h"
#include "storage/statementcache.h"
#include "storage/statements.h"

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

// Reads the whole script as text, which ends at its first zero byte if it holds one.
bool readSchemaScript(QString* text)
{
    QFile script(schemaScriptPath());
    if (!script.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QByteArray bytes = script.readAll();
    const auto end = bytes.indexOf('\0');
    if (end >= 0)
        bytes.truncate(end);
    *text = QString::fromLatin1(bytes);
    return true;
}

// Runs one piece of the script. A piece that holds no statement (white space after the last
// separator, a lone ";", a comment) counts as run: QtSql reports it as the "No query" error.
// A zero-length piece is not handed to QtSql at all, which would refuse it with a warning and
// without any error text.
bool runScriptPiece(QSqlQuery& query, const QString& piece)
{
    if (piece.isEmpty())
        return true;
    return query.exec(piece) || query.lastError().text() == QLatin1String(noStatementError);
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
        StatementCache::release(sqlQuery);
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
        StatementCache::release(sqlQuery);
        delete sqlQuery;
        sqlQuery = nullptr;
        delete database;
        database = nullptr;
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
    // The kept statements are finalised first: VACUUM needs no statement of the connection
    // to be pending, and the connection closes cleanly only when none is left.
    StatementCache::release(sqlQuery);
    if (sqlQuery)
        sqlQuery->exec(QLatin1String(Statements::vacuum));
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

    QString script;
    if (!readSchemaScript(&script)) {
        oError() << scriptCannotBeOpenedMessage;
        return false;
    }
    database->transaction();
    const QStringList pieces = script.split(QLatin1String(statementSeparator), Qt::KeepEmptyParts);
    for (const QString& piece : pieces) {
        if (runScriptPiece(*sqlQuery, piece))
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
