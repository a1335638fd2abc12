#ifndef ORVEL_BENCH_ICALENDARBENCH_H
#define ORVEL_BENCH_ICALENDARBENCH_H

#include <QByteArray>
#include <QString>

namespace Orvel {
class Pool;
} // namespace Orvel

namespace Bench {

class Report;

/// iCalendar export and import of every todo of a started pool, each against the floor of
/// libical alone writing and parsing the same text.
class ICalendarBench
{
public:
    ICalendarBench(int todoCount, int repetitions, const QString& home, Report& report);

    void run(const Orvel::Pool& pool);

private:
    QByteArray measureExport(const Orvel::Pool& pool);
    void measureImport(const QByteArray& text);
    double writeFloor(const QByteArray& text) const;
    double parseFloor(const QByteArray& text) const;

    int m_todoCount;
    int m_repetitions;
    QString m_home;
    Report& m_report;
};

} // namespace Bench

#endif
