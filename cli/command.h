#ifndef ORVEL_CLI_COMMAND_H
#define ORVEL_CLI_COMMAND_H

#include <QString>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QCommandLineParser;
QT_END_NAMESPACE

namespace Orvel {
class Todo;
} // namespace Orvel

class Session;

// One command of orvel ("add", "list", ...). The arguments are read and checked completely
// before the database is opened, so that a mistyped command line changes nothing.
class Command
{
public:
    enum ExitStatus { Success = 0, Failure = 1, UsageError = 2 };

    Command(const QString& name, const QString& summary, const QString& syntax);
    virtual ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    QString name() const;
    // One line for the list of commands in orvel --help.
    QString summary() const;
    // The arguments after "orvel NAME [options]" in the usage line.
    QString syntax() const;

    // Declares the command's options and positional arguments.
    virtual void defineOptions(QCommandLineParser& parser) const = 0;
    // Reads the parsed command line; false with a message on bad input.
    virtual bool readArguments(const QCommandLineParser& parser, QString* error) = 0;
    // Reads what the command needs from outside the database (files, standard input) before
    // the database is locked; false with a message, which makes the command fail with status 1.
    virtual bool prepare(QString* error);
    // Runs on the loaded database and returns the exit status.
    virtual int run(Session& session) = 0;

protected:
    // The positional arguments, checked against the number the command takes.
    bool takeArguments(const QCommandLineParser& parser, int minimum, int maximum,
                       QStringList* arguments, QString* error) const;
    // Looks up an ordinary todo; prints the message for an unknown id.
    static Orvel::Todo* findTodo(Session& session, int id);
    // Writes the changes; prints the message when that fails.
    static bool saveChanges(Session& session);

private:
    QString m_name;
    QString m_summary;
    QString m_syntax;
};

#endif
