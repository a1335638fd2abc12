#include "debug/log.h"
#include "entity/repeatsonlayout_p.h"

#include <orvel/alarm.h>
#include <orvel/field.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char invalidRuleMessage[] = "Invalid recurring todo query!";
const char missingIntervalMessage[] =
    "Can't query recurring todos, set the active query interval first!";

// Positions of the monthly pattern by week of the month.
using namespace RepeatsOnLayout;
// Plus dayOfWeek(): 7 = Monday to 13 = Sunday.
const int weekdayPositionBase = firstWeekdayPosition - 1;

QDateTime noOccurrence()
{
    return QDateTime(QDate(0, 0, 0), QTime(0, 0, 0, 0), Qt::LocalTime);
}

// Occurrences are computed within the years 1 to 9999, the dates the database layout holds.
// Rule fields and dates come from the database or the front end unchecked: bounding the dates
// bounds every walk (at most one step per day of those years), and bounding the interval keeps
// every step far inside the ranges of QDate's arithmetic, which overflows for intervals near
// INT_MAX. A rule whose next occurrence would leave these years has none.
const QDate firstWalkDate(1, 1, 1);
const QDate lastWalkDate(9999, 12, 31);
const qint64 walkDays = 3652058; // firstWalkDate.daysTo(lastWalkDate)
const qint64 walkMonths = 9999 * 12;
const qint64 walkYears = 9999;

bool isWithinWalk(const QDateTime& dateTime)
{
    return dateTime.isValid() && firstWalkDate <= dateTime.date() &&
           dateTime.date() <= lastWalkDate;
}

// The longest interval of each kind whose step can still land within the walk's years.
qint64 longestInterval(Repeats repeats)
{
    switch (repeats) {
    case Daily:
        return walkDays;
    case Weekly:
        return walkDays / 7;
    case Monthly:
        return walkMonths;
    case Yearly:
        return walkYears;
    case NoRepeat:
        break;
    }
    return 0;
}

int every(const Recurrence* rule)
{
    return rule->repeats_every > 0 ? rule->repeats_every : 1;
}

bool isChosen(const QString& pattern, int position)
{
    return position < pattern.size() && pattern.at(position) == QLatin1Char('1');
}

bool isWeekdayChosen(const QString& pattern, const QDate& date)
{
    return isChosen(pattern, weekdayPositionBase + date.dayOfWeek());
}

int weekOfMonth(const QDate& date)
{
    return (date.day() - 1) / 7 + 1;
}

QDateTime withDay(const QDateTime& dateTime, int day)
{
    QDateTime moved = dateTime;
    const QDate date = dateTime.date();
    moved.setDate(QDate(date.year(), date.month(), day));
    return moved;
}

QDateTime nextWeekly(const Recurrence* rule, const QDateTime& from)
{
    QDateTime next = from;
    bool crossedMonday = false;
    for (int step = 0; step < 7; ++step) {
        next = next.addDays(1);
        const int weekday = next.date().dayOfWeek();
        if (weekday == Qt::Monday)
            crossedMonday = true;
        if (isChosen(rule->repeats_on, weekday - 1))
            break;
    }
    if (crossedMonday && rule->repeats_every > 0)
        return next.addDays(qint64(7) * (rule->repeats_every - 1));
    return next;
}

// Days 29 to 31 cannot be chosen: from day 28 on, the step goes to the next month, landing on
// its first day from day 28 and a few days further from a later day.
QDateTime nextMonthlyByDay(const Recurrence* rule, const QDateTime& from)
{
    QDateTime next = from;
    bool wrapped = false;
    for (int step = 0; step < 28; ++step) {
        const QDate date = next.date();
        if (date.day() > 27) {
            next = next.addDays(date.daysInMonth() - 27);
            wrapped = true;
        } else {
            next = next.addDays(1);
        }
        if (isChosen(rule->repeats_on, next.date().day()))
            break;
    }
    if (wrapped && rule->repeats_every > 0)
        return next.addMonths(rule->repeats_every - 1);
    return next;
}

struct WeekdayScan
{
    int days;
    bool leftUnit;
};

// Walks the seven days after from up to the next chosen weekday, noting whether it left the
// unit (week of the month, or month) that from lies in.
template <typename SameUnit>
WeekdayScan scanForChosenWeekday(const QString& pattern, const QDate& from, SameUnit sameUnit)
{
    WeekdayScan scan{0, false};
    for (int days = 1; days <= 7; ++days) {
        const QDate candidate = from.addDays(days);
        scan.days = days;
        if (!sameUnit(from, candidate))
            scan.leftUnit = true;
        if (isWeekdayChosen(pattern, candidate))
            break;
    }
    return scan;
}

// The first chosen weekday among the seven days after dayBefore; the seventh day when none of
// the first six is chosen.
QDateTime firstChosenWeekdayAfter(const QString& pattern, const QDateTime& dayBefore)
{
    for (int days = 1; days <= 6; ++days) {
        if (isWeekdayChosen(pattern, dayBefore.date().addDays(days)))
            return dayBefore.addDays(days);
    }
    return dayBefore.addDays(7);
}

QDateTime nextInWeekOfMonth(const Recurrence* rule, const QDateTime& from, int week)
{
    const WeekdayScan scan =
        scanForChosenWeekday(rule->repeats_on, from.date(), [](const QDate& a, const QDate& b) {
            return weekOfMonth(a) == weekOfMonth(b);
        });
    if (!scan.leftUnit)
        return from.addDays(scan.days);
    const QDateTime weekStart = withDay(from, 7 * week - 6).addMonths(every(rule));
    return firstChosenWeekdayAfter(rule->repeats_on, weekStart.addDays(-1));
}

QDateTime nextInLastWeek(const Recurrence* rule, const QDateTime& from)
{
    const WeekdayScan scan =
        scanForChosenWeekday(rule->repeats_on, from.date(),
                             [](const QDate& a, const QDate& b) { return a.month() == b.month(); });
    if (!scan.leftUnit)
        return from.addDays(scan.days);
    const QDateTime month = from.addDays(-7).addMonths(every(rule));
    const QDateTime dayBefore = withDay(month, month.date().daysInMonth() - 7);
    return firstChosenWeekdayAfter(rule->repeats_on, dayBefore);
}

QDateTime nextLastDay(const Recurrence* rule, const QDateTime& from)
{
    const QDateTime month = withDay(from, 1).addMonths(every(rule));
    return withDay(month, month.date().daysInMonth());
}

// The first of the week positions 1 to 6 that is chosen; a validated pattern chooses the last
// day (position 6) when it chooses none of the weeks.
int chosenWeekPosition(const QString& pattern)
{
    int position = 1;
    while (position < lastDayPosition && !isChosen(pattern, position))
        ++position;
    return position;
}

QDateTime nextMonthlyByWeek(const Recurrence* rule, const QDateTime& from)
{
    const int position = chosenWeekPosition(rule->repeats_on);
    if (position < lastWeekPosition)
        return nextInWeekOfMonth(rule, from, position);
    if (position == lastWeekPosition)
        return nextInLastWeek(rule, from);
    return nextLastDay(rule, from);
}

bool producesOccurrences(const Recurrence* rule)
{
    return rule->repeats != NoRepeat && rule->is_active && rule->sample;
}

const QDateTime& earlierOf(const QDateTime& a, const QDateTime& b)
{
    return b < a ? b : a;
}

const QDateTime& laterOf(const QDateTime& a, const QDateTime& b)
{
    return a < b ? b : a;
}

QDateTime nextByRule(const Recurrence* recurrence, const QDateTime& from)
{
    switch (recurrence->repeats) {
    case NoRepeat:
        return noOccurrence();
    case Daily:
        return from.addDays(every(recurrence));
    case Weekly:
        return nextWeekly(recurrence, from);
    case Monthly:
        if (recurrence->repeats_on.at(0) == QLatin1Char('0'))
            return nextMonthlyByDay(recurrence, from);
        return nextMonthlyByWeek(recurrence, from);
    case Yearly:
        return from.addYears(every(recurrence));
    }
    oError() << invalidRuleMessage;
    return noOccurrence();
}

} // namespace

QDateTime Query::nextOccurance(Recurrence* recurrence, const QDateTime& from)
{
    if (!recurrence->checkRepeats() || !from.isValid())
        return noOccurrence();
    if (!isWithinWalk(from) || recurrence->repeats_every > longestInterval(recurrence->repeats))
        return noOccurrence();
    const QDateTime next = nextByRule(recurrence, from);
    return isWithinWalk(next) ? next : noOccurrence();
}

bool Query::computeRecurringTodos()
{
    if (!activeFrom.isValid() || !activeTo.isValid()) {
        oWarning() << missingIntervalMessage;
        return false;
    }
    const QList<Recurrence*> rules = rulesToCompute();
    for (Recurrence* rule : rules) {
        if (!producesOccurrences(rule))
            continue;
        if (nextOccurrenceOnly)
            makeNextOccurrence(rule);
        else
            makeOccurrencesInInterval(rule);
    }
    return true;
}

// A query made without the pool's list of recurrences has no rules to compute.
QList<Recurrence*> Query::rulesToCompute() const
{
    if (recurrence)
        return QList<Recurrence*>{recurrence};
    if (recurrences)
        return *recurrences;
    return QList<Recurrence*>();
}

// An invalid next occurrence means the rule has none; it would also compare earlier than
// every bound and never end the walk.
void Query::makeNextOccurrence(Recurrence* rule)
{
    Todo* sample = rule->sample;
    const QDateTime start = sample->startDate(Stored);
    const QDateTime next = nextOccurance(rule, start);
    if (next.isValid() && !(rule->rangeEnd(Stored) < next))
        makeTodoFromSample(sample, nullptr, sample->recurrence, start.daysTo(next));
}

void Query::makeOccurrencesInInterval(Recurrence* rule)
{
    Todo* sample = rule->sample;
    const QDateTime rangeStart = rule->rangeStart(Stored);
    const QDateTime rangeEnd = rule->rangeEnd(Stored);
    if (rangeEnd < activeFrom || activeTo < rangeStart)
        return;
    const QDateTime start = sample->startDate(Stored);
    const QDateTime begin = laterOf(laterOf(activeFrom, rangeStart), rule->instancingDate(UTC));
    const QDateTime end = earlierOf(rangeEnd, activeTo);
    QDateTime occurrence = nextOccurance(rule, start);
    while (occurrence.isValid() && occurrence < begin)
        occurrence = nextOccurance(rule, occurrence);
    while (occurrence.isValid() && !(end < occurrence)) {
        makeTodoFromSample(sample, nullptr, sample->recurrence, start.daysTo(occurrence));
        occurrence = nextOccurance(rule, occurrence);
    }
}

void Query::makeTodoFromSample(Todo* sample, Todo* parent, Recurrence* recurrence, int days)
{
    Q_UNUSED(parent)
    Todo* occurrence = new Todo(nullptr);
    occurrence->setTimeZone(sample->time_zone);
    occurrence->setStartDate(sample->startDate(UTC).addDays(days));
    occurrence->setEndDate(sample->endDate(UTC).addDays(days));
    occurrence->status = sample->status;
    occurrence->modified();
    occurrence->is_done = sample->is_done;
    occurrence->modified();
    occurrence->setIsDeleted(sample->isDeleted);
    occurrence->setRecurrence(recurrence);
    recurringTodos->append(occurrence);

    for (const Field* source : std::as_const(*sample->fields)) {
        Field* field = new Field(nullptr);
        field->value = source->value;
        field->modified();
        field->db_id = source->db_id;
        field->modified();
        field->contact_id = source->contact_id;
        field->modified();
        field->setIsDeleted(source->isDeleted);
        field->setTodo(occurrence);
        field->setFieldType(source->fieldType);
    }

    occurrence->format_string = sample->format_string;
    occurrence->note = sample->note;
    occurrence->modified();

    for (const Alarm* source : std::as_const(*sample->alarms)) {
        Alarm* alarm = new Alarm(nullptr);
        alarm->setAlarmTime(source->alarmTime(Local).addDays(days));
        alarm->is_active = source->is_active;
        alarm->modified();
        alarm->snooze = source->snooze;
        alarm->modified();
        alarm->snooze_interval = source->snooze_interval;
        alarm->modified();
        alarm->setIsDeleted(source->isDeleted);
        alarm->setTodo(occurrence);
    }
}

} // namespace Orvel
