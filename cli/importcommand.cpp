#include "importcommand.h"

#include "console.h"
#include "inputreader.h"
#include "session.h"

#include <QCommandLineParser>
#include <orvel/icalendar.h>

ImportCommand::ImportCommand()
    : Command(QStringLiteral("import"), QStringLiteral("Read todos from an iCalendar file."),
              QStringLiteral("FILE"))
{}

void ImportCommand::defineOptions(QCommandLineParser& parser) const
{
    parser.setApplicationDescription(QStringLiteral(
        "Reads the VTODOs of an iCalendar (RFC 5545) file into the database and prints how\n"
        "many todos were created, updated and skipped, and a warning for everything that\n"
        "could not be kept. A todo that is already known by its UID is only overwritten\n"
        "when the file's LAST-MODIFIED is newer. A malformed file imports nothing and\n"
        "ends with exit status 1."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The file to read, or - for standard input."));
}

bool ImportCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList arguments;
    if (!takeArguments(parser, 1, 1, &arguments, error))
        return false;
    m_path = arguments.at(0);
    return true;
}

bool ImportCommand::prepare(QString* error)
{
    QString cause;
    if (InputReader::readFile(m_path, &m_text, &cause))
        return true;
    *error = QStringLiteral("cannot read ") + cause;
    return false;
}

int ImportCommand::run(Session& session)
{
    const Orvel::ICalendarImportReport report =
        Orvel::ICalendar::importCalendar(session.pool(), m_text);
    if (!report.isValid()) {
        Console::printError(QStringLiteral("%1: line %2: %3")
                                .arg(InputReader::sourceName(m_path))
                                .arg(report.errorLine)
                                .arg(report.error));
        return Failure;
    }
    if (!saveChanges(session))
        return Failure;
    Console::printLines(report.lines());
    return Success;
}
