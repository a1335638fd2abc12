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
class Query;
class Recurrence;
class Todo;

/// The process-wide owner of every record, of the database connector and of the queries.
/// Obtain it with instance(), call start() once, and delete it at the end to write everything.
///
/// Ownership: the pool frees the records that stand in its seven record lists and the queries
/// made by newQuery(). A record deleted with setIsDeleted(true) (or a delete operation) leaves
/// the lists and is no longer the pool's to free, yet it may still have a row to write and stays
/// connected to the pool. Hand it back with disposeDeleted(), which frees it, with the children
/// it detached, once that row is written; never delete such a record yourself.
class ORVEL_EXPORT Pool : public QObject
{
    Q_OBJECT

public:
    static Pool* instance();

    /// Opens the default database ~/.orvel/orvel_db.sqlite; ends the process when it cannot.
    Pool();
    /// Opens the given database file under the given connection name; failures are only logged.
    Pool(const QString& databasePath, const QString& connectionName);
    ~Pool() override;

    void start();
    void reloadDB();

    Todo* newTodo();
    Todo* newSample();
    Recurrence* newRecurrence();
    FieldType* newFieldType();
    Field* newField();
    Binary* newBinary();
    Alarm* newAlarm();

    Todo* todoById(int id) const;
    Todo* sampleById(int id) const;
    Recurrence* recurrenceById(int id) const;
    FieldType* fieldTypeById(int id) const;
    Field* fieldById(int id) const;
    Binary* binaryById(int id) const;
    Alarm* alarmById(int id) const;

    void deleteTodo(Todo* todo);
    void deleteSample(Todo* sample);
    void deleteRecurrence(Recurrence* recurrence);
    void deleteFieldType(FieldType* fieldType);
    void deleteField(Field* field);
    void deleteBinary(Binary* binary);
    void deleteAlarm(Alarm* alarm);

    Query* newQuery();
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

    /// Replaces the pool's content by the database's (unsaved changes are dropped).
    void synchronizeFromDatabase();
    /// Writes every record of unsynchronizedEntities, in passes inside one transaction.
    void synchronizeToDatabase();
    /// Links the loaded records by their stored identifiers and connects them to the pool.
    void makeReferences();

    void instanceTodos(const QDateTime& until, Recurrence* recurrence);
    void instanceNextTodo(Recurrence* recurrence);
    void instanceChild(Todo* occurrence, Todo* unused);
    Todo* makeSampleChild(Todo* todo, Todo* unused);
    Todo* makeSampleFromTodo(Todo* todo);
    void updateSampleWithTodo(Todo* sample, Todo* todo);
    void updateTodoAlarm(int todoId, int alarmId, int done, int active, unsigned int alarmTime);

    static QString localizedLongMonthName(int month);
    static QString localizedShortMonthName(int month);
    static QString localizedLongWeekDay(int day);
    static QString localizedShortWeekDay(int day);
    static QString localizedLongDate(const QDate& date);
    static QString localizedShortDate(const QDate& date);
    static QString localizedDateTime(const QDateTime& dateTime);

    bool started;
    DatabaseConnector* connector;
    QList<Entity*>* unsynchronizedEntities;
    QList<Alarm*>* alarms;
    QList<Binary*>* binaries;
    QList<Field*>* fields;
    QList<FieldType*>* fieldTypes;
    QList<Todo*>* todos;
    QList<Query*>* queries;
    QList<Recurrence*>* recurrences;
    QList<Todo*>* samples;

    static Pool* sm_instance;

Q_SIGNALS:
    void poolStarted();
    void poolDied();

public Q_SLOTS:
    void setUnsynchronized(Entity* entity);
    void setDeleted(Entity* entity);
    void setUndeleted(Entity* entity);

private:
    /// Connects the record's three change signals to the slots of the same names, directly.
    void connectRecord(Entity* record);

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
};

} // namespace Orvel

#endif
