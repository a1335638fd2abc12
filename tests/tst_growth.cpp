// A pool of 100,000 todos starts, stops and writes its new records in seconds: the guards
// against loading, linking or saving that grows faster than the list. Processor time, not wall
// time, is measured, so the clock is left running (no libfaketime here).
#include "testsupport.h"

#include <QTest>
#include <ctime>
#include <orvel/alarm.h>
#include <orvel/pool.h>
#include <orvel/todo.h>

using namespace Orvel;
using OrvelTest::databasePath;
using OrvelTest::sqlite3;

class TestGrowth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hundredThousandTodosStartAndStopInSeconds()
    {
        const int count = 100000;
        const QString path = databasePath(QStringLiteral("many"));
        delete new Pool(path, QStringLiteral("many-schema"));
        sqlite3(
            path,
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO TODO_PROJECT (todo_id, start_date, end_date, time_zone, "
                "last_mod_date, creation_date, status, is_done, note, format_string, is_deleted, "
                "recurrence_id, is_sample) SELECT i, '2015-01-14 08:00:00.000', "
                "'2015-01-14 09:00:00.000', '+01:00', '2015-01-01 00:00:00.000', "
                "'2015-01-01 00:00:00.000', 0, 0, 'todo ' || i, '', 0, -1, 0 FROM n;"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO ALARM (alarm_id, todo_id, last_mod_date, alarm_time, is_active, "
                "snooze, snooze_interval, is_deleted) SELECT i, %1 + 1 - i, "
                "'2015-01-01 00:00:00.000', '2015-01-14 07:45:00.000', 1, 0, 5, 0 FROM n;")
                .arg(count));

        // Processor time, not wall time: the machine may be busy with other work.
        const std::clock_t begin = std::clock();
        auto* pool = new Pool(path, QStringLiteral("many"));
        pool->start();
        QCOMPARE(pool->todos->size(), count);
        QCOMPARE(pool->alarms->size(), count);
        QVERIFY(pool->unsynchronizedEntities->isEmpty());
        QCOMPARE(pool->todos->constFirst()->alarms->constFirst()->id, count);
        QCOMPARE(pool->todos->constLast()->alarms->constFirst()->id, 1);
        pool->start();
        QCOMPARE(pool->todos->size(), count);
        delete pool;
        const double seconds = double(std::clock() - begin) / CLOCKS_PER_SEC;
        qInfo("Two starts and the end of a pool of %d todos with one alarm each: %.1f s", count,
              seconds);
        QVERIFY2(seconds < 60, qPrintable(QStringLiteral("took %1 s").arg(seconds)));
    }

    void hundredThousandNewRecordsSaveInTwoPassesInSeconds()
    {
        const int count = 100000;
        const QString path = databasePath(QStringLiteral("manynew"));
        Pool pool(path, QStringLiteral("manynew"));
        pool.start();
        // Every alarm stands before its todo: the first pass saves the todos and keeps the alarms,
        // the second saves the alarms.
        for (int i = 0; i < count; ++i) {
            Alarm* alarm = pool.newAlarm();
            alarm->setTodo(pool.newTodo());
        }

        const std::clock_t begin = std::clock();
        pool.synchronizeToDatabase();
        const double seconds = double(std::clock() - begin) / CLOCKS_PER_SEC;
        qInfo("Saving %d new todos with one alarm each: %.1f s", count, seconds);
        QVERIFY(pool.unsynchronizedEntities->isEmpty());
        QCOMPARE(sqlite3(path, QStringLiteral("SELECT count(*) FROM ALARM JOIN TODO_PROJECT USING "
                                              "(todo_id);")),
                 QString::number(count));
        QVERIFY2(seconds < 60, qPrintable(QStringLiteral("took %1 s").arg(seconds)));
    }
};

QTEST_GUILESS_MAIN(TestGrowth)
#include "tst_growth.moc"
