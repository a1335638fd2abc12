#ifndef ORVEL_ENTITY_TIMEZONE_H
#define ORVEL_ENTITY_TIMEZONE_H

#include <QDateTime>
#include <QString>
#include <orvel/timespec.h>

// Zone strings ("+05:45") and the conversions between the held UTC instants of the records and
// wall-clock readings. Shared by the records, the storage and the query code.
namespace Orvel::TimeZone {

// Offset east of UTC, in seconds, of a zone string. Not validated: a leading "-" makes the offset
// negative, any other first character positive, and unreadable digits count as 0.
int offsetSeconds(const QString& zone);

// The zone string of the device's offset at the given moment; "+00:00" for a UTC-labelled value.
QString deviceZoneAt(const QDateTime& dateTime);

// The zone string of an offset east of UTC, in seconds: "+05:45", "-03:30".
QString zoneString(qint64 offsetSeconds);

// The same date and time digits under another label, without converting the instant.
QDateTime relabelled(const QDateTime& dateTime, Qt::TimeSpec spec);

// Moves a held instant so that its wall-clock reading stays the same when the zone it is read in
// changes from oldZone to newZone; unchanged when the two strings are equal.
QDateTime rebased(const QDateTime& held, const QString& oldZone, const QString& newZone);

// A wall-clock reading in a zone (only the digits of the argument count) as a held UTC instant.
QDateTime heldFromWallClock(const QDateTime& wallClock, const QString& zone);

// A held UTC instant (whatever its label) as the wall-clock reading in a zone, labelled local time.
QDateTime wallClockFromHeld(const QDateTime& held, const QString& zone);

// The held UTC value in the representation a getter was asked for, where the spec is Local or
// UTC (anything but Stored and UTC counts as Local).
QDateTime inDeviceOrUtc(const QDateTime& held, TimeSpec spec);

} // namespace Orvel::TimeZone

#endif
