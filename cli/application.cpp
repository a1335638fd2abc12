#include "application.h"

#include "addcommand.h"
#include "attachmentcommand.h"
#include "console.h"
#include "editcommand.h"
#include "exportcommand.h"
#include "importcommand.h"
#include "instancecommand.h"
#include "listcommand.h"
#include "repeatcommand.h"
#include "session.h"
#include "showcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const char databaseOption[] = "db";
const char verboseOption[] = "verbose";
const char helpOption[] = "help";
const char helpShortOption[] = "h";
const char versionOption[] = "version";
const int commandColumnWidth = 20;

const char programDescription[] =
    "orvel keeps a to-do list: todos with dates, alarms, attachments, custom fields and\n"
    "repetition rules, stored in ~/.orvel/orvel_db.sqlite or in the file given with --db.";
const char mainHelpFooter[] =
    "\nRun 'orvel COMMAND --help' for the options and arguments of a command.\n"
    "Dates are read as YYYY-MM-DD or YYYY-MM-DD HH:MM.\n"
    "Exit status: 0 on success, 1 when the command failed (unknown id, database error),\n"
    "2 when the command line cannot be read.\n";

} // namespace

Application::Application()
{
    m_commands.emplace_back(new AddCommand);
    m_commands.emplace_back(new ListCommand);
    m_commands.emplace_back(new ShowCommand);
    m_commands.emplace_back(new EditCommand(EditCommand::MarkDone));
    m_commands.emplace_back(new EditCommand(EditCommand::MarkOpen));
    m_commands.emplace_back(new EditCommand(EditCommand::ChangeNote));
    m_commands.emplace_back(new EditCommand(EditCommand::Delete));
    m_commands.emplace_back(new AttachmentCommand(AttachmentCommand::Attach));
    m_commands.emplace_back(new AttachmentCommand(AttachmentCommand::Export));
    m_commands.emplace_back(new RepeatCommand);
    m_commands.emplace_back(new InstanceCommand(InstanceCommand::UpToDate));
    m_commands.emplace_back(new InstanceCommand(InstanceCommand::NextOccurrence));
    m_commands.emplace_back(new ExportCommand);
    m_commands.emplace_back(new ImportCommand);
}

Application::~Application() = default;

int Application::run(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Everything from the command name on belongs to the command's own parser.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.setApplicationDescription(QLatin1String(programDescription));
    defineGlobalOptions(parser);
    parser.addOption({QLatin1String(versionOption), QStringLiteral("Shows the version.")});
    GlobalOptions global;
    QString error;
    if (!parser.parse(arguments) || !readGlobalOptions(parser, &global, &error))
        return usageError(error.isEmpty() ? parser.errorText() : error, QString());
    if (parser.isSet(QLatin1String(versionOption))) {
        Console::printLine(QStringLiteral("orvel ") + QCoreApplication::applicationVersion());
        return Command::Success;
    }
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        if (global.help) {
            Console::printText(mainHelp(parser));
            return Command::Success;
        }
        return usageError(QStringLiteral("missing command"), QString());
    }
    Command* command = commandNamed(rest.first());
    if (!command)
        return usageError(QStringLiteral("unknown command '%1'").arg(rest.first()), QString());
    return runCommand(*command, rest, global);
}

int Application::runCommand(Command& command, const QStringList& arguments,
                            const GlobalOptions& global)
{
    QCommandLineParser parser;
    defineGlobalOptions(parser);
    command.defineOptions(parser);
    GlobalOptions options = global;
    QString error;
    // The command name stands where the parser expects the program name.
    if (!parser.parse(arguments) || !readGlobalOptions(parser, &options, &error))
        return usageError(error.isEmpty() ? parser.errorText() : error, command.name());
    if (options.help) {
        Console::printText(commandHelp(command, parser));
        return Command::Success;
    }
    Console::setVerbose(options.verbose);
    if (!command.readArguments(parser, &error))
        return usageError(error, command.name());
    Session session(options.databasePath);
    if (!session.open(&error)) {
        Console::printError(error);
        return Command::Failure;
    }
    return command.run(session);
}

bool Application::readGlobalOptions(const QCommandLineParser& parser, GlobalOptions* options,
                                    QString* error)
{
    options->help = options->help || parser.isSet(QLatin1String(helpOption));
    options->verbose = options->verbose || parser.isSet(QLatin1String(verboseOption));
    if (!parser.isSet(QLatin1String(databaseOption)))
        return true;
    options->databasePath = parser.value(QLatin1String(databaseOption));
    if (options->databasePath.isEmpty()) {
        *error = QStringLiteral("--db needs a file name");
        return false;
    }
    return true;
}

Command* Application::commandNamed(const QString& name) const
{
    for (const std::unique_ptr<Command>& command : m_commands) {
        if (command->name() == name)
            return command.get();
    }
    return nullptr;
}

void Application::defineGlobalOptions(QCommandLineParser& parser) const
{
    parser.addOption({QLatin1String(databaseOption),
                      QStringLiteral("Use the database FILE instead of "
                                     "~/.orvel/orvel_db.sqlite."),
                      QStringLiteral("FILE")});
    parser.addOption({QLatin1String(verboseOption),
                      QStringLiteral("Show the library's diagnostic lines on standard error.")});
    parser.addOption({{QLatin1String(helpShortOption), QLatin1String(helpOption)},
                      QStringLiteral("Show this help.")});
}

QString Application::mainHelp(const QCommandLineParser& parser) const
{
    QString help = withUsageLine(parser.helpText(),
                                 QStringLiteral("Usage: orvel [options] COMMAND [arguments]"));
    help += QStringLiteral("\nCommands:\n");
    for (const std::unique_ptr<Command>& command : m_commands) {
        help += QStringLiteral("  ") + command->name().leftJustified(commandColumnWidth) +
                command->summary() + QLatin1Char('\n');
    }
    return help + QLatin1String(mainHelpFooter);
}

QString Application::commandHelp(const Command& command, const QCommandLineParser& parser)
{
    QString usage = QStringLiteral("Usage: orvel ") + command.name() + QStringLiteral(" [options]");
    if (!command.syntax().isEmpty())
        usage += QLatin1Char(' ') + command.syntax();
    return withUsageLine(parser.helpText(), usage);
}

QString Application::withUsageLine(const QString& helpText, const QString& usage)
{
    // Qt's usage line names the program by the path it was started with.
    const int endOfFirstLine = helpText.indexOf(QLatin1Char('\n'));
    return usage + helpText.mid(endOfFirstLine);
}

int Application::usageError(const QString& message, const QString& helpCommand)
{
    const QString helpCall = helpCommand.isEmpty()
                                 ? QStringLiteral("orvel --help")
                                 : QStringLiteral("orvel %1 --help").arg(helpCommand);
    Console::printError(message + QStringLiteral("\nTry '%1'.").arg(helpCall));
    return Command::UsageError;
}
