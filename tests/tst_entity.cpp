#include "loghandler.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <climits>
#include <functional>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databaseconnector.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

// A connector that never opens a database: enough to observe the persist connection.
class StubConnector : public DatabaseConnector
{
public:
    StubConnector() { sqlQuery = new QSqlQuery; }
    bool createConnection() override { return true; }
    void closeConnection() override {}
    bool initializeDatabase() override { return true; }
    bool deleteDatabase() override { return true; }
};

// Puts a record in the state the loaders leave it in: stored and synchronized.
void markLoaded(Entity& record)
{
    record.isNew = false;
    record.isSynchronized = true;
}

struct SaveOutcome
{
    bool saved;
    QString error;
    int persisted;
    int reference; // the identifier that save() completes, where the row names one
};

// Counts the persist(Entity&) emissions of one record and checks that each names the record.
// (QSignalSpy cannot record a reference argument.)
class PersistCounter : public QObject
{
public:
    explicit PersistCounter(Entity& record)
    {
        connect(&record, &Entity::persist, this, [this, &record](Entity& persisted) {
            QCOMPARE(&persisted, &record);
            ++count;
        });
    }
    int count = 0;
};

// Saves a record and reports the outcome, with the identifier that the row's check reads
// afterwards.
template <typename Record>
SaveOutcome saveAndObserve(Record& record, const std::function<int()>& reference = {})
{
    PersistCounter persisted(record);
    const bool saved = record.save();
    return {saved, record.lastError, persisted.count, reference ? reference() : 0};
}

enum Link { Unlinked, Linked, LinkedThenUnlinked };

// Saves an alarm or attachment linked to a todo as given; reports the todo_id save() leaves.
template <typename Child>
SaveOutcome saveChildOfTodo(Link link, int todoId, int storedTodoId, bool deleted)
{
    Todo todo(nullptr);
    Child child(nullptr);
    if (link == LinkedThenUnlinked) {
        todo.id = todoId;
        child.setTodo(&todo);
        child.setTodo(nullptr);
    } else if (link == Linked) {
        child.setTodo(&todo);
        todo.id = todoId; // after linking: save() must read the todo's current id
    }
    if (storedTodoId != INT_MIN)
        child.todo_id = storedTodoId;
    if (deleted)
        child.setIsDeleted(true);
    return saveAndObserve(child, [&] { return child.todo_id; });
}

// The same for a rule and its sample; reports the sample_id save() leaves.
SaveOutcome saveRecurrence(Link link, int sampleId, int storedSampleId, bool deleted)
{
    Todo sample(nullptr);
    sample.is_sample = true;
    Recurrence recurrence(nullptr);
    if (link == Linked) {
        recurrence.setSample(&sample);
        sample.id = sampleId;
    }
    if (storedSampleId != INT_MIN)
        recurrence.sample_id = storedSampleId;
    if (deleted)
        recurrence.setIsDeleted(true);
    return saveAndObserve(recurrence, [&] { return recurrence.sample_id; });
}

QString invalid(const char* column, int value)
{
    return QStringLiteral("Invalid %1 (%2), save can't be performed yet!")
        .arg(QLatin1String(column))
        .arg(value);
}

using SaveCase = std::function<SaveOutcome()>;
using Setter = std::function<void(Entity*)>;
using Factory = std::function<Entity*()>;

} // namespace

Q_DECLARE_METATYPE(SaveCase)
Q_DECLARE_METATYPE(Setter)
Q_DECLARE_METATYPE(Factory)

class TestEntity : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalSignatures();
    void classNames_data();
    void classNames();
    void defaultsOfTheChildRecords();
    void binaryOwnsItsBytes();
    void modifiedAnnouncesOncePerSave();
    void modifiedReachesTheParent_data();
    void modifiedReachesTheParent();
    void settersMarkModified_data();
    void settersMarkModified();
    void removeNeedsARow();
    void deletionSequences_data();
    void deletionSequences();
    void connectorIsConnectedOnce();
    void save_data();
    void save();
    void savingASynchronizedAlarmWarns();
};

void TestEntity::signalSignatures()
{
    const QMetaObject& meta = Entity::staticMetaObject;
    const QByteArray expected[] = {"persist(Entity&)", "setUnsynchronized(Entity*)",
                                   "setDeleted(Entity*)", "setUndeleted(Entity*)"};
    for (int i = 0; i < 4; ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodType(), QMetaMethod::Signal);
        QCOMPARE(method.methodSignature(), expected[i]);
    }
    QCOMPARE(QByteArray(meta.className()), QByteArray("Orvel::Entity"));
}

template <typename Record> void classRow(const char* name)
{
    QTest::newRow(name) << Factory([] { return new Record(nullptr); }) << QByteArray(name);
}

void TestEntity::classNames_data()
{
    QTest::addColumn<Factory>("make");
    QTest::addColumn<QByteArray>("name");
    classRow<Todo>("Orvel::Todo");
    classRow<Recurrence>("Orvel::Recurrence");
    classRow<Alarm>("Orvel::Alarm");
    classRow<Binary>("Orvel::Binary");
    classRow<Field>("Orvel::Field");
    classRow<FieldType>("Orvel::FieldType");
}

void TestEntity::classNames()
{
    QFETCH(Factory, make);
    QFETCH(QByteArray, name);
    std::unique_ptr<Entity> record(make());
    QCOMPARE(QByteArray(record->metaObject()->className()), name);
    QCOMPARE(record->isNew, true);
    QCOMPARE(record->isSynchronized, false);
    QCOMPARE(record->isRemoved, false);
    QCOMPARE(record->isDeleted, false);
    QCOMPARE(record->lastModDate.timeSpec(), Qt::UTC);
    QVERIFY(qAbs(record->lastModDate.secsTo(QDateTime::currentDateTimeUtc())) < 5);
}

void TestEntity::defaultsOfTheChildRecords()
{
    // The identifiers' INT_MIN defaults are covered by the save() messages below.
    Alarm alarm(nullptr);
    QCOMPARE(alarm.snooze_interval, 5);
    QCOMPARE(alarm.alarm_time, alarm.lastModDate);
    QCOMPARE(Binary(nullptr).note, QStringLiteral("Binary data"));
    QCOMPARE(Field(nullptr).value, QStringLiteral("Default value"));
    QCOMPARE(FieldType(nullptr).name, QStringLiteral("Default field type name"));

    const QDateTime given(QDate(2012, 3, 4), QTime(5, 6, 7), Qt::OffsetFromUTC, 3600);
    Alarm loaded(nullptr, 4, 9, given, given, true, 2, 10, true);
    QCOMPARE(loaded.alarm_time, QDateTime(QDate(2012, 3, 4), QTime(4, 6, 7), Qt::UTC));
    QCOMPARE(loaded.alarm_time.timeSpec(), Qt::UTC);
    QCOMPARE(loaded.lastModDate.timeSpec(), Qt::UTC);
    QCOMPARE(loaded.isDeleted, true);
    QCOMPARE(loaded.isNew, true);
    QCOMPARE(loaded.snooze_interval, 10);
}

void TestEntity::binaryOwnsItsBytes()
{
    QVERIFY(Binary(nullptr).data);
    Binary withoutBytes(nullptr, 1, 2, QDateTime::currentDateTimeUtc(), QStringLiteral("n"),
                        BinaryType(7), 3, nullptr, false);
    QVERIFY(withoutBytes.data);
    QVERIFY(withoutBytes.data->isEmpty());

    auto* bytes = new QByteArray("\x00\xff", 2);
    Binary withBytes(nullptr, 1, 2, QDateTime::currentDateTimeUtc(), QStringLiteral("n"),
                     BinaryType(7), 3, bytes, false);
    QCOMPARE(withBytes.data, bytes);

    withBytes.setData(QByteArray("new"));
    QCOMPARE(withBytes.data, bytes);
    QCOMPARE(*withBytes.data, QByteArray("new"));
    QCOMPARE(withBytes.size, 3);
}

void TestEntity::modifiedAnnouncesOncePerSave()
{
    Todo fresh(nullptr);
    QSignalSpy freshSpy(&fresh, &Entity::setUnsynchronized);
    fresh.modified();
    fresh.modified();
    QCOMPARE(freshSpy.count(), 0);
    QCOMPARE(fresh.isSynchronized, false);

    Todo loaded(nullptr);
    markLoaded(loaded);
    QSignalSpy spy(&loaded, &Entity::setUnsynchronized);
    loaded.modified();
    loaded.setNote(QStringLiteral("again"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<Entity*>(), static_cast<Entity*>(&loaded));
    QCOMPARE(loaded.isSynchronized, false);

    QVERIFY(loaded.save());
    QCOMPARE(loaded.isSynchronized, true);
    loaded.modified();
    loaded.modified();
    QCOMPARE(spy.count(), 2);
}

void TestEntity::modifiedReachesTheParent_data()
{
    QTest::addColumn<QString>("child");
    QTest::addColumn<bool>("parentMarked");
    QTest::newRow("alarm marks its todo") << "alarm" << true;
    QTest::newRow("attachment marks its todo") << "binary" << true;
    QTest::newRow("field marks its todo") << "field" << true;
    QTest::newRow("field leaves its type alone") << "field type" << false;
    QTest::newRow("recurrence marks its sample") << "recurrence" << true;
    QTest::newRow("recurrence skips a sample with id 0") << "recurrence, sample id 0" << false;
}

void TestEntity::modifiedReachesTheParent()
{
    QFETCH(QString, child);
    QFETCH(bool, parentMarked);

    Todo todo(nullptr);
    todo.id = child.endsWith(QLatin1String("id 0")) ? 0 : 12;
    FieldType type(nullptr);
    Recurrence recurrence(nullptr);
    auto* alarm = new Alarm(nullptr);
    auto* binary = new Binary(nullptr);
    auto* field = new Field(nullptr);
    alarm->setTodo(&todo);
    binary->setTodo(&todo);
    field->setTodo(&todo);
    field->setFieldType(&type);
    todo.setIsSample(true);
    recurrence.setSample(&todo);

    Entity* parent = child == QLatin1String("field type") ? static_cast<Entity*>(&type) : &todo;
    markLoaded(*parent);
    QSignalSpy spy(parent, &Entity::setUnsynchronized);
    if (child == QLatin1String("alarm"))
        alarm->setSnooze(3);
    else if (child == QLatin1String("binary"))
        binary->setSize(3);
    else if (child.startsWith(QLatin1String("field")))
        field->setValue(QStringLiteral("3"));
    else
        recurrence.setRepeatsEvery(3);
    QCOMPARE(spy.count(), parentMarked ? 1 : 0);
    QCOMPARE(parent->isSynchronized, !parentMarked);
}

// Adds a row that runs one setter on a fresh record of the given class.
template <typename Record> void setterRow(const char* name, bool marks, void (*set)(Record&))
{
    QTest::newRow(name) << Factory([] { return new Record(nullptr); })
                        << Setter([set](Entity* e) { set(*static_cast<Record*>(e)); }) << marks;
}

void TestEntity::settersMarkModified_data()
{
    QTest::addColumn<Factory>("make");
    QTest::addColumn<Setter>("set");
    QTest::addColumn<bool>("marks");
    setterRow<Todo>("Todo::setStatus", true, [](Todo& r) { r.setStatus(4); });
    setterRow<Todo>("Todo::setIsDone", true, [](Todo& r) { r.setIsDone(true); });
    setterRow<Todo>("Todo::setIsSample", true, [](Todo& r) { r.setIsSample(true); });
    setterRow<Todo>("Todo::setNote", true, [](Todo& r) { r.setNote(QStringLiteral("x")); });
    setterRow<Todo>("Todo::setStartDate", true,
                    [](Todo& r) { r.setStartDate(QDateTime::currentDateTimeUtc()); });
    setterRow<Recurrence>("Recurrence::setIsActive", true,
                          [](Recurrence& r) { r.setIsActive(true); });
    setterRow<Recurrence>("Recurrence::setRepeatsEvery", true,
                          [](Recurrence& r) { r.setRepeatsEvery(3); });
    setterRow<Alarm>("Alarm::setIsActive", true, [](Alarm& r) { r.setIsActive(true); });
    setterRow<Alarm>("Alarm::setSnooze", true, [](Alarm& r) { r.setSnooze(2); });
    setterRow<Alarm>("Alarm::setSnoozeInterval", true, [](Alarm& r) { r.setSnoozeInterval(9); });
    setterRow<Binary>("Binary::setNote", true, [](Binary& r) { r.setNote(QStringLiteral("y")); });
    setterRow<Binary>("Binary::setType", true, [](Binary& r) { r.setType(BinaryType(5)); });
    setterRow<Binary>("Binary::setSize", true, [](Binary& r) { r.setSize(8); });
    setterRow<Binary>("Binary::setData", true, [](Binary& r) { r.setData("ab"); });
    setterRow<Field>("Field::setValue", true, [](Field& r) { r.setValue(QStringLiteral("v")); });
    setterRow<Field>("Field::setDbId", true, [](Field& r) { r.setDbId(QStringLiteral("d")); });
    setterRow<Field>("Field::setContactId", true,
                     [](Field& r) { r.setContactId(QStringLiteral("c")); });
    setterRow<FieldType>("FieldType::setName", true,
                         [](FieldType& r) { r.setName(QStringLiteral("n")); });
    // Times are re-based when a record moves between zones: that must not count as an edit.
    setterRow<Alarm>("Alarm::setAlarmTime", false,
                     [](Alarm& r) { r.setAlarmTime(QDateTime::currentDateTimeUtc()); });
    setterRow<Recurrence>("Recurrence::setRangeStart", false,
                          [](Recurrence& r) { r.setRangeStart(QDateTime::currentDateTimeUtc()); });
    setterRow<Recurrence>("Recurrence::setRangeEnd", false,
                          [](Recurrence& r) { r.setRangeEnd(QDateTime::currentDateTimeUtc()); });
}

void TestEntity::settersMarkModified()
{
    QFETCH(Factory, make);
    QFETCH(Setter, set);
    QFETCH(bool, marks);
    std::unique_ptr<Entity> record(make());
    markLoaded(*record);
    record->lastModDate = QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    QSignalSpy spy(record.get(), &Entity::setUnsynchronized);
    set(record.get());
    QCOMPARE(spy.count(), marks ? 1 : 0);
    QCOMPARE(record->isSynchronized, !marks);
    if (marks)
        QVERIFY(record->lastModDate.date() > QDate(2000, 1, 1));
}

void TestEntity::removeNeedsARow()
{
    Todo fresh(nullptr);
    PersistCounter freshPersist(fresh);
    QCOMPARE(fresh.remove(), false);
    QCOMPARE(freshPersist.count, 0);
    QCOMPARE(fresh.isRemoved, false);
    QCOMPARE(fresh.isSynchronized, false);

    Todo stored(nullptr);
    stored.isNew = false;
    PersistCounter persist(stored);
    QCOMPARE(stored.remove(), true);
    QCOMPARE(persist.count, 1);
    QCOMPARE(stored.isRemoved, true);
    QCOMPARE(stored.isSynchronized, true);
    QCOMPARE(stored.isNew, false);
}

void TestEntity::deletionSequences_data()
{
    QTest::addColumn<QString>("sequence"); // t = setIsDeleted(true), f = setIsDeleted(false)
    QTest::addColumn<int>("deletedSignals");
    QTest::addColumn<int>("undeletedSignals");
    QTest::addColumn<bool>("attached");
    QTest::addColumn<bool>("removed");
    QTest::newRow("false on a live record only modifies") << "f" << 0 << 0 << true << false;
    QTest::newRow("true detaches") << "t" << 1 << 0 << false << true;
    QTest::newRow("true twice detaches once") << "tt" << 1 << 0 << false << true;
    QTest::newRow("true then false restores") << "tf" << 1 << 1 << true << true;
    QTest::newRow("false twice after true restores once") << "tff" << 1 << 1 << true << true;
    QTest::newRow("delete, restore, delete") << "tft" << 2 << 1 << false << true;
}

void TestEntity::deletionSequences()
{
    QFETCH(QString, sequence);
    QFETCH(int, deletedSignals);
    QFETCH(int, undeletedSignals);
    QFETCH(bool, attached);
    QFETCH(bool, removed);

    Todo todo(nullptr);
    Alarm alarm(nullptr);
    alarm.setTodo(&todo);
    markLoaded(alarm);
    QSignalSpy deleted(&alarm, &Entity::setDeleted);
    QSignalSpy undeleted(&alarm, &Entity::setUndeleted);
    QSignalSpy unsynchronized(&alarm, &Entity::setUnsynchronized);
    for (const QChar step : sequence)
        alarm.setIsDeleted(step == QLatin1Char('t'));

    QCOMPARE(int(deleted.count()), deletedSignals);
    QCOMPARE(int(undeleted.count()), undeletedSignals);
    QCOMPARE(unsynchronized.count(), 1);
    QCOMPARE(alarm.isDeleted, sequence.endsWith(QLatin1Char('t')));
    QCOMPARE(alarm.isRemoved, removed);
    QCOMPARE(alarm.todo, attached ? &todo : nullptr);
    QCOMPARE(todo.alarms->contains(&alarm), attached);
    QCOMPARE(alarm.detachedTodo, attached ? nullptr : &todo);
    QCOMPARE(alarm.todo_id, todo.id);
}

void TestEntity::connectorIsConnectedOnce()
{
    StubConnector first;
    StubConnector second;
    Todo todo(nullptr);
    QCOMPARE(todo.databaseConnector, nullptr);
    QCOMPARE(todo.sqlQuery, nullptr);

    todo.setDatabaseConnector(&first);
    todo.setDatabaseConnector(&second);
    QCOMPARE(todo.databaseConnector, &second);
    QCOMPARE(todo.sqlQuery, second.sqlQuery);
    QVERIFY(!QObject::disconnect(&todo, &Entity::persist, &first, &DatabaseConnector::persist));
    QVERIFY(QObject::disconnect(&todo, &Entity::persist, &second, &DatabaseConnector::persist));
    QVERIFY(!QObject::disconnect(&todo, &Entity::persist, &second, &DatabaseConnector::persist));

    todo.setDatabaseConnector(&second);
    todo.setDatabaseConnector(&second);
    QVERIFY(QObject::disconnect(&todo, &Entity::persist, &second, &DatabaseConnector::persist));
    QVERIFY(!QObject::disconnect(&todo, &Entity::persist, &second, &DatabaseConnector::persist));

    todo.setDatabaseConnector(&first);
    todo.setDatabaseConnector(nullptr);
    QCOMPARE(todo.databaseConnector, nullptr);
    QCOMPARE(todo.sqlQuery, first.sqlQuery);
    QVERIFY(!QObject::disconnect(&todo, &Entity::persist, &first, &DatabaseConnector::persist));
}

void TestEntity::save_data()
{
    QTest::addColumn<SaveCase>("run");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("reference");

    QTest::newRow("todo without recurrence") << SaveCase([] {
        Todo todo(nullptr);
        return saveAndObserve(todo, [&] { return todo.recurrence_id; });
    }) << true << QString() << -1;
    QTest::newRow("todo with recurrence_id below -1") << SaveCase([] {
        Todo todo(nullptr);
        todo.recurrence_id = -2;
        return saveAndObserve(todo, [&] { return todo.recurrence_id; });
    }) << false << invalid("recurrence_id", -2) << -2;
    QTest::newRow("todo completes the id of its recurrence") << SaveCase([] {
        Todo todo(nullptr);
        Recurrence recurrence(nullptr);
        todo.setRecurrence(&recurrence);
        const int before = todo.recurrence_id;
        recurrence.id = 31;
        SaveOutcome outcome =
            saveAndObserve(todo, [&] { return before * 100 + todo.recurrence_id; });
        todo.setRecurrence(nullptr);
        return outcome;
    }) << true << QString() << -100 + 31;
    QTest::newRow("todo with a recurrence without a row") << SaveCase([] {
        Todo todo(nullptr);
        Recurrence recurrence(nullptr);
        todo.setRecurrence(&recurrence);
        SaveOutcome outcome = saveAndObserve(todo, [&] { return todo.recurrence_id; });
        todo.setRecurrence(nullptr);
        return outcome;
    }) << true << QString() << -1;

    QTest::newRow("recurrence without sample")
        << SaveCase([] { return saveRecurrence(Unlinked, 0, INT_MIN, false); }) << false
        << invalid("sample_id", INT_MIN) << INT_MIN;
    QTest::newRow("recurrence with a sample without a row")
        << SaveCase([] { return saveRecurrence(Linked, INT_MIN, INT_MIN, false); }) << false
        << invalid("sample_id", INT_MIN) << INT_MIN;
    QTest::newRow("recurrence takes the id of its sample")
        << SaveCase([] { return saveRecurrence(Linked, 44, INT_MIN, false); }) << true << QString()
        << 44;
    QTest::newRow("recurrence with sample_id but no sample")
        << SaveCase([] { return saveRecurrence(Unlinked, 0, 5, false); }) << false
        << invalid("sample_id", 5) << 5;
    QTest::newRow("deleted recurrence with sample_id but no sample")
        << SaveCase([] { return saveRecurrence(Unlinked, 0, 5, true); }) << true << QString() << 5;

    for (const bool alarm : {true, false}) {
        const auto row = [alarm](const char* name) -> QTestData& {
            return QTest::newRow(
                qPrintable(QLatin1String(alarm ? "alarm " : "binary ") + QLatin1String(name)));
        };
        const auto save = alarm ? &saveChildOfTodo<Alarm> : &saveChildOfTodo<Binary>;
        row("without todo") << SaveCase([=] { return save(Unlinked, 0, INT_MIN, false); }) << false
                            << invalid("todo_id", INT_MIN) << INT_MIN;
        row("of a todo without a row")
            << SaveCase([=] { return save(Linked, INT_MIN, INT_MIN, false); }) << false
            << invalid("todo_id", INT_MIN) << INT_MIN;
        row("takes the id of its todo")
            << SaveCase([=] { return save(Linked, 3, INT_MIN, false); }) << true << QString() << 3;
        row("detached with setTodo(nullptr) keeps todo_id")
            << SaveCase([=] { return save(LinkedThenUnlinked, 3, INT_MIN, false); }) << false
            << invalid("todo_id", 3) << 3;
        row("deleted, with todo_id but no todo")
            << SaveCase([=] { return save(Unlinked, 0, 4, true); }) << true << QString() << 4;
        row("deleted, without todo_id")
            << SaveCase([=] { return save(Unlinked, 0, INT_MIN, true); }) << false
            << invalid("todo_id", INT_MIN) << INT_MIN;
    }

    QTest::newRow("field with a type but no todo") << SaveCase([] {
        FieldType type(nullptr);
        type.id = 2;
        Field field(nullptr);
        field.setFieldType(&type);
        return saveAndObserve(field, [&] { return field.field_type_id; });
    }) << false << invalid("todo_id", INT_MIN) << 2;
    QTest::newRow("field with a todo but no type") << SaveCase([] {
        Todo todo(nullptr);
        todo.id = 6;
        Field field(nullptr);
        field.setTodo(&todo);
        return saveAndObserve(field, [&] { return field.todo_id; });
    }) << false << invalid("field_type_id", INT_MIN)
                                                   << 6;
    QTest::newRow("field with field_type_id but no type object") << SaveCase([] {
        Todo todo(nullptr);
        todo.id = 6;
        Field field(nullptr);
        field.setTodo(&todo);
        field.field_type_id = 5;
        return saveAndObserve(field, [&] { return field.todo_id; });
    }) << false << invalid("field_type_id", 5) << 6;
    QTest::newRow("field takes both ids") << SaveCase([] {
        Todo todo(nullptr);
        FieldType type(nullptr);
        Field field(nullptr);
        field.setTodo(&todo);
        field.setFieldType(&type);
        todo.id = 6;
        type.id = 2;
        return saveAndObserve(field, [&] { return field.todo_id * 10 + field.field_type_id; });
    }) << true << QString() << 62;
    QTest::newRow("deleted field with both ids and no links") << SaveCase([] {
        Field field(nullptr);
        field.todo_id = 6;
        field.field_type_id = 2;
        field.setIsDeleted(true);
        return saveAndObserve(field, [&] { return field.todo_id; });
    }) << true << QString() << 6;
    QTest::newRow("field type is always saved") << SaveCase([] {
        FieldType type(nullptr);
        type.lastError = QStringLiteral("left over");
        return saveAndObserve(type);
    }) << true << QString() << 0;
}

void TestEntity::save()
{
    QFETCH(SaveCase, run);
    QFETCH(bool, saved);
    QFETCH(QString, error);
    QFETCH(int, reference);
    const SaveOutcome outcome = run();
    QCOMPARE(outcome.saved, saved);
    QCOMPARE(outcome.error, error);
    QCOMPARE(outcome.persisted, saved ? 1 : 0);
    QCOMPARE(outcome.reference, reference);
}

void TestEntity::savingASynchronizedAlarmWarns()
{
    Todo todo(nullptr);
    todo.id = 1;
    Alarm alarm(nullptr);
    alarm.setTodo(&todo);
    PersistCounter persist(alarm);
    OrvelTest::LogCapture log;

    QVERIFY(alarm.save());
    QCOMPARE(log.lines().size(), 0); // new: the first save inserts
    alarm.isNew = false;
    QVERIFY(alarm.save());
    QCOMPARE(log.lines(), QList<QByteArray>{OrvelTest::LogCapture::line(
                              "WARNING", "Synchronizing alredy synchronized Entity.")});
    QCOMPARE(persist.count, 2);
    QCOMPARE(alarm.isSynchronized, true);

    // A failed check leaves the flags as they were.
    Alarm orphan(nullptr);
    QVERIFY(!orphan.save());
    QCOMPARE(orphan.isSynchronized, false);
}

QTEST_GUILESS_MAIN(TestEntity)
#include "tst_entity.moc"
