#include "pool/disposalqueue_p.h"

#include <algorithm>

namespace Orvel {

bool DisposalQueue::contains(const Entity* record) const
{
    return m_members.contains(record);
}

void DisposalQueue::enqueue(const Group& group)
{
    m_groups.append(group);
    for (const Entity* member : group.members)
        m_members.insert(member);
}

const QSet<const Entity*>& DisposalQueue::members() const
{
    return m_members;
}

QList<DisposalQueue::Group> DisposalQueue::takeWritten(const QSet<const Entity*>& unwritten)
{
    const auto isWritten = [&unwritten](const Group& group) {
        return std::none_of(
            group.members.cbegin(), group.members.cend(),
            [&unwritten](const Entity* member) { return unwritten.contains(member); });
    };
    QList<Group> written;
    QList<Group> waiting;
    for (const Group& group : std::as_const(m_groups))
        (isWritten(group) ? written : waiting).append(group);
    m_groups = waiting;
    for (const Group& group : std::as_const(written))
        forget(group);
    return written;
}

QList<DisposalQueue::Group> DisposalQueue::takeAll()
{
    QList<Group> all;
    all.swap(m_groups);
    m_members.clear();
    return all;
}

void DisposalQueue::forget(const Group& group)
{
    for (const Entity* member : group.members)
        m_members.remove(member);
}

} // namespace Orvel
