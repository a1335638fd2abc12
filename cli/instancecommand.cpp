#include "instancecommand.h"

#include "console.h"
#include "inputreader.h"
#include "session.h"
#include "todoformatter.h"
#include "todozone.h"

#include <QCommandLineParser>
#include <QSet>
#include <orvel/pool.h>
#include <orvel/todo.h>

namespace {

const char untilOption[] = "until";
const QTime endOfDay(23, 59, 59);

} // namespace

InstanceCommand::InstanceCommand(Reach reach)
    : Command(reach == UpToDate ? QStringLiteral("instance") : QStringLiteral("next"),
              reach == UpToDate
                  ? QStringLiteral("Make todos of the occurrences of every rule up to a date.")
                  : QStringLiteral("Make a todo of the next due occurrence of every rule."),
              QString()),
      m_reach(reach)
{}

void InstanceCommand::defineOptions(QCommandLineParser& parser) const
{
    if (m_reach == NextOccurrence) {
        parser.setApplicationDescription(QStringLiteral(
            "Makes a todo of the next occurrence of every rule whose instancing date has\n"
            "passed, and prints the todos made. The instancing date then moves just past\n"
            "the start of the todo made; while that lies in the past, the rule stays due."));
        return;
    }
    parser.setApplicationDescription(QStringLiteral(
        "Makes a todo of every occurrence of every rule from the rule's instancing date\n"
        "up to --until, and prints the todos made."));
    parser.addOption({QLatin1String(untilOption),
                      QStringLiteral("Last date to instance, YYYY-MM-DD[ HH:MM] in local time; "
                                     "a date alone includes its day."),
                      QStringLiteral("date")});
}

bool InstanceCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList none;
    if (!takeArguments(parser, 0, 0, &none, error))
        return false;
    if (m_reach == NextOccurrence)
        return true;
    if (!parser.isSet(QLatin1String(untilOption))) {
        *error = QStringLiteral("instance needs --until");
        return false;
    }
    DateInput until;
    if (!InputReader::readDate(parser.value(QLatin1String(untilOption)), &until, error))
        return false;
    // Read on the device's clock; a time it skips is refused rather than guessed.
    return TodoZone().toUtc(until, endOfDay, &m_until, error);
}

int InstanceCommand::run(Session& session)
{
    Orvel::Pool* pool = session.pool();
    const QList<Orvel::Todo*> before = *pool->todos;
    const QSet<Orvel::Todo*> existing(before.cbegin(), before.cend());
    if (m_reach == UpToDate)
        pool->instanceTodos(m_until, nullptr);
    else
        pool->instanceNextTodo(nullptr);
    if (!saveChanges(session))
        return Failure;
    for (Orvel::Todo* todo : *pool->todos) {
        if (!existing.contains(todo))
            Console::printLine(TodoFormatter::listLine(todo));
    }
    return Success;
}
