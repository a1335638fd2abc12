#include "debug/log.h"
#include "entity/relationlist_p.h"
#include "entity/rememberedrecords_p.h"
#include "entity/timezone.h"

#include <climits>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const char defaultNote[] = "Something to do";
const char invalidRecurrenceId[] = "Invalid recurrence_id (%1), save can't be performed yet!";
const char setRecurrenceOnSample[] = "Todo::setRecurrance is not for samples.";
const char creationDateStoredWarning[] =
    "Stored should not be in use with creation_date, local time returned";

const int noRecurrence = -1;

// Midnight of 1 January 1990, the start and end of a new todo in its own zone.
QDateTime defaultWallClockDate()
{
    return QDateTime(QDate(1990, 1, 1), QTime(0, 0, 0, 0), Qt::UTC);
}

template <typename Child> void deleteEach(const QList<Child*>& children)
{
    for (Child* child : children)
        delete child;
}

template <typename Child> void markEachDeleted(const QList<Child*>& children, bool deleted)
{
    for (Child* child : children)
        child->setIsDeleted(deleted);
}

} // namespace

Todo::Todo(DatabaseConnector* connector)
    : Entity(nullptr), id(INT_MIN), status(0), note(QString::fromLatin1(defaultNote)),
      is_done(false), alarms(new QList<Alarm*>), deletedAlarms(new QList<Alarm*>),
      binaries(new QList<Binary*>), deletedBinaries(new QList<Binary*>), fields(new QList<Field*>),
      deletedFields(new QList<Field*>), recurrence_id(noRecurrence), is_sample(false),
      recurrence(nullptr), detachedRecurrence(nullptr)
{
    setDatabaseConnector(connector);
    // The zone comes first: the default dates are wall-clock readings in it.
    time_zone = parseTimeZone(QDateTime::currentDateTime());
    start_date = TimeZone::heldFromWallClock(defaultWallClockDate(), time_zone);
    end_date = start_date;
    lastModDate = QDateTime::currentDateTimeUtc();
    creation_date = lastModDate;
    isDeleted = false;
}

Todo::Todo(DatabaseConnector* connector, int id, int, int, int recurrence_id,
           const QDateTime& start_date, const QDateTime& end_date, const QString& time_zone,
           const QDateTime& last_mod_date, const QDateTime& creation_date, int status, bool, bool,
           bool is_done, bool, bool is_sample, const QString& note, const QString& format_string,
           bool is_deleted)
    : Entity(nullptr), id(id), start_date(start_date.toTimeSpec(Qt::UTC)),
      end_date(end_date.toTimeSpec(Qt::UTC)), time_zone(time_zone),
      creation_date(creation_date.toTimeSpec(Qt::UTC)), status(status), note(note),
      format_string(format_string), is_done(is_done), alarms(new QList<Alarm*>),
      deletedAlarms(new QList<Alarm*>), binaries(new QList<Binary*>),
      deletedBinaries(new QList<Binary*>), fields(new QList<Field*>),
      deletedFields(new QList<Field*>), recurrence_id(recurrence_id), is_sample(is_sample),
      recurrence(nullptr), detachedRecurrence(nullptr)
{
    setDatabaseConnector(connector);
    lastModDate = last_mod_date.toTimeSpec(Qt::UTC);
    isDeleted = is_deleted;
}

Todo::~Todo()
{
    // A deleted todo first takes its children and its recurrence back, so that it frees the
    // children it detached and leaves no rule pointing at it. A sample unlinks its rule; so does
    // a former sample that was made ordinary while still linked, or the rule would point at it.
    setIsDeleted(false);
    deleteEach(QList<Alarm*>(*alarms));
    deleteEach(QList<Binary*>(*binaries));
    deleteEach(QList<Field*>(*fields));
    if (recurrence && (is_sample || recurrence->sample == this))
        recurrence->setSample(nullptr);
    setIsDeleted(true);
    dropRemainingRecurrenceLink();
    delete alarms;
    delete deletedAlarms;
    delete binaries;
    delete deletedBinaries;
    delete fields;
    delete deletedFields;
    delete m_remembered;
}

void Todo::dropRemainingRecurrenceLink()
{
    // A todo that became a sample after it was instanced is refused by setRecurrence(), so it
    // can still stand in its rule's list here; it must not stay there once it is gone.
    if (!recurrence)
        return;
    RelationList::takeOut(recurrence->todos, this);
    recurrence = nullptr;
}

bool Todo::save()
{
    lastError.clear();
    // A rule without a row yet leaves recurrence_id at -1; a later save completes it.
    if (recurrence_id == noRecurrence && recurrence && recurrence->id != INT_MIN)
        recurrence_id = recurrence->id;
    if (recurrence_id < noRecurrence) {
        lastError = QString::fromLatin1(invalidRecurrenceId).arg(recurrence_id);
        return false;
    }
    Q_EMIT persist(*this);
    isSynchronized = true;
    return true;
}

void Todo::removeReferences()
{
    deletedAlarms->append(*alarms);
    deletedBinaries->append(*binaries);
    deletedFields->append(*fields);
    // Each child takes itself out of the live list, hence the copies.
    markEachDeleted(QList<Alarm*>(*alarms), true);
    markEachDeleted(QList<Binary*>(*binaries), true);
    markEachDeleted(QList<Field*>(*fields), true);
    if (recurrence) {
        detachedRecurrence = recurrence;
        RememberedRecords::remember(m_remembered, recurrence);
        // A sample does not outlive its rule's deletion and vice versa.
        if (is_sample)
            recurrence->setIsDeleted(true);
        else
            setRecurrence(nullptr);
    }
    Q_EMIT setDeleted(this);
}

void Todo::recreateReferences()
{
    markEachDeleted(QList<Alarm*>(*deletedAlarms), false);
    deletedAlarms->clear();
    markEachDeleted(QList<Binary*>(*deletedBinaries), false);
    deletedBinaries->clear();
    markEachDeleted(QList<Field*>(*deletedFields), false);
    deletedFields->clear();
    if (detachedRecurrence) {
        Recurrence* const restored = detachedRecurrence;
        // A rule destroyed meanwhile is forgotten: the todo comes back without it.
        if (RememberedRecords::exists(m_remembered, restored))
            restoreRecurrence(restored);
        RememberedRecords::forgetAll(m_remembered);
        detachedRecurrence = nullptr;
    }
    Q_EMIT setUndeleted(this);
}

void Todo::restoreRecurrence(Recurrence* restored)
{
    // A sample comes back together with its rule; an instance is linked to its rule again.
    if (is_sample)
        restored->setIsDeleted(false);
    else
        setRecurrence(restored);
}

void Todo::addAlarm(Alarm* alarm)
{
    alarm->setTodo(this);
}

void Todo::addBinary(Binary* binary)
{
    binary->setTodo(this);
}

void Todo::addField(Field* field)
{
    field->setTodo(this);
}

void Todo::removeAlarm(Alarm* alarm)
{
    alarm->setIsDeleted(true);
}

void Todo::removeBinary(Binary* binary)
{
    binary->setIsDeleted(true);
}

void Todo::removeField(Field* field)
{
    field->setIsDeleted(true);
}

QList<Field*> Todo::fieldByType(FieldType* fieldType) const
{
    QList<Field*> found;
    if (!fieldType)
        return found;
    for (Field* field : *fields) {
        if (field->fieldType == fieldType)
            found.append(field);
    }
    return found;
}

QList<Field*> Todo::fieldByTypeId(int fieldTypeId) const
{
    QList<Field*> found;
    for (Field* field : *fields) {
        // The linked type is the authority; a field without one still knows its stored id.
        const int typeId = field->fieldType ? field->fieldType->id : field->field_type_id;
        if (typeId == fieldTypeId)
            found.append(field);
    }
    return found;
}

QList<Field*> Todo::fieldByTypeName(const QString& name) const
{
    QList<Field*> found;
    for (Field* field : *fields) {
        if (field->fieldType && field->fieldType->name == name)
            found.append(field);
    }
    return found;
}

bool Todo::isAlarmTimeActive() const
{
    for (const Alarm* alarm : *alarms) {
        if (alarm->is_active)
            return true;
    }
    return false;
}

void Todo::freeBinaries()
{
    const QList<Binary*> attachments = *binaries;
    for (Binary* binary : attachments)
        binary->freeBinaryData();
}

void Todo::setStartDate(const QDateTime& dateTime)
{
    start_date = toStoredTime(dateTime);
    modified();
}

void Todo::setEndDate(const QDateTime& dateTime)
{
    end_date = toStoredTime(dateTime);
    modified();
}

void Todo::setTimeZone(const QString& timeZone)
{
    // Every held instant moves by the change of offset, so each wall-clock reading stays; the
    // dependants are not marked modified, only the todo is.
    const int shift = TimeZone::offsetSeconds(time_zone) - TimeZone::offsetSeconds(timeZone);
    start_date = start_date.addSecs(shift);
    end_date = end_date.addSecs(shift);
    for (Alarm* alarm : *alarms)
        alarm->alarm_time = alarm->alarm_time.addSecs(shift);
    if (recurrence) {
        recurrence->range_start = recurrence->range_start.addSecs(shift);
        recurrence->range_end = recurrence->range_end.addSecs(shift);
        recurrence->instancing_date = recurrence->instancing_date.addSecs(shift);
    }
    time_zone = timeZone;
    modified();
}

void Todo::setStatus(int newStatus)
{
    status = newStatus;
    modified();
}

void Todo::setIsDone(bool done)
{
    is_done = done;
    modified();
}

void Todo::setIsSample(bool sample)
{
    is_sample = sample;
    modified();
}

void Todo::setNote(const QString& newNote)
{
    note = newNote;
    modified();
}

void Todo::setFormatString(const QString& formatString)
{
    format_string = formatString;
    note = readableFormatString();
    modified();
}

void Todo::setRecurrence(Recurrence* newRecurrence)
{
    if (is_sample) {
        oWarning() << setRecurrenceOnSample;
        return;
    }
    if (recurrence)
        RelationList::takeOut(recurrence->todos, this);
    recurrence = newRecurrence;
    if (newRecurrence) {
        newRecurrence->todos->append(this);
        recurrence_id = newRecurrence->id == INT_MIN ? noRecurrence : newRecurrence->id;
    }
    modified();
}

QDateTime Todo::toStoredTime(const QDateTime& dateTime) const
{
    if (dateTime.timeSpec() == Qt::UTC)
        return dateTime;
    return TimeZone::heldFromWallClock(dateTime, time_zone);
}

QDateTime Todo::toDisplayTime(const QDateTime& dateTime) const
{
    return TimeZone::wallClockFromHeld(dateTime, time_zone);
}

QDateTime Todo::startDate(TimeSpec spec) const
{
    if (spec == Stored)
        return toDisplayTime(start_date);
    return TimeZone::inDeviceOrUtc(start_date, spec);
}

QDateTime Todo::endDate(TimeSpec spec) const
{
    if (spec == Stored)
        return toDisplayTime(end_date);
    return TimeZone::inDeviceOrUtc(end_date, spec);
}

QDateTime Todo::creationDate(TimeSpec spec) const
{
    if (spec == Stored)
        oWarning() << creationDateStoredWarning;
    return TimeZone::inDeviceOrUtc(creation_date, spec);
}

} // namespace Orvel
