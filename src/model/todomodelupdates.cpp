// The live half of TodoModel: turning the pool's record events into the smallest model
// notifications. A change is located through the row lookup, never by running the query again.

#include "model/todorows.h"

#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>
#include <orvel/todomodel.h>

namespace Orvel {

namespace {

using LessThan = bool (*)(const Todo*, const Todo*);

// The query's own comparators, so that a row placed here sits where execute() would sort it.
LessThan comparatorFor(int sortOrder)
{
    switch (sortOrder) {
    case Query::CreationDateDesc:
        return CreationDateDescLessThan;
    case Query::CreationDateAsc:
        return CreationDateAscLessThan;
    case Query::StartDateDesc:
        return StartDateDescLessThan;
    case Query::StartDateAsc:
        return StartDateAscLessThan;
    case Query::AlphabeticallyDesc:
        return AlphabeticallyDescLessThan;
    case Query::AlphabeticallyAsc:
        return AlphabeticallyAscLessThan;
    default:
        return nullptr;
    }
}

} // namespace

void TodoModel::recordCreated(Entity* record)
{
    if (!m_query)
        return;
    if (showsOccurrencesOf(record) ||
        (qobject_cast<FieldType*>(record) && m_unmatchedFieldFilter)) {
        runQuery();
        return;
    }
    if (auto* todo = qobject_cast<Todo*>(record); todo && !todo->is_sample)
        reconsider(todo);
}

void TodoModel::recordChanged(Entity* record)
{
    if (!followsRowByRow(record))
        return;
    if (auto* todo = qobject_cast<Todo*>(record)) {
        // A todo being deleted reports its change first; its removal follows at once. A todo
        // made a sample stays in the pool's list of todos, so a shown one stays shown.
        if (!todo->isDeleted && (!todo->is_sample || m_rows->rowOf(todo) >= 0))
            reconsider(todo);
    } else if (auto* fieldType = qobject_cast<FieldType*>(record)) {
        fieldTypeChanged(fieldType);
    }
}

void TodoModel::recordDeleted(Entity* record)
{
    if (!followsRowByRow(record))
        return;
    if (auto* todo = qobject_cast<Todo*>(record)) {
        const int row = m_rows->rowOf(todo);
        if (row >= 0)
            removeRow(row);
    }
}

void TodoModel::recordUndeleted(Entity* record)
{
    // An undeleted todo has already entered through the change that setIsDeleted() reported;
    // rules and samples, though, are listed again only now, where the query can find them.
    followsRowByRow(record);
}

bool TodoModel::followsRowByRow(Entity* record)
{
    if (m_replacing || !m_query)
        return false;
    if (showsOccurrencesOf(record)) {
        runQuery();
        return false;
    }
    return true;
}

void TodoModel::fieldTypeChanged(FieldType* fieldType)
{
    // A filter that names no type yet waits for one: the type that takes its name decides
    // the rows from now on.
    if (m_unmatchedFieldFilter && m_fieldFilters.contains(fieldType->name)) {
        runQuery();
        return;
    }
    // A matched filter holds the type itself, so a new name changes only what the rows show.
    QSet<const Todo*> seen;
    for (const Field* field : std::as_const(*fieldType->fields)) {
        if (!field->todo || seen.contains(field->todo))
            continue;
        seen.insert(field->todo);
        const int row = m_rows->rowOf(field->todo);
        if (row >= 0)
            rowChanged(row);
    }
}

bool TodoModel::showsOccurrencesOf(Entity* record) const
{
    // Occurrences are computed objects: a change of their rule or sample replaces them all.
    if (!m_includeRecurring)
        return false;
    if (qobject_cast<Recurrence*>(record))
        return true;
    const auto* todo = qobject_cast<Todo*>(record);
    return todo && todo->is_sample;
}

void TodoModel::reconsider(Todo* todo)
{
    const int row = m_rows->rowOf(todo);
    const bool wanted = accepts(todo);
    if (row < 0) {
        if (wanted)
            insertRow(positionFor(todo, -1), todo);
        return;
    }
    if (!wanted) {
        removeRow(row);
        return;
    }
    const int target = positionFor(todo, row);
    if (target == row)
        rowChanged(row);
    else
        moveRow(row, target);
}

bool TodoModel::accepts(Todo* todo) const
{
    return !m_unmatchedFieldFilter && m_query->checkFields(todo) && m_query->checkDates(todo) &&
           m_query->checkFlags(todo);
}

int TodoModel::positionFor(Todo* todo, int currentRow) const
{
    if (comparatorFor(m_sortOrder))
        return sortedPosition(todo, currentRow);
    // Unsorted rows follow the pool's list, where a todo keeps its place when it changes.
    return currentRow >= 0 ? currentRow : listPosition(todo);
}

int TodoModel::sortedPosition(Todo* todo, int currentRow) const
{
    const LessThan less = comparatorFor(m_sortOrder);
    const QList<Todo*>& rows = m_rows->list();
    const int last = int(rows.size()) - 1;
    // Most changes leave the sort key alone, or move it too little to pass a neighbour.
    if (currentRow >= 0 && (currentRow == 0 || !less(todo, rows.at(currentRow - 1))) &&
        (currentRow == last || !less(rows.at(currentRow + 1), todo)))
        return currentRow;
    // Upper bound among the other rows, so that the todo goes after those it ties with.
    const auto other = [&](int k) {
        return rows.at(currentRow >= 0 && k >= currentRow ? k + 1 : k);
    };
    int low = 0;
    int high = currentRow >= 0 ? last : last + 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (less(todo, other(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

int TodoModel::listPosition(Todo* todo) const
{
    // The shown todos follow the occurrences in the order of the pool's list; counted from its
    // end, a todo that was just added (or undeleted, before the pool lists it again) is placed
    // without a pass over the list.
    int position = m_rows->count();
    for (auto listed = m_pool->todos->crbegin(); listed != m_pool->todos->crend(); ++listed) {
        if (*listed == todo)
            return position;
        if (m_rows->rowOf(*listed) >= 0)
            --position;
    }
    return m_rows->count();
}

void TodoModel::insertRow(int row, Todo* todo)
{
    if (windowed()) {
        m_rows->insert(row, todo);
        publishWindow();
        return;
    }
    beginInsertRows(QModelIndex(), row, row);
    m_rows->insert(row, todo);
    endInsertRows();
}

void TodoModel::removeRow(int row)
{
    if (windowed()) {
        m_rows->remove(row);
        publishWindow();
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows->remove(row);
    endRemoveRows();
}

void TodoModel::moveRow(int from, int to)
{
    if (windowed()) {
        m_rows->move(from, to);
        publishWindow();
        return;
    }
    // Qt names the destination as the row before which the moved row lands in the old order.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    m_rows->move(from, to);
    endMoveRows();
}

void TodoModel::rowChanged(int row)
{
    const int shownRow = windowed() ? int(m_shown.indexOf(m_rows->at(row))) : row;
    if (shownRow < 0)
        return;
    const QModelIndex changed = index(shownRow);
    Q_EMIT dataChanged(changed, changed);
}

bool TodoModel::windowed() const
{
    return m_batchSize > 0;
}

QList<Todo*> TodoModel::window() const
{
    if (!windowed() || m_batch < 0)
        return {};
    return m_rows->list().mid(m_batch * m_batchSize, m_batchSize);
}

void TodoModel::publishWindow()
{
    // One change of the full result shifts a batch by at most one row at each end, or moves a
    // row within it; the steps below find exactly those and announce them one by one, so that
    // the rows shown always agree with the notifications sent so far.
    const QList<Todo*> target = window();
    for (int row = int(m_shown.size()) - 1; row >= 0; --row) {
        if (target.contains(m_shown.at(row)))
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_shown.removeAt(row);
        endRemoveRows();
    }
    for (int row = 0; row < target.size(); ++row) {
        if (row < m_shown.size() && m_shown.at(row) == target.at(row))
            continue;
        const int from = int(m_shown.indexOf(target.at(row), row));
        if (from < 0) {
            beginInsertRows(QModelIndex(), row, row);
            m_shown.insert(row, target.at(row));
            endInsertRows();
        } else {
            beginMoveRows(QModelIndex(), from, from, QModelIndex(), row);
            m_shown.move(from, row);
            endMoveRows();
        }
    }
}

} // namespace Orvel
