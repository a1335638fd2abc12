#ifndef ORVEL_ENTITY_H
#define ORVEL_ENTITY_H

#include <orvel/orvel_export.h>
#include <orvel/timespec.h>

#include <QDateTime>
#include <QObject>
#include <QString>

QT_BEGIN_NAMESPACE
class QSqlQuery;
QT_END_NAMESPACE

namespace Orvel {

class DatabaseConnector;

/// The abstract base of every stored record: change tracking, soft deletion and the link to the
/// database connector through which the record is written.
class ORVEL_EXPORT Entity : public QObject
{
    Q_OBJECT

public:
    explicit Entity(QObject* parent = nullptr);
    ~Entity() override;

    /// Checks and completes the references, then writes the record through persist().
    virtual bool save() = 0;
    virtual bool databaseInsert() = 0;
    virtual bool databaseUpdate() = 0;
    virtual bool databaseDelete() = 0;
    /// Stamps lastModDate and announces the first change of a stored, synchronized record.
    virtual void modified();
    /// Detaches the record from its related records and emits setDeleted().
    virtual void removeReferences() = 0;
    /// Re-attaches what removeReferences() detached and emits setUndeleted().
    virtual void recreateReferences() = 0;

    /// Keeps exactly one direct persist() connection, to the given connector.
    void setDatabaseConnector(DatabaseConnector* connector);
    /// Deletes the record's row at once without detaching the record; false for a new record.
    bool remove();
    /// Soft deletion: true detaches the record and marks its row for deletion, false restores it.
    void setIsDeleted(bool deleted);

    QDateTime lastModificationDate(TimeSpec spec) const;
    /// The zone string ("+05:45") of the device's offset at the given moment.
    QString parseTimeZone(const QDateTime& dateTime) const;
    /// True when the last statement on sqlQuery succeeded; otherwise logs it and sets lastError.
    bool checkDbCommand();

    bool isNew;
    bool isRemoved;
    bool isSynchronized;
    QDateTime lastModDate;
    QString lastError;
    bool isDeleted;
    DatabaseConnector* databaseConnector;
    QSqlQuery* sqlQuery;

Q_SIGNALS:
    void persist(Entity& entity);
    void setUnsynchronized(Entity* entity);
    void setDeleted(Entity* entity);
    void setUndeleted(Entity* entity);
};

} // namespace Orvel

#endif
