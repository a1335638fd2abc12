#ifndef ORVEL_CLI_TODOFORMATTER_H
#define ORVEL_CLI_TODOFORMATTER_H

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace Orvel {
class Recurrence;
class Todo;
} // namespace Orvel

// The texts orvel prints for a todo: one line of a list, and the full description of show.
class TodoFormatter
{
public:
    // Id, done mark, readable date and text, separated by tabs; a backslash, tab, line feed or
    // carriage return in the text is written as \\, \t, \n or \r. An occurrence of a repeating
    // todo, which has no row, shows "R" and the id of its rule instead of an id.
    static QString listLine(const Orvel::Todo* todo);
    // The note, or the expanded format string when the todo has one.
    static QString text(const Orvel::Todo* todo);
    // Every field of the todo, its fields, alarms, attachments and recurrence, with the dates
    // in the todo's own zone.
    static QStringList details(const Orvel::Todo* todo);
    // The repetition rule in words, such as "weekly on Mon, Wed".
    static QString ruleDescription(const Orvel::Recurrence* recurrence);

private:
    static QString idText(const Orvel::Todo* todo);
    // The text on one line that tabs cannot split into columns.
    static QString escaped(const QString& text);
    static QString entry(const QString& key, const QString& value);
    static QString wallClock(const QDateTime& dateTime);
    static QString inZoneOf(const Orvel::Todo* todo, const QDateTime& utc);
    static QStringList fieldLines(const Orvel::Todo* todo);
    static QStringList alarmLines(const Orvel::Todo* todo);
    static QStringList attachmentLines(const Orvel::Todo* todo);
    static QStringList recurrenceLines(const Orvel::Todo* todo);
    static QString chosenWeekdays(const QString& flags);
    static QString chosenDays(const QString& flags);
};

#endif
