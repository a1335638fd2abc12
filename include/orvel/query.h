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
///
/// Obtain it from Pool::newQuery(), which owns it; set the public members, call execute(), read
/// result or batch(). Members may be changed and execute() called again any number of times. The
/// date bounds are compared with the todos' dates in device local time; both bounds of a range must
/// be valid for the range to apply, and bounds are inclusive. The filters doneFilter, alarmFilter
/// and recurringFilter are tri-state: -1 accepts every todo, 0 and 1 select one side.
///
/// The query owns result (the list, not the todos), fieldFilters with its value lists, and the
/// transient occurrences in recurringTodos, which it deletes at the next execute() and in its
/// destructor.
class ORVEL_EXPORT Query : public QObject
{
    Q_OBJECT

public:
    /// The order in which execute() sorts the result. Any other value leaves the result unsorted.
    /// Sorting is not stable.
    enum SortOrder : int {
        /// Newest creation date first.
        CreationDateDesc = 0,
        /// Oldest creation date first.
        CreationDateAsc = 1,
        /// Latest start first.
        StartDateDesc = 2,
        /// Earliest start first.
        StartDateAsc = 3,
        /// By Todo::readableFormatString(), descending (UTF-16 code units, case-sensitive).
        AlphabeticallyDesc = 4,
        /// By Todo::readableFormatString(), ascending.
        AlphabeticallyAsc = 5
    };

    /// A query on \a todos without recurrences: no occurrences are computed. Not owned.
    explicit Query(QList<Todo*>* todos);
    /// A query on \a todos and the rules in \a recurrences; neither list is owned. Pool::newQuery()
    /// uses this one.
    Query(QList<Todo*>* todos, QList<Recurrence*>* recurrences);
    /// Deletes the computed occurrences, the filters and the result list (not the todos in it).
    ~Query() override;

    /// Returns every filter to its default (everything accepted, no occurrences); sortOrder,
    /// batchSize and batchCount are kept.
    void reset();
    /// Computes result and batchCount, then emits queryFinished(). With todoId set, only that todo
    /// is selected; with unfilteredRecurring set, only the computed occurrences, unfiltered.
    void execute();
    /// Batch \a index of the result: batchSize todos from position batchSize × \a index (the whole
    /// result when batchSize is 0); empty for an index outside 0 to batchCount - 1.
    QList<Todo*> batch(int index) const;

    /// True when \a todo passes doneFilter, alarmFilter and recurringFilter.
    bool checkFlags(Todo* todo);
    /// True when \a todo passes the five date ranges.
    bool checkDates(Todo* todo);
    /// True when \a todo passes every field filter.
    bool checkFields(Todo* todo);
    /// True when one of \a fields of the given \a type contains one of \a values, compared
    /// case-insensitively.
    bool checkFieldType(FieldType* type, QList<QString>* values, QList<Field*>* fields);

    /// Appends one transient todo per occurrence within the active interval (activeFrom to
    /// activeTo, both required), copied from the rules' samples. Returns false, with a warning,
    /// when the interval is not set.
    bool computeRecurringTodos();
    /// The first occurrence of \a recurrence after \a from, with \a from's time of day; an invalid
    /// QDateTime when the rule has none. Occurrences lie within the years 1 to 9999: a date outside
    /// them, or an interval too long to land inside them, gives none.
    QDateTime nextOccurance(Recurrence* recurrence, const QDateTime& from);
    /// Appends to recurringTodos a transient todo copied from \a sample, with its field values and
    /// alarms, shifted by \a days days and linked to \a recurrence. \a parent is ignored.
    void makeTodoFromSample(Todo* sample, Todo* parent, Recurrence* recurrence, int days);

    /// The pool's list of ordinary todos; not owned.
    QList<Todo*>* todos;
    /// The result of the last execute(). The list object is owned; the todos are not.
    QList<Todo*>* result;
    /// Selects the single todo with this id, ignoring every other filter; INT_MIN means no
    /// selection.
    int todoId;
    /// For each field type, texts of which a field value of that type must contain one
    /// (case-insensitive substring). The map and the value lists are owned by the query; the field
    /// types are not. A todo without a value of a listed type fails.
    QMap<FieldType*, QList<QString>*>* fieldFilters;
    /// Start of the active interval: a todo's span must overlap activeFrom to activeTo. Also the
    /// interval in which occurrences are computed.
    QDateTime activeFrom;
    /// End of the active interval.
    QDateTime activeTo;
    /// Earliest accepted start.
    QDateTime startDateFrom;
    /// Latest accepted start.
    QDateTime startDateTo;
    /// Earliest accepted end.
    QDateTime endDateFrom;
    /// Latest accepted end.
    QDateTime endDateTo;
    /// Earliest accepted creation date.
    QDateTime creationDateFrom;
    /// Latest accepted creation date.
    QDateTime creationDateTo;
    /// Earliest accepted last modification date.
    QDateTime lastModDateFrom;
    /// Latest accepted last modification date.
    QDateTime lastModDateTo;
    /// -1 accepts every todo; 0 only todos not done, 1 only done ones (other values reject
    /// everything).
    int doneFilter;
    /// -1 accepts every todo; 0 only todos without an active alarm, 1 only todos with one (other
    /// values reject everything).
    int alarmFilter;
    /// A SortOrder value; CreationDateDesc by default. Not changed by reset().
    int sortOrder;
    /// Todos per batch; 0 or less means one batch holding everything. Not changed by reset().
    int batchSize;
    /// Number of batches, computed by execute(): result size / batchSize + 1 (so the last batch may
    /// be empty), or 1.
    int batchCount;
    /// The pool's list of recurrences; not owned, may be null.
    QList<Recurrence*>* recurrences;
    /// The occurrences computed by the last execute(): transient todos without a connector, never
    /// saved. The list and the todos are owned by the query.
    QList<Todo*>* recurringTodos;
    /// Also compute the occurrences and filter them together with the todos.
    bool includeRecurring;
    /// Compute and filter the occurrences and leave the ordinary todos out.
    bool onlyRecurring;
    /// The result is exactly the computed occurrences, no filter applied.
    bool unfilteredRecurring;
    /// Compute only the next occurrence of each rule after its sample's start.
    bool nextOccurrenceOnly;
    /// Restricts the occurrences to this rule; null means every rule. Not owned.
    Recurrence* recurrence;
    /// -1 accepts every todo; 0 only todos without a recurrence (recurrence_id -1), 1 only
    /// instances (recurrence_id 0 or more).
    int recurringFilter;

Q_SIGNALS:
    /// Emitted at the end of every execute(), once result and batchCount are set.
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

/// True when \a a starts before \a b (dates in device local time).
ORVEL_EXPORT bool StartDateAscLessThan(const Todo* a, const Todo* b);
/// True when \a b starts before \a a.
ORVEL_EXPORT bool StartDateDescLessThan(const Todo* a, const Todo* b);
/// True when \a a was created before \a b.
ORVEL_EXPORT bool CreationDateAscLessThan(const Todo* a, const Todo* b);
/// True when \a b was created before \a a.
ORVEL_EXPORT bool CreationDateDescLessThan(const Todo* a, const Todo* b);
/// True when the readable format string of \a a is less than that of \a b.
ORVEL_EXPORT bool AlphabeticallyAscLessThan(const Todo* a, const Todo* b);
/// True when the readable format string of \a b is less than that of \a a.
ORVEL_EXPORT bool AlphabeticallyDescLessThan(const Todo* a, const Todo* b);

} // namespace Orvel

#endif
