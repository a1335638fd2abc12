#ifndef ORVEL_TESTS_TESTSUPPORT_H
#define ORVEL_TESTS_TESTSUPPORT_H

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace OrvelTest {

// A reading of the device's clock, and an instant in UTC.
inline QDateTime wallClock(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

inline QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                     int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

// The temporary home directory that this test process runs in (set before main()).
QString homeDirectory();

// The default database path of the library inside the temporary home.
QString defaultDatabasePath();

// A database file in the temporary home, named for the pool connection that uses it.
inline QString databasePath(const QString& name)
{
    return homeDirectory() + QLatin1Char('/') + name + QStringLiteral(".sqlite");
}

// Runs the sqlite3 command-line program on a database file and returns its standard output
// with the trailing newline removed. Fails the current test when sqlite3 cannot be run.
QString sqlite3(const QString& databasePath, const QString& sql);

} // namespace OrvelTest

#endif
