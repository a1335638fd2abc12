#ifndef ORVEL_DEBUG_DEBUGSTRING_H
#define ORVEL_DEBUG_DEBUGSTRING_H

#include <QByteArray>
#include <QDebug>

namespace Orvel {

// Bytes that are written into a QDebug stream as they are: no quotes, no separating space.
// The log header uses it to carry its terminal colour sequences into the line.
class DebugString
{
public:
    DebugString() = default;
    DebugString(const QByteArray& bytes) : m_bytes(bytes) {}
    DebugString(const char* bytes) : m_bytes(bytes) {}

    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Number of visible characters of a string, not counting terminal escape sequences (an escape
// byte hides everything up to and including the next 'm'). A null pointer counts 0.
int odebug_strlen_(const char* text);
int odebug_strlen_(const QByteArray& text);

// Writes the bytes raw and leaves the stream with automatic spacing switched off.
QDebug operator<<(QDebug stream, const DebugString& bytes);

} // namespace Orvel

#endif
