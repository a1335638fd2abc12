#ifndef ORVEL_STORAGE_STOREDDATE_H
#define ORVEL_STORAGE_STOREDDATE_H

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace Orvel::StoredDate {

// The text under which a held UTC instant is written to a date column, "yyyy-MM-dd HH:mm:ss.zzz"
// of the value as it is held (no zone conversion). An invalid date gives an empty text.
QString toText(const QDateTime& dateTime);

// A date column read back: the stored digits taken as UTC without conversion. Text that does not
// parse gives an invalid value labelled UTC.
QDateTime fromColumn(const QVariant& column);

} // namespace Orvel::StoredDate

#endif
