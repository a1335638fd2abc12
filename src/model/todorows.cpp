#include "model/todorows.h"

#include <algorithm>

namespace Orvel {

void TodoRows::assign(const QList<Todo*>& todos)
{
    m_rows = todos;
    m_index.clear();
    m_indexedRows = 0;
    m_complete = false;
}

void TodoRows::clear()
{
    assign({});
}

int TodoRows::rowOf(const Todo* todo) const
{
    if (!m_complete) {
        indexFrom(0);
        m_complete = true;
    }
    // Every shown todo has an entry, so a todo without one is not shown; an entry that no
    // longer names the todo's row was shifted by a change above it.
    const auto found = m_index.constFind(todo);
    if (found == m_index.constEnd())
        return -1;
    if (*found < m_rows.size() && m_rows.at(*found) == todo)
        return *found;
    indexFrom(m_indexedRows);
    return m_index.value(todo, -1);
}

void TodoRows::insert(int row, Todo* todo)
{
    m_rows.insert(row, todo);
    invalidateFrom(row);
    if (m_complete)
        m_index.insert(todo, row);
}

void TodoRows::remove(int row)
{
    m_index.remove(m_rows.at(row));
    m_rows.removeAt(row);
    invalidateFrom(row);
}

void TodoRows::move(int from, int to)
{
    Todo* moved = m_rows.at(from);
    m_rows.move(from, to);
    invalidateFrom(std::min(from, to));
    if (m_complete)
        m_index.insert(moved, to);
}

void TodoRows::indexFrom(int row) const
{
    if (m_index.isEmpty())
        m_index.reserve(m_rows.size());
    for (int r = row; r < m_rows.size(); ++r)
        m_index.insert(m_rows.at(r), r);
    m_indexedRows = m_rows.size();
}

void TodoRows::invalidateFrom(int row)
{
    m_indexedRows = std::min(m_indexedRows, row);
}

} // namespace Orvel
