#include <QDate>
#include <QLatin1String>
#include <QTime>
#include <orvel/pool.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

// Phrases offered to translators, each its own source text. The whole-day names have no
// trailing space; the day labels carry one because more text follows them.
const char* const wrongDates = QT_TRANSLATE_NOOP("Orvel::Todo", "Wrong dates");
const char* const thisMonth = QT_TRANSLATE_NOOP("Orvel::Todo", "This month");
const char* const nextMonth = QT_TRANSLATE_NOOP("Orvel::Todo", "Next month");
const char* const lastMonth = QT_TRANSLATE_NOOP("Orvel::Todo", "Last month");
const char* const thisWeek = QT_TRANSLATE_NOOP("Orvel::Todo", "This week");
const char* const nextWeek = QT_TRANSLATE_NOOP("Orvel::Todo", "Next week");
const char* const lastWeek = QT_TRANSLATE_NOOP("Orvel::Todo", "Last week");
const char* const yesterdayName = QT_TRANSLATE_NOOP("Orvel::Todo", "Yesterday");
const char* const todayName = QT_TRANSLATE_NOOP("Orvel::Todo", "Today");
const char* const tomorrowName = QT_TRANSLATE_NOOP("Orvel::Todo", "Tomorrow");
const char* const yesterdayLabel = QT_TRANSLATE_NOOP("Orvel::Todo", "Yesterday ");
const char* const todayLabel = QT_TRANSLATE_NOOP("Orvel::Todo", "Today ");
const char* const tomorrowLabel = QT_TRANSLATE_NOOP("Orvel::Todo", "Tomorrow ");

// Fixed texts that are not translated.
const char weekPrefix[] = "Week ";
const char rangeSeparator[] = " - ";
const char dayEnd[] = ". ";
const char singleDayEnd[] = ".";
const char space[] = " ";
const char timePattern[] = "HH:mm";
const char noPhrase[] = "ERROR - Wrong dates!";

// A reading of a clock: date and time digits without a zone. The todo's wall-clock dates are
// compared with the device's clock as they stand, so comparing digits is exactly what is meant
// and keeps the comparisons free of zone look-ups (and of DST gaps and repeated hours).
struct WallClock
{
    QDate date;
    QTime time;
};

bool operator<(const WallClock& left, const WallClock& right)
{
    return left.date < right.date || (left.date == right.date && left.time < right.time);
}

WallClock wallClock(const QDateTime& dateTime)
{
    return {dateTime.date(), dateTime.time()};
}

WallClock daysLater(const WallClock& clock, int days)
{
    return {clock.date.addDays(days), clock.time};
}

bool isMidnight(const QTime& time)
{
    return time.hour() == 0 && time.minute() == 0;
}

bool isLastMinute(const QTime& time)
{
    return time.hour() == 23 && time.minute() == 59;
}

bool isSameMonth(const QDate& left, const QDate& right)
{
    return left.year() == right.year() && left.month() == right.month();
}

QString translated(const char* sourceText)
{
    return Todo::tr(sourceText);
}

QString decimal(int value)
{
    return QString::number(value, 10);
}

QString clockTime(const QTime& time)
{
    return time.toString(QLatin1String(timePattern));
}

enum class RelativeDay { Yesterday, Today, Tomorrow, Other };

// Builds the phrase for one span; every comparison is between wall-clock readings.
class SpanPhrase
{
public:
    SpanPhrase(const WallClock& start, const WallClock& end, const WallClock& now)
        : m_start(start), m_end(end), m_now(now), m_spanDays(start.date.daysTo(end.date))
    {}

    QString text() const
    {
        QString text;
        if (isWholeDaySpan())
            text = wholeDayPhrase();
        if (text.isEmpty() && isMoment())
            text = momentPhrase();
        if (text.isEmpty())
            text = rangePhrase();
        return text;
    }

private:
    bool isWholeDaySpan() const { return isMidnight(m_start.time) && isLastMinute(m_end.time); }

    bool isWholeMonth() const
    {
        return m_start.date.month() == m_end.date.month() &&
               m_spanDays == m_start.date.daysInMonth() - 1;
    }

    bool isWholeWeek() const
    {
        return m_start.date.dayOfWeek() == Qt::Monday && m_end.date.dayOfWeek() == Qt::Sunday &&
               m_spanDays == 6;
    }

    bool isSingleDay() const { return m_spanDays == 0; }

    bool isMoment() const
    {
        return m_start.date == m_end.date && m_start.time.hour() == m_end.time.hour() &&
               m_start.time.minute() == m_end.time.minute();
    }

    QString wholeDayPhrase() const
    {
        if (isWholeMonth())
            return monthPhrase();
        if (isWholeWeek())
            return weekPhrase();
        if (isSingleDay())
            return singleDayPhrase();
        return QString();
    }

    QString monthPhrase() const
    {
        const QDate& month = m_start.date;
        if (isSameMonth(month, m_now.date))
            return translated(thisMonth);
        if (isSameMonth(month, m_now.date.addMonths(1)))
            return translated(nextMonth);
        if (isSameMonth(month, m_now.date.addMonths(-1)))
            return translated(lastMonth);
        return yearPrefix(month) + Pool::localizedLongMonthName(month.month());
    }

    QString weekPhrase() const
    {
        if (contains(m_start, m_now, m_end))
            return translated(thisWeek);
        if (contains(daysLater(m_start, -7), m_now, daysLater(m_end, -7)))
            return translated(nextWeek);
        if (contains(daysLater(m_start, 7), m_now, daysLater(m_end, 7)))
            return translated(lastWeek);
        return yearPrefix(m_start.date) + QLatin1String(weekPrefix) +
               decimal(m_start.date.weekNumber());
    }

    QString singleDayPhrase() const
    {
        switch (relativeDay(m_start.date)) {
        case RelativeDay::Yesterday:
            return translated(yesterdayName);
        case RelativeDay::Today:
            return translated(todayName);
        case RelativeDay::Tomorrow:
            return translated(tomorrowName);
        case RelativeDay::Other:
            break;
        }
        return yearPrefix(m_start.date) + monthAndDay(m_start.date) + QLatin1String(singleDayEnd);
    }

    QString momentPhrase() const { return dayLabel(m_start.date) + clockTime(m_start.time); }

    QString rangePhrase() const
    {
        QString text = dayLabel(m_start.date);
        if (!isMidnight(m_start.time))
            text += clockTime(m_start.time);
        text += QLatin1String(rangeSeparator);
        if (m_spanDays != 0)
            text += endDayOfLongerRange();
        else if (isLastMinute(m_end.time))
            text += endDayOfOneDayRange();
        if (!isLastMinute(m_end.time))
            text += clockTime(m_end.time);
        return text;
    }

    // The end of a range over several days is placed relative to the start, not to now, unless
    // it falls next to today.
    QString endDayOfLongerRange() const
    {
        const QDate& end = m_end.date;
        const QString label = relativeDayLabel(end);
        if (!label.isNull())
            return label;
        if (end.year() != m_start.date.year())
            return decimal(end.year()) + QLatin1String(space) + monthAndDay(end) +
                   QLatin1String(dayEnd);
        if (end.month() != m_start.date.month())
            return monthAndDay(end) + QLatin1String(dayEnd);
        return decimal(end.day()) + QLatin1String(dayEnd);
    }

    QString endDayOfOneDayRange() const
    {
        const QString label = relativeDayLabel(m_end.date);
        if (!label.isNull())
            return label;
        return decimal(m_end.date.day()) + QLatin1String(dayEnd);
    }

    QString dayLabel(const QDate& day) const
    {
        const QString label = relativeDayLabel(day);
        if (!label.isNull())
            return label;
        return yearPrefix(day) + monthAndDay(day) + QLatin1String(dayEnd);
    }

    // "Yesterday ", "Today " or "Tomorrow " (translated), or a null string for any other day.
    QString relativeDayLabel(const QDate& day) const
    {
        switch (relativeDay(day)) {
        case RelativeDay::Yesterday:
            return translated(yesterdayLabel);
        case RelativeDay::Today:
            return translated(todayLabel);
        case RelativeDay::Tomorrow:
            return translated(tomorrowLabel);
        case RelativeDay::Other:
            break;
        }
        return QString();
    }

    // Calendar dates, not 24-hour periods: 23:59 of the day before now is already yesterday.
    RelativeDay relativeDay(const QDate& day) const
    {
        const auto daysToNow = day.daysTo(m_now.date);
        if (daysToNow == 1)
            return RelativeDay::Yesterday;
        if (daysToNow == 0)
            return RelativeDay::Today;
        if (m_now.date.daysTo(day) == 1)
            return RelativeDay::Tomorrow;
        return RelativeDay::Other;
    }

    QString yearPrefix(const QDate& day) const
    {
        if (day.year() == m_now.date.year())
            return QString();
        return decimal(day.year()) + QLatin1String(space);
    }

    static QString monthAndDay(const QDate& day)
    {
        return Pool::localizedShortMonthName(day.month()) + QLatin1String(space) +
               decimal(day.day());
    }

    static bool contains(const WallClock& from, const WallClock& moment, const WallClock& to)
    {
        return from < moment && moment < to;
    }

    WallClock m_start;
    WallClock m_end;
    WallClock m_now;
    qint64 m_spanDays;
};

} // namespace

QString Todo::readableDate() const
{
    // The held instants carry the same zone offset, so their order is that of the wall-clock
    // readings.
    if (end_date < start_date)
        return translated(wrongDates);

    const QDateTime now = QDateTime::currentDateTime();
    QString text =
        SpanPhrase(wallClock(startDate(Stored)), wallClock(endDate(Stored)), wallClock(now)).text();
    if (time_zone != parseTimeZone(now))
        text += QLatin1String(space) + time_zone;
    if (text.isEmpty())
        text = QLatin1String(noPhrase);
    return text;
}

} // namespace Orvel
