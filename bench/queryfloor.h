#ifndef ORVEL_BENCH_QUERYFLOOR_H
#define ORVEL_BENCH_QUERYFLOOR_H

#include <QDateTime>
#include <QtGlobal>
#include <vector>

namespace Orvel {
class Pool;
class Query;
} // namespace Orvel

namespace Bench {

/// The floors of the queries: the same selection and order over plain structs in memory, and
/// the occurrence walk with plain construction of the same number of transient todos.
class QueryFloor
{
public:
    enum class Key { Creation, Start };

    /// Copies the pool's todos into plain structs (not timed).
    explicit QueryFloor(const Orvel::Pool& pool);

    /// Every todo, sorted by key.
    double selectAllSeconds(Key key, bool descending, int repetitions) const;
    /// The todos whose start lies in [from, to] (inclusive), newest creation first.
    double startRangeSeconds(const QDateTime& from, const QDateTime& to, int repetitions) const;
    /// For every rule of the pool, the occurrence dates in [from, to] stepped with the library's
    /// own Query::nextOccurance(), and one plain Todo constructed, dated and deleted with its
    /// siblings per occurrence. Sets occurrences to the number made.
    double occurrenceSeconds(Orvel::Query& query, const QDateTime& from, const QDateTime& to,
                             int repetitions, int* occurrences) const;

private:
    struct PlainTodo
    {
        qint64 start;
        qint64 end;
        qint64 creation;
        int id;
    };

    static void sortByKey(std::vector<const PlainTodo*>& todos, Key key, bool descending);

    const Orvel::Pool& m_pool;
    std::vector<PlainTodo> m_todos;
};

} // namespace Bench

#endif
