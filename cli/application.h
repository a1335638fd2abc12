#ifndef ORVEL_CLI_APPLICATION_H
#define ORVEL_CLI_APPLICATION_H

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

QT_BEGIN_NAMESPACE
class QCommandLineParser;
QT_END_NAMESPACE

class Command;

// Reads the command line: the global options, the command and its own options, then opens the
// database and runs the command.
class Application
{
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the command line (the program name first) and returns the exit status.
    int run(const QStringList& arguments);

private:
    // The options that may stand before or after the command.
    struct GlobalOptions
    {
        bool help = false;
        bool verbose = false;
        QString databasePath;
        // Seconds to wait for another run of orvel; negative for the session's default.
        int lockTimeout = -1;
    };

    // Writes the manual page or the bash completion when one of the hidden options asks for it;
    // -1 when none does, else the exit status.
    int writeGeneratedFile(const QCommandLineParser& parser) const;
    int runCommand(Command& command, const QStringList& arguments, const GlobalOptions& global);
    static bool readLockTimeout(const QCommandLineParser& parser, GlobalOptions* options,
                                QString* error);
    // Qt reads "-1" as the short options "1"; for a command that takes an id, say what it is.
    static QString negativeIdError(const Command& command, const QStringList& arguments);
    static bool readGlobalOptions(const QCommandLineParser& parser, GlobalOptions* options,
                                  QString* error);
    Command* commandNamed(const QString& name) const;
    void defineGlobalOptions(QCommandLineParser& parser) const;
    QString mainHelp(const QCommandLineParser& parser) const;
    static QString commandHelp(const Command& command, const QCommandLineParser& parser);
    static QString withUsageLine(const QString& helpText, const QString& usage);
    static int usageError(const QString& message, const QString& helpCommand);

    std::vector<std::unique_ptr<Command>> m_commands;
};

#endif
