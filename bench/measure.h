#ifndef ORVEL_BENCH_MEASURE_H
#define ORVEL_BENCH_MEASURE_H

#include <QElapsedTimer>
#include <QtGlobal>
#include <vector>

namespace Bench {

/// Wall-clock seconds taken by one call of the function.
template <typename Function> double secondsOf(Function&& function)
{
    QElapsedTimer timer;
    timer.start();
    function();
    return double(timer.nsecsElapsed()) / 1e9;
}

/// The median of the values; 0 for none. One slow repetition (a page-cache miss, another
/// process on the two cores) must not decide the figure, hence no mean.
double median(std::vector<double> values);

/// Current and peak resident set size of this process in KiB, from /proc/self/status.
qint64 residentKib();
qint64 peakResidentKib();

/// Lowers the recorded peak to the current resident size, so that the next peak belongs to the
/// phase measured next. False when the kernel refuses (then the peak covers the whole process).
bool resetPeakResident();

/// Hands freed heap pages back to the system, so that a phase starts from a resident size that
/// does not include what the previous phase freed.
void releaseFreeMemory();

} // namespace Bench

#endif
