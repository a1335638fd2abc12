#ifndef ORVEL_ENTITY_REMEMBEREDRECORDS_P_H
#define ORVEL_ENTITY_REMEMBEREDRECORDS_P_H

#include <QHash>
#include <QObject>
#include <QPointer>

namespace Orvel {

// Weak references to the records that a detached record remembers for a later undelete (its
// former todo, field type or rule; the instances a deleted rule let go). Nothing stops the owner
// of such a record from destroying it meanwhile, for instance the pool at shut-down: a record
// found gone is then forgotten instead of being linked again.
class RememberedRecords
{
public:
    // Starts watching a record; a null record is ignored.
    static void remember(RememberedRecords*& records, QObject* record);
    // Whether a watched record still exists (false for a record that was never watched).
    static bool exists(const RememberedRecords* records, const QObject* record);
    static void forget(RememberedRecords* records, const QObject* record);

private:
    QHash<const QObject*, QPointer<QObject>> m_watched;
};

} // namespace Orvel

#endif
