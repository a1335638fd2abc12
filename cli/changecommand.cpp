#include "changecommand.h"

#include "addcommand.h"
#include "console.h"
#include "session.h"
#include "todoformatter.h"

#include <QCommandLineParser>
#include <orvel/alarm.h>
#include <orvel/binary.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/todo.h>
#include <utility>

namespace {

const char noteOption[] = "note";
const char noteFileOption[] = "note-file";
const char formatOption[] = "format";
const char startOption[] = "start";
const char endOption[] = "end";
const char zoneOption[] = "tz";
const char fieldOption[] = "field";
const char removeFieldOption[] = "remove-field";
const char alarmOption[] = "alarm";
const char removeAlarmOption[] = "remove-alarm";
const char removeAttachmentOption[] = "remove-attachment";

const char* const changeOptions[] = {
    noteOption,  noteFileOption,    formatOption,          startOption,
    endOption,   zoneOption,        fieldOption,           removeFieldOption,
    alarmOption, removeAlarmOption, removeAttachmentOption};

const QTime startOfDay(0, 0);
const QTime endOfDay(23, 59);

template <typename Record> Record* recordWithId(const QList<Record*>& records, int id)
{
    for (Record* record : records) {
        if (record->id == id)
            return record;
    }
    return nullptr;
}

} // namespace

ChangeCommand::ChangeCommand()
    : Command(QStringLiteral("edit"),
              QStringLiteral("Change the dates, zone, texts, fields, "
                             "alarms or attachments of a todo."),
              QStringLiteral("ID"))
{}

void ChangeCommand::defineOptions(QCommandLineParser& parser) const
{
    parser.setApplicationDescription(QStringLiteral(
        "Changes a todo and prints its line. Dates are read at the todo's offset, or at the\n"
        "offset that --tz gives at the todo's start; wall-clock readings are kept when only\n"
        "the zone changes. A new start without --end keeps the todo's length."));
    parser.addPositionalArgument(QStringLiteral("ID"), QStringLiteral("The id of the todo."));
    parser.addOption(
        {QLatin1String(noteOption), QStringLiteral("New note."), QStringLiteral("TEXT")});
    parser.addOption({QLatin1String(noteFileOption),
                      QStringLiteral("Read the new note from FILE, or from standard input for -."),
                      QStringLiteral("FILE")});
    parser.addOption({QLatin1String(formatOption), QStringLiteral("New format string."),
                      QStringLiteral("format")});
    parser.addOption({QLatin1String(startOption), QStringLiteral("New start, YYYY-MM-DD[ HH:MM]."),
                      QStringLiteral("date")});
    parser.addOption({QLatin1String(endOption), QStringLiteral("New end, YYYY-MM-DD[ HH:MM]."),
                      QStringLiteral("date")});
    parser.addOption({QLatin1String(zoneOption),
                      QStringLiteral("New zone: +HH:MM, -HH:MM or a zone name such as "
                                     "Europe/Berlin."),
                      QStringLiteral("zone")});
    parser.addOption({QLatin1String(fieldOption),
                      QStringLiteral("Set the value of the field of type TYPE, adding it when "
                                     "the todo has none. Repeatable."),
                      QStringLiteral("TYPE=VALUE")});
    parser.addOption({QLatin1String(removeFieldOption),
                      QStringLiteral("Remove the fields of type TYPE. Repeatable."),
                      QStringLiteral("TYPE")});
    parser.addOption({QLatin1String(alarmOption),
                      QStringLiteral("Add an alarm at YYYY-MM-DD[ HH:MM]. Repeatable."),
                      QStringLiteral("date")});
    parser.addOption({QLatin1String(removeAlarmOption),
                      QStringLiteral("Remove the alarm with that id (see orvel show). "
                                     "Repeatable."),
                      QStringLiteral("ALARM_ID")});
    parser.addOption({QLatin1String(removeAttachmentOption),
                      QStringLiteral("Remove the attachment with that id. Repeatable."),
                      QStringLiteral("BINARY_ID")});
}

bool ChangeCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList arguments;
    if (!takeArguments(parser, 1, 1, &arguments, error) ||
        !InputReader::readId(arguments.at(0), &m_id, error))
        return false;
    bool anyChange = false;
    for (const char* option : changeOptions)
        anyChange = anyChange || parser.isSet(QLatin1String(option));
    if (!anyChange) {
        *error = QStringLiteral("nothing to change: give at least one option");
        return false;
    }
    m_hasFormat = parser.isSet(QLatin1String(formatOption));
    m_format = parser.value(QLatin1String(formatOption));
    return readNote(parser, error) && readDates(parser, error) && readFields(parser, error) &&
           readIds(parser, removeAlarmOption, &m_removedAlarms, error) &&
           readIds(parser, removeAttachmentOption, &m_removedBinaries, error);
}

bool ChangeCommand::prepare(QString* error)
{
    return m_noteFile.isEmpty() || InputReader::readNoteFile(m_noteFile, &m_note, error);
}

int ChangeCommand::run(Session& session)
{
    Orvel::Todo* todo = findTodo(session, m_id);
    if (!todo)
        return Failure;
    QString error;
    QString offset;
    QDateTime start;
    QDateTime end;
    QList<QDateTime> alarms;
    Removals removals;
    if (!findRemovals(todo, &removals, &error) ||
        !resolveDates(todo, &offset, &start, &end, &alarms, &error)) {
        Console::printError(error);
        return Failure;
    }
    // The zone first: it keeps the wall-clock readings of the dates that stay.
    todo->setTimeZone(offset);
    if (m_hasStart || m_hasEnd) {
        todo->setStartDate(start);
        todo->setEndDate(end);
    }
    applyTexts(todo);
    applyFields(session, todo);
    for (const QDateTime& time : std::as_const(alarms))
        AddCommand::addAlarm(session.pool(), todo, time);
    remove(session, removals);
    if (!saveChanges(session))
        return Failure;
    Console::printLine(TodoFormatter::listLine(todo));
    return Success;
}

bool ChangeCommand::readNote(const QCommandLineParser& parser, QString* error)
{
    const bool hasNote = parser.isSet(QLatin1String(noteOption));
    if (hasNote && parser.isSet(QLatin1String(noteFileOption))) {
        *error = QStringLiteral("--note and --note-file exclude each other");
        return false;
    }
    m_hasNote = hasNote || parser.isSet(QLatin1String(noteFileOption));
    m_noteFile = parser.value(QLatin1String(noteFileOption));
    m_note = parser.value(QLatin1String(noteOption));
    return !hasNote || InputReader::readNote(m_note, error);
}

bool ChangeCommand::readDates(const QCommandLineParser& parser, QString* error)
{
    m_hasZone = parser.isSet(QLatin1String(zoneOption));
    m_hasStart = parser.isSet(QLatin1String(startOption));
    m_hasEnd = parser.isSet(QLatin1String(endOption));
    if ((m_hasZone && !TodoZone::read(parser.value(QLatin1String(zoneOption)), &m_zone, error)) ||
        (m_hasStart &&
         !InputReader::readDate(parser.value(QLatin1String(startOption)), &m_start, error)) ||
        (m_hasEnd && !InputReader::readDate(parser.value(QLatin1String(endOption)), &m_end, error)))
        return false;
    return InputReader::readDates(parser.values(QLatin1String(alarmOption)), &m_alarms, error);
}

bool ChangeCommand::readFields(const QCommandLineParser& parser, QString* error)
{
    if (!InputReader::readFieldAssignments(parser.values(QLatin1String(fieldOption)), &m_fields,
                                           error))
        return false;
    m_removedFieldTypes = parser.values(QLatin1String(removeFieldOption));
    return true;
}

bool ChangeCommand::readIds(const QCommandLineParser& parser, const char* option, QList<int>* ids,
                            QString* error) const
{
    for (const QString& text : parser.values(QLatin1String(option))) {
        int id = 0;
        if (!InputReader::readId(text, &id, error))
            return false;
        ids->append(id);
    }
    return true;
}

bool ChangeCommand::findRemovals(const Orvel::Todo* todo, Removals* removals, QString* error) const
{
    for (const QString& type : m_removedFieldTypes) {
        const int before = removals->fields.size();
        for (Orvel::Field* field : *todo->fields) {
            if (field->fieldType && field->fieldType->name == type &&
                !removals->fields.contains(field))
                removals->fields.append(field);
        }
        if (removals->fields.size() == before) {
            *error = QStringLiteral("todo %1 has no field of type '%2'").arg(m_id).arg(type);
            return false;
        }
    }
    for (const int id : m_removedAlarms) {
        Orvel::Alarm* alarm = recordWithId(*todo->alarms, id);
        if (!alarm) {
            *error = QStringLiteral("todo %1 has no alarm with id %2").arg(m_id).arg(id);
            return false;
        }
        if (!removals->alarms.contains(alarm))
            removals->alarms.append(alarm);
    }
    for (const int id : m_removedBinaries) {
        Orvel::Binary* binary = recordWithId(*todo->binaries, id);
        if (!binary) {
            *error = QStringLiteral("todo %1 has no attachment with id %2").arg(m_id).arg(id);
            return false;
        }
        if (!removals->binaries.contains(binary))
            removals->binaries.append(binary);
    }
    return true;
}

bool ChangeCommand::resolveDates(const Orvel::Todo* todo, QString* offset, QDateTime* start,
                                 QDateTime* end, QList<QDateTime>* alarms, QString* error) const
{
    const QDateTime oldStart = todo->startDate(Orvel::UTC);
    const QDateTime oldEnd = todo->endDate(Orvel::UTC);
    // A new named zone gives its offset at the start the todo will have.
    const DateInput startReading =
        m_hasStart ? m_start : TodoZone::wallClockAt(oldStart, todo->time_zone);
    *offset = todo->time_zone;
    if (m_hasZone) {
        QDateTime instant;
        if (!m_zone.toUtc(startReading, startOfDay, &instant, error))
            return false;
        *offset = m_zone.offsetAt(instant);
    }
    *start = oldStart;
    *end = oldEnd;
    if (m_hasStart && !m_zone.toUtcAtOffset(m_start, startOfDay, *offset, start, error))
        return false;
    if (m_hasEnd && !m_zone.toUtcAtOffset(m_end, endOfDay, *offset, end, error))
        return false;
    if (m_hasStart && !m_hasEnd)
        *end = start->addSecs(oldStart.secsTo(oldEnd));
    if (*end < *start) {
        *error = QStringLiteral("the end would lie before the start");
        return false;
    }
    for (const DateInput& input : m_alarms) {
        QDateTime time;
        if (!m_zone.toUtcAtOffset(input, startOfDay, *offset, &time, error))
            return false;
        alarms->append(time);
    }
    return true;
}

void ChangeCommand::applyTexts(Orvel::Todo* todo) const
{
    // A plain todo shows its note through its format string; keep the two equal. Setting the
    // format rewrites the note, so the note is set after it.
    if (m_hasFormat) {
        const QString note = m_hasNote ? m_note : todo->note;
        todo->setFormatString(m_format);
        todo->setNote(note);
    } else if (m_hasNote) {
        replaceNote(todo, m_note);
    }
}

void ChangeCommand::replaceNote(Orvel::Todo* todo, const QString& note)
{
    if (todo->format_string == todo->note)
        todo->setFormatString(note);
    todo->setNote(note);
}

void ChangeCommand::applyFields(Session& session, Orvel::Todo* todo) const
{
    for (const QPair<QString, QString>& assignment : m_fields) {
        Orvel::Field* existing = nullptr;
        for (Orvel::Field* field : *todo->fields) {
            if (!existing && field->fieldType && field->fieldType->name == assignment.first)
                existing = field;
        }
        if (existing)
            existing->setValue(assignment.second);
        else
            AddCommand::addField(session.pool(), todo, assignment.first, assignment.second);
    }
}

void ChangeCommand::remove(Session& session, const Removals& removals)
{
    Orvel::Pool* pool = session.pool();
    for (Orvel::Field* field : removals.fields) {
        pool->deleteField(field);
        pool->disposeDeleted(field);
    }
    for (Orvel::Alarm* alarm : removals.alarms) {
        pool->deleteAlarm(alarm);
        pool->disposeDeleted(alarm);
    }
    for (Orvel::Binary* binary : removals.binaries) {
        pool->deleteBinary(binary);
        pool->disposeDeleted(binary);
    }
}
