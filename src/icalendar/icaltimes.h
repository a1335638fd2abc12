#ifndef ORVEL_ICALENDAR_ICALTIMES_H
#define ORVEL_ICALENDAR_ICALTIMES_H

#include <QDateTime>
#include <QString>
#include <libical/ical.h>

namespace Orvel {

// Conversions between Qt's date-times, the library's zone strings and libical's time values.
class ICalTimes
{
public:
    // A UTC value ("...Z") of the instant.
    static icaltimetype utcTime(const QDateTime& instant);
    // A value without zone holding the date and time digits of a wall-clock reading.
    static icaltimetype wallClockTime(const QDateTime& wallClock);
    static icaltimetype dateOnly(const QDate& date);
    // The digits of a libical time as a date-time labelled with the given Qt::TimeSpec.
    static QDateTime digits(const icaltimetype& time, Qt::TimeSpec spec);
    // False for a month 13, a 30 February, an hour 25 and the like.
    static bool isValid(const icaltimetype& time);

    // True for a sign, two digits, ":" and two digits with minutes below 60.
    static bool isZoneString(const QString& text);
    // The device's offset from UTC at the instant.
    static int deviceOffset(const QDateTime& instant);
};

} // namespace Orvel

#endif
