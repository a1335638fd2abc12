// The pool: its one shared instance, its factories and lists, linking loaded rows by their
// identifiers, making instances of repeating todos, and freeing the deleted records handed back
// to it. Run under AddressSanitizer too (the sanitize configuration), which reports any leak.
#include "loghandler.h"
#include "testsupport.h"

#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;
using OrvelTest::LogCapture;

namespace {

using OrvelTest::databasePath;
using OrvelTest::utc;
using OrvelTest::wallClock;

// A database file and connection name unique per test function and row.
QString uniqueName()
{
    static int number = 0;
    return QStringLiteral("pool-%1").arg(++number);
}

// Makes one record of a kind, reads the pool's list for that kind and deletes a record of it.
struct Kind
{
    std::function<Entity*(Pool&)> make;
    std::function<QList<Entity*>(const Pool&)> list;
    std::function<void(Pool&, Entity*)> erase;
};

template <typename T>
Kind kindOf(T* (Pool::*make)(), QList<T*>* Pool::*list, void (Pool::*erase)(T*))
{
    return {[make](Pool& p) { return (p.*make)(); },
            [list](const Pool& p) {
                QList<Entity*> entities;
                for (T* record : *(p.*list))
                    entities.append(record);
                return entities;
            },
            [erase](Pool& p, Entity* e) { (p.*erase)(static_cast<T*>(e)); }};
}

// A repeating todo: a sample starting Monday 2015-01-05 09:00 for an hour in its zone, with a
// field value, an alarm a quarter of an hour before, an attachment and a format string naming
// the field; its rule runs through 2015.
struct Rule
{
    FieldType* who = nullptr;
    Todo* sample = nullptr;
    Recurrence* recurrence = nullptr;
};

Rule makeRule(Pool* pool, Repeats repeats, const QString& repeatsOn, int every,
              const QString& zone = QStringLiteral("+01:00"))
{
    Rule rule;
    rule.who = pool->newFieldType();
    pool->synchronizeToDatabase();
    rule.sample = pool->newSample();
    rule.sample->setTimeZone(zone);
    rule.sample->setStartDate(wallClock(2015, 1, 5, 9, 0));
    rule.sample->setEndDate(wallClock(2015, 1, 5, 10, 0));
    rule.sample->setStatus(2);
    Field* field = pool->newField();
    field->setFieldType(rule.who);
    field->setTodo(rule.sample);
    field->setValue(QStringLiteral("Alice"));
    field->setContactId(QStringLiteral("contact-9"));
    Alarm* alarm = pool->newAlarm();
    alarm->setTodo(rule.sample);
    alarm->setAlarmTime(wallClock(2015, 1, 5, 8, 45));
    alarm->setSnoozeInterval(7);
    pool->newBinary()->setTodo(rule.sample);
    rule.sample->setFormatString(QStringLiteral("Call %%1%").arg(rule.who->id));
    rule.recurrence = pool->newRecurrence();
    rule.recurrence->setSample(rule.sample);
    rule.recurrence->setRepeats(repeats);
    rule.recurrence->setRepeatsOn(repeatsOn);
    rule.recurrence->setRepeatsEvery(every);
    rule.recurrence->setIsActive(true);
    rule.recurrence->setRangeStart(wallClock(2015, 1, 1, 0, 0));
    rule.recurrence->setRangeEnd(wallClock(2015, 12, 31, 0, 0));
    pool->synchronizeToDatabase();
    return rule;
}

QList<QDateTime> startsOf(const QList<Todo*>& todos)
{
    QList<QDateTime> starts;
    for (const Todo* todo : todos)
        starts.append(todo->startDate(UTC));
    return starts;
}

// Rows as another client of the database would write them, with identifiers that the pool's
// own writes never produce.
const char storedModification[] = "2001-02-03 04:05:06.007";

QString todoRow(int id, int recurrenceId, bool isSample = false, const char* zone = "+00:00")
{
    return QStringLiteral("INSERT INTO TODO_PROJECT VALUES (%1, '2015-01-14 08:00:00.000', "
                          "'2015-01-14 09:00:00.000', '%4', '%5', '2001-01-01 00:00:00.000', 0, 0, "
                          "'todo %1', '', 0, %2, %3);")
        .arg(id)
        .arg(recurrenceId)
        .arg(isSample ? 1 : 0)
        .arg(QLatin1String(zone), QLatin1String(storedModification));
}

QString sampleRow(int id, const char* zone = "+00:00")
{
    return todoRow(id, -1, true, zone);
}

QString childRow(const char* table, int id, int parentId, int second = 0)
{
    const QString values =
        QStringLiteral("%1, %2, '%3'").arg(id).arg(parentId).arg(QLatin1String(storedModification));
    if (qstrcmp(table, "ALARM") == 0)
        return "INSERT INTO ALARM VALUES (" + values + ", '2015-01-14 10:00:00.000', 1, 0, 5, 0);";
    if (qstrcmp(table, "BINARY") == 0)
        return "INSERT INTO BINARY VALUES (" + values + ", 'scan', 0, 0, NULL, 0);";
    if (qstrcmp(table, "FIELD") == 0)
        return QStringLiteral("INSERT INTO FIELD VALUES (%1, %2, %3, '%4', 'value', '', '', 0);")
            .arg(id)
            .arg(parentId)
            .arg(second)
            .arg(QLatin1String(storedModification));
    if (qstrcmp(table, "FIELD_TYPE") == 0)
        return QStringLiteral("INSERT INTO FIELD_TYPE VALUES (%1, '%2', 'type %1', 0);")
            .arg(id)
            .arg(QLatin1String(storedModification));
    return "INSERT INTO RECURRENCE VALUES (" + values +
           QStringLiteral(", 1, 1, 1, '', '2015-01-01 00:00:00.000', '2015-12-31 00:00:00.000', "
                          "'2010-06-01 00:00:00.000', %1);")
               .arg(second);
}

// Creates a database with the library's schema, writes the rows and starts a pool on it.
std::unique_ptr<Pool> startWithRows(const QString& rows, QStringList* logged = nullptr)
{
    const QString name = uniqueName();
    delete new Pool(databasePath(name), name + QStringLiteral("-schema"));
    OrvelTest::sqlite3(databasePath(name), rows);
    auto pool = std::make_unique<Pool>(databasePath(name), name);
    LogCapture log;
    pool->start();
    if (logged)
        *logged = log.messages();
    return pool;
}

// Handing deleted records back with disposeDeleted().
// The number of rows of each table, as the sqlite3 program counts them.
const char rowCounts[] = "SELECT (SELECT count(*) FROM TODO_PROJECT), (SELECT count(*) FROM "
                         "RECURRENCE), (SELECT count(*) FROM ALARM), (SELECT count(*) FROM "
                         "BINARY), (SELECT count(*) FROM FIELD), (SELECT count(*) FROM "
                         "FIELD_TYPE), (SELECT count(*) FROM sqlite_sequence);";

enum Scenario { StoredTodo, NeverStoredTodo, SampleOfRule, RuleOfSample, FieldTypeOnLiveTodo };

using Watched = QList<QPointer<Entity>>;

bool allFreed(const Watched& records)
{
    return std::all_of(records.cbegin(), records.cend(), [](const auto& r) { return r.isNull(); });
}

bool noneFreed(const Watched& records)
{
    return std::none_of(records.cbegin(), records.cend(), [](const auto& r) { return r.isNull(); });
}

// A pool on its own database file, started.
struct StartedPool
{
    explicit StartedPool(const QString& name = uniqueName())
        : path(databasePath(name)), pool(path, name)
    {
        pool.start();
    }
    QString rows() const { return OrvelTest::sqlite3(path, QLatin1String(rowCounts)); }

    QString path;
    Pool pool;
};

Todo* todoWithChildren(Pool& pool)
{
    Todo* todo = pool.newTodo();
    todo->addAlarm(pool.newAlarm());
    todo->addBinary(pool.newBinary());
    // The field keeps a live type, which must not get it back when the todo is freed.
    Field* field = pool.newField();
    pool.newFieldType()->addField(field);
    todo->addField(field);
    return todo;
}

Recurrence* ruleWithSample(Pool& pool)
{
    Recurrence* rule = pool.newRecurrence();
    rule->setSample(pool.newSample());
    rule->setRepeats(Daily);
    return rule;
}

// Deletes records as the scenario says, hands one back, and returns every record that must be
// freed with it.
Watched deleteAndDispose(Scenario scenario, Pool& pool)
{
    if (scenario == StoredTodo || scenario == NeverStoredTodo) {
        Todo* todo = todoWithChildren(pool);
        if (scenario == StoredTodo)
            pool.synchronizeToDatabase();
        pool.deleteTodo(todo);
        pool.disposeDeleted(todo);
        return {todo, todo->deletedAlarms->constFirst(), todo->deletedBinaries->constFirst(),
                todo->deletedFields->constFirst()};
    }
    if (scenario == SampleOfRule || scenario == RuleOfSample) {
        Recurrence* rule = ruleWithSample(pool);
        Todo* sample = rule->sample;
        pool.synchronizeToDatabase();
        pool.deleteRecurrence(rule);
        pool.disposeDeleted(scenario == SampleOfRule ? static_cast<Entity*>(sample) : rule);
        return {rule, sample};
    }
    FieldType* type = pool.newFieldType();
    Field* field = pool.newField();
    type->addField(field);
    pool.newTodo()->addField(field);
    pool.synchronizeToDatabase();
    pool.deleteFieldType(type);
    pool.disposeDeleted(type);
    return {type, field};
}

// The records of the whole-life scenario: a todo with an alarm, an attachment and a field value,
// and a rule with its sample and one instance; their identifiers are kept across restarts.
struct WholeLifeIds
{
    int todo, instance, sample, recurrence, fieldType, field, binary, alarm;
};

WholeLifeIds createWholeLife(Pool* pool)
{
    FieldType* priority = pool->newFieldType();
    Todo* todo = pool->newTodo();
    todo->setTimeZone(QStringLiteral("+05:45"));
    todo->setStartDate(wallClock(2015, 3, 2, 8, 0));
    Alarm* alarm = pool->newAlarm();
    alarm->setTodo(todo);
    alarm->setAlarmTime(wallClock(2015, 3, 2, 7, 30));
    Binary* binary = pool->newBinary();
    binary->setTodo(todo);
    binary->setData(QByteArray("\x00\x01\xff\x7f", 4));
    Field* field = pool->newField();
    field->setFieldType(priority);
    field->setTodo(todo);
    Todo* sample = pool->newSample();
    Recurrence* recurrence = pool->newRecurrence();
    recurrence->setSample(sample);
    Todo* instance = pool->newTodo();
    instance->setRecurrence(recurrence);
    pool->synchronizeToDatabase();
    return {todo->id,     instance->id, sample->id, recurrence->id,
            priority->id, field->id,    binary->id, alarm->id};
}

// Checks that every live record of a started pool is stored and synchronized, and returns how
// many todos, samples, rules, alarms, attachments and field values it holds.
int verifyLoaded(const Pool* pool)
{
    int count = 0;
    const auto verify = [&count](const auto* records) {
        for (const Entity* record : *records) {
            QVERIFY(!record->isNew && record->isSynchronized);
            ++count;
        }
    };
    verify(pool->todos);
    verify(pool->samples);
    verify(pool->recurrences);
    verify(pool->alarms);
    verify(pool->binaries);
    verify(pool->fields);
    return count;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void instanceIsOneSharedPoolUntilDeleted()
    {
        QCOMPARE(Pool::sm_instance, nullptr);
        Pool* first = Pool::instance();
        QCOMPARE(Pool::instance(), first);
        QVERIFY(QFile::exists(OrvelTest::defaultDatabasePath()));
        QCOMPARE(first->started, false);
        QSignalSpy started(first, &Pool::poolStarted);
        first->start();
        QCOMPARE(started.count(), 1);
        QCOMPARE(first->started, true);
        first->newTodo()->setNote(QStringLiteral("kept in the default database"));

        // A pool built directly is not the instance, but its end resets the instance too.
        auto* direct = new Pool(databasePath(uniqueName()), QStringLiteral("direct"));
        QCOMPARE(Pool::instance(), first);
        QSignalSpy directDied(direct, &Pool::poolDied);
        delete direct;
        QCOMPARE(directDied.count(), 1);
        QCOMPARE(Pool::sm_instance, nullptr);
        Pool::sm_instance = first;

        // Destruction writes outstanding changes.
        QSignalSpy died(first, &Pool::poolDied);
        delete first;
        QCOMPARE(died.count(), 1);
        QCOMPARE(Pool::sm_instance, nullptr);
        Pool* second = Pool::instance();
        QVERIFY(second != nullptr);
        second->start();
        QCOMPARE(second->todos->size(), 1);
        QCOMPARE(second->todos->constFirst()->note, QStringLiteral("kept in the default database"));
        delete second;
    }

    void factoryListsAndDeleteUnlists_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("todo") << kindOf(&Pool::newTodo, &Pool::todos, &Pool::deleteTodo);
        QTest::newRow("sample") << kindOf(&Pool::newSample, &Pool::samples, &Pool::deleteSample);
        QTest::newRow("sample deleted as todo")
            << kindOf(&Pool::newSample, &Pool::samples, &Pool::deleteTodo);
        QTest::newRow("recurrence")
            << kindOf(&Pool::newRecurrence, &Pool::recurrences, &Pool::deleteRecurrence);
        QTest::newRow("field type")
            << kindOf(&Pool::newFieldType, &Pool::fieldTypes, &Pool::deleteFieldType);
        QTest::newRow("field") << kindOf(&Pool::newField, &Pool::fields, &Pool::deleteField);
        QTest::newRow("binary") << kindOf(&Pool::newBinary, &Pool::binaries, &Pool::deleteBinary);
        QTest::newRow("alarm") << kindOf(&Pool::newAlarm, &Pool::alarms, &Pool::deleteAlarm);
    }

    void factoryListsAndDeleteUnlists()
    {
        QFETCH(Kind, kind);
        StartedPool started;
        Pool& pool = started.pool;
        Entity* record = kind.make(pool);
        QVERIFY(record->isNew);
        QCOMPARE(record->databaseConnector, pool.connector);
        QCOMPARE(kind.list(pool), QList<Entity*>{record});
        QCOMPARE(*pool.unsynchronizedEntities, QList<Entity*>{record});
        QCOMPARE(record->lastModDate, utc(2015, 1, 14, 11, 0));

        // The three change signals reach the pool's slots of the same names.
        Q_EMIT record->setDeleted(record);
        QCOMPARE(kind.list(pool), QList<Entity*>{});
        Q_EMIT record->setUndeleted(record);
        Q_EMIT record->setUndeleted(record);
        QCOMPARE(kind.list(pool), QList<Entity*>{record});
        Q_EMIT record->setUnsynchronized(record);
        QCOMPARE(*pool.unsynchronizedEntities, (QList<Entity*>{record, record}));

        Entity* doomed = kind.make(pool);
        kind.erase(pool, doomed);
        QCOMPARE(kind.list(pool), QList<Entity*>{record});
        // Not freed: still a valid, deleted record that waits to be written.
        QCOMPARE(doomed->isRemoved, true);
        QCOMPARE(pool.unsynchronizedEntities->count(doomed), 1);
        QVERIFY(pool.disposeDeleted(doomed));
        pool.unsynchronizedEntities->clear();
    }

    void lookupsSearchOnlyTheirOwnList()
    {
        StartedPool started;
        Pool& pool = started.pool;
        Todo* todo = pool.newTodo();
        Todo* sample = pool.newSample();
        QCOMPARE(sample->is_sample, true);
        QCOMPARE(pool.sampleById(INT_MIN), sample);
        Alarm* alarm = pool.newAlarm();
        alarm->setTodo(todo);
        pool.synchronizeToDatabase();
        QCOMPARE(pool.todoById(todo->id), todo);
        QCOMPARE(pool.sampleById(sample->id), sample);
        QCOMPARE(pool.todoById(sample->id), nullptr);
        QCOMPARE(pool.sampleById(todo->id), nullptr);
        QCOMPARE(pool.alarmById(alarm->id + 1), nullptr);

        Query* kept = pool.newQuery();
        Query* dropped = pool.newQuery();
        QCOMPARE(kept->todos, pool.todos);
        QCOMPARE(kept->recurrences, pool.recurrences);
        pool.deleteQuery(dropped);
        *pool.queries << nullptr;
        pool.deleteQuery(nullptr); // takes only null entries out
        QCOMPARE(*pool.queries, QList<Query*>{kept});
        kept->execute();
        QCOMPARE(*kept->result, QList<Todo*>{todo});
    }

    void startDropsRecordsAndReloadReplacesDatabase()
    {
        const QString name = uniqueName();
        const QString countTodos = QStringLiteral("SELECT count(*) FROM TODO_PROJECT;");
        Pool pool(databasePath(name), name);
        pool.newTodo();
        pool.newQuery();
        pool.start();
        QVERIFY(pool.todos->isEmpty() && pool.queries->isEmpty() &&
                pool.unsynchronizedEntities->isEmpty());
        pool.newTodo();
        pool.newFieldType();
        pool.synchronizeToDatabase();
        QCOMPARE(OrvelTest::sqlite3(databasePath(name), countTodos), QStringLiteral("1"));
        pool.newAlarm();
        pool.newQuery();

        QSignalSpy started(&pool, &Pool::poolStarted);
        pool.reloadDB();
        QCOMPARE(started.count(), 0);
        QCOMPARE(pool.started, true);
        QVERIFY(pool.todos->isEmpty() && pool.fieldTypes->isEmpty() && pool.alarms->isEmpty());
        QVERIFY(pool.queries->isEmpty() && pool.unsynchronizedEntities->isEmpty());
        QCOMPARE(OrvelTest::sqlite3(databasePath(name), countTodos), QStringLiteral("0"));
        // The new database works: a record written now is stored under the first key.
        Todo* todo = pool.newTodo();
        pool.synchronizeToDatabase();
        QCOMPARE(todo->id, 1);
    }

    void wrongReferenceIsLoggedAndRecordKept_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("records");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("alarm with todo_id 0")
            << todoRow(1, -1) + childRow("ALARM", 4, 0) << 2
            << QStringList{"ERROR Wrong todo_id:  0  - In alarm:  4"};
        QTest::newRow("todo naming a deleted recurrence")
            << sampleRow(2) + childRow("RECURRENCE", 8, 2, 1) + todoRow(1, 8) << 2
            << QStringList{"ERROR Wrong recurrence_id:  8  - In todo:  1"};
        QTest::newRow("recurrence_id -1 and below name no recurrence")
            << todoRow(1, -1) + todoRow(2, -7) << 2 << QStringList{};
        QTest::newRow("field type 0 is looked up like any other")
            << todoRow(1, -1) + childRow("FIELD", 6, 1, 0) << 2
            << QStringList{"ERROR Wrong field_type_id:  0  - In field:  6"};
        QTest::newRow("every kind wrong, logged in list order")
            << todoRow(1, 8) + childRow("RECURRENCE", 7, 1) + childRow("FIELD", 6, 9, 9) +
                   childRow("BINARY", 5, 9) + childRow("ALARM", 4, 9)
            << 5 << QStringList{"ERROR Wrong todo_id:  9  - In alarm:  4",
                                "ERROR Wrong todo_id:  9  - In binary:  5",
                                "ERROR Wrong todo_id:  9  - In field:  6",
                                "ERROR Wrong field_type_id:  9  - In field:  6",
                                "ERROR Wrong sample_id:  1  - In recurrence:  7",
                                "ERROR Wrong recurrence_id:  8  - In todo:  1"};
    }

    void wrongReferenceIsLoggedAndRecordKept()
    {
        QFETCH(QString, rows);
        QFETCH(int, records);
        QFETCH(QStringList, messages);
        QStringList logged;
        const std::unique_ptr<Pool> pool = startWithRows(rows, &logged);
        QCOMPARE(logged, messages);
        // Nothing is dropped: every live row stands in the pool, loaded and unlisted.
        QCOMPARE(verifyLoaded(pool.get()), records);
        QVERIFY(pool->unsynchronizedEntities->isEmpty());
    }

    void storedIdentifiersBecomeLinks()
    {
        QStringList logged;
        const std::unique_ptr<Pool> pool = startWithRows(
            sampleRow(3, "+02:00") + childRow("RECURRENCE", 7, 3) + childRow("RECURRENCE", 8, 3) +
                todoRow(1, 8) + todoRow(2, -1) + childRow("ALARM", 4, 1) + childRow("ALARM", 9, 3) +
                childRow("FIELD_TYPE", 5, 0),
            &logged);
        QCOMPARE(logged, QStringList());
        Todo* todo = pool->todoById(1);
        Todo* sample = pool->sampleById(3);
        Recurrence* first = pool->recurrenceById(7);
        Recurrence* second = pool->recurrenceById(8);
        Alarm* todoAlarm = pool->alarmById(4);
        Alarm* sampleAlarm = pool->alarmById(9);
        QVERIFY(todo && sample && first && second && todoAlarm && sampleAlarm);
        QCOMPARE(todo->recurrence, second);
        QCOMPARE(*second->todos, QList<Todo*>{todo});
        QCOMPARE(*sample->alarms, QList<Alarm*>{sampleAlarm});
        // A second rule of the sample takes it over; the first, already linked, is left without.
        QCOMPARE(QList<QObject*>({second->sample, sample->recurrence, first->sample}),
                 QList<QObject*>({sample, second, nullptr}));
        QCOMPARE(QList<int>({sample->recurrence_id, first->sample_id}), QList<int>({8, INT_MIN}));
        QCOMPARE(*pool->unsynchronizedEntities, QList<Entity*>{first});

        // Linking carries an alarm from the device's zone into its todo's once: 10:00 UTC reads
        // 11:00 in Berlin, which the alarm keeps in +02:00 (09:00 UTC) and in +00:00 (11:00 UTC).
        QCOMPARE(sampleAlarm->alarmTime(Stored), wallClock(2015, 1, 14, 11, 0));
        QCOMPARE(sampleAlarm->alarmTime(UTC), utc(2015, 1, 14, 9, 0));
        QCOMPARE(todoAlarm->alarmTime(UTC), utc(2015, 1, 14, 11, 0));

        // Linked children keep their own stored times, while a parent modified by the linking of
        // a child keeps the time of that linking.
        const QDateTime storedTime = utc(2001, 2, 3, 4, 5, 6, 7), linked = utc(2015, 1, 14, 11, 0);
        QCOMPARE(QList<QDateTime>({todoAlarm->lastModDate, pool->fieldTypeById(5)->lastModDate,
                                   pool->todoById(2)->lastModDate, todo->lastModDate,
                                   sample->lastModDate}),
                 QList<QDateTime>({storedTime, storedTime, storedTime, linked, linked}));
    }

    void instanceTodosCopiesEveryOccurrenceUpToUntil_data()
    {
        QTest::addColumn<int>("repeats");
        QTest::addColumn<QString>("repeatsOn");
        QTest::addColumn<int>("every");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QDateTime>("until");
        QTest::addColumn<QList<QDateTime>>("starts");
        QTest::addColumn<int>("alarmLead"); // minutes before the start, in UTC

        // In +01:00 the device's and the sample's readings agree: 09:00 is 08:00 UTC.
        QTest::newRow("weekly on Monday and Wednesday")
            << int(Weekly) << QStringLiteral("1010000") << 1 << QStringLiteral("+01:00")
            << wallClock(2015, 1, 19, 0, 0)
            << QList<QDateTime>{utc(2015, 1, 7, 8, 0), utc(2015, 1, 12, 8, 0),
                                utc(2015, 1, 14, 8, 0)}
            << 15;
        QTest::newRow("monthly on the 10th and 20th")
            << int(Monthly) << QStringLiteral("00000000001000000000100000000") << 1
            << QStringLiteral("+01:00") << wallClock(2015, 2, 15, 0, 0)
            << QList<QDateTime>{utc(2015, 1, 10, 8, 0), utc(2015, 1, 20, 8, 0),
                                utc(2015, 2, 10, 8, 0)}
            << 15;
        QTest::newRow("no occurrence before until")
            << int(Daily) << QString() << 1 << QStringLiteral("+01:00")
            << wallClock(2015, 1, 6, 0, 0) << QList<QDateTime>{} << 15;
        // In +05:45 the sample starts at 03:15 UTC, 04:15 on the device. An instance takes its
        // dates in the device's reading and only then the sample's zone, which keeps that reading:
        // it starts at 04:15 in +05:45, 22:30 UTC the day before. The alarm (03:00 UTC, 04:00 on
        // the device) goes through that re-basing twice, once in the occurrence and once in the
        // instance: 17:30 UTC the day before, five hours before the start.
        QTest::newRow("daily in a zone other than the device's")
            << int(Daily) << QString() << 2 << QStringLiteral("+05:45")
            << wallClock(2015, 1, 10, 0, 0)
            << QList<QDateTime>{utc(2015, 1, 6, 22, 30), utc(2015, 1, 8, 22, 30)} << 300;
    }

    void instanceTodosCopiesEveryOccurrenceUpToUntil()
    {
        QFETCH(int, repeats);
        QFETCH(QString, repeatsOn);
        QFETCH(int, every);
        QFETCH(QString, zone);
        QFETCH(QDateTime, until);
        QFETCH(QList<QDateTime>, starts);
        QFETCH(int, alarmLead);
        StartedPool started;
        Pool* pool = &started.pool;
        const Rule rule = makeRule(pool, Repeats(repeats), repeatsOn, every, zone);
        const Rule other = makeRule(pool, Weekly, QStringLiteral("0000100"), 1);
        Field* sampleField = rule.sample->fields->constFirst();

        pool->instanceTodos(until, rule.recurrence);

        const QList<Todo*> instances = *rule.recurrence->todos;
        QCOMPARE(startsOf(instances), starts);
        QCOMPARE(*pool->todos, instances);
        QVERIFY(other.recurrence->todos->isEmpty());
        QCOMPARE(rule.recurrence->instancingDate(UTC), until.toUTC());
        QCOMPARE(pool->unsynchronizedEntities->count(rule.recurrence), 1);
        QVERIFY(pool->queries->isEmpty());
        for (int i = 0; i < instances.size(); ++i) {
            const Todo* instance = instances.at(i);
            QCOMPARE(instance->endDate(UTC), starts.at(i).addSecs(3600));
            QCOMPARE(QStringList({instance->time_zone, instance->note}),
                     QStringList({zone, "Call Alice"}));
            QCOMPARE(QList<int>({instance->is_sample, instance->status, instance->recurrence_id,
                                 int(instance->binaries->size()), int(instance->fields->size()),
                                 int(instance->alarms->size())}),
                     QList<int>({0, 2, rule.recurrence->id, 0, 1, 1}));
            const Field* field = instance->fields->constFirst();
            QVERIFY(field != sampleField && pool->fields->contains(const_cast<Field*>(field)));
            QCOMPARE(field->fieldType, rule.who);
            QCOMPARE(QStringList({field->value, field->contact_id}),
                     QStringList({"Alice", "contact-9"}));
            const Alarm* alarm = instance->alarms->constFirst();
            QVERIFY(pool->alarms->contains(const_cast<Alarm*>(alarm)));
            QCOMPARE(alarm->alarmTime(UTC), starts.at(i).addSecs(-60 * alarmLead));
            QCOMPARE(alarm->snooze_interval, 7);
        }

        // Written with the next synchronisation: every copy has what it needs to be saved. Their
        // columns, and the links made from them at a start, are checked in tst_storage and in
        // storedIdentifiersBecomeLinks.
        pool->synchronizeToDatabase();
        QVERIFY(pool->unsynchronizedEntities->isEmpty());

        // Without a rule every rule is instanced up to the date.
        pool->instanceTodos(wallClock(2015, 1, 12, 0, 0), nullptr);
        QCOMPARE(startsOf(*other.recurrence->todos), QList<QDateTime>{utc(2015, 1, 9, 8, 0)});
    }

    void instanceNextTodoMakesAtMostOneInstance_data()
    {
        QTest::addColumn<QDateTime>("instancedUpTo");
        QTest::addColumn<QDateTime>("rangeEnd");
        QTest::addColumn<QList<QDateTime>>("starts");
        QTest::addColumn<QDateTime>("movedTo");
        // The next occurrence after the sample's start, Monday 2015-01-05 09:00, is 07 January.
        QTest::newRow("due a second ago")
            << utc(2015, 1, 14, 10, 59, 59) << wallClock(2015, 12, 31, 0, 0)
            << QList<QDateTime>{utc(2015, 1, 7, 8, 0)} << utc(2015, 1, 7, 8, 0, 1);
        QTest::newRow("not due before now")
            << utc(2015, 1, 14, 11, 0) << wallClock(2015, 12, 31, 0, 0) << QList<QDateTime>{}
            << utc(2015, 1, 14, 11, 0);
        QTest::newRow("due but the rule has ended")
            << utc(2010, 6, 1, 0, 0) << wallClock(2015, 1, 6, 0, 0) << QList<QDateTime>{}
            << utc(2010, 6, 1, 0, 0);
    }

    void instanceNextTodoMakesAtMostOneInstance()
    {
        QFETCH(QDateTime, instancedUpTo);
        QFETCH(QDateTime, rangeEnd);
        QFETCH(QList<QDateTime>, starts);
        QFETCH(QDateTime, movedTo);
        StartedPool started;
        Pool& pool = started.pool;
        const Rule rule = makeRule(&pool, Daily, QString(), 2);
        rule.recurrence->instancing_date = instancedUpTo;
        rule.recurrence->setRangeEnd(rangeEnd);
        pool.synchronizeToDatabase();

        pool.instanceNextTodo(rule.recurrence);
        QCOMPARE(startsOf(*rule.recurrence->todos), starts);
        QCOMPARE(pool.todos->size(), starts.size());
        QCOMPARE(rule.recurrence->instancingDate(UTC), movedTo);
        QCOMPARE(pool.unsynchronizedEntities->contains(rule.recurrence), !starts.isEmpty());
        if (!starts.isEmpty())
            QCOMPARE(rule.recurrence->todos->constFirst()->note, QStringLiteral("Call Alice"));
        // Without a rule every rule of the pool is asked. The next occurrence is counted from the
        // sample's start, not from instancing_date, so a rule that is still due gets the same
        // occurrence instanced once more.
        pool.instanceNextTodo(nullptr);
        QCOMPARE(startsOf(*rule.recurrence->todos), starts + starts);
    }

    void updateSampleWithTodoReplacesTheSample()
    {
        StartedPool started;
        Pool& pool = started.pool;
        const Rule rule = makeRule(&pool, Daily, QString(), 1);
        Todo* todo = pool.newTodo();
        todo->setTimeZone(QStringLiteral("+05:45"));
        todo->setStartDate(wallClock(2015, 2, 2, 10, 0));
        todo->setEndDate(wallClock(2015, 2, 2, 11, 30));
        todo->setIsDone(true);
        Field* field = pool.newField();
        field->setFieldType(rule.who);
        field->setTodo(todo);
        field->setValue(QStringLiteral("Bob"));
        Alarm* alarm = pool.newAlarm();
        alarm->setTodo(todo);
        pool.newBinary()->setTodo(todo);
        todo->setFormatString(QStringLiteral("Meet %%1%").arg(rule.who->id));
        todo->setNote(QStringLiteral("Meet Bob at the station"));
        Todo* lonely = pool.newSample(); // a sample without a rule is left alone
        pool.synchronizeToDatabase();
        LogCapture log;
        pool.updateSampleWithTodo(lonely, todo);
        QCOMPARE(log.messages(), QStringList());
        QCOMPARE(lonely->isDeleted, false);
        QVERIFY(pool.unsynchronizedEntities->isEmpty());

        pool.updateSampleWithTodo(rule.sample, todo);
        QCOMPARE(log.messages(), QStringList{"WARNING update sample"});
        Todo* sample = rule.recurrence->sample;
        QVERIFY(sample != rule.sample);
        QCOMPARE(*pool.samples, (QList<Todo*>{lonely, sample}));
        QCOMPARE(sample->recurrence, rule.recurrence);
        QCOMPARE(rule.sample->recurrence, nullptr);
        QCOMPARE(QList<bool>({rule.sample->isDeleted, rule.recurrence->isDeleted}),
                 QList<bool>({true, false}));
        // The copy takes the zone first and the dates in the todo's own zone: the same readings.
        QCOMPARE(QList<QDateTime>({sample->startDate(Stored), sample->endDate(Stored)}),
                 QList<QDateTime>({wallClock(2015, 2, 2, 10, 0), wallClock(2015, 2, 2, 11, 30)}));
        QCOMPARE(QStringList({sample->time_zone, sample->note}),
                 QStringList({"+05:45", "Meet Bob at the station"}));
        QCOMPARE(QList<int>({sample->is_sample, sample->is_done, int(sample->fields->size()),
                             int(sample->alarms->size()), int(sample->binaries->size())}),
                 QList<int>({1, 1, 1, 1, 0}));
        QVERIFY(sample->fields->constFirst() != field && sample->alarms->constFirst() != alarm);
        QCOMPARE(sample->fields->constFirst()->value, QStringLiteral("Bob"));
        QCOMPARE(*todo->fields, QList<Field*>{field}); // the todo itself stays as it was

        pool.synchronizeToDatabase();
        QVERIFY(pool.unsynchronizedEntities->isEmpty());
        // The old sample has left the pool, which frees it only when handed back.
        QVERIFY(pool.disposeDeleted(rule.sample));
    }

    void updateTodoAlarmTakesPlainValues()
    {
        StartedPool started;
        Pool& pool = started.pool;
        Todo* todo = pool.newTodo();
        todo->setTimeZone(QStringLiteral("+05:45"));
        Alarm* alarm = pool.newAlarm();
        alarm->setTodo(todo);
        pool.synchronizeToDatabase();

        // 1421236800 seconds after the epoch is Wednesday 2015-01-14 12:00:00 UTC, 13:00 on the
        // device's clock in Berlin. That device reading is taken as the wall-clock time in the
        // todo's zone (+05:45), so the alarm rings at 07:15 UTC, not at 12:00.
        pool.updateTodoAlarm(todo->id, alarm->id, 1, 1, 1421236800u);
        QCOMPARE(alarm->alarmTime(UTC), utc(2015, 1, 14, 7, 15));
        QCOMPARE(alarm->alarmTime(Stored), wallClock(2015, 1, 14, 13, 0));
        // is_active, is_done, and each of the alarm and the todo listed once as unsaved.
        QCOMPARE(QList<int>({alarm->is_active, todo->is_done,
                             int(pool.unsynchronizedEntities->count(alarm)),
                             int(pool.unsynchronizedEntities->count(todo))}),
                 QList<int>({1, 1, 1, 1}));
        // Nothing is saved yet; 2 means false.
        QCOMPARE(
            OrvelTest::sqlite3(started.path, QStringLiteral("SELECT is_done FROM TODO_PROJECT;")),
            QStringLiteral("0"));
        pool.updateTodoAlarm(todo->id, alarm->id, 2, 2, 1421236800u);
        QCOMPARE(QList<bool>({alarm->is_active, todo->is_done}), QList<bool>({false, false}));
        pool.synchronizeToDatabase();
        QCOMPARE(OrvelTest::sqlite3(started.path, QStringLiteral("SELECT alarm_time FROM ALARM;")),
                 QStringLiteral("2015-01-14 07:15:00.000"));
    }

    void freedOnceWritten_data()
    {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("liveTodos");

        // Rows of TODO_PROJECT, RECURRENCE, ALARM, BINARY, FIELD, FIELD_TYPE, and sqlite_sequence
        // entries (one per table that ever had a row inserted).
        QTest::newRow("stored todo with its children") << int(StoredTodo) << "0|0|0|0|0|1|5" << 0;
        QTest::newRow("never-stored todo: no insert")
            << int(NeverStoredTodo) << "0|0|0|0|0|1|1" << 0;
        QTest::newRow("sample takes its rule") << int(SampleOfRule) << "0|0|0|0|0|0|2" << 0;
        QTest::newRow("rule takes its sample") << int(RuleOfSample) << "0|0|0|0|0|0|2" << 0;
        QTest::newRow("field type with a value on a live todo")
            << int(FieldTypeOnLiveTodo) << "1|0|0|0|0|0|3" << 1;
    }

    void freedOnceWritten()
    {
        QFETCH(int, scenario);
        QFETCH(QString, rows);
        QFETCH(int, liveTodos);
        OrvelTest::LogCapture log;
        {
            StartedPool started(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
            Pool& pool = started.pool;
            const Watched disposed = deleteAndDispose(Scenario(scenario), pool);
            QVERIFY(noneFreed(disposed));

            pool.synchronizeToDatabase();
            QVERIFY(allFreed(disposed));
            QCOMPARE(started.rows(), rows);
            QCOMPARE(pool.todos->size(), liveTodos);
            // Nothing came back: no rule or child relisted, the live todo not marked modified.
            QCOMPARE(QList<int>({int(pool.recurrences->size()), int(pool.samples->size()),
                                 int(pool.alarms->size()), int(pool.fields->size()),
                                 int(pool.unsynchronizedEntities->size())}),
                     QList<int>({0, 0, 0, 0, 0}));
            if (liveTodos)
                QVERIFY(pool.todos->constFirst()->fields->isEmpty());
            for (const FieldType* type : std::as_const(*pool.fieldTypes))
                QVERIFY(type->fields->isEmpty());
        }
        QCOMPARE(log.lines(), QList<QByteArray>());
    }

    void childrenDisposedAloneLeaveTheirParents()
    {
        StartedPool started(QStringLiteral("child"));
        Pool& pool = started.pool;
        Todo* todo = pool.newTodo();
        Alarm* kept = pool.newAlarm();
        Alarm* alarm = pool.newAlarm();
        Binary* binary = pool.newBinary();
        Field* field = pool.newField();
        todo->addAlarm(kept);
        todo->addAlarm(alarm);
        todo->addBinary(binary);
        todo->addField(field);
        pool.newFieldType()->addField(field);
        const Watched disposed{alarm, binary, field};
        pool.synchronizeToDatabase();
        pool.deleteTodo(todo);
        for (const QPointer<Entity>& child : disposed)
            QVERIFY(pool.disposeDeleted(child));

        todo->setIsDeleted(false);
        QCOMPARE(*todo->alarms, QList<Alarm*>{kept});
        QCOMPARE(*pool.alarms, QList<Alarm*>{kept});
        QVERIFY(todo->binaries->isEmpty() && todo->fields->isEmpty());
        QVERIFY(pool.fieldTypes->constFirst()->fields->isEmpty());
        pool.synchronizeToDatabase();
        QVERIFY(allFreed(disposed));
        // An undeleted record keeps its removal mark, so every row goes all the same.
        QCOMPARE(started.rows(), QStringLiteral("0|0|0|0|0|1|5"));
    }

    void refusesOwnedRecordsAndFollowsUndeletes()
    {
        StartedPool started(QStringLiteral("owned"));
        Pool& pool = started.pool;
        Todo* todo = pool.newTodo();
        QCOMPARE(pool.disposeDeleted(todo), false);
        QCOMPARE(pool.disposeDeleted(nullptr), false);

        // Undeleting a record handed over gives it back to the pool.
        pool.deleteTodo(todo);
        QVERIFY(pool.disposeDeleted(todo));
        todo->setIsDeleted(false);
        pool.synchronizeToDatabase();
        QCOMPARE(*pool.todos, QList<Todo*>{todo});

        // Handed over, undeleted and deleted again with a child it did not have before: the child
        // goes with it.
        QPointer<Todo> redeleted = todo;
        pool.deleteTodo(todo);
        QVERIFY(pool.disposeDeleted(todo));
        todo->setIsDeleted(false);
        QPointer<Alarm> added = pool.newAlarm();
        todo->addAlarm(added);
        pool.deleteTodo(todo);
        // Not handed over again yet: the caller's, not freed.
        pool.synchronizeToDatabase();
        QVERIFY(!redeleted.isNull());
        QVERIFY(pool.disposeDeleted(todo));
        pool.synchronizeToDatabase();
        QVERIFY(redeleted.isNull());
        QVERIFY(added.isNull());
        QVERIFY(pool.alarms->isEmpty());
    }

    void unwrittenRecordsGoWithReloadOrPool()
    {
        auto started = std::make_unique<StartedPool>(QStringLiteral("unwritten"));
        Pool* pool = &started->pool;
        Todo* todo = todoWithChildren(*pool);
        pool->synchronizeToDatabase();
        const int id = todo->id;

        // A reload drops the deletion with the record: the todo is loaded again from its row.
        QPointer<Todo> dropped = todo;
        pool->deleteTodo(todo);
        pool->disposeDeleted(todo);
        pool->start();
        QVERIFY(dropped.isNull());
        QVERIFY(pool->todoById(id));

        // An alarm moved to a todo without a row cannot be written once deleted: the pool frees it
        // when it is deleted itself.
        QPointer<Alarm> failing = pool->alarms->constFirst();
        failing->setTodo(pool->newTodo());
        pool->deleteAlarm(failing);
        pool->disposeDeleted(failing);
        OrvelTest::LogCapture log;
        pool->synchronizeToDatabase();
        QVERIFY(!failing.isNull());
        QCOMPARE(*pool->unsynchronizedEntities, QList<Entity*>{failing.data()});
        started.reset();
        QVERIFY(failing.isNull());
        QCOMPARE(log.lines().size(), 2);
    }

    void wholeLifeSurvivesRestarts()
    {
        const QString database = databasePath(QStringLiteral("wholelife"));
        const auto restart = [&database] {
            auto* pool = new Pool(database, QStringLiteral("wholelife"));
            pool->start();
            return pool;
        };
        Pool* pool = restart();
        const WholeLifeIds ids = createWholeLife(pool);
        QCOMPARE(pool->unsynchronizedEntities->size(), 0);
        delete pool;

        pool = restart();
        verifyLoaded(pool);
        QCOMPARE(pool->unsynchronizedEntities->size(), 0);
        QCOMPARE(
            (QList<qsizetype>{pool->todos->size(), pool->samples->size(), pool->recurrences->size(),
                              pool->alarms->size(), pool->binaries->size(), pool->fields->size(),
                              pool->fieldTypes->size()}),
            (QList<qsizetype>{2, 1, 1, 1, 1, 1, 1}));
        Todo* todo = pool->todoById(ids.todo);
        Alarm* alarm = pool->alarmById(ids.alarm);
        Field* field = pool->fieldById(ids.field);
        Todo* instance = pool->todoById(ids.instance);
        Recurrence* recurrence = pool->recurrenceById(ids.recurrence);
        QVERIFY(todo && alarm && field && instance && recurrence);
        QCOMPARE(*todo->alarms, QList<Alarm*>{alarm});
        QCOMPARE(*todo->binaries, QList<Binary*>{pool->binaryById(ids.binary)});
        QCOMPARE(*todo->fields, QList<Field*>{field});
        QCOMPARE(field->fieldType, pool->fieldTypeById(ids.fieldType));
        QCOMPARE(recurrence->sample, pool->sampleById(ids.sample));
        QCOMPARE(*recurrence->todos, QList<Todo*>{instance});
        // The alarm's re-basing at linking is checked in tst_pool, the bytes in tst_storage.

        // Modify, delete and undelete, then write it all.
        todo->setNote(QStringLiteral("changed"));
        pool->deleteAlarm(alarm);
        QCOMPARE(pool->alarmById(ids.alarm), nullptr);
        pool->deleteField(field);
        pool->deleteTodo(instance);
        QCOMPARE(pool->todoById(ids.instance), nullptr);
        QVERIFY(recurrence->todos->isEmpty());
        instance->setIsDeleted(false);
        QCOMPARE(*recurrence->todos, QList<Todo*>{instance});
        pool->synchronizeToDatabase();
        QCOMPARE(pool->unsynchronizedEntities->size(), 0);
        // Undeleting does not take back the removal mark that deleting set: the undeleted instance
        // is written and then its row is deleted.
        QCOMPARE(
            OrvelTest::sqlite3(
                database, QStringLiteral("SELECT (SELECT count(*) FROM ALARM) || (SELECT count(*) "
                                         "FROM FIELD) || (SELECT count(*) FROM TODO_PROJECT);")),
            QStringLiteral("002"));
        QVERIFY(pool->disposeDeleted(alarm));
        QVERIFY(pool->disposeDeleted(field));
        delete pool;

        pool = restart();
        verifyLoaded(pool);
        QCOMPARE(pool->unsynchronizedEntities->size(), 0);
        todo = pool->todoById(ids.todo);
        QCOMPARE(todo->note, QStringLiteral("changed"));
        QVERIFY(todo->alarms->isEmpty() && todo->fields->isEmpty());
        QCOMPARE(pool->todos->size(), 1);
        QVERIFY(pool->recurrenceById(ids.recurrence)->todos->isEmpty());
        delete pool;
    }

    // A child listed before its parent, and a todo listed before its rule, are saved in a second
    // pass once the parent has its key.
    void parentsKeysReachChildrenInSecondPass()
    {
        StartedPool started(QStringLiteral("passes"));
        Pool& pool = started.pool;
        Alarm* alarm = pool.newAlarm();
        Todo* todo = pool.newTodo();
        alarm->setTodo(todo);
        Todo* instance = pool.newTodo();
        Todo* sample = pool.newSample();
        Recurrence* recurrence = pool.newRecurrence();
        recurrence->setSample(sample);
        instance->setRecurrence(recurrence);
        QCOMPARE(*pool.unsynchronizedEntities,
                 (QList<Entity*>{alarm, todo, instance, sample, recurrence}));
        LogCapture log;
        pool.synchronizeToDatabase();
        QCOMPARE(log.lines().size(), 0);
        QCOMPARE(pool.unsynchronizedEntities->size(), 0);
        QCOMPARE(OrvelTest::sqlite3(started.path, QStringLiteral("SELECT todo_id FROM ALARM;")),
                 QString::number(todo->id));
        QCOMPARE(OrvelTest::sqlite3(
                     started.path,
                     QStringLiteral("SELECT recurrence_id FROM TODO_PROJECT ORDER BY todo_id;")),
                 QStringLiteral("-1\n%1\n%1").arg(recurrence->id));
    }

    void recordsThatCannotSaveStayListedInOrder()
    {
        StartedPool started(QStringLiteral("stuck"));
        Pool& pool = started.pool;
        Alarm* orphanAlarm = pool.newAlarm();
        Todo* todo = pool.newTodo();
        Field* orphanField = pool.newField();
        LogCapture log;
        pool.synchronizeToDatabase();
        QCOMPARE(
            log.messages(),
            QStringList{"ERROR Synchronization failed!  2  entities remained unsynchronized."});
        QCOMPARE(*pool.unsynchronizedEntities, (QList<Entity*>{orphanAlarm, orphanField}));
        QCOMPARE(
            OrvelTest::sqlite3(started.path, QStringLiteral("SELECT count(*) FROM TODO_PROJECT;")),
            QStringLiteral("1"));

        // Once they can be saved, the next call writes them.
        orphanAlarm->setTodo(todo);
        orphanField->setTodo(todo);
        orphanField->setFieldType(pool.newFieldType());
        log.clear();
        pool.synchronizeToDatabase();
        QCOMPARE(log.lines().size(), 0);
        QCOMPARE(pool.unsynchronizedEntities->size(), 0);

        // Modified twice, a record is listed once; listed twice by hand, it is saved twice, and the
        // second save meets it synchronized.
        orphanAlarm->setSnooze(1);
        orphanAlarm->setSnooze(2);
        QCOMPARE(pool.unsynchronizedEntities->count(orphanAlarm), 1);
        pool.synchronizeToDatabase();
        QCOMPARE(log.lines().size(), 0);
        pool.setUnsynchronized(orphanAlarm);
        pool.setUnsynchronized(orphanAlarm);
        pool.synchronizeToDatabase();
        const QString again = QStringLiteral("WARNING Synchronizing alredy synchronized Entity.");
        QCOMPARE(log.messages(), (QStringList{again, again}));
        QCOMPARE(pool.unsynchronizedEntities->size(), 0);

        // The deletion slots take every occurrence out, and undeletion lists a record once.
        Todo outsider(pool.connector);
        pool.setDeleted(&outsider);
        pool.setUndeleted(todo);
        QCOMPARE(*pool.todos, QList<Todo*>{todo});
        pool.todos->append(todo);
        pool.setDeleted(todo);
        QVERIFY(pool.todos->isEmpty());
        pool.setUndeleted(todo);
        QCOMPARE(*pool.todos, QList<Todo*>{todo});
        pool.unsynchronizedEntities->clear();
    }

    void destroyingPoolWithRecordListedTwiceFreesItOnce()
    {
        auto* pool =
            new Pool(databasePath(QStringLiteral("twicelisted")), QStringLiteral("twicelisted"));
        Todo* todo = pool->newTodo();
        Alarm* alarm = pool->newAlarm();
        alarm->setTodo(todo);
        pool->todos->append(pool->newTodo());
        pool->todos->append(todo);
        pool->alarms->prepend(alarm);
        // Freed exactly once each, or the sanitizer build reports a double free.
        delete pool;
    }
};

QTEST_GUILESS_MAIN(TestPool)
#include "tst_pool.moc"
