// start() on arbitrary database contents: the fuzz bytes are decoded into rows of the six
// tables (keys, references, dates, zones, patterns, kinds, texts and blobs, each usually of its
// column's kind and sometimes of any other), inserted into a freshly initialised database, and
// the pool loads and links them, runs a query with occurrences over them, expands their format
// strings, deletes some of them and hands them back for disposal, and writes everything back when
// it is deleted.
#include "fuzzsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/databaseconnector.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

const char connectionName[] = "orvel_fuzz";
const int mostRows = 24;

// The column kinds of a table, one letter per column in the schema's order: k key, i integer,
// b flag, d date, z zone, p pattern of repeats_on, t text, x blob.
struct Table
{
    const char* insert;
    const char* columns;
};

const Table tables[] = {
    {"INSERT INTO TODO_PROJECT VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", "kddzddibttbib"},
    {"INSERT INTO RECURRENCE VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", "kidbiipdddb"},
    {"INSERT INTO FIELD_TYPE VALUES (?, ?, ?, ?)", "kdtb"},
    {"INSERT INTO FIELD VALUES (?, ?, ?, ?, ?, ?, ?, ?)", "kiidtttb"},
    {"INSERT INTO BINARY VALUES (?, ?, ?, ?, ?, ?, ?, ?)", "kidtiixb"},
    {"INSERT INTO ALARM VALUES (?, ?, ?, ?, ?, ?, ?, ?)", "kiddbiib"},
};
const char anyKind[] = "kibdzptxn";

// A stored date: the layout the library writes, with out-of-range parts now and then, or text
// in some other layout.
QVariant storedDate(FuzzedDataProvider& data)
{
    if (data.ConsumeIntegralInRange(0, 7) == 0)
        return OrvelFuzz::text(data, 24);
    return QString::asprintf(
        "%04d-%02d-%02d %02d:%02d:%02d.%03d", data.ConsumeIntegralInRange(0, 10000),
        data.ConsumeIntegralInRange(0, 13), data.ConsumeIntegralInRange(0, 32),
        data.ConsumeIntegralInRange(0, 24), data.ConsumeIntegralInRange(0, 60),
        data.ConsumeIntegralInRange(0, 60), data.ConsumeIntegralInRange(0, 999));
}

QVariant valueOfKind(FuzzedDataProvider& data, char kind)
{
    switch (kind) {
    case 'k':
        return data.ConsumeIntegralInRange(1, 8);
    case 'i':
        return OrvelFuzz::anyInt(data);
    case 'b':
        return data.ConsumeIntegralInRange(-1, 2);
    case 'd':
        return storedDate(data);
    case 'z':
        return OrvelFuzz::zoneString(data);
    case 'p':
        return OrvelFuzz::repeatsOnPattern(data);
    case 't':
        return OrvelFuzz::text(data, 40);
    case 'x':
        return QByteArray::fromStdString(data.ConsumeRandomLengthString(64));
    default:
        return QVariant();
    }
}

QVariant columnValue(FuzzedDataProvider& data, char kind)
{
    if (data.ConsumeIntegralInRange(0, 9) == 0)
        kind = anyKind[data.ConsumeIntegralInRange<size_t>(0, sizeof anyKind - 2)];
    return valueOfKind(data, kind);
}

// Rows that the schema refuses (a key twice, a key that is not an integer) are simply missing.
void insertRows(FuzzedDataProvider& data, QSqlDatabase* database)
{
    QSqlQuery insert(*database);
    for (int row = 0; row < mostRows && data.remaining_bytes() > 0; ++row) {
        const Table& table = tables[data.ConsumeIntegralInRange<size_t>(0, std::size(tables) - 1)];
        insert.prepare(QLatin1String(table.insert));
        for (const char* kind = table.columns; *kind; ++kind)
            insert.addBindValue(columnValue(data, *kind));
        insert.exec();
    }
}

void runQuery(FuzzedDataProvider& data, Pool* pool)
{
    Query* query = pool->newQuery();
    query->activeFrom = OrvelFuzz::dateTimeNear(data, QDate(2015, 1, 14), 400);
    query->activeTo = query->activeFrom.addDays(data.ConsumeIntegralInRange(0, 60));
    query->includeRecurring = data.ConsumeBool();
    query->sortOrder = data.ConsumeIntegralInRange(-1, 6);
    query->batchSize = OrvelFuzz::anyInt(data);
    query->execute();
    static_cast<void>(query->batch(data.ConsumeIntegralInRange(-1, 3)));
    for (const Todo* todo : std::as_const(*query->result))
        static_cast<void>(todo->readableFormatString());
}

template <typename Record> Entity* pick(FuzzedDataProvider& data, const QList<Record*>& list)
{
    if (list.isEmpty())
        return nullptr;
    return list.at(data.ConsumeIntegralInRange<qsizetype>(0, list.size() - 1));
}

Entity* pickRecord(FuzzedDataProvider& data, const Pool* pool)
{
    switch (data.ConsumeIntegralInRange(0, 6)) {
    case 0:
        return pick(data, *pool->todos);
    case 1:
        return pick(data, *pool->samples);
    case 2:
        return pick(data, *pool->recurrences);
    case 3:
        return pick(data, *pool->alarms);
    case 4:
        return pick(data, *pool->binaries);
    case 5:
        return pick(data, *pool->fields);
    default:
        return pick(data, *pool->fieldTypes);
    }
}

// Deletes records of the loaded graph and hands each back, with writes, undeletes and
// deletions again in between. A record is not touched after a write that may have freed it.
void deleteAndDispose(FuzzedDataProvider& data, Pool* pool)
{
    for (int round = 0; round < 6 && data.remaining_bytes() > 0; ++round) {
        Entity* record = pickRecord(data, pool);
        if (!record)
            continue;
        record->setIsDeleted(true);
        switch (data.ConsumeIntegralInRange(0, 3)) {
        case 0:
            pool->disposeDeleted(record);
            break;
        case 1:
            pool->disposeDeleted(record);
            pool->synchronizeToDatabase();
            break;
        case 2:
            pool->disposeDeleted(record);
            record->setIsDeleted(false);
            break;
        default:
            // Written while still connected, then handed over: the pool never frees a deleted
            // record that was not handed over.
            pool->synchronizeToDatabase();
            pool->disposeDeleted(record);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const QString path = QDir::home().filePath(QStringLiteral("fuzz.sqlite"));
    QFile::remove(path);
    FuzzedDataProvider data(bytes, size);

    auto* pool = new Pool(path, QLatin1String(connectionName));
    // The choices of the query and of the deletions first, so that the rows take the rest.
    const QByteArray queryBytes = QByteArray::fromStdString(data.ConsumeBytesAsString(48));
    insertRows(data, pool->connector->database);
    pool->start();
    FuzzedDataProvider queryData(reinterpret_cast<const uint8_t*>(queryBytes.constData()),
                                 size_t(queryBytes.size()));
    runQuery(queryData, pool);
    deleteAndDispose(queryData, pool);
    delete pool;
    return 0;
}
