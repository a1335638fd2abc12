#ifndef ORVEL_ICALENDAR_H
#define ORVEL_ICALENDAR_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <orvel/icalendarimportreport.h>
#include <orvel/orvel_export.h>

namespace Orvel {

class Pool;
class Todo;

/*!
    Export of todos to iCalendar (RFC 5545) text and import of such text into the pool.

    A todo becomes a VTODO; a sample with its rule becomes a VTODO with an RRULE, and the
    instances of a rule name their sample's UID. What RFC 5545 has no property for travels in
    X-ORVEL- properties, so that exporting and importing again gives back the same todos.
    Times are kept to the second, the resolution of iCalendar.
*/
class ORVEL_EXPORT ICalendar
{
public:
    /*!
        Returns one VCALENDAR holding one VTODO per todo of \a todos, as UTF-8 text with CRLF
        line ends. Attachments whose bytes are not loaded are read from the database for the
        export and released again.
    */
    static QByteArray exportTodos(const QList<Todo*>& todos);

    /*!
        Imports the iCalendar \a text into \a pool. A todo whose UID is already known is
        overwritten only when the incoming LAST-MODIFIED is newer than its own modification
        time. Malformed text imports nothing: the report then carries the error and its line.
        The new and changed records are written by the pool's next synchronizeToDatabase().
    */
    static ICalendarImportReport importCalendar(Pool* pool, const QByteArray& text);

    /*!
        The UID that \a todo gets in an export: the one it was imported with, otherwise one
        made from its id and creation time (which stays the same from export to export once the
        todo has been written to the database).
    */
    static QString uidOf(const Todo* todo);

    //! Name of the field type that remembers the UID a todo was imported with.
    static QString uidFieldTypeName();
    //! Name of the field type whose values are exported as CATEGORIES.
    static QString categoryFieldTypeName();
    //! Name of the field type whose value is exported as PRIORITY.
    static QString priorityFieldTypeName();
    //! Name of the field type whose value is exported as DESCRIPTION.
    static QString descriptionFieldTypeName();
};

} // namespace Orvel

#endif
