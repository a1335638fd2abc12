#ifndef ORVEL_RECURRENCE_H
#define ORVEL_RECURRENCE_H

#include <QList>
#include <orvel/entity.h>
#include <orvel/repeats.h>

namespace Orvel {

class RememberedRecords;
class Todo;

/// The repetition rule of a sample todo, with the list of the todos instanced from it.
class ORVEL_EXPORT Recurrence : public Entity
{
    Q_OBJECT

public:
    explicit Recurrence(DatabaseConnector* connector);
    Recurrence(DatabaseConnector* connector, int id, int sample_id, const QDateTime& last_mod_date,
               bool is_active, Repeats repeats, int repeats_every, const QString& repeats_on,
               const QDateTime& range_start, const QDateTime& range_end,
               const QDateTime& instancing_date, bool is_deleted);
    ~Recurrence() override;

    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    void modified() override;
    void removeReferences() override;
    void recreateReferences() override;

    void addTodo(Todo* todo);
    void removeTodo(Todo* todo);
    /// Links the rule and its sample on both sides, keeping the wall-clock reading of the range.
    void setSample(Todo* sample);
    void setRangeStart(const QDateTime& dateTime);
    void setRangeEnd(const QDateTime& dateTime);
    void setIsActive(bool active);
    void setRepeatsEvery(int every);
    /// Always accepted; a pattern that no longer fits the kind is emptied.
    void setRepeats(Repeats repeats);
    /// Refused silently (the old pattern stays) when it does not fit the current kind.
    void setRepeatsOn(const QString& repeatsOn);
    /// True when repeats_on fits repeats.
    bool checkRepeats() const;

    QDateTime rangeStart(TimeSpec spec) const;
    QDateTime rangeEnd(TimeSpec spec) const;
    QDateTime instancingDate(TimeSpec spec) const;

    int id;
    int sample_id;
    bool is_active;
    Repeats repeats;
    int repeats_every;
    QString repeats_on;
    QDateTime range_start;
    QDateTime range_end;
    QDateTime instancing_date;
    Todo* sample;
    Todo* detachedSample;
    QList<Todo*>* todos;
    QList<Todo*>* deletedTodos;

private:
    void unlinkInstances();
    void dropRemainingInstanceLinks();
    void takeSampleFromPreviousRule(Todo* newSample);
    QDateTime rangeDate(const QDateTime& held, TimeSpec spec) const;

    RememberedRecords* m_remembered = nullptr;
};

} // namespace Orvel

#endif
