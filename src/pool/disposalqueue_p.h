#ifndef ORVEL_POOL_DISPOSALQUEUE_P_H
#define ORVEL_POOL_DISPOSALQUEUE_P_H

#include <QHash>
#include <QList>
#include <QPointer>

namespace Orvel {

class Entity;

// The deleted records handed to Pool::disposeDeleted() that wait for their rows to be written.
// Only the records handed over are kept, by weak pointer: what is freed with each (its detached
// children, a sample's rule) is worked out when it is freed, since an undeleted and deleted
// again record may have other children by then, and a record given back to the pool by an
// undelete may be destroyed by its new owner meanwhile.
class DisposalQueue
{
public:
    bool contains(const Entity* record) const;
    void enqueue(Entity* record);
    void remove(const Entity* record);
    // The waiting records that still exist; forgets those destroyed meanwhile.
    QList<Entity*> records();

private:
    QHash<const Entity*, QPointer<Entity>> m_records;
};

} // namespace Orvel

#endif
