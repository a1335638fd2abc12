#include "entity/relationlist_p.h"
#include "entity/rememberedrecords_p.h"

#include <climits>
#include <orvel/binary.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char invalidTodoId[] = "Invalid todo_id (%1), save can't be performed yet!";
const char defaultNote[] = "Binary data";

} // namespace

Binary::Binary(DatabaseConnector* connector)
    : Entity(nullptr), id(INT_MIN), todo_id(INT_MIN), note(QString::fromLatin1(defaultNote)),
      type(DefaultBinaryType), size(0), data(new QByteArray), todo(nullptr), detachedTodo(nullptr)
{
    setDatabaseConnector(connector);
    lastModDate = QDateTime::currentDateTimeUtc();
    isDeleted = false;
}

Binary::Binary(DatabaseConnector* connector, int id, int todo_id, const QDateTime& last_mod_date,
               const QString& note, BinaryType type, int size, QByteArray* data, bool is_deleted)
    : Entity(nullptr), id(id), todo_id(todo_id), note(note), type(type), size(size),
      data(data ? data : new QByteArray), todo(nullptr), detachedTodo(nullptr)
{
    setDatabaseConnector(connector);
    lastModDate = last_mod_date.toTimeSpec(Qt::UTC);
    isDeleted = is_deleted;
}

Binary::~Binary()
{
    setIsDeleted(true);
    leaveParentLists();
    delete m_remembered;
    delete data;
}

void Binary::leaveParentLists()
{
    // An attachment that was already deleted while it still had a todo was not detached by
    // setIsDeleted(true); and a todo that was deleted with its attachments would try to restore
    // them. No list may keep a pointer to an attachment that is gone.
    if (todo) {
        RelationList::takeOut(todo->binaries, this);
        RelationList::takeOut(todo->deletedBinaries, this);
    }
    if (detachedTodo && RememberedRecords::exists(m_remembered, detachedTodo))
        RelationList::takeOut(detachedTodo->deletedBinaries, this);
}

bool Binary::save()
{
    lastError.clear();
    if (todo_id == INT_MIN && todo && todo->id != INT_MIN)
        todo_id = todo->id;
    // Without a todo only a deleted attachment may be written, and never without a known todo id.
    if (todo_id == INT_MIN || !(todo || isDeleted)) {
        lastError = QString::fromLatin1(invalidTodoId).arg(todo_id);
        return false;
    }
    Q_EMIT persist(*this);
    isSynchronized = true;
    return true;
}

void Binary::modified()
{
    Entity::modified();
    if (todo)
        todo->modified();
}

void Binary::removeReferences()
{
    RememberedRecords::detach(m_remembered, todo, detachedTodo, [this] { setTodo(nullptr); });
    Q_EMIT setDeleted(this);
}

void Binary::recreateReferences()
{
    RememberedRecords::reattach(m_remembered, detachedTodo, [this](Todo* t) { setTodo(t); });
    RememberedRecords::forgetAll(m_remembered);
    Q_EMIT setUndeleted(this);
}

void Binary::setTodo(Todo* newTodo)
{
    Todo* previous = todo;
    if (todo)
        RelationList::takeOut(todo->binaries, this);
    todo = newTodo;
    if (newTodo) {
        todo_id = newTodo->id;
        newTodo->binaries->append(this);
    }
    modified();
    RelationList::announceLeaving(previous, newTodo);
}

void Binary::setNote(const QString& newNote)
{
    note = newNote;
    modified();
}

void Binary::setType(BinaryType newType)
{
    type = newType;
    modified();
}

void Binary::setSize(int newSize)
{
    size = newSize;
    modified();
}

void Binary::setData(const QByteArray& bytes)
{
    // The record keeps owning the same array object; only its contents change.
    *data = bytes;
    modified();
}

} // namespace Orvel
