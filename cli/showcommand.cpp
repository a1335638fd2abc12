#include "showcommand.h"

#include "console.h"
#include "inputreader.h"
#include "todoformatter.h"
#include "todojson.h"

#include <QCommandLineParser>
#include <QJsonDocument>

namespace {

const char jsonOption[] = "json";

} // namespace

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
    parser.addOption({QLatin1String(jsonOption),
                      QStringLiteral("Print the todo as a JSON object (see README).")});
}

bool ShowCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList arguments;
    m_json = parser.isSet(QLatin1String(jsonOption));
    return takeArguments(parser, 1, 1, &arguments, error) &&
           InputReader::readId(arguments.at(0), &m_id, error);
}

int ShowCommand::run(Session& session)
{
    const Orvel::Todo* todo = findTodo(session, m_id);
    if (!todo)
        return Failure;
    if (m_json)
        Console::printText(QString::fromUtf8(
            QJsonDocument(TodoJson::toJson(todo)).toJson(QJsonDocument::Indented)));
    else
        Console::printLines(TodoFormatter::details(todo));
    return Success;
}
