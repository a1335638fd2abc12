#include "orvelrun.h"

#include <QFile>
#include <QTest>

namespace {

const int runTimeout = 120000;

QString shellQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

const char OrvelRun::defaultNow[] = "2015-01-14 12:00:00";

QStringList RunResult::linesOf(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

OrvelRun::OrvelRun() : m_now(QLatin1String(defaultNow)), m_zone(QStringLiteral("UTC")) {}

RunResult OrvelRun::run(const QStringList& arguments) const
{
    return runProgram(QStringLiteral(ORVEL_CLI_BINARY), arguments);
}

RunResult OrvelRun::run(const char* arguments) const
{
    const QString text = QString::fromUtf8(arguments);
    return run(text.isEmpty() ? QStringList() : text.split(QLatin1Char('|')));
}

RunResult OrvelRun::runOnTerminal(const QStringList& arguments) const
{
    QString command = shellQuoted(QStringLiteral(ORVEL_CLI_BINARY));
    for (const QString& argument : arguments)
        command += QLatin1Char(' ') + shellQuoted(argument);
    return runProgram(QStringLiteral(ORVEL_CLI_SCRIPT),
                      {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
}

RunResult OrvelRun::runProgram(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setWorkingDirectory(home());
    process.start(program, arguments);
    RunResult result;
    if (!process.waitForFinished(runTimeout)) {
        process.kill();
        process.waitForFinished();
    }
    result.finishedNormally = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString OrvelRun::sqlite(const QString& databasePath, const QString& sql)
{
    QProcess process;
    process.start(QStringLiteral(ORVEL_CLI_SQLITE3), {databasePath, sql});
    if (!process.waitForFinished(runTimeout) || process.exitCode() != 0) {
        QTest::qFail(qPrintable(QStringLiteral("sqlite3 failed: ") +
                                QString::fromLocal8Bit(process.readAllStandardError())),
                     __FILE__, __LINE__);
        return QString();
    }
    QString out = QString::fromUtf8(process.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

QString OrvelRun::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = home() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        QTest::qFail(qPrintable(QStringLiteral("cannot write ") + path), __FILE__, __LINE__);
    return path;
}

QProcessEnvironment OrvelRun::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("TZ"), m_zone);
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("ORVEL_SCHEMA_DIR"), QStringLiteral(ORVEL_CLI_SCHEMA_DIR));
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ORVEL_CLI_FAKETIME));
    environment.insert(QStringLiteral("FAKETIME"), m_now);
    environment.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
    // A sanitized orvel refuses a preloaded library unless told that the order is intended.
    // The last setting of an option wins, so it goes after whatever the caller set.
    QString asanOptions = environment.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asanOptions.isEmpty())
        asanOptions += QLatin1Char(':');
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       asanOptions + QStringLiteral("verify_asan_link_order=0"));
    return environment;
}
