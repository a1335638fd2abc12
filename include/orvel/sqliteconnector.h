#ifndef ORVEL_SQLITECONNECTOR_H
#define ORVEL_SQLITECONNECTOR_H

#include <orvel/databaseconnector.h>

namespace Orvel {

/// The SQLite connection (QtSql driver "QSQLITE"). It creates the schema from the installed script
/// on first use and compacts the file ("VACUUM") when the connection closes.
class ORVEL_EXPORT SqliteConnector : public DatabaseConnector
{
    Q_OBJECT

public:
    /// Opens ~/.orvel/orvel_db.sqlite (creating the folder when needed) under the connection name
    /// "orvel_db"; ends the process with a fatal message when it cannot be opened or initialised.
    SqliteConnector();
    /// Opens the file \a databasePath under the connection name \a connectionName; failures are
    /// only logged, and the connector is then left without an open connection.
    SqliteConnector(const QString& databasePath, const QString& connectionName);
    /// Compacts and closes the connection.
    ~SqliteConnector() override;

    bool createConnection() override;
    void closeConnection() override;
    bool initializeDatabase() override;
    bool deleteDatabase() override;

    /// The text of the last error of the shared statement object.
    QString queryErrorText();
};

} // namespace Orvel

#endif
