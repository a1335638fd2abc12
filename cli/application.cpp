#include "application.h"

#include "addcommand.h"
#include "attachmentcommand.h"
#include "changecommand.h"
#include "console.h"
#include "editcommand.h"
#include "exportcommand.h"
#include "importcommand.h"
#include "instancecommand.h"
#include "listcommand.h"
#include "manualwriter.h"
#include "repeatcommand.h"
#include "session.h"
#include "showcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

const char databaseOption[] = "db";
const char verboseOption[] = "verbose";
const char waitOption[] = "wait";
const char helpOption[] = "help";
const char helpShortOption[] = "h";
const char versionOption[] = "version";
// Used by the build to write the manual page and the completion from the help texts.
const char manPageOption[] = "write-man-page";
const char completionOption[] = "write-bash-completion";
const int commandColumnWidth = 20;

const char programDescription[] =
    "orvel keeps a to-do list: todos with dates, alarms, attachments, custom fields and\n"
    "repetition rules, stored in ~/.orvel/orvel_db.sqlite or in the file given with --db.";
const char mainHelpFooter[] =
    "\nRun 'orvel COMMAND --help' for the options and arguments of a command.\n"
    "Dates are read as YYYY-MM-DD or YYYY-MM-DD HH:MM.\n"
    "Dates may also be given as today, tomorrow, yesterday, a weekday name (the next such\n"
    "day, today included), or +N/-N days or weeks (+3d, +2w), each optionally followed by HH:MM.\n"
    "Exit status: 0 on success, 1 when the command failed (unknown id, database error,\n"
    "unreadable file, database busy), 2 when the command line cannot be read.\n";

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
    m_commands.emplace_back(new ChangeCommand);
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
    for (const char* name : {manPageOption, completionOption}) {
        QCommandLineOption generated(QLatin1String(name), QString(), QStringLiteral("FILE"));
        generated.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(generated);
    }
    GlobalOptions global;
    QString error;
    if (!parser.parse(arguments) || !readGlobalOptions(parser, &global, &error))
        return usageError(error.isEmpty() ? parser.errorText() : error, QString());
    const int generatedStatus = writeGeneratedFile(parser);
    if (generatedStatus >= 0)
        return generatedStatus;
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

int Application::writeGeneratedFile(const QCommandLineParser& parser) const
{
    const bool manPage = parser.isSet(QLatin1String(manPageOption));
    if (!manPage && !parser.isSet(QLatin1String(completionOption)))
        return -1;
    QList<ManualWriter::CommandHelp> commands;
    for (const std::unique_ptr<Command>& command : m_commands) {
        QCommandLineParser commandParser;
        defineGlobalOptions(commandParser);
        command->defineOptions(commandParser);
        commands.append({command->name(), commandHelp(*command, commandParser)});
    }
    const ManualWriter writer(mainHelp(parser), commands);
    const QString path = parser.value(QLatin1String(manPage ? manPageOption : completionOption));
    QSaveFile file(path);
    const QByteArray text = (manPage ? writer.manPage() : writer.bashCompletion()).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        Console::printError(QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
        return Command::Failure;
    }
    return Command::Success;
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
    if (!parser.parse(arguments)) {
        const QString idError = negativeIdError(command, arguments);
        return usageError(idError.isEmpty() ? parser.errorText() : idError, command.name());
    }
    if (!readGlobalOptions(parser, &options, &error))
        return usageError(error, command.name());
    if (options.help) {
        Console::printText(commandHelp(command, parser));
        return Command::Success;
    }
    Console::setVerbose(options.verbose);
    if (!command.readArguments(parser, &error))
        return usageError(error, command.name());
    if (!command.prepare(&error)) {
        Console::printError(error);
        return Command::Failure;
    }
    Session session(options.databasePath);
    if (options.lockTimeout >= 0)
        session.setLockTimeout(options.lockTimeout);
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
    if (!readLockTimeout(parser, options, error))
        return false;
    if (!parser.isSet(QLatin1String(databaseOption)))
        return true;
    options->databasePath = parser.value(QLatin1String(databaseOption));
    if (options->databasePath.isEmpty()) {
        *error = QStringLiteral("--db needs a file name");
        return false;
    }
    return true;
}

bool Application::readLockTimeout(const QCommandLineParser& parser, GlobalOptions* options,
                                  QString* error)
{
    if (!parser.isSet(QLatin1String(waitOption)))
        return true;
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    const QString text = parser.value(QLatin1String(waitOption));
    if (!digits.match(text).hasMatch()) {
        *error =
            QStringLiteral("cannot read '%1' for --wait, expected a number of seconds").arg(text);
        return false;
    }
    options->lockTimeout = text.toInt();
    return true;
}

QString Application::negativeIdError(const Command& command, const QStringList& arguments)
{
    static const QRegularExpression negativeNumber(QStringLiteral("^-[0-9]+$"));
    if (!command.syntax().contains(QLatin1String("ID")))
        return QString();
    // The id is the first argument that is not a long option; the first entry is the command.
    for (int index = 1; index < arguments.size(); ++index) {
        const QString& argument = arguments.at(index);
        if (argument.startsWith(QLatin1String("--")))
            continue;
        if (!negativeNumber.match(argument).hasMatch())
            break;
        return QStringLiteral("invalid id '%1': ids are numbers of 0 or more such as 12")
            .arg(argument);
    }
    return QString();
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
    parser.addOption({QLatin1String(waitOption),
                      QStringLiteral("Wait up to SECONDS for another orvel that uses the "
                                     "database. Default: 30."),
                      QStringLiteral("SECONDS")});
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
