#include "model/todorows.h"

#include <climits>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/poolevents.h>
#include <orvel/query.h>
#include <orvel/todo.h>
#include <orvel/todomodel.h>

namespace Orvel {

TodoModel::TodoModel(QObject* parent) : TodoModel(Pool::instance(), parent) {}

TodoModel::TodoModel(Pool* pool, QObject* parent)
    : QAbstractListModel(parent), m_rows(std::make_unique<TodoRows>())
{
    attachToPool(pool);
}

TodoModel::~TodoModel()
{
    delete m_query;
}

void TodoModel::attachToPool(Pool* pool)
{
    m_pool = pool;
    if (!pool)
        return;
    // Direct connections, like every connection of the library: the model is current before the
    // call that changed a record returns.
    const PoolEvents* events = pool->events();
    connect(events, &PoolEvents::recordCreated, this, &TodoModel::recordCreated,
            Qt::DirectConnection);
    connect(events, &PoolEvents::recordChanged, this, &TodoModel::recordChanged,
            Qt::DirectConnection);
    connect(events, &PoolEvents::recordDeleted, this, &TodoModel::recordDeleted,
            Qt::DirectConnection);
    connect(events, &PoolEvents::recordUndeleted, this, &TodoModel::recordUndeleted,
            Qt::DirectConnection);
    connect(events, &PoolEvents::contentAboutToBeReplaced, this,
            &TodoModel::beginContentReplacement, Qt::DirectConnection);
    connect(events, &PoolEvents::contentReplaced, this, &TodoModel::endContentReplacement,
            Qt::DirectConnection);
    connect(events, &PoolEvents::poolAboutToBeDeleted, this, &TodoModel::detachFromPool,
            Qt::DirectConnection);
    makeQuery();
    runQuery();
}

void TodoModel::detachFromPool()
{
    beginResetModel();
    // The occurrences of the query are linked to the pool's rules and field types: they go
    // first, while those still exist.
    delete m_query;
    m_query = nullptr;
    disconnect(m_pool->events(), nullptr, this, nullptr);
    m_pool = nullptr;
    m_rows->clear();
    m_shown.clear();
    m_occurrences.clear();
    endResetModel();
}

void TodoModel::beginContentReplacement()
{
    beginResetModel();
    m_replacing = true;
    delete m_query;
    m_query = nullptr;
    m_rows->clear();
    m_shown.clear();
    m_occurrences.clear();
}

void TodoModel::endContentReplacement()
{
    m_replacing = false;
    makeQuery();
    // Field types are new objects after a reload: loadResult() resolves the filters again.
    loadResult();
    endResetModel();
}

void TodoModel::makeQuery()
{
    // The model's own query, not one of Pool::newQuery(): the pool deletes those when it
    // reloads, and this one must live as long as the model shows the pool.
    m_query = new Query(m_pool->todos, m_pool->recurrences);
}

void TodoModel::applyFilters()
{
    m_query->activeFrom = m_activeFrom;
    m_query->activeTo = m_activeTo;
    m_query->startDateFrom = m_startDateFrom;
    m_query->startDateTo = m_startDateTo;
    m_query->endDateFrom = m_endDateFrom;
    m_query->endDateTo = m_endDateTo;
    m_query->doneFilter = m_doneFilter;
    m_query->sortOrder = m_sortOrder;
    m_query->includeRecurring = m_includeRecurring;
    applyFieldFilters();
}

void TodoModel::applyFieldFilters()
{
    qDeleteAll(*m_query->fieldFilters);
    m_query->fieldFilters->clear();
    m_unmatchedFieldFilter = false;
    for (auto entry = m_fieldFilters.constBegin(); entry != m_fieldFilters.constEnd(); ++entry) {
        FieldType* type = nullptr;
        for (FieldType* candidate : std::as_const(*m_pool->fieldTypes)) {
            if (candidate->name == entry.key()) {
                type = candidate;
                break;
            }
        }
        if (!type) {
            m_unmatchedFieldFilter = true;
            continue;
        }
        m_query->fieldFilters->insert(type, new QList<QString>(entry.value().toStringList()));
    }
}

void TodoModel::runQuery()
{
    beginResetModel();
    loadResult();
    endResetModel();
}

void TodoModel::loadResult()
{
    m_rows->clear();
    m_shown.clear();
    m_occurrences.clear();
    if (!m_query)
        return;
    applyFilters();
    m_query->execute();
    for (const Todo* occurrence : std::as_const(*m_query->recurringTodos))
        m_occurrences.insert(occurrence);
    if (!m_unmatchedFieldFilter)
        m_rows->assign(*m_query->result);
    m_shown = window();
}

template <typename T>
void TodoModel::updateFilter(T& member, const T& value, void (TodoModel::*notify)())
{
    if (member == value)
        return;
    member = value;
    runQuery();
    Q_EMIT(this->*notify)();
}

// The batch only cuts the result the query already has: the rows stay, the window moves.
void TodoModel::moveWindow(int& member, int value, void (TodoModel::*notify)())
{
    if (member == value)
        return;
    member = value;
    beginResetModel();
    m_shown = window();
    endResetModel();
    Q_EMIT(this->*notify)();
}

int TodoModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return windowed() ? m_shown.size() : m_rows->count();
}

Todo* TodoModel::todoAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return windowed() ? m_shown.at(row) : m_rows->at(row);
}

QVariant TodoModel::data(const QModelIndex& index, int role) const
{
    const Todo* todo = todoAt(index.row());
    if (!todo || index.column() != 0)
        return {};
    switch (role) {
    case IdRole:
        return todo->id;
    case Qt::DisplayRole:
    case Qt::EditRole:
    case NoteRole:
        return todo->note;
    case ReadableDateRole:
        return todo->readableDate();
    case ReadableFormatStringRole:
        return todo->readableFormatString();
    case DoneRole:
        return todo->is_done;
    case StartRole:
        return todo->startDate(Stored);
    case EndRole:
        return todo->endDate(Stored);
    case TimeZoneRole:
        return todo->time_zone;
    case FieldsRole:
        return fieldValues(todo);
    case AlarmCountRole:
        return int(todo->alarms->size());
    case AttachmentCountRole:
        return int(todo->binaries->size());
    case IsOccurrenceRole:
        return m_occurrences.contains(todo);
    case IsRecurringRole:
        return todo->recurrence != nullptr || todo->recurrence_id >= 0;
    default:
        return {};
    }
}

QVariant TodoModel::fieldValues(const Todo* todo) const
{
    QVariantMap values;
    for (const Field* field : std::as_const(*todo->fields)) {
        const QString type =
            field->fieldType ? field->fieldType->name : QString::number(field->field_type_id);
        QStringList list = values.value(type).toStringList();
        list.append(field->value);
        values.insert(type, list);
    }
    return values;
}

bool TodoModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Todo* todo = todoAt(index.row());
    if (!todo || index.column() != 0 || m_occurrences.contains(todo))
        return false;
    // The setters announce the change; the notification reaches this model through the pool,
    // so it is the same whether the change came from a view or from anywhere else.
    switch (role) {
    case DoneRole:
        if (!value.canConvert<bool>())
            return false;
        if (todo->is_done != value.toBool())
            todo->setIsDone(value.toBool());
        return true;
    case Qt::EditRole:
    case NoteRole:
        if (!value.canConvert<QString>())
            return false;
        if (todo->note != value.toString())
            todo->setNote(value.toString());
        return true;
    default:
        return false;
    }
}

Qt::ItemFlags TodoModel::flags(const QModelIndex& index) const
{
    const Todo* todo = todoAt(index.row());
    if (!todo)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (!m_occurrences.contains(todo))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QHash<int, QByteArray> TodoModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(IdRole, "todoId");
    names.insert(NoteRole, "note");
    names.insert(ReadableDateRole, "readableDate");
    names.insert(ReadableFormatStringRole, "readableFormatString");
    names.insert(DoneRole, "done");
    names.insert(StartRole, "start");
    names.insert(EndRole, "end");
    names.insert(TimeZoneRole, "timeZone");
    names.insert(FieldsRole, "fields");
    names.insert(AlarmCountRole, "alarmCount");
    names.insert(AttachmentCountRole, "attachmentCount");
    names.insert(IsOccurrenceRole, "isOccurrence");
    names.insert(IsRecurringRole, "isRecurring");
    return names;
}

QDateTime TodoModel::activeFrom() const
{
    return m_activeFrom;
}

void TodoModel::setActiveFrom(const QDateTime& value)
{
    updateFilter(m_activeFrom, value, &TodoModel::activeFromChanged);
}

QDateTime TodoModel::activeTo() const
{
    return m_activeTo;
}

void TodoModel::setActiveTo(const QDateTime& value)
{
    updateFilter(m_activeTo, value, &TodoModel::activeToChanged);
}

QDateTime TodoModel::startDateFrom() const
{
    return m_startDateFrom;
}

void TodoModel::setStartDateFrom(const QDateTime& value)
{
    updateFilter(m_startDateFrom, value, &TodoModel::startDateFromChanged);
}

QDateTime TodoModel::startDateTo() const
{
    return m_startDateTo;
}

void TodoModel::setStartDateTo(const QDateTime& value)
{
    updateFilter(m_startDateTo, value, &TodoModel::startDateToChanged);
}

QDateTime TodoModel::endDateFrom() const
{
    return m_endDateFrom;
}

void TodoModel::setEndDateFrom(const QDateTime& value)
{
    updateFilter(m_endDateFrom, value, &TodoModel::endDateFromChanged);
}

QDateTime TodoModel::endDateTo() const
{
    return m_endDateTo;
}

void TodoModel::setEndDateTo(const QDateTime& value)
{
    updateFilter(m_endDateTo, value, &TodoModel::endDateToChanged);
}

int TodoModel::doneFilter() const
{
    return m_doneFilter;
}

void TodoModel::setDoneFilter(int value)
{
    updateFilter(m_doneFilter, value, &TodoModel::doneFilterChanged);
}

QVariantMap TodoModel::fieldFilters() const
{
    return m_fieldFilters;
}

void TodoModel::setFieldFilters(const QVariantMap& value)
{
    updateFilter(m_fieldFilters, value, &TodoModel::fieldFiltersChanged);
}

int TodoModel::sortOrder() const
{
    return m_sortOrder;
}

void TodoModel::setSortOrder(int value)
{
    updateFilter(m_sortOrder, value, &TodoModel::sortOrderChanged);
}

bool TodoModel::includeRecurring() const
{
    return m_includeRecurring;
}

void TodoModel::setIncludeRecurring(bool value)
{
    updateFilter(m_includeRecurring, value, &TodoModel::includeRecurringChanged);
}

int TodoModel::batchSize() const
{
    return m_batchSize;
}

void TodoModel::setBatchSize(int value)
{
    moveWindow(m_batchSize, value, &TodoModel::batchSizeChanged);
}

int TodoModel::batch() const
{
    return m_batch;
}

void TodoModel::setBatch(int value)
{
    moveWindow(m_batch, value, &TodoModel::batchChanged);
}

} // namespace Orvel
