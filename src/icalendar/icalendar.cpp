#include "calendarreader.h"
#include "calendarwriter.h"
#include "icalnames.h"
#include "importapplier.h"
#include "linetrackingparser.h"

#include <climits>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/icalendar.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

// libical's defaults make some parse errors abort the process; an import must report them.
void makeLibicalErrorsNonFatal()
{
    icalerror_set_errors_are_fatal(0);
    icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, ICAL_ERROR_NONFATAL);
}

} // namespace

QByteArray ICalendar::exportTodos(const QList<Todo*>& todos)
{
    makeLibicalErrorsNonFatal();
    CalendarWriter writer;
    for (Todo* todo : todos)
        writer.addTodo(todo);
    return writer.text();
}

ICalendarImportReport ICalendar::importCalendar(Pool* pool, const QByteArray& text)
{
    makeLibicalErrorsNonFatal();
    ICalendarImportReport report;
    const ParsedCalendar parsed = LineTrackingParser::parse(text);
    if (!parsed.error.isEmpty()) {
        report.error = parsed.error;
        report.errorLine = parsed.errorLine;
        return report;
    }
    CalendarReader reader(parsed);
    if (!reader.read()) {
        report.error = reader.error;
        report.errorLine = reader.errorLine;
        return report;
    }
    report.warnings = parsed.warnings + reader.warnings;
    ImportApplier(pool, &report).apply(reader.todos);
    return report;
}

QString ICalendar::uidOf(const Todo* todo)
{
    static const QString uidType = uidFieldTypeName();
    for (const Field* field : *todo->fields) {
        if (field->fieldType && field->fieldType->name == uidType)
            return field->value;
    }
    // The creation time keeps the UID apart from the todo that had the same id in an earlier
    // database; a todo without row has no id yet, its address keeps it apart within one export.
    const QDateTime created = todo->creation_date.toUTC();
    const QDate date = created.date();
    const QTime time = created.time();
    const QString id = todo->id == INT_MIN
                           ? QStringLiteral("new-") + QString::number(quintptr(todo), 16)
                           : QString::number(todo->id);
    return QString::asprintf("%04d%02d%02dT%02d%02d%02d%03d-", date.year(), date.month(),
                             date.day(), time.hour(), time.minute(), time.second(), time.msec()) +
           id + QStringLiteral("@orvel");
}

QString ICalendar::uidFieldTypeName()
{
    return QLatin1String(ICalNames::uidFieldType);
}

QString ICalendar::categoryFieldTypeName()
{
    return QLatin1String(ICalNames::categoryFieldType);
}

QString ICalendar::priorityFieldTypeName()
{
    return QLatin1String(ICalNames::priorityFieldType);
}

QString ICalendar::descriptionFieldTypeName()
{
    return QLatin1String(ICalNames::descriptionFieldType);
}

} // namespace Orvel
