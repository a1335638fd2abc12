#include "rulemapping.h"

#include "entity/repeatsonlayout_p.h"

#include <cstdlib>

namespace Orvel {

namespace {

using namespace RepeatsOnLayout;

constexpr int daysInWeek = 7;

bool isEnd(short value)
{
    return value == ICAL_RECURRENCE_ARRAY_MAX;
}

template <std::size_t size> int countOf(const short (&values)[size])
{
    int count = 0;
    while (count < static_cast<int>(size) && !isEnd(values[count]))
        ++count;
    return count;
}

// libical numbers weekdays from Sunday = 1; Qt and the patterns from Monday = 1.
int qtWeekdayOf(int libicalDay)
{
    return libicalDay == ICAL_SUNDAY_WEEKDAY ? daysInWeek : libicalDay - 1;
}

int qtWeekday(short encodedDay)
{
    return qtWeekdayOf(icalrecurrencetype_day_day_of_week(encodedDay));
}

short encodedDay(int qtDay, int position)
{
    const int libicalDay = qtDay == daysInWeek ? ICAL_SUNDAY_WEEKDAY : qtDay + 1;
    const int magnitude = std::abs(position) * 8 + libicalDay;
    return static_cast<short>(position < 0 ? -magnitude : magnitude);
}

void appendDay(icalrecurrencetype* recurrence, int* count, short value)
{
    recurrence->by_day[(*count)++] = value;
    recurrence->by_day[*count] = ICAL_RECURRENCE_ARRAY_MAX;
}

QString flagsWith(int length, int position)
{
    QString flags(length, QLatin1Char('0'));
    flags[position] = QLatin1Char('1');
    return flags;
}

} // namespace

bool RuleMapping::toRecurrence(const RuleValues& rule, icalrecurrencetype* recurrence)
{
    icalrecurrencetype_clear(recurrence);
    recurrence->interval = static_cast<short>(rule.every > 0 ? rule.every : 1);
    switch (rule.repeats) {
    case Daily:
        recurrence->freq = ICAL_DAILY_RECURRENCE;
        return rule.repeatsOn.isEmpty();
    case Yearly:
        recurrence->freq = ICAL_YEARLY_RECURRENCE;
        return rule.repeatsOn.isEmpty();
    case Weekly:
        if (rule.repeatsOn.size() != daysInWeek || !rule.repeatsOn.contains(QLatin1Char('1')))
            return false;
        recurrence->freq = ICAL_WEEKLY_RECURRENCE;
        weeklyToRecurrence(rule.repeatsOn, recurrence);
        return true;
    case Monthly:
        if (rule.repeatsOn.size() != monthlyByDayLength &&
            rule.repeatsOn.size() != monthlyByWeekdayLength)
            return false;
        recurrence->freq = ICAL_MONTHLY_RECURRENCE;
        monthlyToRecurrence(rule.repeatsOn, recurrence);
        return true;
    default:
        return false;
    }
}

void RuleMapping::weeklyToRecurrence(const QString& flags, icalrecurrencetype* recurrence)
{
    int count = 0;
    for (int day = 1; day <= daysInWeek; ++day) {
        if (flags.at(day - 1) == QLatin1Char('1'))
            appendDay(recurrence, &count, encodedDay(day, 0));
    }
}

void RuleMapping::monthlyToRecurrence(const QString& pattern, icalrecurrencetype* recurrence)
{
    if (pattern.at(0) == QLatin1Char('0')) {
        int count = 0;
        for (int day = 1; day <= lastMonthDay; ++day) {
            if (pattern.at(day) == QLatin1Char('1'))
                recurrence->by_month_day[count++] = static_cast<short>(day);
        }
        recurrence->by_month_day[count] = ICAL_RECURRENCE_ARRAY_MAX;
        return;
    }
    // The first marked position of 1 to 6 decides, as in the occurrence computation.
    const int decisive = pattern.indexOf(QLatin1Char('1'), 1);
    if (decisive == lastDayPosition || decisive < 1 || decisive > lastDayPosition) {
        recurrence->by_month_day[0] = -1;
        recurrence->by_month_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
        return;
    }
    const int position = decisive == lastWeekPosition ? -1 : decisive;
    int count = 0;
    for (int day = 1; day <= daysInWeek; ++day) {
        if (pattern.at(firstWeekdayPosition + day - 1) == QLatin1Char('1'))
            appendDay(recurrence, &count, encodedDay(day, position));
    }
}

void RuleMapping::fromRecurrence(const icalrecurrencetype& recurrence, const QDate& start,
                                 RuleValues* rule, QStringList* dropped)
{
    unsupportedParts(recurrence, dropped);
    rule->every = recurrence.interval;
    rule->repeatsOn.clear();
    switch (recurrence.freq) {
    case ICAL_DAILY_RECURRENCE:
        rule->repeats = Daily;
        if (countOf(recurrence.by_day) || countOf(recurrence.by_month_day))
            dropped->append(QStringLiteral("BYDAY or BYMONTHDAY in a daily rule"));
        break;
    case ICAL_WEEKLY_RECURRENCE:
        weeklyFrom(recurrence, start, rule, dropped);
        break;
    case ICAL_MONTHLY_RECURRENCE:
        monthlyFrom(recurrence, start, rule, dropped);
        break;
    case ICAL_YEARLY_RECURRENCE:
        rule->repeats = Yearly;
        yearlyFrom(recurrence, start, dropped);
        break;
    default:
        dropped->append(QStringLiteral("FREQ=%1").arg(
            QString::fromUtf8(icalrecur_freq_to_string(recurrence.freq))));
    }
}

void RuleMapping::unsupportedParts(const icalrecurrencetype& recurrence, QStringList* dropped)
{
    if (recurrence.count > 0)
        dropped->append(QStringLiteral("COUNT"));
    if (countOf(recurrence.by_set_pos))
        dropped->append(QStringLiteral("BYSETPOS"));
    if (countOf(recurrence.by_second) || countOf(recurrence.by_minute) ||
        countOf(recurrence.by_hour))
        dropped->append(QStringLiteral("BYHOUR, BYMINUTE or BYSECOND"));
    if (countOf(recurrence.by_year_day))
        dropped->append(QStringLiteral("BYYEARDAY"));
    if (countOf(recurrence.by_week_no))
        dropped->append(QStringLiteral("BYWEEKNO"));
    if (countOf(recurrence.by_month) && recurrence.freq != ICAL_YEARLY_RECURRENCE)
        dropped->append(QStringLiteral("BYMONTH"));
    if (recurrence.rscale)
        dropped->append(QStringLiteral("RSCALE"));
}

void RuleMapping::weeklyFrom(const icalrecurrencetype& recurrence, const QDate& start,
                             RuleValues* rule, QStringList* dropped)
{
    rule->repeats = Weekly;
    QString flags(daysInWeek, QLatin1Char('0'));
    const int days = countOf(recurrence.by_day);
    for (int i = 0; i < days; ++i) {
        if (icalrecurrencetype_day_position(recurrence.by_day[i]) != 0) {
            dropped->append(QStringLiteral("BYDAY with an ordinal in a weekly rule"));
            return;
        }
        flags[qtWeekday(recurrence.by_day[i]) - 1] = QLatin1Char('1');
    }
    if (days == 0)
        flags[start.dayOfWeek() - 1] = QLatin1Char('1');
    if (countOf(recurrence.by_month_day)) {
        dropped->append(QStringLiteral("BYMONTHDAY in a weekly rule"));
        return;
    }
    // Weeks that begin on another day than Monday group the days from that weekday to Sunday
    // with the following Monday; with an interval above 1 this only matters when the chosen
    // days lie on both sides of that border.
    const int weekStart =
        recurrence.week_start == ICAL_NO_WEEKDAY ? 1 : qtWeekdayOf(recurrence.week_start);
    if (rule->every > 1 && weekStart != 1) {
        const bool before = flags.left(weekStart - 1).contains(QLatin1Char('1'));
        const bool after = flags.mid(weekStart - 1).contains(QLatin1Char('1'));
        if (before && after) {
            dropped->append(QStringLiteral("WKST=%1").arg(
                QString::fromUtf8(icalrecur_weekday_to_string(recurrence.week_start))));
            return;
        }
    }
    rule->repeatsOn = flags;
}

void RuleMapping::monthlyFrom(const icalrecurrencetype& recurrence, const QDate& start,
                              RuleValues* rule, QStringList* dropped)
{
    rule->repeats = Monthly;
    const int monthDays = countOf(recurrence.by_month_day);
    const int weekDays = countOf(recurrence.by_day);
    if (monthDays && weekDays) {
        dropped->append(QStringLiteral("BYDAY together with BYMONTHDAY"));
        return;
    }
    if (weekDays) {
        monthlyByWeekdayFrom(recurrence, rule, dropped);
        return;
    }
    if (monthDays == 1 && recurrence.by_month_day[0] == -1) {
        rule->repeatsOn = flagsWith(monthlyByWeekdayLength, 0);
        rule->repeatsOn[lastDayPosition] = QLatin1Char('1');
        return;
    }
    QString flags(monthlyByDayLength, QLatin1Char('0'));
    for (int i = 0; i < monthDays; ++i) {
        const int day = recurrence.by_month_day[i];
        if (day < 1 || day > lastMonthDay) {
            dropped->append(QStringLiteral("BYMONTHDAY=%1").arg(day));
            return;
        }
        flags[day] = QLatin1Char('1');
    }
    if (monthDays == 0) {
        if (start.day() > lastMonthDay) {
            dropped->append(QStringLiteral("a monthly repetition on day %1").arg(start.day()));
            return;
        }
        flags[start.day()] = QLatin1Char('1');
    }
    rule->repeatsOn = flags;
}

void RuleMapping::monthlyByWeekdayFrom(const icalrecurrencetype& recurrence, RuleValues* rule,
                                       QStringList* dropped)
{
    const int position = icalrecurrencetype_day_position(recurrence.by_day[0]);
    QString pattern = flagsWith(monthlyByWeekdayLength, 0);
    const int days = countOf(recurrence.by_day);
    for (int i = 0; i < days; ++i) {
        if (icalrecurrencetype_day_position(recurrence.by_day[i]) != position) {
            dropped->append(QStringLiteral("BYDAY with several ordinals"));
            return;
        }
        pattern[firstWeekdayPosition + qtWeekday(recurrence.by_day[i]) - 1] = QLatin1Char('1');
    }
    if (position == 0 || position < -1 || position > weekPositions - 1) {
        dropped->append(position == 0 ? QStringLiteral("BYDAY without ordinal in a monthly rule")
                                      : QStringLiteral("BYDAY with the ordinal %1").arg(position));
        return;
    }
    pattern[position == -1 ? lastWeekPosition : position] = QLatin1Char('1');
    rule->repeatsOn = pattern;
}

void RuleMapping::yearlyFrom(const icalrecurrencetype& recurrence, const QDate& start,
                             QStringList* dropped)
{
    // A yearly rule repeats the start's month and day; BY parts naming exactly those add nothing.
    const int months = countOf(recurrence.by_month);
    const int monthDays = countOf(recurrence.by_month_day);
    const bool sameMonth = months == 0 || (months == 1 && recurrence.by_month[0] == start.month());
    const bool sameDay =
        monthDays == 0 || (monthDays == 1 && recurrence.by_month_day[0] == start.day());
    if (!sameMonth || !sameDay || countOf(recurrence.by_day) != 0)
        dropped->append(QStringLiteral("BYMONTH, BYMONTHDAY or BYDAY in a yearly rule"));
}

} // namespace Orvel
