#include "entitystorage_p.h"
#include "statementbinder.h"
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
    if (!EntityStorage::driverReportsInsertedKey(databaseConnector))
        return false;
    isNew = false;
    lastModDate = EntityStorage::currentUtcTime();
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::insertField);
    bindFieldColumns(binder, *this);
    return EntityStorage::executeInsert(*this, binder, id);
}

bool Field::databaseUpdate()
{
    lastModDate = EntityStorage::currentUtcTime();
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::updateField);
    bindFieldColumns(binder, *this);
    binder.bind(QStringLiteral(":field_id"), id);
    return EntityStorage::executeCommand(*this, binder);
}

bool Field::databaseDelete()
{
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::deleteField);
    binder.bind(QStringLiteral(":field_id"), id);
    return EntityStorage::executeCommand(*this, binder);
}

} // namespace Orvel
