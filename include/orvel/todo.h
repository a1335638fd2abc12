#ifndef ORVEL_TODO_H
#define ORVEL_TODO_H

#include <QList>
#include <orvel/entity.h>

namespace Orvel {

class Alarm;
class Binary;
class Field;
class FieldType;
class Recurrence;
class RememberedRecords;

/*!
    \brief A task, or the sample (template) of a repeating task when \c is_sample is set.

    A todo keeps its dates as UTC instants together with its own zone string \c time_zone: a
    sign, two-digit hours, ":" and two-digit minutes, such as "+02:00" or "-05:30". The setters
    take, and the TimeSpec::Stored getters return, wall-clock time in that zone.

    Ownership: the todo is owned by the Pool while it stands in one of its lists. It owns its six
    list objects and deletes its live alarms, attachments and field values when it is destroyed;
    the records in the lists themselves also stand in the Pool's lists. Children are attached
    from their own side (Alarm::setTodo(), Binary::setTodo(), Field::setTodo()).
*/
class ORVEL_EXPORT Todo : public Entity
{
    Q_OBJECT

public:
    /// A new todo in the device's current zone, starting and ending at midnight of 1 January
    /// 1990 in that zone, with the note "Something to do" and no recurrence. Use Pool::newTodo()
    /// or Pool::newSample() rather than this constructor, so that the Pool owns and writes it.
    explicit Todo(DatabaseConnector* connector);
    /// A todo with the given values (dates converted to UTC); the parameters named unused are
    /// accepted and ignored. The record counts as new until it is saved.
    Todo(DatabaseConnector* connector, int id, int unused1, int unused2, int recurrence_id,
         const QDateTime& start_date, const QDateTime& end_date, const QString& time_zone,
         const QDateTime& last_mod_date, const QDateTime& creation_date, int status, bool unused3,
         bool unused4, bool is_done, bool unused5, bool is_sample, const QString& note,
         const QString& format_string, bool is_deleted);
    /// Deletes the live alarms, attachments and field values, detaches the todo from its
    /// recurrence and emits setDeleted().
    ~Todo() override;

    /// Completes \c recurrence_id from the linked recurrence, then writes the todo. Fails when
    /// \c recurrence_id is below -1.
    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    /// Deletes the live alarms, attachments and field values with the todo (remembering them),
    /// and unlinks the recurrence; deleting a sample deletes its recurrence.
    void removeReferences() override;
    /// Restores what removeReferences() detached.
    void recreateReferences() override;

    /// Attaches \a alarm to this todo (Alarm::setTodo()).
    void addAlarm(Alarm* alarm);
    /// Attaches \a binary to this todo (Binary::setTodo()).
    void addBinary(Binary* binary);
    /// Attaches \a field to this todo (Field::setTodo()).
    void addField(Field* field);
    /// Deletes \a alarm (Entity::setIsDeleted(true)), which detaches it from the todo.
    void removeAlarm(Alarm* alarm);
    /// Deletes \a binary, which detaches it from the todo.
    void removeBinary(Binary* binary);
    /// Deletes \a field, which detaches it from the todo.
    void removeField(Field* field);

    /// The live field values of the given type object, in list order; empty for a null type.
    QList<Field*> fieldByType(FieldType* fieldType) const;
    /// The live field values whose type id (that of the type object, or the field's own
    /// \c field_type_id when it has none) equals \a fieldTypeId.
    QList<Field*> fieldByTypeId(int fieldTypeId) const;
    /// The live field values whose type object has exactly the given \a name (case-sensitive).
    QList<Field*> fieldByTypeName(const QString& name) const;
    /// True when at least one live alarm is active.
    bool isAlarmTimeActive() const;
    /// Releases the loaded bytes of every live attachment.
    void freeBinaries();

    /// Takes wall-clock time in the todo's zone (a UTC value is stored unchanged).
    void setStartDate(const QDateTime& dateTime);
    /// Takes wall-clock time in the todo's zone (a UTC value is stored unchanged).
    void setEndDate(const QDateTime& dateTime);
    /// Changes the zone string (such as "+02:00") while keeping every wall-clock reading of the
    /// todo, its alarms and its recurrence: the held instants move by the difference.
    void setTimeZone(const QString& timeZone);
    /// Sets the free status code (0 by default), stored as it is.
    void setStatus(int status);
    /// Marks the task done or not done.
    void setIsDone(bool done);
    /// Makes the todo a sample (template of a recurrence) or an ordinary todo.
    void setIsSample(bool sample);
    /// Sets the task text.
    void setNote(const QString& note);
    /// Sets the format string and also rewrites note with its expansion.
    void setFormatString(const QString& formatString);
    /// Links an ordinary todo to the recurrence that produced it (null unlinks it but keeps
    /// \c recurrence_id). Refused with a warning on a sample: samples are linked through
    /// Recurrence::setSample().
    void setRecurrence(Recurrence* recurrence);

    /// Wall-clock time in the todo's zone to the held UTC form. A UTC value is returned
    /// unchanged; any other value is read as wall-clock time in the todo's zone.
    QDateTime toStoredTime(const QDateTime& dateTime) const;
    /// A held UTC value to wall-clock time in the todo's zone, labelled Qt::LocalTime.
    QDateTime toDisplayTime(const QDateTime& dateTime) const;
    /// The start in the representation \a spec.
    QDateTime startDate(TimeSpec spec) const;
    /// The end in the representation \a spec.
    QDateTime endDate(TimeSpec spec) const;
    /// The creation time in the representation \a spec; TimeSpec::Stored logs a warning and
    /// returns local time.
    QDateTime creationDate(TimeSpec spec) const;

    /// The span of the todo as a short translated phrase relative to now ("Today", "Next week").
    QString readableDate() const;
    /// The format string expanded word by word: a word holding "%-1%" becomes readableDate(), a
    /// word holding "%n%" the value of the todo's next field of type id n; other words stay.
    QString readableFormatString() const;

    /// Primary key (todo_id); INT_MIN until the todo is inserted.
    int id;
    /// Start of the task, held as a UTC instant.
    QDateTime start_date;
    /// End of the task, held as a UTC instant.
    QDateTime end_date;
    /// The todo's own zone: sign, two-digit hours, ":", two-digit minutes ("+02:00").
    /// Written through setTimeZone().
    QString time_zone;
    /// Time of creation, held in UTC.
    QDateTime creation_date;
    /// Free status code, 0 by default.
    int status;
    /// The task text.
    QString note;
    /// Pattern of the readable text, see readableFormatString(); empty by default.
    QString format_string;
    /// The task is completed.
    bool is_done;
    /// The live alarms. The list object is owned by the todo; the alarms are deleted with it.
    QList<Alarm*>* alarms;
    /// Alarms detached by removeReferences(), restored by recreateReferences(); not owned.
    QList<Alarm*>* deletedAlarms;
    /// The live attachments. The list object is owned; the attachments are deleted with it.
    QList<Binary*>* binaries;
    /// Attachments detached by removeReferences(); not owned.
    QList<Binary*>* deletedBinaries;
    /// The live field values. The list object is owned; the values are deleted with it.
    QList<Field*>* fields;
    /// Field values detached by removeReferences(); not owned.
    QList<Field*>* deletedFields;
    /// \c id of the related recurrence; -1 means none.
    int recurrence_id;
    /// The todo is the sample (template) of a recurrence.
    bool is_sample;
    /// The related recurrence: for an instance the one that produced it, for a sample the one
    /// it is the template of. Not owned; may be null.
    Recurrence* recurrence;
    /// The recurrence remembered by removeReferences(); null otherwise.
    Recurrence* detachedRecurrence;

private:
    void restoreRecurrence(Recurrence* restored);
    void dropRemainingRecurrenceLink();

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
