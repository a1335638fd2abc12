#ifndef ORVEL_POOL_DISPOSALQUEUE_P_H
#define ORVEL_POOL_DISPOSALQUEUE_P_H

#include <QList>
#include <QSet>

namespace Orvel {

class Entity;

// The deleted records handed to Pool::disposeDeleted() that wait for their rows to be written.
// They wait in groups that are freed together: a record with the deleted children its destructor
// frees, and a sample with its rule (the two are deleted together and each would bring the other
// back when destroyed alone).
class DisposalQueue
{
public:
    struct Group
    {
        // Every record of the group: all of them must be written before the group is freed.
        QList<Entity*> members;
        // The records to delete; their destructors free the other members.
        QList<Entity*> owners;
    };

    bool contains(const Entity* record) const;
    void enqueue(const Group& group);
    // Every waiting record, for one pass over the records still to be written.
    const QSet<const Entity*>& members() const;
    // Takes out the groups none of whose members is in unwritten.
    QList<Group> takeWritten(const QSet<const Entity*>& unwritten);
    QList<Group> takeAll();

private:
    void forget(const Group& group);

    QList<Group> m_groups;
    QSet<const Entity*> m_members;
};

} // namespace Orvel

#endif
