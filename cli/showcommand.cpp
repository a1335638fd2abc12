#include "showcommand.h"

#include "console.h"
#include "inputreader.h"
#include "todoformatter.h"

#include <QCommandLineParser>

ShowCommand::ShowCommand()
    : Command(QStringLiteral("show"), QStringLiteral("Show every detail of a todo."),
              QStringLiteral("ID"))
{}

void ShowCommand::defineOptions(QCommandLineParser& parser) const
{
    parser.setApplicationDescription(QStringLiteral(
        "Shows every field of a todo, its fields, alarms, attachments and recurrence.\n"
        "Dates are wall-clock times in the todo's own zone."));
    parser.addPositionalArgument(QStringLiteral("ID"), QStringLiteral("The id of the todo."));
}

bool ShowCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList arguments;
    return takeArguments(parser, 1, 1, &arguments, error) &&
           InputReader::readId(arguments.at(0), &m_id, error);
}

int ShowCommand::run(Session& session)
{
    const Orvel::Todo* todo = findTodo(session, m_id);
    if (!todo)
        return Failure;
    Console::printLines(TodoFormatter::details(todo));
    return Success;
}
