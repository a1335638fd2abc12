#ifndef ORVEL_BENCH_DATASET_H
#define ORVEL_BENCH_DATASET_H

#include <QDate>
#include <QList>
#include <QRandomGenerator>
#include <QString>

namespace Orvel {
class FieldType;
class Pool;
class Todo;
} // namespace Orvel

namespace Bench {

/// Fills a pool with a reproducible set of records through the public API only, as a front end
/// would: todos with alarms, field values, attachments and format strings, and repeating todos
/// (samples with recurrences of every kind). Nothing is written to the database.
class Dataset
{
public:
    static constexpr int fieldTypeCount = 20;
    /// A fresh database numbers the field types 1 to fieldTypeCount in creation order; the
    /// format strings and the field filter rely on that.
    static constexpr int filterFieldTypeId = 3;
    /// Contained in about one in five values of every field type.
    static const QString filterText;
    /// The todos' start dates lie in the three years from this day; samples start in its
    /// second year, and the rules run over all three.
    static const QDate firstDay;

    Dataset(Orvel::Pool& pool, int todoCount);

    /// Creates the field types, the todos with their dependants, and N / 100 repeating todos.
    void build();

private:
    void makeFieldTypes();
    void makeTodo(int index);
    void makeRepeatingTodo(int index);
    QDateTime randomStart(const QDate& from, int days);
    /// Returns the index of the first field's type, or -1 when count is 0.
    int addFields(Orvel::Todo* todo, int count);
    void addAlarms(Orvel::Todo* todo, const QDateTime& start, int count);
    void addAttachment(Orvel::Todo* todo, int index);
    QString formatStringFor(int fieldTypeIndex);
    int randomFieldTypeIndex();

    Orvel::Pool& m_pool;
    int m_todoCount;
    QRandomGenerator m_random;
    QList<Orvel::FieldType*> m_fieldTypes;
};

} // namespace Bench

#endif
