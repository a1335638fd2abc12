#include <QLatin1Char>
#include <QLatin1String>
#include <cstddef>
#include <orvel/pool.h>

namespace Orvel {

namespace {

// The source texts offered to translators. QT_TRANSLATE_NOOP only marks them for lupdate; the
// lookup happens in translatedName(). "May" is one source text in both month tables, so a single
// translation serves the long and the short name.
const char* const longMonthNames[] = {
    QT_TRANSLATE_NOOP("Orvel::Pool", "January"),   QT_TRANSLATE_NOOP("Orvel::Pool", "February"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "March"),     QT_TRANSLATE_NOOP("Orvel::Pool", "April"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "May"),       QT_TRANSLATE_NOOP("Orvel::Pool", "June"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "July"),      QT_TRANSLATE_NOOP("Orvel::Pool", "August"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "September"), QT_TRANSLATE_NOOP("Orvel::Pool", "October"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "November"),  QT_TRANSLATE_NOOP("Orvel::Pool", "December"),
};

const char* const shortMonthNames[] = {
    QT_TRANSLATE_NOOP("Orvel::Pool", "Jan"), QT_TRANSLATE_NOOP("Orvel::Pool", "Feb"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Mar"), QT_TRANSLATE_NOOP("Orvel::Pool", "Apr"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "May"), QT_TRANSLATE_NOOP("Orvel::Pool", "Jun"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Jul"), QT_TRANSLATE_NOOP("Orvel::Pool", "Aug"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Sep"), QT_TRANSLATE_NOOP("Orvel::Pool", "Oct"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Nov"), QT_TRANSLATE_NOOP("Orvel::Pool", "Dec"),
};

const char* const longWeekDayNames[] = {
    QT_TRANSLATE_NOOP("Orvel::Pool", "Monday"),    QT_TRANSLATE_NOOP("Orvel::Pool", "Tuesday"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Wednesday"), QT_TRANSLATE_NOOP("Orvel::Pool", "Thursday"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Friday"),    QT_TRANSLATE_NOOP("Orvel::Pool", "Saturday"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Sunday"),
};

const char* const shortWeekDayNames[] = {
    QT_TRANSLATE_NOOP("Orvel::Pool", "Mon"), QT_TRANSLATE_NOOP("Orvel::Pool", "Tue"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Wed"), QT_TRANSLATE_NOOP("Orvel::Pool", "Thu"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Fri"), QT_TRANSLATE_NOOP("Orvel::Pool", "Sat"),
    QT_TRANSLATE_NOOP("Orvel::Pool", "Sun"),
};

const char dateSeparator[] = " ";
const char weekDaySeparator[] = ", ";
const char timeSeparator[] = ":";

// Tables are indexed the way QDate numbers months and weekdays: from 1.
template <std::size_t Size> QString translatedName(const char* const (&names)[Size], int index)
{
    if (index < 1 || index > static_cast<int>(Size))
        return QString();
    return Pool::tr(names[index - 1]);
}

QString decimal(int value)
{
    return QString::number(value, 10);
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(decimal(value), 2, QLatin1Char('0'));
}

} // namespace

QString Pool::localizedLongMonthName(int month)
{
    return translatedName(longMonthNames, month);
}

QString Pool::localizedShortMonthName(int month)
{
    return translatedName(shortMonthNames, month);
}

QString Pool::localizedLongWeekDay(int day)
{
    return translatedName(longWeekDayNames, day);
}

QString Pool::localizedShortWeekDay(int day)
{
    return translatedName(shortWeekDayNames, day);
}

QString Pool::localizedLongDate(const QDate& date)
{
    return decimal(date.year()) + QLatin1String(dateSeparator) +
           localizedShortMonthName(date.month()) + QLatin1String(dateSeparator) +
           decimal(date.day());
}

QString Pool::localizedShortDate(const QDate& date)
{
    return localizedShortMonthName(date.month()) + QLatin1String(dateSeparator) +
           decimal(date.day());
}

// The date and time are rendered as they stand in the argument: no time spec conversion.
QString Pool::localizedDateTime(const QDateTime& dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return localizedShortWeekDay(date.dayOfWeek()) + QLatin1String(weekDaySeparator) +
           localizedShortDate(date) + QLatin1String(dateSeparator) + twoDigits(time.hour()) +
           QLatin1String(timeSeparator) + twoDigits(time.minute());
}

} // namespace Orvel
