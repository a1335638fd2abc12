#include "entity/rememberedrecords_p.h"

namespace Orvel {

void RememberedRecords::remember(RememberedRecords*& records, QObject* record)
{
    if (!record)
        return;
    // Most records are never detached, so the table is only made when one is.
    if (!records)
        records = new RememberedRecords;
    records->m_watched.insert(record, QPointer<QObject>(record));
}

bool RememberedRecords::exists(const RememberedRecords* records, const QObject* record)
{
    if (!records || !record)
        return false;
    const auto watched = records->m_watched.constFind(record);
    return watched != records->m_watched.constEnd() && !watched->isNull();
}

void RememberedRecords::forget(RememberedRecords* records, const QObject* record)
{
    if (records)
        records->m_watched.remove(record);
}

} // namespace Orvel
