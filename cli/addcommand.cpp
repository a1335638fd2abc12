#include "addcommand.h"

#include "console.h"
#include "inputreader.h"
#include "session.h"

#include <QCommandLineParser>
#include <climits>
#include <orvel/alarm.h>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/todo.h>
#include <utility>

namespace {

const char startOption[] = "start";
const char endOption[] = "end";
const char zoneOption[] = "tz";
const char formatOption[] = "format";
const char fieldOption[] = "field";
const char alarmOption[] = "alarm";
const char noteFileOption[] = "note-file";

// A date without a time starts at the beginning of its day and ends at its last minute, which
// makes a whole-day span for the readable date.
const QTime startOfDay(0, 0);
const QTime endOfDay(23, 59);

} // namespace

AddCommand::AddCommand()
    : Command(QStringLiteral("add"), QStringLiteral("Create a todo and print its id."),
              QStringLiteral("NOTE"))
{}

void AddCommand::defineOptions(QCommandLineParser& parser) const
{
    parser.setApplicationDescription(
        QStringLiteral("Creates a todo and prints its id. Dates are wall-clock times in the\n"
                       "todo's zone; a date without a time covers the whole day."));
    parser.addPositionalArgument(QStringLiteral("NOTE"),
                                 QStringLiteral("The task text, unless --note-file is given."));
    parser.addOption({QLatin1String(noteFileOption),
                      QStringLiteral("Read the note from FILE, or from standard input for -."),
                      QStringLiteral("FILE")});
    parser.addOption({QLatin1String(startOption),
                      QStringLiteral("Start of the todo, YYYY-MM-DD[ HH:MM]."),
                      QStringLiteral("date")});
    parser.addOption({QLatin1String(endOption),
                      QStringLiteral("End of the todo, YYYY-MM-DD[ HH:MM]; by default the "
                                     "start, or the end of the start's day."),
                      QStringLiteral("date")});
    parser.addOption({QLatin1String(zoneOption),
                      QStringLiteral("Time zone of the todo: +HH:MM or -HH:MM (-12:00 to "
                                     "+14:00), or a zone name such as Europe/Berlin, which "
                                     "gives its offset at the start. By default the device's "
                                     "offset at the start."),
                      QStringLiteral("zone")});
    parser.addOption({QLatin1String(formatOption),
                      QStringLiteral("Format string shown instead of the note: %-1% is the "
                                     "readable date, %N% the value of field type N."),
                      QStringLiteral("format")});
    parser.addOption({QLatin1String(fieldOption),
                      QStringLiteral("A custom field value; the field type is created when "
                                     "no type has that name. Repeatable."),
                      QStringLiteral("TYPE=VALUE")});
    parser.addOption({QLatin1String(alarmOption),
                      QStringLiteral("An alarm at YYYY-MM-DD[ HH:MM] in the todo's zone. "
                                     "Repeatable."),
                      QStringLiteral("date")});
}

bool AddCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    if (!readNoteArguments(parser, error))
        return false;
    if (parser.isSet(QLatin1String(zoneOption)) &&
        !TodoZone::read(parser.value(QLatin1String(zoneOption)), &m_zone, error))
        return false;
    m_hasFormat = parser.isSet(QLatin1String(formatOption));
    m_format = parser.value(QLatin1String(formatOption));
    return readSpan(parser, error) && readFields(parser, error) && readAlarms(parser, error) &&
           convertDates(error);
}

bool AddCommand::prepare(QString* error)
{
    return m_noteFile.isEmpty() || InputReader::readNoteFile(m_noteFile, &m_note, error);
}

int AddCommand::run(Session& session)
{
    Orvel::Pool* pool = session.pool();
    Orvel::Todo* todo = pool->newTodo();
    // The zone comes first: setting it keeps wall-clock readings, so it would move dates set
    // before it. The dates below are UTC instants, which the todo takes as they are.
    todo->setTimeZone(m_offset);
    if (m_hasSpan) {
        todo->setStartDate(m_start);
        todo->setEndDate(m_end);
    }
    addFields(pool, todo);
    // A plain todo keeps its note as its format string too: the alphabetical orders of a query
    // and the instances of a repeating todo take their text from the format string. Setting the
    // format rewrites the note, so the note is set after it.
    todo->setFormatString(m_hasFormat ? m_format : m_note);
    todo->setNote(m_note);
    addAlarms(pool, todo);
    if (!saveChanges(session))
        return Failure;
    Console::printLine(QString::number(todo->id));
    return Success;
}

bool AddCommand::readNoteArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList words;
    if (parser.isSet(QLatin1String(noteFileOption))) {
        m_noteFile = parser.value(QLatin1String(noteFileOption));
        return takeArguments(parser, 0, 0, &words, error);
    }
    if (!takeArguments(parser, 1, INT_MAX, &words, error))
        return false;
    // An unquoted note arrives as several words.
    m_note = words.join(QLatin1Char(' '));
    return InputReader::readNote(m_note, error);
}

bool AddCommand::readSpan(const QCommandLineParser& parser, QString* error)
{
    const bool hasStart = parser.isSet(QLatin1String(startOption));
    const bool hasEnd = parser.isSet(QLatin1String(endOption));
    DateInput start;
    DateInput end;
    if (hasStart && !InputReader::readDate(parser.value(QLatin1String(startOption)), &start, error))
        return false;
    if (hasEnd && !InputReader::readDate(parser.value(QLatin1String(endOption)), &end, error))
        return false;
    if (!hasStart && !hasEnd)
        return true;
    // A single date gives a moment when it has a time and its whole day otherwise.
    m_hasSpan = true;
    m_startInput = hasStart ? start : end;
    m_endInput = hasEnd ? end : start;
    if (m_endInput.dateTime(endOfDay) < m_startInput.dateTime(startOfDay)) {
        *error = QStringLiteral("the end %1 lies before the start %2")
                     .arg(parser.value(QLatin1String(endOption)),
                          parser.value(QLatin1String(startOption)));
        return false;
    }
    return true;
}

bool AddCommand::convertDates(QString* error)
{
    // The todo keeps one offset, the zone's at its start; every date typed for it is then read
    // at that offset, so that show prints each one as it was typed.
    if (m_hasSpan) {
        if (!m_zone.toUtc(m_startInput, startOfDay, &m_start, error))
            return false;
        m_offset = m_zone.offsetAt(m_start);
    } else {
        m_offset = m_zone.offsetAt(QDateTime::currentDateTimeUtc());
    }
    if (m_hasSpan && !m_zone.toUtcAtOffset(m_endInput, endOfDay, m_offset, &m_end, error))
        return false;
    for (const DateInput& input : std::as_const(m_alarmInputs)) {
        QDateTime time;
        if (!m_zone.toUtcAtOffset(input, startOfDay, m_offset, &time, error))
            return false;
        m_alarms.append(time);
    }
    return true;
}

bool AddCommand::readFields(const QCommandLineParser& parser, QString* error)
{
    return InputReader::readFieldAssignments(parser.values(QLatin1String(fieldOption)), &m_fields,
                                             error);
}

bool AddCommand::readAlarms(const QCommandLineParser& parser, QString* error)
{
    return InputReader::readDates(parser.values(QLatin1String(alarmOption)), &m_alarmInputs, error);
}

void AddCommand::addFields(Orvel::Pool* pool, Orvel::Todo* todo) const
{
    for (const QPair<QString, QString>& assignment : m_fields)
        addField(pool, todo, assignment.first, assignment.second);
}

void AddCommand::addAlarms(Orvel::Pool* pool, Orvel::Todo* todo) const
{
    for (const QDateTime& time : m_alarms)
        addAlarm(pool, todo, time);
}

void AddCommand::addField(Orvel::Pool* pool, Orvel::Todo* todo, const QString& typeName,
                          const QString& value)
{
    Orvel::Field* field = pool->newField();
    field->setFieldType(fieldTypeNamed(pool, typeName));
    field->setTodo(todo);
    field->setValue(value);
}

void AddCommand::addAlarm(Orvel::Pool* pool, Orvel::Todo* todo, const QDateTime& time)
{
    Orvel::Alarm* alarm = pool->newAlarm();
    // Attached first: a parent change re-bases the time, setting it afterwards does not.
    alarm->setTodo(todo);
    alarm->setAlarmTime(time);
    alarm->setIsActive(true);
}

Orvel::FieldType* AddCommand::existingFieldType(const Orvel::Pool* pool, const QString& name)
{
    for (Orvel::FieldType* type : *pool->fieldTypes) {
        if (type->name == name)
            return type;
    }
    return nullptr;
}

Orvel::FieldType* AddCommand::fieldTypeNamed(Orvel::Pool* pool, const QString& name)
{
    if (Orvel::FieldType* existing = existingFieldType(pool, name))
        return existing;
    Orvel::FieldType* type = pool->newFieldType();
    type->setName(name);
    return type;
}
