#ifndef ORVEL_TESTS_TESTSUPPORT_H
#define ORVEL_TESTS_TESTSUPPORT_H

#include <QString>
#include <QStringList>

namespace OrvelTest {

// The temporary home directory that this test process runs in (set before main()).
QString homeDirectory();

// The default database path of the library inside the temporary home.
QString defaultDatabasePath();

// Runs the sqlite3 command-line program on a database file and returns its standard output
// with the trailing newline removed. Fails the current test when sqlite3 cannot be run.
QString sqlite3(const QString& databasePath, const QString& sql);

} // namespace OrvelTest

#endif
