#include "entity/relationlist_p.h"
#include "entity/rememberedrecords_p.h"
#include "pool/disposalqueue_p.h"

#include <QSet>
#include <QSignalBlocker>
#include <algorithm>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

using RecordSet = QSet<const Entity*>;

// A record handed over with the records freed together with it.
struct Group
{
    // Every record of the group: all of them must be written before the group is freed.
    QList<Entity*> members;
    // The records to delete; their destructors free the other members.
    QList<Entity*> owners;
};

template <typename Child> void appendEach(QList<Entity*>* records, const QList<Child*>& children)
{
    for (Child* child : children)
        records->append(child);
}

void addOwner(Group* group, Entity* owner)
{
    group->members.append(owner);
    group->owners.append(owner);
}

// A todo's destructor takes back and frees the children it detached when it was deleted.
void addTodo(Group* group, Todo* todo)
{
    addOwner(group, todo);
    appendEach(&group->members, *todo->deletedAlarms);
    appendEach(&group->members, *todo->deletedBinaries);
    appendEach(&group->members, *todo->deletedFields);
}

// A sample and its rule are deleted together and remember each other; destroying one alone
// would bring the other back into the pool. A deleted record that still remembers its partner
// keeps it alive (destroying the partner would have restored the record), so the pointers are
// safe to follow.
Group groupOf(Entity* record)
{
    Group group;
    if (auto* todo = qobject_cast<Todo*>(record)) {
        addTodo(&group, todo);
        Recurrence* rule = todo->detachedRecurrence;
        if (todo->is_sample && rule && rule->isDeleted && rule->detachedSample == todo)
            addOwner(&group, rule);
    } else if (auto* rule = qobject_cast<Recurrence*>(record)) {
        addOwner(&group, rule);
        Todo* sample = rule->detachedSample;
        if (sample && sample->isDeleted && sample->detachedRecurrence == rule)
            addTodo(&group, sample);
    } else if (auto* fieldType = qobject_cast<FieldType*>(record)) {
        addOwner(&group, fieldType);
        appendEach(&group.members, *fieldType->deletedFields);
    } else {
        addOwner(&group, record);
    }
    return group;
}

bool containsAny(const RecordSet& set, const QList<Entity*>& records)
{
    return std::any_of(records.cbegin(), records.cend(),
                       [&set](const Entity* record) { return set.contains(record); });
}

// The groups of the waiting records, worked out now: each record is freed once, with the first
// group that holds it (a sample and its rule may both have been handed over).
QList<Group> groupsOf(const QList<Entity*>& waiting)
{
    QList<Group> groups;
    RecordSet covered;
    for (Entity* record : waiting) {
        if (covered.contains(record))
            continue;
        Group group = groupOf(record);
        if (containsAny(covered, group.members))
            continue;
        for (const Entity* member : std::as_const(group.members))
            covered.insert(member);
        groups.append(group);
    }
    return groups;
}

// Undeleting any record of a group hands the group back to the pool.
bool isReclaimed(const Group& group)
{
    return std::any_of(group.members.cbegin(), group.members.cend(),
                       [](const Entity* member) { return !member->isDeleted; });
}

template <typename Parent> void keepLinkWithin(Parent*& link, const RecordSet& group)
{
    if (!group.contains(link))
        link = nullptr;
}

// The destructors first undelete a record, which links it again to what it remembers; links
// that lead out of the group would change records that stay (a live rule getting an instance
// back, a live todo its field), so they are cut first.
void cutLinksOutOf(Entity* member, const RecordSet& group)
{
    if (auto* todo = qobject_cast<Todo*>(member)) {
        todo->detachedRecurrence = nullptr;
    } else if (auto* rule = qobject_cast<Recurrence*>(member)) {
        rule->detachedSample = nullptr;
        rule->deletedTodos->clear();
    } else if (auto* field = qobject_cast<Field*>(member)) {
        keepLinkWithin(field->detachedTodo, group);
        keepLinkWithin(field->detachedFieldType, group);
    } else if (auto* alarm = qobject_cast<Alarm*>(member)) {
        keepLinkWithin(alarm->detachedTodo, group);
    } else if (auto* binary = qobject_cast<Binary*>(member)) {
        keepLinkWithin(binary->detachedTodo, group);
    }
}

void dropEntries(QList<Entity*>* list, const RecordSet& records)
{
    if (records.isEmpty())
        return;
    list->erase(std::remove_if(list->begin(), list->end(),
                               [&records](const Entity* entry) { return records.contains(entry); }),
                list->end());
}

void forgetGroup(DisposalQueue* queue, const Group& group)
{
    for (const Entity* member : group.members)
        queue->remove(member);
}

void freeGroup(Pool* pool, const Group& group)
{
    const RecordSet members(group.members.cbegin(), group.members.cend());
    for (Entity* member : group.members) {
        QObject::disconnect(member, nullptr, pool, nullptr);
        cutLinksOutOf(member, members);
    }
    for (Entity* owner : group.owners)
        delete owner;
}

// Frees the groups of the waiting records that none of unwritten holds; with a null set, all
// of them. Entries left in the list (a write that failed, changes dropped by a reload) go with
// their records, in one pass over the list.
void freeGroups(Pool* pool, DisposalQueue* queue, const RecordSet* unwritten)
{
    QList<Group> doomed;
    RecordSet doomedMembers;
    for (const Group& group : groupsOf(queue->records())) {
        if (isReclaimed(group)) {
            forgetGroup(queue, group);
            continue;
        }
        if (unwritten && containsAny(*unwritten, group.members))
            continue;
        forgetGroup(queue, group);
        doomed.append(group);
        for (const Entity* member : group.members)
            doomedMembers.insert(member);
    }
    dropEntries(pool->unsynchronizedEntities, doomedMembers);
    // A record ends by restoring and unlinking itself, which would report changes of records
    // that are gone by the time anyone reads them.
    const QSignalBlocker quietConnector(pool->connector);
    for (const Group& group : std::as_const(doomed))
        freeGroup(pool, group);
}

} // namespace

bool Pool::disposeDeleted(Entity* record)
{
    if (!record || !record->isDeleted)
        return false;
    if (!m_disposals)
        m_disposals = new DisposalQueue;
    if (m_disposals->contains(record))
        return true;
    releaseFromDeletedParent(record);
    m_disposals->enqueue(record);
    return true;
}

// A parent is only looked at while the child's remembered link says it still exists.
void Pool::releaseFromDeletedParent(Entity* record)
{
    if (auto* alarm = qobject_cast<Alarm*>(record)) {
        if (RememberedRecords::exists(alarm->m_remembered, alarm->detachedTodo))
            RelationList::takeOut(alarm->detachedTodo->deletedAlarms, alarm);
    } else if (auto* binary = qobject_cast<Binary*>(record)) {
        if (RememberedRecords::exists(binary->m_remembered, binary->detachedTodo))
            RelationList::takeOut(binary->detachedTodo->deletedBinaries, binary);
    } else if (auto* field = qobject_cast<Field*>(record)) {
        if (RememberedRecords::exists(field->m_remembered, field->detachedTodo))
            RelationList::takeOut(field->detachedTodo->deletedFields, field);
        if (RememberedRecords::exists(field->m_remembered, field->detachedFieldType))
            RelationList::takeOut(field->detachedFieldType->deletedFields, field);
    }
}

// Inserting a row only to delete it again in the same save leaves the table as it was.
void Pool::dropNeverStoredDisposals()
{
    if (!m_disposals)
        return;
    RecordSet neverStored;
    for (const Group& group : groupsOf(m_disposals->records())) {
        for (const Entity* member : group.members) {
            if (member->isNew && member->isDeleted)
                neverStored.insert(member);
        }
    }
    dropEntries(unsynchronizedEntities, neverStored);
}

void Pool::freeWrittenDisposals()
{
    if (!m_disposals)
        return;
    const RecordSet unwritten(unsynchronizedEntities->cbegin(), unsynchronizedEntities->cend());
    freeGroups(this, m_disposals, &unwritten);
}

void Pool::freeAllDisposals()
{
    if (m_disposals)
        freeGroups(this, m_disposals, nullptr);
}

} // namespace Orvel
