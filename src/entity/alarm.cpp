#include "debug/log.h"
#include "entity/relationlist_p.h"
#include "entity/rememberedrecords_p.h"
#include "entity/timezone.h"

#include <climits>
#include <orvel/alarm.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char invalidTodoId[] = "Invalid todo_id (%1), save can't be performed yet!";
const char alreadySynchronizedWarning[] = "Synchronizing alredy synchronized Entity.";
const char storedWithoutTodoWarning[] = "Stored time not exists, local returned";

const int defaultSnoozeInterval = 5;

} // namespace

Alarm::Alarm(DatabaseConnector* connector)
    : Entity(nullptr), id(INT_MIN), todo_id(INT_MIN), is_active(false), snooze(0),
      snooze_interval(defaultSnoozeInterval), todo(nullptr), detachedTodo(nullptr)
{
    setDatabaseConnector(connector);
    lastModDate = QDateTime::currentDateTimeUtc();
    alarm_time = lastModDate;
    isDeleted = false;
}

Alarm::Alarm(DatabaseConnector* connector, int id, int todo_id, const QDateTime& last_mod_date,
             const QDateTime& alarm_time, bool is_active, int snooze, int snooze_interval,
             bool is_deleted)
    : Entity(nullptr), id(id), todo_id(todo_id), alarm_time(alarm_time.toTimeSpec(Qt::UTC)),
      is_active(is_active), snooze(snooze), snooze_interval(snooze_interval), todo(nullptr),
      detachedTodo(nullptr)
{
    setDatabaseConnector(connector);
    lastModDate = last_mod_date.toTimeSpec(Qt::UTC);
    isDeleted = is_deleted;
}

Alarm::~Alarm()
{
    setIsDeleted(true);
    leaveParentLists();
    delete m_remembered;
}

void Alarm::leaveParentLists()
{
    // An alarm that was already deleted while it still had a todo was not detached by
    // setIsDeleted(true); and a todo that was deleted with its alarms would try to restore them.
    // No list may keep a pointer to an alarm that is gone.
    if (todo) {
        RelationList::takeOut(todo->alarms, this);
        RelationList::takeOut(todo->deletedAlarms, this);
    }
    if (detachedTodo && RememberedRecords::exists(m_remembered, detachedTodo))
        RelationList::takeOut(detachedTodo->deletedAlarms, this);
}

bool Alarm::save()
{
    lastError.clear();
    if (todo_id == INT_MIN && todo && todo->id != INT_MIN)
        todo_id = todo->id;
    // Without a todo only a deleted alarm may be written, and never without a known todo id.
    if (todo_id == INT_MIN || !(todo || isDeleted)) {
        lastError = QString::fromLatin1(invalidTodoId).arg(todo_id);
        return false;
    }
    if (isSynchronized && !isNew)
        oWarning() << alreadySynchronizedWarning;
    Q_EMIT persist(*this);
    isSynchronized = true;
    return true;
}

void Alarm::modified()
{
    Entity::modified();
    if (todo)
        todo->modified();
}

void Alarm::removeReferences()
{
    RememberedRecords::detach(m_remembered, todo, detachedTodo, [this] { setTodo(nullptr); });
    Q_EMIT setDeleted(this);
}

void Alarm::recreateReferences()
{
    RememberedRecords::reattach(m_remembered, detachedTodo, [this](Todo* t) { setTodo(t); });
    RememberedRecords::forgetAll(m_remembered);
    Q_EMIT setUndeleted(this);
}

void Alarm::setTodo(Todo* newTodo)
{
    // The alarm time is entered as wall-clock time in the todo's zone (the device's zone without
    // a todo); the held instant moves so that the reading survives the change of zone.
    Todo* previous = todo;
    QString oldZone;
    if (todo) {
        RelationList::takeOut(todo->alarms, this);
        oldZone = todo->time_zone;
    } else {
        oldZone = parseTimeZone(alarm_time.toTimeSpec(Qt::LocalTime));
    }
    todo = newTodo;
    QString newZone;
    if (newTodo) {
        todo_id = newTodo->id;
        newTodo->alarms->append(this);
        newZone = newTodo->time_zone;
    } else {
        newZone = parseTimeZone(alarm_time.toTimeSpec(Qt::LocalTime));
    }
    alarm_time = TimeZone::rebased(alarm_time, oldZone, newZone);
    modified();
    RelationList::announceLeaving(previous, newTodo);
}

void Alarm::setAlarmTime(const QDateTime& dateTime)
{
    alarm_time = todo ? todo->toStoredTime(dateTime) : dateTime.toTimeSpec(Qt::UTC);
}

QDateTime Alarm::alarmTime(TimeSpec spec) const
{
    if (spec != Stored)
        return TimeZone::inDeviceOrUtc(alarm_time, spec);
    if (todo)
        return todo->toDisplayTime(alarm_time);
    oWarning() << storedWithoutTodoWarning;
    return TimeZone::inDeviceOrUtc(alarm_time, Local);
}

void Alarm::setIsActive(bool active)
{
    is_active = active;
    modified();
}

void Alarm::setSnooze(int newSnooze)
{
    snooze = newSnooze;
    modified();
}

void Alarm::setSnoozeInterval(int snoozeInterval)
{
    snooze_interval = snoozeInterval;
    modified();
}

} // namespace Orvel
