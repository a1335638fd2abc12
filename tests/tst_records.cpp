// Records on their own and linked to each other: modification marks, deletion and destruction
// of linked records, the checks of save(), the rules of a recurrence and the log lines.
#include "debug/debugstring.h"
#include "debug/log.h"
#include "loghandler.h"
#include "testsupport.h"

#include <QLoggingCategory>
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
using OrvelTest::LogCapture;

namespace {

using OrvelTest::utc;

// Puts a record in the state the loaders leave it in: stored and synchronized.
void markLoaded(Entity& record)
{
    record.isNew = false;
    record.isSynchronized = true;
}

// Counts the persist(Entity&) emissions of one record (QSignalSpy cannot record a reference).
class PersistCounter : public QObject
{
public:
    explicit PersistCounter(Entity& record)
    {
        connect(&record, &Entity::persist, this, [this](Entity&) { ++count; });
    }
    int count = 0;
};

// Records, in order, every setDeleted/setUndeleted/destroyed of the records it watches.
class SignalLog : public QObject
{
public:
    template <typename Record> Record* watch(Record* record, const char* name)
    {
        const QString label = QLatin1String(name);
        connect(record, &Entity::setDeleted, this, [this, label] { events << "deleted " + label; });
        connect(record, &Entity::setUndeleted, this,
                [this, label] { events << "undeleted " + label; });
        connect(record, &QObject::destroyed, this,
                [this, label] { events << "destroyed " + label; });
        return record;
    }
    QStringList take() { return std::exchange(events, {}); }
    QStringList events;
};

// A todo instanced from a rule, with two alarms, an attachment and a field value, and the
// rule's sample; every record has an identifier as if loaded.
struct TodoGraph
{
    explicit TodoGraph(SignalLog& log)
    {
        type = log.watch(new FieldType(nullptr), "FT");
        type->id = 40;
        sample = log.watch(new Todo(nullptr), "S");
        sample->id = 10;
        sample->is_sample = true;
        recurrence = log.watch(new Recurrence(nullptr), "R");
        recurrence->id = 20;
        recurrence->setSample(sample);
        todo = log.watch(new Todo(nullptr), "T");
        todo->id = 11;
        todo->setRecurrence(recurrence);
        first = log.watch(new Alarm(nullptr), "A1");
        second = log.watch(new Alarm(nullptr), "A2");
        binary = log.watch(new Binary(nullptr), "B");
        field = log.watch(new Field(nullptr), "F");
        todo->addAlarm(first);
        todo->addAlarm(second);
        todo->addBinary(binary);
        todo->addField(field);
        type->addField(field);
    }
    // A value of the graph's field type on another todo, watched as "F2".
    Field* valueOn(Todo& other, SignalLog& log)
    {
        auto* field = log.watch(new Field(nullptr), "F2");
        other.addField(field);
        type->addField(field);
        return field;
    }
    ~TodoGraph()
    {
        delete todo;
        delete recurrence;
        delete sample;
        delete type;
    }
    FieldType* type;
    Todo* sample;
    Recurrence* recurrence;
    Todo* todo;
    Alarm* first;
    Alarm* second;
    Binary* binary;
    Field* field;
};

template <typename T> QList<T*> listOf(std::initializer_list<T*> items)
{
    return QList<T*>(items);
}

QString invalid(const char* column, int value)
{
    return QStringLiteral("Invalid %1 (%2), save can't be performed yet!")
        .arg(QLatin1String(column))
        .arg(value);
}

// Runs save() on a record built by the case and returns "saved|error|persisted|reference", the
// reference read after the save.
using SaveCase = std::function<QString()>;
template <typename Record> QString saveOutcome(Record& record, const int& reference)
{
    PersistCounter persisted(record);
    const bool saved = record.save();
    return QStringLiteral("%1|%2|%3|%4")
        .arg(saved)
        .arg(record.lastError)
        .arg(persisted.count)
        .arg(reference);
}

template <typename Child> SaveCase childOfTodo(bool linked, int todoId, int storedId, bool deleted)
{
    return [=] {
        Todo todo(nullptr);
        Child child(nullptr);
        if (linked) {
            child.setTodo(&todo);
            todo.id = todoId; // after linking: save() must read the todo's current id
        }
        if (storedId != INT_MIN)
            child.todo_id = storedId;
        if (deleted)
            child.setIsDeleted(true);
        return saveOutcome(child, child.todo_id);
    };
}

QString byWeekday(const char* weeks, const char* lastDay, const char* weekdays)
{
    return QLatin1Char('1') + QLatin1String(weeks) + QLatin1String(lastDay) +
           QLatin1String(weekdays);
}

} // namespace

Q_DECLARE_METATYPE(SaveCase)

class TestRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modifiedAnnouncesOncePerSave()
    {
        Todo fresh(nullptr);
        QSignalSpy freshSpy(&fresh, &Entity::setUnsynchronized);
        fresh.modified();
        QCOMPARE(freshSpy.count(), 0);
        QCOMPARE(fresh.isSynchronized, false);

        Todo loaded(nullptr);
        markLoaded(loaded);
        loaded.lastModDate = utc(2000, 1, 1);
        QSignalSpy spy(&loaded, &Entity::setUnsynchronized);
        loaded.modified();
        loaded.setNote(QStringLiteral("again"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<Entity*>(), static_cast<Entity*>(&loaded));
        QCOMPARE(loaded.lastModDate, utc(2015, 1, 14, 12));
        QVERIFY(loaded.save());
        loaded.modified();
        loaded.modified();
        QCOMPARE(spy.count(), 2);

        // Times are re-based when a record moves between zones, which is no edit.
        Alarm alarm(nullptr);
        markLoaded(alarm);
        alarm.setAlarmTime(utc(2015, 1, 1));
        QCOMPARE(alarm.isSynchronized, true);
    }

    void modifiedReachesTheParent_data()
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

    void modifiedReachesTheParent()
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

    void removeNeedsARow()
    {
        Todo fresh(nullptr);
        PersistCounter freshPersist(fresh);
        QCOMPARE(fresh.remove(), false);
        QCOMPARE(freshPersist.count, 0);
        QCOMPARE(fresh.isRemoved, false);

        Todo stored(nullptr);
        stored.isNew = false;
        PersistCounter persist(stored);
        QCOMPARE(stored.remove(), true);
        QCOMPARE(persist.count, 1);
        QCOMPARE(stored.isRemoved, true);
        QCOMPARE(stored.isSynchronized, true);
    }

    void deletionSequences_data()
    {
        QTest::addColumn<QString>("sequence"); // t = setIsDeleted(true), f = setIsDeleted(false)
        QTest::addColumn<int>("deletedSignals");
        QTest::addColumn<int>("undeletedSignals");
        QTest::addColumn<bool>("removed");
        QTest::newRow("false on a live record only modifies") << "f" << 0 << 0 << false;
        QTest::newRow("true twice detaches once") << "tt" << 1 << 0 << true;
        QTest::newRow("delete, restore, delete") << "tft" << 2 << 1 << true;
    }

    void deletionSequences()
    {
        QFETCH(QString, sequence);
        QFETCH(int, deletedSignals);
        QFETCH(int, undeletedSignals);
        QFETCH(bool, removed);
        Todo todo(nullptr);
        todo.id = 3;
        Alarm alarm(nullptr);
        alarm.setTodo(&todo);
        markLoaded(alarm);
        QSignalSpy deleted(&alarm, &Entity::setDeleted);
        QSignalSpy undeleted(&alarm, &Entity::setUndeleted);
        QSignalSpy unsynchronized(&alarm, &Entity::setUnsynchronized);
        for (const QChar step : sequence)
            alarm.setIsDeleted(step == QLatin1Char('t'));

        const bool attached = !sequence.endsWith(QLatin1Char('t'));
        // Signals deleted|undeleted|unsynchronized, isDeleted, isRemoved, listed, todo_id.
        QCOMPARE(
            QList<int>({int(deleted.count()), int(undeleted.count()), int(unsynchronized.count()),
                        alarm.isDeleted, alarm.isRemoved, todo.alarms->contains(&alarm),
                        alarm.todo_id}),
            QList<int>({deletedSignals, undeletedSignals, 1, !attached, removed, attached, 3}));
        QCOMPARE(alarm.todo, attached ? &todo : nullptr);
        QCOMPARE(alarm.detachedTodo, attached ? nullptr : &todo);
    }

    void save_data()
    {
        QTest::addColumn<SaveCase>("run");
        QTest::addColumn<QString>("outcome"); // saved|error|persist signals|identifier afterwards

        QTest::newRow("todo with recurrence_id below -1") << SaveCase([] {
            Todo todo(nullptr);
            todo.recurrence_id = -2;
            return saveOutcome(todo, todo.recurrence_id);
        }) << "0|" + invalid("recurrence_id", -2) + "|0|-2";
        QTest::newRow("todo completes the id of its recurrence") << SaveCase([] {
            Todo todo(nullptr);
            Recurrence recurrence(nullptr);
            todo.setRecurrence(&recurrence);
            recurrence.id = 31;
            const QString outcome = saveOutcome(todo, todo.recurrence_id);
            todo.setRecurrence(nullptr);
            return outcome;
        }) << "1||1|31";
        QTest::newRow("recurrence without sample") << SaveCase([] {
            Recurrence recurrence(nullptr);
            return saveOutcome(recurrence, recurrence.sample_id);
        }) << "0|" + invalid("sample_id", INT_MIN) + "|0|" + QString::number(INT_MIN);
        QTest::newRow("deleted recurrence with sample_id but no sample") << SaveCase([] {
            Recurrence recurrence(nullptr);
            recurrence.sample_id = 5;
            recurrence.setIsDeleted(true);
            return saveOutcome(recurrence, recurrence.sample_id);
        }) << "1||1|5";
        QTest::newRow("alarm of a todo without a row")
            << childOfTodo<Alarm>(true, INT_MIN, INT_MIN, false)
            << "0|" + invalid("todo_id", INT_MIN) + "|0|" + QString::number(INT_MIN);
        QTest::newRow("alarm takes the id of its todo")
            << childOfTodo<Alarm>(true, 3, INT_MIN, false) << "1||1|3";
        QTest::newRow("binary takes the id of its todo")
            << childOfTodo<Binary>(true, 4, INT_MIN, false) << "1||1|4";
        QTest::newRow("binary without todo")
            << childOfTodo<Binary>(false, 0, INT_MIN, false)
            << "0|" + invalid("todo_id", INT_MIN) + "|0|" + QString::number(INT_MIN);
        QTest::newRow("binary with todo_id but no todo")
            << childOfTodo<Binary>(false, 0, 4, false) << "0|" + invalid("todo_id", 4) + "|0|4";
        QTest::newRow("deleted binary with todo_id but no todo")
            << childOfTodo<Binary>(false, 0, 4, true) << "1||1|4";
        QTest::newRow("field with a todo but no type") << SaveCase([] {
            Todo todo(nullptr);
            todo.id = 6;
            Field field(nullptr);
            field.setTodo(&todo);
            return saveOutcome(field, field.todo_id);
        }) << "0|" + invalid("field_type_id", INT_MIN) + "|0|6";
        QTest::newRow("field takes both ids") << SaveCase([] {
            Todo todo(nullptr);
            FieldType type(nullptr);
            Field field(nullptr);
            field.setTodo(&todo);
            field.setFieldType(&type);
            todo.id = 6;
            type.id = 2;
            const QString outcome = saveOutcome(field, 0);
            return outcome + QString::number(field.todo_id * 10 + field.field_type_id);
        }) << "1||1|062";
    }

    void save()
    {
        QFETCH(SaveCase, run);
        QFETCH(QString, outcome);
        QCOMPARE(run(), outcome);
    }

    void deletingAndUndeletingATodoGraph()
    {
        SignalLog log;
        TodoGraph graph(log);
        graph.todo->setIsDeleted(true);
        QCOMPARE(log.take(),
                 (QStringList{"deleted A1", "deleted A2", "deleted B", "deleted F", "deleted T"}));
        QVERIFY(graph.todo->alarms->isEmpty() && graph.todo->binaries->isEmpty());
        QVERIFY(graph.todo->fields->isEmpty() && graph.type->fields->isEmpty());
        QCOMPARE(*graph.todo->deletedAlarms, listOf({graph.first, graph.second}));
        QCOMPARE(*graph.todo->deletedBinaries, listOf({graph.binary}));
        QCOMPARE(*graph.todo->deletedFields, listOf({graph.field}));
        QCOMPARE(graph.first->detachedTodo, graph.todo);
        QCOMPARE(graph.first->todo_id, 11);
        QCOMPARE(graph.field->detachedFieldType, graph.type);
        QCOMPARE(graph.todo->detachedRecurrence, graph.recurrence);
        QCOMPARE(graph.todo->recurrence_id, 20);
        QVERIFY(graph.recurrence->todos->isEmpty());
        QCOMPARE(graph.recurrence->isDeleted, false);
        graph.todo->setIsDeleted(true);
        QCOMPARE(log.take(), QStringList()); // deleting twice changes nothing

        for (int twice = 0; twice < 2; ++twice) {
            graph.todo->setIsDeleted(false);
            QCOMPARE(*graph.todo->alarms, listOf({graph.first, graph.second}));
            QCOMPARE(*graph.todo->binaries, listOf({graph.binary}));
            QCOMPARE(*graph.todo->fields, listOf({graph.field}));
            QVERIFY(graph.todo->deletedAlarms->isEmpty() && graph.todo->deletedFields->isEmpty());
            QVERIFY(graph.todo->deletedBinaries->isEmpty());
            QCOMPARE(graph.first->detachedTodo, nullptr);
            QCOMPARE(graph.field->fieldType, graph.type);
            QCOMPARE(*graph.type->fields, listOf({graph.field}));
            QCOMPARE(*graph.recurrence->todos, listOf({graph.todo}));
            QCOMPARE(graph.todo->recurrence, graph.recurrence);
        }
        QCOMPARE(log.take(), (QStringList{"undeleted A1", "undeleted A2", "undeleted B",
                                          "undeleted F", "undeleted T"}));

        // A child deleted on its own is not restored with its todo.
        graph.first->setIsDeleted(true);
        graph.todo->setIsDeleted(true);
        graph.todo->setIsDeleted(false);
        QCOMPARE(*graph.todo->alarms, listOf({graph.second}));
        graph.first->setIsDeleted(false);
        QCOMPARE(*graph.todo->alarms, listOf({graph.second, graph.first}));
    }

    void deletingASampleOrRuleTakesTheOtherAlong()
    {
        SignalLog log;
        TodoGraph graph(log);
        auto* sampleAlarm = log.watch(new Alarm(nullptr), "AS");
        graph.sample->addAlarm(sampleAlarm);

        graph.sample->setIsDeleted(true);
        QCOMPARE(log.take(), (QStringList{"deleted AS", "deleted R", "deleted S"}));
        QCOMPARE(graph.recurrence->detachedSample, graph.sample);
        QCOMPARE(graph.recurrence->sample_id, 10);
        QCOMPARE(*graph.recurrence->deletedTodos, listOf({graph.todo}));
        QCOMPARE(graph.todo->recurrence, nullptr);
        QCOMPARE(graph.todo->isDeleted, false);
        QCOMPARE(graph.sample->recurrence_id, -1);
        QCOMPARE(graph.sample->detachedRecurrence, graph.recurrence);
        graph.sample->setIsDeleted(false);
        QCOMPARE(log.take(), (QStringList{"undeleted AS", "undeleted R", "undeleted S"}));
        QCOMPARE(graph.recurrence->sample, graph.sample);
        QCOMPARE(graph.sample->recurrence_id, 20);
        QCOMPARE(graph.sample->detachedRecurrence, nullptr);
        QCOMPARE(graph.recurrence->detachedSample, nullptr);
        QCOMPARE(graph.todo->recurrence, graph.recurrence);
        QCOMPARE(*graph.sample->alarms, listOf({sampleAlarm}));

        graph.recurrence->setIsDeleted(true);
        QCOMPARE(log.take(), (QStringList{"deleted AS", "deleted S", "deleted R"}));
        QCOMPARE(graph.todo->recurrence, nullptr);
        QCOMPARE(graph.todo->recurrence_id, 20);
        graph.recurrence->setIsDeleted(false);
        QCOMPARE(log.take(), (QStringList{"undeleted AS", "undeleted S", "undeleted R"}));
        QCOMPARE(graph.sample->recurrence, graph.recurrence);
        QCOMPARE(graph.todo->recurrence, graph.recurrence);
        QVERIFY(graph.recurrence->deletedTodos->isEmpty());

        // Taking an instance out of its rule deletes it.
        graph.recurrence->removeTodo(graph.todo);
        QCOMPARE(log.take().constLast(), QStringLiteral("deleted T"));
        QVERIFY(graph.recurrence->todos->isEmpty());
    }

    void deletingAFieldTypeDetachesItsFieldsFromEveryTodo()
    {
        SignalLog log;
        TodoGraph graph(log);
        Todo other(nullptr);
        Field* onOther = graph.valueOn(other, log);

        graph.type->setIsDeleted(true);
        QCOMPARE(log.take(), (QStringList{"deleted F", "deleted F2", "deleted FT"}));
        QVERIFY(graph.todo->fields->isEmpty() && other.fields->isEmpty());
        QCOMPARE(*graph.type->deletedFields, listOf({graph.field, onOther}));
        graph.type->setIsDeleted(false);
        QCOMPARE(log.take(), (QStringList{"undeleted F", "undeleted F2", "undeleted FT"}));
        QCOMPARE(*other.fields, listOf({onOther}));
        QCOMPARE(*graph.type->fields, listOf({graph.field, onOther}));
        QCOMPARE(onOther->todo, &other);
    }

    void destroying_data()
    {
        QTest::addColumn<QString>("victim");
        QTest::addColumn<bool>("deletedFirst");
        QTest::addColumn<QStringList>("destroyed");
        const QStringList todoAndChildren{"destroyed A1", "destroyed A2", "destroyed B",
                                          "destroyed F", "destroyed T"};
        QTest::newRow("live todo") << "T" << false << todoAndChildren;
        // A deleted todo first restores its children, so that they unlink themselves as they go.
        QTest::newRow("deleted todo, children detached") << "T" << true << todoAndChildren;
        QTest::newRow("live sample unlinks its rule") << "S" << false << QStringList{"destroyed S"};
        QTest::newRow("deleted rule unlinks sample and instances")
            << "R" << true << QStringList{"destroyed R"};
        QTest::newRow("deleted field type destroys its fields on every todo")
            << "FT" << true << QStringList{"destroyed F", "destroyed F2", "destroyed FT"};
    }

    void destroying()
    {
        QFETCH(QString, victim);
        QFETCH(bool, deletedFirst);
        QFETCH(QStringList, destroyed);
        SignalLog log;
        TodoGraph graph(log);
        Todo other(nullptr);
        graph.valueOn(other, log);
        Entity* target = victim == QLatin1String("T")   ? static_cast<Entity*>(graph.todo)
                         : victim == QLatin1String("S") ? graph.sample
                         : victim == QLatin1String("R") ? static_cast<Entity*>(graph.recurrence)
                                                        : graph.type;
        if (deletedFirst)
            target->setIsDeleted(true);
        log.take();
        graph.todo = target == graph.todo ? nullptr : graph.todo;
        graph.sample = target == graph.sample ? nullptr : graph.sample;
        graph.recurrence = target == graph.recurrence ? nullptr : graph.recurrence;
        graph.type = target == graph.type ? nullptr : graph.type;
        delete target;
        QCOMPARE(log.take().filter(QStringLiteral("destroyed")), destroyed);

        // The survivors are live and linked to each other only.
        if (graph.todo) {
            QCOMPARE(graph.todo->recurrence, graph.recurrence);
            QCOMPARE(graph.todo->fields->size(), graph.type ? 1 : 0);
        }
        if (graph.sample)
            QCOMPARE(graph.sample->recurrence, graph.recurrence);
        if (graph.recurrence) {
            QCOMPARE(graph.recurrence->sample, graph.sample);
            QCOMPARE(*graph.recurrence->todos, graph.todo ? listOf({graph.todo}) : QList<Todo*>());
        }
        if (graph.type)
            QCOMPARE(graph.type->fields->size(), graph.todo ? 2 : 1);
        QCOMPARE(other.fields->size(), graph.type ? 1 : 0);
    }

    void recordsDestroyedWhileRememberedAreForgotten()
    {
        // Deleted records leave the pool and may outlive the records they remember, as at
        // shut-down when the pool frees every live record and the owner of a deleted one frees
        // it last.
        SignalLog log;
        {
            TodoGraph graph(log);
            graph.todo->setIsDeleted(true); // remembers its rule
            delete graph.recurrence;
            graph.recurrence = nullptr;
            graph.todo->setIsDeleted(false);
            QCOMPARE(graph.todo->recurrence, nullptr);
        }
        {
            TodoGraph graph(log);
            graph.recurrence->setIsDeleted(true); // remembers its instance and its sample
            delete graph.todo;
            delete graph.sample;
            graph.todo = graph.sample = nullptr;
            graph.recurrence->setIsDeleted(false);
            QVERIFY(graph.recurrence->todos->isEmpty());
            QCOMPARE(graph.recurrence->sample, nullptr);
        }
        {
            TodoGraph graph(log);
            graph.first->setIsDeleted(true); // remembers its todo
            graph.field->setIsDeleted(true); // remembers its todo and its type
            delete graph.todo;
            delete graph.type;
            graph.todo = nullptr;
            graph.type = nullptr;
            graph.first->setIsDeleted(false);
            graph.field->setIsDeleted(false);
            QCOMPARE(graph.first->todo, nullptr);
            QCOMPARE(graph.field->fieldType, nullptr);
            delete graph.first;
            delete graph.field;
        }
        {
            TodoGraph graph(log);
            graph.todo->setIsDeleted(true); // the todo remembers its children
            graph.type->setIsDeleted(true);
            delete graph.first;
            delete graph.field;
            QCOMPARE(*graph.todo->deletedAlarms, listOf({graph.second}));
            QVERIFY(graph.todo->deletedFields->isEmpty() && graph.type->deletedFields->isEmpty());
            graph.todo->setIsDeleted(false);
            QCOMPARE(*graph.todo->alarms, listOf({graph.second}));
        }
        {
            TodoGraph graph(log);
            graph.type->setIsDeleted(true); // the field remembers its todo
            delete graph.todo;
            graph.todo = nullptr;
            log.take();
            delete graph.type; // restores the field without its todo, then frees it
            graph.type = nullptr;
            QCOMPARE(log.take().filter(QStringLiteral("destroyed")),
                     (QStringList{"destroyed F", "destroyed FT"}));
        }
        // A deleted child that is still linked unlinks itself when destroyed.
        Todo todo(nullptr);
        auto* alarm = new Alarm(nullptr);
        alarm->setIsDeleted(true);
        alarm->setTodo(&todo);
        delete alarm;
        QVERIFY(todo.alarms->isEmpty());
    }

    // A record whose role changed while linked still cuts its links when destroyed.
    void changedRolesAreUnlinkedOnDestruction()
    {
        SignalLog log;
        {
            TodoGraph graph(log);
            graph.todo->setIsSample(true); // an instance made a sample does not leave its rule
            delete graph.recurrence;
            graph.recurrence = nullptr;
            QCOMPARE(graph.todo->recurrence, nullptr);
        }
        TodoGraph graph(log);
        graph.sample->is_sample = false; // made ordinary while its rule still names it
        delete graph.sample;
        graph.sample = nullptr;
        QCOMPARE(graph.recurrence->sample, nullptr);
    }

    void checkRepeats_data()
    {
        QTest::addColumn<int>("repeats");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("fits");
        const QString zeros7(7, QLatin1Char('0'));
        const QString zeros14(14, QLatin1Char('0'));
        QTest::newRow("weekly, no day marked") << int(Weekly) << zeros7 << false;
        QTest::newRow("weekly, every day") << int(Weekly) << "1111111" << true;
        QTest::newRow("monthly, empty") << int(Monthly) << QString() << false;
        QTest::newRow("by day, the 28th")
            << int(Monthly) << QString(28, QLatin1Char('0')) + "1" << true;
        QTest::newRow("by day, other character")
            << int(Monthly) << zeros14 + "1" + zeros14.left(13) + "2" << false;
        QTest::newRow("first Monday") << int(Monthly) << byWeekday("10000", "0", "1000000") << true;
        QTest::newRow("last day") << int(Monthly) << byWeekday("00000", "1", "0000000") << true;
        QTest::newRow("week and weekday ignore the last-day flag")
            << int(Monthly) << byWeekday("00100", "1", "0000011") << true;
        QTest::newRow("last day ignores the week flags")
            << int(Monthly) << byWeekday("11x11", "1", "0000000") << true;
        QTest::newRow("other first character")
            << int(Monthly) << "2" + QString(13, QLatin1Char('0')) << false;
    }

    void checkRepeats()
    {
        QFETCH(int, repeats);
        QFETCH(QString, pattern);
        QFETCH(bool, fits);
        Recurrence recurrence(nullptr);
        recurrence.repeats = Repeats(repeats);
        recurrence.repeats_on = pattern;
        QCOMPARE(recurrence.checkRepeats(), fits);
    }

    void repeatsPatternMustFitItsKind()
    {
        Recurrence recurrence(nullptr);
        recurrence.setRepeats(Weekly);
        recurrence.setRepeatsOn(QStringLiteral("0010000"));
        markLoaded(recurrence);
        QSignalSpy spy(&recurrence, &Entity::setUnsynchronized);
        LogCapture log;

        recurrence.setRepeatsOn(QString(7, QLatin1Char('0'))); // refused silently
        QCOMPARE(recurrence.repeats_on, QStringLiteral("0010000"));
        QCOMPARE(spy.count(), 0);
        recurrence.setRepeats(Weekly);
        QCOMPARE(recurrence.repeats_on, QStringLiteral("0010000"));
        QCOMPARE(spy.count(), 1);
        recurrence.setRepeats(Daily); // the pattern no longer fits
        QCOMPARE(recurrence.repeats_on, QString());
        recurrence.setRepeats(Weekly);
        recurrence.setRepeatsOn(QStringLiteral("0000001"));
        QCOMPARE(recurrence.repeats_on, QStringLiteral("0000001"));
        QCOMPARE(log.lines().size(), 0);
    }

    void setSampleLinksBothSidesAndKeepsTheReading()
    {
        Todo east(nullptr);
        east.is_sample = true;
        east.time_zone = QStringLiteral("+02:00");
        east.id = 5;
        Todo west(nullptr);
        west.is_sample = true;
        west.time_zone = QStringLiteral("-05:30");
        west.id = 6;
        Recurrence recurrence(nullptr);
        recurrence.range_start = utc(2014, 3, 1, 9);
        recurrence.range_end = utc(2014, 3, 31, 18);

        recurrence.setSample(&east);
        QCOMPARE(east.recurrence, &recurrence);
        // sample_id, and recurrence_id -1 as the rule has no row yet.
        QCOMPARE(QList<int>({recurrence.sample_id, east.recurrence_id}), QList<int>({5, -1}));
        QCOMPARE(QList<QDateTime>(
                     {recurrence.range_start, recurrence.range_end, recurrence.instancing_date}),
                 QList<QDateTime>({utc(2014, 3, 1, 7), utc(2014, 3, 31, 16), utc(2010, 6, 1)}));

        recurrence.id = 9;
        recurrence.setSample(&west);
        QCOMPARE(west.recurrence_id, 9);
        QCOMPARE(east.recurrence, nullptr);
        QCOMPARE(recurrence.range_start, utc(2014, 3, 1, 14, 30));
        QCOMPARE(recurrence.rangeEnd(Stored), QDateTime(QDate(2014, 3, 31), QTime(18, 0)));
        recurrence.setRangeStart(QDateTime(QDate(2014, 4, 1), QTime(8, 0), Qt::LocalTime));
        QCOMPARE(recurrence.range_start, utc(2014, 4, 1, 13, 30));

        // Another rule taking the sample leaves this one without sample or sample_id.
        Recurrence taker(nullptr);
        taker.id = 2;
        taker.setSample(&west);
        QCOMPARE(recurrence.sample, nullptr);
        QCOMPARE(recurrence.sample_id, INT_MIN);
        QCOMPARE(recurrence.range_start, utc(2014, 4, 1, 8));
        QCOMPARE(west.recurrence_id, 2);
        taker.setSample(nullptr);
        QCOMPARE(taker.sample_id, 6);
        QCOMPARE(west.recurrence, nullptr);
        QCOMPARE(west.recurrence_id, -1);
    }

    void wholeLogLine()
    {
        // Colours, tag, fill to 15 columns and closing, written out byte by byte for one tag.
        const QByteArray expected("\x1b[1;31m\x1b[41m[\x1b[1;37mERROR          \x1b[1;31m]\x1b[0m");
        const Orvel::LogTag tag = Orvel::LogTag::Error;
        QCOMPARE(Orvel::logHeader(tag), expected);
        LogCapture capture;
        Orvel::logLine(tag) << "Query failed:" << QStringLiteral("say \"hi\"") << "\n" << 42;
        Orvel::logLine(tag) << "Error occured while modifying the database: ";
        QString raw;
        QDebug(&raw) << Orvel::DebugString(QByteArray("caf\xe9 ")) << "|";
        // QString items are quoted; Qt drops the one separating space after the last item.
        QCOMPARE(capture.lines(),
                 (QList<QByteArray>{expected + " Query failed: \"say \\\"hi\\\"\" \n 42",
                                    expected + " Error occured while modifying the database: "}));
        QCOMPARE(capture.types(), (QList<QtMsgType>{QtDebugMsg, QtDebugMsg}));
        QCOMPARE(raw, QStringLiteral("caf\u00e9 |"));
    }

    // The lines go out in the category "orvel", so a host's rules silence them; a line let
    // through keeps its bytes.
    void logCategoryRulesSilenceTheLines()
    {
        LogCapture capture;
        QLoggingCategory::setFilterRules(QStringLiteral("orvel.debug=false"));
        Orvel::logLine(Orvel::LogTag::Error) << "Silenced";
        qDebug() << "host line";
        QCOMPARE(capture.lines(), QList<QByteArray>{"host line"});

        capture.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("orvel.debug=true"));
        Orvel::logLine(Orvel::LogTag::Info) << "Shown";
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(capture.lines(),
                 QList<QByteArray>{Orvel::logHeader(Orvel::LogTag::Info) + " Shown"});
        QCOMPARE(capture.categories(), QList<QByteArray>{"orvel"});
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
