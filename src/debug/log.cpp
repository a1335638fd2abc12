#include "log.h"

namespace Orvel {

Q_LOGGING_CATEGORY(orvelLog, "orvel")

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
    // The category only decides whether the line is delivered and tells the message handler
    // where it came from; the bytes of the line are the same as those of a plain qDebug().
    QDebug stream = QMessageLogger(QT_MESSAGELOG_FILE, QT_MESSAGELOG_LINE, QT_MESSAGELOG_FUNC)
                        .debug(orvelLog());
    stream << DebugString(logHeader(tag));
    // Switching spacing back on writes the one space between the header and the message.
    stream.space();
    return stream;
}

} // namespace Orvel
