#ifndef ORVEL_BENCH_FLOORDATABASE_H
#define ORVEL_BENCH_FLOORDATABASE_H

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <vector>

namespace Orvel {
class Pool;
}

namespace Bench {

// Plain rows, one struct per table, holding the columns of the library's list statements.
struct TodoRow
{
    int id;
    QDateTime startDate;
    QDateTime endDate;
    QString timeZone;
    QDateTime lastModDate;
    QDateTime creationDate;
    int status;
    bool isDone;
    QString note;
    QString formatString;
    int recurrenceId;
    bool isSample;
};

struct RecurrenceRow
{
    int id;
    int sampleId;
    QDateTime lastModDate;
    bool isActive;
    int repeats;
    int repeatsEvery;
    QString repeatsOn;
    QDateTime rangeStart;
    QDateTime rangeEnd;
    QDateTime instancingDate;
};

struct FieldTypeRow
{
    int id;
    QDateTime lastModDate;
    QString name;
};

struct FieldRow
{
    int id;
    int todoId;
    int fieldTypeId;
    QDateTime lastModDate;
    QString value;
    QString dbId;
    QString contactId;
};

struct BinaryRow
{
    int id;
    int todoId;
    QDateTime lastModDate;
    QString note;
    int type;
    int size;
};

struct AlarmRow
{
    int id;
    int todoId;
    QDateTime lastModDate;
    QDateTime alarmTime;
    bool isActive;
    int snooze;
    int snoozeInterval;
};

struct LoadedRows
{
    std::vector<AlarmRow> alarms;
    std::vector<BinaryRow> binaries;
    std::vector<FieldRow> fields;
    std::vector<FieldTypeRow> fieldTypes;
    std::vector<RecurrenceRow> recurrences;
    std::vector<TodoRow> samples;
    std::vector<TodoRow> todos;

    std::size_t rowCount() const;
};

/// The floor: what plain QtSql code costs for the same rows, with the library's statement texts
/// prepared once per table and run in one transaction. Owns one connection of its own.
class FloorDatabase
{
public:
    FloorDatabase(const QString& path, const QString& connectionName);
    ~FloorDatabase();
    FloorDatabase(const FloorDatabase&) = delete;
    FloorDatabase& operator=(const FloorDatabase&) = delete;

    bool isOpen() const;
    /// Runs the schema script as the library does: pieces separated by "##".
    bool createSchema(const QString& scriptPath);
    /// Inserts one row per live record of the pool; returns the number of rows written.
    int insertRecordsOf(const Orvel::Pool& pool);
    /// Reads every row that is not marked deleted, table by table in the pool's loading order.
    LoadedRows selectAll();

private:
    bool insertFieldTypes(const Orvel::Pool& pool);
    bool insertTodos(const Orvel::Pool& pool);
    bool insertRecurrences(const Orvel::Pool& pool);
    bool insertAlarms(const Orvel::Pool& pool);
    bool insertFields(const Orvel::Pool& pool);
    bool insertBinaries(const Orvel::Pool& pool);

    QString m_connectionName;
    // The key each record's row got in this database, to fill its children's reference columns.
    QHash<const void*, int> m_keys;
    int m_rowsWritten = 0;
};

} // namespace Bench

#endif
