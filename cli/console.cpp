#include "console.h"

#include <QMessageLogContext>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

const char errorPrefix[] = "orvel: ";

// Whether the library's diagnostic lines and Qt's own warnings are shown.
bool verboseOutput = false;

bool standardErrorIsTerminal()
{
    return isatty(fileno(stderr)) == 1;
}

bool isFailure(QtMsgType type)
{
    return type == QtCriticalMsg || type == QtFatalMsg;
}

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    Q_UNUSED(context)
    if (isFailure(type)) {
        Console::printError(message);
        // The library ends the process with a fatal message when the default database cannot
        // be opened; leave with the failure status instead of Qt's abort and core dump.
        if (type == QtFatalMsg)
            std::_Exit(EXIT_FAILURE);
        return;
    }
    if (!verboseOutput)
        return;
    Console::printDiagnostic(message);
}

} // namespace

void Console::printLine(const QString& line)
{
    writeTo(stdout, line + QLatin1Char('\n'));
}

void Console::printLines(const QStringList& lines)
{
    for (const QString& line : lines)
        printLine(line);
}

void Console::printText(const QString& text)
{
    writeTo(stdout, text);
}

QString Console::quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

void Console::printError(const QString& message)
{
    std::fflush(stdout);
    writeTo(stderr, QLatin1String(errorPrefix) + message + QLatin1Char('\n'));
}

void Console::printDiagnostic(const QString& line)
{
    writeTo(stderr, line + QLatin1Char('\n'));
}

void Console::installMessageHandler()
{
    qInstallMessageHandler(handleMessage);
}

void Console::setVerbose(bool verbose)
{
    verboseOutput = verbose;
}

void Console::writeTo(FILE* stream, const QString& text)
{
    const QString shown =
        stream == stderr && !standardErrorIsTerminal() ? withoutColours(text) : text;
    std::fputs(shown.toUtf8().constData(), stream);
}

QString Console::withoutColours(const QString& text)
{
    static const QRegularExpression colourSequence(QStringLiteral("\x1b\\[[0-9;]*m"));
    QString plain = text;
    plain.remove(colourSequence);
    return plain;
}
