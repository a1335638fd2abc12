#include "entity/timezone.h"
#include "readabletext_p.h"

#include <QDate>
#include <QLatin1Char>
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
const QLatin1Char timeSeparator(':');
const char noPhrase[] = "ERROR - Wrong dates!";

// Room for a long phrase (two day labels, two times and a zone) in a single allocation.
const int expectedLength = 48;

// A reading of a clock: date and time digits without a zone, with the calendar parts split out
// once. The todo's wall-clock dates are compared with the device's clock as they stand, so
// comparing digits is exactly what is meant and keeps the comparisons free of zone look-ups.
struct WallClock
{
    QDate date;
    QTime time;
    int year = 0;
    int month = 0;
    int day = 0;
};

WallClock wallClock(const QDate& date, const QTime& time)
{
    WallClock clock{date, time};
    date.getDate(&clock.year, &clock.month, &clock.day);
    return clock;
}

// The reading that startDate(Stored) and endDate(Stored) show: the held UTC value moved by the
// zone's offset. Reading the digits of the shifted UTC value skips building a local-time value,
// which costs a look-up in the zone database on every call.
WallClock storedWallClock(const QDateTime& held, int zoneOffset)
{
    const QDateTime shifted = held.addSecs(zoneOffset);
    return wallClock(shifted.date(), shifted.time());
}

bool operator<(const WallClock& left, const WallClock& right)
{
    return left.date < right.date || (left.date == right.date && left.time < right.time);
}

WallClock daysLater(const WallClock& clock, int days)
{
    return wallClock(clock.date.addDays(days), clock.time);
}

bool isMidnight(const QTime& time)
{
    return time.hour() == 0 && time.minute() == 0;
}

bool isLastMinute(const QTime& time)
{
    return time.hour() == 23 && time.minute() == 59;
}

bool isMonthOf(const WallClock& clock, const QDate& date)
{
    return clock.year == date.year() && clock.month == date.month();
}

QString translated(const char* sourceText)
{
    return Todo::tr(sourceText);
}

void appendDecimal(QString& text, int value)
{
    text += QString::number(value, 10);
}

void appendTwoDigits(QString& text, int value)
{
    text += QLatin1Char(static_cast<char>('0' + value / 10));
    text += QLatin1Char(static_cast<char>('0' + value % 10));
}

// Equals QTime::toString() with the pattern "HH:mm", written out here because the readable date
// is a sort key and the pattern parser is the costliest step of a whole phrase.
void appendClockTime(QString& text, const QTime& time)
{
    if (!time.isValid())
        return;
    appendTwoDigits(text, time.hour());
    text += timeSeparator;
    appendTwoDigits(text, time.minute());
}

enum class RelativeDay { Yesterday, Today, Tomorrow, Other };

// Builds the phrase for one span into one string; every comparison is between wall-clock
// readings.
class SpanPhrase
{
public:
    SpanPhrase(const WallClock& start, const WallClock& end, const WallClock& now,
               bool* readsTimeOfDay)
        : m_start(start), m_end(end), m_now(now), m_spanDays(start.date.daysTo(end.date)),
          m_readsTimeOfDay(readsTimeOfDay)
    {
        m_text.reserve(expectedLength);
    }

    QString text()
    {
        if (isWholeDaySpan())
            appendWholeDayPhrase();
        if (m_text.isEmpty() && isMoment())
            appendMomentPhrase();
        if (m_text.isEmpty())
            appendRangePhrase();
        return m_text;
    }

private:
    bool isWholeDaySpan() const { return isMidnight(m_start.time) && isLastMinute(m_end.time); }

    bool isWholeMonth() const
    {
        return m_start.month == m_end.month && m_spanDays == m_start.date.daysInMonth() - 1;
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

    void appendWholeDayPhrase()
    {
        if (isWholeMonth())
            appendMonthPhrase();
        else if (isWholeWeek())
            appendWeekPhrase();
        else if (isSingleDay())
            appendSingleDayPhrase();
    }

    void appendMonthPhrase()
    {
        if (isMonthOf(m_start, m_now.date)) {
            m_text += translated(thisMonth);
        } else if (isMonthOf(m_start, m_now.date.addMonths(1))) {
            m_text += translated(nextMonth);
        } else if (isMonthOf(m_start, m_now.date.addMonths(-1))) {
            m_text += translated(lastMonth);
        } else {
            appendYearPrefix(m_start);
            m_text += Pool::localizedLongMonthName(m_start.month);
        }
    }

    void appendWeekPhrase()
    {
        if (contains(m_start, m_now, m_end)) {
            m_text += translated(thisWeek);
        } else if (contains(daysLater(m_start, -7), m_now, daysLater(m_end, -7))) {
            m_text += translated(nextWeek);
        } else if (contains(daysLater(m_start, 7), m_now, daysLater(m_end, 7))) {
            m_text += translated(lastWeek);
        } else {
            appendYearPrefix(m_start);
            m_text += QLatin1String(weekPrefix);
            appendDecimal(m_text, m_start.date.weekNumber());
        }
    }

    void appendSingleDayPhrase()
    {
        switch (relativeDay(m_start.date)) {
        case RelativeDay::Yesterday:
            m_text += translated(yesterdayName);
            return;
        case RelativeDay::Today:
            m_text += translated(todayName);
            return;
        case RelativeDay::Tomorrow:
            m_text += translated(tomorrowName);
            return;
        case RelativeDay::Other:
            break;
        }
        appendYearPrefix(m_start);
        appendMonthAndDay(m_start);
        m_text += QLatin1String(singleDayEnd);
    }

    void appendMomentPhrase()
    {
        appendDayLabel(m_start);
        appendClockTime(m_text, m_start.time);
    }

    void appendRangePhrase()
    {
        appendDayLabel(m_start);
        if (!isMidnight(m_start.time))
            appendClockTime(m_text, m_start.time);
        m_text += QLatin1String(rangeSeparator);
        if (m_spanDays != 0)
            appendEndDayOfLongerRange();
        else if (isLastMinute(m_end.time))
            appendEndDayOfOneDayRange();
        if (!isLastMinute(m_end.time))
            appendClockTime(m_text, m_end.time);
    }

    // The end of a range over several days is placed relative to the start, not to now, unless
    // it falls next to today.
    void appendEndDayOfLongerRange()
    {
        if (appendRelativeDayLabel(m_end.date))
            return;
        if (m_end.year != m_start.year) {
            appendDecimal(m_text, m_end.year);
            m_text += QLatin1String(space);
            appendMonthAndDay(m_end);
        } else if (m_end.month != m_start.month) {
            appendMonthAndDay(m_end);
        } else {
            appendDecimal(m_text, m_end.day);
        }
        m_text += QLatin1String(dayEnd);
    }

    void appendEndDayOfOneDayRange()
    {
        if (appendRelativeDayLabel(m_end.date))
            return;
        appendDecimal(m_text, m_end.day);
        m_text += QLatin1String(dayEnd);
    }

    void appendDayLabel(const WallClock& day)
    {
        if (appendRelativeDayLabel(day.date))
            return;
        appendYearPrefix(day);
        appendMonthAndDay(day);
        m_text += QLatin1String(dayEnd);
    }

    // Appends "Yesterday ", "Today " or "Tomorrow " (translated) and returns true when the day is
    // next to today; appends nothing for any other day.
    bool appendRelativeDayLabel(const QDate& day)
    {
        switch (relativeDay(day)) {
        case RelativeDay::Yesterday:
            m_text += translated(yesterdayLabel);
            return true;
        case RelativeDay::Today:
            m_text += translated(todayLabel);
            return true;
        case RelativeDay::Tomorrow:
            m_text += translated(tomorrowLabel);
            return true;
        case RelativeDay::Other:
            break;
        }
        return false;
    }

    // Calendar dates, not 24-hour periods: 23:59 of the day before now is already yesterday.
    RelativeDay relativeDay(const QDate& day) const
    {
        const auto daysToNow = day.daysTo(m_now.date);
        if (daysToNow == 1)
            return RelativeDay::Yesterday;
        if (daysToNow == 0)
            return RelativeDay::Today;
        if (daysToNow == -1)
            return RelativeDay::Tomorrow;
        return RelativeDay::Other;
    }

    void appendYearPrefix(const WallClock& day)
    {
        if (day.year == m_now.year)
            return;
        appendDecimal(m_text, day.year);
        m_text += QLatin1String(space);
    }

    void appendMonthAndDay(const WallClock& day)
    {
        m_text += Pool::localizedShortMonthName(day.month);
        m_text += QLatin1String(space);
        appendDecimal(m_text, day.day);
    }

    // The only comparison with the time of day of now: it decides only where now falls on the
    // first or last day of the span.
    bool contains(const WallClock& from, const WallClock& moment, const WallClock& to) const
    {
        if (m_readsTimeOfDay && (from.date == moment.date || moment.date == to.date))
            *m_readsTimeOfDay = true;
        return from < moment && moment < to;
    }

    WallClock m_start;
    WallClock m_end;
    WallClock m_now;
    qint64 m_spanDays;
    bool* m_readsTimeOfDay;
    QString m_text;
};

// The device's zone string depends only on its current offset. As the readable date serves as a
// sort key, the string is rebuilt only when the offset differs from the previous call's.
QString deviceZone(const Todo& todo, const QDateTime& now)
{
    thread_local int cachedOffset = 0;
    thread_local QString cachedZone;
    const int offset = now.offsetFromUtc();
    if (cachedZone.isNull() || offset != cachedOffset) {
        cachedZone = todo.parseTimeZone(now);
        cachedOffset = offset;
    }
    return cachedZone;
}

} // namespace

QString Todo::readableDate() const
{
    return ReadableText::date(*this, QDateTime::currentDateTime(), nullptr);
}

QString ReadableText::date(const Todo& todo, const QDateTime& now, bool* readsTimeOfDay)
{
    // The held instants carry the same zone offset, so their order is that of the wall-clock
    // readings.
    if (todo.end_date < todo.start_date)
        return translated(wrongDates);

    const int zoneOffset = TimeZone::offsetSeconds(todo.time_zone);
    QString text = SpanPhrase(storedWallClock(todo.start_date, zoneOffset),
                              storedWallClock(todo.end_date, zoneOffset),
                              wallClock(now.date(), now.time()), readsTimeOfDay)
                       .text();
    if (todo.time_zone != deviceZone(todo, now))
        text += QLatin1String(space) + todo.time_zone;
    if (text.isEmpty())
        text = QLatin1String(noPhrase);
    return text;
}

QString ReadableText::translations()
{
    static const char* const phrases[] = {
        wrongDates,    thisMonth, thisWeek,     nextMonth,      nextWeek,   lastMonth,     lastWeek,
        yesterdayName, todayName, tomorrowName, yesterdayLabel, todayLabel, tomorrowLabel,
    };
    const int monthsInYear = 12;
    QString joined;
    for (const char* phrase : phrases)
        joined += translated(phrase) + QLatin1Char('\n');
    for (int month = 1; month <= monthsInYear; ++month)
        joined += Pool::localizedShortMonthName(month) + QLatin1Char('\n') +
                  Pool::localizedLongMonthName(month) + QLatin1Char('\n');
    return joined;
}

} // namespace Orvel
