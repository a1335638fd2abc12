#include "editcommand.h"

#include "changecommand.h"
#include "console.h"
#include "inputreader.h"
#include "session.h"
#include "todoformatter.h"

#include <QCommandLineParser>
#include <climits>
#include <orvel/pool.h>
#include <orvel/todo.h>

namespace {

const char noteFileOption[] = "note-file";

} // namespace

EditCommand::EditCommand(Edit edit)
    : Command(nameOf(edit), summaryOf(edit),
              edit == ChangeNote ? QStringLiteral("ID TEXT") : QStringLiteral("ID")),
      m_edit(edit)
{}

void EditCommand::defineOptions(QCommandLineParser& parser) const
{
    parser.setApplicationDescription(summaryOf(m_edit));
    parser.addPositionalArgument(QStringLiteral("ID"), QStringLiteral("The id of the todo."));
    if (m_edit != ChangeNote)
        return;
    parser.addPositionalArgument(QStringLiteral("TEXT"),
                                 QStringLiteral("The new note, unless --note-file is given."));
    parser.addOption({QLatin1String(noteFileOption),
                      QStringLiteral("Read the note from FILE, or from standard input for -."),
                      QStringLiteral("FILE")});
}

bool EditCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList arguments;
    const bool fromFile = m_edit == ChangeNote && parser.isSet(QLatin1String(noteFileOption));
    const int count = m_edit == ChangeNote && !fromFile ? 2 : 1;
    if (!takeArguments(parser, count, count == 2 ? INT_MAX : 1, &arguments, error) ||
        !InputReader::readId(arguments.at(0), &m_id, error))
        return false;
    if (fromFile) {
        m_noteFile = parser.value(QLatin1String(noteFileOption));
        return true;
    }
    // An unquoted note arrives as several words.
    m_note = arguments.mid(1).join(QLatin1Char(' '));
    return m_edit != ChangeNote || InputReader::readNote(m_note, error);
}

bool EditCommand::prepare(QString* error)
{
    return m_noteFile.isEmpty() || InputReader::readNoteFile(m_noteFile, &m_note, error);
}

int EditCommand::run(Session& session)
{
    Orvel::Todo* todo = findTodo(session, m_id);
    if (!todo)
        return Failure;
    apply(session, todo);
    if (!saveChanges(session))
        return Failure;
    if (m_edit != Delete)
        Console::printLine(TodoFormatter::listLine(todo));
    return Success;
}

QString EditCommand::nameOf(Edit edit)
{
    switch (edit) {
    case MarkDone:
        return QStringLiteral("done");
    case MarkOpen:
        return QStringLiteral("undone");
    case ChangeNote:
        return QStringLiteral("note");
    case Delete:
        break;
    }
    return QStringLiteral("delete");
}

QString EditCommand::summaryOf(Edit edit)
{
    switch (edit) {
    case MarkDone:
        return QStringLiteral("Mark a todo as done.");
    case MarkOpen:
        return QStringLiteral("Mark a todo as not done.");
    case ChangeNote:
        return QStringLiteral("Replace the note of a todo.");
    case Delete:
        break;
    }
    return QStringLiteral("Delete a todo with its alarms, attachments and fields.");
}

void EditCommand::apply(Session& session, Orvel::Todo* todo) const
{
    switch (m_edit) {
    case MarkDone:
    case MarkOpen:
        todo->setIsDone(m_edit == MarkDone);
        return;
    case ChangeNote:
        ChangeCommand::replaceNote(todo, m_note);
        return;
    case Delete:
        session.pool()->deleteTodo(todo);
        // The pool no longer owns it: it frees it once its deletion is written.
        session.pool()->disposeDeleted(todo);
        return;
    }
}
