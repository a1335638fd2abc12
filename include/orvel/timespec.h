#ifndef ORVEL_TIMESPEC_H
#define ORVEL_TIMESPEC_H

#include <orvel/orvel_export.h>

namespace Orvel {

/// Which representation a date getter returns. Every date is held in memory, and stored, as a
/// UTC instant; the getters convert on the way out. Any value other than Stored and UTC is
/// treated as Local.
enum TimeSpec : int {
    /// Wall-clock time in the owning todo's zone (its \c time_zone), labelled Qt::LocalTime.
    Stored = 0,
    /// The held instant converted to the device's local time.
    Local = 1,
    /// The held UTC value, unchanged.
    UTC = 2
};

} // namespace Orvel

#endif
