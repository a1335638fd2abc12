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

/// A task, or the sample (template) of a repeating task when is_sample is set. It owns its live
/// alarms, attachments and field values, and keeps its dates as UTC instants with its own zone.
class ORVEL_EXPORT Todo : public Entity
{
    Q_OBJECT

public:
    explicit Todo(DatabaseConnector* connector);
    Todo(DatabaseConnector* connector, int id, int unused1, int unused2, int recurrence_id,
         const QDateTime& start_date, const QDateTime& end_date, const QString& time_zone,
         const QDateTime& last_mod_date, const QDateTime& creation_date, int status, bool unused3,
         bool unused4, bool is_done, bool unused5, bool is_sample, const QString& note,
         const QString& format_string, bool is_deleted);
    ~Todo() override;

    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    void removeReferences() override;
    void recreateReferences() override;

    void addAlarm(Alarm* alarm);
    void addBinary(Binary* binary);
    void addField(Field* field);
    void removeAlarm(Alarm* alarm);
    void removeBinary(Binary* binary);
    void removeField(Field* field);

    QList<Field*> fieldByType(FieldType* fieldType) const;
    QList<Field*> fieldByTypeId(int fieldTypeId) const;
    QList<Field*> fieldByTypeName(const QString& name) const;
    bool isAlarmTimeActive() const;
    /// Releases the loaded bytes of every live attachment.
    void freeBinaries();

    /// Takes wall-clock time in the todo's zone (a UTC value is stored unchanged).
    void setStartDate(const QDateTime& dateTime);
    void setEndDate(const QDateTime& dateTime);
    /// Changes the zone while keeping every wall-clock reading of the todo and its dependants.
    void setTimeZone(const QString& timeZone);
    void setStatus(int status);
    void setIsDone(bool done);
    void setIsSample(bool sample);
    void setNote(const QString& note);
    /// Also rewrites note with the expansion of the new format string.
    void setFormatString(const QString& formatString);
    void setRecurrence(Recurrence* recurrence);

    QDateTime toStoredTime(const QDateTime& dateTime) const;
    QDateTime toDisplayTime(const QDateTime& dateTime) const;
    QDateTime startDate(TimeSpec spec) const;
    QDateTime endDate(TimeSpec spec) const;
    QDateTime creationDate(TimeSpec spec) const;

    /// The span of the todo as a short phrase relative to now ("Today", "Next week", ...).
    QString readableDate() const;
    /// The format string with its placeholders replaced by the readable date and field values.
    QString readableFormatString() const;

    int id;
    QDateTime start_date;
    QDateTime end_date;
    QString time_zone;
    QDateTime creation_date;
    int status;
    QString note;
    QString format_string;
    bool is_done;
    QList<Alarm*>* alarms;
    QList<Alarm*>* deletedAlarms;
    QList<Binary*>* binaries;
    QList<Binary*>* deletedBinaries;
    QList<Field*>* fields;
    QList<Field*>* deletedFields;
    int recurrence_id;
    bool is_sample;
    Recurrence* recurrence;
    Recurrence* detachedRecurrence;

private:
    void restoreRecurrence(Recurrence* restored);
    void dropRemainingRecurrenceLink();

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
