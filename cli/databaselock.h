#ifndef ORVEL_CLI_DATABASELOCK_H
#define ORVEL_CLI_DATABASELOCK_H

#include <QLockFile>
#include <QString>

// The lock that makes one run of orvel a single unit for every other run on the same database:
// it is taken before the database is loaded and released after the last change is written, so
// that no other run can load the records in between and write back an older state. The lock is a
// file beside the database; a run that dies leaves it behind, and the next run takes it over.
class DatabaseLock
{
public:
    explicit DatabaseLock(const QString& databasePath);
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // Waits up to timeoutSeconds for the lock; false with a message when it was not obtained.
    [[nodiscard]] bool acquire(int timeoutSeconds, QString* error);
    // The lock file of a database.
    static QString lockPathOf(const QString& databasePath);

private:
    // Leaves the message for the reason the lock was not obtained; always false.
    bool describeFailure(int timeoutSeconds, QString* error) const;
    QString holderDescription() const;

    QString m_databasePath;
    QLockFile m_file;
};

#endif
