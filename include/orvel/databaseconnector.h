#ifndef ORVEL_DATABASECONNECTOR_H
#define ORVEL_DATABASECONNECTOR_H

#include <orvel/orvel_export.h>

#include <QObject>
#include <QString>

QT_BEGIN_NAMESPACE
class QSqlDatabase;
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

class Entity;

/// The storage connection: one database connection and the one statement object on which every
/// statement of the library runs.
class ORVEL_EXPORT DatabaseConnector : public QObject
{
    Q_OBJECT

public:
    DatabaseConnector();
    ~DatabaseConnector() override;

    virtual bool createConnection() = 0;
    virtual void closeConnection() = 0;
    virtual bool initializeDatabase() = 0;
    virtual bool deleteDatabase() = 0;

    QString connectionName;
    QString databasePath;
    QSqlDatabase* database;
    QSqlQuery* sqlQuery;

public Q_SLOTS:
    /// Runs the record's insert or update, then its delete when the record is removed.
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
