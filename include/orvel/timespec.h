#ifndef ORVEL_TIMESPEC_H
#define ORVEL_TIMESPEC_H

namespace Orvel {

/// Which representation a date getter returns: wall-clock time in the owning todo's zone
/// (labelled local time), the device's local time, or the held UTC instant.
enum TimeSpec : int { Stored = 0, Local = 1, UTC = 2 };

} // namespace Orvel

#endif
