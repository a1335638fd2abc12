#include "entitystorage_p.h"
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
    return EntityStorage::insertRecord(*this, Statements::insertFieldType, bindFieldTypeColumns);
}

bool FieldType::databaseUpdate()
{
    return EntityStorage::updateRecord(*this, Statements::updateFieldType,
                                       QStringLiteral(":field_type_id"), bindFieldTypeColumns);
}

bool FieldType::databaseDelete()
{
    return EntityStorage::deleteRecord(*this, Statements::deleteFieldType,
                                       QStringLiteral(":field_type_id"));
}

} // namespace Orvel
