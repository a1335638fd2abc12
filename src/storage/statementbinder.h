#ifndef ORVEL_STORAGE_STATEMENTBINDER_H
#define ORVEL_STORAGE_STATEMENTBINDER_H

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

QT_BEGIN_NAMESPACE
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

// Prepares one of the library's statements on the shared query object and binds its values by
// placeholder name, remembering the names it bound. Qt 5 and Qt 6 disagree on what
// QSqlQuery::boundValues() returns (a map by name against a list without names), so a failed
// command is logged from these names instead, the same way on both.
class StatementBinder
{
public:
    enum class Navigation { Any, ForwardOnly };

    // statement must be one of the constants of statements.h: a statement that is still
    // prepared on query from the previous use is not prepared again.
    StatementBinder(QSqlQuery* query, const char* statement,
                    Navigation navigation = Navigation::Any);

    // A write (insert, update, delete) that runs on the query object the statement cache keeps
    // for it beside shared, rather than on shared itself; on shared only when the statement
    // cannot be prepared. The outcome is read back through StatementCache::lastRun(shared).
    static StatementBinder forWrite(QSqlQuery* shared, const char* statement);

    void bind(const QString& placeholder, const QVariant& value);
    // Text is never bound as SQL NULL: a NULL column would never compare equal to the same
    // value bound again (selectSimilarTodoIds relies on that).
    void bindText(const QString& placeholder, const QString& text);
    // Dates are stored as the text of the held UTC value.
    void bindDate(const QString& placeholder, const QDateTime& dateTime);

    // Runs the statement. When preparing failed it is not run, so that the query keeps the
    // driver's own error ("no such table: ...") instead of a generic parameter mismatch.
    // A kept statement that fails is prepared afresh the next time: a failure can come from a
    // change of the schema by another program, after which the statement must compile against
    // the new schema (and fail there, if its table is gone) exactly as one prepared for its
    // one use does.
    void exec();

    // The placeholders bound to the statement last prepared on query through a binder, sorted
    // by name; empty when something else has run on query since.
    static QStringList boundPlaceholders(const QSqlQuery& query);

private:
    StatementBinder(QSqlQuery* shared, QSqlQuery* kept, const char* statement);
    void startBinding();

    QSqlQuery* m_shared;
    const char* m_statement;
    QSqlQuery* m_query;
    bool m_prepared;
};

} // namespace Orvel

#endif
