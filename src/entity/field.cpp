#include "entity/relationlist_p.h"
#include "entity/rememberedrecords_p.h"

#include <climits>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char invalidFieldTypeId[] = "Invalid field_type_id (%1), save can't be performed yet!";
const char invalidTodoId[] = "Invalid todo_id (%1), save can't be performed yet!";
const char defaultValue[] = "Default value";

} // namespace

Field::Field(DatabaseConnector* connector)
    : Entity(nullptr), id(INT_MIN), todo_id(INT_MIN), field_type_id(INT_MIN),
      value(QString::fromLatin1(defaultValue)), fieldType(nullptr), detachedFieldType(nullptr),
      todo(nullptr), detachedTodo(nullptr)
{
    setDatabaseConnector(connector);
    lastModDate = QDateTime::currentDateTimeUtc();
    isDeleted = false;
}

Field::Field(DatabaseConnector* connector, int id, int todo_id, int field_type_id,
             const QDateTime& last_mod_date, const QString& value, const QString& db_id,
             const QString& contact_id, bool is_deleted)
    : Entity(nullptr), id(id), todo_id(todo_id), field_type_id(field_type_id), value(value),
      db_id(db_id), contact_id(contact_id), fieldType(nullptr), detachedFieldType(nullptr),
      todo(nullptr), detachedTodo(nullptr)
{
    setDatabaseConnector(connector);
    lastModDate = last_mod_date.toTimeSpec(Qt::UTC);
    isDeleted = is_deleted;
}

Field::~Field()
{
    setIsDeleted(true);
    leaveParentLists();
    delete m_remembered;
}

void Field::leaveParentLists()
{
    // A value that was already deleted while still linked was not detached by
    // setIsDeleted(true); and a todo or type that was deleted with its values would try to
    // restore them. No list may keep a pointer to a value that is gone.
    if (todo) {
        RelationList::takeOut(todo->fields, this);
        RelationList::takeOut(todo->deletedFields, this);
    }
    if (fieldType) {
        RelationList::takeOut(fieldType->fields, this);
        RelationList::takeOut(fieldType->deletedFields, this);
    }
    if (detachedTodo && RememberedRecords::exists(m_remembered, detachedTodo))
        RelationList::takeOut(detachedTodo->deletedFields, this);
    if (detachedFieldType && RememberedRecords::exists(m_remembered, detachedFieldType))
        RelationList::takeOut(detachedFieldType->deletedFields, this);
}

bool Field::save()
{
    lastError.clear();
    if (field_type_id == INT_MIN && fieldType && fieldType->id != INT_MIN)
        field_type_id = fieldType->id;
    if (todo_id == INT_MIN && todo && todo->id != INT_MIN)
        todo_id = todo->id;
    // Both ids must be known; the links may only be missing on a deleted value.
    const bool idsKnown = field_type_id != INT_MIN && todo_id != INT_MIN;
    if (idsKnown && ((fieldType && todo) || isDeleted)) {
        Q_EMIT persist(*this);
        isSynchronized = true;
        return true;
    }
    if (field_type_id == INT_MIN || !fieldType)
        lastError = QString::fromLatin1(invalidFieldTypeId).arg(field_type_id);
    else
        lastError = QString::fromLatin1(invalidTodoId).arg(todo_id);
    return false;
}

void Field::modified()
{
    // Only the todo is marked: a value belongs to its todo, not to its type.
    Entity::modified();
    if (todo)
        todo->modified();
}

void Field::removeReferences()
{
    RememberedRecords::detach(m_remembered, todo, detachedTodo, [this] { setTodo(nullptr); });
    RememberedRecords::detach(m_remembered, fieldType, detachedFieldType,
                              [this] { setFieldType(nullptr); });
    Q_EMIT setDeleted(this);
}

void Field::recreateReferences()
{
    RememberedRecords::reattach(m_remembered, detachedTodo, [this](Todo* t) { setTodo(t); });
    RememberedRecords::reattach(m_remembered, detachedFieldType,
                                [this](FieldType* type) { setFieldType(type); });
    RememberedRecords::forgetAll(m_remembered);
    Q_EMIT setUndeleted(this);
}

void Field::setTodo(Todo* newTodo)
{
    Todo* previous = todo;
    if (todo)
        RelationList::takeOut(todo->fields, this);
    todo = newTodo;
    if (newTodo) {
        todo_id = newTodo->id;
        newTodo->fields->append(this);
    }
    modified();
    RelationList::announceLeaving(previous, newTodo);
}

void Field::setFieldType(FieldType* newFieldType)
{
    if (fieldType)
        RelationList::takeOut(fieldType->fields, this);
    fieldType = newFieldType;
    if (newFieldType) {
        field_type_id = newFieldType->id;
        newFieldType->fields->append(this);
    }
    modified();
}

void Field::setValue(const QString& newValue)
{
    value = newValue;
    modified();
}

void Field::setDbId(const QString& dbId)
{
    db_id = dbId;
    modified();
}

void Field::setContactId(const QString& contactId)
{
    contact_id = contactId;
    modified();
}

} // namespace Orvel
