#include "debug/log.h"
#include "entity/timezone.h"

#include <orvel/databaseconnector.h>
#include <orvel/entity.h>

namespace Orvel {

namespace {

const char lastModDateStoredError[] =
    "Stored should not be in use with last_mod_date, local time returned";

} // namespace

Entity::Entity(QObject* parent)
    : QObject(parent), isNew(true), isRemoved(false), isSynchronized(false),
      // Every concrete record sets the deletion mark itself; false only keeps the value defined
      // until it does.
      isDeleted(false), databaseConnector(nullptr), sqlQuery(nullptr)
{}

Entity::~Entity() = default;

void Entity::setDatabaseConnector(DatabaseConnector* connector)
{
    if (databaseConnector)
        disconnect(this, &Entity::persist, databaseConnector, &DatabaseConnector::persist);
    databaseConnector = connector;
    if (!connector)
        return;
    sqlQuery = connector->sqlQuery;
    connect(this, &Entity::persist, connector, &DatabaseConnector::persist, Qt::DirectConnection);
}

void Entity::modified()
{
    lastModDate = QDateTime::currentDateTimeUtc();
    // Only the transition of a stored record away from its row is announced, so the pool lists
    // the record once between two saves; new records are listed by the pool when created.
    if (isSynchronized && !isNew)
        Q_EMIT setUnsynchronized(this);
    isSynchronized = false;
    if (databaseConnector)
        Q_EMIT databaseConnector->recordChanged(this);
}

bool Entity::remove()
{
    if (isNew)
        return false;
    isRemoved = true;
    Q_EMIT persist(*this);
    isSynchronized = true;
    return true;
}

void Entity::setIsDeleted(bool deleted)
{
    const bool wasDeleted = isDeleted;
    isDeleted = deleted;
    modified();
    if (wasDeleted == deleted) {
        if (deleted)
            isRemoved = true;
        return;
    }
    if (!deleted) {
        recreateReferences();
        return;
    }
    removeReferences();
    isRemoved = true;
}

QDateTime Entity::lastModificationDate(TimeSpec spec) const
{
    if (spec == Stored)
        oError() << lastModDateStoredError;
    return TimeZone::inDeviceOrUtc(lastModDate, spec);
}

QString Entity::parseTimeZone(const QDateTime& dateTime) const
{
    return TimeZone::deviceZoneAt(dateTime);
}

} // namespace Orvel
