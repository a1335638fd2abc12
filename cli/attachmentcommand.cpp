#include "attachmentcommand.h"

#include "console.h"
#include "inputreader.h"
#include "session.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <climits>
#include <orvel/binary.h>
#include <orvel/pool.h>
#include <orvel/todo.h>

AttachmentCommand::AttachmentCommand(Direction direction)
    : Command(direction == Attach ? QStringLiteral("attach") : QStringLiteral("export-attachment"),
              direction == Attach ? QStringLiteral("Store a file as an attachment of a todo.")
                                  : QStringLiteral("Write an attachment to a file."),
              direction == Attach ? QStringLiteral("ID FILE") : QStringLiteral("BINARY_ID FILE")),
      m_direction(direction)
{}

void AttachmentCommand::defineOptions(QCommandLineParser& parser) const
{
    if (m_direction == Attach) {
        parser.setApplicationDescription(
            QStringLiteral("Stores the bytes of FILE as an attachment of the todo and prints the\n"
                           "attachment's id. The attachment's note is the file name."));
        parser.addPositionalArgument(QStringLiteral("ID"), QStringLiteral("The id of the todo."));
        parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to store."));
        return;
    }
    parser.setApplicationDescription(QStringLiteral(
        "Writes the bytes of an attachment to FILE, replacing the file if it exists."));
    parser.addPositionalArgument(QStringLiteral("BINARY_ID"),
                                 QStringLiteral("The id of the attachment (see orvel show)."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to write."));
}

bool AttachmentCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList arguments;
    if (!takeArguments(parser, 2, 2, &arguments, error) ||
        !InputReader::readId(arguments.at(0), &m_id, error))
        return false;
    m_path = arguments.at(1);
    return true;
}

bool AttachmentCommand::prepare(QString* error)
{
    // A file that cannot be read is a failure of the command, not of its command line.
    return m_direction == Export || readFile(error);
}

int AttachmentCommand::run(Session& session)
{
    return m_direction == Attach ? attach(session) : exportBytes(session);
}

bool AttachmentCommand::readFile(QString* error)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            QStringLiteral("cannot read %1: %2").arg(Console::quoted(m_path), file.errorString());
        return false;
    }
    // The stored size is an int.
    if (file.size() > INT_MAX) {
        *error = QStringLiteral("cannot attach %1: the file is larger than 2 GiB")
                     .arg(Console::quoted(m_path));
        return false;
    }
    m_bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error =
            QStringLiteral("cannot read %1: %2").arg(Console::quoted(m_path), file.errorString());
        return false;
    }
    return true;
}

int AttachmentCommand::attach(Session& session)
{
    Orvel::Todo* todo = findTodo(session, m_id);
    if (!todo)
        return Failure;
    Orvel::Binary* binary = session.pool()->newBinary();
    binary->setTodo(todo);
    binary->setNote(QFileInfo(m_path).fileName());
    binary->setSize(m_bytes.size());
    binary->setData(m_bytes);
    if (!saveChanges(session))
        return Failure;
    Console::printLine(QString::number(binary->id));
    return Success;
}

int AttachmentCommand::exportBytes(Session& session)
{
    Orvel::Binary* binary = session.pool()->binaryById(m_id);
    if (!binary) {
        Console::printError(QStringLiteral("no attachment with id %1").arg(m_id));
        return Failure;
    }
    binary->loadBinaryData();
    // Written to a temporary file first, so that a failure leaves no half-written file.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*binary->data) != binary->data->size() ||
        !file.commit()) {
        Console::printError(
            QStringLiteral("cannot write %1: %2").arg(Console::quoted(m_path), file.errorString()));
        return Failure;
    }
    return Success;
}
