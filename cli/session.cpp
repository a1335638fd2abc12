#include "session.h"

#include "console.h"
#include "databaselock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <orvel/databaseconnector.h>
#include <orvel/entity.h>
#include <orvel/pool.h>
#include <sys/stat.h>

namespace {

// The QtSql connection name of a database given with --db.
const char connectionName[] = "orvel_cli";
// The connection that checks a database file before the library opens it.
const char probeConnectionName[] = "orvel_cli_probe";
const char sqliteDriver[] = "QSQLITE";
const char probeStatement[] = "SELECT count(*) FROM sqlite_master";
// Every database the library initialised holds this table.
const char todoTable[] = "TODO_PROJECT";
const char defaultDirectory[] = ".orvel";
const char defaultFileName[] = "orvel_db.sqlite";
const int defaultLockTimeout = 30;

} // namespace

Session::Session(const QString& databasePath)
    : m_databasePath(databasePath), m_lockTimeout(defaultLockTimeout), m_pool(nullptr)
{}

Session::~Session()
{
    if (!m_pool)
        return;
    // Writes whatever is still outstanding and closes the database.
    delete m_pool;
}

void Session::setLockTimeout(int seconds)
{
    m_lockTimeout = seconds;
}

bool Session::open(QString* error)
{
    const QString path = m_databasePath.isEmpty() ? defaultDatabasePath() : m_databasePath;
    if (m_databasePath.isEmpty() && !makeDefaultDirectory(error))
        return false;
    // Without its directory there is nothing to lock or to read; the open below fails and
    // names the file.
    if (QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
        m_lock.reset(new DatabaseLock(path));
        // A database this user cannot write is only read; its lock is not needed, and often
        // cannot be made beside it.
        const QFileInfo file(path);
        const bool readOnly = file.exists() && !file.isWritable();
        if ((!m_lock->acquire(m_lockTimeout, error) && !readOnly) ||
            !databaseIsReadable(path, error))
            return false;
    }
    if (m_databasePath.isEmpty())
        m_pool = Orvel::Pool::instance();
    else
        m_pool = new Orvel::Pool(m_databasePath, QLatin1String(connectionName));
    if (!databaseIsUsable(error))
        return false;
    m_pool->start();
    return true;
}

Orvel::Pool* Session::pool() const
{
    return m_pool;
}

bool Session::save(QString* error)
{
    m_pool->synchronizeToDatabase();
    const QList<Orvel::Entity*>& unsaved = *m_pool->unsynchronizedEntities;
    if (unsaved.isEmpty())
        return true;
    *error = QStringLiteral("could not save the changes to %1")
                 .arg(Console::quoted(m_pool->connector->databasePath));
    for (const Orvel::Entity* record : unsaved) {
        if (!record->lastError.isEmpty()) {
            *error += QStringLiteral(": ") + record->lastError;
            break;
        }
    }
    return false;
}

bool Session::databaseIsUsable(QString* error) const
{
    // The constructor for a given file only logs its failures, so look at what it left.
    const QSqlDatabase* database = m_pool->connector->database;
    const QString path = m_pool->connector->databasePath;
    if (!database || !database->isOpen()) {
        *error = QStringLiteral("cannot open database %1").arg(Console::quoted(path));
        return false;
    }
    if (!database->tables().contains(QLatin1String(todoTable), Qt::CaseInsensitive)) {
        *error = QStringLiteral("cannot initialise database %1: the schema script "
                                "orvel_lite_db.sql was not found (set ORVEL_SCHEMA_DIR to "
                                "its directory)")
                     .arg(Console::quoted(path));
        return false;
    }
    return true;
}

bool Session::makeDefaultDirectory(QString* error) const
{
    // The library's default connector ends the process without naming the path when the
    // directory cannot be made; say which directory it is while there is still time.
    const QString directory = QFileInfo(defaultDatabasePath()).absolutePath();
    // Made private to its owner, as the library makes it.
    if (QFileInfo(directory).isDir() ||
        ::mkdir(QFile::encodeName(directory).constData(), S_IRWXU) == 0)
        return true;
    *error = QStringLiteral("cannot create the directory %1 for the database: the home "
                            "directory %2 is not writable")
                 .arg(Console::quoted(directory), Console::quoted(QDir::homePath()));
    return false;
}

bool Session::databaseIsReadable(const QString& path, QString* error)
{
    bool readable = false;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QLatin1String(sqliteDriver),
                                                          QLatin1String(probeConnectionName));
        database.setDatabaseName(path);
        if (!database.open()) {
            *error = QStringLiteral("cannot open database %1: %2")
                         .arg(Console::quoted(QFileInfo(path).absoluteFilePath()),
                              database.lastError().databaseText());
        } else {
            QSqlQuery probe(database);
            readable = probe.exec(QLatin1String(probeStatement));
            if (!readable) {
                *error = QStringLiteral("cannot use database %1: %2")
                             .arg(Console::quoted(QFileInfo(path).absoluteFilePath()),
                                  probe.lastError().databaseText());
            }
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(probeConnectionName));
    return readable;
}

QString Session::defaultDatabasePath()
{
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(defaultDirectory) +
           QLatin1Char('/') + QLatin1String(defaultFileName);
}
