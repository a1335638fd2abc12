#ifndef ORVEL_ENTITY_H
#define ORVEL_ENTITY_H

#include <QDateTime>
#include <QObject>
#include <QString>
#include <orvel/orvel_export.h>
#include <orvel/timespec.h>

QT_BEGIN_NAMESPACE
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

class DatabaseConnector;

/*!
    \brief The abstract base of every stored record: change tracking, soft deletion and the link
    to the database connector through which the record is written.

    Records are created by the Pool's factory operations (Pool::newTodo() and its siblings) and
    have no QObject parent. The Pool owns every record that stands in one of its record lists and
    frees it when it is destroyed or reloaded. A record deleted with setIsDeleted(true) leaves
    those lists: from then on the Pool no longer frees it, and whoever holds the pointer may
    undelete it with setIsDeleted(false).

    Every record is identified by its own \c id field, the primary key of its row; the value
    INT_MIN (-2147483648) means that the record has no row yet.

    Threading: records, the Pool and its connector must all be used from one thread. Every
    signal of a record is connected with Qt::DirectConnection and handled before the emitting
    call returns.
*/
class ORVEL_EXPORT Entity : public QObject
{
    Q_OBJECT

public:
    /// Constructs a new record (isNew true, not synchronized, no connector). Concrete records
    /// are always built with a null \a parent.
    explicit Entity(QObject* parent = nullptr);
    /// Destroys the record. The subclasses detach it from its related records first.
    ~Entity() override;

    /// Checks and completes the references, then writes the record through persist().
    /// Returns false, with the reason in lastError, when a check fails; otherwise true, even when
    /// the database command failed: a save succeeded only when it returned true and lastError is
    /// empty.
    virtual bool save() = 0;
    /// Inserts the record's row and takes the key that the database assigned into \c id.
    /// Returns false when the statement failed.
    virtual bool databaseInsert() = 0;
    /// Writes the record's values to its existing row. Returns false when the statement failed.
    virtual bool databaseUpdate() = 0;
    /// Deletes the record's row. Returns false when the statement failed.
    virtual bool databaseDelete() = 0;
    /// Stamps lastModDate and announces the first change of a stored, synchronized record with
    /// setUnsynchronized(). Records below a todo pass the modification on to their parent.
    virtual void modified();
    /// Detaches the record from its related records and emits setDeleted().
    virtual void removeReferences() = 0;
    /// Re-attaches what removeReferences() detached and emits setUndeleted().
    virtual void recreateReferences() = 0;

    /// Keeps exactly one direct persist() connection, to the given \a connector, and takes its
    /// shared statement object. The connector is not owned.
    void setDatabaseConnector(DatabaseConnector* connector);
    /// Deletes the record's row at once without detaching the record; false for a new record.
    bool remove();
    /// Soft deletion: true detaches the record and marks its row for deletion at the next save,
    /// false restores it and its links. A deleted record is no longer freed by the Pool.
    void setIsDeleted(bool deleted);

    /// The time of the last modification in the representation \a spec. TimeSpec::Stored is not
    /// meaningful here: it logs an error and returns local time.
    QDateTime lastModificationDate(TimeSpec spec) const;
    /// The zone string ("+05:45", "-03:30") of the device's offset from UTC at \a dateTime.
    QString parseTimeZone(const QDateTime& dateTime) const;
    /// True when the last statement on sqlQuery succeeded; otherwise logs it and sets lastError.
    bool checkDbCommand();

    /// The record has no row yet; the next save inserts it.
    bool isNew;
    /// The record's row is deleted at the next save.
    bool isRemoved;
    /// The in-memory values equal the stored row.
    bool isSynchronized;
    /// Time of the last modification, held in UTC.
    QDateTime lastModDate;
    /// Text of the last failed check or database command of save(); empty after a success.
    QString lastError;
    /// Soft-deletion mark, stored with the row. Written only through setIsDeleted().
    bool isDeleted;
    /// The connector through which the record is written; not owned, may be null.
    DatabaseConnector* databaseConnector;
    /// The connector's shared statement object; not owned, may be null.
    QSqlQuery* sqlQuery;

Q_SIGNALS:
    /// Asks the connector to run the record's insert or update (and delete, when removed).
    /// Emitted by save() and remove().
    void persist(Entity& entity);
    /// Emitted by modified() on the first change of a stored, synchronized record; the Pool
    /// then lists the record for writing.
    void setUnsynchronized(Entity* entity);
    /// Emitted when the record is deleted (or destroyed); the Pool takes it out of its lists.
    void setDeleted(Entity* entity);
    /// Emitted when a deleted record is restored; the Pool lists it again.
    void setUndeleted(Entity* entity);
};

} // namespace Orvel

#endif
