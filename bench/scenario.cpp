#include "scenario.h"

#include "dataset.h"
#include "floordatabase.h"
#include "icalendarbench.h"
#include "measure.h"
#include "modelbench.h"
#include "queryfloor.h"
#include "report.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <orvel/entity.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/todo.h>

namespace Bench {

namespace {

constexpr char databaseFile[] = "/.orvel/orvel_db.sqlite";
constexpr char floorDatabaseFile[] = "/floor.sqlite";
constexpr char floorConnectionName[] = "orvel_bench_floor";
constexpr char schemaScriptFile[] = "/orvel_lite_db.sql";
constexpr int modifiedPerHundred = 1;

struct SortCase
{
    const char* name;
    Orvel::Query::SortOrder order;
};

const SortCase sortCases[] = {
    {"query.sort.creation_desc", Orvel::Query::CreationDateDesc},
    {"query.sort.creation_asc", Orvel::Query::CreationDateAsc},
    {"query.sort.start_desc", Orvel::Query::StartDateDesc},
    {"query.sort.start_asc", Orvel::Query::StartDateAsc},
    {"query.sort.alpha_desc", Orvel::Query::AlphabeticallyDesc},
    {"query.sort.alpha_asc", Orvel::Query::AlphabeticallyAsc},
};

QString schemaScriptPath()
{
    return qEnvironmentVariable("ORVEL_SCHEMA_DIR") + QLatin1String(schemaScriptFile);
}

QDateTime localTime(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::LocalTime);
}

bool isAlphabetical(Orvel::Query::SortOrder order)
{
    return order == Orvel::Query::AlphabeticallyAsc || order == Orvel::Query::AlphabeticallyDesc;
}

// The median of a floor's repetitions, or "no floor" when it could not be measured.
double floorSeconds(const std::vector<double>& seconds)
{
    return seconds.empty() ? -1.0 : median(seconds);
}

} // namespace

Scenario::Scenario(int todoCount, int repetitions, Report& report)
    : m_todoCount(todoCount), m_repetitions(repetitions), m_report(report)
{}

bool Scenario::run()
{
    if (!m_home.isValid()) {
        note(QStringLiteral("cannot create a temporary home directory"));
        return false;
    }
    // The pool finds its database in the home directory; it must never be the user's.
    qputenv("HOME", QFile::encodeName(m_home.path()));

    measureSynchronizeNew();
    measureStart();
    std::unique_ptr<Orvel::Pool> pool = measureStartMemory();
    measureQueries(*pool);
    ICalendarBench(m_todoCount, m_repetitions, m_home.path(), m_report).run(*pool);
    measureModifiedSynchronize(*pool);
    ModelBench(*pool, m_repetitions, m_report).run();
    return true;
}

QString Scenario::databasePath() const
{
    return m_home.path() + QLatin1String(databaseFile);
}

QString Scenario::floorDatabasePath() const
{
    return m_home.path() + QLatin1String(floorDatabaseFile);
}

void Scenario::note(const QString& text) const
{
    QTextStream(stderr) << "orvel-bench: N=" << m_todoCount << ": " << text << '\n';
}

// Step 1 and 2: every record new, written by the pool and by the floor loop.
void Scenario::measureSynchronizeNew()
{
    std::vector<double> seconds;
    std::vector<double> floors;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        QFile::remove(databasePath());
        auto pool = std::make_unique<Orvel::Pool>();
        Dataset(*pool, m_todoCount).build();
        const int records = int(pool->unsynchronizedEntities->size());
        seconds.push_back(secondsOf([&] { pool->synchronizeToDatabase(); }));
        if (!pool->unsynchronizedEntities->isEmpty())
            note(QStringLiteral("%1 records left unsynchronized")
                     .arg(pool->unsynchronizedEntities->size()));
        if (rep == 0)
            describeDataset(*pool, records);
        if (rep == m_repetitions - 1) {
            floors = measureInsertFloor(*pool);
            m_storedTodos = int(pool->todos->size());
            m_storedSamples = int(pool->samples->size());
        }
    }
    m_report.add(
        {QStringLiteral("pool.sync_new"), m_todoCount, median(seconds), floorSeconds(floors)});
}

std::vector<double> Scenario::measureInsertFloor(const Orvel::Pool& pool)
{
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        QFile::remove(floorDatabasePath());
        FloorDatabase floor(floorDatabasePath(), QLatin1String(floorConnectionName));
        if (!floor.isOpen() || !floor.createSchema(schemaScriptPath()))
            return {};
        int rows = 0;
        seconds.push_back(secondsOf([&] { rows = floor.insertRecordsOf(pool); }));
        if (rows < 0)
            return {};
    }
    QFile::remove(floorDatabasePath());
    return seconds;
}

// Step 3: a fresh pool every repetition, against reading the same rows into plain structs.
void Scenario::measureStart()
{
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        std::unique_ptr<Orvel::Pool> pool;
        seconds.push_back(secondsOf([&] {
            pool = std::make_unique<Orvel::Pool>();
            pool->start();
        }));
        if (rep == 0)
            checkLoaded(*pool);
    }
    m_report.add({QStringLiteral("pool.start"), m_todoCount, median(seconds),
                  floorSeconds(measureSelectFloor())});
}

std::vector<double> Scenario::measureSelectFloor()
{
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        // Opening the connection counts, as it does in the pool's constructor; closing does not.
        std::unique_ptr<FloorDatabase> floor;
        LoadedRows rows;
        seconds.push_back(secondsOf([&] {
            floor =
                std::make_unique<FloorDatabase>(databasePath(), QLatin1String(floorConnectionName));
            rows = floor->selectAll();
        }));
        if (rows.todos.size() != std::size_t(m_storedTodos))
            note(QStringLiteral("the floor read %1 todos").arg(rows.todos.size()));
    }
    return seconds;
}

void Scenario::describeDataset(const Orvel::Pool& pool, int records) const
{
    note(QStringLiteral("dataset: %1 records (%2 todos, %3 samples, %4 alarms, %5 fields, %6 "
                        "attachments, %7 rules)")
             .arg(records)
             .arg(pool.todos->size())
             .arg(pool.samples->size())
             .arg(pool.alarms->size())
             .arg(pool.fields->size())
             .arg(pool.binaries->size())
             .arg(pool.recurrences->size()));
}

void Scenario::checkLoaded(const Orvel::Pool& pool) const
{
    if (pool.todos->size() != m_storedTodos || pool.samples->size() != m_storedSamples)
        note(QStringLiteral("start() loaded %1 todos and %2 samples, %3 and %4 were written")
                 .arg(pool.todos->size())
                 .arg(pool.samples->size())
                 .arg(m_storedTodos)
                 .arg(m_storedSamples));
}

// Step 5: the pool that this measures is the one the queries and step 6 then use.
std::unique_ptr<Orvel::Pool> Scenario::measureStartMemory()
{
    releaseFreeMemory();
    const qint64 before = residentKib();
    if (!resetPeakResident())
        note(QStringLiteral("cannot reset the peak resident size; the figure covers the whole "
                            "process"));
    auto pool = std::make_unique<Orvel::Pool>();
    pool->start();
    const qint64 peak = peakResidentKib();
    // The whole process, and what start() added to it, spread over the todos.
    m_report.add({QStringLiteral("memory.peak_rss_kib"), m_todoCount, double(peak), -1.0,
                  Measurement::Kibibytes});
    m_report.add({QStringLiteral("memory.start_bytes_per_todo"), m_todoCount,
                  double(peak - before) * 1024.0 / double(m_todoCount), -1.0,
                  Measurement::BytesPerTodo});
    return pool;
}

// Step 4.
void Scenario::measureQueries(Orvel::Pool& pool)
{
    Orvel::Query* query = pool.newQuery();
    const QueryFloor floor(pool);
    timeQuery(
        *query, QStringLiteral("query.no_filter"), [](Orvel::Query&) {},
        floor.selectAllSeconds(QueryFloor::Key::Creation, true, m_repetitions));
    const QDate rangeStart = Dataset::firstDay.addYears(1).addMonths(3);
    const QDateTime rangeFrom = localTime(rangeStart, QTime(0, 0));
    const QDateTime rangeTo = localTime(rangeStart.addMonths(3).addDays(-1), QTime(23, 59, 59));
    timeQuery(
        *query, QStringLiteral("query.date_range"),
        [&](Orvel::Query& q) {
            q.startDateFrom = rangeFrom;
            q.startDateTo = rangeTo;
        },
        floor.startRangeSeconds(rangeFrom, rangeTo, m_repetitions));
    Orvel::FieldType* filterType = pool.fieldTypeById(Dataset::filterFieldTypeId);
    if (filterType)
        timeQuery(*query, QStringLiteral("query.field_filter"), [filterType](Orvel::Query& q) {
            q.fieldFilters->insert(filterType, new QList<QString>{Dataset::filterText});
        });
    else
        note(QStringLiteral("no field type %1; field filter skipped")
                 .arg(Dataset::filterFieldTypeId));
    for (const SortCase& sortCase : sortCases) {
        const Orvel::Query::SortOrder order = sortCase.order;
        timeQuery(
            *query, QLatin1String(sortCase.name), [order](Orvel::Query& q) { q.sortOrder = order; },
            sortFloorSeconds(pool, floor, order));
    }
    measureIncludeRecurring(*query, floor);
    pool.deleteQuery(query);
}

double Scenario::sortFloorSeconds(const Orvel::Pool& pool, const QueryFloor& floor,
                                  Orvel::Query::SortOrder order)
{
    const bool descending = order == Orvel::Query::AlphabeticallyDesc ||
                            order == Orvel::Query::CreationDateDesc ||
                            order == Orvel::Query::StartDateDesc;
    if (isAlphabetical(order))
        return floorSeconds(measureSortFloor(pool, descending));
    const bool byCreation =
        order == Orvel::Query::CreationDateAsc || order == Orvel::Query::CreationDateDesc;
    return floor.selectAllSeconds(byCreation ? QueryFloor::Key::Creation : QueryFloor::Key::Start,
                                  descending, m_repetitions);
}

// The floor: the occurrence walk with plain todos, plus the walk and sort of the ordinary todos
// that the query also does.
void Scenario::measureIncludeRecurring(Orvel::Query& query, const QueryFloor& floor)
{
    const QDate from = Dataset::firstDay.addYears(1);
    const QDateTime activeFrom = localTime(from, QTime(0, 0));
    const QDateTime activeTo = localTime(from.addYears(1).addDays(-1), QTime(23, 59, 59));
    int floorOccurrences = 0;
    const double floorTime =
        floor.occurrenceSeconds(query, activeFrom, activeTo, m_repetitions, &floorOccurrences) +
        floor.selectAllSeconds(QueryFloor::Key::Creation, true, m_repetitions);
    timeQuery(
        query, QStringLiteral("query.include_recurring"),
        [&](Orvel::Query& q) {
            q.includeRecurring = true;
            q.activeFrom = activeFrom;
            q.activeTo = activeTo;
        },
        floorTime);
    note(QStringLiteral("include_recurring made %1 occurrences, its floor %2")
             .arg(query.recurringTodos->size())
             .arg(floorOccurrences));
}

void Scenario::timeQuery(Orvel::Query& query, const QString& name,
                         const std::function<void(Orvel::Query&)>& setUp, double floor)
{
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        query.reset();
        query.sortOrder = Orvel::Query::CreationDateDesc;
        setUp(query);
        seconds.push_back(secondsOf([&] { query.execute(); }));
    }
    m_report.add({name, m_todoCount, median(seconds), floor});
}

// The floor of the alphabetical orders: the keys computed once, then only the sort.
std::vector<double> Scenario::measureSortFloor(const Orvel::Pool& pool, bool descending)
{
    std::vector<QString> keys;
    keys.reserve(std::size_t(pool.todos->size()));
    for (const Orvel::Todo* todo : *pool.todos)
        keys.push_back(todo->readableFormatString());

    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        std::vector<QString> sorted = keys;
        seconds.push_back(secondsOf([&] {
            if (descending)
                std::sort(sorted.begin(), sorted.end(),
                          [](const QString& a, const QString& b) { return b < a; });
            else
                std::sort(sorted.begin(), sorted.end());
        }));
    }
    return seconds;
}

// Step 6: one todo in a hundred changed, a different set every repetition.
void Scenario::measureModifiedSynchronize(Orvel::Pool& pool)
{
    const int todoCount = int(pool.todos->size());
    const int changed = std::max(1, todoCount * modifiedPerHundred / 100);
    const int stride = std::max(1, todoCount / changed);
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        for (int i = 0; i < changed; ++i) {
            Orvel::Todo* todo = pool.todos->at((i * stride + rep) % todoCount);
            todo->setIsDone(!todo->is_done);
        }
        seconds.push_back(secondsOf([&] { pool.synchronizeToDatabase(); }));
    }
    m_report.add({QStringLiteral("pool.sync_modified_1pct"), m_todoCount, median(seconds)});
}

} // namespace Bench
