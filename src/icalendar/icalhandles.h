#ifndef ORVEL_ICALENDAR_ICALHANDLES_H
#define ORVEL_ICALENDAR_ICALHANDLES_H

#include <libical/ical.h>
#include <memory>

namespace Orvel {

struct ComponentDeleter
{
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};

struct ParserDeleter
{
    void operator()(icalparser* parser) const { icalparser_free(parser); }
};

// A component tree owned by the code that holds the pointer.
using ComponentHandle = std::unique_ptr<icalcomponent, ComponentDeleter>;
using ParserHandle = std::unique_ptr<icalparser, ParserDeleter>;

} // namespace Orvel

#endif
