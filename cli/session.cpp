#include "session.h"

#include <QSqlDatabase>
#include <QStringList>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databaseconnector.h>
#include <orvel/field.h>
#include <orvel/pool.h>
#include <orvel/todo.h>
#include <utility>

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
    freeDeletedTodos();
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

void Session::adoptDeletedTodo(Orvel::Todo* todo)
{
    m_deletedTodos.append(todo);
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

void Session::freeDeletedTodos()
{
    for (Orvel::Todo* todo : std::as_const(m_deletedTodos)) {
        // Destroying a todo first undeletes it and its children: none of that may reach the
        // pool, which would list them again and later write records that no longer exist.
        for (Orvel::Alarm* alarm : std::as_const(*todo->deletedAlarms))
            forgetRecord(alarm);
        for (Orvel::Binary* binary : std::as_const(*todo->deletedBinaries))
            forgetRecord(binary);
        for (Orvel::Field* field : std::as_const(*todo->deletedFields))
            forgetRecord(field);
        forgetRecord(todo);
        delete todo;
    }
    m_deletedTodos.clear();
}

void Session::forgetRecord(Orvel::Entity* record)
{
    m_pool->unsynchronizedEntities->removeAll(record);
    QObject::disconnect(record, nullptr, m_pool, nullptr);
}
