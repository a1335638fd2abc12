#ifndef ORVEL_POOL_H
#define ORVEL_POOL_H

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <orvel/orvel_export.h>

namespace Orvel {

class Alarm;
class Binary;
class DatabaseConnector;
class DisposalQueue;
class Entity;
class Field;
class FieldType;
class PoolEvents;
class Query;
class Recurrence;
class Todo;

/// The process-wide owner of every record, of the database connector and of the queries. Obtain it
/// with instance(), call start() once, create, find and delete records through it, and delete it at
/// the end: its destructor writes everything outstanding and frees what it owns.
///
/// Ownership: the pool owns its connector, every record that stands in one of its seven record
/// lists, every Query made by newQuery() and the list of records to be written. Records never get
/// a QObject parent. A record deleted with Entity::setIsDeleted(true), which every delete operation
/// does, leaves the lists and is no longer freed by the pool; its row is still written and deleted
/// at the next synchronizeToDatabase(). Whoever holds its pointer may undelete it, which gives it
/// back to the pool, or hand it to disposeDeleted(), which frees it, with the children it
/// detached, once that row is written; never delete such a record yourself.
///
/// Threading: the pool, its records, its queries and the connector must be used from one thread;
/// the library starts no threads, and every signal connection it makes is direct, so a record's
/// signal is handled before the emitting call returns.
class ORVEL_EXPORT Pool : public QObject
{
    Q_OBJECT

public:
    /// The single pool, constructed with the default database on the first call (without starting
    /// it). After the pool is deleted the next call builds a new one.
    static Pool* instance();

    /// Opens the default database ~/.orvel/orvel_db.sqlite; ends the process when it cannot. Not
    /// registered as the instance() pool.
    Pool();
    /// Opens the database file \a databasePath under the QtSql connection name \a connectionName;
    /// failures are only logged. Not registered as the instance() pool.
    Pool(const QString& databasePath, const QString& connectionName);
    /// Writes every outstanding change, deletes every listed record, every query and the connector
    /// (which compacts the database), resets instance() and emits poolDied().
    ~Pool() override;

    /// Discards whatever the pool holds, loads every stored record that is not deleted, links the
    /// records, and emits poolStarted(). Records created before are freed without being written.
    void start();
    /// Deletes the database file, creates an empty database and reloads the pool from it. Does not
    /// emit poolStarted().
    void reloadDB();

    /// A new ordinary todo, owned by the pool and written at the next synchronizeToDatabase().
    Todo* newTodo();
    /// A new sample (a todo with \c is_sample set), owned by the pool.
    Todo* newSample();
    /// A new recurrence, owned by the pool.
    Recurrence* newRecurrence();
    /// A new field type, owned by the pool.
    FieldType* newFieldType();
    /// A new field value, owned by the pool.
    Field* newField();
    /// A new attachment, owned by the pool.
    Binary* newBinary();
    /// A new alarm, owned by the pool.
    Alarm* newAlarm();

    /// The live ordinary todo with the given \a id, or null. Samples and deleted todos are not
    /// found.
    Todo* todoById(int id) const;
    /// The live sample with the given \a id, or null.
    Todo* sampleById(int id) const;
    /// The live recurrence with the given \a id, or null.
    Recurrence* recurrenceById(int id) const;
    /// The live field type with the given \a id, or null.
    FieldType* fieldTypeById(int id) const;
    /// The live field value with the given \a id, or null.
    Field* fieldById(int id) const;
    /// The live attachment with the given \a id, or null.
    Binary* binaryById(int id) const;
    /// The live alarm with the given \a id, or null.
    Alarm* alarmById(int id) const;

    /// Soft-deletes \a todo with its alarms, attachments and field values: it leaves the pool's
    /// lists, its row is deleted at the next synchronizeToDatabase(), and the pool no longer frees
    /// it. \a todo must not be null.
    void deleteTodo(Todo* todo);
    /// Soft-deletes \a sample, and with it its recurrence; see deleteTodo().
    void deleteSample(Todo* sample);
    /// Soft-deletes \a recurrence and its sample; its instances are unlinked, not deleted. See
    /// deleteTodo().
    void deleteRecurrence(Recurrence* recurrence);
    /// Soft-deletes \a fieldType and all its field values; see deleteTodo().
    void deleteFieldType(FieldType* fieldType);
    /// Soft-deletes \a field; see deleteTodo().
    void deleteField(Field* field);
    /// Soft-deletes \a binary; see deleteTodo().
    void deleteBinary(Binary* binary);
    /// Soft-deletes \a alarm; see deleteTodo().
    void deleteAlarm(Alarm* alarm);

    /// A new query on the pool's todos and recurrences, owned by the pool.
    Query* newQuery();
    /// Removes \a query from the pool and deletes it, with the occurrences it computed.
    void deleteQuery(Query* query);

    /*!
        Takes over \a record, a deleted record that the pool no longer owns, and frees it once
        what it has to write is written: at the end of the next synchronizeToDatabase() that
        leaves none of its entries in unsynchronizedEntities, or at the latest when the pool
        reloads (start(), reloadDB()) or is deleted, whatever was written by then.

        The deleted children that a todo or field type detached are freed with it, and a
        deleted sample and its deleted rule are freed together, whichever of the two is passed.
        A deleted alarm, attachment or field passed alone leaves the list of deleted children
        of its deleted parent, which comes back without it if undeleted. A record that never
        had a row is not written at all. The records are disconnected from the pool before they
        are destroyed, so nothing their destructors do reaches the pool's lists.

        Returns false, and does nothing, when \a record is null or not deleted. Undeleting a
        record before it is freed gives it back to the pool and cancels the disposal. Pointers to
        the record held elsewhere (for instance in a query's result) must not be used once it is
        freed.
    */
    bool disposeDeleted(Entity* record);

    /// Replaces the pool's content by the database's: every listed record and query is freed,
    /// unsaved changes are dropped.
    void synchronizeFromDatabase();
    /// Writes every record of unsynchronizedEntities, in passes inside one transaction, so that a
    /// child whose parent has no row yet is written in a later pass.
    void synchronizeToDatabase();
    /// Links the loaded records by their stored identifiers and connects them to the pool; wrong
    /// references are logged and left unlinked.
    void makeReferences();

    /// Turns every occurrence of \a recurrence from its instancing date up to \a until into an
    /// ordinary todo of the pool, and moves the instancing date to \a until. A null \a recurrence
    /// means every recurrence of the pool.
    void instanceTodos(const QDateTime& until, Recurrence* recurrence);
    /// When the instancing date of \a recurrence has passed, turns its next occurrence into an
    /// ordinary todo and moves the instancing date just past it. A null \a recurrence means every
    /// recurrence of the pool.
    void instanceNextTodo(Recurrence* recurrence);
    /// Creates an ordinary todo of the pool copied from the computed \a occurrence, with copies of
    /// its field values and alarms (attachments are not copied). \a unused is ignored.
    void instanceChild(Todo* occurrence, Todo* unused);
    /// Creates and returns a new sample copied from \a todo (zone, wall-clock dates, note, field
    /// values and alarms), not yet linked to any recurrence. \a unused is ignored.
    Todo* makeSampleChild(Todo* todo, Todo* unused);
    /// The same as makeSampleChild(\a todo, nullptr).
    Todo* makeSampleFromTodo(Todo* todo);
    /// Replaces \a sample as its recurrence's sample by a new sample copied from \a todo, and
    /// deletes the old sample. Does nothing when \a sample has no recurrence.
    void updateSampleWithTodo(Todo* sample, Todo* todo);
    /// Sets the time of the alarm \a alarmId from \a alarmTime (seconds since 1970-01-01 00:00
    /// UTC), arms it when \a active is 1, and marks the todo \a todoId done when \a done is 1 (any
    /// other value means false). Both must name live records of the pool; nothing is saved.
    void updateTodoAlarm(int todoId, int alarmId, int done, int active, unsigned int alarmTime);

    /// The translated long name of \a month (1 to 12); an empty string otherwise. Translation
    /// context "Orvel::Pool".
    static QString localizedLongMonthName(int month);
    /// The translated short name of \a month (1 to 12); an empty string otherwise.
    static QString localizedShortMonthName(int month);
    /// The translated long name of weekday \a day (1 = Monday to 7 = Sunday); an empty string
    /// otherwise.
    static QString localizedLongWeekDay(int day);
    /// The translated short name of weekday \a day (1 = Monday to 7 = Sunday); an empty string
    /// otherwise.
    static QString localizedShortWeekDay(int day);
    /// The year, the short month name and the day of \a date, separated by spaces.
    static QString localizedLongDate(const QDate& date);
    /// The short month name and the day of \a date.
    static QString localizedShortDate(const QDate& date);
    /// The short weekday name, ", ", the short month name, the day and the time "HH:mm" of \a
    /// dateTime, taken as it is.
    static QString localizedDateTime(const QDateTime& dateTime);

    /// The notifier that announces the creation, change, deletion and reloading of records.
    PoolEvents* events() const;

    /// start() has been called.
    bool started;
    /// The database connection; owned.
    DatabaseConnector* connector;
    /// The records to be written by the next synchronizeToDatabase(): new records and stored
    /// records changed since their last save, including deleted ones. Owned list; the records are
    /// not owned through it.
    QList<Entity*>* unsynchronizedEntities;
    /// The live alarms; owned, with the alarms.
    QList<Alarm*>* alarms;
    /// The live attachments; owned, with the attachments.
    QList<Binary*>* binaries;
    /// The live field values; owned, with the values.
    QList<Field*>* fields;
    /// The live field types; owned, with the types.
    QList<FieldType*>* fieldTypes;
    /// The live ordinary todos, instances included; owned, with the todos.
    QList<Todo*>* todos;
    /// The queries made by newQuery(); owned, with the queries.
    QList<Query*>* queries;
    /// The live recurrences; owned, with the recurrences.
    QList<Recurrence*>* recurrences;
    /// The live samples; owned, with the samples.
    QList<Todo*>* samples;

    /// The pool returned by instance(); null while there is none.
    static Pool* sm_instance;

Q_SIGNALS:
    /// Emitted at the end of start(), once the records are loaded and linked.
    void poolStarted();
    /// Emitted last by the destructor, once everything is written and freed.
    void poolDied();

public Q_SLOTS:
    /// Lists \a entity for writing; connected to every record's Entity::setUnsynchronized().
    void setUnsynchronized(Entity* entity);
    /// Takes \a entity out of its record list; connected to every record's Entity::setDeleted().
    /// From then on the pool no longer frees it.
    void setDeleted(Entity* entity);
    /// Puts \a entity back into its record list, so that the pool owns it again; connected to every
    /// record's Entity::setUndeleted().
    void setUndeleted(Entity* entity);

private:
    /// Connects the record's three change signals to the slots of the same names, directly.
    void connectRecord(Entity* record);
    /// Passes the connector's recordChanged() on to events().
    void relayRecordChanges();

    /// Takes a deleted child record out of its deleted parent's list of detached children.
    static void releaseFromDeletedParent(Entity* record);
    /// Drops the entries of records waiting for disposal that never had a row.
    void dropNeverStoredDisposals();
    /// Frees the records waiting for disposal whose rows are written.
    void freeWrittenDisposals();
    /// Frees every record waiting for disposal, written or not.
    void freeAllDisposals();

    /// The record list that is being emptied from its front while it is known to hold every
    /// record once; setDeleted() then takes the first entry off without scanning the rest.
    const void* frontEmptiedList;

    /// The deleted records handed over by disposeDeleted(); created on first use.
    DisposalQueue* m_disposals = nullptr;
    PoolEvents* m_events;
};

} // namespace Orvel

#endif
