#include "statementcache.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>
#include <QString>
#include <memory>
#include <unordered_map>

namespace Orvel {

namespace {

struct KeptStatements
{
    std::unordered_map<const char*, std::unique_ptr<QSqlQuery>> queries;
    std::unique_ptr<QSqlQuery> retired;
    QSqlQuery* lastRun = nullptr;
};

// Every connector has its own shared object; a process normally has one. Everything runs on one
// thread (the library's objects must be used from one), so the registry needs no lock.
using Registry = std::unordered_map<const QSqlQuery*, KeptStatements>;

Registry& registry()
{
    static Registry kept;
    return kept;
}

// A new statement object on the connection of shared. The driver makes the result, exactly as
// QSqlQuery does for a query constructed on the connection's handle.
std::unique_ptr<QSqlQuery> queryBeside(const QSqlQuery& shared)
{
    const QSqlDriver* driver = shared.driver();
    if (!driver)
        return nullptr;
    return std::make_unique<QSqlQuery>(driver->createResult());
}

} // namespace

QSqlQuery* StatementCache::preparedQuery(QSqlQuery* shared, const char* statement)
{
    KeptStatements& kept = registry()[shared];
    const auto found = kept.queries.find(statement);
    if (found != kept.queries.end())
        return found->second.get();
    std::unique_ptr<QSqlQuery> query = queryBeside(*shared);
    if (!query || !query->prepare(QLatin1String(statement)))
        return nullptr;
    return kept.queries.emplace(statement, std::move(query)).first->second.get();
}

void StatementCache::retire(const QSqlQuery* shared, const char* statement)
{
    const auto found = registry().find(shared);
    if (found == registry().end())
        return;
    KeptStatements& kept = found->second;
    const auto query = kept.queries.find(statement);
    if (query == kept.queries.end())
        return;
    if (kept.retired.get() == kept.lastRun)
        kept.lastRun = nullptr;
    kept.retired = std::move(query->second);
    kept.queries.erase(query);
}

void StatementCache::release(const QSqlQuery* shared)
{
    registry().erase(shared);
}

void StatementCache::noteRun(const QSqlQuery* shared, QSqlQuery* ran)
{
    Registry& kept = registry();
    if (ran == shared) {
        const auto found = kept.find(shared);
        if (found != kept.end())
            found->second.lastRun = nullptr;
        return;
    }
    kept[shared].lastRun = ran;
}

QSqlQuery* StatementCache::lastRun(QSqlQuery* shared)
{
    const Registry& kept = registry();
    const auto found = kept.find(shared);
    if (found == kept.end() || !found->second.lastRun)
        return shared;
    return found->second.lastRun;
}

int StatementCache::preparedCount(const QSqlQuery* shared)
{
    const Registry& kept = registry();
    const auto found = kept.find(shared);
    return found == kept.end() ? 0 : int(found->second.queries.size());
}

} // namespace Orvel
