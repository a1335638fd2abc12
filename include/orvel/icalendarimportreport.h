#ifndef ORVEL_ICALENDARIMPORTREPORT_H
#define ORVEL_ICALENDARIMPORTREPORT_H

#include <QString>
#include <QStringList>
#include <orvel/orvel_export.h>

namespace Orvel {

/*!
    The outcome of ICalendar::importCalendar(): how many todos were created, updated and left
    alone, one warning per property or component that could not be kept, and, for malformed
    input, the error that stopped the import before anything was changed.
*/
class ORVEL_EXPORT ICalendarImportReport
{
public:
    //! True when the text could be read; false when error is set and nothing was imported.
    bool isValid() const;
    //! The report as lines of text: the counts, then the warnings, or the error.
    QStringList lines() const;

    //! Todos (and repeating todos) that did not exist before.
    int created = 0;
    //! Existing todos overwritten because the incoming LAST-MODIFIED was newer.
    int updated = 0;
    //! Incoming todos whose existing copy was not older, or that could not be merged.
    int skipped = 0;
    //! One text per dropped property, component or rule, starting with "line N: ".
    QStringList warnings;
    //! Why the text was refused; empty when it was read.
    QString error;
    //! The line (from 1) at which error was found; 0 when there is no error.
    int errorLine = 0;
};

} // namespace Orvel

#endif
