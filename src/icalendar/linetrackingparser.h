#ifndef ORVEL_ICALENDAR_LINETRACKINGPARSER_H
#define ORVEL_ICALENDAR_LINETRACKINGPARSER_H

#include "icalhandles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace Orvel {

// Where a component and the first property of each name in it stand in the text. A component
// holds a dozen names or so: a list searched from the front is cheaper than a hash per component.
struct ComponentLines
{
    int beginLine = 0;
    QByteArray name;
    std::vector<std::pair<QByteArray, int>> properties;

    // The entry of the name (any case), or null.
    const std::pair<QByteArray, int>* find(const char* propertyName, std::size_t length) const;
    // The line of the first property of that name; the component's line when there is none.
    int lineOf(const char* propertyName) const;
};

// What the parser made of a text: the VCALENDAR trees, the lines of every component in
// document order (the order of a pre-order walk of the trees), warnings, or the first error.
struct ParsedCalendar
{
    std::vector<ComponentHandle> calendars;
    std::vector<ComponentLines> components;
    QStringList warnings;
    QString error;
    int errorLine = 0;
};

// Feeds a text to libical's parser one content line at a time (libical unfolds the lines) and
// keeps the line numbers that libical does not report: a line that libical cannot read, or
// whose BEGIN and END do not match, stops the parse with an error naming that line.
class LineTrackingParser
{
public:
    static ParsedCalendar parse(const QByteArray& text);

private:
    class Run;
};

} // namespace Orvel

#endif
