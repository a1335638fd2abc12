#include "entitystorage_p.h"
#include "statementbinder.h"
#include "statements.h"

#include <orvel/fieldtype.h>

namespace Orvel {

namespace {

void bindFieldTypeColumns(StatementBinder& binder, const FieldType& fieldType)
{
    binder.bindDate(QStringLiteral(":last_mod_date"), fieldType.lastModDate);
    binder.bindText(QStringLiteral(":name"), fieldType.name);
    binder.bind(QStringLiteral(":is_deleted"), fieldType.isDeleted);
}

} // namespace

bool FieldType::databaseInsert()
{
    if (!EntityStorage::driverReportsInsertedKey(databaseConnector))
        return false;
    isNew = false;
    lastModDate = EntityStorage::currentUtcTime();
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::insertFieldType);
    bindFieldTypeColumns(binder, *this);
    return EntityStorage::executeInsert(*this, binder, id);
}

bool FieldType::databaseUpdate()
{
    lastModDate = EntityStorage::currentUtcTime();
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::updateFieldType);
    bindFieldTypeColumns(binder, *this);
    binder.bind(QStringLiteral(":field_type_id"), id);
    return EntityStorage::executeCommand(*this, binder);
}

bool FieldType::databaseDelete()
{
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::deleteFieldType);
    binder.bind(QStringLiteral(":field_type_id"), id);
    return EntityStorage::executeCommand(*this, binder);
}

} // namespace Orvel
