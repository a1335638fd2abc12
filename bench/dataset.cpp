#include "dataset.h"

#include <QByteArray>
#include <QDateTime>
#include <QTime>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Bench {

namespace {

// Fixed, so that every run builds the same records.
constexpr quint32 randomSeed = 20150114;

constexpr int daysInThreeYears = 3 * 365;
constexpr int attachmentBytes = 1024;
constexpr int attachmentEvery = 10;
constexpr int todosPerRepeatingTodo = 100;

const char* const verbs[] = {"Call",  "Buy", "Write", "Fix",   "Plan",  "Review", "Send", "Book",
                             "Clean", "Pay", "Meet",  "Check", "Order", "Return", "Print"};
const char* const objects[] = {"report",  "milk",    "invoice", "car",     "trip",    "garden",
                               "letter",  "tickets", "dentist", "bank",    "slides",  "parcel",
                               "plumber", "budget",  "photos",  "kitchen", "library", "insurance"};
const char* const colours[] = {"red", "blue", "green", "amber", "violet"};

template <typename T, std::size_t size> int countOf(const T (&)[size])
{
    return int(size);
}

struct RecurrenceKind
{
    Orvel::Repeats repeats;
    const char* pattern;
};

// One rule of every kind the occurrence computation distinguishes.
constexpr char weekdaysMonWedFri[] = "1010100";
constexpr char monthDays1And15[] = "0"
                                   "1000000000000010000000000000";
constexpr char secondWeekTuesday[] = "1"
                                     "01000"
                                     "0"
                                     "0100000";
constexpr char lastDayOfMonth[] = "1"
                                  "00000"
                                  "1"
                                  "0000000";
static_assert(sizeof(monthDays1And15) - 1 == 29, "day-of-month pattern has 29 positions");
static_assert(sizeof(secondWeekTuesday) - 1 == 14, "week-of-month pattern has 14 positions");
static_assert(sizeof(lastDayOfMonth) - 1 == 14, "last-day pattern has 14 positions");

const RecurrenceKind recurrenceKinds[] = {
    {Orvel::Daily, ""},
    {Orvel::Weekly, weekdaysMonWedFri},
    {Orvel::Monthly, monthDays1And15},
    {Orvel::Monthly, secondWeekTuesday},
    {Orvel::Monthly, lastDayOfMonth},
    {Orvel::Yearly, ""},
};

} // namespace

const QString Dataset::filterText = QStringLiteral("blue");
const QDate Dataset::firstDay = QDate(2014, 1, 1);

Dataset::Dataset(Orvel::Pool& pool, int todoCount)
    : m_pool(pool), m_todoCount(todoCount), m_random(randomSeed)
{}

void Dataset::build()
{
    makeFieldTypes();
    for (int index = 0; index < m_todoCount; ++index)
        makeTodo(index);
    for (int index = 0; index < m_todoCount / todosPerRepeatingTodo; ++index)
        makeRepeatingTodo(index);
}

void Dataset::makeFieldTypes()
{
    for (int index = 1; index <= fieldTypeCount; ++index) {
        Orvel::FieldType* type = m_pool.newFieldType();
        type->setName(QStringLiteral("Field type %1").arg(index));
        m_fieldTypes.append(type);
    }
}

QDateTime Dataset::randomStart(const QDate& from, int days)
{
    const QDate day = from.addDays(m_random.bounded(days));
    const QTime time(8 + m_random.bounded(12), 15 * m_random.bounded(4));
    return QDateTime(day, time, Qt::LocalTime);
}

void Dataset::makeTodo(int index)
{
    Orvel::Todo* todo = m_pool.newTodo();
    QDateTime start = randomStart(firstDay, daysInThreeYears);
    QDateTime end = start.addSecs(60 * (30 + 30 * m_random.bounded(6)));
    if (m_random.bounded(4) == 0) {
        // Every fourth todo takes the whole day, which the readable date words differently.
        start.setTime(QTime(0, 0));
        end = QDateTime(start.date(), QTime(23, 59), Qt::LocalTime);
    }
    todo->setStartDate(start);
    todo->setEndDate(end);
    // No setter exists for the creation date; an importing front end writes the member. Spread
    // creation dates give the creation-date orders real work instead of a run of equal keys.
    todo->creation_date = QDateTime(start.date().addDays(-m_random.bounded(60)),
                                    QTime(m_random.bounded(24), m_random.bounded(60),
                                          m_random.bounded(60), m_random.bounded(1000)),
                                    Qt::UTC);
    todo->setIsDone(m_random.bounded(4) == 0);

    // Zero, one or two of each: one on average.
    const int fieldTypeIndex = addFields(todo, m_random.bounded(3));
    addAlarms(todo, start, m_random.bounded(3));
    if (index % attachmentEvery == 0)
        addAttachment(todo, index);
    todo->setFormatString(formatStringFor(fieldTypeIndex));
}

void Dataset::makeRepeatingTodo(int index)
{
    Orvel::Todo* sample = m_pool.newSample();
    const QDateTime start = randomStart(firstDay.addYears(1), 60);
    sample->setStartDate(start);
    sample->setEndDate(start.addSecs(3600));
    const int fieldTypeIndex = addFields(sample, 1);
    addAlarms(sample, start, 1);
    sample->setFormatString(formatStringFor(fieldTypeIndex));

    const RecurrenceKind& kind = recurrenceKinds[index % countOf(recurrenceKinds)];
    Orvel::Recurrence* recurrence = m_pool.newRecurrence();
    recurrence->setRepeats(kind.repeats);
    if (kind.pattern[0] != '\0')
        recurrence->setRepeatsOn(QString::fromLatin1(kind.pattern));
    recurrence->setRepeatsEvery(1 + (index / countOf(recurrenceKinds)) % 2);
    recurrence->setIsActive(true);
    // The range is wall-clock time in the sample's zone, so the sample comes first.
    recurrence->setSample(sample);
    recurrence->setRangeStart(QDateTime(firstDay, QTime(0, 0), Qt::LocalTime));
    recurrence->setRangeEnd(
        QDateTime(firstDay.addDays(daysInThreeYears), QTime(23, 59), Qt::LocalTime));
}

int Dataset::randomFieldTypeIndex()
{
    return m_random.bounded(fieldTypeCount);
}

int Dataset::addFields(Orvel::Todo* todo, int count)
{
    int firstTypeIndex = -1;
    for (int i = 0; i < count; ++i) {
        const int typeIndex = randomFieldTypeIndex();
        if (i == 0)
            firstTypeIndex = typeIndex;
        Orvel::Field* field = m_pool.newField();
        field->setValue(QStringLiteral("%1 %2")
                            .arg(QLatin1String(colours[m_random.bounded(countOf(colours))]))
                            .arg(m_random.bounded(1000)));
        field->setFieldType(m_fieldTypes.at(typeIndex));
        field->setTodo(todo);
    }
    return firstTypeIndex;
}

void Dataset::addAlarms(Orvel::Todo* todo, const QDateTime& start, int count)
{
    for (int i = 0; i < count; ++i) {
        Orvel::Alarm* alarm = m_pool.newAlarm();
        // The parent first: the alarm time is wall-clock time in the parent's zone.
        alarm->setTodo(todo);
        alarm->setAlarmTime(start.addSecs(-15 * 60 * (i + 1)));
        alarm->setIsActive(m_random.bounded(2) == 0);
    }
}

void Dataset::addAttachment(Orvel::Todo* todo, int index)
{
    Orvel::Binary* binary = m_pool.newBinary();
    binary->setNote(QStringLiteral("Scan %1").arg(index));
    binary->setData(QByteArray(attachmentBytes, char('A' + index % 26)));
    binary->setSize(attachmentBytes);
    binary->setTodo(todo);
}

QString Dataset::formatStringFor(int fieldTypeIndex)
{
    // The type of the todo's first field, so that the placeholder usually expands to a value.
    const int fieldTypeId = (fieldTypeIndex >= 0 ? fieldTypeIndex : randomFieldTypeIndex()) + 1;
    // For example "Call dentist %4% %-1%": words, a field value and the readable date.
    return QLatin1String(verbs[m_random.bounded(countOf(verbs))]) + QLatin1Char(' ') +
           QLatin1String(objects[m_random.bounded(countOf(objects))]) + QStringLiteral(" %") +
           QString::number(fieldTypeId) + QStringLiteral("% %-1%");
}

} // namespace Bench
