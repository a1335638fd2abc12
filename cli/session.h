#ifndef ORVEL_CLI_SESSION_H
#define ORVEL_CLI_SESSION_H

#include <QList>
#include <QString>

namespace Orvel {
class Entity;
class Pool;
class Todo;
} // namespace Orvel

// One use of the database: opens the pool on the default database or on a given file, loads it,
// writes the changes of a command and frees everything at the end.
class Session
{
public:
    // An empty path means the default database in the home directory.
    explicit Session(const QString& databasePath);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens and loads the database; false with a message when it cannot be used.
    bool open(QString* error);
    Orvel::Pool* pool() const;
    // Writes every outstanding change; false with a message when some record was not saved.
    bool save(QString* error);
    // Hands over a todo deleted through the pool, which no longer owns it, to be freed at the
    // end together with the alarms, attachments and fields it detached.
    void adoptDeletedTodo(Orvel::Todo* todo);

private:
    bool databaseIsUsable(QString* error) const;
    void freeDeletedTodos();
    void forgetRecord(Orvel::Entity* record);

    QString m_databasePath;
    Orvel::Pool* m_pool;
    QList<Orvel::Todo*> m_deletedTodos;
};

#endif
