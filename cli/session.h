#ifndef ORVEL_CLI_SESSION_H
#define ORVEL_CLI_SESSION_H

#include <QString>
#include <memory>

class DatabaseLock;

namespace Orvel {
class Pool;
} // namespace Orvel

// One use of the database: opens the pool on the default database or on a given file, loads it,
// writes the changes of a command and frees everything at the end.
class Session
{
public:
    // An empty path means the default database in the home directory.
    explicit Session(const QString& databasePath);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // How long open() waits for another run of orvel to finish with the database.
    void setLockTimeout(int seconds);
    // Locks, opens and loads the database; false with a message when it cannot be used. The lock
    // is held until the session ends, after the last change has been written.
    bool open(QString* error);
    Orvel::Pool* pool() const;
    // Writes every outstanding change; false with a message when some record was not saved.
    bool save(QString* error);

private:
    bool databaseIsUsable(QString* error) const;
    bool makeDefaultDirectory(QString* error) const;
    // Reads the file with a connection of its own, so that a damaged file or one that is no
    // database at all is reported with SQLite's own words before the library touches it.
    static bool databaseIsReadable(const QString& path, QString* error);
    static QString defaultDatabasePath();

    QString m_databasePath;
    int m_lockTimeout;
    // Declared before the pool's pointer: released only after the pool wrote and closed.
    std::unique_ptr<DatabaseLock> m_lock;
    Orvel::Pool* m_pool;
};

#endif
