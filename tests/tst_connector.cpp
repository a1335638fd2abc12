#include "loghandler.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <orvel/entity.h>
#include <orvel/sqliteconnector.h>
#include <sys/stat.h>

using OrvelTest::LogCapture;

namespace {

// A child run of this program constructs the default connector in the home directory and with
// the schema directory named by these variables, and is expected to end in qFatal().
const char childHomeVariable[] = "TST_CONNECTOR_CHILD_HOME";
const char childSchemaVariable[] = "TST_CONNECTOR_CHILD_SCHEMA_DIR";

const QString cannotOpenLine =
    QStringLiteral("ERROR Cannot open database, unable to establish a database connection.\n");
const QString scriptMissingLine =
    QStringLiteral("ERROR Database initialization file cannot be opened!");
const QString alreadyClosedLine = QStringLiteral("WARNING Database connection already closed");

const QString tablesQuery =
    QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name;");

// Points the library at another schema directory until the test function ends.
void useSchemaDirectory(const QString& directory)
{
    qputenv("ORVEL_SCHEMA_DIR", QFile::encodeName(directory));
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

int permissionBits(const QString& path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 07777);
}

int runChild()
{
    qputenv("HOME", qgetenv(childHomeVariable));
    qputenv("ORVEL_SCHEMA_DIR", qgetenv(childSchemaVariable));
    // qFatal() skips the destructors, so the fresh home made for this process goes now.
    QDir(OrvelTest::homeDirectory()).removeRecursively();
    Orvel::SqliteConnector connector;
    return 0;
}

} // namespace

class TestConnector : public QObject
{
    Q_OBJECT

private:
    // Writes a schema script into a directory of its own and returns that directory.
    QString prepareScript(const QByteArray& script)
    {
        const QString directory =
            m_scratch.filePath(QStringLiteral("schema%1").arg(++m_fileCounter));
        if (!QDir().mkpath(directory) ||
            !writeFile(directory + QStringLiteral("/orvel_lite_db.sql"), script))
            return QString();
        return directory;
    }

    const QByteArray m_schemaDirectory = qgetenv("ORVEL_SCHEMA_DIR");
    QTemporaryDir m_scratch;
    int m_fileCounter = 0;

private Q_SLOTS:
    void cleanup() { qputenv("ORVEL_SCHEMA_DIR", m_schemaDirectory); }

    void firstRunInEmptyHome()
    {
        const QString orvelDirectory = OrvelTest::homeDirectory() + QStringLiteral("/.orvel");
        QVERIFY(!QFileInfo::exists(orvelDirectory));

        LogCapture capture;
        {
            Orvel::SqliteConnector connector;
            QCOMPARE(connector.connectionName, QStringLiteral("orvel_db"));
            QCOMPARE(connector.databasePath, OrvelTest::defaultDatabasePath());
            QVERIFY(connector.database && connector.database->isOpen());
            QVERIFY(connector.sqlQuery);
            QCOMPARE(connector.database->tables(QSql::Tables).size(), 7);
        }
        QCOMPARE(capture.messages(), QStringList());

        QCOMPARE(permissionBits(orvelDirectory), 0700);
        QVERIFY(QFileInfo(OrvelTest::defaultDatabasePath()).isFile());
        QCOMPARE(OrvelTest::sqlite3(OrvelTest::defaultDatabasePath(), tablesQuery),
                 QStringLiteral("ALARM\nBINARY\nFIELD\nFIELD_TYPE\nRECURRENCE\nTODO_PROJECT\n"
                                "sqlite_sequence"));
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("orvel_db")));
    }

    void scriptPieces_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("tables");

        QTest::newRow("pieces end in ## and white space")
            << QByteArray("CREATE TABLE A (a INTEGER PRIMARY KEY AUTOINCREMENT)##\n"
                          "CREATE TABLE B (b TEXT)##  \n\t\n##\n")
            << "A\nB\nsqlite_sequence";
        QTest::newRow("comment-only and semicolon-only pieces")
            << QByteArray("-- tables of the test\n##CREATE TABLE A (a)##;##") << "A";
        QTest::newRow("zero byte ends the script")
            << QByteArray("CREATE TABLE A (a)##\n\0THIS IS NOT SQL##", 37) << "A";
    }

    void scriptPieces()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, tables);

        const QString directory = prepareScript(script);
        QVERIFY(!directory.isEmpty());
        const QString path =
            m_scratch.filePath(QStringLiteral("pieces%1.sqlite").arg(m_fileCounter));
        useSchemaDirectory(directory);

        LogCapture capture;
        {
            Orvel::SqliteConnector connector(path, QStringLiteral("pieces"));
            QVERIFY(connector.database && connector.database->isOpen());
        }
        QCOMPARE(capture.messages(), QStringList());
        QCOMPARE(OrvelTest::sqlite3(path, tablesQuery), tables);
    }

    void failingStatementStopsInitialization()
    {
        const QString directory = prepareScript("CREATE TABLE A (a)##\n"
                                                "INSERT INTO MISSING VALUES (1)\n"
                                                "##CREATE TABLE B (b)##");
        QVERIFY(!directory.isEmpty());
        QTemporaryDir withoutScript;
        const QString path = m_scratch.filePath(QStringLiteral("failing.sqlite"));
        useSchemaDirectory(withoutScript.path());
        Orvel::SqliteConnector connector(path, QStringLiteral("failing"));
        useSchemaDirectory(directory);

        LogCapture capture;
        QCOMPARE(connector.initializeDatabase(), false);
        const QString errorText = connector.queryErrorText();
        QVERIFY2(errorText.contains(QStringLiteral("no such table: MISSING")),
                 qPrintable(errorText));
        QCOMPARE(
            capture.messages(),
            (QStringList{"ERROR Query execution failed: \"INSERT INTO MISSING VALUES (1)\" \n \"" +
                             errorText + '"',
                         "ERROR Initialization failed!"}));
        // The statement after the failing one never ran, and the one before is not committed.
        QCOMPARE(connector.database->tables(QSql::Tables), QStringList{QStringLiteral("A")});
        QCOMPARE(OrvelTest::sqlite3(path, tablesQuery), QString());
    }

    void missingScript()
    {
        QTemporaryDir withoutScript;
        const QString path = m_scratch.filePath(QStringLiteral("unscripted.sqlite"));
        useSchemaDirectory(withoutScript.path());

        LogCapture capture;
        Orvel::SqliteConnector connector(path, QStringLiteral("unscripted"));
        QCOMPARE(capture.messages(), QStringList{scriptMissingLine});
        capture.clear();

        QCOMPARE(connector.initializeDatabase(), false);
        QCOMPARE(capture.messages(), QStringList{scriptMissingLine});
        QVERIFY(connector.database && connector.database->isOpen());
        QCOMPARE(connector.database->tables(QSql::Tables).size(), 0);
    }

    void closeCompactsOnceAndWarnsTwice()
    {
        const QString path = m_scratch.filePath(QStringLiteral("closing.sqlite"));
        Orvel::SqliteConnector connector(path, QStringLiteral("closing"));
        QVERIFY(connector.database && connector.database->isOpen());
        OrvelTest::sqlite3(path, QStringLiteral("INSERT INTO BINARY (data) VALUES "
                                                "(zeroblob(400000)); DELETE FROM BINARY;"));
        const QString freePages =
            OrvelTest::sqlite3(path, QStringLiteral("PRAGMA freelist_count;"));
        QVERIFY2(freePages.toInt() > 50, qPrintable(freePages));

        LogCapture capture;
        connector.closeConnection();
        QCOMPARE(capture.messages(), QStringList());
        QVERIFY(!connector.database);
        QVERIFY(!connector.sqlQuery);
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("closing")));
        QCOMPARE(OrvelTest::sqlite3(path, QStringLiteral("PRAGMA freelist_count;")),
                 QStringLiteral("0"));

        connector.closeConnection();
        QCOMPARE(capture.messages(), QStringList{alreadyClosedLine});
    }

    void deleteDatabase_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("connection closed before")
            << "closed" << true << QStringList{alreadyClosedLine, "INFO Database file deleted."};
        QTest::newRow("file already gone") << "gone" << false << QStringList();
        QTest::newRow("path names a directory")
            << "directory" << false << QStringList{"ERROR Database file cannot be deleted."};
    }

    void deleteDatabase()
    {
        QFETCH(QString, situation);
        QFETCH(bool, expected);
        QFETCH(QStringList, lines);

        const QString path =
            m_scratch.filePath(QStringLiteral("deleted%1.sqlite").arg(++m_fileCounter));
        Orvel::SqliteConnector connector(path, QStringLiteral("deleted"));
        QVERIFY(connector.database && connector.database->isOpen());
        QVERIFY(QFile::exists(path));

        if (situation == QLatin1String("closed"))
            connector.closeConnection();
        else if (situation == QLatin1String("gone"))
            QVERIFY(QFile::remove(path));
        else if (situation == QLatin1String("directory"))
            connector.databasePath = m_scratch.path();

        LogCapture capture;
        QCOMPARE(connector.deleteDatabase(), expected);
        QCOMPARE(capture.messages(), lines);
        QVERIFY(!connector.database);
        QVERIFY(!connector.sqlQuery);
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("deleted")));
        QCOMPARE(QFile::exists(path), situation == QLatin1String("directory"));
    }

    void unusablePathLeavesConnectorUsable()
    {
        const QString unusable = m_scratch.filePath(QStringLiteral("missing/folder/db.sqlite"));

        LogCapture capture;
        Orvel::SqliteConnector connector(unusable, QStringLiteral("unusable"));
        QCOMPARE(capture.messages(), QStringList{cannotOpenLine});
        QCOMPARE(connector.databasePath, unusable);
        QCOMPARE(connector.connectionName, QStringLiteral("unusable"));
        QVERIFY(!connector.database);
        QVERIFY(!connector.sqlQuery);
        QCOMPARE(connector.queryErrorText(), QString());
        QCOMPARE(connector.initializeDatabase(), false);
        QCOMPARE(connector.deleteDatabase(), false);
        QCOMPARE(capture.messages(), (QStringList{cannotOpenLine, alreadyClosedLine}));

        // A later attempt on a usable path succeeds with the same object.
        capture.clear();
        connector.databasePath = m_scratch.filePath(QStringLiteral("usable.sqlite"));
        QCOMPARE(connector.createConnection(), true);
        QCOMPARE(connector.initializeDatabase(), true);
        QCOMPARE(connector.database->tables(QSql::Tables).size(), 7);
        // Connecting again drops the registered name and opens it afresh, without a warning.
        QCOMPARE(connector.createConnection(), true);
        QVERIFY(connector.sqlQuery->exec(QStringLiteral("SELECT count(*) FROM TODO_PROJECT;")));
        QCOMPARE(capture.messages(), QStringList());
    }

    void defaultConstructorEndsProcess_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("schemaDir");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QByteArray>("fatalMessage");

        const QByteArray cannotConnect = "Database connection can't be established!";
        const QByteArray cannotInitialize = "Database can't be initialized!";
        QTest::newRow("home does not exist") << "missing/home"
                                             << "schema" << cannotOpenLine << cannotConnect;
        QTest::newRow("schema script missing")
            << "home"
            << "noscript" << scriptMissingLine << cannotInitialize;
    }

    void defaultConstructorEndsProcess()
    {
        QFETCH(QString, home);
        QFETCH(QString, schemaDir);
        QFETCH(QString, logLine);
        QFETCH(QByteArray, fatalMessage);

        QTemporaryDir scratch;
        QVERIFY(QDir(scratch.path()).mkpath(QStringLiteral("home")));
        QVERIFY(QDir(scratch.path()).mkpath(QStringLiteral("noscript")));
        const QString schema = schemaDir == QLatin1String("schema")
                                   ? QString::fromLocal8Bit(qgetenv("ORVEL_SCHEMA_DIR"))
                                   : scratch.filePath(schemaDir);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(childHomeVariable), scratch.filePath(home));
        environment.insert(QLatin1String(childSchemaVariable), schema);
        environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{message}"));
        environment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(60000));

        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const QByteArray errors = child.readAllStandardError();
        // The coloured tag, then the message and the fatal line.
        QVERIFY2(errors.endsWith(logLine.section(QLatin1Char(' '), 1).toUtf8() + '\n' +
                                 fatalMessage + '\n'),
                 errors.constData());
        // Only the fatal path may create the database directory, and only in a usable home.
        QCOMPARE(QFileInfo::exists(scratch.filePath(home) + QStringLiteral("/.orvel")),
                 home == QLatin1String("home"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (qEnvironmentVariableIsSet(childHomeVariable))
        return runChild();
    TestConnector test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connector.moc"
