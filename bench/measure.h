#ifndef ORVEL_BENCH_MEASURE_H
#define ORVEL_BENCH_MEASURE_H

#include <QtGlobal>
#include <vector>

namespace Bench {

/// Wall-clock time by default. Processor time of this (single-threaded) process is steadier
/// on a machine shared with other work, but leaves out the time spent waiting for the disk.
enum class Clock { Wall, Processor };
void useClock(Clock clock);
/// The current reading of the chosen clock, in seconds from an arbitrary origin.
double clockSeconds();

/// Seconds taken by one call of the function.
template <typename Function> double secondsOf(Function&& function)
{
    const double start = clockSeconds();
    function();
    return clockSeconds() - start;
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
