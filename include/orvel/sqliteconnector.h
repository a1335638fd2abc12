#ifndef ORVEL_SQLITECONNECTOR_H
#define ORVEL_SQLITECONNECTOR_H

#include <orvel/databaseconnector.h>

namespace Orvel {

/// The SQLite connection. It creates the schema from the installed script on first use and
/// compacts the file when the connection closes.
class ORVEL_EXPORT SqliteConnector : public DatabaseConnector
{
    Q_OBJECT

public:
    /// Opens ~/.orvel/orvel_db.sqlite; ends the process when it cannot be opened or initialised.
    SqliteConnector();
    /// Opens the given file under the given connection name; failures are only logged.
    SqliteConnector(const QString& databasePath, const QString& connectionName);
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
