#ifndef ORVEL_REPEATS_H
#define ORVEL_REPEATS_H

#include <orvel/orvel_export.h>

namespace Orvel {

/// Kind of repetition of a Recurrence, stored as an int. The underlying type is fixed because
/// any stored integer may come back from the database and must be representable; a value
/// outside this list produces no occurrences. The repetition interval is the rule's
/// \c repeats_every (0 or less counts as 1).
enum Repeats : int {
    /// Not repeated; the rule produces no occurrences.
    NoRepeat = 0,
    /// Every \c repeats_every days.
    Daily,
    /// On the weekdays marked in \c repeats_on, every \c repeats_every weeks.
    Weekly,
    /// On marked days of the month, on marked weekdays of a marked week of the month, or on the
    /// last day of the month, every \c repeats_every months.
    Monthly,
    /// Every \c repeats_every years.
    Yearly
};

} // namespace Orvel

#endif
