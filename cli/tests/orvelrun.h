#ifndef ORVEL_CLI_TESTS_ORVELRUN_H
#define ORVEL_CLI_TESTS_ORVELRUN_H

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// The tests' texts: short for QString::fromUtf8.
inline QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Fails the test with orvel's standard error when the run did not end as expected.
#define COMPARE_EXIT(run, code)                                                                    \
    do {                                                                                           \
        const RunResult& finished = (run);                                                         \
        QVERIFY2(finished.finishedNormally, qPrintable(finished.err));                             \
        if (finished.exitCode != (code))                                                           \
            qWarning("orvel wrote: %s", qPrintable(finished.err + finished.out));                  \
        QCOMPARE(finished.exitCode, (code));                                                       \
    } while (false)

// What one run of orvel left behind.
struct RunResult
{
    int exitCode = -1;
    bool finishedNormally = false;
    QString out;
    QString err;

    QStringList outLines() const { return linesOf(out); }
    QStringList errLines() const { return linesOf(err); }

private:
    // The lines of a text, without the empty one after its last line feed.
    static QStringList linesOf(const QString& text);
};

// A temporary home directory in which orvel runs with a pinned zone and clock, so that no test
// touches the real database and every date is reproducible.
class OrvelRun
{
public:
    // The clock every run sees unless a test sets another: Wednesday 14 January 2015, noon.
    static const char defaultNow[];

    OrvelRun();

    QString home() const { return m_home.path(); }
    // ~/.orvel/orvel_db.sqlite of the temporary home.
    QString defaultDatabase() const { return home() + QStringLiteral("/.orvel/orvel_db.sqlite"); }
    // Frozen time of the following runs, "YYYY-MM-DD hh:mm:ss" in the zone set below.
    void setNow(const QString& timestamp) { m_now = timestamp; }
    // The TZ of the following runs (UTC unless set).
    void setZone(const QString& zone) { m_zone = zone; }

    RunResult run(const QStringList& arguments) const;
    // The same with the arguments in one text, separated by '|': "add|Buy milk|--start|2090-03-04".
    RunResult run(const char* arguments) const;
    // Runs orvel on a pseudo-terminal; standard output and error both end up in out.
    RunResult runOnTerminal(const QStringList& arguments) const;
    // Runs the sqlite3 program on a database and returns its output without the last line feed.
    static QString sqlite(const QString& databasePath, const QString& sql);
    // The same on the default database.
    QString sql(const char* statement) const
    {
        return sqlite(defaultDatabase(), QString::fromUtf8(statement));
    }
    // Writes a file in the temporary home and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;

private:
    QProcessEnvironment environment() const;
    RunResult runProgram(const QString& program, const QStringList& arguments) const;

    QTemporaryDir m_home;
    QString m_now;
    QString m_zone;
};

#endif
