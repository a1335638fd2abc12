#ifndef ORVEL_BINARYTYPE_H
#define ORVEL_BINARYTYPE_H

#include <orvel/orvel_export.h>

namespace Orvel {

/// Kind of an attachment, stored as an int. The library gives the values no meaning; every int
/// is a valid value, 0 being the default.
enum BinaryType : int {
    /// The kind of a new attachment.
    DefaultBinaryType = 0
};

} // namespace Orvel

#endif
