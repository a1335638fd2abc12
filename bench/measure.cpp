#include "measure.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <malloc.h>

namespace Bench {

namespace {

constexpr char statusFile[] = "/proc/self/status";
constexpr char clearRefsFile[] = "/proc/self/clear_refs";
// Writing this value to clear_refs resets the peak resident size (Linux 4.0 and later).
constexpr char resetPeakCommand[] = "5";

Clock chosenClock = Clock::Wall;

qint64 statusKib(const QByteArray& key)
{
    QFile status(QString::fromLatin1(statusFile));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith(key))
            continue;
        // "VmHWM:	  123456 kB"
        const QList<QByteArray> parts = line.mid(key.size()).simplified().split(' ');
        return parts.isEmpty() ? -1 : parts.first().toLongLong();
    }
    return -1;
}

} // namespace

void useClock(Clock clock)
{
    chosenClock = clock;
}

double clockSeconds()
{
    if (chosenClock == Clock::Processor) {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
    }
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1)
        return values[middle];
    return (values[middle - 1] + values[middle]) / 2.0;
}

qint64 residentKib()
{
    return statusKib(QByteArrayLiteral("VmRSS:"));
}

qint64 peakResidentKib()
{
    return statusKib(QByteArrayLiteral("VmHWM:"));
}

bool resetPeakResident()
{
    QFile clearRefs(QString::fromLatin1(clearRefsFile));
    if (!clearRefs.open(QIODevice::WriteOnly))
        return false;
    return clearRefs.write(resetPeakCommand) == qint64(sizeof(resetPeakCommand) - 1);
}

void releaseFreeMemory()
{
    malloc_trim(0);
}

} // namespace Bench
