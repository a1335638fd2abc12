#ifndef ORVEL_BENCH_REPORT_H
#define ORVEL_BENCH_REPORT_H

#include <QString>
#include <vector>

namespace Bench {

/// One figure of one run: seconds (the median of the repetitions), or a memory size.
struct Measurement
{
    enum Unit { Seconds, Kibibytes, BytesPerTodo };

    QString name;
    int n = 0;
    double value = 0.0;
    /// Seconds of the plain QtSql or std::sort floor; negative when the figure has none.
    double floor = -1.0;
    Unit unit = Seconds;

    bool hasFloor() const { return floor >= 0.0; }
    double ratio() const { return floor > 0.0 ? value / floor : 0.0; }
};

/// Prints each measurement as it is made, then checks the targets over all of them.
class Report
{
public:
    explicit Report(bool csv);

    void printHeader() const;
    void add(const Measurement& measurement);
    /// Prints the target checks; returns the number of missed targets.
    int printSummary() const;

private:
    struct Check
    {
        QString kind;
        QString name;
        QString sizes;
        double value;
        double limit;
    };

    std::vector<Check> ratioChecks() const;
    std::vector<Check> valueChecks() const;
    std::vector<Check> linearityChecks() const;
    static double expectedGrowth(const Measurement& small, const Measurement& large);
    const Measurement* find(const QString& name, int n) const;
    void printLine(const Measurement& measurement) const;
    void printCheck(const Check& check) const;

    bool m_csv;
    std::vector<Measurement> m_measurements;
};

} // namespace Bench

#endif
