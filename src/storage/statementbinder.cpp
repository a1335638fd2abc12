#include "statementbinder.h"

#include "statementcache.h"
#include "storeddate.h"

#include <QSqlQuery>
#include <QVector>
#include <algorithm>

namespace Orvel {

namespace {

// What the binders left on the shared query object. All statements run one after the other on
// one object from one thread, so one record suffices; it is checked against the query's own
// last statement before use, in case something other than a binder ran on the object since.
struct LastStatement
{
    const QSqlQuery* query = nullptr;
    const char* statement = nullptr;
    bool prepared = false;
    // A vector rather than a QStringList: Qt 5's QList frees its storage on clear().
    QVector<QString> placeholders;
};

LastStatement& lastStatement()
{
    static LastStatement last;
    return last;
}

bool holdsStatement(const QSqlQuery& query, const char* statement)
{
    return query.lastQuery() == QLatin1String(statement);
}

const QString& emptyText()
{
    static const QString text = QLatin1String("");
    return text;
}

} // namespace

StatementBinder::StatementBinder(QSqlQuery* query, const char* statement, Navigation navigation)
    : m_shared(query), m_statement(statement), m_query(query), m_prepared(false)
{
    const LastStatement& last = lastStatement();
    if (navigation == Navigation::ForwardOnly)
        m_query->setForwardOnly(true);
    // Re-preparing the same text for every record costs SQLite a full compile each time; the
    // statement that is still prepared is reused instead and only its values are rebound.
    const bool stillPrepared = last.prepared && last.query == m_query &&
                               last.statement == statement && holdsStatement(*m_query, statement);
    m_prepared = stillPrepared || m_query->prepare(QLatin1String(statement));
    startBinding();
}

// A kept query holds its statement prepared for good: only the values change.
StatementBinder::StatementBinder(QSqlQuery* shared, QSqlQuery* kept, const char* statement)
    : m_shared(shared), m_statement(statement), m_query(kept), m_prepared(true)
{
    startBinding();
}

StatementBinder StatementBinder::forWrite(QSqlQuery* shared, const char* statement)
{
    QSqlQuery* kept = StatementCache::preparedQuery(shared, statement);
    if (!kept)
        return StatementBinder(shared, statement);
    return StatementBinder(shared, kept, statement);
}

void StatementBinder::startBinding()
{
    LastStatement& last = lastStatement();
    last.query = m_query;
    last.statement = m_statement;
    last.prepared = m_prepared;
    // clear() keeps the capacity, so binding allocates nothing after the first record.
    last.placeholders.clear();
}

void StatementBinder::bind(const QString& placeholder, const QVariant& value)
{
    m_query->bindValue(placeholder, value);
    lastStatement().placeholders.append(placeholder);
}

void StatementBinder::bindText(const QString& placeholder, const QString& text)
{
    bind(placeholder, text.isNull() ? emptyText() : text);
}

void StatementBinder::bindDate(const QString& placeholder, const QDateTime& dateTime)
{
    bindText(placeholder, StoredDate::toText(dateTime));
}

void StatementBinder::exec()
{
    StatementCache::noteRun(m_shared, m_query);
    if (m_prepared && !m_query->exec() && m_query != m_shared)
        StatementCache::retire(m_shared, m_statement);
}

QStringList StatementBinder::boundPlaceholders(const QSqlQuery& query)
{
    const LastStatement& last = lastStatement();
    if (last.query != &query || !last.statement || !holdsStatement(query, last.statement))
        return QStringList();
    QStringList names(last.placeholders.cbegin(), last.placeholders.cend());
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace Orvel
