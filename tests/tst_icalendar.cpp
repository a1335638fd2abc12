#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <functional>
#include <libical/ical.h>
#include <memory>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/icalendar.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

QDateTime wallClock(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

std::unique_ptr<Pool> openPool(const QString& name)
{
    QString tag = QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char('-') + name;
    if (QTest::currentDataTag())
        tag += QLatin1Char('-') + QString::fromLatin1(QTest::currentDataTag());
    tag.replace(QLatin1Char(' '), QLatin1Char('_'));
    auto pool = std::make_unique<Pool>(
        OrvelTest::homeDirectory() + QLatin1Char('/') + tag + QStringLiteral(".sqlite"), tag);
    pool->start();
    return pool;
}

Todo* addTodo(Pool* pool, const QString& zone, const QDateTime& start, const QDateTime& end)
{
    Todo* todo = pool->newTodo();
    todo->setTimeZone(zone);
    todo->setStartDate(start);
    todo->setEndDate(end);
    todo->setNote(QStringLiteral("Pay rent, then call \"Bob\"; done"));
    return todo;
}

Recurrence* addRule(Pool* pool, Todo* sample, Repeats repeats, const QString& on, int every)
{
    Recurrence* rule = pool->newRecurrence();
    rule->setSample(sample);
    rule->setRepeats(repeats);
    rule->setRepeatsOn(on);
    rule->setRepeatsEvery(every);
    rule->setIsActive(true);
    rule->setRangeStart(sample->startDate(Stored));
    rule->setRangeEnd(wallClock(2026, 12, 31, 23, 59));
    rule->instancing_date = utc(2026, 2, 1);
    return rule;
}

Field* addField(Pool* pool, Todo* todo, const QString& type, const QString& value)
{
    FieldType* fieldType = nullptr;
    for (FieldType* candidate : *pool->fieldTypes) {
        if (candidate->name == type)
            fieldType = candidate;
    }
    if (!fieldType) {
        fieldType = pool->newFieldType();
        fieldType->setName(type);
    }
    Field* field = pool->newField();
    field->setFieldType(fieldType);
    field->setTodo(todo);
    field->setValue(value);
    return field;
}

// Everything a todo holds, as text, without the remembered UID and without record ids.
QStringList describe(const Todo* todo)
{
    QStringList lines{todo->note,
                      todo->time_zone,
                      todo->start_date.toString(Qt::ISODate),
                      todo->end_date.toString(Qt::ISODate),
                      todo->creation_date.toString(Qt::ISODate),
                      todo->lastModDate.toString(Qt::ISODate),
                      QString::number(todo->status),
                      todo->format_string,
                      QString::number(todo->is_done),
                      QString::number(todo->is_sample)};
    for (const Alarm* alarm : *todo->alarms) {
        lines << QStringLiteral("alarm %1 %2 %3 %4")
                     .arg(alarm->alarm_time.toString(Qt::ISODate))
                     .arg(alarm->is_active)
                     .arg(alarm->snooze)
                     .arg(alarm->snooze_interval);
    }
    for (const Binary* binary : *todo->binaries) {
        lines << QStringLiteral("binary %1 %2 %3 %4")
                     .arg(binary->note)
                     .arg(binary->type)
                     .arg(binary->size)
                     .arg(QString::fromLatin1(binary->data->toHex()));
    }
    for (const Field* field : *todo->fields) {
        if (field->fieldType->name != ICalendar::uidFieldTypeName())
            lines << QStringLiteral("field %1=%2 %3 %4")
                         .arg(field->fieldType->name, field->value, field->db_id,
                              field->contact_id);
    }
    if (const Recurrence* rule = todo->recurrence) {
        lines << QStringLiteral("rule %1 %2 %3 %4 %5 %6 %7 %8")
                     .arg(todo->is_sample)
                     .arg(rule->repeats)
                     .arg(rule->repeats_every)
                     .arg(rule->repeats_on)
                     .arg(rule->is_active)
                     .arg(rule->range_start.toString(Qt::ISODate))
                     .arg(rule->range_end.toString(Qt::ISODate))
                     .arg(rule->instancing_date.toString(Qt::ISODate));
    }
    return lines;
}

QList<Todo*> everyTodo(const Pool* pool)
{
    return *pool->samples + *pool->todos;
}

QMap<QString, QStringList> describeByUid(const Pool* pool)
{
    QMap<QString, QStringList> result;
    for (const Todo* todo : everyTodo(pool))
        result.insert(ICalendar::uidOf(todo), describe(todo));
    return result;
}

ICalendarImportReport import(Pool* pool, const QByteArray& text)
{
    return ICalendar::importCalendar(pool, text);
}

// Runs Debian's python3-icalendar on the text and returns what its script prints.
QString readWithPython(const QByteArray& text, const QString& script)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script});
    python.write(text);
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return QStringLiteral("python failed: ") + QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

using Setup = std::function<void(Pool*)>;

QString weekdays(const char* flags)
{
    return QString::fromLatin1(flags);
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestICalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void exportIsReadByOthers();
};

void TestICalendar::roundTrip_data()
{
    QTest::addColumn<Setup>("setup");
    const auto single = [](const QString& zone) {
        return Setup([zone](Pool* pool) {
            addTodo(pool, zone, wallClock(2026, 3, 1, 9, 30), wallClock(2026, 3, 1, 17, 5));
        });
    };
    QTest::newRow("zone +05:45") << single(QStringLiteral("+05:45"));
    QTest::newRow("zone -03:30") << single(QStringLiteral("-03:30"));
    QTest::newRow("zone +14:00") << single(QStringLiteral("+14:00"));
    QTest::newRow("whole days, done, status and format") << Setup([](Pool* pool) {
        Todo* todo = addTodo(pool, QStringLiteral("-03:30"), wallClock(2026, 3, 1),
                             wallClock(2026, 3, 3, 23, 59));
        todo->setFormatString(QStringLiteral("%d, rent; \"now\""));
        todo->setNote(QStringLiteral("Rent"));
        todo->setIsDone(true);
        todo->setStatus(-7);
    });
    QTest::newRow("alarms, attachment, fields") << Setup([](Pool* pool) {
        Todo* todo = addTodo(pool, QStringLiteral("+14:00"), wallClock(2026, 3, 1, 9),
                             wallClock(2026, 3, 1, 10));
        Alarm* alarm = pool->newAlarm();
        alarm->setTodo(todo);
        alarm->setAlarmTime(wallClock(2026, 3, 1, 8, 45));
        alarm->setSnooze(2);
        alarm->setSnoozeInterval(9);
        pool->newAlarm()->setTodo(todo);
        Binary* binary = pool->newBinary();
        binary->setTodo(todo);
        binary->setNote(QStringLiteral("scan \"1\", page; 2"));
        binary->setType(static_cast<BinaryType>(3));
        binary->setSize(77);
        binary->setData(QByteArray("\x00\xff\r\n text", 9));
        Field* field = addField(pool, todo, QStringLiteral("Who, \"exactly\""),
                                QStringLiteral("Ann, Bo; C\\D"));
        field->setDbId(QStringLiteral("db;1"));
        field->setContactId(QStringLiteral("c:2"));
        addField(pool, todo, QStringLiteral("Empty"), QString());
        addField(pool, todo, ICalendar::categoryFieldTypeName(), QStringLiteral("Home"));
        addField(pool, todo, ICalendar::priorityFieldTypeName(), QStringLiteral("3"));
        addField(pool, todo, ICalendar::descriptionFieldTypeName(),
                 QStringLiteral("Line 1\nLine 2"));
    });
    const auto repeating = [](Repeats repeats, const QString& on, int every) {
        return Setup([=](Pool* pool) {
            Todo* sample = pool->newSample();
            sample->setTimeZone(QStringLiteral("+05:45"));
            sample->setStartDate(wallClock(2026, 1, 20, 7, 15));
            sample->setEndDate(wallClock(2026, 1, 20, 8, 0));
            sample->setNote(QStringLiteral("Water plants"));
            Recurrence* rule = addRule(pool, sample, repeats, on, every);
            pool->synchronizeToDatabase();
            if (repeats == Daily) {
                Todo* instance =
                    addTodo(pool, QStringLiteral("+05:45"), wallClock(2026, 1, 21, 7, 15),
                            wallClock(2026, 1, 21, 8, 0));
                instance->setRecurrence(rule);
            }
        });
    };
    QTest::newRow("daily every 3 with an instance") << repeating(Daily, QString(), 3);
    QTest::newRow("daily every 0") << repeating(Daily, QString(), 0);
    QTest::newRow("weekly Mon Wed Sun") << repeating(Weekly, weekdays("1010001"), 2);
    QTest::newRow("monthly on days 1 and 28") << repeating(
        Monthly, QStringLiteral("01") + QString(26, QLatin1Char('0')) + QStringLiteral("1"), 1);
    QTest::newRow("monthly in week 2 on Tue Thu")
        << repeating(Monthly, QStringLiteral("10100000101000"), 2);
    QTest::newRow("monthly in the last week on Fri")
        << repeating(Monthly, QStringLiteral("10000100000100"), 1);
    QTest::newRow("monthly on the last day")
        << repeating(Monthly, QStringLiteral("10000010000000"), 4);
    QTest::newRow("yearly") << repeating(Yearly, QString(), 1);
    QTest::newRow("rule without repetition") << repeating(NoRepeat, QString(), 1);
}

void TestICalendar::roundTrip()
{
    QFETCH(Setup, setup);
    std::unique_ptr<Pool> source = openPool(QStringLiteral("source"));
    setup(source.get());
    source->synchronizeToDatabase();
    const QByteArray text = ICalendar::exportTodos(everyTodo(source.get()));

    std::unique_ptr<Pool> target = openPool(QStringLiteral("target"));
    const ICalendarImportReport first = import(target.get(), text);
    QCOMPARE(first.lines(), QStringList{QStringLiteral("created %1, updated 0, skipped 0")
                                            .arg(everyTodo(source.get()).size())});
    target->synchronizeToDatabase();
    QCOMPARE(describeByUid(target.get()), describeByUid(source.get()));

    // Exported again, the todos keep their UIDs; a second import changes nothing.
    const ICalendarImportReport second =
        import(target.get(), ICalendar::exportTodos(everyTodo(target.get())));
    QCOMPARE(second.created + second.updated, 0);
    QCOMPARE(second.skipped, everyTodo(source.get()).size());
    QCOMPARE(target->unsynchronizedEntities->size(), 0);
    QCOMPARE(describeByUid(target.get()), describeByUid(source.get()));
}

void TestICalendar::exportIsReadByOthers()
{
    std::unique_ptr<Pool> pool = openPool(QStringLiteral("pool"));
    Todo* timed = addTodo(pool.get(), QStringLiteral("+05:45"), wallClock(2026, 3, 1, 9, 30),
                          wallClock(2026, 3, 1, 17, 5));
    Alarm* alarm = pool->newAlarm();
    alarm->setTodo(timed);
    alarm->setAlarmTime(wallClock(2026, 3, 1, 8, 45));
    Binary* binary = pool->newBinary();
    binary->setTodo(timed);
    binary->setData(QByteArray(1000, '\x7f'));
    addField(pool.get(), timed, ICalendar::categoryFieldTypeName(), QStringLiteral("Home"));
    Todo* days = addTodo(pool.get(), QStringLiteral("-03:30"), wallClock(2026, 3, 1),
                         wallClock(2026, 3, 3, 23, 59));
    days->setIsDone(true);
    Todo* sample = pool->newSample();
    sample->setTimeZone(QStringLiteral("+14:00"));
    sample->setStartDate(wallClock(2026, 1, 20, 7, 15));
    sample->setEndDate(wallClock(2026, 1, 20, 8, 0));
    addRule(pool.get(), sample, Weekly, weekdays("1010001"), 2);
    pool->synchronizeToDatabase();
    const QByteArray text = ICalendar::exportTodos({timed, days, sample});

    const QString script = QStringLiteral(
        "import sys, base64, icalendar\n"
        "cal = icalendar.Calendar.from_ical(sys.stdin.buffer.read())\n"
        "print(cal['VERSION'], bool(cal['PRODID']))\n"
        "for t in cal.walk('VTODO'):\n"
        "    out = [t['UID'], t.decoded('DTSTART').isoformat(), t.decoded('DUE').isoformat(),\n"
        "           t['STATUS']]\n"
        "    if 'RRULE' in t: out.append(t['RRULE'].to_ical().decode())\n"
        "    if 'CATEGORIES' in t: out.append(t['CATEGORIES'].to_ical().decode())\n"
        "    for a in t.walk('VALARM'): out.append(a.decoded('TRIGGER').isoformat())\n"
        "    if 'ATTACH' in t: out.append(str(len(base64.b64decode(str(t['ATTACH'])))))\n"
        "    print('|'.join(str(x) for x in out))\n");
    const QStringList expected{
        QStringLiteral("2.0 True"),
        ICalendar::uidOf(timed) +
            QStringLiteral("|2026-03-01T09:30:00+05:45|2026-03-01T17:05:00+05:45|"
                           "NEEDS-ACTION|Home|2026-03-01T03:00:00+00:00|1000"),
        ICalendar::uidOf(days) + QStringLiteral("|2026-03-01|2026-03-04|COMPLETED"),
        ICalendar::uidOf(sample) +
            QStringLiteral("|2026-01-20T07:15:00+14:00|2026-01-20T08:00:00+14:00|"
                           "NEEDS-ACTION|FREQ=WEEKLY;UNTIL=20261231T095900Z;"
                           "INTERVAL=2;BYDAY=MO,WE,SU")};
    QCOMPARE(readWithPython(text, script).split(QLatin1Char('\n')), expected);

    icalcomponent* calendar = icalparser_parse_string(text.constData());
    QVERIFY(calendar);
    QCOMPARE(icalrestriction_check(calendar), 1);
    QCOMPARE(icalcomponent_count_errors(calendar), 0);
    icalcomponent_free(calendar);
}

QTEST_GUILESS_MAIN(TestICalendar)
#include "tst_icalendar.moc"
