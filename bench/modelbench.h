#ifndef ORVEL_BENCH_MODELBENCH_H
#define ORVEL_BENCH_MODELBENCH_H

namespace Orvel {
class Pool;
} // namespace Orvel

namespace Bench {

class Report;

/// TodoModel over the whole pool: what a view pays to show the first screen (the model's query
/// and the first rows' data for every role, against the bare Query::execute() as floor), and
/// what one changed done flag costs until the view has heard of it.
class ModelBench
{
public:
    ModelBench(Orvel::Pool& pool, int repetitions, Report& report);

    void run();

private:
    double measureExecuteFloor();
    void measureFirstRows(double floor);
    void measureDoneToggle();

    Orvel::Pool& m_pool;
    int m_repetitions;
    Report& m_report;
};

} // namespace Bench

#endif
