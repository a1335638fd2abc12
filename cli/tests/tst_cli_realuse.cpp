#include "orvelrun.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QTest>
#include <thread>
#include <vector>

class TestCliRealUse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parallelChangesAllPersist()
    {
        OrvelRun orvel;
        COMPARE_EXIT(orvel.run("add|first"), 0);
        COMPARE_EXIT(orvel.run("add|second"), 0);
        COMPARE_EXIT(orvel.run("done|2"), 0);
        QList<QStringList> commands = {
            {s("note"), s("1"), s("changed")}, {s("done"), s("1")}, {s("undone"), s("2")}};
        for (int i = 0; i < 6; ++i) {
            const QString n = QString::number(i);
            commands << QStringList{s("edit"), s("1"), s("--field"), QStringLiteral("T%1=v").arg(n)}
                     << QStringList{s("edit"), s("1"), s("--alarm"),
                                    QStringLiteral("2030-01-0%1 10:00").arg(i + 1)}
                     << QStringList{s("attach"), s("1"), orvel.writeFile(n, n.toUtf8())};
        }
        commands.removeLast(); // 20 commands in all
        std::vector<RunResult> results(commands.size());
        std::vector<std::thread> threads;
        for (int i = 0; i < commands.size(); ++i) {
            const QStringList arguments = QStringList{s("--wait"), s("600")} + commands.at(i);
            threads.emplace_back(
                [&orvel, &results, arguments, i] { results[i] = orvel.run(arguments); });
        }
        for (std::thread& thread : threads)
            thread.join();
        for (const RunResult& result : results)
            QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(orvel.sql("SELECT note, is_done FROM TODO_PROJECT ORDER BY todo_id"),
                 s("changed|1\nsecond|0"));
        QCOMPARE(orvel.sql("SELECT count(*) FROM FIELD WHERE todo_id=1 AND value='v'"), s("6"));
        QCOMPARE(orvel.sql("SELECT count(DISTINCT alarm_time) FROM ALARM WHERE todo_id=1"), s("6"));
        QCOMPARE(orvel.sql("SELECT count(*) FROM BINARY WHERE todo_id=1"), s("5"));
    }

    void waitsForTheLockAndLoadsAfterIt()
    {
        OrvelRun orvel;
        COMPARE_EXIT(orvel.run("add|x"), 0);
        QLockFile lock(orvel.defaultDatabase() + s(".lock"));
        QVERIFY(lock.tryLock(0));
        const RunResult busy = orvel.run("--wait|1|done|1");
        COMPARE_EXIT(busy, 1);
        QVERIFY2(busy.err.contains(s("still in use")), qPrintable(busy.err));
        RunResult late;
        std::thread waiting([&] { late = orvel.run("note|1|y"); });
        QTest::qWait(1500);
        // Another program deletes the todo while it holds the lock.
        orvel.sql("DELETE FROM TODO_PROJECT WHERE todo_id=1");
        lock.unlock();
        waiting.join();
        COMPARE_EXIT(late, 1);
        QCOMPARE(late.errLines(), QStringList{s("orvel: no todo with id 1")});
    }

    void datesInTheTodosZone_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stored"); // for a refused command: a part of its message
        const auto row = [](const char* name, const char* zone, const char* arguments, int exitCode,
                            const char* stored) {
            QTest::newRow(name) << s(zone) << s(arguments) << exitCode << s(stored);
        };
        const char* berlin = "Europe/Berlin";
        const char* gap = "does not exist in Europe/Berlin";
        row("Berlin gap", berlin, "add|x|--start|2027-03-28 02:30", 2, gap);
        row("offset without gap", berlin, "add|x|--start|2027-03-28 02:30|--tz|+05:30", 0,
            "2027-03-27 21:00:00.000|+05:30");
        row("alarm in gap", berlin, "add|x|--start|2027-03-27|--alarm|2027-03-28 02:15", 2, gap);
        row("list from in gap", berlin, "list|--from|2027-03-28 02:30|--to|2027-03-29", 2, gap);
        row("July entered in winter", berlin, "add|x|--start|2027-07-01 09:00", 0,
            "2027-07-01 07:00:00.000|+02:00");
        row("repeated hour takes the first", berlin, "add|x|--start|2027-10-31 02:30", 0,
            "2027-10-31 00:30:00.000|+02:00");
        row("named zone in summer", "UTC", "add|x|--start|2027-07-01 09:00|--tz|America/New_York",
            0, "2027-07-01 13:00:00.000|-04:00");
        row("named zone in winter", "UTC", "add|x|--start|2027-01-15 09:00|--tz|Europe/Berlin", 0,
            "2027-01-15 08:00:00.000|+01:00");
        row("unknown zone name", "UTC", "add|x|--tz|Mars/Olympus", 2,
            "unknown time zone 'Mars/Olympus'");
        row("weekday counts today", "UTC", "add|x|--start|wed", 0,
            "2015-01-14 00:00:00.000|+00:00");
        row("tomorrow with time", "UTC", "add|x|--start|tomorrow 09:00", 0,
            "2015-01-15 09:00:00.000|+00:00");
        row("next friday", "UTC", "add|x|--start|Friday", 0, "2015-01-16 00:00:00.000|+00:00");
        row("two weeks", "UTC", "add|x|--start|+2w", 0, "2015-01-28 00:00:00.000|+00:00");
    }

    void datesInTheTodosZone()
    {
        QFETCH(QString, zone);
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, stored);
        OrvelRun orvel;
        orvel.setZone(zone);
        if (zone != QLatin1String("UTC"))
            orvel.setNow(s("2026-12-06 12:00:00"));
        COMPARE_EXIT(orvel.run("list"), 0);
        const RunResult result = orvel.run(arguments.split(QLatin1Char('|')));
        COMPARE_EXIT(result, exitCode);
        const bool refused = exitCode != 0;
        QCOMPARE(orvel.sql("SELECT start_date, time_zone FROM TODO_PROJECT"),
                 refused ? QString() : stored);
        if (refused)
            QVERIFY2(result.err.contains(stored), qPrintable(result.err));
    }

    void reportsTheActualCause_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("cause");
        QTest::newRow("text file") << QByteArray("hello\n") << s("file is not a database");
        QTest::newRow("truncated") << QByteArray() << s("database disk image is malformed");
        QTest::newRow("home not writable") << QByteArray("x") << s("cannot create the directory");
    }

    void reportsTheActualCause()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, cause);
        OrvelRun orvel;
        QString path = orvel.home() + s("/file.db");
        QStringList arguments = {s("--db"), path, s("list")};
        if (cause.startsWith(s("cannot create"))) {
            path = orvel.home() + s("/.orvel");
            orvel.writeFile(s(".orvel"), content);
            arguments = QStringList{s("list")};
        } else if (content.isEmpty()) {
            COMPARE_EXIT(orvel.run({s("--db"), path, s("add"), s("x")}), 0);
            QVERIFY(QFile::resize(path, 5000));
        } else {
            orvel.writeFile(s("file.db"), content);
        }
        const RunResult result = orvel.run(arguments);
        COMPARE_EXIT(result, 1);
        QCOMPARE(result.errLines().size(), 1);
        QVERIFY2(result.err.contains(cause) && result.err.contains(path), qPrintable(result.err));
    }

    void smallFaults()
    {
        OrvelRun orvel;
        const RunResult negative = orvel.run("show|-1");
        COMPARE_EXIT(negative, 2);
        QVERIFY2(negative.err.startsWith(s("orvel: invalid id '-1'")), qPrintable(negative.err));
        COMPARE_EXIT(orvel.run("add| "), 2);
        COMPARE_EXIT(orvel.run("add|a\tb\\\nc"), 0);
        COMPARE_EXIT(orvel.run("attach|1|missing.txt"), 1);
        QCOMPARE(orvel.run("list").out.section(QLatin1Char('\t'), 3), s("a\\tb\\\\\\nc\n"));
    }

    void jsonSearchAndEdit()
    {
        OrvelRun orvel;
        orvel.setZone(s("Europe/Berlin"));
        QByteArray longNote(200 * 1024, 'n');
        COMPARE_EXIT(
            orvel.run({s("add"), s("--note-file"), orvel.writeFile(s("note"), longNote + '\n')}),
            0);
        COMPARE_EXIT(orvel.run("add|Call Bob|--start|2015-02-01 10:00|--end|2015-02-01 11:00|"
                               "--field|Room=B12|--field|Shop=MILK bar|--alarm|2015-02-01 09:30|"
                               "--alarm|2015-02-01 09:45"),
                     0);
        COMPARE_EXIT(orvel.run({s("attach"), s("2"), orvel.writeFile(s("a.txt"), "12345")}), 0);
        QCOMPARE(orvel.sql("SELECT length(note) FROM TODO_PROJECT WHERE todo_id=1"), s("204800"));
        QCOMPARE(orvel.run("list|--search|milk").outLines().size(), 1);
        COMPARE_EXIT(orvel.run("edit|2|--remove-alarm|9"), 1);
        COMPARE_EXIT(
            orvel.run("edit|2|--start|2015-02-02 08:00|--field|Room=C3|--remove-field|Shop|"
                      "--remove-alarm|1|--tz|Europe/Berlin"),
            0);
        COMPARE_EXIT(orvel.run("repeat|2|--weekly|MON"), 0);
        const QJsonObject todo =
            QJsonDocument::fromJson(orvel.run("show|2|--json").out.toUtf8()).object();
        QCOMPARE(todo.value(s("start")).toString(), s("2015-02-02T08:00:00+01:00"));
        QCOMPARE(todo.value(s("end")).toString(), s("2015-02-02T09:00:00+01:00"));
        QCOMPARE(todo.value(s("fields_by_type")).toObject(),
                 (QJsonObject{{s("Room"), QJsonArray{s("C3")}}}));
        const QJsonArray alarms = todo.value(s("alarms")).toArray();
        QCOMPARE(alarms.size(), 1);
        QCOMPARE(alarms.at(0).toObject().value(s("time")).toString(),
                 s("2015-02-01T09:45:00+01:00"));
        QCOMPARE(todo.value(s("attachments")).toArray().at(0).toObject().value(s("size")).toInt(),
                 5);
        QCOMPARE(todo.value(s("recurrence")).toObject().value(s("until")).type(), QJsonValue::Null);
        COMPARE_EXIT(orvel.run("repeat|1|--daily"), 0);
        COMPARE_EXIT(orvel.run("repeat|1|--stop"), 0);
        QCOMPARE(orvel.sql("SELECT range_end FROM RECURRENCE r JOIN TODO_PROJECT t "
                           "ON t.recurrence_id = r.recurrence_id WHERE t.todo_id=1"),
                 s("2015-01-14 11:00:00.000"));
        QCOMPARE(QJsonDocument::fromJson(orvel.run("list|--json").out.toUtf8()).array().size(), 2);
    }

    void editChecksEverythingFirst()
    {
        OrvelRun orvel;
        COMPARE_EXIT(orvel.run("add|x|--start|2015-02-01 09:00|--alarm|2015-02-01 08:00"), 0);
        const QString before = orvel.sql(".dump");
        COMPARE_EXIT(orvel.run("edit|1|--field|A=b|--remove-alarm|99"), 1);
        COMPARE_EXIT(orvel.run("edit|1|--remove-field|A"), 1);
        QCOMPARE(orvel.sql(".dump"), before);
        // Only the zone changes: the wall-clock start stays 09:00.
        COMPARE_EXIT(orvel.run("edit|1|--tz|+05:00"), 0);
        QCOMPARE(orvel.sql("SELECT start_date, end_date, time_zone FROM TODO_PROJECT"),
                 s("2015-02-01 04:00:00.000|2015-02-01 04:00:00.000|+05:00"));
        for (const char* note : {"a milk", "b other", "c Milk", "d MILK"})
            COMPARE_EXIT(orvel.run({s("add"), s(note)}), 0);
        const QStringList page =
            orvel.run("list|--search|milk|--sort|alpha|--batch|2|--page|2").outLines();
        QCOMPARE(page.size(), 1);
        QVERIFY2(page.at(0).endsWith(s("d MILK")), qPrintable(page.join(QLatin1Char('\n'))));
    }

    void completionAndManPageFollowTheHelp()
    {
        QProcess bash;
        bash.start(
            s("bash"),
            {s("-c"),
             s(". \"$0\"; COMP_WORDS=(orvel --db x ed); COMP_CWORD=3; _orvel; echo \"${COMPREPLY[*]}\"; COMP_WORDS=(orvel edit 1 --remove-a); COMP_CWORD=3; _orvel; echo \"${COMPREPLY[*]}\""),
             s(ORVEL_CLI_COMPLETION)});
        QVERIFY(bash.waitForFinished());
        QCOMPARE(QString::fromUtf8(bash.readAllStandardOutput()),
                 s("edit\n--remove-alarm --remove-attachment\n"));
        QFile manPage(s(ORVEL_CLI_MAN_PAGE));
        QVERIFY(manPage.open(QIODevice::ReadOnly));
        // An option in bold and its value in italics, as troff writes them.
        QVERIFY(
            manPage.readAll().contains("\\fB\\-\\-remove\\-attachment\\fR \\fIBINARY_ID\\fR\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliRealUse)
#include "tst_cli_realuse.moc"
