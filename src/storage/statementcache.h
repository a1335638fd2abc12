#ifndef ORVEL_STORAGE_STATEMENTCACHE_H
#define ORVEL_STORAGE_STATEMENTCACHE_H

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

// The write statements of the records, each kept prepared on a query object of its own beside
// a connector's shared statement object. Records are written in the order they were created (a
// todo, its field values, its alarms, the next todo, ...), so one shared object would compile
// nearly every insert anew; with one object per statement text SQLite compiles each statement
// once per connection. The objects run on the shared object's connection, and so inside its
// transaction, one statement after the other as before.
//
// The shared object stays the handle by which the cache is found: the connector releases it
// before it deletes the shared object, which also finalises the kept statements before the
// connection closes.
class StatementCache
{
public:
    // A query object on shared's connection with statement prepared; prepared on the first
    // request and handed out again afterwards. Null when the statement cannot be prepared: the
    // caller then prepares it on shared, so that the failure reads as it always did.
    // statement must be one of the constants of statements.h (they are told apart by address).
    static QSqlQuery* preparedQuery(QSqlQuery* shared, const char* statement);

    // Stops handing out the query object kept for one statement of shared; the object itself
    // lives on as lastRun(shared), holding its error, until the next statement is retired or
    // shared is released.
    static void retire(const QSqlQuery* shared, const char* statement);

    // Deletes the query objects kept for shared. Must run before shared is deleted.
    static void release(const QSqlQuery* shared);

    // The object on which the last statement of shared's records ran, which holds its error,
    // executed text, bound values and inserted key.
    static void noteRun(const QSqlQuery* shared, QSqlQuery* ran);
    // shared itself when nothing ran elsewhere for it since the last noteRun(shared, shared).
    static QSqlQuery* lastRun(QSqlQuery* shared);

    // Query objects kept for shared (for the tests of the cache).
    static int preparedCount(const QSqlQuery* shared);
};

} // namespace Orvel

#endif
