#include "entitystorage_p.h"
#include "statements.h"

#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databaseconnector.h>
#include <orvel/field.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

// The values of every column but the key, shared by the insert and the update.
void bindTodoColumns(StatementBinder& binder, const Todo& todo)
{
    binder.bindDate(QStringLiteral(":start_date"), todo.start_date);
    binder.bindDate(QStringLiteral(":end_date"), todo.end_date);
    binder.bindText(QStringLiteral(":time_zone"), todo.time_zone);
    binder.bindDate(QStringLiteral(":last_mod_date"), todo.lastModDate);
    binder.bindDate(QStringLiteral(":creation_date"), todo.creation_date);
    binder.bind(QStringLiteral(":status"), todo.status);
    binder.bind(QStringLiteral(":is_done"), todo.is_done);
    binder.bindText(QStringLiteral(":note"), todo.note);
    binder.bindText(QStringLiteral(":format_string"), todo.format_string);
    binder.bind(QStringLiteral(":is_deleted"), todo.isDeleted);
    binder.bind(QStringLiteral(":recurrence_id"), todo.recurrence_id);
    binder.bind(QStringLiteral(":is_sample"), todo.is_sample);
}

// The live children learn the new key at once; they are written by their own save().
template <typename Child> void passKeyToChildren(const QList<Child*>& children, int todoId)
{
    for (Child* child : children)
        child->todo_id = todoId;
}

} // namespace

bool Todo::databaseInsert()
{
    if (!EntityStorage::insertRecord(*this, Statements::insertTodo, bindTodoColumns))
        return false;
    passKeyToChildren(*alarms, id);
    passKeyToChildren(*binaries, id);
    passKeyToChildren(*fields, id);
    // The identifier is the one value that changes without a setter; views showing it hear here.
    Q_EMIT databaseConnector->recordChanged(this);
    return true;
}

bool Todo::databaseUpdate()
{
    return EntityStorage::updateRecord(*this, Statements::updateTodo, QStringLiteral(":todo_id"),
                                       bindTodoColumns);
}

bool Todo::databaseDelete()
{
    return EntityStorage::deleteRecord(*this, Statements::deleteTodo, QStringLiteral(":todo_id"));
}

} // namespace Orvel
