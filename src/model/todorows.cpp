#include "model/todorows.h"

#include <algorithm>

namespace Orvel {

void TodoRows::assign(const QList<Todo*>& todos)
{
    m_rows = todos;
    m_index.clear();
    m_indexedRows = 0;
}

void TodoRows::clear()
{
    assign({});
}

int TodoRows::rowOf(const Todo* todo) const
{
    auto found = m_index.constFind(todo);
    if (found != m_index.constEnd() && *found < m_indexedRows)
        return *found;
    if (m_indexedRows < m_rows.size()) {
        indexFrom(m_indexedRows);
        found = m_index.constFind(todo);
    }
    return found == m_index.constEnd() ? -1 : *found;
}

void TodoRows::insert(int row, Todo* todo)
{
    m_rows.insert(row, todo);
    invalidateFrom(row);
}

void TodoRows::remove(int row)
{
    m_index.remove(m_rows.at(row));
    m_rows.removeAt(row);
    invalidateFrom(row);
}

void TodoRows::move(int from, int to)
{
    m_rows.move(from, to);
    invalidateFrom(std::min(from, to));
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
