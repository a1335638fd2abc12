#ifndef ORVEL_DATABASECONNECTOR_H
#define ORVEL_DATABASECONNECTOR_H

#include <QObject>
#include <QString>
#include <orvel/orvel_export.h>

QT_BEGIN_NAMESPACE
class QSqlDatabase;
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

class Entity;

/// The storage connection: one database connection and the one statement object on which every
/// statement of the library runs, one after the other, on the caller's thread. The Pool creates and
/// owns its connector.
class ORVEL_EXPORT DatabaseConnector : public QObject
{
    Q_OBJECT

public:
    /// A connector without connection; the subclass opens it.
    DatabaseConnector();
    /// Destroys the connector; the subclass closes the connection.
    ~DatabaseConnector() override;

    /// Opens the connection and creates the shared statement object. Returns false when the
    /// database cannot be opened.
    virtual bool createConnection() = 0;
    /// Closes the connection and deletes the shared statement object. Records and loaders attached
    /// before must not run statements afterwards.
    virtual void closeConnection() = 0;
    /// Creates the tables when the database does not hold them yet. Returns false when that fails.
    virtual bool initializeDatabase() = 0;
    /// Closes the connection and deletes the database file. Returns false when there is no file or
    /// it cannot be removed.
    virtual bool deleteDatabase() = 0;

    /// Name under which the connection is registered with QtSql.
    QString connectionName;
    /// File name of the database.
    QString databasePath;
    /// The connection handle; owned, null while no connection is set up.
    QSqlDatabase* database;
    /// The shared statement object; owned, null while the connection is not open. Records and
    /// loaders copy the pointer.
    QSqlQuery* sqlQuery;

public Q_SLOTS:
    /// Runs the record's insert (when new) or update, then its delete when the record is removed.
    /// Returns false, after logging it, when a statement failed.
    bool persist(Entity& entity);

Q_SIGNALS:
    //! A record stored through this connector changed: emitted by Entity::modified(), hence by
    //! every setter, and for a todo also when a child leaves it or its first save assigns its
    //! identifier. The connector is the one object that every record of a pool knows, so one
    //! connection (Pool::events() relays it) serves them all.
    void recordChanged(Orvel::Entity* record);
};

} // namespace Orvel

#endif
