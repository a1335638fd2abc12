#include "loghandler.h"

#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

// Records, in order, every setDeleted/setUndeleted/destroyed of the records it watches, by
// object name.
class SignalLog : public QObject
{
public:
    template <typename Record> Record* watch(Record* record, const char* name)
    {
        record->setObjectName(QLatin1String(name));
        const QString label = record->objectName();
        connect(record, &Entity::setDeleted, this, [this, record, label](Entity* sender) {
            QCOMPARE(sender, static_cast<Entity*>(record));
            events.append(QStringLiteral("deleted ") + label);
        });
        connect(record, &Entity::setUndeleted, this, [this, record, label](Entity* sender) {
            QCOMPARE(sender, static_cast<Entity*>(record));
            events.append(QStringLiteral("undeleted ") + label);
        });
        connect(record, &QObject::destroyed, this,
                [this, label] { events.append(QStringLiteral("destroyed ") + label); });
        return record;
    }

    QStringList take() { return std::exchange(events, {}); }

    QStringList events;
};

// An ordinary todo instanced from a rule, with two alarms, an attachment and a field value, and
// the rule's sample; every record has an identifier as if loaded.
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

} // namespace

class TestChildren : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deletingAndUndeletingATodoGraph();
    void deletingASampleDeletesItsRule();
    void deletingARuleDeletesItsSampleAndDetachesItsInstances();
    void deletingAFieldTypeDetachesItsFieldsFromEveryTodo();
    void destroying_data();
    void destroying();
    void destroyingADeletedChildThatIsStillLinked();
    void recordsDestroyedWhileRememberedAreForgotten();
    void childrenMoveBetweenParents();
    void setRecurrence();
    void fieldLookups();
    void alarmsAndAttachments();
    void formatStringRewritesTheNote();
};

// Every link of the todo graph, on both sides, as built.
void expectTodoLinked(const TodoGraph& graph)
{
    QCOMPARE(*graph.todo->alarms, listOf({graph.first, graph.second}));
    QCOMPARE(*graph.todo->binaries, listOf({graph.binary}));
    QCOMPARE(*graph.todo->fields, listOf({graph.field}));
    QVERIFY(graph.todo->deletedAlarms->isEmpty());
    QVERIFY(graph.todo->deletedBinaries->isEmpty());
    QVERIFY(graph.todo->deletedFields->isEmpty());
    QCOMPARE(graph.first->todo, graph.todo);
    QCOMPARE(graph.first->detachedTodo, nullptr);
    QCOMPARE(graph.first->isDeleted, false);
    QCOMPARE(graph.binary->todo, graph.todo);
    QCOMPARE(graph.field->todo, graph.todo);
    QCOMPARE(graph.field->fieldType, graph.type);
    QCOMPARE(*graph.type->fields, listOf({graph.field}));
    QCOMPARE(graph.todo->recurrence, graph.recurrence);
    QCOMPARE(graph.todo->detachedRecurrence, nullptr);
    QCOMPARE(*graph.recurrence->todos, listOf({graph.todo}));
}

void TestChildren::deletingAndUndeletingATodoGraph()
{
    SignalLog log;
    TodoGraph graph(log);
    graph.todo->setIsDeleted(true);

    QCOMPARE(log.take(),
             (QStringList{"deleted A1", "deleted A2", "deleted B", "deleted F", "deleted T"}));
    QVERIFY(graph.todo->alarms->isEmpty());
    QVERIFY(graph.todo->binaries->isEmpty());
    QVERIFY(graph.todo->fields->isEmpty());
    QCOMPARE(*graph.todo->deletedAlarms, listOf({graph.first, graph.second}));
    QCOMPARE(*graph.todo->deletedBinaries, listOf({graph.binary}));
    QCOMPARE(*graph.todo->deletedFields, listOf({graph.field}));
    QCOMPARE(graph.first->todo, nullptr);
    QCOMPARE(graph.first->detachedTodo, graph.todo);
    QCOMPARE(graph.first->todo_id, 11);
    QCOMPARE(graph.binary->detachedTodo, graph.todo);
    QCOMPARE(graph.field->detachedTodo, graph.todo);
    QCOMPARE(graph.field->detachedFieldType, graph.type);
    QVERIFY(graph.type->fields->isEmpty());
    QVERIFY(graph.field->isDeleted && graph.field->isRemoved);
    QCOMPARE(graph.todo->recurrence, nullptr);
    QCOMPARE(graph.todo->detachedRecurrence, graph.recurrence);
    QCOMPARE(graph.todo->recurrence_id, 20);
    QVERIFY(graph.recurrence->todos->isEmpty());
    QCOMPARE(graph.recurrence->isDeleted, false);
    QCOMPARE(graph.todo->isRemoved, true);

    graph.todo->setIsDeleted(true);
    QCOMPARE(log.take(), QStringList()); // deleting twice changes nothing
    QCOMPARE(*graph.todo->deletedAlarms, listOf({graph.first, graph.second}));

    graph.todo->setIsDeleted(false);
    QCOMPARE(log.take(), (QStringList{"undeleted A1", "undeleted A2", "undeleted B", "undeleted F",
                                      "undeleted T"}));
    expectTodoLinked(graph);
    graph.todo->setIsDeleted(false);
    QCOMPARE(log.take(), QStringList());
    expectTodoLinked(graph);

    // A child deleted on its own is not restored with its todo.
    graph.first->setIsDeleted(true);
    graph.todo->setIsDeleted(true);
    graph.todo->setIsDeleted(false);
    QCOMPARE(*graph.todo->alarms, listOf({graph.second}));
    QCOMPARE(graph.first->detachedTodo, graph.todo);
    graph.first->setIsDeleted(false);
    QCOMPARE(*graph.todo->alarms, listOf({graph.second, graph.first}));
}

void TestChildren::deletingASampleDeletesItsRule()
{
    SignalLog log;
    TodoGraph graph(log);
    auto* sampleAlarm = log.watch(new Alarm(nullptr), "AS");
    graph.sample->addAlarm(sampleAlarm);

    graph.sample->setIsDeleted(true);
    QCOMPARE(log.take(), (QStringList{"deleted AS", "deleted R", "deleted S"}));
    QCOMPARE(graph.recurrence->isDeleted, true);
    QCOMPARE(graph.recurrence->sample, nullptr);
    QCOMPARE(graph.recurrence->detachedSample, graph.sample);
    QCOMPARE(graph.recurrence->sample_id, 10);
    QVERIFY(graph.recurrence->todos->isEmpty());
    QCOMPARE(*graph.recurrence->deletedTodos, listOf({graph.todo}));
    QCOMPARE(graph.todo->recurrence, nullptr);
    QCOMPARE(graph.todo->isDeleted, false);
    QCOMPARE(graph.sample->recurrence, nullptr);
    QCOMPARE(graph.sample->recurrence_id, -1);
    QCOMPARE(graph.sample->detachedRecurrence, graph.recurrence);

    graph.sample->setIsDeleted(false);
    QCOMPARE(log.take(), (QStringList{"undeleted AS", "undeleted R", "undeleted S"}));
    QCOMPARE(graph.recurrence->isDeleted, false);
    QCOMPARE(graph.recurrence->sample, graph.sample);
    QCOMPARE(graph.sample->recurrence, graph.recurrence);
    QCOMPARE(graph.sample->recurrence_id, 20);
    QCOMPARE(graph.sample->detachedRecurrence, nullptr);
    QCOMPARE(graph.recurrence->detachedSample, nullptr);
    QCOMPARE(*graph.recurrence->todos, listOf({graph.todo}));
    QCOMPARE(graph.todo->recurrence, graph.recurrence);
    QCOMPARE(*graph.sample->alarms, listOf({sampleAlarm}));
}

void TestChildren::deletingARuleDeletesItsSampleAndDetachesItsInstances()
{
    SignalLog log;
    TodoGraph graph(log);
    graph.recurrence->setIsDeleted(true);
    QCOMPARE(log.take(), (QStringList{"deleted S", "deleted R"}));
    QCOMPARE(graph.sample->isDeleted, true);
    QCOMPARE(graph.todo->isDeleted, false);
    QCOMPARE(graph.todo->recurrence, nullptr);
    QCOMPARE(graph.todo->recurrence_id, 20);

    graph.recurrence->setIsDeleted(false);
    QCOMPARE(log.take(), (QStringList{"undeleted S", "undeleted R"}));
    QCOMPARE(graph.sample->isDeleted, false);
    QCOMPARE(graph.sample->recurrence, graph.recurrence);
    QCOMPARE(graph.recurrence->sample, graph.sample);
    QCOMPARE(graph.todo->recurrence, graph.recurrence);
    QVERIFY(graph.recurrence->deletedTodos->isEmpty());
}

void TestChildren::deletingAFieldTypeDetachesItsFieldsFromEveryTodo()
{
    SignalLog log;
    TodoGraph graph(log);
    Todo other(nullptr);
    auto* onOther = log.watch(new Field(nullptr), "F2");
    auto* secondOnTodo = log.watch(new Field(nullptr), "F3");
    other.addField(onOther);
    graph.todo->addField(secondOnTodo);
    graph.type->addField(onOther);
    graph.type->addField(secondOnTodo);

    graph.type->setIsDeleted(true);
    QCOMPARE(log.take(), (QStringList{"deleted F", "deleted F2", "deleted F3", "deleted FT"}));
    QVERIFY(graph.todo->fields->isEmpty());
    QVERIFY(other.fields->isEmpty());
    QVERIFY(graph.type->fields->isEmpty());
    QCOMPARE(*graph.type->deletedFields, listOf({graph.field, onOther, secondOnTodo}));

    graph.type->setIsDeleted(false);
    QCOMPARE(log.take(),
             (QStringList{"undeleted F", "undeleted F2", "undeleted F3", "undeleted FT"}));
    QCOMPARE(*graph.todo->fields, listOf({graph.field, secondOnTodo}));
    QCOMPARE(*other.fields, listOf({onOther}));
    QCOMPARE(*graph.type->fields, listOf({graph.field, onOther, secondOnTodo}));
    QVERIFY(graph.type->deletedFields->isEmpty());
    QCOMPARE(onOther->todo, &other);
    QCOMPARE(onOther->fieldType, graph.type);
}

// After a record of the graph was destroyed (and its pointer cleared): the survivors are live and
// linked to each other only.
void expectSurvivorsLinked(const TodoGraph& graph, const Todo& other)
{
    for (Entity* survivor :
         std::initializer_list<Entity*>{graph.todo, graph.sample, graph.recurrence, graph.type})
        QVERIFY(!survivor || !survivor->isDeleted);
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

void TestChildren::destroying_data()
{
    QTest::addColumn<QString>("victim");
    QTest::addColumn<bool>("deletedFirst");
    QTest::addColumn<QString>("only"); // the events compared, all when empty
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("first"); // the first event, unchecked when empty
    QTest::newRow("live todo") << "T" << false << QString()
                               << QStringList{"deleted A1",   "destroyed A1", "deleted A2",
                                              "destroyed A2", "deleted B",    "destroyed B",
                                              "deleted F",    "destroyed F",  "deleted T",
                                              "destroyed T"}
                               << "deleted A1";
    // A deleted todo first restores its children, so that they unlink themselves as they go.
    QTest::newRow("deleted todo, children detached")
        << "T" << true << "destroyed"
        << QStringList{"destroyed A1", "destroyed A2", "destroyed B", "destroyed F", "destroyed T"}
        << "undeleted A1";
    QTest::newRow("live sample unlinks its rule")
        << "S" << false << QString() << QStringList{"deleted S", "destroyed S"} << "deleted S";
    QTest::newRow("deleted rule unlinks sample and instances")
        << "R" << true << "destroyed" << QStringList{"destroyed R"} << QString();
    QTest::newRow("deleted field type destroys its fields on every todo")
        << "FT" << true << "destroyed" << QStringList{"destroyed F", "destroyed F2", "destroyed FT"}
        << QString();
}

void TestChildren::destroying()
{
    QFETCH(QString, victim);
    QFETCH(bool, deletedFirst);
    QFETCH(QString, only);
    QFETCH(QStringList, events);
    QFETCH(QString, first);
    SignalLog log;
    TodoGraph graph(log);
    Todo other(nullptr);
    auto* onOther = log.watch(new Field(nullptr), "F2");
    other.addField(onOther);
    graph.type->addField(onOther);

    Entity* target = victim == QLatin1String("T")   ? static_cast<Entity*>(graph.todo)
                     : victim == QLatin1String("S") ? graph.sample
                     : victim == QLatin1String("R") ? static_cast<Entity*>(graph.recurrence)
                                                    : graph.type;
    if (deletedFirst)
        target->setIsDeleted(true);
    log.take();
    delete target;
    graph.todo = victim == QLatin1String("T") ? nullptr : graph.todo;
    graph.sample = victim == QLatin1String("S") ? nullptr : graph.sample;
    graph.recurrence = victim == QLatin1String("R") ? nullptr : graph.recurrence;
    graph.type = victim == QLatin1String("FT") ? nullptr : graph.type;
    const QStringList seen = log.take();
    QCOMPARE(seen.filter(only), events);
    if (!first.isEmpty())
        QCOMPARE(seen.first(), first);
    expectSurvivorsLinked(graph, other);
}

void TestChildren::destroyingADeletedChildThatIsStillLinked()
{
    Todo todo(nullptr);
    FieldType type(nullptr);
    auto* alarm = new Alarm(nullptr);
    auto* binary = new Binary(nullptr);
    auto* field = new Field(nullptr);
    alarm->setIsDeleted(true);
    binary->setIsDeleted(true);
    field->setIsDeleted(true);
    alarm->setTodo(&todo);
    binary->setTodo(&todo);
    field->setTodo(&todo);
    field->setFieldType(&type);

    delete alarm;
    delete binary;
    delete field;
    QVERIFY(todo.alarms->isEmpty());
    QVERIFY(todo.binaries->isEmpty());
    QVERIFY(todo.fields->isEmpty());
    QVERIFY(type.fields->isEmpty());
}

void TestChildren::recordsDestroyedWhileRememberedAreForgotten()
{
    // Deleted records leave the pool and may outlive the records they remember, as at shut-down
    // when the pool frees every live record and the owner of a deleted one frees it last.
    SignalLog log;
    {
        TodoGraph graph(log);
        graph.todo->setIsDeleted(true); // remembers its rule
        delete graph.recurrence;
        graph.recurrence = nullptr;
        graph.todo->setIsDeleted(false);
        QCOMPARE(graph.todo->recurrence, nullptr);
        QCOMPARE(*graph.todo->alarms, listOf({graph.first, graph.second}));
    }
    {
        TodoGraph graph(log);
        graph.recurrence->setIsDeleted(true); // remembers its instance and its sample
        delete graph.todo;
        delete graph.sample;
        graph.todo = nullptr;
        graph.sample = nullptr;
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
        QCOMPARE(graph.field->todo, nullptr);
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
        QVERIFY(graph.todo->deletedFields->isEmpty());
        QVERIFY(graph.type->deletedFields->isEmpty());
        graph.todo->setIsDeleted(false);
        QCOMPARE(*graph.todo->alarms, listOf({graph.second}));
    }
    {
        TodoGraph graph(log);
        graph.type->setIsDeleted(true); // the field remembers its todo
        delete graph.todo;
        graph.todo = nullptr;
        QCOMPARE(*graph.type->deletedFields, listOf({graph.field}));
        log.take();
        delete graph.type; // restores the field without its todo, then frees it
        graph.type = nullptr;
        QCOMPARE(log.take().filter(QStringLiteral("destroyed")),
                 (QStringList{"destroyed F", "destroyed FT"}));
    }
}

void TestChildren::childrenMoveBetweenParents()
{
    Todo from(nullptr);
    Todo to(nullptr);
    from.id = 1;
    to.id = 2;
    FieldType typeA(nullptr);
    FieldType typeB(nullptr);
    typeB.id = 8;
    auto* binary = new Binary(nullptr);
    auto* field = new Field(nullptr);
    from.addBinary(binary);
    from.addField(field);
    typeA.addField(field);

    binary->setTodo(&to);
    field->setTodo(&to);
    field->setFieldType(&typeB);
    QVERIFY(from.binaries->isEmpty());
    QVERIFY(from.fields->isEmpty());
    QVERIFY(typeA.fields->isEmpty());
    QCOMPARE(*to.binaries, listOf({binary}));
    QCOMPARE(*typeB.fields, listOf({field}));
    QCOMPARE(binary->todo_id, 2);
    QCOMPARE(field->field_type_id, 8);

    binary->setTodo(nullptr);
    field->setFieldType(nullptr);
    QCOMPARE(binary->todo_id, 2);
    QCOMPARE(field->field_type_id, 8);
    QVERIFY(to.binaries->isEmpty());
    QVERIFY(typeB.fields->isEmpty());
    delete binary;
}

void TestChildren::setRecurrence()
{
    Recurrence first(nullptr);
    Recurrence second(nullptr);
    second.id = 5;
    Todo todo(nullptr);
    todo.setRecurrence(&first);
    QCOMPARE(todo.recurrence_id, -1);
    QCOMPARE(*first.todos, listOf({&todo}));

    todo.setRecurrence(&second);
    QVERIFY(first.todos->isEmpty());
    QCOMPARE(*second.todos, listOf({&todo}));
    QCOMPARE(todo.recurrence_id, 5);

    todo.setRecurrence(nullptr);
    QVERIFY(second.todos->isEmpty());
    QCOMPARE(todo.recurrence, nullptr);
    QCOMPARE(todo.recurrence_id, 5);

    Todo sample(nullptr);
    sample.is_sample = true;
    sample.isNew = false;
    sample.isSynchronized = true;
    OrvelTest::LogCapture log;
    sample.setRecurrence(&second);
    QCOMPARE(log.lines(), QList<QByteArray>{OrvelTest::LogCapture::line(
                              "WARNING", "Todo::setRecurrance is not for samples.")});
    QCOMPARE(sample.recurrence, nullptr);
    QVERIFY(second.todos->isEmpty());
    QCOMPARE(sample.isSynchronized, true);
}

void TestChildren::fieldLookups()
{
    Todo todo(nullptr);
    FieldType colour(nullptr);
    FieldType size(nullptr);
    colour.id = 1;
    colour.name = QStringLiteral("Colour");
    size.id = 2;
    size.name = QStringLiteral("Size");
    auto* red = new Field(nullptr);
    auto* large = new Field(nullptr);
    auto* blue = new Field(nullptr);
    auto* untyped = new Field(nullptr);
    for (Field* field : {red, large, blue, untyped})
        todo.addField(field);
    red->setFieldType(&colour);
    large->setFieldType(&size);
    blue->setFieldType(&colour);
    untyped->field_type_id = 1;
    large->field_type_id = 1; // the type object wins over the stored id

    QCOMPARE(todo.fieldByType(&colour), listOf({red, blue}));
    QCOMPARE(todo.fieldByType(nullptr), QList<Field*>());
    QCOMPARE(todo.fieldByTypeId(1), listOf({red, blue, untyped}));
    QCOMPARE(todo.fieldByTypeId(2), listOf({large}));
    QCOMPARE(todo.fieldByTypeId(3), QList<Field*>());
    QCOMPARE(todo.fieldByTypeName(QStringLiteral("Colour")), listOf({red, blue}));
    QCOMPARE(todo.fieldByTypeName(QStringLiteral("colour")), QList<Field*>());
    QCOMPARE(todo.fieldByTypeName(QString()), QList<Field*>());

    todo.removeField(blue);
    QCOMPARE(todo.fieldByType(&colour), listOf({red}));
    QCOMPARE(blue->isDeleted, true);
    delete blue;
}

void TestChildren::alarmsAndAttachments()
{
    Todo todo(nullptr);
    QCOMPARE(todo.isAlarmTimeActive(), false);
    auto* quiet = new Alarm(nullptr);
    auto* armed = new Alarm(nullptr);
    todo.addAlarm(quiet);
    todo.addAlarm(armed);
    QCOMPARE(todo.isAlarmTimeActive(), false);
    armed->setIsActive(true);
    QCOMPARE(todo.isAlarmTimeActive(), true);
    todo.removeAlarm(armed);
    QCOMPARE(todo.isAlarmTimeActive(), false);
    delete armed;

    auto* stored = new Binary(nullptr);
    stored->id = 3;
    stored->setData("bytes");
    todo.addBinary(stored);
    auto* unsaved = new Binary(nullptr);
    unsaved->setData("kept");
    todo.addBinary(unsaved);
    OrvelTest::LogCapture log;
    todo.freeBinaries();
    QVERIFY(stored->data);
    QVERIFY(stored->data->isEmpty());
    QCOMPARE(*unsaved->data, QByteArray("kept"));
}

void TestChildren::formatStringRewritesTheNote()
{
    Todo todo(nullptr);
    FieldType type(nullptr);
    type.id = 4;
    auto* name = new Field(nullptr);
    name->value = QStringLiteral("Anna");
    todo.addField(name);
    type.addField(name);
    todo.setNote(QStringLiteral("old"));
    todo.setFormatString(QStringLiteral("Call %4% now"));
    QCOMPARE(todo.format_string, QStringLiteral("Call %4% now"));
    QCOMPARE(todo.note, QStringLiteral("Call Anna now"));
    todo.setNote(QStringLiteral("replaced"));
    QCOMPARE(todo.note, QStringLiteral("replaced"));
}

QTEST_GUILESS_MAIN(TestChildren)
#include "tst_children.moc"
