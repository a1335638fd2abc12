// End-to-end tests of orvel: every run starts the built program in a temporary home with the zone
// pinned to UTC and the clock frozen at Wednesday 14 January 2015, 12:00 (unless a test sets
// another), and the database is checked with the sqlite3 program.
#include "orvelrun.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <unistd.h>

namespace {

const char dateMessage[] = "orvel: cannot read date '%1', expected YYYY-MM-DD[ HH:MM]";

// Fails the test with orvel's standard error when the run did not end as expected. The run is
// evaluated once: it may be the call that starts orvel.
#define COMPARE_EXIT(run, code)                                                                    \
    do {                                                                                           \
        const RunResult& finished = (run);                                                         \
        QVERIFY2(finished.finishedNormally, qPrintable(finished.err));                             \
        if (finished.exitCode != (code))                                                           \
            qWarning("orvel wrote: %s", qPrintable(finished.err));                                 \
        QCOMPARE(finished.exitCode, (code));                                                       \
    } while (false)

// Compares lines as one text, and prints both in full when they differ.
#define COMPARE_LINES(actual, expected)                                                            \
    do {                                                                                           \
        const QString actualText = QStringList(actual).join(QLatin1Char('\n'));                    \
        const QString expectedText = QStringList(expected).join(QLatin1Char('\n'));                \
        if (actualText != expectedText)                                                            \
            qWarning("Actual lines:\n%s\nExpected lines:\n%s", qPrintable(actualText),             \
                     qPrintable(expectedText));                                                    \
        QCOMPARE(actualText, expectedText);                                                        \
    } while (false)

QStringList firstColumn(const QStringList& lines)
{
    QStringList ids;
    for (const QString& line : lines)
        ids << line.section(QLatin1Char('\t'), 0, 0);
    return ids;
}

QString tabbed(const QStringList& columns)
{
    return columns.join(QLatin1Char('\t'));
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString dump(const QString& databasePath)
{
    return OrvelRun::sqlite(databasePath, QStringLiteral(".dump"));
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void helpShowsUsage_data();
    void helpShowsUsage();
    void addStoresTodoWithFieldsAndAlarms();
    void showPrintsEveryDetail();
    void listShowsOneLinePerTodo_data();
    void listShowsOneLinePerTodo();
    void listFiltersAndSorts_data();
    void listFiltersAndSorts();
    void doneUndoneAndNoteChangeTheTodo();
    void deleteRemovesTodoWithDependants();
    void attachAndExportRoundTrip();
    void repeatAndInstanceUpToDate();
    void deleteInstanceKeepsTheRule();
    void nextInstancesNextOccurrence_data();
    void nextInstancesNextOccurrence();
    void listWithRecurringIncludesOccurrences();
    void databaseWrittenByOneRunIsReadByTheNext();
    void badDatesChangeNothing_data();
    void badDatesChangeNothing();
    void badInputCreatesNoDatabase();
    void rejectsBadCommandLine_data();
    void rejectsBadCommandLine();
    void unknownIdsFail_data();
    void unknownIdsFail();
    void unwritableDatabasePathFails_data();
    void unwritableDatabasePathFails();
    void failedSaveIsReported();
    void diagnosticsOnlyWithVerbose();
    void diagnosticsKeepColoursOnATerminal();
};

void TestCli::helpShowsUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("usage");
    QTest::addColumn<QString>("mentioned");

    QTest::newRow("program") << QStringList{QStringLiteral("--help")}
                             << QStringLiteral("Usage: orvel [options] COMMAND [arguments]")
                             << QStringLiteral("export-attachment");
    QTest::newRow("add") << QStringList{QStringLiteral("add"), QStringLiteral("--help")}
                         << QStringLiteral("Usage: orvel add [options] NOTE")
                         << QStringLiteral("--alarm <date>");
    QTest::newRow("list, short option")
        << QStringList{QStringLiteral("list"), QStringLiteral("-h")}
        << QStringLiteral("Usage: orvel list [options]") << QStringLiteral("--recurring");
    QTest::newRow("show") << QStringList{QStringLiteral("show"), QStringLiteral("--help")}
                          << QStringLiteral("Usage: orvel show [options] ID")
                          << QStringLiteral("--db <FILE>");
    QTest::newRow("done") << QStringList{QStringLiteral("done"), QStringLiteral("--help")}
                          << QStringLiteral("Usage: orvel done [options] ID")
                          << QStringLiteral("--verbose");
    QTest::newRow("undone") << QStringList{QStringLiteral("undone"), QStringLiteral("--help")}
                            << QStringLiteral("Usage: orvel undone [options] ID")
                            << QStringLiteral("not done");
    QTest::newRow("note") << QStringList{QStringLiteral("note"), QStringLiteral("--help")}
                          << QStringLiteral("Usage: orvel note [options] ID TEXT")
                          << QStringLiteral("TEXT");
    QTest::newRow("delete") << QStringList{QStringLiteral("delete"), QStringLiteral("--help")}
                            << QStringLiteral("Usage: orvel delete [options] ID")
                            << QStringLiteral("alarms");
    QTest::newRow("attach") << QStringList{QStringLiteral("attach"), QStringLiteral("--help")}
                            << QStringLiteral("Usage: orvel attach [options] ID FILE")
                            << QStringLiteral("FILE");
    QTest::newRow("export-attachment")
        << QStringList{QStringLiteral("export-attachment"), QStringLiteral("--help")}
        << QStringLiteral("Usage: orvel export-attachment [options] BINARY_ID FILE")
        << QStringLiteral("BINARY_ID");
    QTest::newRow("repeat") << QStringList{QStringLiteral("repeat"), QStringLiteral("--help")}
                            << QStringLiteral("Usage: orvel repeat [options] ID")
                            << QStringLiteral("--monthly-week <week>");
    QTest::newRow("instance") << QStringList{QStringLiteral("instance"), QStringLiteral("--help")}
                              << QStringLiteral("Usage: orvel instance [options]")
                              << QStringLiteral("--until <date>");
    QTest::newRow("next") << QStringList{QStringLiteral("next"), QStringLiteral("--help")}
                          << QStringLiteral("Usage: orvel next [options]")
                          << QStringLiteral("next occurrence");
    QTest::newRow("help before the command")
        << QStringList{QStringLiteral("--help"), QStringLiteral("repeat")}
        << QStringLiteral("Usage: orvel repeat [options] ID") << QStringLiteral("--yearly");
}

void TestCli::helpShowsUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, usage);
    QFETCH(QString, mentioned);
    OrvelRun orvel;

    const RunResult result = orvel.run(arguments);

    COMPARE_EXIT(result, 0);
    QCOMPARE(result.outLines().value(0), usage);
    QVERIFY2(result.out.contains(mentioned), qPrintable(result.out));
    QCOMPARE(result.err, QString());
    QVERIFY(!QFile::exists(orvel.defaultDatabase()));
}

void TestCli::addStoresTodoWithFieldsAndAlarms()
{
    OrvelRun orvel;

    const RunResult first = orvel.run(
        {QStringLiteral("add"), QStringLiteral("Buy milk"), QStringLiteral("--start"),
         QStringLiteral("2090-03-04 09:30"), QStringLiteral("--end"),
         QStringLiteral("2090-03-04 10:00"), QStringLiteral("--tz"), QStringLiteral("+02:00"),
         QStringLiteral("--field"), QStringLiteral("Project=Home"), QStringLiteral("--field"),
         QStringLiteral("Shop=Corner"), QStringLiteral("--alarm"),
         QStringLiteral("2090-03-04 09:00"), QStringLiteral("--alarm"),
         QStringLiteral("2090-03-04 09:15")});
    const RunResult second = orvel.run({QStringLiteral("add"), QStringLiteral("Call"),
                                        QStringLiteral("the"), QStringLiteral("plumber"),
                                        QStringLiteral("--field"), QStringLiteral("Project=Work")});

    COMPARE_EXIT(first, 0);
    QCOMPARE(first.out, QStringLiteral("1\n"));
    COMPARE_EXIT(second, 0);
    QCOMPARE(second.out, QStringLiteral("2\n"));
    const QString database = orvel.defaultDatabase();
    // Wall-clock 09:30 at +02:00 is 07:30 UTC.
    QCOMPARE(OrvelRun::sqlite(database,
                              QStringLiteral("SELECT note, start_date, end_date, time_zone, "
                                             "is_done, is_sample, recurrence_id FROM TODO_PROJECT "
                                             "ORDER BY todo_id")),
             QStringLiteral("Buy milk|2090-03-04 07:30:00.000|2090-03-04 08:00:00.000|+02:00|0|"
                            "0|-1\nCall the plumber|1990-01-01 00:00:00.000|1990-01-01 "
                            "00:00:00.000|+00:00|0|0|-1"));
    // The second todo reuses the field type Project.
    QCOMPARE(OrvelRun::sqlite(database,
                              QStringLiteral("SELECT t.name, f.value, f.todo_id FROM FIELD f JOIN "
                                             "FIELD_TYPE t ON t.field_type_id = f.field_type_id "
                                             "ORDER BY f.field_id")),
             QStringLiteral("Project|Home|1\nShop|Corner|1\nProject|Work|2"));
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT count(*) FROM FIELD_TYPE")),
             QStringLiteral("2"));
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT todo_id, alarm_time, is_active "
                                                       "FROM ALARM ORDER BY alarm_id")),
             QStringLiteral("1|2090-03-04 07:00:00.000|1\n1|2090-03-04 07:15:00.000|1"));
}

void TestCli::showPrintsEveryDetail()
{
    OrvelRun orvel;
    // The device's zone is the todo's (POSIX names count the other way round): loading an alarm
    // of a todo in another zone moves its time, see Alarm::setTodo().
    orvel.setZone(QStringLiteral("Etc/GMT-2"));
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Buy milk"),
                            QStringLiteral("--start"), QStringLiteral("2090-03-04 09:30"),
                            QStringLiteral("--end"), QStringLiteral("2090-03-04 10:00"),
                            QStringLiteral("--tz"), QStringLiteral("+02:00"),
                            QStringLiteral("--field"), QStringLiteral("Project=Home"),
                            QStringLiteral("--alarm"), QStringLiteral("2090-03-04 09:00")}),
                 0);
    const QString file = orvel.writeFile(QStringLiteral("notes.txt"), "hello");
    COMPARE_EXIT(orvel.run({QStringLiteral("attach"), QStringLiteral("1"), file}), 0);

    const RunResult result = orvel.run({QStringLiteral("show"), QStringLiteral("1")});

    COMPARE_EXIT(result, 0);
    // Created and modified at the frozen local 12:00, shown in the todo's zone, the same.
    const QStringList expected = {QStringLiteral("Id:            1"),
                                  QStringLiteral("Note:          Buy milk"),
                                  QStringLiteral("Done:          no"),
                                  QStringLiteral("Status:        0"),
                                  QStringLiteral("Time zone:     +02:00"),
                                  QStringLiteral("Start:         2090-03-04 09:30"),
                                  QStringLiteral("End:           2090-03-04 10:00"),
                                  QStringLiteral("Readable date: 2090 Mar 4. 09:30 - 10:00"),
                                  QStringLiteral("Created:       2015-01-14 12:00"),
                                  QStringLiteral("Modified:      2015-01-14 12:00"),
                                  QStringLiteral("Fields:"),
                                  QStringLiteral("  Project = Home"),
                                  QStringLiteral("Alarms:"),
                                  QStringLiteral("  1  2090-03-04 09:00  active"),
                                  QStringLiteral("Attachments:"),
                                  QStringLiteral("  1  notes.txt  5 bytes"),
                                  QStringLiteral("Recurrence:    none")};
    COMPARE_LINES(result.outLines(), expected);
    QCOMPARE(result.err, QString());
}

void TestCli::listShowsOneLinePerTodo_data()
{
    QTest::addColumn<QStringList>("addArguments");
    QTest::addColumn<QString>("readableDate");
    QTest::addColumn<QString>("text");

    const QString note = QStringLiteral("Buy milk");
    const QString start = QStringLiteral("--start");
    const QString end = QStringLiteral("--end");
    QTest::newRow("moment in another year")
        << QStringList{note, start, QStringLiteral("2090-03-04 09:30")}
        << QStringLiteral("2090 Mar 4. 09:30") << note;
    QTest::newRow("range within a day")
        << QStringList{note, start, QStringLiteral("2090-03-04 09:30"), end,
                       QStringLiteral("2090-03-04 10:00")}
        << QStringLiteral("2090 Mar 4. 09:30 - 10:00") << note;
    QTest::newRow("date without time is the whole day")
        << QStringList{note, start, QStringLiteral("2090-03-04")} << QStringLiteral("2090 Mar 4.")
        << note;
    QTest::newRow("today with a time")
        << QStringList{note, start, QStringLiteral("2015-01-14 09:30")}
        << QStringLiteral("Today 09:30") << note;
    QTest::newRow("today") << QStringList{note, start, QStringLiteral("2015-01-14")}
                           << QStringLiteral("Today") << note;
    QTest::newRow("tomorrow from the end alone")
        << QStringList{note, end, QStringLiteral("2015-01-15")} << QStringLiteral("Tomorrow")
        << note;
    QTest::newRow("this week, Monday to Sunday")
        << QStringList{note, start, QStringLiteral("2015-01-12"), end, QStringLiteral("2015-01-18")}
        << QStringLiteral("This week") << note;
    QTest::newRow("this month") << QStringList{note, start, QStringLiteral("2015-01-01"), end,
                                               QStringLiteral("2015-01-31")}
                                << QStringLiteral("This month") << note;
    QTest::newRow("zone other than the device's")
        << QStringList{note, start, QStringLiteral("2090-03-04 09:30"), QStringLiteral("--tz"),
                       QStringLiteral("+05:45")}
        << QStringLiteral("2090 Mar 4. 09:30 +05:45") << note;
    QTest::newRow("unquoted note of several words")
        << QStringList{QStringLiteral("Buy"), QStringLiteral("oat"), QStringLiteral("milk"), start,
                       QStringLiteral("2090-03-04")}
        << QStringLiteral("2090 Mar 4.") << QStringLiteral("Buy oat milk");
    QTest::newRow("format string with date and field")
        << QStringList{note,
                       start,
                       QStringLiteral("2015-01-15"),
                       QStringLiteral("--field"),
                       QStringLiteral("Shop=Corner"),
                       QStringLiteral("--format"),
                       QStringLiteral("%-1% at %1%")}
        << QStringLiteral("Tomorrow") << QStringLiteral("Tomorrow at Corner");
}

void TestCli::listShowsOneLinePerTodo()
{
    QFETCH(QStringList, addArguments);
    QFETCH(QString, readableDate);
    QFETCH(QString, text);
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run(QStringList{QStringLiteral("add")} + addArguments), 0);

    const RunResult result = orvel.run({QStringLiteral("list")});

    COMPARE_EXIT(result, 0);
    COMPARE_LINES(result.outLines(), QStringList{tabbed({QStringLiteral("1"), QStringLiteral("[ ]"),
                                                         readableDate, text})});
}

void TestCli::listFiltersAndSorts_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("ids");

    const QString sort = QStringLiteral("--sort");
    const QString field = QStringLiteral("--field");
    const QString batch = QStringLiteral("--batch");
    const QString page = QStringLiteral("--page");
    QTest::newRow("by start by default") << QStringList{}
                                         << QStringList{QStringLiteral("2"), QStringLiteral("1"),
                                                        QStringLiteral("3"), QStringLiteral("4")};
    QTest::newRow("latest start first") << QStringList{sort, QStringLiteral("-start")}
                                        << QStringList{QStringLiteral("4"), QStringLiteral("3"),
                                                       QStringLiteral("1"), QStringLiteral("2")};
    QTest::newRow("oldest first") << QStringList{sort, QStringLiteral("created")}
                                  << QStringList{QStringLiteral("1"), QStringLiteral("2"),
                                                 QStringLiteral("3"), QStringLiteral("4")};
    QTest::newRow("newest first") << QStringList{sort, QStringLiteral("-created")}
                                  << QStringList{QStringLiteral("4"), QStringLiteral("3"),
                                                 QStringLiteral("2"), QStringLiteral("1")};
    QTest::newRow("alphabetically, capitals before small letters")
        << QStringList{sort, QStringLiteral("alpha")}
        << QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4"),
                       QStringLiteral("2")};
    QTest::newRow("alphabetically reversed")
        << QStringList{sort, QStringLiteral("-alpha")}
        << QStringList{QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("3"),
                       QStringLiteral("1")};
    QTest::newRow("done") << QStringList{QStringLiteral("--done")}
                          << QStringList{QStringLiteral("1")};
    QTest::newRow("open") << QStringList{QStringLiteral("--open")}
                          << QStringList{QStringLiteral("2"), QStringLiteral("3"),
                                         QStringLiteral("4")};
    QTest::newRow("interval includes the whole last day")
        << QStringList{QStringLiteral("--from"), QStringLiteral("2090-03-04"),
                       QStringLiteral("--to"), QStringLiteral("2090-03-10")}
        << QStringList{QStringLiteral("1"), QStringLiteral("3")};
    QTest::newRow("interval with times")
        << QStringList{QStringLiteral("--from"), QStringLiteral("2090-03-03 10:30"),
                       QStringLiteral("--to"), QStringLiteral("2090-03-10 09:59")}
        << QStringList{QStringLiteral("1")};
    QTest::newRow("field text in any case")
        << QStringList{field, QStringLiteral("Project=HOME")}
        << QStringList{QStringLiteral("1"), QStringLiteral("3")};
    QTest::newRow("fields of two types must both match")
        << QStringList{field, QStringLiteral("Project=home"), field, QStringLiteral("Shop=corn")}
        << QStringList{QStringLiteral("3")};
    QTest::newRow("texts of one type are alternatives")
        << QStringList{field, QStringLiteral("Project=work"), field, QStringLiteral("Project=Home")}
        << QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("3")};
    QTest::newRow("unknown field type matches nothing")
        << QStringList{field, QStringLiteral("Colour=red")} << QStringList{};
    QTest::newRow("first page") << QStringList{batch, QStringLiteral("3")}
                                << QStringList{QStringLiteral("2"), QStringLiteral("1"),
                                               QStringLiteral("3")};
    QTest::newRow("second page") << QStringList{batch, QStringLiteral("3"), page,
                                                QStringLiteral("2")}
                                 << QStringList{QStringLiteral("4")};
    QTest::newRow("empty last page of an exact multiple")
        << QStringList{batch, QStringLiteral("2"), page, QStringLiteral("3")} << QStringList{};
    QTest::newRow("page beyond the end")
        << QStringList{batch, QStringLiteral("3"), page, QStringLiteral("5")} << QStringList{};
}

void TestCli::listFiltersAndSorts()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, ids);
    OrvelRun orvel;
    const QStringList todos[] = {
        {QStringLiteral("Bravo"), QStringLiteral("--start"), QStringLiteral("2090-03-05 10:00"),
         QStringLiteral("--field"), QStringLiteral("Project=Home")},
        {QStringLiteral("alpha"), QStringLiteral("--start"), QStringLiteral("2090-03-03 10:00"),
         QStringLiteral("--field"), QStringLiteral("Project=Work")},
        {QStringLiteral("Charlie"), QStringLiteral("--start"), QStringLiteral("2090-03-10 10:00"),
         QStringLiteral("--field"), QStringLiteral("Project=homework"), QStringLiteral("--field"),
         QStringLiteral("Shop=Corner")},
        {QStringLiteral("Delta"), QStringLiteral("--start"), QStringLiteral("2091-01-01 10:00")}};
    int minute = 0;
    for (const QStringList& todo : todos) {
        // Each todo is created a minute after the one before.
        orvel.setNow(QStringLiteral("2015-01-14 12:%1:00").arg(minute++, 2, 10, QLatin1Char('0')));
        COMPARE_EXIT(orvel.run(QStringList{QStringLiteral("add")} + todo), 0);
    }
    COMPARE_EXIT(orvel.run({QStringLiteral("done"), QStringLiteral("1")}), 0);

    const RunResult result = orvel.run(QStringList{QStringLiteral("list")} + arguments);

    COMPARE_EXIT(result, 0);
    COMPARE_LINES(firstColumn(result.outLines()), ids);
}

void TestCli::doneUndoneAndNoteChangeTheTodo()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Buy milk"),
                            QStringLiteral("--start"), QStringLiteral("2090-03-04 09:30")}),
                 0);
    const QString database = orvel.defaultDatabase();
    const QString date = QStringLiteral("2090 Mar 4. 09:30");

    const RunResult done = orvel.run({QStringLiteral("done"), QStringLiteral("1")});
    COMPARE_EXIT(done, 0);
    COMPARE_LINES(done.outLines(), QStringList{tabbed({QStringLiteral("1"), QStringLiteral("[x]"),
                                                       date, QStringLiteral("Buy milk")})});
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT is_done FROM TODO_PROJECT")),
             QStringLiteral("1"));

    const RunResult undone = orvel.run({QStringLiteral("undone"), QStringLiteral("1")});
    COMPARE_EXIT(undone, 0);
    COMPARE_LINES(undone.outLines(), QStringList{tabbed({QStringLiteral("1"), QStringLiteral("[ ]"),
                                                         date, QStringLiteral("Buy milk")})});
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT is_done FROM TODO_PROJECT")),
             QStringLiteral("0"));

    const RunResult note = orvel.run({QStringLiteral("note"), QStringLiteral("1"),
                                      QStringLiteral("Buy"), QStringLiteral("oat milk")});
    COMPARE_EXIT(note, 0);
    COMPARE_LINES(note.outLines(), QStringList{tabbed({QStringLiteral("1"), QStringLiteral("[ ]"),
                                                       date, QStringLiteral("Buy oat milk")})});
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT note FROM TODO_PROJECT")),
             QStringLiteral("Buy oat milk"));
}

void TestCli::deleteRemovesTodoWithDependants()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Old"), QStringLiteral("--field"),
                            QStringLiteral("Project=Home"), QStringLiteral("--alarm"),
                            QStringLiteral("2090-03-04 09:00")}),
                 0);
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Kept"),
                            QStringLiteral("--field"), QStringLiteral("Project=Work"),
                            QStringLiteral("--start"), QStringLiteral("2090-03-04")}),
                 0);
    const QString file = orvel.writeFile(QStringLiteral("a.txt"), "abc");
    COMPARE_EXIT(orvel.run({QStringLiteral("attach"), QStringLiteral("1"), file}), 0);
    const QString database = orvel.defaultDatabase();

    const RunResult deletion = orvel.run({QStringLiteral("delete"), QStringLiteral("1")});

    COMPARE_EXIT(deletion, 0);
    QCOMPARE(deletion.out, QString());
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT todo_id FROM TODO_PROJECT "
                                                       "UNION ALL SELECT todo_id FROM ALARM "
                                                       "UNION ALL SELECT todo_id FROM FIELD "
                                                       "UNION ALL SELECT todo_id FROM BINARY")),
             QStringLiteral("2\n2"));
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT count(*) FROM FIELD_TYPE")),
             QStringLiteral("1"));
    const RunResult list = orvel.run({QStringLiteral("list")});
    COMPARE_LINES(list.outLines(),
                  QStringList{tabbed({QStringLiteral("2"), QStringLiteral("[ ]"),
                                      QStringLiteral("2090 Mar 4."), QStringLiteral("Kept")})});
    const RunResult show = orvel.run({QStringLiteral("show"), QStringLiteral("1")});
    COMPARE_EXIT(show, 1);
    COMPARE_LINES(show.errLines(), QStringList{QStringLiteral("orvel: no todo with id 1")});
}

void TestCli::attachAndExportRoundTrip()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Scan")}), 0);
    const QByteArray bytes("a\0b\xff\n", 5);
    const QString file = orvel.writeFile(QStringLiteral("data.bin"), bytes);
    const QString exported = orvel.home() + QStringLiteral("/exported.bin");

    const RunResult attach = orvel.run({QStringLiteral("attach"), QStringLiteral("1"), file});
    const RunResult exportRun =
        orvel.run({QStringLiteral("export-attachment"), QStringLiteral("1"), exported});

    COMPARE_EXIT(attach, 0);
    QCOMPARE(attach.out, QStringLiteral("1\n"));
    QCOMPARE(OrvelRun::sqlite(orvel.defaultDatabase(),
                              QStringLiteral("SELECT todo_id, note, size, hex(data) FROM BINARY")),
             QStringLiteral("1|data.bin|5|610062FF0A"));
    COMPARE_EXIT(exportRun, 0);
    QCOMPARE(exportRun.out, QString());
    QCOMPARE(fileBytes(exported), bytes);
}

void TestCli::repeatAndInstanceUpToDate()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Water plants"),
                            QStringLiteral("--start"), QStringLiteral("2090-03-04 09:00"),
                            QStringLiteral("--alarm"), QStringLiteral("2090-03-04 08:45")}),
                 0);
    const QString database = orvel.defaultDatabase();

    const RunResult repeat =
        orvel.run({QStringLiteral("repeat"), QStringLiteral("1"), QStringLiteral("--daily"),
                   QStringLiteral("--until"), QStringLiteral("2090-03-10")});
    COMPARE_EXIT(repeat, 0);
    QCOMPARE(repeat.out, QStringLiteral("1\n"));
    const RunResult show = orvel.run({QStringLiteral("show"), QStringLiteral("1")});
    const QStringList recurrence =
        show.outLines().mid(show.outLines().indexOf(QStringLiteral("Recurrence:    1")));
    QCOMPARE(recurrence, (QStringList{QStringLiteral("Recurrence:    1"),
                                      QStringLiteral("  Repeats:     daily"),
                                      QStringLiteral("  From:        2090-03-04 09:00"),
                                      QStringLiteral("  Until:       2090-03-10 23:59"),
                                      QStringLiteral("  Instanced:   2010-06-01 00:00"),
                                      QStringLiteral("  Sample:      2")}));

    // The sample (id 2) starts the rule; its occurrences begin the day after.
    const RunResult instance = orvel.run(
        {QStringLiteral("instance"), QStringLiteral("--until"), QStringLiteral("2090-03-06")});
    COMPARE_EXIT(instance, 0);
    COMPARE_LINES(
        instance.outLines(),
        (QStringList{
            tabbed({QStringLiteral("3"), QStringLiteral("[ ]"), QStringLiteral("2090 Mar 5. 09:00"),
                    QStringLiteral("Water plants")}),
            tabbed({QStringLiteral("4"), QStringLiteral("[ ]"), QStringLiteral("2090 Mar 6. 09:00"),
                    QStringLiteral("Water plants")})}));
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT todo_id, recurrence_id, is_sample "
                                                       "FROM TODO_PROJECT ORDER BY todo_id")),
             QStringLiteral("1|1|0\n2|1|1\n3|1|0\n4|1|0"));
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT todo_id, alarm_time FROM ALARM "
                                                       "ORDER BY todo_id")),
             QStringLiteral("1|2090-03-04 08:45:00.000\n2|2090-03-04 08:45:00.000\n"
                            "3|2090-03-05 08:45:00.000\n4|2090-03-06 08:45:00.000"));

    const RunResult again = orvel.run(
        {QStringLiteral("instance"), QStringLiteral("--until"), QStringLiteral("2090-03-06")});
    COMPARE_EXIT(again, 0);
    QCOMPARE(again.out, QString());

    // The rule ends on 10 March.
    const RunResult further = orvel.run(
        {QStringLiteral("instance"), QStringLiteral("--until"), QStringLiteral("2090-03-20")});
    COMPARE_EXIT(further, 0);
    COMPARE_LINES(firstColumn(further.outLines()),
                  (QStringList{QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                               QStringLiteral("8")}));
    QCOMPARE(further.outLines().constLast().section(QLatin1Char('\t'), 2, 2),
             QStringLiteral("2090 Mar 10. 09:00"));
    const RunResult list = orvel.run({QStringLiteral("list")});
    COMPARE_LINES(firstColumn(list.outLines()),
                  (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4"),
                               QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                               QStringLiteral("8")}));
}

void TestCli::deleteInstanceKeepsTheRule()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Stretch"),
                            QStringLiteral("--start"), QStringLiteral("2090-03-04 07:00"),
                            QStringLiteral("--alarm"), QStringLiteral("2090-03-04 06:55")}),
                 0);
    COMPARE_EXIT(
        orvel.run({QStringLiteral("repeat"), QStringLiteral("1"), QStringLiteral("--daily")}), 0);
    COMPARE_EXIT(orvel.run({QStringLiteral("instance"), QStringLiteral("--until"),
                            QStringLiteral("2090-03-06")}),
                 0);
    const QString database = orvel.defaultDatabase();

    const RunResult deletion = orvel.run({QStringLiteral("delete"), QStringLiteral("3")});
    const RunResult list = orvel.run({QStringLiteral("list")});
    const RunResult more = orvel.run(
        {QStringLiteral("instance"), QStringLiteral("--until"), QStringLiteral("2090-03-07")});

    COMPARE_EXIT(deletion, 0);
    COMPARE_LINES(firstColumn(list.outLines()),
                  (QStringList{QStringLiteral("1"), QStringLiteral("4")}));
    COMPARE_EXIT(more, 0);
    COMPARE_LINES(more.outLines(), QStringList{tabbed({QStringLiteral("5"), QStringLiteral("[ ]"),
                                                       QStringLiteral("2090 Mar 7. 07:00"),
                                                       QStringLiteral("Stretch")})});
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT group_concat(todo_id) FROM "
                                                       "TODO_PROJECT UNION ALL SELECT "
                                                       "group_concat(todo_id) FROM ALARM")),
             QStringLiteral("1,2,4,5\n1,2,4,5"));
}

void TestCli::nextInstancesNextOccurrence_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("rule");
    QTest::addColumn<QString>("readableDate");

    const QString every = QStringLiteral("--every");
    QTest::newRow("weekly on Monday and Wednesday every 2 weeks from a Wednesday")
        << QStringLiteral("2015-01-07 09:00")
        << QStringList{QStringLiteral("--weekly"), QStringLiteral("MON,WED"), every,
                       QStringLiteral("2")}
        << QStringLiteral("Jan 19. 09:00");
    QTest::newRow("daily every 3 days")
        << QStringLiteral("2015-01-13 09:00")
        << QStringList{QStringLiteral("--daily"), every, QStringLiteral("3")}
        << QStringLiteral("Jan 16. 09:00");
    QTest::newRow("monthly on day 1")
        << QStringLiteral("2015-01-15 09:00")
        << QStringList{QStringLiteral("--monthly-day"), QStringLiteral("1")}
        << QStringLiteral("Feb 1. 09:00");
    QTest::newRow("monthly on day 1 every 3 months")
        << QStringLiteral("2015-01-15 09:00")
        << QStringList{QStringLiteral("--monthly-day"), QStringLiteral("1"), every,
                       QStringLiteral("3")}
        << QStringLiteral("Apr 1. 09:00");
    QTest::newRow("monthly on Tuesday of week 2 from a Tuesday in week 2")
        << QStringLiteral("2015-01-13 09:00")
        << QStringList{QStringLiteral("--monthly-week"), QStringLiteral("2"),
                       QStringLiteral("--on"), QStringLiteral("TUE")}
        << QStringLiteral("Feb 10. 09:00");
    QTest::newRow("monthly on Friday of the last week")
        << QStringLiteral("2015-01-30 09:00")
        << QStringList{QStringLiteral("--monthly-week"), QStringLiteral("last"),
                       QStringLiteral("--on"), QStringLiteral("fri")}
        << QStringLiteral("Feb 27. 09:00");
    QTest::newRow("monthly on the last day")
        << QStringLiteral("2015-01-15 09:00") << QStringList{QStringLiteral("--monthly-last-day")}
        << QStringLiteral("Feb 28. 09:00");
    QTest::newRow("yearly from a leap day")
        << QStringLiteral("2016-02-29 09:00") << QStringList{QStringLiteral("--yearly")}
        << QStringLiteral("2017 Feb 28. 09:00");
}

void TestCli::nextInstancesNextOccurrence()
{
    QFETCH(QString, start);
    QFETCH(QStringList, rule);
    QFETCH(QString, readableDate);
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Task"),
                            QStringLiteral("--start"), start}),
                 0);
    COMPARE_EXIT(orvel.run(QStringList{QStringLiteral("repeat"), QStringLiteral("1")} + rule), 0);

    const RunResult next = orvel.run({QStringLiteral("next")});
    // The instance starts after now, so the rule is not due again.
    const RunResult again = orvel.run({QStringLiteral("next")});

    COMPARE_EXIT(next, 0);
    COMPARE_LINES(next.outLines(), QStringList{tabbed({QStringLiteral("3"), QStringLiteral("[ ]"),
                                                       readableDate, QStringLiteral("Task")})});
    COMPARE_EXIT(again, 0);
    QCOMPARE(again.out, QString());
    QCOMPARE(OrvelRun::sqlite(orvel.defaultDatabase(),
                              QStringLiteral("SELECT recurrence_id FROM TODO_PROJECT WHERE "
                                             "todo_id = 3")),
             QStringLiteral("1"));
}

void TestCli::listWithRecurringIncludesOccurrences()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Standup"),
                            QStringLiteral("--start"), QStringLiteral("2015-01-07 09:00")}),
                 0);
    COMPARE_EXIT(
        orvel.run({QStringLiteral("repeat"), QStringLiteral("1"), QStringLiteral("--weekly"),
                   QStringLiteral("MON,WED"), QStringLiteral("--every"), QStringLiteral("2")}),
        0);
    const QString note = QStringLiteral("Standup");
    const QString open = QStringLiteral("[ ]");

    const RunResult january = orvel.run({QStringLiteral("list"), QStringLiteral("--recurring"),
                                         QStringLiteral("--from"), QStringLiteral("2015-01-01"),
                                         QStringLiteral("--to"), QStringLiteral("2015-01-31")});
    const RunResult lateJanuary = orvel.run({QStringLiteral("list"), QStringLiteral("--recurring"),
                                             QStringLiteral("--from"), QStringLiteral("2015-01-20"),
                                             QStringLiteral("--to"), QStringLiteral("2015-01-31")});
    const RunResult plain = orvel.run({QStringLiteral("list")});

    COMPARE_EXIT(january, 0);
    COMPARE_LINES(
        january.outLines(),
        (QStringList{tabbed({QStringLiteral("1"), open, QStringLiteral("Jan 7. 09:00"), note}),
                     tabbed({QStringLiteral("R1"), open, QStringLiteral("Jan 19. 09:00"), note}),
                     tabbed({QStringLiteral("R1"), open, QStringLiteral("Jan 21. 09:00"), note})}));
    COMPARE_EXIT(lateJanuary, 0);
    COMPARE_LINES(
        lateJanuary.outLines(),
        QStringList{tabbed({QStringLiteral("R1"), open, QStringLiteral("Jan 21. 09:00"), note})});
    COMPARE_LINES(firstColumn(plain.outLines()), QStringList{QStringLiteral("1")});
}

void TestCli::databaseWrittenByOneRunIsReadByTheNext()
{
    OrvelRun orvel;
    const QString other = orvel.home() + QStringLiteral("/other.sqlite");

    const RunResult add = orvel.run({QStringLiteral("--db"), other, QStringLiteral("add"),
                                     QStringLiteral("Elsewhere"), QStringLiteral("--start"),
                                     QStringLiteral("2090-03-04")});
    const RunResult done =
        orvel.run({QStringLiteral("done"), QStringLiteral("1"), QStringLiteral("--db"), other});
    const RunResult list = orvel.run({QStringLiteral("list"), QStringLiteral("--db"), other});
    const RunResult defaultList = orvel.run({QStringLiteral("list")});

    COMPARE_EXIT(add, 0);
    COMPARE_EXIT(done, 0);
    COMPARE_EXIT(list, 0);
    COMPARE_LINES(list.outLines(), QStringList{tabbed({QStringLiteral("1"), QStringLiteral("[x]"),
                                                       QStringLiteral("2090 Mar 4."),
                                                       QStringLiteral("Elsewhere")})});
    QCOMPARE(OrvelRun::sqlite(other, QStringLiteral("SELECT note, is_done FROM TODO_PROJECT")),
             QStringLiteral("Elsewhere|1"));
    // The default database is a different one, created empty by the last run.
    COMPARE_EXIT(defaultList, 0);
    QCOMPARE(defaultList.out, QString());
    QVERIFY(QFile::exists(orvel.defaultDatabase()));
}

void TestCli::badDatesChangeNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("badDate");

    const QString add = QStringLiteral("add");
    const QString note = QStringLiteral("x");
    QTest::newRow("month 13") << QStringList{add, note, QStringLiteral("--start"),
                                             QStringLiteral("2026-13-01")}
                              << QStringLiteral("2026-13-01");
    QTest::newRow("30 February") << QStringList{add, note, QStringLiteral("--end"),
                                                QStringLiteral("2026-02-30")}
                                 << QStringLiteral("2026-02-30");
    QTest::newRow("single-digit month")
        << QStringList{add, note, QStringLiteral("--start"), QStringLiteral("2026-1-05")}
        << QStringLiteral("2026-1-05");
    QTest::newRow("hour 24") << QStringList{add, note, QStringLiteral("--start"),
                                            QStringLiteral("2026-01-05 24:00")}
                             << QStringLiteral("2026-01-05 24:00");
    QTest::newRow("seconds") << QStringList{add, note, QStringLiteral("--start"),
                                            QStringLiteral("2026-01-05 10:00:00")}
                             << QStringLiteral("2026-01-05 10:00:00");
    QTest::newRow("alarm after a good field") << QStringList{add,
                                                             note,
                                                             QStringLiteral("--field"),
                                                             QStringLiteral("Project=Home"),
                                                             QStringLiteral("--alarm"),
                                                             QStringLiteral("2026-01-05T10:00")}
                                              << QStringLiteral("2026-01-05T10:00");
    QTest::newRow("word in a list interval")
        << QStringList{QStringLiteral("list"), QStringLiteral("--from"), QStringLiteral("soon"),
                       QStringLiteral("--to"), QStringLiteral("2026-01-05")}
        << QStringLiteral("soon");
    QTest::newRow("leading space")
        << QStringList{QStringLiteral("list"), QStringLiteral("--from"),
                       QStringLiteral("2026-01-05"), QStringLiteral("--to"),
                       QStringLiteral(" 2026-01-06")}
        << QStringLiteral(" 2026-01-06");
    QTest::newRow("month 0 in a rule's end")
        << QStringList{QStringLiteral("repeat"), QStringLiteral("1"), QStringLiteral("--daily"),
                       QStringLiteral("--until"), QStringLiteral("2026-00-10")}
        << QStringLiteral("2026-00-10");
    QTest::newRow("no separators")
        << QStringList{QStringLiteral("instance"), QStringLiteral("--until"),
                       QStringLiteral("20260110")}
        << QStringLiteral("20260110");
}

void TestCli::badDatesChangeNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, badDate);
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Existing"),
                            QStringLiteral("--start"), QStringLiteral("2090-03-04")}),
                 0);
    const QByteArray before = fileBytes(orvel.defaultDatabase());

    const RunResult result = orvel.run(arguments);

    COMPARE_EXIT(result, 2);
    QCOMPARE(result.errLines().value(0), QString::fromLatin1(dateMessage).arg(badDate));
    QCOMPARE(result.out, QString());
    QCOMPARE(fileBytes(orvel.defaultDatabase()), before);
}

void TestCli::badInputCreatesNoDatabase()
{
    OrvelRun orvel;

    const RunResult result = orvel.run({QStringLiteral("add"), QStringLiteral("x"),
                                        QStringLiteral("--start"), QStringLiteral("2026-13-01")});

    COMPARE_EXIT(result, 2);
    COMPARE_LINES(result.errLines(),
                  (QStringList{QString::fromLatin1(dateMessage).arg(QStringLiteral("2026-13-01")),
                               QStringLiteral("Try 'orvel add --help'.")}));
    QVERIFY(!QFile::exists(orvel.home() + QStringLiteral("/.orvel")));
}

void TestCli::rejectsBadCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const QString add = QStringLiteral("add");
    const QString list = QStringLiteral("list");
    const QString repeat = QStringLiteral("repeat");
    const QString one = QStringLiteral("1");
    const QString oneKind = QStringLiteral(
        "orvel: give exactly one of --daily, --weekly, --monthly-day, --monthly-week, "
        "--monthly-last-day and --yearly");
    QTest::newRow("no command") << QStringList{} << QStringLiteral("orvel: missing command");
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")}
                                     << QStringLiteral("orvel: unknown command 'frobnicate'");
    QTest::newRow("unknown option") << QStringList{list, QStringLiteral("--colour")}
                                    << QStringLiteral("orvel: Unknown option 'colour'.");
    QTest::newRow("empty database name") << QStringList{QStringLiteral("--db"), QString(), list}
                                         << QStringLiteral("orvel: --db needs a file name");
    QTest::newRow("done and open")
        << QStringList{list, QStringLiteral("--done"), QStringLiteral("--open")}
        << QStringLiteral("orvel: --done and --open exclude each other");
    QTest::newRow("from without to")
        << QStringList{list, QStringLiteral("--from"), QStringLiteral("2015-01-01")}
        << QStringLiteral("orvel: --from and --to go together");
    QTest::newRow("to before from")
        << QStringList{list, QStringLiteral("--from"), QStringLiteral("2015-01-02"),
                       QStringLiteral("--to"), QStringLiteral("2015-01-01")}
        << QStringLiteral("orvel: --to lies before --from");
    QTest::newRow("recurring without interval")
        << QStringList{list, QStringLiteral("--recurring")}
        << QStringLiteral("orvel: --recurring needs the interval --from and --to");
    QTest::newRow("unknown sort order")
        << QStringList{list, QStringLiteral("--sort"), QStringLiteral("size")}
        << QStringLiteral("orvel: cannot read sort order 'size', expected start, -start, "
                          "created, -created, alpha or -alpha");
    QTest::newRow("page without batch")
        << QStringList{list, QStringLiteral("--page"), QStringLiteral("2")}
        << QStringLiteral("orvel: --page needs --batch");
    QTest::newRow("batch of 0")
        << QStringList{list, QStringLiteral("--batch"), QStringLiteral("0")}
        << QStringLiteral("orvel: cannot read '0' for --batch, expected a whole number of 1 or "
                          "more");
    QTest::newRow("argument to list") << QStringList{list, QStringLiteral("all")}
                                      << QStringLiteral("orvel: unexpected argument 'all'");
    QTest::newRow("id that is no number")
        << QStringList{QStringLiteral("show"), QStringLiteral("1a")}
        << QStringLiteral("orvel: cannot read id '1a', expected a number such as 12");
    QTest::newRow("missing id") << QStringList{QStringLiteral("done")}
                                << QStringLiteral("orvel: missing argument, usage: orvel done "
                                                  "[options] ID");
    QTest::newRow("missing note text")
        << QStringList{QStringLiteral("note"), one}
        << QStringLiteral("orvel: missing argument, usage: orvel note [options] ID TEXT");
    QTest::newRow("second id") << QStringList{QStringLiteral("show"), one, QStringLiteral("2")}
                               << QStringLiteral("orvel: unexpected argument '2'");
    QTest::newRow("missing note") << QStringList{add}
                                  << QStringLiteral("orvel: missing argument, usage: orvel add "
                                                    "[options] NOTE");
    QTest::newRow("zone without sign")
        << QStringList{add, QStringLiteral("x"), QStringLiteral("--tz"), QStringLiteral("02:00")}
        << QStringLiteral("orvel: cannot read time zone '02:00', expected +HH:MM or -HH:MM");
    QTest::newRow("zone beyond 14 hours")
        << QStringList{add, QStringLiteral("x"), QStringLiteral("--tz"), QStringLiteral("+15:00")}
        << QStringLiteral("orvel: cannot read time zone '+15:00', expected +HH:MM or -HH:MM");
    QTest::newRow("field without type")
        << QStringList{add, QStringLiteral("x"), QStringLiteral("--field"), QStringLiteral("=v")}
        << QStringLiteral("orvel: cannot read field '=v', expected TYPE=VALUE");
    QTest::newRow("end before start")
        << QStringList{add,
                       QStringLiteral("x"),
                       QStringLiteral("--start"),
                       QStringLiteral("2090-03-04 10:00"),
                       QStringLiteral("--end"),
                       QStringLiteral("2090-03-04 09:00")}
        << QStringLiteral("orvel: the end 2090-03-04 09:00 lies before the start 2090-03-04 "
                          "10:00");
    QTest::newRow("two kinds of repetition")
        << QStringList{repeat, one, QStringLiteral("--daily"), QStringLiteral("--yearly")}
        << oneKind;
    QTest::newRow("no kind of repetition") << QStringList{repeat, one} << oneKind;
    QTest::newRow("unknown weekday")
        << QStringList{repeat, one, QStringLiteral("--weekly"), QStringLiteral("MON,FUN")}
        << QStringLiteral("orvel: cannot read weekdays 'MON,FUN', expected names such as "
                          "MON,WED");
    QTest::newRow("day 29 of the month")
        << QStringList{repeat, one, QStringLiteral("--monthly-day"), QStringLiteral("1,29")}
        << QStringLiteral("orvel: cannot read days '1,29', expected days from 1 to 28 such as "
                          "1,15");
    QTest::newRow("week 5 of the month")
        << QStringList{repeat,
                       one,
                       QStringLiteral("--monthly-week"),
                       QStringLiteral("5"),
                       QStringLiteral("--on"),
                       QStringLiteral("TUE")}
        << QStringLiteral("orvel: cannot read week '5', expected 1 to 4 or last");
    QTest::newRow("week of the month without weekdays")
        << QStringList{repeat, one, QStringLiteral("--monthly-week"), QStringLiteral("2")}
        << QStringLiteral("orvel: --monthly-week needs the weekdays of --on");
    QTest::newRow("weekdays without week of the month")
        << QStringList{repeat, one, QStringLiteral("--daily"), QStringLiteral("--on"),
                       QStringLiteral("TUE")}
        << QStringLiteral("orvel: --on goes with --monthly-week");
    QTest::newRow("every 0") << QStringList{repeat, one, QStringLiteral("--daily"),
                                            QStringLiteral("--every"), QStringLiteral("0")}
                             << QStringLiteral("orvel: cannot read '0' for --every, expected a "
                                               "whole number of 1 or more");
    QTest::newRow("instance without end") << QStringList{QStringLiteral("instance")}
                                          << QStringLiteral("orvel: instance needs --until");
}

void TestCli::rejectsBadCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    OrvelRun orvel;

    const RunResult result = orvel.run(arguments);

    COMPARE_EXIT(result, 2);
    QCOMPARE(result.errLines().value(0), message);
    QVERIFY2(result.errLines().value(1).startsWith(QStringLiteral("Try 'orvel ")),
             qPrintable(result.err));
    QCOMPARE(result.out, QString());
    QVERIFY(!QFile::exists(orvel.home() + QStringLiteral("/.orvel")));
}

void TestCli::unknownIdsFail_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const QString id = QStringLiteral("99");
    const QString noTodo = QStringLiteral("orvel: no todo with id 99");
    QTest::newRow("show") << QStringList{QStringLiteral("show"), id} << noTodo;
    QTest::newRow("done") << QStringList{QStringLiteral("done"), id} << noTodo;
    QTest::newRow("undone") << QStringList{QStringLiteral("undone"), id} << noTodo;
    QTest::newRow("note") << QStringList{QStringLiteral("note"), id, QStringLiteral("text")}
                          << noTodo;
    QTest::newRow("delete") << QStringList{QStringLiteral("delete"), id} << noTodo;
    QTest::newRow("attach") << QStringList{QStringLiteral("attach"), id, QStringLiteral("file.txt")}
                            << noTodo;
    QTest::newRow("repeat") << QStringList{QStringLiteral("repeat"), id, QStringLiteral("--daily")}
                            << noTodo;
    QTest::newRow("export-attachment")
        << QStringList{QStringLiteral("export-attachment"), id, QStringLiteral("out.bin")}
        << QStringLiteral("orvel: no attachment with id 99");
    // Samples are no todos of their own; they are reached through their rule.
    QTest::newRow("sample id") << QStringList{QStringLiteral("done"), QStringLiteral("2")}
                               << QStringLiteral("orvel: no todo with id 2");
}

void TestCli::unknownIdsFail()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    OrvelRun orvel;
    orvel.writeFile(QStringLiteral("file.txt"), "content");
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Existing"),
                            QStringLiteral("--start"), QStringLiteral("2090-03-04")}),
                 0);
    COMPARE_EXIT(
        orvel.run({QStringLiteral("repeat"), QStringLiteral("1"), QStringLiteral("--yearly")}), 0);
    const QString before = dump(orvel.defaultDatabase());

    const RunResult result = orvel.run(arguments);

    COMPARE_EXIT(result, 1);
    COMPARE_LINES(result.errLines(), QStringList{message});
    QCOMPARE(result.out, QString());
    QCOMPARE(dump(orvel.defaultDatabase()), before);
    QVERIFY(!QFile::exists(orvel.home() + QStringLiteral("/out.bin")));
}

void TestCli::unwritableDatabasePathFails_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("blocker");

    QTest::newRow("directory does not exist")
        << QStringLiteral("missing/dir/todo.sqlite") << QString();
    QTest::newRow("directory is a file")
        << QStringLiteral("plain/todo.sqlite") << QStringLiteral("plain");
    // The superuser writes into read-only directories, so this case needs another user.
    if (geteuid() != 0)
        QTest::newRow("read-only directory")
            << QStringLiteral("locked/todo.sqlite") << QStringLiteral("locked/");
}

void TestCli::unwritableDatabasePathFails()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, blocker);
    OrvelRun orvel;
    if (blocker.endsWith(QLatin1Char('/'))) {
        QVERIFY(QDir(orvel.home()).mkdir(blocker));
        QVERIFY(QFile::setPermissions(orvel.home() + QLatin1Char('/') + blocker,
                                      QFile::ReadOwner | QFile::ExeOwner));
    } else if (!blocker.isEmpty()) {
        orvel.writeFile(blocker, "not a directory");
    }
    const QString path = orvel.home() + QLatin1Char('/') + relativePath;
    const QString message = QStringLiteral("orvel: cannot open database '%1'").arg(path);

    const RunResult add =
        orvel.run({QStringLiteral("--db"), path, QStringLiteral("add"), QStringLiteral("x")});
    const RunResult list = orvel.run({QStringLiteral("list"), QStringLiteral("--db"), path});
    const RunResult verbose = orvel.run(
        {QStringLiteral("list"), QStringLiteral("--db"), path, QStringLiteral("--verbose")});

    COMPARE_EXIT(add, 1);
    COMPARE_LINES(add.errLines(), QStringList{message});
    QCOMPARE(add.out, QString());
    COMPARE_EXIT(list, 1);
    COMPARE_LINES(list.errLines(), QStringList{message});
    COMPARE_EXIT(verbose, 1);
    QVERIFY2(verbose.err.contains(QStringLiteral(
                 "Cannot open database, unable to establish a database connection.")),
             qPrintable(verbose.err));
    QVERIFY2(verbose.errLines().contains(message), qPrintable(verbose.err));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!QFile::exists(orvel.defaultDatabase()));
}

void TestCli::failedSaveIsReported()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Existing")}), 0);
    const QString database = orvel.defaultDatabase();
    OrvelRun::sqlite(database, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON "
                                              "TODO_PROJECT BEGIN SELECT RAISE(ABORT, "
                                              "'refused by the test'); END;"));

    const RunResult result = orvel.run({QStringLiteral("add"), QStringLiteral("Refused")});

    COMPARE_EXIT(result, 1);
    QCOMPARE(result.out, QString());
    QCOMPARE(result.errLines().size(), 1);
    const QString line = result.errLines().constFirst();
    QVERIFY2(line.startsWith(
                 QStringLiteral("orvel: could not save the changes to '%1': ").arg(database)),
             qPrintable(line));
    QVERIFY2(line.contains(QStringLiteral("refused by the test")), qPrintable(line));
    QCOMPARE(OrvelRun::sqlite(database, QStringLiteral("SELECT note FROM TODO_PROJECT")),
             QStringLiteral("Existing"));
}

void TestCli::diagnosticsOnlyWithVerbose()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Existing")}), 0);
    // An alarm without a todo makes the library log a wrong reference while loading.
    OrvelRun::sqlite(orvel.defaultDatabase(),
                     QStringLiteral("INSERT INTO ALARM (todo_id, last_mod_date, alarm_time, "
                                    "is_active, snooze, snooze_interval, is_deleted) VALUES (0, "
                                    "'2015-01-14 12:00:00.000', '2015-01-14 12:00:00.000', 0, 0, "
                                    "5, 0)"));

    const RunResult quiet = orvel.run({QStringLiteral("list")});
    const RunResult verbose = orvel.run({QStringLiteral("--verbose"), QStringLiteral("list")});

    COMPARE_EXIT(quiet, 0);
    QCOMPARE(quiet.err, QString());
    COMPARE_EXIT(verbose, 0);
    QCOMPARE(verbose.out, quiet.out);
    // Standard error is no terminal here, so the tag comes without its colours.
    QVERIFY2(verbose.errLines().contains(
                 QStringLiteral("[ERROR          ] Wrong todo_id:  0  - In alarm:  1")),
             qPrintable(verbose.err));
    QVERIFY(!verbose.err.contains(QChar(0x1b)));
}

void TestCli::diagnosticsKeepColoursOnATerminal()
{
    OrvelRun orvel;
    COMPARE_EXIT(orvel.run({QStringLiteral("add"), QStringLiteral("Existing")}), 0);
    OrvelRun::sqlite(orvel.defaultDatabase(),
                     QStringLiteral("INSERT INTO ALARM (todo_id, last_mod_date, alarm_time, "
                                    "is_active, snooze, snooze_interval, is_deleted) VALUES (0, "
                                    "'2015-01-14 12:00:00.000', '2015-01-14 12:00:00.000', 0, 0, "
                                    "5, 0)"));

    // script(1) runs orvel on a pseudo-terminal; its output is the terminal's.
    const RunResult onTerminal =
        orvel.runOnTerminal({QStringLiteral("--verbose"), QStringLiteral("list")});

    COMPARE_EXIT(onTerminal, 0);
    QVERIFY2(onTerminal.out.contains(QStringLiteral("\x1b[1;31m\x1b[41m[\x1b[1;37mERROR")),
             qPrintable(onTerminal.out));
}

QTEST_GUILESS_MAIN(TestCli)

#include "tst_cli.moc"
