#ifndef ORVEL_REPEATSONLAYOUT_P_H
#define ORVEL_REPEATSONLAYOUT_P_H

// The layout of a rule's repeats_on text, shared by the rule's own check, the occurrence walk and
// the iCalendar mapping.
namespace Orvel::RepeatsOnLayout {

// Weekly: seven flags, Monday first.
constexpr int weeklyLength = 7;
// Monthly by day of the month: "0", then 28 flags, day 1 first.
constexpr int monthlyByDayLength = 29;
constexpr int lastMonthDay = 28;
// Monthly by weekday: "1", the flags of weeks 1 to 4 and of the last week (positions 1 to 5),
// the last-day flag (6) and seven weekday flags, Monday first (7 to 13).
constexpr int monthlyByWeekdayLength = 14;
constexpr int firstWeekPosition = 1;
constexpr int weekPositions = 5;
constexpr int lastWeekPosition = 5;
constexpr int lastDayPosition = 6;
constexpr int firstWeekdayPosition = 7;
constexpr int weekdayPositions = 7;

} // namespace Orvel::RepeatsOnLayout

#endif
