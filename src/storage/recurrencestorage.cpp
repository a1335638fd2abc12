#include "entitystorage_p.h"
#include "statementbinder.h"
#include "statements.h"

#include <orvel/recurrence.h>

namespace Orvel {

namespace {

void bindRecurrenceColumns(StatementBinder& binder, const Recurrence& recurrence)
{
    binder.bind(QStringLiteral(":sample_id"), recurrence.sample_id);
    binder.bindDate(QStringLiteral(":last_mod_date"), recurrence.lastModDate);
    binder.bind(QStringLiteral(":is_active"), recurrence.is_active);
    binder.bind(QStringLiteral(":repeats"), static_cast<int>(recurrence.repeats));
    binder.bind(QStringLiteral(":repeats_every"), recurrence.repeats_every);
    binder.bindText(QStringLiteral(":repeats_on"), recurrence.repeats_on);
    binder.bindDate(QStringLiteral(":range_start"), recurrence.range_start);
    binder.bindDate(QStringLiteral(":range_end"), recurrence.range_end);
    binder.bindDate(QStringLiteral(":instancing_date"), recurrence.instancing_date);
    binder.bind(QStringLiteral(":is_deleted"), recurrence.isDeleted);
}

} // namespace

bool Recurrence::databaseInsert()
{
    // Unlike the other records, a rule is stamped before the driver is asked, so its
    // modification time moves even when the insert cannot run.
    lastModDate = EntityStorage::currentUtcTime();
    if (!EntityStorage::driverReportsInsertedKey(databaseConnector))
        return false;
    isNew = false;
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::insertRecurrence);
    bindRecurrenceColumns(binder, *this);
    return EntityStorage::executeInsert(*this, binder, id);
}

bool Recurrence::databaseUpdate()
{
    lastModDate = EntityStorage::currentUtcTime();
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::updateRecurrence);
    bindRecurrenceColumns(binder, *this);
    binder.bind(QStringLiteral(":recurrence_id"), id);
    return EntityStorage::executeCommand(*this, binder);
}

bool Recurrence::databaseDelete()
{
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::deleteRecurrence);
    binder.bind(QStringLiteral(":recurrence_id"), id);
    return EntityStorage::executeCommand(*this, binder);
}

} // namespace Orvel
