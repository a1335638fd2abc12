#include "databaselock.h"

#include "console.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

const char lockSuffix[] = ".lock";
const int millisecondsPerSecond = 1000;
const unsigned long pollMilliseconds = 20;

} // namespace

DatabaseLock::DatabaseLock(const QString& databasePath)
    : m_databasePath(databasePath), m_file(lockPathOf(databasePath))
{
    // A command may legitimately run for a long time on a large database; only a lock whose
    // process is gone counts as abandoned.
    m_file.setStaleLockTime(0);
}

DatabaseLock::~DatabaseLock() = default;

bool DatabaseLock::acquire(int timeoutSeconds, QString* error)
{
    // QLockFile's own wait doubles its pauses up to seconds; a command holds the lock for
    // milliseconds, so short regular polls keep many waiting commands moving.
    QElapsedTimer waited;
    waited.start();
    while (!m_file.tryLock(0)) {
        if (m_file.error() != QLockFile::LockFailedError ||
            waited.elapsed() >= qint64(timeoutSeconds) * millisecondsPerSecond)
            return describeFailure(timeoutSeconds, error);
        QThread::msleep(pollMilliseconds);
    }
    return true;
}

bool DatabaseLock::describeFailure(int timeoutSeconds, QString* error) const
{
    switch (m_file.error()) {
    case QLockFile::LockFailedError:
        *error = QStringLiteral("the database %1 is still in use by %2 after %3 s; try again or "
                                "wait longer with --wait SECONDS")
                     .arg(Console::quoted(m_databasePath), holderDescription())
                     .arg(timeoutSeconds);
        break;
    case QLockFile::PermissionError:
        *error =
            QStringLiteral("cannot lock the database %1: no permission to create %2")
                .arg(Console::quoted(m_databasePath), Console::quoted(lockPathOf(m_databasePath)));
        break;
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        *error =
            QStringLiteral("cannot lock the database %1: cannot write %2")
                .arg(Console::quoted(m_databasePath), Console::quoted(lockPathOf(m_databasePath)));
        break;
    }
    return false;
}

QString DatabaseLock::lockPathOf(const QString& databasePath)
{
    return databasePath + QLatin1String(lockSuffix);
}

QString DatabaseLock::holderDescription() const
{
    qint64 pid = 0;
    QString hostName;
    QString application;
    if (!m_file.getLockInfo(&pid, &hostName, &application))
        return QStringLiteral("another program");
    return QStringLiteral("process %1").arg(pid);
}
