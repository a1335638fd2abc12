#ifndef ORVEL_REPEATS_H
#define ORVEL_REPEATS_H

namespace Orvel {

/// Kind of repetition of a Recurrence, stored as an int. The underlying type is fixed because
/// any stored integer may come back from the database and must be representable.
enum Repeats : int { NoRepeat = 0, Daily, Weekly, Monthly, Yearly };

} // namespace Orvel

#endif
