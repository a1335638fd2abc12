#ifndef ORVEL_QUERY_DATEFILTER_H
#define ORVEL_QUERY_DATEFILTER_H

#include <QDateTime>
#include <QtGlobal>

namespace Orvel {

class Query;
class Todo;

// The five date ranges of a query, read once as instants. A query compares the todos' dates in
// the device's local time with QDateTime's less-than, which orders by instant; the held UTC value
// is the same instant, so the todos' dates need no conversion to local time at all, and one
// filter serves a whole pass over the todos.
class DateFilter
{
public:
    explicit DateFilter(const Query& query);

    bool passes(const Todo& todo) const;
    // False when no range applies and every todo passes.
    bool isActive() const;

    // A date as a number that orders as QDateTime's less-than does: an invalid date comes before
    // every valid one and ties with another invalid one.
    static qint64 instant(const QDateTime& date);

private:
    struct Range
    {
        bool applies = false;
        qint64 from = 0;
        qint64 to = 0;

        // Inclusive on both bounds: a span that only touches the range overlaps it.
        bool overlaps(qint64 first, qint64 last) const { return !(last < from) && !(to < first); }
    };

    static Range rangeOf(const QDateTime& from, const QDateTime& to);
    static bool passesSingle(const Range& range, const QDateTime& date);

    Range m_active;
    Range m_start;
    Range m_end;
    Range m_creation;
    Range m_lastModification;
};

} // namespace Orvel

#endif
