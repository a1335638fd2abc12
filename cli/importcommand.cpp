#include "importcommand.h"

#include "console.h"
#include "session.h"

#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <orvel/icalendar.h>

namespace {

const char standardInput[] = "-";

} // namespace

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

int ImportCommand::run(Session& session)
{
    QByteArray text;
    if (!readInput(&text))
        return Failure;
    const Orvel::ICalendarImportReport report =
        Orvel::ICalendar::importCalendar(session.pool(), text);
    if (!report.isValid()) {
        Console::printError(QStringLiteral("%1: line %2: %3")
                                .arg(inputName())
                                .arg(report.errorLine)
                                .arg(report.error));
        return Failure;
    }
    if (!saveChanges(session))
        return Failure;
    Console::printLines(report.lines());
    return Success;
}

bool ImportCommand::readInput(QByteArray* text) const
{
    QFile file;
    const bool opened = m_path == QLatin1String(standardInput)
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(m_path), file.open(QIODevice::ReadOnly));
    if (opened)
        *text = file.readAll();
    if (!opened || file.error() != QFileDevice::NoError) {
        Console::printError(
            QStringLiteral("cannot read %1: %2").arg(inputName(), file.errorString()));
        return false;
    }
    return true;
}

QString ImportCommand::inputName() const
{
    return m_path == QLatin1String(standardInput) ? QStringLiteral("standard input")
                                                  : QLatin1Char('\'') + m_path + QLatin1Char('\'');
}
