#include "entitystorage_p.h"
#include "statements.h"

#include <orvel/alarm.h>

namespace Orvel {

namespace {

// The insert leaves its :alarm_id placeholder unbound, so the key goes in as NULL and SQLite
// assigns it as in every other table.
void bindAlarmColumns(StatementBinder& binder, const Alarm& alarm)
{
    binder.bind(QStringLiteral(":todo_id"), alarm.todo_id);
    binder.bindDate(QStringLiteral(":last_mod_date"), alarm.lastModDate);
    binder.bindDate(QStringLiteral(":alarm_time"), alarm.alarm_time);
    binder.bind(QStringLiteral(":is_active"), alarm.is_active);
    binder.bind(QStringLiteral(":snooze"), alarm.snooze);
    binder.bind(QStringLiteral(":snooze_interval"), alarm.snooze_interval);
    binder.bind(QStringLiteral(":is_deleted"), alarm.isDeleted);
}

} // namespace

bool Alarm::databaseInsert()
{
    return EntityStorage::insertRecord(*this, Statements::insertAlarm, bindAlarmColumns);
}

bool Alarm::databaseUpdate()
{
    return EntityStorage::updateRecord(*this, Statements::updateAlarm, QStringLiteral(":alarm_id"),
                                       bindAlarmColumns);
}

bool Alarm::databaseDelete()
{
    return EntityStorage::deleteRecord(*this, Statements::deleteAlarm, QStringLiteral(":alarm_id"));
}

} // namespace Orvel
