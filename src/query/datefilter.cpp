#include "datefilter.h"

#include <limits>
#include <orvel/query.h>
#include <orvel/todo.h>

namespace Orvel {

DateFilter::DateFilter(const Query& query)
    : m_active(rangeOf(query.activeFrom, query.activeTo)),
      m_start(rangeOf(query.startDateFrom, query.startDateTo)),
      m_end(rangeOf(query.endDateFrom, query.endDateTo)),
      m_creation(rangeOf(query.creationDateFrom, query.creationDateTo)),
      m_lastModification(rangeOf(query.lastModDateFrom, query.lastModDateTo))
{}

qint64 DateFilter::instant(const QDateTime& date)
{
    return date.isValid() ? date.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

// A range with a null or invalid bound lets every todo pass.
DateFilter::Range DateFilter::rangeOf(const QDateTime& from, const QDateTime& to)
{
    Range range;
    range.applies = from.isValid() && to.isValid();
    if (range.applies) {
        range.from = from.toMSecsSinceEpoch();
        range.to = to.toMSecsSinceEpoch();
    }
    return range;
}

bool DateFilter::isActive() const
{
    return m_active.applies || m_start.applies || m_end.applies || m_creation.applies ||
           m_lastModification.applies;
}

bool DateFilter::passes(const Todo& todo) const
{
    if (m_active.applies && !m_active.overlaps(instant(todo.start_date), instant(todo.end_date)))
        return false;
    return passesSingle(m_start, todo.start_date) && passesSingle(m_end, todo.end_date) &&
           passesSingle(m_creation, todo.creation_date) &&
           passesSingle(m_lastModification, todo.lastModDate);
}

bool DateFilter::passesSingle(const Range& range, const QDateTime& date)
{
    if (!range.applies)
        return true;
    const qint64 moment = instant(date);
    return range.overlaps(moment, moment);
}

} // namespace Orvel
