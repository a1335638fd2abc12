#include "command.h"

#include "console.h"
#include "session.h"

#include <QCommandLineParser>
#include <orvel/pool.h>

Command::Command(const QString& name, const QString& summary, const QString& syntax)
    : m_name(name), m_summary(summary), m_syntax(syntax)
{}

Command::~Command() = default;

QString Command::name() const
{
    return m_name;
}

QString Command::summary() const
{
    return m_summary;
}

QString Command::syntax() const
{
    return m_syntax;
}

bool Command::prepare(QString* error)
{
    Q_UNUSED(error)
    return true;
}

bool Command::takeArguments(const QCommandLineParser& parser, int minimum, int maximum,
                            QStringList* arguments, QString* error) const
{
    const QStringList given = parser.positionalArguments();
    if (given.size() < minimum) {
        *error =
            QStringLiteral("missing argument, usage: orvel %1 [options] %2").arg(m_name, m_syntax);
        return false;
    }
    if (given.size() > maximum) {
        *error = QStringLiteral("unexpected argument '%1'").arg(given.at(maximum));
        return false;
    }
    *arguments = given;
    return true;
}

Orvel::Todo* Command::findTodo(Session& session, int id)
{
    Orvel::Todo* todo = session.pool()->todoById(id);
    if (!todo)
        Console::printError(QStringLiteral("no todo with id %1").arg(id));
    return todo;
}

bool Command::saveChanges(Session& session)
{
    QString error;
    if (session.save(&error))
        return true;
    Console::printError(error);
    return false;
}
