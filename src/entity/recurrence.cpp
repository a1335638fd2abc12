#include "debug/log.h"
#include "entity/relationlist_p.h"
#include "entity/rememberedrecords_p.h"
#include "entity/repeatsonlayout_p.h"
#include "entity/timezone.h"

#include <climits>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char invalidSampleId[] = "Invalid sample_id (%1), save can't be performed yet!";
const char storedWithoutSampleWarning[] = "Stored time not exists, local returned";
const char instancingDateStoredWarning[] =
    "Stored should not be in use with instancing_date, local time returned";

const int noRecurrence = -1;
using namespace RepeatsOnLayout;

const QChar marked = QLatin1Char('1');
const QChar unmarked = QLatin1Char('0');

int countOf(QStringView pattern, QChar flag)
{
    int count = 0;
    for (const QChar c : pattern) {
        if (c == flag)
            ++count;
    }
    return count;
}

bool onlyFlags(QStringView pattern)
{
    return countOf(pattern, marked) + countOf(pattern, unmarked) == pattern.size();
}

bool hasMark(QStringView pattern)
{
    return countOf(pattern, marked) > 0;
}

bool isWeeklyPattern(const QString& pattern)
{
    return pattern.size() == weeklyLength && hasMark(pattern) && onlyFlags(pattern);
}

bool isMonthlyByDayPattern(const QString& pattern)
{
    return pattern.size() == monthlyByDayLength && hasMark(pattern) && onlyFlags(pattern);
}

// One marked week of the month and at least one marked weekday; the last-day flag is ignored.
bool isWeekAndWeekdaysPattern(QStringView pattern)
{
    const QStringView weeks = pattern.mid(firstWeekPosition, weekPositions);
    const QStringView weekdays = pattern.mid(firstWeekdayPosition, weekdayPositions);
    return onlyFlags(weeks) && countOf(weeks, marked) == 1 && onlyFlags(weekdays) &&
           hasMark(weekdays);
}

// The last day of the month with no weekday marked; the week flags are ignored.
bool isLastDayPattern(QStringView pattern)
{
    const QStringView weekdays = pattern.mid(firstWeekdayPosition, weekdayPositions);
    return pattern.at(lastDayPosition) == marked && countOf(weekdays, unmarked) == weekdayPositions;
}

bool isMonthlyPattern(const QString& pattern)
{
    if (pattern.isEmpty())
        return false;
    if (pattern.at(0) == unmarked)
        return isMonthlyByDayPattern(pattern);
    if (pattern.at(0) != marked || pattern.size() != monthlyByWeekdayLength)
        return false;
    return isWeekAndWeekdaysPattern(pattern) || isLastDayPattern(pattern);
}

QDateTime utcDate(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0, 0, 0), Qt::UTC);
}

} // namespace

Recurrence::Recurrence(DatabaseConnector* connector)
    : Entity(nullptr), id(INT_MIN), sample_id(INT_MIN), is_active(false), repeats(NoRepeat),
      repeats_every(0), range_start(utcDate(1970, 1, 1)), range_end(utcDate(1970, 1, 1)),
      instancing_date(utcDate(2010, 6, 1)), sample(nullptr), detachedSample(nullptr),
      todos(new QList<Todo*>), deletedTodos(new QList<Todo*>)
{
    setDatabaseConnector(connector);
    lastModDate = QDateTime::currentDateTimeUtc();
    isDeleted = false;
}

Recurrence::Recurrence(DatabaseConnector* connector, int id, int sample_id,
                       const QDateTime& last_mod_date, bool is_active, Repeats repeats,
                       int repeats_every, const QString& repeats_on, const QDateTime& range_start,
                       const QDateTime& range_end, const QDateTime& instancing_date,
                       bool is_deleted)
    : Entity(nullptr), id(id), sample_id(sample_id), is_active(is_active), repeats(repeats),
      repeats_every(repeats_every), repeats_on(repeats_on),
      range_start(range_start.toTimeSpec(Qt::UTC)), range_end(range_end.toTimeSpec(Qt::UTC)),
      instancing_date(instancing_date.toTimeSpec(Qt::UTC)), sample(nullptr),
      detachedSample(nullptr), todos(new QList<Todo*>), deletedTodos(new QList<Todo*>)
{
    setDatabaseConnector(connector);
    lastModDate = last_mod_date.toTimeSpec(Qt::UTC);
    isDeleted = is_deleted;
}

Recurrence::~Recurrence()
{
    // A deleted rule first takes its links back, so that no instance or sample keeps pointing
    // at it once it is gone; neither is deleted with it.
    setIsDeleted(false);
    unlinkInstances();
    if (sample)
        setSample(nullptr);
    setIsDeleted(true);
    dropRemainingInstanceLinks();
    delete todos;
    delete deletedTodos;
    delete m_remembered;
}

void Recurrence::unlinkInstances()
{
    const QList<Todo*> instances = *todos;
    for (Todo* todo : instances)
        todo->setRecurrence(nullptr);
}

void Recurrence::dropRemainingInstanceLinks()
{
    // An instance that was made a sample afterwards refuses setRecurrence(); cut its link here
    // so that it does not point at a rule that no longer exists.
    for (Todo* todo : *todos) {
        if (todo->recurrence == this)
            todo->recurrence = nullptr;
    }
    todos->clear();
}

bool Recurrence::save()
{
    lastError.clear();
    if (sample_id == INT_MIN && sample && sample->id != INT_MIN)
        sample_id = sample->id;
    // Without a sample only a deleted rule may be written, and never without a known sample id.
    if (sample_id == INT_MIN || !(sample || isDeleted)) {
        lastError = QString::fromLatin1(invalidSampleId).arg(sample_id);
        return false;
    }
    Q_EMIT persist(*this);
    isSynchronized = true;
    return true;
}

void Recurrence::modified()
{
    Entity::modified();
    if (sample && sample->id != 0)
        sample->modified();
}

void Recurrence::removeReferences()
{
    // The instances are remembered in the order of deletedTodos, which is restored in that
    // order. The sample needs no such care: it is deleted and restored together with the rule,
    // and whichever of the two is destroyed first restores the other.
    deletedTodos->append(*todos);
    for (Todo* todo : *todos)
        RememberedRecords::remember(m_remembered, todo);
    unlinkInstances();
    if (sample) {
        detachedSample = sample;
        // Deleting a rule deletes its sample; the instances only lose their link.
        sample->setIsDeleted(true);
        setSample(nullptr);
    }
    Q_EMIT setDeleted(this);
}

void Recurrence::recreateReferences()
{
    // Instances destroyed meanwhile are forgotten instead of being linked again.
    const QList<Todo*> instances = *deletedTodos;
    for (int position = 0; position < instances.size(); ++position) {
        Todo* const todo = instances.at(position);
        if (RememberedRecords::existsAt(m_remembered, position, todo))
            todo->setRecurrence(this);
    }
    deletedTodos->clear();
    RememberedRecords::forgetAll(m_remembered);
    if (detachedSample) {
        Todo* const restoredSample = detachedSample;
        setSample(restoredSample);
        restoredSample->setIsDeleted(false);
        detachedSample = nullptr;
    }
    Q_EMIT setUndeleted(this);
}

void Recurrence::addTodo(Todo* todo)
{
    todo->setRecurrence(this);
}

void Recurrence::removeTodo(Todo* todo)
{
    todo->setIsDeleted(true);
}

void Recurrence::setSample(Todo* newSample)
{
    // The range is entered as wall-clock time in the sample's zone (the device's zone without a
    // sample); the held instants move so that the readings survive the change of zone.
    QString oldStartZone;
    QString oldEndZone;
    if (sample) {
        sample->recurrence = nullptr;
        sample->recurrence_id = noRecurrence;
        oldStartZone = sample->time_zone;
        oldEndZone = sample->time_zone;
    } else {
        oldStartZone = parseTimeZone(range_start.toTimeSpec(Qt::LocalTime));
        oldEndZone = parseTimeZone(range_end.toTimeSpec(Qt::LocalTime));
    }

    QString newStartZone;
    QString newEndZone;
    if (!newSample) {
        sample = nullptr;
        newStartZone = parseTimeZone(range_start.toTimeSpec(Qt::LocalTime));
        newEndZone = parseTimeZone(range_end.toTimeSpec(Qt::LocalTime));
    } else {
        takeSampleFromPreviousRule(newSample);
        sample = newSample;
        sample_id = newSample->id;
        newSample->recurrence_id = id == INT_MIN ? noRecurrence : id;
        newSample->recurrence = this;
        newStartZone = newSample->time_zone;
        newEndZone = newSample->time_zone;
    }

    range_start = TimeZone::rebased(range_start, oldStartZone, newStartZone);
    range_end = TimeZone::rebased(range_end, oldEndZone, newEndZone);
    modified();
}

void Recurrence::takeSampleFromPreviousRule(Todo* newSample)
{
    Recurrence* const previous = newSample->recurrence;
    if (!previous)
        return;
    previous->setSample(nullptr);
    previous->sample_id = INT_MIN;
}

void Recurrence::setRangeStart(const QDateTime& dateTime)
{
    range_start = sample ? sample->toStoredTime(dateTime) : dateTime.toTimeSpec(Qt::UTC);
}

void Recurrence::setRangeEnd(const QDateTime& dateTime)
{
    range_end = sample ? sample->toStoredTime(dateTime) : dateTime.toTimeSpec(Qt::UTC);
}

void Recurrence::setIsActive(bool active)
{
    is_active = active;
    modified();
}

void Recurrence::setRepeatsEvery(int every)
{
    repeats_every = every;
    modified();
}

void Recurrence::setRepeats(Repeats newRepeats)
{
    repeats = newRepeats;
    if (!checkRepeats())
        repeats_on.clear();
    modified();
}

void Recurrence::setRepeatsOn(const QString& repeatsOn)
{
    const QString previous = repeats_on;
    repeats_on = repeatsOn;
    if (!checkRepeats()) {
        repeats_on = previous;
        return;
    }
    modified();
}

bool Recurrence::checkRepeats() const
{
    switch (repeats) {
    case NoRepeat:
    case Daily:
    case Yearly:
        return repeats_on.isEmpty();
    case Weekly:
        return isWeeklyPattern(repeats_on);
    case Monthly:
        return isMonthlyPattern(repeats_on);
    }
    // Any other stored value is no known kind.
    return false;
}

QDateTime Recurrence::rangeStart(TimeSpec spec) const
{
    return rangeDate(range_start, spec);
}

QDateTime Recurrence::rangeEnd(TimeSpec spec) const
{
    return rangeDate(range_end, spec);
}

QDateTime Recurrence::rangeDate(const QDateTime& held, TimeSpec spec) const
{
    if (spec != Stored)
        return TimeZone::inDeviceOrUtc(held, spec);
    if (sample)
        return sample->toDisplayTime(held);
    oWarning() << storedWithoutSampleWarning;
    return TimeZone::inDeviceOrUtc(held, Local);
}

QDateTime Recurrence::instancingDate(TimeSpec spec) const
{
    if (spec == Stored)
        oWarning() << instancingDateStoredWarning;
    return TimeZone::inDeviceOrUtc(instancing_date, spec);
}

} // namespace Orvel
