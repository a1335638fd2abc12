#ifndef ORVEL_MODEL_TODOROWS_H
#define ORVEL_MODEL_TODOROWS_H

#include <QHash>
#include <QList>

namespace Orvel {

class Todo;

// The rows of a TodoModel in order, with a lookup from todo to row. The lookup is built at its
// first use; afterwards every shown todo keeps an entry, exact for the todo a change moved or
// inserted. Entries of the rows a change shifted are refreshed only when one of them is asked
// for, so a todo that is not shown, or the one just changed, is answered without a pass.
class TodoRows
{
public:
    void assign(const QList<Todo*>& todos);
    void clear();

    int count() const { return m_rows.size(); }
    Todo* at(int row) const { return m_rows.at(row); }
    const QList<Todo*>& list() const { return m_rows; }
    // The row of the todo, or -1 when it is not shown.
    int rowOf(const Todo* todo) const;

    void insert(int row, Todo* todo);
    void remove(int row);
    void move(int from, int to);

private:
    void indexFrom(int row) const;
    void invalidateFrom(int row);

    QList<Todo*> m_rows;
    mutable QHash<const Todo*, int> m_index;
    // Entries for rows below this one are exact; the others may name rows that have shifted.
    mutable int m_indexedRows = 0;
    // Whether every row has an entry (set at the first look-up after assign()).
    mutable bool m_complete = false;
};

} // namespace Orvel

#endif
