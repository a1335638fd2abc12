#ifndef ORVEL_CLI_SESSION_H
#define ORVEL_CLI_SESSION_H

#include <QString>

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

    // Opens and loads the database; false with a message when it cannot be used.
    bool open(QString* error);
    Orvel::Pool* pool() const;
    // Writes every outstanding change; false with a message when some record was not saved.
    bool save(QString* error);

private:
    bool databaseIsUsable(QString* error) const;

    QString m_databasePath;
    Orvel::Pool* m_pool;
};

#endif
