// End-to-end tests of orvel: every run starts the built program in a temporary home with the zone
// pinned to UTC and the clock frozen at Wednesday 14 January 2015, 12:00 (unless a test sets
// another), and the database is checked with the sqlite3 program. The library's own rules
// (readable dates, occurrences, instancing) have their tests in tests/; these cover what only
// the program shows: its arguments, its output, its exit codes and one process after another.
#include "orvelrun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace {

QStringList firstColumn(const QStringList& lines)
{
    QStringList ids;
    for (const QString& line : lines)
        ids << line.section(QLatin1Char('\t'), 0, 0);
    return ids;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char badAlarmRow[] = "INSERT INTO ALARM (todo_id, last_mod_date, alarm_time, is_active, "
                           "snooze, snooze_interval, is_deleted) VALUES (0, '2015-01-14 "
                           "12:00:00.000', '2015-01-14 12:00:00.000', 0, 0, 5, 0)";

QStringList uidLines(const QString& calendar)
{
    static const QRegularExpression uid(s("^UID:.*$"), QRegularExpression::MultilineOption);
    QStringList lines;
    QRegularExpressionMatchIterator match = uid.globalMatch(calendar);
    while (match.hasNext())
        lines << match.next().captured().trimmed();
    return lines;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addShowAndAttachRoundTrip()
    {
        OrvelRun orvel;
        // The device's zone is the todo's (POSIX names count the other way round).
        orvel.setZone(s("Etc/GMT-2"));
        const RunResult add =
            orvel.run("add|Buy milk|--start|2090-03-04 09:30|--end|2090-03-04 10:00|"
                      "--tz|+02:00|--field|Project=Home|--field|Shop=Corner|"
                      "--alarm|2090-03-04 09:00");
        COMPARE_EXIT(add, 0);
        QCOMPARE(add.out, s("1\n"));
        COMPARE_EXIT(orvel.run("add|Call|the|plumber|--field|Project=Work"), 0);
        const QByteArray bytes("a\0b\xff\n", 5);
        const QString file = orvel.writeFile(s("notes.bin"), bytes);
        const RunResult attach = orvel.run({s("attach"), s("1"), file});
        COMPARE_EXIT(attach, 0);
        QCOMPARE(attach.out, s("1\n"));

        // Wall-clock 09:30 at +02:00 is 07:30 UTC; the second todo reuses the field type Project.
        QCOMPARE(orvel.sql("SELECT note, start_date, end_date, time_zone, is_done, recurrence_id "
                           "FROM TODO_PROJECT ORDER BY todo_id"),
                 s("Buy milk|2090-03-04 07:30:00.000|2090-03-04 08:00:00.000|+02:00|0|-1\n"
                   "Call the plumber|1989-12-31 22:00:00.000|1989-12-31 22:00:00.000|"
                   "+02:00|0|-1"));
        QCOMPARE(orvel.sql("SELECT t.name, f.value, f.todo_id FROM FIELD f JOIN FIELD_TYPE t "
                           "USING (field_type_id) ORDER BY f.field_id"),
                 s("Project|Home|1\nShop|Corner|1\nProject|Work|2"));
        // The alarm and the attachment are read back by show and export-attachment below.

        const RunResult show = orvel.run("show|1");
        COMPARE_EXIT(show, 0);
        QCOMPARE(show.outLines(),
                 (QStringList{"Id:            1", "Note:          Buy milk", "Done:          no",
                              "Status:        0", "Time zone:     +02:00",
                              "Start:         2090-03-04 09:30", "End:           2090-03-04 10:00",
                              "Readable date: 2090 Mar 4. 09:30 - 10:00",
                              "Created:       2015-01-14 12:00", "Modified:      2015-01-14 12:00",
                              "Fields:", "  Project = Home", "  Shop = Corner",
                              "Alarms:", "  1  2090-03-04 09:00  active",
                              "Attachments:", "  1  notes.bin  5 bytes", "Recurrence:    none"}));

        const QString exported = orvel.home() + s("/exported.bin");
        const RunResult exportRun = orvel.run({s("export-attachment"), s("1"), exported});
        COMPARE_EXIT(exportRun, 0);
        QCOMPARE(exportRun.out, QString());
        QCOMPARE(fileBytes(exported), bytes);
    }

    void listFiltersAndSorts_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("ids");
        const auto row = [](const char* name, const char* arguments, const char* ids) {
            QTest::newRow(name) << s(arguments) << s(ids);
        };
        row("by start by default", "list", "2 1 3 4");
        row("latest start first", "list|--sort|-start", "4 3 1 2");
        row("alphabetically, capitals first", "list|--sort|alpha", "1 3 4 2");
        row("whole last day", "list|--from|2090-03-04|--to|2090-03-10", "1 3");
        row("two types must both match", "list|--field|Project=home|--field|Shop=corn", "3");
        row("texts of one type are alternatives", "list|--field|Project=work|--field|Project=Home",
            "2 1 3");
        row("second page", "list|--batch|3|--page|2", "4");
    }

    void listFiltersAndSorts()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, ids);
        OrvelRun orvel;
        const char* todos[] = {"add|Bravo|--start|2090-03-05 10:00|--field|Project=Home",
                               "add|alpha|--start|2090-03-03 10:00|--field|Project=Work",
                               "add|Charlie|--start|2090-03-10 10:00|--field|Project=homework|"
                               "--field|Shop=Corner",
                               "add|Delta|--start|2091-01-01 10:00"};
        int minute = 0;
        for (const char* todo : todos) {
            // Each todo is created a minute after the one before.
            orvel.setNow(s("2015-01-14 12:%1:00").arg(minute++, 2, 10, QLatin1Char('0')));
            COMPARE_EXIT(orvel.run(todo), 0);
        }
        COMPARE_EXIT(orvel.run("done|1"), 0);

        const RunResult result = orvel.run(arguments.toUtf8().constData());
        COMPARE_EXIT(result, 0);
        QCOMPARE(firstColumn(result.outLines()).join(QLatin1Char(' ')), ids);
    }

    void changesReachTheNextRun()
    {
        OrvelRun orvel;
        const QString other = orvel.home() + s("/other.sqlite");
        const QString db = s("--db");
        COMPARE_EXIT(
            orvel.run({db, other, s("add"), s("Buy milk"), s("--start"), s("2090-03-04 09:30")}),
            0);
        const RunResult done = orvel.run({s("done"), s("1"), db, other});
        COMPARE_EXIT(done, 0);
        QCOMPARE(done.out, s("1\t[x]\t2090 Mar 4. 09:30\tBuy milk\n"));
        QCOMPARE(OrvelRun::sqlite(other, s("SELECT is_done FROM TODO_PROJECT")), s("1"));
        COMPARE_EXIT(orvel.run({s("undone"), s("1"), db, other}), 0);
        const RunResult note = orvel.run({db, other, s("note"), s("1"), s("Buy"), s("oat milk")});
        COMPARE_EXIT(note, 0);
        QCOMPARE(note.out, s("1\t[ ]\t2090 Mar 4. 09:30\tBuy oat milk\n"));
        QCOMPARE(OrvelRun::sqlite(other, s("SELECT note, is_done FROM TODO_PROJECT")),
                 s("Buy oat milk|0"));

        // The default database is a different one, created empty by this run.
        const RunResult defaultList = orvel.run("list");
        COMPARE_EXIT(defaultList, 0);
        QCOMPARE(defaultList.out, QString());
        QVERIFY(QFile::exists(orvel.defaultDatabase()));
    }

    void deleteRemovesTodoWithDependants()
    {
        OrvelRun orvel;
        COMPARE_EXIT(orvel.run("add|Old|--field|Project=Home|--alarm|2090-03-04 09:00"), 0);
        // Shown through its format string: the readable date and the value of a field.
        COMPARE_EXIT(
            orvel.run("add|Kept|--field|Project=Work|--start|2090-03-04|--format|%1% %-1%"), 0);
        const QString file = orvel.writeFile(s("a.txt"), "abc");
        COMPARE_EXIT(orvel.run({s("attach"), s("1"), file}), 0);

        const RunResult deletion = orvel.run("delete|1");
        COMPARE_EXIT(deletion, 0);
        QCOMPARE(deletion.out, QString());
        QCOMPARE(
            orvel.sql("SELECT todo_id FROM TODO_PROJECT UNION ALL SELECT todo_id FROM ALARM "
                      "UNION ALL SELECT todo_id FROM FIELD UNION ALL SELECT todo_id FROM BINARY"),
            s("2\n2"));
        QCOMPARE(orvel.sql("SELECT count(*) FROM FIELD_TYPE"), s("1"));
        QCOMPARE(orvel.run("list").out, s("2\t[ ]\t2090 Mar 4.\tWork 2090 Mar 4.\n"));
    }

    void repeatInstanceAndNext()
    {
        OrvelRun orvel;
        COMPARE_EXIT(
            orvel.run("add|Water plants|--start|2090-03-04 09:00|--alarm|2090-03-04 08:45"), 0);
        const RunResult repeat = orvel.run("repeat|1|--daily|--until|2090-03-10");
        COMPARE_EXIT(repeat, 0);
        QCOMPARE(repeat.out, s("1\n"));
        const QStringList show = orvel.run("show|1").outLines();
        QCOMPARE(show.mid(show.indexOf(s("Recurrence:    1"))),
                 (QStringList{"Recurrence:    1", "  Repeats:     daily",
                              "  From:        2090-03-04 09:00", "  Until:       2090-03-10 23:59",
                              "  Instanced:   2010-06-01 00:00", "  Sample:      2"}));

        // The sample (id 2) starts the rule; its occurrences begin the day after.
        const RunResult instance = orvel.run("instance|--until|2090-03-06");
        COMPARE_EXIT(instance, 0);
        QCOMPARE(instance.outLines(), (QStringList{"3\t[ ]\t2090 Mar 5. 09:00\tWater plants",
                                                   "4\t[ ]\t2090 Mar 6. 09:00\tWater plants"}));
        QCOMPARE(orvel.sql("SELECT todo_id, recurrence_id, is_sample FROM TODO_PROJECT"),
                 s("1|1|0\n2|1|1\n3|1|0\n4|1|0"));
        QCOMPARE(orvel.sql("SELECT todo_id, alarm_time FROM ALARM WHERE todo_id = 4"),
                 s("4|2090-03-06 08:45:00.000"));
        QCOMPARE(orvel.run("instance|--until|2090-03-06").out, QString());

        // Deleting an instance keeps the rule; the rule ends on 10 March.
        COMPARE_EXIT(orvel.run("delete|3"), 0);
        const RunResult further = orvel.run("instance|--until|2090-03-20");
        QCOMPARE(firstColumn(further.outLines()), (QStringList{"5", "6", "7", "8"}));
        QCOMPARE(further.outLines().constLast().section(QLatin1Char('\t'), 2, 2),
                 s("2090 Mar 10. 09:00"));
        QCOMPARE(firstColumn(orvel.run("list").outLines()),
                 (QStringList{"1", "4", "5", "6", "7", "8"}));

        // A rule that is due gets its next occurrence once, and occurrences show in a listing.
        OrvelRun weekly;
        COMPARE_EXIT(weekly.run("add|Standup|--start|2015-01-07 09:00"), 0);
        COMPARE_EXIT(weekly.run("repeat|1|--weekly|MON,WED|--every|2"), 0);
        QCOMPARE(weekly.run("list|--recurring|--from|2015-01-20|--to|2015-01-31").out,
                 s("R1\t[ ]\tJan 21. 09:00\tStandup\n"));
        QCOMPARE(weekly.run("next").out, s("3\t[ ]\tJan 19. 09:00\tStandup\n"));
        QCOMPARE(weekly.run("next").out, QString());
    }

    void rejectsBadCommandLine_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* arguments, const char* message) {
            QTest::newRow(name) << s(arguments) << s(message);
        };
        row("no command", "", "orvel: missing command");
        row("unknown option", "list|--colour", "orvel: Unknown option 'colour'.");
        row("30 February", "add|x|--end|2026-02-30",
            "orvel: cannot read date '2026-02-30', expected YYYY-MM-DD[ HH:MM]");
        row("zone beyond 14:00", "add|x|--tz|+14:30",
            "orvel: cannot read time zone '+14:30', expected +HH:MM or -HH:MM");
        row("end before start", "add|x|--start|2090-03-04 10:00|--end|2090-03-04 09:00",
            "orvel: the end 2090-03-04 09:00 lies before the start 2090-03-04 10:00");
        row("two kinds of repetition", "repeat|1|--daily|--yearly",
            "orvel: give exactly one of --daily, --weekly, --monthly-day, --monthly-week, "
            "--monthly-last-day and --yearly");
    }

    // Bad arguments end the run before the database is opened: none is created.
    void rejectsBadCommandLine()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        OrvelRun orvel;
        const RunResult result = orvel.run(arguments.toUtf8().constData());
        COMPARE_EXIT(result, 2);
        QCOMPARE(result.errLines().value(0), message);
        QVERIFY2(result.errLines().value(1).startsWith(s("Try 'orvel ")), qPrintable(result.err));
        QCOMPARE(result.out, QString());
        QVERIFY(!QFile::exists(orvel.home() + s("/.orvel")));
    }

    void unknownIdFailsAndChangesNothing()
    {
        OrvelRun orvel;
        COMPARE_EXIT(orvel.run("add|Existing|--start|2090-03-04"), 0);
        COMPARE_EXIT(orvel.run("repeat|1|--yearly"), 0);
        const QString before = orvel.sql(".dump");
        // Samples are no todos of their own; they are reached through their rule.
        const RunResult result = orvel.run("done|2");
        COMPARE_EXIT(result, 1);
        QCOMPARE(result.errLines(), QStringList{s("orvel: no todo with id 2")});
        QCOMPARE(orvel.sql(".dump"), before);
    }

    // Opening failures are in tst_cli_realuse; here a write that the database refuses.
    void databaseFailuresAreReported()
    {
        OrvelRun orvel;
        COMPARE_EXIT(orvel.run("add|Existing"), 0);
        orvel.sql("CREATE TRIGGER refuse BEFORE INSERT ON TODO_PROJECT BEGIN SELECT "
                  "RAISE(ABORT, 'refused by the test'); END;");
        const RunResult refused = orvel.run("add|Refused");
        COMPARE_EXIT(refused, 1);
        QCOMPARE(refused.errLines().size(), 1);
        const QString line = refused.errLines().constFirst();
        QVERIFY2(
            line.startsWith(
                s("orvel: could not save the changes to '%1': ").arg(orvel.defaultDatabase())) &&
                line.contains(s("refused by the test")),
            qPrintable(line));
        QCOMPARE(orvel.sql("SELECT note FROM TODO_PROJECT"), s("Existing"));
    }

    void diagnosticsOnlyWithVerbose()
    {
        OrvelRun orvel;
        COMPARE_EXIT(orvel.run("add|Existing"), 0);
        // An alarm without a todo makes the library log a wrong reference while loading.
        orvel.sql(badAlarmRow);
        const RunResult quiet = orvel.run("list");
        const RunResult verbose = orvel.run("--verbose|list");
        COMPARE_EXIT(quiet, 0);
        QCOMPARE(quiet.err, QString());
        COMPARE_EXIT(verbose, 0);
        QCOMPARE(verbose.out, quiet.out);
        // Standard error is no terminal here, so the tag comes without its colours...
        QVERIFY2(
            verbose.errLines().contains(s("[ERROR          ] Wrong todo_id:  0  - In alarm:  1")),
            qPrintable(verbose.err));
        QVERIFY(!verbose.err.contains(QChar(0x1b)));
        // ...while script(1) runs orvel on a pseudo-terminal, which keeps them.
        const RunResult onTerminal = orvel.runOnTerminal({s("--verbose"), s("list")});
        COMPARE_EXIT(onTerminal, 0);
        QVERIFY2(onTerminal.out.contains(s("\x1b[1;31m\x1b[41m[\x1b[1;37mERROR")),
                 qPrintable(onTerminal.out));
    }

    // The mapping itself is tested in tests/tst_icalendar; here the commands around it.
    void exportAndImportAgain()
    {
        OrvelRun orvel;
        orvel.setZone(s("America/St_Johns"));
        const QString other = orvel.home() + s("/other.sqlite");
        QCOMPARE(
            orvel.run("add|Buy milk, eggs|--start|2015-01-20 09:00|--field|Shop=Corner").exitCode,
            0);
        QCOMPARE(orvel.run("add|Call|--start|2015-01-21").exitCode, 0);
        QCOMPARE(orvel.run("done|2").exitCode, 0);
        const QString file = orvel.home() + s("/todos.ics");
        QCOMPARE(orvel.run({s("export"), s("-o"), file}).exitCode, 0);

        const RunResult first = orvel.run({s("--db"), other, s("import"), file});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.outLines(), QStringList{s("created 2, updated 0, skipped 0")});
        QCOMPARE(
            orvel.run({s("--db"), other, s("list")}).outLines(),
            (QStringList{s("1\t[ ]\tJan 20. 09:00\tBuy milk, eggs"), s("2\t[x]\tJan 21.\tCall")}));
        QCOMPARE(orvel.run({s("--db"), other, s("import"), file}).outLines(),
                 QStringList{s("created 0, updated 0, skipped 2")});

        // The same todos keep their UIDs in the other database; --done selects as list does.
        const RunResult original = orvel.run("export");
        const RunResult copy = orvel.run({s("--db"), other, s("export")});
        QCOMPARE(uidLines(copy.out), uidLines(original.out));
        QCOMPARE(uidLines(orvel.run("export|--done").out), uidLines(original.out).mid(1));
    }

    void malformedFileChangesNothing()
    {
        OrvelRun orvel;
        QCOMPARE(orvel.run("add|Keep me").exitCode, 0);
        const QString before = orvel.sql(".dump");
        orvel.writeFile(s("bad.ics"), "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VTODO\r\n");
        const RunResult run = orvel.run("import|bad.ics");
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errLines(), QStringList{s("orvel: 'bad.ics': line 3: END:VTODO where "
                                               "END:VCALENDAR was expected (BEGIN on line 1)")});
        QCOMPARE(orvel.sql(".dump"), before);
    }
};

QTEST_GUILESS_MAIN(TestCli)

#include "tst_cli.moc"
