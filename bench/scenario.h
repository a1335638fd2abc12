#ifndef ORVEL_BENCH_SCENARIO_H
#define ORVEL_BENCH_SCENARIO_H

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <orvel/query.h>
#include <vector>

namespace Orvel {
class Pool;
} // namespace Orvel

namespace Bench {

class QueryFloor;
class Report;

/// All measurements for one N, in a home directory of its own: writing everything new, starting
/// a pool on the result, the queries, the memory after start and writing a few changes.
class Scenario
{
public:
    Scenario(int todoCount, int repetitions, Report& report);

    /// False when the temporary home directory cannot be made.
    bool run();

private:
    void measureSynchronizeNew();
    std::vector<double> measureInsertFloor(const Orvel::Pool& pool);
    void measureStart();
    std::vector<double> measureSelectFloor();
    std::unique_ptr<Orvel::Pool> measureStartMemory();
    void measureQueries(Orvel::Pool& pool);
    void timeQuery(Orvel::Query& query, const QString& name,
                   const std::function<void(Orvel::Query&)>& setUp, double floor = -1.0);
    std::vector<double> measureSortFloor(const Orvel::Pool& pool, bool descending);
    double sortFloorSeconds(const Orvel::Pool& pool, const QueryFloor& floor,
                            Orvel::Query::SortOrder order);
    void measureIncludeRecurring(Orvel::Query& query, const QueryFloor& floor);
    void measureModifiedSynchronize(Orvel::Pool& pool);

    QString databasePath() const;
    QString floorDatabasePath() const;
    void note(const QString& text) const;
    void describeDataset(const Orvel::Pool& pool, int records) const;
    void checkLoaded(const Orvel::Pool& pool) const;

    int m_todoCount;
    int m_repetitions;
    Report& m_report;
    QTemporaryDir m_home;
    // What the dataset put into the database, to check that start() loads it all back.
    int m_storedTodos = 0;
    int m_storedSamples = 0;
};

} // namespace Bench

#endif
