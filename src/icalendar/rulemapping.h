#ifndef ORVEL_ICALENDAR_RULEMAPPING_H
#define ORVEL_ICALENDAR_RULEMAPPING_H

#include <QDate>
#include <QString>
#include <QStringList>
#include <libical/ical.h>
#include <orvel/repeats.h>

namespace Orvel {

// The part of a recurrence that an RRULE expresses, without its range.
struct RuleValues
{
    Repeats repeats = NoRepeat;
    int every = 1;
    QString repeatsOn;
};

// Translates between the library's rule kinds and RRULE values. The two describe the same dates:
// a weekly rule steps over weeks that begin on Monday, a monthly rule "in week w" is the w-th
// such weekday of the month, "in the last week" the last one, "the last day" BYMONTHDAY=-1.
class RuleMapping
{
public:
    // False for NoRepeat and for a pattern that does not fit its kind.
    static bool toRecurrence(const RuleValues& rule, icalrecurrencetype* recurrence);
    // An RRULE that cannot be represented adds the parts responsible to dropped; the rule holds
    // what could be read. start is the first occurrence (DTSTART), whose weekday or day fills a
    // rule without BY parts.
    static void fromRecurrence(const icalrecurrencetype& recurrence, const QDate& start,
                               RuleValues* rule, QStringList* dropped);

private:
    static void weeklyToRecurrence(const QString& flags, icalrecurrencetype* recurrence);
    static void monthlyToRecurrence(const QString& pattern, icalrecurrencetype* recurrence);
    static void unsupportedParts(const icalrecurrencetype& recurrence, QStringList* dropped);
    static void weeklyFrom(const icalrecurrencetype& recurrence, const QDate& start,
                           RuleValues* rule, QStringList* dropped);
    static void monthlyFrom(const icalrecurrencetype& recurrence, const QDate& start,
                            RuleValues* rule, QStringList* dropped);
    static void monthlyByWeekdayFrom(const icalrecurrencetype& recurrence, RuleValues* rule,
                                     QStringList* dropped);
    static void yearlyFrom(const icalrecurrencetype& recurrence, const QDate& start,
                           QStringList* dropped);
};

} // namespace Orvel

#endif
