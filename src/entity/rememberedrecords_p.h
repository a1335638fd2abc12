#ifndef ORVEL_ENTITY_REMEMBEREDRECORDS_P_H
#define ORVEL_ENTITY_REMEMBEREDRECORDS_P_H

#include <QList>
#include <QObject>
#include <QPointer>

namespace Orvel {

// Weak references to the records that a detached record remembers for a later undelete (its
// former todo, field type or rule; the instances a deleted rule let go). Nothing stops the owner
// of such a record from destroying it meanwhile, for instance the pool at shut-down: a record
// found gone is then forgotten instead of being linked again.
//
// Most records are never detached, so a record holds a null pointer until it first remembers
// something; the object is then kept for later detachments.
class RememberedRecords
{
public:
    // Appends a record to the remembered ones; a null record is ignored.
    static void remember(RememberedRecords*& records, QObject* record);
    // Whether a remembered record still exists (false for a record that was never remembered).
    // Searches from the most recently remembered record.
    static bool exists(const RememberedRecords* records, const QObject* record);
    // The same for the record remembered at a position, for records remembered in the order of
    // a list that is restored in the same order.
    static bool existsAt(const RememberedRecords* records, int position, const QObject* record);
    static void forgetAll(RememberedRecords* records);

    // The detaching step shared by every link of a child record: remember the linked record in
    // detached (watched here), then let unlink() clear the link. Nothing happens without a link.
    template <typename Record, typename Unlink>
    static void detach(RememberedRecords*& records, Record* link, Record*& detached, Unlink unlink)
    {
        if (!link)
            return;
        detached = link;
        remember(records, link);
        unlink();
    }

    // The matching re-attaching step: relink(record) with the remembered record unless it was
    // destroyed meanwhile (the child then comes back without that link); detached is cleared.
    template <typename Record, typename Relink>
    static void reattach(const RememberedRecords* records, Record*& detached, Relink relink)
    {
        if (!detached)
            return;
        if (exists(records, detached))
            relink(detached);
        detached = nullptr;
    }

private:
    QList<QPointer<QObject>> m_records;
};

} // namespace Orvel

#endif
