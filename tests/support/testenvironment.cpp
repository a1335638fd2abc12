#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtGlobal>

namespace {

QTemporaryDir& temporaryHome()
{
    static QTemporaryDir dir;
    return dir;
}

// Runs before main(): no test may read or write the real home directory, and the library must
// find the schema script of this source tree instead of an installed one.
void isolateTestProcess()
{
    qputenv("HOME", QFile::encodeName(temporaryHome().path()));
    qputenv("ORVEL_SCHEMA_DIR", QByteArray(ORVEL_TEST_SCHEMA_DIR));
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(isolateTestProcess)

namespace OrvelTest {

QString homeDirectory()
{
    return temporaryHome().path();
}

QString defaultDatabasePath()
{
    return homeDirectory() + QStringLiteral("/.orvel/orvel_db.sqlite");
}

QString sqlite3(const QString& databasePath, const QString& sql)
{
    QProcess process;
    process.start(QStringLiteral(ORVEL_SQLITE3), {databasePath, sql});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
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

} // namespace OrvelTest
