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
class Entity;
class Field;
class FieldType;
class PoolEvents;
class Query;
class Recurrence;
class Todo;

/// The process-wide owner of every record, of the database connector and of the queries.
/// Obtain it with instance(), call start() once, and delete it at the end to write everything.
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

    //! The notifier that announces the creation, change, deletion and reloading of records.
    PoolEvents* events() const;

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
    /// Passes the connector's recordChanged() on to events().
    void relayRecordChanges();

    /// The record list that is being emptied from its front while it is known to hold every
    /// record once; setDeleted() then takes the first entry off without scanning the rest.
    const void* frontEmptiedList;
    PoolEvents* m_events;
};

} // namespace Orvel

#endif
