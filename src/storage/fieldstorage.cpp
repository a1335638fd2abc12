#include "entitystorage_p.h"
#include "statements.h"

#include <orvel/field.h>

namespace Orvel {

namespace {

void bindFieldColumns(StatementBinder& binder, const Field& field)
{
    binder.bind(QStringLiteral(":todo_id"), field.todo_id);
    binder.bind(QStringLiteral(":field_type_id"), field.field_type_id);
    binder.bindDate(QStringLiteral(":last_mod_date"), field.lastModDate);
    binder.bindText(QStringLiteral(":value"), field.value);
    binder.bindText(QStringLiteral(":db_id"), field.db_id);
    binder.bindText(QStringLiteral(":contact_id"), field.contact_id);
    binder.bind(QStringLiteral(":is_deleted"), field.isDeleted);
}

} // namespace

bool Field::databaseInsert()
{
    return EntityStorage::insertRecord(*this, Statements::insertField, bindFieldColumns);
}

bool Field::databaseUpdate()
{
    return EntityStorage::updateRecord(*this, Statements::updateField, QStringLiteral(":field_id"),
                                       bindFieldColumns);
}

bool Field::databaseDelete()
{
    return EntityStorage::deleteRecord(*this, Statements::deleteField, QStringLiteral(":field_id"));
}

} // namespace Orvel
