#include "entitystorage_p.h"
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
    return EntityStorage::insertRecord(*this, Statements::insertRecurrence, bindRecurrenceColumns);
}

bool Recurrence::databaseUpdate()
{
    return EntityStorage::updateRecord(*this, Statements::updateRecurrence,
                                       QStringLiteral(":recurrence_id"), bindRecurrenceColumns);
}

bool Recurrence::databaseDelete()
{
    return EntityStorage::deleteRecord(*this, Statements::deleteRecurrence,
                                       QStringLiteral(":recurrence_id"));
}

} // namespace Orvel
