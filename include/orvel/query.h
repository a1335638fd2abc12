#ifndef ORVEL_QUERY_H
#define ORVEL_QUERY_H

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <orvel/orvel_export.h>

namespace Orvel {

class Field;
class FieldType;
class Recurrence;
class SortKeyCache;
class Todo;

/// Selects, sorts and batches todos, optionally with the occurrences of repeating todos.
/// Obtained from Pool::newQuery(); set the public members, call execute(), read result or batch().
class ORVEL_EXPORT Query : public QObject
{
    Q_OBJECT

public:
    enum SortOrder : int {
        CreationDateDesc = 0,
        CreationDateAsc = 1,
        StartDateDesc = 2,
        StartDateAsc = 3,
        AlphabeticallyDesc = 4,
        AlphabeticallyAsc = 5
    };

    explicit Query(QList<Todo*>* todos);
    Query(QList<Todo*>* todos, QList<Recurrence*>* recurrences);
    ~Query() override;

    /// Returns every filter to its default; sortOrder, batchSize and batchCount are kept.
    void reset();
    /// Computes result and batchCount, then emits queryFinished().
    void execute();
    /// One batch of the result; empty for an index outside 0 to batchCount - 1.
    QList<Todo*> batch(int index) const;

    bool checkFlags(Todo* todo);
    bool checkDates(Todo* todo);
    bool checkFields(Todo* todo);
    bool checkFieldType(FieldType* type, QList<QString>* values, QList<Field*>* fields);

    /// Appends one transient todo per occurrence within the active interval.
    bool computeRecurringTodos();
    /// The first occurrence of the rule after from, with from's time of day; invalid when none.
    /// Occurrences lie within the years 1 to 9999: a date outside them, or an interval too long
    /// to land inside them, gives none.
    QDateTime nextOccurance(Recurrence* recurrence, const QDateTime& from);
    void makeTodoFromSample(Todo* sample, Todo* parent, Recurrence* recurrence, int days);

    QList<Todo*>* todos;
    QList<Todo*>* result;
    int todoId;
    QMap<FieldType*, QList<QString>*>* fieldFilters;
    QDateTime activeFrom;
    QDateTime activeTo;
    QDateTime startDateFrom;
    QDateTime startDateTo;
    QDateTime endDateFrom;
    QDateTime endDateTo;
    QDateTime creationDateFrom;
    QDateTime creationDateTo;
    QDateTime lastModDateFrom;
    QDateTime lastModDateTo;
    int doneFilter;
    int alarmFilter;
    int sortOrder;
    int batchSize;
    int batchCount;
    QList<Recurrence*>* recurrences;
    QList<Todo*>* recurringTodos;
    bool includeRecurring;
    bool onlyRecurring;
    bool unfilteredRecurring;
    bool nextOccurrenceOnly;
    Recurrence* recurrence;
    int recurringFilter;

Q_SIGNALS:
    void queryFinished();

private:
    void discardOccurrences();
    void selectIntoResult();
    void appendPassing(const QList<Todo*>& candidates);
    bool hasFlagFilter() const;
    void sortResult();
    void sortAlphabetically(bool descending);
    QList<Recurrence*> rulesToCompute() const;
    void makeNextOccurrence(Recurrence* rule);
    void makeOccurrencesInInterval(Recurrence* rule);

    SortKeyCache* m_sortKeys;
};

ORVEL_EXPORT bool StartDateAscLessThan(const Todo* a, const Todo* b);
ORVEL_EXPORT bool StartDateDescLessThan(const Todo* a, const Todo* b);
ORVEL_EXPORT bool CreationDateAscLessThan(const Todo* a, const Todo* b);
ORVEL_EXPORT bool CreationDateDescLessThan(const Todo* a, const Todo* b);
ORVEL_EXPORT bool AlphabeticallyAscLessThan(const Todo* a, const Todo* b);
ORVEL_EXPORT bool AlphabeticallyDescLessThan(const Todo* a, const Todo* b);

} // namespace Orvel

#endif
