#ifndef ORVEL_ALARM_H
#define ORVEL_ALARM_H

#include <orvel/entity.h>

namespace Orvel {

class RememberedRecords;
class Todo;

/// A reminder of a todo. Its time is held in UTC and keeps its wall-clock reading when the alarm
/// moves between todos of different zones. The alarm is owned by the Pool while it stands in its
/// list, and deleted by its todo's destructor.
class ORVEL_EXPORT Alarm : public Entity
{
    Q_OBJECT

public:
    /// A new alarm without a todo: its time is now, inactive, snooze 0, snooze interval 5. Use
    /// Pool::newAlarm() so that the Pool owns and writes it.
    explicit Alarm(DatabaseConnector* connector);
    /// An alarm with the given values (dates converted to UTC), not yet linked to its todo.
    Alarm(DatabaseConnector* connector, int id, int todo_id, const QDateTime& last_mod_date,
          const QDateTime& alarm_time, bool is_active, int snooze, int snooze_interval,
          bool is_deleted);
    /// Detaches the alarm from its todo and emits setDeleted(), unless it is already deleted.
    ~Alarm() override;

    /// Completes \c todo_id from the parent todo, then writes the alarm. Fails without a known todo
    /// id, or without a parent unless the alarm is deleted.
    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    /// Marks the alarm and its parent todo modified.
    void modified() override;
    /// Detaches the alarm from its todo, remembering it, and emits setDeleted().
    void removeReferences() override;
    /// Re-attaches the remembered todo and emits setUndeleted().
    void recreateReferences() override;

    /// Moves the alarm to \a todo (null detaches it but keeps \c todo_id), keeping its wall-clock
    /// reading: the held time moves by the difference of the two zones.
    void setTodo(Todo* todo);
    /// Takes wall-clock time in the parent todo's zone (without a parent, any time converted to
    /// UTC); does not mark the alarm modified.
    void setAlarmTime(const QDateTime& dateTime);
    /// The alarm time in the representation \a spec. Without a todo, TimeSpec::Stored logs a
    /// warning and returns local time.
    QDateTime alarmTime(TimeSpec spec) const;
    /// Arms or disarms the alarm.
    void setIsActive(bool active);
    /// Sets the snooze count, stored as it is.
    void setSnooze(int snooze);
    /// Sets the snooze interval, stored as it is.
    void setSnoozeInterval(int snoozeInterval);

    /// Primary key (alarm_id); INT_MIN until the alarm is inserted.
    int id;
    /// \c id of the parent todo; INT_MIN when not known.
    int todo_id;
    /// When the alarm fires, held as a UTC instant.
    QDateTime alarm_time;
    /// The alarm is armed.
    bool is_active;
    /// Snooze count; 0 by default. The library gives it no meaning.
    int snooze;
    /// Snooze interval; 5 by default. The library gives it no meaning.
    int snooze_interval;
    /// The parent todo; not owned, may be null.
    Todo* todo;
    /// The parent remembered by removeReferences(); null otherwise.
    Todo* detachedTodo;

private:
    //! Pool::disposeDeleted() checks through the remembered links whether a parent still exists.
    friend class Pool;

    void leaveParentLists();

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
