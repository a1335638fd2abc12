#include "repeatcommand.h"

#include "console.h"
#include "inputreader.h"
#include "session.h"
#include "todozone.h"

#include <QCommandLineParser>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace {

const char dailyOption[] = "daily";
const char weeklyOption[] = "weekly";
const char monthlyDayOption[] = "monthly-day";
const char monthlyWeekOption[] = "monthly-week";
const char onOption[] = "on";
const char monthlyLastDayOption[] = "monthly-last-day";
const char yearlyOption[] = "yearly";
const char everyOption[] = "every";
const char untilOption[] = "until";
const char stopOption[] = "stop";

const char* const kindOptions[] = {dailyOption,       weeklyOption,         monthlyDayOption,
                                   monthlyWeekOption, monthlyLastDayOption, yearlyOption};

const QTime endOfDay(23, 59, 59);

// Monthly patterns: "0" and 28 day flags, or "1", five week flags, the last-day flag and seven
// weekday flags.
const char byDayMarker[] = "0";
const char byWeekMarker[] = "1";
const char lastDayPattern[] = "1000001"
                              "0000000";

QString weekFlags(int week)
{
    QString flags(6, QLatin1Char('0'));
    flags[week - 1] = QLatin1Char('1');
    return flags;
}

} // namespace

RepeatCommand::RepeatCommand()
    : Command(QStringLiteral("repeat"), QStringLiteral("Make a todo repeat."), QStringLiteral("ID"))
{}

QDateTime RepeatCommand::endlessRangeEnd()
{
    return QDateTime(QDate(9999, 12, 1), QTime(0, 0));
}

bool RepeatCommand::isEndless(const Orvel::Recurrence* rule)
{
    return rule->rangeEnd(Orvel::Stored).date() == endlessRangeEnd().date();
}

void RepeatCommand::defineOptions(QCommandLineParser& parser) const
{
    parser.setApplicationDescription(QStringLiteral(
        "Makes a todo repeat: a sample copied from the todo and a rule for it, starting\n"
        "at the todo's start. Give exactly one of the kinds below. Prints the id of\n"
        "the rule. With --stop, ends the rule of a repeating todo at the present time\n"
        "and keeps the todos it made."));
    parser.addPositionalArgument(QStringLiteral("ID"), QStringLiteral("The id of the todo."));
    parser.addOption({QLatin1String(dailyOption), QStringLiteral("Every day.")});
    parser.addOption({QLatin1String(weeklyOption),
                      QStringLiteral("On the given weekdays, such as MON,WED."),
                      QStringLiteral("days")});
    parser.addOption({QLatin1String(monthlyDayOption),
                      QStringLiteral("On the given days of the month (1 to 28), such as 1,15."),
                      QStringLiteral("days")});
    parser.addOption({QLatin1String(monthlyWeekOption),
                      QStringLiteral("In the given week of the month (1 to 4, or last), on the "
                                     "weekdays of --on."),
                      QStringLiteral("week")});
    parser.addOption({QLatin1String(onOption),
                      QStringLiteral("Weekdays for --monthly-week, such as TUE."),
                      QStringLiteral("days")});
    parser.addOption(
        {QLatin1String(monthlyLastDayOption), QStringLiteral("On the last day of the month.")});
    parser.addOption({QLatin1String(yearlyOption), QStringLiteral("Every year.")});
    parser.addOption({QLatin1String(everyOption),
                      QStringLiteral("Repeat every N days, weeks, months or years. Default: 1."),
                      QStringLiteral("N")});
    parser.addOption({QLatin1String(untilOption),
                      QStringLiteral("Last date of the repetition; without it the todo repeats "
                                     "for ever."),
                      QStringLiteral("date")});
    parser.addOption({QLatin1String(stopOption),
                      QStringLiteral("End the rule of the todo now; no later occurrences, no "
                                     "todo deleted.")});
}

bool RepeatCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList arguments;
    if (!takeArguments(parser, 1, 1, &arguments, error) ||
        !InputReader::readId(arguments.at(0), &m_id, error))
        return false;
    m_stop = parser.isSet(QLatin1String(stopOption));
    if (!m_stop)
        return readKind(parser, error) && readEvery(parser, error) && readUntil(parser, error);
    for (const char* option : kindOptions) {
        if (parser.isSet(QLatin1String(option))) {
            *error = QStringLiteral("--stop takes no other option");
            return false;
        }
    }
    return true;
}

int RepeatCommand::run(Session& session)
{
    Orvel::Todo* todo = findTodo(session, m_id);
    if (!todo)
        return Failure;
    return m_stop ? stop(todo, session) : makeRule(todo, session);
}

int RepeatCommand::stop(Orvel::Todo* todo, Session& session) const
{
    Orvel::Recurrence* recurrence = todo->recurrence;
    if (!recurrence) {
        Console::printError(QStringLiteral("todo %1 does not repeat").arg(m_id));
        return Failure;
    }
    // The rule keeps the occurrences up to now; one that has not begun yet makes none.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (now < recurrence->rangeStart(Orvel::UTC))
        recurrence->setIsActive(false);
    else if (now < recurrence->rangeEnd(Orvel::UTC))
        recurrence->setRangeEnd(now);
    // Setting the range does not mark the rule as changed.
    recurrence->modified();
    if (!saveChanges(session))
        return Failure;
    Console::printLine(QString::number(recurrence->id));
    return Success;
}

int RepeatCommand::makeRule(Orvel::Todo* todo, Session& session) const
{
    if (todo->recurrence_id >= 0) {
        Console::printError(
            QStringLiteral("todo %1 already repeats (rule %2)").arg(m_id).arg(todo->recurrence_id));
        return Failure;
    }
    QDateTime until = endlessRangeEnd();
    QString error;
    // The last day is read at the todo's own offset, as the rule's range is shown.
    if (m_hasUntil &&
        !TodoZone::fixedOffset(todo->time_zone).toUtc(m_until, endOfDay, &until, &error)) {
        Console::printError(error);
        return Failure;
    }
    if (until < todo->startDate(Orvel::UTC)) {
        Console::printError(QStringLiteral("--until lies before the start of todo %1").arg(m_id));
        return Failure;
    }
    Orvel::Pool* pool = session.pool();
    Orvel::Todo* sample = pool->makeSampleFromTodo(todo);
    // Instances take their note from the format string; a todo made elsewhere may have none.
    if (sample->format_string.isEmpty()) {
        sample->setFormatString(todo->note);
        sample->setNote(todo->note);
    }
    Orvel::Recurrence* recurrence = pool->newRecurrence();
    // Linked to the sample first: the range below is then read in the sample's zone.
    recurrence->setSample(sample);
    recurrence->setRepeats(m_repeats);
    recurrence->setRepeatsOn(m_pattern);
    recurrence->setRepeatsEvery(m_every);
    recurrence->setIsActive(true);
    // As an instant: the wall-clock reading may not exist in the device's zone.
    recurrence->setRangeStart(sample->startDate(Orvel::UTC));
    recurrence->setRangeEnd(until);
    todo->setRecurrence(recurrence);
    if (!saveChanges(session))
        return Failure;
    Console::printLine(QString::number(recurrence->id));
    return Success;
}

bool RepeatCommand::readKind(const QCommandLineParser& parser, QString* error)
{
    int kinds = 0;
    for (const char* option : kindOptions)
        kinds += parser.isSet(QLatin1String(option)) ? 1 : 0;
    if (kinds != 1) {
        *error = QStringLiteral("give exactly one of --daily, --weekly, --monthly-day, "
                                "--monthly-week, --monthly-last-day and --yearly");
        return false;
    }
    if (parser.isSet(QLatin1String(onOption)) && !parser.isSet(QLatin1String(monthlyWeekOption))) {
        *error = QStringLiteral("--on goes with --monthly-week");
        return false;
    }
    if (parser.isSet(QLatin1String(dailyOption))) {
        m_repeats = Orvel::Daily;
        return true;
    }
    if (parser.isSet(QLatin1String(yearlyOption))) {
        m_repeats = Orvel::Yearly;
        return true;
    }
    if (parser.isSet(QLatin1String(weeklyOption))) {
        m_repeats = Orvel::Weekly;
        return InputReader::readWeekdays(parser.value(QLatin1String(weeklyOption)), &m_pattern,
                                         error);
    }
    m_repeats = Orvel::Monthly;
    if (parser.isSet(QLatin1String(monthlyLastDayOption))) {
        m_pattern = QLatin1String(lastDayPattern);
        return true;
    }
    if (parser.isSet(QLatin1String(monthlyWeekOption)))
        return readMonthlyWeek(parser, error);
    QString days;
    if (!InputReader::readMonthDays(parser.value(QLatin1String(monthlyDayOption)), &days, error))
        return false;
    m_pattern = QLatin1String(byDayMarker) + days;
    return true;
}

bool RepeatCommand::readMonthlyWeek(const QCommandLineParser& parser, QString* error)
{
    if (!parser.isSet(QLatin1String(onOption))) {
        *error = QStringLiteral("--monthly-week needs the weekdays of --on");
        return false;
    }
    int week = 0;
    QString weekdays;
    if (!InputReader::readMonthWeek(parser.value(QLatin1String(monthlyWeekOption)), &week, error) ||
        !InputReader::readWeekdays(parser.value(QLatin1String(onOption)), &weekdays, error))
        return false;
    m_pattern = QLatin1String(byWeekMarker) + weekFlags(week) + weekdays;
    return true;
}

bool RepeatCommand::readEvery(const QCommandLineParser& parser, QString* error)
{
    return !parser.isSet(QLatin1String(everyOption)) ||
           InputReader::readCount(parser.value(QLatin1String(everyOption)),
                                  QLatin1String(everyOption), &m_every, error);
}

bool RepeatCommand::readUntil(const QCommandLineParser& parser, QString* error)
{
    if (!parser.isSet(QLatin1String(untilOption)))
        return true;
    m_hasUntil = true;
    return InputReader::readDate(parser.value(QLatin1String(untilOption)), &m_until, error);
}
