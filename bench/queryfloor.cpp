#include "queryfloor.h"

#include "measure.h"

#include <QList>
#include <algorithm>
#include <limits>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/repeats.h>
#include <orvel/todo.h>

namespace Bench {

namespace {

qint64 instant(const QDateTime& date)
{
    return date.isValid() ? date.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

template <typename Work> double medianSeconds(int repetitions, Work work)
{
    std::vector<double> seconds;
    for (int rep = 0; rep < repetitions; ++rep)
        seconds.push_back(secondsOf(work));
    return median(seconds);
}

} // namespace

QueryFloor::QueryFloor(const Orvel::Pool& pool) : m_pool(pool)
{
    m_todos.reserve(std::size_t(pool.todos->size()));
    for (const Orvel::Todo* todo : std::as_const(*pool.todos))
        m_todos.push_back({instant(todo->start_date), instant(todo->end_date),
                           instant(todo->creation_date), todo->id});
}

void QueryFloor::sortByKey(std::vector<const PlainTodo*>& todos, Key key, bool descending)
{
    const auto keyOf = [key](const PlainTodo* todo) {
        return key == Key::Creation ? todo->creation : todo->start;
    };
    std::sort(todos.begin(), todos.end(), [&](const PlainTodo* a, const PlainTodo* b) {
        return descending ? keyOf(b) < keyOf(a) : keyOf(a) < keyOf(b);
    });
}

double QueryFloor::selectAllSeconds(Key key, bool descending, int repetitions) const
{
    return medianSeconds(repetitions, [&] {
        std::vector<const PlainTodo*> result;
        result.reserve(m_todos.size());
        for (const PlainTodo& todo : m_todos)
            result.push_back(&todo);
        sortByKey(result, key, descending);
    });
}

double QueryFloor::startRangeSeconds(const QDateTime& from, const QDateTime& to,
                                     int repetitions) const
{
    const qint64 first = from.toMSecsSinceEpoch();
    const qint64 last = to.toMSecsSinceEpoch();
    return medianSeconds(repetitions, [&] {
        std::vector<const PlainTodo*> result;
        for (const PlainTodo& todo : m_todos) {
            if (first <= todo.start && todo.start <= last)
                result.push_back(&todo);
        }
        sortByKey(result, Key::Creation, true);
    });
}

double QueryFloor::occurrenceSeconds(Orvel::Query& query, const QDateTime& from,
                                     const QDateTime& to, int repetitions, int* occurrences) const
{
    return medianSeconds(repetitions, [&] {
        QList<Orvel::Todo*> made;
        for (Orvel::Recurrence* rule : std::as_const(*m_pool.recurrences)) {
            const Orvel::Todo* sample = rule->sample;
            if (!sample || !rule->is_active || rule->repeats == Orvel::NoRepeat)
                continue;
            // The rule's own range and the day it was last instanced narrow the interval.
            const QDateTime rangeStart = rule->rangeStart(Orvel::Stored);
            const QDateTime rangeEnd = rule->rangeEnd(Orvel::Stored);
            if (rangeEnd < from || to < rangeStart)
                continue;
            const QDateTime begin = std::max({from, rangeStart, rule->instancingDate(Orvel::UTC)});
            const QDateTime end = std::min(rangeEnd, to);
            const QDateTime start = sample->startDate(Orvel::Stored);
            QDateTime occurrence = query.nextOccurance(rule, start);
            while (occurrence.isValid() && occurrence < begin)
                occurrence = query.nextOccurance(rule, occurrence);
            while (occurrence.isValid() && !(end < occurrence)) {
                const qint64 days = start.daysTo(occurrence);
                auto* todo = new Orvel::Todo(nullptr);
                todo->start_date = sample->start_date.addDays(days);
                todo->end_date = sample->end_date.addDays(days);
                made.append(todo);
                occurrence = query.nextOccurance(rule, occurrence);
            }
        }
        *occurrences = int(made.size());
        qDeleteAll(made);
    });
}

} // namespace Bench
