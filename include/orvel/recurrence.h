#ifndef ORVEL_RECURRENCE_H
#define ORVEL_RECURRENCE_H

#include <QList>
#include <orvel/entity.h>
#include <orvel/repeats.h>

namespace Orvel {

class RememberedRecords;
class Todo;

/// The repetition rule of a sample todo, with the list of the ordinary todos instanced from it.
///
/// The pattern repeats_on is a string of "0" and "1" flags whose layout depends on repeats: empty
/// for NoRepeat, Daily and Yearly; for Weekly seven flags, Monday to Sunday ("1010000" is Monday
/// and Wednesday); for Monthly by day of the month "0" followed by 28 flags for days 1 to 28; for
/// Monthly by week "1", five flags for weeks 1 to 4 and the last week, one flag for the last day
/// of the month, then seven weekday flags, Monday to Sunday ("10100000100000" is the Tuesday of
/// the second week). The range and the instancing date are held in UTC; the range is entered and
/// shown as wall-clock time in the sample's zone.
///
/// The rule is owned by the Pool while it stands in its list. It owns its two list objects, not the
/// todos in them.
class ORVEL_EXPORT Recurrence : public Entity
{
    Q_OBJECT

public:
    /// A new, inactive rule (NoRepeat, every 0, empty pattern), its range 1970-01-01 00:00 UTC to
    /// the same, instanced up to 2010-06-01 00:00 UTC, without sample. Use Pool::newRecurrence() so
    /// that the Pool owns and writes it.
    explicit Recurrence(DatabaseConnector* connector);
    /// A rule with the given values (dates converted to UTC); the pattern is not validated.
    Recurrence(DatabaseConnector* connector, int id, int sample_id, const QDateTime& last_mod_date,
               bool is_active, Repeats repeats, int repeats_every, const QString& repeats_on,
               const QDateTime& range_start, const QDateTime& range_end,
               const QDateTime& instancing_date, bool is_deleted);
    /// Unlinks the instanced todos and the sample (neither is deleted) and emits setDeleted().
    ~Recurrence() override;

    /// Completes \c sample_id from the sample, then writes the rule. Fails without a known sample
    /// id, or without a sample unless the rule is deleted.
    bool save() override;
    bool databaseInsert() override;
    bool databaseUpdate() override;
    bool databaseDelete() override;
    /// Marks the rule and its sample modified.
    void modified() override;
    /// Unlinks the instanced todos and deletes the sample, remembering both, and emits
    /// setDeleted().
    void removeReferences() override;
    /// Restores the remembered instances and sample and emits setUndeleted().
    void recreateReferences() override;

    /// Links \a todo as an instance of this rule (Todo::setRecurrence()).
    void addTodo(Todo* todo);
    /// Deletes \a todo (Entity::setIsDeleted(true)).
    void removeTodo(Todo* todo);
    /// Links the rule and its sample on both sides, keeping the wall-clock reading of the range; \a
    /// sample is taken from the rule it belonged to before. Null unlinks the sample.
    void setSample(Todo* sample);
    /// Takes wall-clock time in the sample's zone (without a sample, any time converted to UTC);
    /// does not mark the rule modified.
    void setRangeStart(const QDateTime& dateTime);
    /// Takes wall-clock time in the sample's zone (without a sample, any time converted to UTC);
    /// does not mark the rule modified.
    void setRangeEnd(const QDateTime& dateTime);
    /// Switches the rule on or off; an inactive rule produces no occurrences.
    void setIsActive(bool active);
    /// Sets the interval count of the kind (0 or less counts as 1).
    void setRepeatsEvery(int every);
    /// Always accepted; a pattern that no longer fits the new kind is emptied.
    void setRepeats(Repeats repeats);
    /// Refused silently (the old pattern stays, the rule is not marked modified) when the pattern
    /// does not fit the current kind.
    void setRepeatsOn(const QString& repeatsOn);
    /// True when repeats_on fits repeats: empty for NoRepeat, Daily and Yearly; one of the layouts
    /// above, with at least one chosen position, for Weekly and Monthly.
    bool checkRepeats() const;

    /// The start of the range in the representation \a spec; without a sample, TimeSpec::Stored
    /// logs a warning and returns local time.
    QDateTime rangeStart(TimeSpec spec) const;
    /// The end of the range in the representation \a spec; without a sample, TimeSpec::Stored logs
    /// a warning and returns local time.
    QDateTime rangeEnd(TimeSpec spec) const;
    /// Up to when the rule has been instanced, in the representation \a spec; TimeSpec::Stored logs
    /// a warning and returns local time.
    QDateTime instancingDate(TimeSpec spec) const;

    /// Primary key (recurrence_id); INT_MIN until the rule is inserted.
    int id;
    /// \c id of the sample todo; INT_MIN when not known.
    int sample_id;
    /// The rule produces occurrences.
    bool is_active;
    /// Kind of repetition; written through setRepeats().
    Repeats repeats;
    /// Interval count for the kind: every n days, weeks, months or years (0 or less counts as 1).
    int repeats_every;
    /// Pattern of "0"/"1" flags whose layout depends on repeats (see the class description);
    /// written through setRepeatsOn().
    QString repeats_on;
    /// Start of the range in which the rule applies, held in UTC.
    QDateTime range_start;
    /// End of that range, held in UTC.
    QDateTime range_end;
    /// Up to when instances have been made (Pool::instanceTodos()), held in UTC.
    QDateTime instancing_date;
    /// The sample todo; not owned, may be null.
    Todo* sample;
    /// The sample remembered by removeReferences(); null otherwise.
    Todo* detachedSample;
    /// The ordinary todos instanced from this rule. The list object is owned; the todos are not.
    QList<Todo*>* todos;
    /// Instances unlinked by removeReferences(), relinked by recreateReferences(); not owned.
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
