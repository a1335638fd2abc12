#include "debugstring.h"

namespace Orvel {

namespace {
const char escapeByte = '\x1b';
}

int odebug_strlen_(const char* text)
{
    if (!text)
        return 0;
    bool inEscape = false;
    int visible = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == escapeByte) {
            inEscape = true;
        } else if (inEscape) {
            if (*p == 'm')
                inEscape = false;
        } else {
            ++visible;
        }
    }
    return visible;
}

int odebug_strlen_(const QByteArray& text)
{
    // constData() is zero-terminated, and like the C-string overload the scan stops at the
    // first zero byte.
    return odebug_strlen_(text.constData());
}

QDebug operator<<(QDebug stream, const DebugString& bytes)
{
    stream.nospace().noquote() << QString::fromLatin1(bytes.bytes());
    stream.quote();
    return stream;
}

} // namespace Orvel
