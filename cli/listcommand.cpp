#include "listcommand.h"

#include "console.h"
#include "inputreader.h"
#include "session.h"
#include "todofilteroptions.h"
#include "todoformatter.h"
#include "todojson.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <orvel/field.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/todo.h>
#include <utility>

namespace {

const char sortOption[] = "sort";
const char batchOption[] = "batch";
const char pageOption[] = "page";
const char recurringOption[] = "recurring";
const char searchOption[] = "search";
const char jsonOption[] = "json";
const char defaultSort[] = "start";

struct SortName
{
    const char* name;
    Orvel::Query::SortOrder order;
};

const SortName sortNames[] = {
    {"start", Orvel::Query::StartDateAsc},      {"-start", Orvel::Query::StartDateDesc},
    {"created", Orvel::Query::CreationDateAsc}, {"-created", Orvel::Query::CreationDateDesc},
    {"alpha", Orvel::Query::AlphabeticallyAsc}, {"-alpha", Orvel::Query::AlphabeticallyDesc}};

} // namespace

ListCommand::ListCommand()
    : Command(QStringLiteral("list"), QStringLiteral("List todos, filtered and sorted."), QString())
{}

void ListCommand::defineOptions(QCommandLineParser& parser) const
{
    parser.setApplicationDescription(QStringLiteral(
        "Lists the todos that pass every filter given, one per line: id, done mark,\n"
        "readable date and text, separated by tabs. Occurrences of repeating todos\n"
        "show R and the id of their rule instead of an id."));
    TodoFilterOptions::define(parser);
    parser.addOption(
        {QLatin1String(sortOption),
         QStringLiteral("Order: start, -start, created, -created, alpha or -alpha (a minus "
                        "reverses). Default: start."),
         QStringLiteral("order"), QLatin1String(defaultSort)});
    parser.addOption({QLatin1String(batchOption), QStringLiteral("Show the todos in pages of N."),
                      QStringLiteral("N")});
    parser.addOption({QLatin1String(pageOption),
                      QStringLiteral("The page to show with --batch, from 1. Default: 1."),
                      QStringLiteral("K")});
    parser.addOption({QLatin1String(recurringOption),
                      QStringLiteral("Include the occurrences of repeating todos within --from "
                                     "and --to.")});
    parser.addOption({QLatin1String(searchOption),
                      QStringLiteral("Only todos whose note or one of whose field values "
                                     "contains TEXT (any case)."),
                      QStringLiteral("TEXT")});
    parser.addOption({QLatin1String(jsonOption),
                      QStringLiteral("Print a JSON array of todo objects instead of lines.")});
}

bool ListCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList none;
    m_recurring = parser.isSet(QLatin1String(recurringOption));
    m_json = parser.isSet(QLatin1String(jsonOption));
    m_search = parser.value(QLatin1String(searchOption));
    if (parser.isSet(QLatin1String(searchOption)) && m_search.isEmpty()) {
        *error = QStringLiteral("--search needs a text");
        return false;
    }
    if (!takeArguments(parser, 0, 0, &none, error) || !m_filters.read(parser, error))
        return false;
    if (m_recurring && !m_filters.hasInterval()) {
        *error = QStringLiteral("--recurring needs the interval --from and --to");
        return false;
    }
    return readSortOrder(parser, error) && readBatch(parser, error);
}

int ListCommand::run(Session& session)
{
    Orvel::Pool* pool = session.pool();
    Orvel::Query* query = pool->newQuery();
    QList<Orvel::Todo*> todos;
    if (m_filters.apply(pool, query)) {
        setFilters(query);
        query->execute();
        todos = shownTodos(query);
    }
    print(todos);
    pool->deleteQuery(query);
    return Success;
}

bool ListCommand::readSortOrder(const QCommandLineParser& parser, QString* error)
{
    const QString name = parser.value(QLatin1String(sortOption));
    for (const SortName& sort : sortNames) {
        if (name == QLatin1String(sort.name)) {
            m_sortOrder = sort.order;
            return true;
        }
    }
    *error = QStringLiteral("cannot read sort order '%1', expected start, -start, created, "
                            "-created, alpha or -alpha")
                 .arg(name);
    return false;
}

bool ListCommand::readBatch(const QCommandLineParser& parser, QString* error)
{
    const bool hasBatch = parser.isSet(QLatin1String(batchOption));
    const bool hasPage = parser.isSet(QLatin1String(pageOption));
    if (hasPage && !hasBatch) {
        *error = QStringLiteral("--page needs --batch");
        return false;
    }
    if (hasBatch && !InputReader::readCount(parser.value(QLatin1String(batchOption)),
                                            QLatin1String(batchOption), &m_batchSize, error))
        return false;
    return !hasPage || InputReader::readCount(parser.value(QLatin1String(pageOption)),
                                              QLatin1String(pageOption), &m_page, error);
}

void ListCommand::setFilters(Orvel::Query* query) const
{
    query->includeRecurring = m_recurring;
    query->sortOrder = m_sortOrder;
    query->batchSize = m_batchSize;
}

QList<Orvel::Todo*> ListCommand::shownTodos(const Orvel::Query* query) const
{
    if (m_search.isEmpty())
        return m_batchSize > 0 ? query->batch(m_page - 1) : *query->result;
    // The query knows no text search: the pages are cut from what passes it.
    QList<Orvel::Todo*> found;
    for (Orvel::Todo* todo : std::as_const(*query->result)) {
        if (matchesSearch(todo))
            found.append(todo);
    }
    return m_batchSize > 0 ? found.mid((m_page - 1) * m_batchSize, m_batchSize) : found;
}

bool ListCommand::matchesSearch(const Orvel::Todo* todo) const
{
    if (todo->note.contains(m_search, Qt::CaseInsensitive))
        return true;
    for (const Orvel::Field* field : *todo->fields) {
        if (field->value.contains(m_search, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void ListCommand::print(const QList<Orvel::Todo*>& todos) const
{
    if (!m_json) {
        for (const Orvel::Todo* todo : todos)
            Console::printLine(TodoFormatter::listLine(todo));
        return;
    }
    QJsonArray array;
    for (const Orvel::Todo* todo : todos)
        array.append(TodoJson::toJson(todo));
    Console::printText(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
}
