#ifndef ORVEL_DEBUG_LOG_H
#define ORVEL_DEBUG_LOG_H

#include "debugstring.h"

#include <QDebug>
#include <QLoggingCategory>

namespace Orvel {

// The category "orvel" of every diagnostic line, so that a host can silence the library with
// QT_LOGGING_RULES="orvel.debug=false" or route its lines by category in a message handler.
Q_DECLARE_LOGGING_CATEGORY(orvelLog)

enum class LogTag { Error, Warning, Info };

// Opens one diagnostic line: a debug stream (always QtDebugMsg in the category "orvel", whatever
// the tag) that already holds the coloured, fixed-width tag header and one space. Items streamed
// into the result follow QDebug's ordinary rules; the line is delivered when the stream is
// released, unless the category's debug output is switched off.
QDebug logLine(LogTag tag);

// The header bytes of a tag: opening colours, the tag, fill to 15 visible columns, closing.
QByteArray logHeader(LogTag tag);

} // namespace Orvel

// The log statement of the library: oError() << "Message" << value;
#define oError() ::Orvel::logLine(::Orvel::LogTag::Error)
#define oWarning() ::Orvel::logLine(::Orvel::LogTag::Warning)
#define oInfo() ::Orvel::logLine(::Orvel::LogTag::Info)

#endif
