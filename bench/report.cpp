#include "report.h"

#include <QTextStream>
#include <set>

namespace Bench {

namespace {

struct RatioTarget
{
    const char* name;
    double limit;
};

// The targets on the ratio to the floor, measured in the same run.
constexpr RatioTarget ratioTargets[] = {
    // clang-format off
    {"pool.start", 2.0},
    {"pool.sync_new", 1.5},
    {"query.no_filter", 3.0},
    {"query.date_range", 3.0},
    {"query.sort.creation_desc", 3.0},
    {"query.sort.creation_asc", 3.0},
    {"query.sort.start_desc", 3.0},
    {"query.sort.start_asc", 3.0},
    {"query.sort.alpha_asc", 3.0},
    {"query.sort.alpha_desc", 3.0},
    {"query.include_recurring", 2.0},
    {"icalendar.export", 2.0},
    {"icalendar.import", 2.0},
    {"model.first_rows", 1.2},
    // clang-format on
};

// Targets on the figure itself.
constexpr RatioTarget valueTargets[] = {
    {"memory.start_bytes_per_todo", 3072.0},
};

// Growing N tenfold may cost at most elevenfold: linear with ten percent slack.
constexpr double linearSlack = 1.1;

constexpr char none[] = "-";

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString formatValue(const Measurement& measurement)
{
    return number(measurement.value, measurement.unit == Measurement::Seconds ? 6 : 0);
}

void writeLine(const QString& line)
{
    QTextStream out(stdout);
    out << line << '\n';
    out.flush();
}

} // namespace

Report::Report(bool csv) : m_csv(csv) {}

void Report::printHeader() const
{
    if (m_csv)
        writeLine(QStringLiteral("name,n,seconds,floor_seconds,ratio"));
    else
        writeLine(QStringLiteral("%1 %2 %3 %4 %5")
                      .arg(QStringLiteral("# name"), -32)
                      .arg(QStringLiteral("N"), 7)
                      .arg(QStringLiteral("seconds"), 12)
                      .arg(QStringLiteral("floor_seconds"), 13)
                      .arg(QStringLiteral("ratio"), 7));
}

void Report::add(const Measurement& measurement)
{
    m_measurements.push_back(measurement);
    printLine(measurement);
}

void Report::printLine(const Measurement& m) const
{
    const QString floor = m.hasFloor() ? number(m.floor, 6) : QString::fromLatin1(none);
    const QString ratio = m.hasFloor() ? number(m.ratio(), 2) : QString::fromLatin1(none);
    if (m_csv)
        writeLine(QStringLiteral("%1,%2,%3,%4,%5")
                      .arg(m.name)
                      .arg(m.n)
                      .arg(formatValue(m), floor, ratio));
    else
        writeLine(QStringLiteral("%1 %2 %3 %4 %5")
                      .arg(m.name, -32)
                      .arg(m.n, 7)
                      .arg(formatValue(m), 12)
                      .arg(floor, 13)
                      .arg(ratio, 7));
}

const Measurement* Report::find(const QString& name, int n) const
{
    for (const Measurement& m : m_measurements) {
        if (m.name == name && m.n == n)
            return &m;
    }
    return nullptr;
}

std::vector<Report::Check> Report::ratioChecks() const
{
    std::vector<Check> checks;
    for (const RatioTarget& target : ratioTargets) {
        for (const Measurement& m : m_measurements) {
            if (m.name == QLatin1String(target.name) && m.hasFloor())
                checks.push_back({QStringLiteral("floor"), m.name, QString::number(m.n), m.ratio(),
                                  target.limit});
        }
    }
    return checks;
}

std::vector<Report::Check> Report::valueChecks() const
{
    std::vector<Check> checks;
    for (const RatioTarget& target : valueTargets) {
        for (const Measurement& m : m_measurements) {
            if (m.name == QLatin1String(target.name))
                checks.push_back(
                    {QStringLiteral("value"), m.name, QString::number(m.n), m.value, target.limit});
        }
    }
    return checks;
}

// A figure with a floor may grow as much as its floor does (sorting grows faster than
// linearly); one without grows at most linearly.
double Report::expectedGrowth(const Measurement& small, const Measurement& large)
{
    if (large.unit == Measurement::BytesPerTodo)
        return 1.0;
    if (small.floor > 0.0 && large.floor > 0.0)
        return large.floor / small.floor;
    return double(large.n) / double(small.n);
}

std::vector<Report::Check> Report::linearityChecks() const
{
    std::set<int> sizeSet;
    for (const Measurement& m : m_measurements)
        sizeSet.insert(m.n);
    const std::vector<int> sizes(sizeSet.begin(), sizeSet.end());

    std::vector<Check> checks;
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        const int small = sizes[i - 1];
        const int large = sizes[i];
        for (const Measurement& m : m_measurements) {
            if (m.n != large)
                continue;
            const Measurement* base = find(m.name, small);
            if (!base || base->value <= 0.0)
                continue;
            checks.push_back({QStringLiteral("linear"), m.name,
                              QStringLiteral("%1->%2").arg(small).arg(large), m.value / base->value,
                              linearSlack * expectedGrowth(*base, m)});
        }
    }
    return checks;
}

void Report::printCheck(const Check& check) const
{
    const QString verdict =
        check.value <= check.limit ? QStringLiteral("PASS") : QStringLiteral("MISS");
    if (m_csv)
        writeLine(QStringLiteral("%1,%2,%3,%4,%5,%6")
                      .arg(check.kind, check.name, check.sizes, number(check.value, 2),
                           number(check.limit, 2), verdict));
    else
        writeLine(QStringLiteral("%1 %2 %3 %4 <= %5 %6")
                      .arg(check.kind, -7)
                      .arg(check.name, -32)
                      .arg(check.sizes, -14)
                      .arg(number(check.value, 2), 7)
                      .arg(number(check.limit, 2), -6)
                      .arg(verdict));
}

int Report::printSummary() const
{
    std::vector<Check> checks = ratioChecks();
    const std::vector<Check> values = valueChecks();
    checks.insert(checks.end(), values.begin(), values.end());
    const std::vector<Check> linear = linearityChecks();
    checks.insert(checks.end(), linear.begin(), linear.end());

    writeLine(QString());
    if (m_csv)
        writeLine(QStringLiteral("check,name,n,value,limit,result"));
    else
        writeLine(QStringLiteral("# summary: ratio to floor (floor), the figure itself (value), "
                                 "growth from the smaller N against the floor's growth or N's "
                                 "(linear); value <= limit"));
    int missed = 0;
    for (const Check& check : checks) {
        printCheck(check);
        if (check.value > check.limit)
            ++missed;
    }
    if (!m_csv)
        writeLine(QStringLiteral("# %1 of %2 targets missed").arg(missed).arg(checks.size()));
    return missed;
}

} // namespace Bench
