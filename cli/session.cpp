#include "session.h"

#include <QSqlDatabase>
#include <QStringList>
#include <orvel/databaseconnector.h>
#include <orvel/entity.h>
#include <orvel/pool.h>

namespace {

// The QtSql connection name of a database given with --db.
const char connectionName[] = "orvel_cli";
// Every database the library initialised holds this table.
const char todoTable[] = "TODO_PROJECT";

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

} // namespace

Session::Session(const QString& databasePath) : m_databasePath(databasePath), m_pool(nullptr) {}

Session::~Session()
{
    if (!m_pool)
        return;
    // Writes whatever is still outstanding and closes the database.
    delete m_pool;
}

bool Session::open(QString* error)
{
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
                 .arg(quoted(m_pool->connector->databasePath));
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
        *error = QStringLiteral("cannot open database %1").arg(quoted(path));
        return false;
    }
    if (!database->tables().contains(QLatin1String(todoTable), Qt::CaseInsensitive)) {
        *error = QStringLiteral("cannot initialise database %1: the schema script "
                                "orvel_lite_db.sql was not found (set ORVEL_SCHEMA_DIR to "
                                "its directory)")
                     .arg(quoted(path));
        return false;
    }
    return true;
}
