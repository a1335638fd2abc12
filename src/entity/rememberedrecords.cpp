#include "entity/rememberedrecords_p.h"

namespace Orvel {

void RememberedRecords::remember(RememberedRecords*& records, QObject* record)
{
    if (!record)
        return;
    if (!records)
        records = new RememberedRecords;
    records->m_records.append(QPointer<QObject>(record));
}

bool RememberedRecords::exists(const RememberedRecords* records, const QObject* record)
{
    if (!records || !record)
        return false;
    // A destroyed record's pointer reads null, so it never matches, not even a new record that
    // happens to have the same address.
    for (auto it = records->m_records.crbegin(); it != records->m_records.crend(); ++it) {
        if (it->data() == record)
            return true;
    }
    return false;
}

bool RememberedRecords::existsAt(const RememberedRecords* records, int position,
                                 const QObject* record)
{
    if (!records || !record || position < 0 || position >= records->m_records.size())
        return false;
    return records->m_records.at(position).data() == record;
}

void RememberedRecords::forgetAll(RememberedRecords* records)
{
    if (records)
        records->m_records.clear();
}

} // namespace Orvel
