#include "pool/disposalqueue_p.h"

#include <orvel/entity.h>

namespace Orvel {

// A record destroyed elsewhere leaves a null pointer behind, and a new record may take its
// address: only a live pointer counts.
bool DisposalQueue::contains(const Entity* record) const
{
    const auto found = m_records.constFind(record);
    return found != m_records.cend() && !found.value().isNull();
}

void DisposalQueue::enqueue(Entity* record)
{
    m_records.insert(record, QPointer<Entity>(record));
}

void DisposalQueue::remove(const Entity* record)
{
    m_records.remove(record);
}

QList<Entity*> DisposalQueue::records()
{
    QList<Entity*> live;
    live.reserve(m_records.size());
    for (auto it = m_records.begin(); it != m_records.end();) {
        if (it.value().isNull()) {
            it = m_records.erase(it);
            continue;
        }
        live.append(it.value().data());
        ++it;
    }
    return live;
}

} // namespace Orvel
