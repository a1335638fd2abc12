#include "modelbench.h"

#include "measure.h"
#include "report.h"

#include <QTextStream>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/todo.h>
#include <orvel/todomodel.h>

namespace Bench {

namespace {

// A list view shows about this many rows at first.
constexpr int firstRows = 50;
constexpr double toggleTargetSeconds = 0.001;

} // namespace

ModelBench::ModelBench(Orvel::Pool& pool, int repetitions, Report& report)
    : m_pool(pool), m_repetitions(repetitions), m_report(report)
{}

void ModelBench::run()
{
    measureFirstRows(measureExecuteFloor());
    measureDoneToggle();
}

double ModelBench::measureExecuteFloor()
{
    // The same query that the model runs with its defaults: every todo, newest first.
    Orvel::Query query(m_pool.todos, m_pool.recurrences);
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep)
        seconds.push_back(secondsOf([&] { query.execute(); }));
    return median(seconds);
}

void ModelBench::measureFirstRows(double floor)
{
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        seconds.push_back(secondsOf([&] {
            Orvel::TodoModel model(&m_pool);
            const QList<int> roles = model.roleNames().keys();
            const int rows = std::min(firstRows, model.rowCount());
            for (int row = 0; row < rows; ++row) {
                const QModelIndex index = model.index(row);
                for (int role : roles)
                    index.data(role);
            }
        }));
    }
    m_report.add(
        {QStringLiteral("model.first_rows"), int(m_pool.todos->size()), median(seconds), floor});
}

void ModelBench::measureDoneToggle()
{
    if (m_pool.todos->isEmpty())
        return;
    Orvel::TodoModel model(&m_pool);
    int notifications = 0;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&] { ++notifications; });
    Orvel::Todo* todo = m_pool.todos->at(m_pool.todos->size() / 2);
    // The first change builds the model's lookup from todo to row; it is reported on its own.
    const double first = secondsOf([&] { todo->setIsDone(!todo->is_done); });
    std::vector<double> seconds;
    for (int rep = 0; rep < std::max(m_repetitions, 5); ++rep)
        seconds.push_back(secondsOf([&] { todo->setIsDone(!todo->is_done); }));
    const int n = int(m_pool.todos->size());
    m_report.add({QStringLiteral("model.done_toggle.first"), n, first});
    m_report.add({QStringLiteral("model.done_toggle"), n, median(seconds)});
    QTextStream(stderr) << "orvel-bench: N=" << n << ": model.done_toggle "
                        << (median(seconds) < toggleTargetSeconds ? "PASS" : "MISS")
                        << " against 1 ms; " << notifications << " dataChanged for "
                        << seconds.size() + 1 << " toggles\n";
}

} // namespace Bench
