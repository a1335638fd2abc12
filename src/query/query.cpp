#include "datefilter.h"
#include "sortkeycache.h"

#include <QSet>
#include <algorithm>
#include <climits>
#include <limits>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>
#include <utility>
#include <vector>

namespace Orvel {

namespace {

const char queryObjectName[] = "query";

template <typename Key> using KeyedTodo = std::pair<Key, Todo*>;

// Sorts on keys read once per todo instead of once per comparison: a key can be expensive (the
// expansion of the format string) and, read once, it cannot change while the sort runs even
// when it depends on the clock.
template <typename KeyOf, typename KeyLess>
void sortByKey(QList<Todo*>* todos, KeyOf keyOf, KeyLess keyLess)
{
    using Key = decltype(keyOf(static_cast<const Todo*>(nullptr)));
    std::vector<KeyedTodo<Key>> keyed;
    keyed.reserve(static_cast<size_t>(todos->size()));
    for (Todo* todo : std::as_const(*todos))
        keyed.emplace_back(keyOf(todo), todo);
    std::sort(keyed.begin(), keyed.end(),
              [&keyLess](const KeyedTodo<Key>& a, const KeyedTodo<Key>& b) {
                  return keyLess(a.first, b.first);
              });
    for (int i = 0; i < todos->size(); ++i)
        (*todos)[i] = keyed[static_cast<size_t>(i)].second;
}

// The dates sort as their local-time readings would (QDateTime's less-than orders by instant),
// read from the held values without the conversion.
qint64 startKey(const Todo* todo)
{
    return DateFilter::instant(todo->start_date);
}

qint64 creationKey(const Todo* todo)
{
    return DateFilter::instant(todo->creation_date);
}

// Function objects rather than functions, so that the sort inlines the comparison.
struct Ascending
{
    template <typename Key> bool operator()(const Key& a, const Key& b) const { return a < b; }
};

struct Descending
{
    template <typename Key> bool operator()(const Key& a, const Key& b) const { return b < a; }
};

// Removes every pointer of the set from the list in one pass.
template <typename T> void removeAllOf(QList<T*>* list, const QSet<T*>& doomed)
{
    const auto isDoomed = [&doomed](T* item) { return doomed.contains(item); };
    if (std::none_of(list->cbegin(), list->cend(), isDoomed))
        return;
    list->erase(std::remove_if(list->begin(), list->end(), isDoomed), list->end());
}

// Each occurrence sits in its rule's list of instanced todos and each of its field values in
// its field type's list; records detaching themselves one by one would scan those shared lists
// once per record. The occurrences always go together, so each shared list is filtered once and
// the links are cleared before the records are deleted.
void detachFromSharedLists(const QList<Todo*>& occurrences)
{
    QSet<Todo*> todos;
    QSet<Field*> fields;
    QSet<Recurrence*> rules;
    QSet<FieldType*> fieldTypes;
    for (Todo* todo : occurrences) {
        todos.insert(todo);
        if (todo->recurrence)
            rules.insert(todo->recurrence);
        for (Field* field : std::as_const(*todo->fields)) {
            fields.insert(field);
            if (field->fieldType)
                fieldTypes.insert(field->fieldType);
        }
    }
    for (Recurrence* rule : std::as_const(rules))
        removeAllOf(rule->todos, todos);
    for (FieldType* fieldType : std::as_const(fieldTypes))
        removeAllOf(fieldType->fields, fields);
    for (Todo* todo : occurrences) {
        todo->recurrence = nullptr;
        for (Field* field : std::as_const(*todo->fields))
            field->fieldType = nullptr;
    }
}

void deleteOccurrences(QList<Todo*>* occurrences)
{
    detachFromSharedLists(*occurrences);
    for (Todo* todo : std::as_const(*occurrences))
        delete todo;
    occurrences->clear();
}

} // namespace

Query::Query(QList<Todo*>* todos) : Query(todos, nullptr) {}

Query::Query(QList<Todo*>* todos, QList<Recurrence*>* recurrences)
    : QObject(nullptr), todos(todos), result(new QList<Todo*>), todoId(INT_MIN),
      fieldFilters(new QMap<FieldType*, QList<QString>*>), doneFilter(-1), alarmFilter(-1),
      sortOrder(CreationDateDesc), batchSize(0), batchCount(0), recurrences(recurrences),
      recurringTodos(new QList<Todo*>), includeRecurring(false), onlyRecurring(false),
      unfilteredRecurring(false), nextOccurrenceOnly(false), recurrence(nullptr),
      recurringFilter(-1), m_sortKeys(new SortKeyCache)
{
    setObjectName(QLatin1String(queryObjectName));
    reset();
}

// The occurrences are deleted but not taken out of todos: the pool deletes its queries while
// it tears itself down, when its list of todos may already be gone.
Query::~Query()
{
    qDeleteAll(*fieldFilters);
    delete fieldFilters;
    deleteOccurrences(recurringTodos);
    delete recurringTodos;
    delete result;
    delete m_sortKeys;
}

// The occurrences are deleted here as execute() does, not merely forgotten: the query owns
// them, and once result is emptied nothing of the query refers to them any more, so forgetting
// them would leak them.
void Query::reset()
{
    todoId = INT_MIN;
    qDeleteAll(*fieldFilters);
    fieldFilters->clear();
    activeFrom = QDateTime();
    activeTo = QDateTime();
    startDateFrom = QDateTime();
    startDateTo = QDateTime();
    endDateFrom = QDateTime();
    endDateTo = QDateTime();
    creationDateFrom = QDateTime();
    creationDateTo = QDateTime();
    lastModDateFrom = QDateTime();
    lastModDateTo = QDateTime();
    doneFilter = -1;
    alarmFilter = -1;
    includeRecurring = false;
    onlyRecurring = false;
    unfilteredRecurring = false;
    nextOccurrenceOnly = false;
    recurrence = nullptr;
    recurringFilter = -1;
    discardOccurrences();
}

void Query::execute()
{
    discardOccurrences();
    selectIntoResult();
    sortResult();
    batchCount = batchSize > 0 ? result->size() / batchSize + 1 : 1;
    Q_EMIT queryFinished();
}

QList<Todo*> Query::batch(int index) const
{
    if (index < 0 || index >= batchCount)
        return QList<Todo*>();
    if (batchSize == 0)
        return *result;
    // batchCount is public and may be set by hand, so the product can leave int. Any position
    // beyond int lies beyond every list too, where mid() answers the same as at the bound.
    const qint64 position = qBound(qint64(INT_MIN), qint64(batchSize) * index, qint64(INT_MAX));
    return result->mid(static_cast<int>(position), batchSize);
}

// The front end may have put occurrences into todos; they must leave it before they are
// deleted. The pointers are looked up in a set so that this stays one pass over todos.
void Query::discardOccurrences()
{
    if (!recurringTodos->isEmpty()) {
        const QSet<Todo*> occurrences(recurringTodos->cbegin(), recurringTodos->cend());
        removeAllOf(todos, occurrences);
    }
    deleteOccurrences(recurringTodos);
    result->clear();
}

void Query::selectIntoResult()
{
    if (todoId != INT_MIN) {
        const auto match = std::find_if(todos->cbegin(), todos->cend(),
                                        [this](const Todo* todo) { return todo->id == todoId; });
        if (match != todos->cend())
            result->append(*match);
        return;
    }
    if (unfilteredRecurring) {
        computeRecurringTodos();
        result->append(*recurringTodos);
        return;
    }
    if (includeRecurring || onlyRecurring) {
        computeRecurringTodos();
        appendPassing(*recurringTodos);
        if (onlyRecurring)
            return;
    }
    appendPassing(*todos);
}

void Query::appendPassing(const QList<Todo*>& candidates)
{
    const DateFilter dates(*this);
    const bool byFields = !fieldFilters->isEmpty();
    const bool byFlags = hasFlagFilter();
    result->reserve(result->size() + candidates.size());
    // With no filter set every todo passes; the checks would only confirm it, one by one.
    if (!byFields && !dates.isActive() && !byFlags) {
        result->append(candidates);
        return;
    }
    // checkFields(), checkDates() and checkFlags() in this order, each only when it can reject,
    // with the date ranges read once for the whole pass.
    for (Todo* todo : candidates) {
        if ((!byFields || checkFields(todo)) && dates.passes(*todo) &&
            (!byFlags || checkFlags(todo)))
            result->append(todo);
    }
}

bool Query::hasFlagFilter() const
{
    return doneFilter != -1 || alarmFilter != -1 || recurringFilter != -1;
}

void Query::sortResult()
{
    switch (sortOrder) {
    case CreationDateDesc:
        sortByKey(result, creationKey, Descending());
        break;
    case CreationDateAsc:
        sortByKey(result, creationKey, Ascending());
        break;
    case StartDateDesc:
        sortByKey(result, startKey, Descending());
        break;
    case StartDateAsc:
        sortByKey(result, startKey, Ascending());
        break;
    case AlphabeticallyDesc:
        sortAlphabetically(true);
        break;
    case AlphabeticallyAsc:
        sortAlphabetically(false);
        break;
    default:
        break;
    }
}

void Query::sortAlphabetically(bool descendingOrder)
{
    m_sortKeys->beginPass();
    const auto keyOf = [this](const Todo* todo) { return m_sortKeys->keyOf(todo); };
    if (descendingOrder)
        sortByKey(result, keyOf, Descending());
    else
        sortByKey(result, keyOf, Ascending());
    m_sortKeys->endPass();
}

bool Query::checkFlags(Todo* todo)
{
    if (doneFilter != -1 && doneFilter != (todo->is_done ? 1 : 0))
        return false;
    if (alarmFilter != -1 && alarmFilter != (todo->isAlarmTimeActive() ? 1 : 0))
        return false;
    if (recurringFilter == 0 && todo->recurrence_id >= 0)
        return false;
    if (recurringFilter == 1 && todo->recurrence_id == -1)
        return false;
    return true;
}

bool Query::checkDates(Todo* todo)
{
    return DateFilter(*this).passes(*todo);
}

bool Query::checkFields(Todo* todo)
{
    for (auto filter = fieldFilters->cbegin(); filter != fieldFilters->cend(); ++filter) {
        if (!checkFieldType(filter.key(), filter.value(), todo->fields))
            return false;
    }
    return true;
}

bool Query::checkFieldType(FieldType* type, QList<QString>* values, QList<Field*>* fields)
{
    for (const Field* field : std::as_const(*fields)) {
        if (field->field_type_id != type->id)
            continue;
        for (const QString& value : std::as_const(*values)) {
            if (field->value.indexOf(value, 0, Qt::CaseInsensitive) != -1)
                return true;
        }
    }
    return false;
}

} // namespace Orvel
