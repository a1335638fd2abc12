#include "timezone.h"

#include <cstdlib>

namespace Orvel::TimeZone {

namespace {

const int secondsPerHour = 3600;
const int secondsPerMinute = 60;

// Two digits, with a leading zero below ten, of a non-negative count.
QString twoDigits(qint64 value)
{
    return value < 10 ? QLatin1Char('0') + QString::number(value) : QString::number(value);
}

} // namespace

int offsetSeconds(const QString& zone)
{
    const int sign = zone.startsWith(QLatin1Char('-')) ? -1 : 1;
    const int hours = zone.mid(1, 2).toInt(nullptr, 10);
    const int minutes = zone.mid(4, 2).toInt(nullptr, 10);
    return sign * (hours * secondsPerHour + minutes * secondsPerMinute);
}

QString deviceZoneAt(const QDateTime& dateTime)
{
    // Reading the same digits once as the given label and once as UTC gives the device's offset
    // at that moment; a UTC-labelled value yields a difference of zero.
    const qint64 asGiven = dateTime.toSecsSinceEpoch();
    const qint64 asUtc = relabelled(dateTime, Qt::UTC).toSecsSinceEpoch();
    const qint64 diff = asUtc - asGiven;
    const qint64 hours = diff / secondsPerHour;
    const qint64 minutes = (diff / secondsPerMinute) % 60;
    return (diff < 0 ? QStringLiteral("-") : QStringLiteral("+")) + twoDigits(std::llabs(hours)) +
           QLatin1Char(':') + twoDigits(std::llabs(minutes));
}

QDateTime relabelled(const QDateTime& dateTime, Qt::TimeSpec spec)
{
    return QDateTime(dateTime.date(), dateTime.time(), spec);
}

QDateTime rebased(const QDateTime& held, const QString& oldZone, const QString& newZone)
{
    if (oldZone == newZone)
        return held;
    return held.addSecs(offsetSeconds(oldZone) - offsetSeconds(newZone));
}

QDateTime heldFromWallClock(const QDateTime& wallClock, const QString& zone)
{
    return relabelled(wallClock, Qt::UTC).addSecs(-offsetSeconds(zone));
}

QDateTime wallClockFromHeld(const QDateTime& held, const QString& zone)
{
    // Read as UTC digits first, so that a value labelled otherwise is not moved by the device's
    // daylight-saving rules while the offset is added.
    const QDateTime asUtc = relabelled(held, Qt::UTC);
    return relabelled(asUtc.addSecs(offsetSeconds(zone)), Qt::LocalTime);
}

QDateTime inDeviceOrUtc(const QDateTime& held, TimeSpec spec)
{
    if (spec == UTC)
        return held;
    return held.toTimeSpec(Qt::LocalTime);
}

} // namespace Orvel::TimeZone
