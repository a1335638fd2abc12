#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <functional>
#include <libical/ical.h>
#include <memory>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databaseconnector.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/icalendar.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

using OrvelTest::utc;
using OrvelTest::wallClock;

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

// The values as text, separated by spaces (dates in ISO 8601).
QString line(std::initializer_list<QVariant> values)
{
    QStringList texts;
    for (const QVariant& value : values)
        texts << value.toString();
    return texts.join(QLatin1Char(' '));
}

// Everything a todo holds, as text, without the remembered UID and without record ids.
QStringList describe(const Todo* todo)
{
    QStringList lines{line({todo->note, todo->time_zone, todo->start_date, todo->end_date,
                            todo->creation_date, todo->lastModDate, todo->status,
                            todo->format_string, todo->is_done, todo->is_sample})};
    for (const Alarm* alarm : *todo->alarms)
        lines << line(
            {"alarm", alarm->alarm_time, alarm->is_active, alarm->snooze, alarm->snooze_interval});
    for (const Binary* binary : *todo->binaries)
        lines << line({"binary", binary->note, binary->type, binary->size, binary->data->toHex()});
    for (const Field* field : *todo->fields) {
        if (field->fieldType->name != ICalendar::uidFieldTypeName())
            lines << line(
                {"field", field->fieldType->name, field->value, field->db_id, field->contact_id});
    }
    if (const Recurrence* rule = todo->recurrence)
        lines << line({"rule", todo->is_sample, rule->repeats, rule->repeats_every,
                       rule->repeats_on, rule->is_active, rule->range_start, rule->range_end,
                       rule->instancing_date});
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

// libical's own check of the properties each component must and may have; the errors it finds.
int restrictionErrors(const QByteArray& text)
{
    icalcomponent* calendar = icalparser_parse_string(text.constData());
    if (!calendar)
        return -1;
    const int passed = icalrestriction_check(calendar);
    const int errors = icalcomponent_count_errors(calendar);
    icalcomponent_free(calendar);
    return passed == 1 ? errors : errors + 1;
}

using Setup = std::function<void(Pool*)>;

QByteArray calendar(const QByteArray& body, const QByteArray& lineEnd = "\r\n")
{
    QByteArray text =
        "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Test//EN\n" + body + "END:VCALENDAR\n";
    return text.replace("\n", lineEnd);
}

// Dates of an RFC listing: the days first to last of one month, every step days.
QList<QDate> days(int year, int month, int first, int last, int step = 1)
{
    QList<QDate> dates;
    for (int day = first; day <= last; day += step)
        dates.append(QDate(year, month, day));
    return dates;
}

QList<QDate> occurrenceDates(Pool* pool, Recurrence* rule, const QDateTime& to)
{
    Query* query = pool->newQuery();
    query->activeFrom = utc(1997, 1, 1);
    query->activeTo = to;
    query->recurrence = rule;
    query->unfilteredRecurring = true;
    query->sortOrder = Query::StartDateAsc;
    query->execute();
    QList<QDate> dates;
    for (const Todo* occurrence : *query->result)
        dates.append(occurrence->startDate(Stored).date());
    pool->deleteQuery(query);
    return dates;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestICalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<Setup>("setup");
        // Each zone is taken by one row: -03:30, +14:00 and +05:45 for the rules.
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
        QTest::newRow("weekly Mon Wed Sun") << repeating(Weekly, QStringLiteral("1010001"), 2);
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

    void roundTrip()
    {
        QFETCH(Setup, setup);
        std::unique_ptr<Pool> source = openPool(QStringLiteral("source"));
        setup(source.get());
        source->synchronizeToDatabase();
        const QByteArray text = ICalendar::exportTodos(everyTodo(source.get()));
        // python3-icalendar reads such a file in exportIsReadByOthers.
        QCOMPARE(restrictionErrors(text), 0);

        std::unique_ptr<Pool> target = openPool(QStringLiteral("target"));
        const ICalendarImportReport first = ICalendar::importCalendar(target.get(), text);
        QCOMPARE(first.lines(), QStringList{QStringLiteral("created %1, updated 0, skipped 0")
                                                .arg(everyTodo(source.get()).size())});
        target->synchronizeToDatabase();
        QCOMPARE(describeByUid(target.get()), describeByUid(source.get()));

        // Exported again, the todos keep their UIDs; a second import changes nothing.
        const ICalendarImportReport second = ICalendar::importCalendar(
            target.get(), ICalendar::exportTodos(everyTodo(target.get())));
        QCOMPARE(second.created + second.updated, 0);
        QCOMPARE(second.skipped, everyTodo(source.get()).size());
        QCOMPARE(target->unsynchronizedEntities->size(), 0);
        QCOMPARE(describeByUid(target.get()), describeByUid(source.get()));
    }

    void exportIsReadByOthers()
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
        addRule(pool.get(), sample, Weekly, QStringLiteral("1010001"), 2);
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

        QCOMPARE(restrictionErrors(text), 0);
    }

    void rfcTodoExamples()
    {
        std::unique_ptr<Pool> pool = openPool(QStringLiteral("pool"));
        const ICalendarImportReport report = ICalendar::importCalendar(
            pool.get(),
            calendar(
                "BEGIN:VTODO\nUID:20070313T123432Z-456553@example.com\nDTSTAMP:20070313T123432Z\n"
                "DUE;VALUE=DATE:20070501\nSUMMARY:Submit Quebec Income Tax Return for 2006\n"
                "CLASS:CONFIDENTIAL\nCATEGORIES:FAMILY,FINANCE\nSTATUS:NEEDS-ACTION\nEND:VTODO\n"
                "BEGIN:VTODO\nUID:20070514T103211Z-123404@example.com\nDTSTAMP:20070514T103211Z\n"
                "DTSTART:20070514T110000Z\nDUE:20070709T130000Z\nCOMPLETED:20070707T100000Z\n"
                "SUMMARY:Submit Revised Internet-Draft\nPRIORITY:1\nSTATUS:NEEDS-ACTION\nEND:VTODO\n"));
        QCOMPARE(report.lines(), (QStringList{QStringLiteral("created 2, updated 0, skipped 0"),
                                              QStringLiteral("warning: line 9: CLASS dropped")}));
        const Todo* tax = pool->todos->at(0);
        QStringList categories;
        for (const Field* field : tax->fieldByTypeName(ICalendar::categoryFieldTypeName()))
            categories << field->value;
        QCOMPARE(QStringList({tax->note, tax->time_zone, QString::number(tax->is_done),
                              categories.join(QLatin1Char(','))}),
                 QStringList({"Submit Quebec Income Tax Return for 2006", "+05:45", "0",
                              "FAMILY,FINANCE"}));
        // Overdue at midnight of May 1st: due within April 30th, the device's day.
        QCOMPARE(tax->endDate(Stored), wallClock(2007, 4, 30, 23, 59));
        QCOMPARE(tax->lastModDate, QDateTime(QDate(2007, 3, 13), QTime(12, 34, 32), Qt::UTC));
        const Todo* draft = pool->todos->at(1);
        QCOMPARE(QList<QDateTime>({draft->startDate(UTC), draft->endDate(UTC)}),
                 QList<QDateTime>({utc(2007, 5, 14, 11), utc(2007, 7, 9, 13)}));
        QCOMPARE(
            QStringList({draft->time_zone, QString::number(draft->is_done),
                         draft->fieldByTypeName(ICalendar::priorityFieldTypeName()).at(0)->value,
                         ICalendar::uidOf(draft)}),
            QStringList({"+00:00", "1", "1", "20070514T103211Z-123404@example.com"}));
    }

    void rfcRecurrenceExamples_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("rule");
        QTest::addColumn<QDateTime>("until");
        // The dates RFC 5545 section 3.8.5.3 lists; an empty list marks a rule the library cannot
        // represent, with the part the warning must name.
        QTest::addColumn<QList<QDate>>("dates");
        QTest::addColumn<QString>("dropped");
        const auto row = [](const char* name, const char* start, const char* rule,
                            const QDateTime& until, const QList<QDate>& dates,
                            const char* dropped = "") {
            QTest::newRow(name) << QByteArray(start) << QByteArray(rule) << until << dates
                                << QString::fromLatin1(dropped);
        };
        const char* sep2 = "19970902T090000";
        const QDateTime later = utc(1998, 12, 31);
        row("daily until December 24", sep2, "FREQ=DAILY;UNTIL=19971224T000000Z", later,
            days(1997, 9, 2, 30) + days(1997, 10, 1, 31) + days(1997, 11, 1, 30) +
                days(1997, 12, 1, 23));
        row("every other day", sep2, "FREQ=DAILY;INTERVAL=2", utc(1997, 11, 5, 12),
            days(1997, 9, 2, 30, 2) + days(1997, 10, 2, 30, 2) + days(1997, 11, 1, 5, 2));
        row("every other week", sep2, "FREQ=WEEKLY;INTERVAL=2;WKST=SU", utc(1998, 2, 17, 12),
            days(1997, 9, 2, 30, 14) + days(1997, 10, 14, 28, 14) + days(1997, 11, 11, 25, 14) +
                days(1997, 12, 9, 23, 14) + days(1998, 1, 6, 20, 14) + days(1998, 2, 3, 17, 14));
        row("every other week on Monday, Wednesday and Friday", "19970901T090000",
            "FREQ=WEEKLY;INTERVAL=2;UNTIL=19971224T000000Z;WKST=SU;BYDAY=MO,WE,FR", later,
            QList<QDate>{
                {1997, 9, 1},   {1997, 9, 3},   {1997, 9, 5},   {1997, 9, 15},  {1997, 9, 17},
                {1997, 9, 19},  {1997, 9, 29},  {1997, 10, 1},  {1997, 10, 3},  {1997, 10, 13},
                {1997, 10, 15}, {1997, 10, 17}, {1997, 10, 27}, {1997, 10, 29}, {1997, 10, 31},
                {1997, 11, 10}, {1997, 11, 12}, {1997, 11, 14}, {1997, 11, 24}, {1997, 11, 26},
                {1997, 11, 28}, {1997, 12, 8},  {1997, 12, 10}, {1997, 12, 12}, {1997, 12, 22}});
        row("monthly on the first Friday", "19970905T090000",
            "FREQ=MONTHLY;UNTIL=19971224T000000Z;BYDAY=1FR", later,
            {{1997, 9, 5}, {1997, 10, 3}, {1997, 11, 7}, {1997, 12, 5}});
        row("daily for 10 occurrences", sep2, "FREQ=DAILY;COUNT=10", later, {}, "COUNT");
        row("every 3 hours", sep2, "FREQ=HOURLY;INTERVAL=3;UNTIL=19970902T170000Z", later, {},
            "FREQ=HOURLY");
        row("second-to-last weekday", "19970929T090000",
            "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-2", later, {}, "BYSETPOS");
        row("first and last Sunday", "19970907T090000", "FREQ=MONTHLY;INTERVAL=2;BYDAY=1SU,-1SU",
            later, {}, "several ordinals");
        row("every Friday the 13th", sep2,
            "FREQ=MONTHLY;BYDAY=FR;BYMONTHDAY=13\nEXDATE;TZID=America/New_York:19970902T090000",
            later, {}, "EXDATE");
    }

    void rfcRecurrenceExamples()
    {
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, rule);
        QFETCH(QDateTime, until);
        QFETCH(QList<QDate>, dates);
        QFETCH(QString, dropped);
        std::unique_ptr<Pool> pool = openPool(QStringLiteral("pool"));
        const ICalendarImportReport report = ICalendar::importCalendar(
            pool.get(), calendar("BEGIN:VTODO\nUID:rule@example.com\nDTSTAMP:19970901T130000Z\n"
                                 "DTSTART;TZID=America/New_York:" +
                                 start + "\nRRULE:" + rule + "\nEND:VTODO\n"));
        QVERIFY2(report.isValid(), qPrintable(report.error));
        if (dates.isEmpty()) {
            QCOMPARE(report.warnings.size(), 1);
            QVERIFY2(
                report.warnings.at(0).startsWith(QStringLiteral("line 8: repetition RRULE:")) &&
                    report.warnings.at(0).contains(dropped),
                qPrintable(report.warnings.at(0)));
            QCOMPARE(pool->todos->size(), 1);
            QCOMPARE(pool->recurrences->size(), 0);
            return;
        }
        QCOMPARE(report.warnings, QStringList());
        QCOMPARE(pool->samples->size(), 1);
        // The sample is the first date of the set; the rule yields the following ones.
        const Todo* sample = pool->samples->at(0);
        QCOMPARE(sample->startDate(Stored), QDateTime(dates.first(), QTime(9, 0), Qt::LocalTime));
        QCOMPARE(occurrenceDates(pool.get(), sample->recurrence, until), dates.mid(1));
    }

    // Rules from other programs, read into a kind and the flags of repeats_on: for monthly ones
    // "0" and days 1 to 28, or "1", weeks 1 to 4, the last week, the last day and the weekdays
    // from Monday. A rule that cannot be held is dropped with a warning naming the part.
    void foreignRules_data()
    {
        QTest::addColumn<QByteArray>("rule");
        QTest::addColumn<int>("repeats");       // -1: dropped
        QTest::addColumn<QString>("repeatsOn"); // or the part of the warning for a dropped rule
        const auto row = [](const char* rule, int repeats, const char* repeatsOn) {
            QTest::newRow(rule) << QByteArray(rule) << repeats << QString::fromLatin1(repeatsOn);
        };
        row("FREQ=MONTHLY;BYMONTHDAY=-1", Monthly, "10000010000000");
        row("FREQ=MONTHLY;BYMONTHDAY=1,28", Monthly, "01000000000000000000000000001");
        row("FREQ=MONTHLY;INTERVAL=2", Monthly, "00000000000000000000100000000"); // the 20th
        row("FREQ=MONTHLY;BYMONTHDAY=29", -1, "BYMONTHDAY=29");
        row("FREQ=MONTHLY;BYDAY=4MO", Monthly, "10001001000000");
        row("FREQ=MONTHLY;BYDAY=-1FR", Monthly, "10000100000100");
        row("FREQ=MONTHLY;BYDAY=5MO", -1, "BYDAY with the ordinal 5");
        row("FREQ=MONTHLY;BYDAY=-2MO", -1, "BYDAY with the ordinal -2");
        row("FREQ=MONTHLY;BYDAY=FR", -1, "BYDAY without ordinal in a monthly rule");
        row("FREQ=YEARLY;BYMONTH=1;BYMONTHDAY=20", Yearly, "");
        row("FREQ=YEARLY;BYMONTHDAY=21", -1, "BYMONTHDAY or BYDAY in a yearly rule");
    }

    void foreignRules()
    {
        QFETCH(QByteArray, rule);
        QFETCH(int, repeats);
        QFETCH(QString, repeatsOn);
        std::unique_ptr<Pool> pool = openPool(QStringLiteral("pool"));
        const ICalendarImportReport report = ICalendar::importCalendar(
            pool.get(), calendar("BEGIN:VTODO\nUID:r\nDTSTART:20260120T091500Z\nRRULE:" + rule +
                                 "\nEND:VTODO\n"));
        if (repeats < 0) {
            QCOMPARE(report.warnings.size(), 1);
            QVERIFY2(report.warnings.at(0).contains(repeatsOn), qPrintable(report.warnings.at(0)));
            QCOMPARE(pool->recurrences->size(), 0);
            return;
        }
        QCOMPARE(report.warnings, QStringList());
        QCOMPARE(pool->recurrences->size(), 1);
        QCOMPARE(int(pool->recurrences->at(0)->repeats), repeats);
        QCOMPARE(pool->recurrences->at(0)->repeats_on, repeatsOn);
    }

    void ruleWithoutDatesIsDropped()
    {
        std::unique_ptr<Pool> pool = openPool(QStringLiteral("pool"));
        const ICalendarImportReport report = ICalendar::importCalendar(
            pool.get(), calendar("BEGIN:VTODO\nUID:r\nRRULE:FREQ=WEEKLY\nEND:VTODO\n"));
        QCOMPARE(report.warnings.size(), 1);
        QVERIFY2(report.warnings.at(0).contains(QLatin1String("a rule without DTSTART")),
                 qPrintable(report.warnings.at(0)));
        QCOMPARE(pool->recurrences->size(), 0);
    }

    void foreignInput_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QStringList>("warnings");
        const QByteArray zone =
            "BEGIN:VTIMEZONE\nTZID:Custom/Berlin\nBEGIN:STANDARD\nDTSTART:19701025T030000\n"
            "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\nTZOFFSETFROM:+0200\nTZOFFSETTO:+0100\nEND:STANDARD\n"
            "BEGIN:DAYLIGHT\nDTSTART:19700329T020000\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\n"
            "TZOFFSETFROM:+0100\nTZOFFSETTO:+0200\nEND:DAYLIGHT\nEND:VTIMEZONE\n";
        const QByteArray todo =
            "BEGIN:VTODO\nUID:u1\nSUMMARY:Buy milk and\n  bread\nLOCATION:Shop\n";
        QTest::newRow("TZID with its VTIMEZONE, summer")
            << calendar(
                   zone + todo +
                   "DTSTART;TZID=Custom/Berlin:20260701T100000\nDUE;TZID=Custom/Berlin:20261101T100000\nEND:VTODO\n")
            << utc(2026, 7, 1, 8) << utc(2026, 11, 1, 9) << QStringLiteral("+02:00")
            << QStringLiteral("Buy milk and bread")
            << QStringList{QStringLiteral("line 23: LOCATION dropped")};
        QTest::newRow("DURATION, LF line ends")
            << calendar(todo + "DTSTART:20260301T100000Z\nDURATION:PT1H30M\nEND:VTODO\n", "\n")
            << utc(2026, 3, 1, 10) << utc(2026, 3, 1, 11, 30) << QStringLiteral("+00:00")
            << QStringLiteral("Buy milk and bread")
            << QStringList{QStringLiteral("line 8: LOCATION dropped")};
        QTest::newRow("floating time, byte order mark")
            << "\xEF\xBB\xBF" + calendar(todo + "DTSTART:20260301T100000\nEND:VTODO\n")
            << utc(2026, 3, 1, 4, 15) << utc(2026, 3, 1, 4, 15) << QStringLiteral("+05:45")
            << QStringLiteral("Buy milk and bread")
            << QStringList{QStringLiteral("line 8: LOCATION dropped")};
        QTest::newRow("relative alarm, empty value, unknown component")
            << calendar(
                   "BEGIN:VTODO\nUID:u2\nDESCRIPTION:\nDTSTART:20260301T100000Z\nBEGIN:VALARM\nACTION:AUDIO\n"
                   "TRIGGER;RELATED=END:-PT15M\nEND:VALARM\nBEGIN:X-THING\nEND:X-THING\nEND:VTODO\nBEGIN:VJOURNAL\nUID:j\nEND:VJOURNAL\n")
            << utc(2026, 3, 1, 10) << utc(2026, 3, 1, 10) << QStringLiteral("+00:00") << QString()
            << QStringList{QStringLiteral("line 6: DESCRIPTION without value dropped"),
                           QStringLiteral("line 12: X-THING inside VTODO dropped"),
                           QStringLiteral("line 15: VJOURNAL skipped: only to-dos are imported")};
    }

    void foreignInput()
    {
        QFETCH(QByteArray, text);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        QFETCH(QString, zone);
        QFETCH(QString, note);
        QFETCH(QStringList, warnings);
        std::unique_ptr<Pool> pool = openPool(QStringLiteral("pool"));
        const ICalendarImportReport report = ICalendar::importCalendar(pool.get(), text);
        QVERIFY2(report.isValid(), qPrintable(report.error));
        QCOMPARE(report.warnings, warnings);
        QCOMPARE(pool->todos->size(), 1);
        const Todo* todo = pool->todos->at(0);
        QCOMPARE(todo->startDate(UTC), start);
        QCOMPARE(todo->endDate(UTC), end);
        QCOMPARE(todo->time_zone, zone);
        QCOMPARE(todo->note, note);
        QCOMPARE(int(todo->alarms->size()), int(text.count("BEGIN:VALARM")));
        for (const Alarm* alarm : *todo->alarms)
            QCOMPARE(alarm->alarmTime(UTC), end.addSecs(-15 * 60));
    }

    void newerLastModifiedWins()
    {
        std::unique_ptr<Pool> pool = openPool(QStringLiteral("pool"));
        // Writing stamps a record with the (frozen) current time, 2026-01-15; the versions are
        // later. The update has one category less: the value taken off is deleted with the next
        // write.
        const auto version = [](const QByteArray& modified, const QByteArray& summary) {
            return calendar("BEGIN:VTODO\nUID:same\nDTSTART:20260301T100000Z\nLAST-MODIFIED:" +
                            modified + "\nSUMMARY:" + summary +
                            "\nCATEGORIES:" + (summary == "first" ? "A,B" : "C") + "\nEND:VTODO\n");
        };
        QCOMPARE(
            ICalendar::importCalendar(pool.get(), version("20260201T000000Z", "first")).created, 1);
        pool->synchronizeToDatabase();
        QCOMPARE(
            ICalendar::importCalendar(pool.get(), version("20260202T000000Z", "second")).updated,
            1);
        QCOMPARE(
            ICalendar::importCalendar(pool.get(), version("20260201T120000Z", "older")).skipped, 1);
        QCOMPARE(pool->todos->size(), 1);
        QCOMPARE(pool->todos->at(0)->note, QStringLiteral("second"));
        QCOMPARE(pool->todos->at(0)->fields->size(), 2);
        QCOMPARE(pool->todos->at(0)->lastModDate, utc(2026, 2, 2));
        pool->synchronizeToDatabase();
        QCOMPARE(OrvelTest::sqlite3(pool->connector->databasePath,
                                    QStringLiteral("SELECT value FROM FIELD ORDER BY field_id;")),
                 QStringLiteral("C\nsame"));
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("error");
        const QByteArray head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:x\r\n";
        const auto inTodo = [head](const char* lines) {
            return head + lines + "END:VTODO\r\nEND:VCALENDAR\r\n";
        };
        const auto row = [](const char* name, const QByteArray& text, int line, const char* error) {
            QTest::newRow(name) << text << line << QString::fromUtf8(error);
        };
        row("truncated component", head + "SUMMARY:cut he", 3,
            "BEGIN:VTODO is never closed by END:VTODO");
        row("END without BEGIN", "END:VTODO\r\n", 1, "END:VTODO without BEGIN:VTODO");
        row("END of another component", inTodo("END:VALARM\r\n"), 5,
            "END:VALARM where END:VTODO was expected (BEGIN on line 3)");
        row("invalid date", inTodo("DTSTART:20261340T250000Z\r\n"), 5, "");
        row("invalid offset",
            "BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:Bad\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000"
            "\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+9900\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\nEND:VCALENDAR\r\n",
            7, "");
        row("unknown value type", inTodo("DTSTART;VALUE=FANCY:20260101\r\n"), 5, "");
        row("non-UTF-8 bytes", inTodo("SUMMARY:caf\xe9\r\n"), 5, "the text is not UTF-8 (byte 62)");
        row("broken attachment", inTodo("ATTACH;ENCODING=BASE64;VALUE=BINARY:@@@@\r\n"), 5,
            "ATTACH holds no valid base64 data");
        row("not iCalendar", "hello\r\n", 1,
            "content outside of BEGIN:VCALENDAR and END:VCALENDAR");
        row("only events",
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:e\r\nDTSTART:20260101T100000Z\r\n"
            "END:VEVENT\r\nEND:VCALENDAR\r\n",
            0, "line 3: VEVENT skipped: only to-dos are imported");
    }

    void badInput()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, line);
        QFETCH(QString, error);
        std::unique_ptr<Pool> pool = openPool(QStringLiteral("pool"));
        addTodo(pool.get(), QStringLiteral("+05:45"), wallClock(2026, 3, 1, 9),
                wallClock(2026, 3, 1, 10));
        pool->synchronizeToDatabase();
        const QString database = pool->connector->databasePath;
        const QString before = OrvelTest::sqlite3(
            database, QStringLiteral("SELECT * FROM TODO_PROJECT; SELECT * FROM FIELD_TYPE;"));

        const ICalendarImportReport report = ICalendar::importCalendar(pool.get(), text);
        QCOMPARE(report.errorLine, line);
        QVERIFY2(error.isEmpty() || report.lines().contains(
                                        line ? QStringLiteral("line %1: %2").arg(line).arg(error)
                                             : QStringLiteral("warning: ") + error),
                 qPrintable(report.lines().join(QLatin1Char('\n'))));
        QCOMPARE(report.created + report.updated, 0);
        QCOMPARE(pool->todos->size() + pool->samples->size() + pool->fieldTypes->size(), 1);
        QCOMPARE(pool->unsynchronizedEntities->size(), 0);
        pool->synchronizeToDatabase();
        QCOMPARE(
            OrvelTest::sqlite3(
                database, QStringLiteral("SELECT * FROM TODO_PROJECT; SELECT * FROM FIELD_TYPE;")),
            before);
    }

    void largeAttachment()
    {
        std::unique_ptr<Pool> source = openPool(QStringLiteral("source"));
        Todo* todo = addTodo(source.get(), QStringLiteral("+05:45"), wallClock(2026, 3, 1, 9),
                             wallClock(2026, 3, 1, 10));
        Binary* binary = source->newBinary();
        binary->setTodo(todo);
        QByteArray bytes(10 * 1024 * 1024, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 7 % 251);
        binary->setData(bytes);
        binary->setSize(bytes.size());
        source->synchronizeToDatabase();
        binary->freeBinaryData();
        const QByteArray text = ICalendar::exportTodos({todo});
        QVERIFY(binary->data->isEmpty());

        std::unique_ptr<Pool> target = openPool(QStringLiteral("target"));
        QCOMPARE(ICalendar::importCalendar(target.get(), text).created, 1);
        const Binary* copy = target->binaries->at(0);
        QCOMPARE(copy->size, bytes.size());
        QVERIFY(*copy->data == bytes);
    }
};

QTEST_GUILESS_MAIN(TestICalendar)
#include "tst_icalendar.moc"
