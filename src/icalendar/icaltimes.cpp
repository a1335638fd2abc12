#include "icaltimes.h"

#include <QRegularExpression>
#include <cstdlib>

namespace Orvel {

icaltimetype ICalTimes::utcTime(const QDateTime& instant)
{
    // Filled from the fields directly: libical's conversion from time_t goes through its zone
    // code, which costs more than the rest of a property.
    icaltimetype time = wallClockTime(instant.toUTC());
    time.zone = icaltimezone_get_utc_timezone();
    return time;
}

icaltimetype ICalTimes::wallClockTime(const QDateTime& wallClock)
{
    icaltimetype time = icaltime_null_time();
    time.year = wallClock.date().year();
    time.month = wallClock.date().month();
    time.day = wallClock.date().day();
    time.hour = wallClock.time().hour();
    time.minute = wallClock.time().minute();
    time.second = wallClock.time().second();
    return time;
}

icaltimetype ICalTimes::dateOnly(const QDate& date)
{
    icaltimetype time = icaltime_null_date();
    time.year = date.year();
    time.month = date.month();
    time.day = date.day();
    return time;
}

QDateTime ICalTimes::digits(const icaltimetype& time, Qt::TimeSpec spec)
{
    const QDate date(time.year, time.month, time.day);
    const QTime clock = time.is_date ? QTime(0, 0) : QTime(time.hour, time.minute, time.second);
    return QDateTime(date, clock, spec);
}

bool ICalTimes::isValid(const icaltimetype& time)
{
    if (icaltime_is_null_time(time) || !QDate(time.year, time.month, time.day).isValid())
        return false;
    return time.is_date || QTime(time.hour, time.minute, time.second).isValid();
}

bool ICalTimes::isZoneString(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-][0-9][0-9]:[0-5][0-9]$"));
    return pattern.match(text).hasMatch();
}

int ICalTimes::deviceOffset(const QDateTime& instant)
{
    return instant.toLocalTime().offsetFromUtc();
}

} // namespace Orvel
