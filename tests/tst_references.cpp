#include "loghandler.h"
#include "testsupport.h"

#include <QTest>
#include <climits>
#include <memory>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;
using OrvelTest::LogCapture;

namespace {

const char storedModification[] = "2001-02-03 04:05:06.007";

QDateTime storedModificationTime()
{
    return QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 7), Qt::UTC);
}

// The rows below are written with the sqlite3 program, as another client of the database
// would write them, so that the pool meets identifiers that its own writes never produce.
QString todoRow(int id, int recurrenceId, bool isSample = false,
                const QString& zone = QStringLiteral("+00:00"))
{
    return QStringLiteral(
               "INSERT INTO TODO_PROJECT (todo_id, start_date, end_date, time_zone, "
               "last_mod_date, creation_date, status, is_done, note, format_string, is_deleted, "
               "recurrence_id, is_sample) VALUES (%1, '2015-01-14 08:00:00.000', "
               "'2015-01-14 09:00:00.000', '%4', '%5', '2001-01-01 00:00:00.000', 0, 0, "
               "'todo %1', '', 0, %2, %3);")
        .arg(id)
        .arg(recurrenceId)
        .arg(isSample ? 1 : 0)
        .arg(zone, QLatin1String(storedModification));
}

QString sampleRow(int id, const QString& zone = QStringLiteral("+00:00"))
{
    return todoRow(id, -1, true, zone);
}

QString alarmRow(int id, int todoId)
{
    return QStringLiteral("INSERT INTO ALARM (alarm_id, todo_id, last_mod_date, alarm_time, "
                          "is_active, snooze, snooze_interval, is_deleted) VALUES (%1, %2, '%3', "
                          "'2015-01-14 10:00:00.000', 1, 0, 5, 0);")
        .arg(id)
        .arg(todoId)
        .arg(QLatin1String(storedModification));
}

QString binaryRow(int id, int todoId)
{
    return QStringLiteral("INSERT INTO BINARY (binary_id, todo_id, last_mod_date, note, type, "
                          "size, data, is_deleted) VALUES (%1, %2, '%3', 'scan', 0, 0, NULL, 0);")
        .arg(id)
        .arg(todoId)
        .arg(QLatin1String(storedModification));
}

QString fieldTypeRow(int id)
{
    return QStringLiteral("INSERT INTO FIELD_TYPE (field_type_id, last_mod_date, name, "
                          "is_deleted) VALUES (%1, '%2', 'type %1', 0);")
        .arg(id)
        .arg(QLatin1String(storedModification));
}

QString fieldRow(int id, int todoId, int fieldTypeId)
{
    return QStringLiteral("INSERT INTO FIELD (field_id, todo_id, field_type_id, last_mod_date, "
                          "value, db_id, contact_id, is_deleted) VALUES (%1, %2, %3, '%4', "
                          "'value', '', '', 0);")
        .arg(id)
        .arg(todoId)
        .arg(fieldTypeId)
        .arg(QLatin1String(storedModification));
}

QString recurrenceRow(int id, int sampleId, bool isDeleted = false)
{
    return QStringLiteral(
               "INSERT INTO RECURRENCE (recurrence_id, sample_id, last_mod_date, is_active, "
               "repeats, repeats_every, repeats_on, range_start, range_end, instancing_date, "
               "is_deleted) VALUES (%1, %2, '%3', 1, 1, 1, '', '2015-01-01 00:00:00.000', "
               "'2015-12-31 00:00:00.000', '2010-06-01 00:00:00.000', %4);")
        .arg(id)
        .arg(sampleId)
        .arg(QLatin1String(storedModification))
        .arg(isDeleted ? 1 : 0);
}

// Creates a database with the library's schema, writes the rows into it and starts a pool on
// it, capturing what start() logs.
std::unique_ptr<Pool> startWithRows(const QString& name, const QString& rows,
                                    QList<QByteArray>* logged = nullptr)
{
    const QString path =
        OrvelTest::homeDirectory() + QLatin1Char('/') + name + QStringLiteral(".sqlite");
    delete new Pool(path, name + QStringLiteral("-schema"));
    OrvelTest::sqlite3(path, rows);
    auto pool = std::make_unique<Pool>(path, name);
    LogCapture log;
    pool->start();
    if (logged)
        *logged = log.lines();
    return pool;
}

template <typename T> void append(QList<Entity*>& records, const QList<T*>* list)
{
    for (T* record : *list)
        records.append(record);
}

QList<Entity*> allRecords(const Pool& pool)
{
    QList<Entity*> records;
    append(records, pool.todos);
    append(records, pool.samples);
    append(records, pool.alarms);
    append(records, pool.binaries);
    append(records, pool.fields);
    append(records, pool.fieldTypes);
    append(records, pool.recurrences);
    return records;
}

QByteArray error(const QByteArray& message)
{
    return LogCapture::line("ERROR", message);
}

} // namespace

class TestReferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wrongReferenceIsLoggedAndRecordKept_data();
    void wrongReferenceIsLoggedAndRecordKept();
    void storedIdentifiersBecomeLinksOnBothSides();
    void recordWithWrongReferenceKeepsItsIdentifier();
    void secondRecurrenceTakesTheSampleOver();
    void storedModificationTimesAreKept();
    void lookupsTakeFirstRecordAndNeverKeyZero();
};

void TestReferences::wrongReferenceIsLoggedAndRecordKept_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("records");
    QTest::addColumn<QList<QByteArray>>("lines");

    QTest::newRow("alarm with todo_id 0")
        << todoRow(1, -1) + alarmRow(4, 0) << 2
        << QList<QByteArray>{error("Wrong todo_id:  0  - In alarm:  4")};
    QTest::newRow("field naming a missing type")
        << todoRow(1, -1) + fieldTypeRow(2) + fieldRow(6, 1, 3) << 3
        << QList<QByteArray>{error("Wrong field_type_id:  3  - In field:  6")};
    QTest::newRow("field type 0 is looked up like any other")
        << todoRow(1, -1) + fieldRow(6, 1, 0) << 2
        << QList<QByteArray>{error("Wrong field_type_id:  0  - In field:  6")};
    QTest::newRow("recurrence naming an ordinary todo")
        << todoRow(1, -1) + recurrenceRow(7, 1) << 2
        << QList<QByteArray>{error("Wrong sample_id:  1  - In recurrence:  7")};
    QTest::newRow("recurrence with sample_id 0")
        << sampleRow(1) + recurrenceRow(7, 0) << 2
        << QList<QByteArray>{error("Wrong sample_id:  0  - In recurrence:  7")};
    QTest::newRow("todo naming a missing recurrence")
        << todoRow(1, 8) << 1 << QList<QByteArray>{error("Wrong recurrence_id:  8  - In todo:  1")};
    QTest::newRow("todo naming a deleted recurrence")
        << sampleRow(2) + recurrenceRow(8, 2, true) + todoRow(1, 8) << 2
        << QList<QByteArray>{error("Wrong recurrence_id:  8  - In todo:  1")};
    QTest::newRow("todo with recurrence_id 0")
        << todoRow(1, 0) << 1 << QList<QByteArray>{error("Wrong recurrence_id:  0  - In todo:  1")};
    QTest::newRow("recurrence_id -1 and below name no recurrence")
        << todoRow(1, -1) + todoRow(2, -7) << 2 << QList<QByteArray>{};
    QTest::newRow("alarm naming a sample is linked")
        << sampleRow(3) + alarmRow(4, 3) << 2 << QList<QByteArray>{};
    QTest::newRow("every kind wrong, logged in list order")
        << todoRow(1, 8) + recurrenceRow(7, 1) + fieldRow(6, 9, 9) + binaryRow(5, 9) +
               alarmRow(4, 9)
        << 5 << QList<QByteArray>{error("Wrong todo_id:  9  - In alarm:  4"),
                                  error("Wrong todo_id:  9  - In binary:  5"),
                                  error("Wrong todo_id:  9  - In field:  6"),
                                  error("Wrong field_type_id:  9  - In field:  6"),
                                  error("Wrong sample_id:  1  - In recurrence:  7"),
                                  error("Wrong recurrence_id:  8  - In todo:  1")};
}

void TestReferences::wrongReferenceIsLoggedAndRecordKept()
{
    QFETCH(QString, rows);
    QFETCH(int, records);
    QFETCH(QList<QByteArray>, lines);
    const QString name =
        QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
    QList<QByteArray> logged;
    const std::unique_ptr<Pool> pool = startWithRows(name, rows, &logged);
    QCOMPARE(logged, lines);

    // Nothing is dropped: every live row stands in the pool, loaded and unlisted.
    const QList<Entity*> loaded = allRecords(*pool);
    QCOMPARE(int(loaded.size()), records);
    for (const Entity* record : loaded) {
        QCOMPARE(record->isNew, false);
        QCOMPARE(record->isSynchronized, true);
    }
    QCOMPARE(*pool->unsynchronizedEntities, QList<Entity*>{});
}

void TestReferences::storedIdentifiersBecomeLinksOnBothSides()
{
    // The links of records the library saved itself are checked in tst_poolsync; these rows
    // add an alarm on a sample in a zone other than the device's.
    QList<QByteArray> logged;
    const std::unique_ptr<Pool> pool =
        startWithRows(QStringLiteral("links"),
                      sampleRow(3, QStringLiteral("+02:00")) + recurrenceRow(7, 3) + todoRow(1, 7) +
                          alarmRow(4, 1) + alarmRow(9, 3),
                      &logged);
    QCOMPARE(logged, QList<QByteArray>{});

    Todo* todo = pool->todoById(1);
    Todo* sample = pool->sampleById(3);
    Recurrence* recurrence = pool->recurrenceById(7);
    Alarm* todoAlarm = pool->alarmById(4);
    Alarm* sampleAlarm = pool->alarmById(9);
    QVERIFY(todo && sample && recurrence && todoAlarm && sampleAlarm);
    QCOMPARE(todo->recurrence, recurrence);
    QCOMPARE(*recurrence->todos, QList<Todo*>{todo});
    QCOMPARE(recurrence->sample, sample);
    QCOMPARE(sample->recurrence, recurrence);
    QCOMPARE(sampleAlarm->todo, sample);
    QCOMPARE(*sample->alarms, QList<Alarm*>{sampleAlarm});

    // Linking carries the alarm over from the device's zone (UTC here) into its sample's zone
    // once, through the alarm's own re-basing: 10:00 stays the wall-clock reading.
    QCOMPARE(sampleAlarm->alarmTime(Stored), QDateTime(QDate(2015, 1, 14), QTime(10, 0)));
    QCOMPARE(sampleAlarm->alarmTime(UTC), QDateTime(QDate(2015, 1, 14), QTime(8, 0), Qt::UTC));
    QCOMPARE(todoAlarm->alarmTime(UTC), QDateTime(QDate(2015, 1, 14), QTime(10, 0), Qt::UTC));
}

void TestReferences::recordWithWrongReferenceKeepsItsIdentifier()
{
    const std::unique_ptr<Pool> pool =
        startWithRows(QStringLiteral("kept"),
                      todoRow(1, 8) + todoRow(2, -1) + recurrenceRow(7, 2) + alarmRow(4, 0) +
                          alarmRow(5, 2) + fieldTypeRow(3) + fieldRow(6, 9, 3) + fieldRow(7, 2, 9));

    Todo* todo = pool->todoById(1);
    QCOMPARE(todo->recurrence, static_cast<Recurrence*>(nullptr));
    QCOMPARE(todo->recurrence_id, 8);

    // Looked up among samples only: an ordinary todo with that id is not taken.
    Recurrence* recurrence = pool->recurrenceById(7);
    QCOMPARE(recurrence->sample, static_cast<Todo*>(nullptr));
    QCOMPARE(recurrence->sample_id, 2);
    QVERIFY(pool->todoById(2)->recurrence == nullptr);

    QCOMPARE(pool->alarmById(4)->todo, static_cast<Todo*>(nullptr));
    QCOMPARE(pool->alarmById(4)->todo_id, 0);
    QCOMPARE(pool->alarmById(5)->todo, pool->todoById(2));

    // A field keeps the link that is right next to the one that is wrong.
    Field* wrongTodo = pool->fieldById(6);
    Field* wrongType = pool->fieldById(7);
    QCOMPARE(wrongTodo->todo, static_cast<Todo*>(nullptr));
    QCOMPARE(wrongTodo->todo_id, 9);
    QCOMPARE(*pool->fieldTypeById(3)->fields, QList<Field*>{wrongTodo});
    QCOMPARE(wrongType->fieldType, static_cast<FieldType*>(nullptr));
    QCOMPARE(wrongType->field_type_id, 9);
    QCOMPARE(*pool->todoById(2)->fields, QList<Field*>{wrongType});

    // The records stay connected: a change is announced to the pool.
    pool->alarmById(4)->setSnooze(3);
    todo->setStatus(2);
    QCOMPARE(*pool->unsynchronizedEntities, (QList<Entity*>{pool->alarmById(4), todo}));
}

void TestReferences::secondRecurrenceTakesTheSampleOver()
{
    QList<QByteArray> logged;
    const std::unique_ptr<Pool> pool = startWithRows(
        QStringLiteral("two"), sampleRow(3) + recurrenceRow(7, 3) + recurrenceRow(8, 3), &logged);
    QCOMPARE(logged, QList<QByteArray>{});

    Recurrence* first = pool->recurrenceById(7);
    Recurrence* second = pool->recurrenceById(8);
    Todo* sample = pool->sampleById(3);
    QCOMPARE(second->sample, sample);
    QCOMPARE(sample->recurrence, second);
    QCOMPARE(sample->recurrence_id, 8);
    QCOMPARE(first->sample, static_cast<Todo*>(nullptr));
    QCOMPARE(first->sample_id, INT_MIN);
    // The first was already linked and connected when it lost its sample.
    QCOMPARE(first->isSynchronized, false);
    QCOMPARE(*pool->unsynchronizedEntities, QList<Entity*>{first});
    QCOMPARE(second->isSynchronized, true);
}

void TestReferences::storedModificationTimesAreKept()
{
    const std::unique_ptr<Pool> pool = startWithRows(
        QStringLiteral("modification"), todoRow(1, -1) + todoRow(2, -1) + alarmRow(4, 1) +
                                            sampleRow(3) + recurrenceRow(7, 3) + fieldTypeRow(5));
    // The clock stands at 2015-01-14 12:00:00 UTC.
    const QDateTime now(QDate(2015, 1, 14), QTime(12, 0), Qt::UTC);
    QCOMPARE(QDateTime::currentDateTimeUtc(), now);

    // Linked children keep their own stored times...
    QCOMPARE(pool->alarmById(4)->lastModDate, storedModificationTime());
    QCOMPARE(pool->recurrenceById(7)->lastModDate, storedModificationTime());
    QCOMPARE(pool->fieldTypeById(5)->lastModDate, storedModificationTime());
    QCOMPARE(pool->todoById(2)->lastModDate, storedModificationTime());
    // ...while a parent modified by the linking of a child keeps the time of that linking.
    QCOMPARE(pool->todoById(1)->lastModDate, now);
    QCOMPARE(pool->sampleById(3)->lastModDate, now);
    QCOMPARE(pool->todoById(1)->lastModDate.timeSpec(), Qt::UTC);
    QCOMPARE(*pool->unsynchronizedEntities, QList<Entity*>{});
}

void TestReferences::lookupsTakeFirstRecordAndNeverKeyZero()
{
    // Records put into the lists by hand, as the loaders would leave them, with identifiers
    // that no database hands out: two todos sharing a key, and a todo with key 0.
    Pool pool(OrvelTest::homeDirectory() + QStringLiteral("/byhand.sqlite"),
              QStringLiteral("byhand"));
    auto* first = new Todo(pool.connector);
    auto* second = new Todo(pool.connector);
    auto* zero = new Todo(pool.connector);
    first->id = 5;
    second->id = 5;
    zero->id = 0;
    auto* toFive = new Alarm(pool.connector);
    auto* toZero = new Alarm(pool.connector);
    toFive->id = 1;
    toFive->todo_id = 5;
    toZero->id = 2;
    toZero->todo_id = 0;
    *pool.todos << first << second << zero;
    *pool.alarms << toFive << toZero;

    LogCapture log;
    pool.makeReferences();
    QCOMPARE(log.lines(), QList<QByteArray>{error("Wrong todo_id:  0  - In alarm:  2")});
    QCOMPARE(toFive->todo, first);
    QCOMPARE(toZero->todo, static_cast<Todo*>(nullptr));
    QVERIFY(zero->alarms->isEmpty());
    QCOMPARE(pool.todoById(5), first);
}

QTEST_GUILESS_MAIN(TestReferences)
#include "tst_references.moc"
