#ifndef ORVEL_ENTITY_RELATIONLIST_P_H
#define ORVEL_ENTITY_RELATIONLIST_P_H

#include <QList>
#include <QObject>
#include <orvel/databaseconnector.h>

namespace Orvel::RelationList {

// Takes a record out of one of the relation lists of its parent (a todo's children, a field
// type's values, a recurrence's instances). Only the record's own setter appends it, right after
// taking it out of its previous list, so it stands there at most once and removing the first
// occurrence removes every occurrence. Searching from the front keeps the common walks linear:
// parents and the pool release their records in list order, so the record is found at once.
template <typename Record> void takeOut(QList<Record*>* list, Record* record)
{
    const auto index = list->indexOf(record);
    if (index >= 0)
        list->removeAt(index);
}

// A parent hears of a child that joins it through the child's modified(), which passes the
// change on to the new parent; the parent that the child left is no longer reached that way and
// is told here, so that views of its children stay current.
template <typename Parent> void announceLeaving(Parent* previous, Parent* next)
{
    if (previous && previous != next && previous->databaseConnector)
        Q_EMIT previous->databaseConnector->recordChanged(previous);
}

} // namespace Orvel::RelationList

#endif
