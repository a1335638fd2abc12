#include "entitystorage_p.h"
#include "statementbinder.h"
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
    if (!EntityStorage::driverReportsInsertedKey(databaseConnector))
        return false;
    isNew = false;
    lastModDate = EntityStorage::currentUtcTime();
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::insertAlarm);
    bindAlarmColumns(binder, *this);
    return EntityStorage::executeInsert(*this, binder, id);
}

bool Alarm::databaseUpdate()
{
    lastModDate = EntityStorage::currentUtcTime();
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::updateAlarm);
    bindAlarmColumns(binder, *this);
    binder.bind(QStringLiteral(":alarm_id"), id);
    return EntityStorage::executeCommand(*this, binder);
}

bool Alarm::databaseDelete()
{
    if (!EntityStorage::hasStatementObject(sqlQuery))
        return false;
    StatementBinder binder(sqlQuery, Statements::deleteAlarm);
    binder.bind(QStringLiteral(":alarm_id"), id);
    return EntityStorage::executeCommand(*this, binder);
}

} // namespace Orvel
