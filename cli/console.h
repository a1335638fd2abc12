#ifndef ORVEL_CLI_CONSOLE_H
#define ORVEL_CLI_CONSOLE_H

#include <QString>
#include <QStringList>

// The terminal of orvel: results go to standard output, messages and the library's diagnostic
// lines to standard error. Diagnostics are dropped unless verbose output was asked for, and
// their colour sequences are kept only when standard error is a terminal.
class Console
{
public:
    static void printLine(const QString& line);
    static void printLines(const QStringList& lines);
    // Writes text to standard output as it is (help texts end in their own line feed).
    static void printText(const QString& text);
    // Writes "orvel: " and the message to standard error.
    static void printError(const QString& message);
    // A name or value as messages quote it: 'text'.
    static QString quoted(const QString& text);
    // Writes one diagnostic line to standard error.
    static void printDiagnostic(const QString& line);

    static void installMessageHandler();
    static void setVerbose(bool verbose);

private:
    static void writeTo(FILE* stream, const QString& text);
    static QString withoutColours(const QString& text);
};

#endif
