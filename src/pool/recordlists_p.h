#ifndef ORVEL_POOL_RECORDLISTS_P_H
#define ORVEL_POOL_RECORDLISTS_P_H

#include <QHash>
#include <QList>
#include <QSet>

// Helpers on the pool's record lists, shared by the registry, the synchronisation and the
// linking code of the pool.
namespace Orvel::RecordLists {

/// The first record of the list, in list order, whose id equals the given one; null when none.
template <typename T> T* firstWithId(const QList<T*>& list, int id)
{
    for (T* record : list) {
        if (record->id == id)
            return record;
    }
    return nullptr;
}

/// An id index that answers exactly like firstWithId(): where several records share an id, the
/// one that comes first in the list wins.
template <typename T> QHash<int, T*> indexById(const QList<T*>& list)
{
    QHash<int, T*> index;
    index.reserve(list.size());
    // Walking backwards lets an earlier record overwrite a later one with the same id.
    for (auto it = list.crbegin(); it != list.crend(); ++it)
        index.insert((*it)->id, *it);
    return index;
}

template <typename T> T* lookUp(const QHash<int, T*>& index, int id)
{
    return index.value(id, nullptr);
}

template <typename T> bool holdsEachRecordOnce(const QList<T*>& list)
{
    QSet<const T*> seen;
    seen.reserve(list.size());
    for (const T* record : list) {
        if (seen.contains(record))
            return false;
        seen.insert(record);
    }
    return true;
}

/// Removes every occurrence of the record. When the list is the one being emptied from its
/// front (and so holds each record once), the record normally stands first, and taking it off
/// there is constant time, where a full scan would make emptying a long list quadratic.
template <typename T>
void removeEveryOccurrence(QList<T*>* list, T* record, const void* frontEmptiedList)
{
    if (list == frontEmptiedList && !list->isEmpty() && list->constFirst() == record) {
        list->removeFirst();
        return;
    }
    list->removeAll(record);
}

/// Deletes the records of the list from the front until it is empty. Each record's destructor
/// announces its deletion, and the pool's setDeleted() slot takes it out of the list.
template <typename T> void deleteFromFront(QList<T*>* list, const void*& frontEmptiedList)
{
    frontEmptiedList = holdsEachRecordOnce(*list) ? list : nullptr;
    while (!list->isEmpty()) {
        T* record = list->constFirst();
        delete record;
        // A record put into the list by hand is not connected to the pool and stays listed;
        // drop its stale entries so that it is not deleted a second time.
        if (!list->isEmpty() && list->constFirst() == record)
            list->removeAll(record);
    }
    frontEmptiedList = nullptr;
}

/// Adds the record unless the list already holds it.
template <typename T> void appendOnce(QList<T*>* list, T* record)
{
    if (!list->contains(record))
        list->append(record);
}

} // namespace Orvel::RecordLists

#endif
