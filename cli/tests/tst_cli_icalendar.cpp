// End-to-end tests of orvel export and orvel import, in a temporary home with the zone and the
// clock pinned by OrvelRun.
#include "orvelrun.h"

#include <QRegularExpression>
#include <QTest>

namespace {

QStringList uidLines(const QString& calendar)
{
    static const QRegularExpression uid(QStringLiteral("^UID:.*$"),
                                        QRegularExpression::MultilineOption);
    QStringList lines;
    QRegularExpressionMatchIterator match = uid.globalMatch(calendar);
    while (match.hasNext())
        lines << match.next().captured().trimmed();
    return lines;
}

} // namespace

class TestCliICalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportAndImportAgain()
    {
        OrvelRun orvel;
        orvel.setZone(QStringLiteral("America/St_Johns"));
        const QString other = orvel.home() + QStringLiteral("/other.sqlite");
        QCOMPARE(
            orvel.run("add|Buy milk, eggs|--start|2015-01-20 09:00|--field|Shop=Corner").exitCode,
            0);
        QCOMPARE(orvel.run("add|Call|--start|2015-01-21").exitCode, 0);
        QCOMPARE(orvel.run("done|2").exitCode, 0);
        const QString file = orvel.home() + QStringLiteral("/todos.ics");
        QCOMPARE(orvel.run({QStringLiteral("export"), QStringLiteral("-o"), file}).exitCode, 0);

        const RunResult first =
            orvel.run({QStringLiteral("--db"), other, QStringLiteral("import"), file});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.outLines(), QStringList{QStringLiteral("created 2, updated 0, skipped 0")});
        QCOMPARE(orvel.run({QStringLiteral("--db"), other, QStringLiteral("list")}).outLines(),
                 (QStringList{QStringLiteral("1\t[ ]\tJan 20. 09:00\tBuy milk, eggs"),
                              QStringLiteral("2\t[x]\tJan 21.\tCall")}));
        QCOMPARE(
            orvel.run({QStringLiteral("--db"), other, QStringLiteral("import"), file}).outLines(),
            QStringList{QStringLiteral("created 0, updated 0, skipped 2")});

        // The same todos keep their UIDs in the other database; --done selects as list does.
        const RunResult original = orvel.run("export");
        const RunResult copy = orvel.run({QStringLiteral("--db"), other, QStringLiteral("export")});
        QCOMPARE(uidLines(copy.out), uidLines(original.out));
        QCOMPARE(uidLines(orvel.run("export|--done").out), uidLines(original.out).mid(1));
    }

    void malformedFileChangesNothing()
    {
        OrvelRun orvel;
        QCOMPARE(orvel.run("add|Keep me").exitCode, 0);
        const QString before = orvel.sql(".dump");
        orvel.writeFile(QStringLiteral("bad.ics"),
                        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VTODO\r\n");
        const RunResult run = orvel.run("import|bad.ics");
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errLines(),
                 QStringList{QStringLiteral("orvel: 'bad.ics': line 3: END:VTODO where "
                                            "END:VCALENDAR was expected (BEGIN on line 1)")});
        QCOMPARE(orvel.sql(".dump"), before);
    }
};

QTEST_GUILESS_MAIN(TestCliICalendar)
#include "tst_cli_icalendar.moc"
