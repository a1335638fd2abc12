#include "log.h"

namespace Orvel {

namespace {

const int headerWidth = 15;

struct TagStyle
{
    const char* name;
    const char* opening;
    const char* closing;
};

TagStyle styleOf(LogTag tag)
{
    switch (tag) {
    case LogTag::Error:
        return {"ERROR", "\x1b[1;31m\x1b[41m[\x1b[1;37m", "\x1b[1;31m]\x1b[0m"};
    case LogTag::Warning:
        return {"WARNING", "\x1b[1;33m\x1b[43m[\x1b[1;37m", "\x1b[1;33m]\x1b[0m"};
    case LogTag::Info:
        break;
    }
    return {"INFO", "\x1b[1;34m\x1b[44m[\x1b[1;37m", "\x1b[1;34m]\x1b[0m"};
}

} // namespace

QByteArray logHeader(LogTag tag)
{
    const TagStyle style = styleOf(tag);
    QByteArray fill;
    fill.fill(' ', headerWidth - odebug_strlen_(style.name));
    return QByteArray(style.opening) + style.name + fill + style.closing;
}

QDebug logLine(LogTag tag)
{
    QDebug stream = qDebug();
    stream << DebugString(logHeader(tag));
    // Switching spacing back on writes the one space between the header and the message.
    stream.space();
    return stream;
}

} // namespace Orvel
