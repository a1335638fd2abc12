#ifndef ORVEL_ALARM_H
#define ORVEL_ALARM_H

#include <orvel/entity.h>

namespace Orvel {

class RememberedRecords;
class Todo;

/// A reminder of a todo. Its time keeps its wall-clock reading when it moves between todos.
class ORVEL_EXPORT Alarm : public Entity
{
    Q_OBJECT

public:
    explicit Alarm(DatabaseConnector* connector);
    Alarm(DatabaseConnector* connector, int id, int todo_id, const QDateTime& last_mod_date,
          const QDateTime& alarm_time, bool is_active, int snooze, int snooze_interval,
          bool is_deleted);
    ~Alarm() override;

    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    void modified() override;
    void removeReferences() override;
    void recreateReferences() override;

    void setTodo(Todo* todo);
    /// Takes wall-clock time in the parent todo's zone; does not mark the alarm modified.
    void setAlarmTime(const QDateTime& dateTime);
    QDateTime alarmTime(TimeSpec spec) const;
    void setIsActive(bool active);
    void setSnooze(int snooze);
    void setSnoozeInterval(int snoozeInterval);

    int id;
    int todo_id;
    QDateTime alarm_time;
    bool is_active;
    int snooze;
    int snooze_interval;
    Todo* todo;
    Todo* detachedTodo;

private:
    //! Pool::disposeDeleted() checks through the remembered links whether a parent still exists.
    friend class Pool;

    void leaveParentLists();

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
