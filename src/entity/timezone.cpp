#include "timezone.h"

#include <cstdlib>

namespace Orvel::TimeZone {

namespace {

const int secondsPerHour = 3600;
const int secondsPerMinute = 60;

// Appends a non-negative count with at least two digits (a leading zero below ten). Written out
// by hand because every new todo formats its zone and QString::number would allocate.
void appendTwoDigits(QString& text, qint64 value)
{
    if (value >= 100) {
        text += QString::number(value);
        return;
    }
    text += QLatin1Char(char('0' + value / 10));
    text += QLatin1Char(char('0' + value % 10));
}

// Up to two characters from a position, like QString::mid but without a copy (the offset of a
// zone is read for every conversion).
int twoDigitNumberAt(const QString& zone, int position)
{
    if (zone.size() <= position)
        return 0;
    const auto length = qMin<qsizetype>(2, zone.size() - position);
    return QStringView(zone).mid(position, length).toInt(nullptr, 10);
}

} // namespace

int offsetSeconds(const QString& zone)
{
    const int sign = zone.startsWith(QLatin1Char('-')) ? -1 : 1;
    const int hours = twoDigitNumberAt(zone, 1);
    const int minutes = twoDigitNumberAt(zone, 4);
    return sign * (hours * secondsPerHour + minutes * secondsPerMinute);
}

QString deviceZoneAt(const QDateTime& dateTime)
{
    // Reading the same digits once as the given label and once as UTC gives the device's offset
    // at that moment; a UTC-labelled value yields a difference of zero.
    const qint64 asGiven = dateTime.toSecsSinceEpoch();
    const qint64 asUtc = relabelled(dateTime, Qt::UTC).toSecsSinceEpoch();
    return zoneString(asUtc - asGiven);
}

QString zoneString(qint64 offsetSeconds)
{
    const qint64 hours = offsetSeconds / secondsPerHour;
    const qint64 minutes = (offsetSeconds / secondsPerMinute) % 60;
    QString zone;
    zone.reserve(6);
    zone += QLatin1Char(offsetSeconds < 0 ? '-' : '+');
    appendTwoDigits(zone, std::llabs(hours));
    zone += QLatin1Char(':');
    appendTwoDigits(zone, std::llabs(minutes));
    return zone;
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
