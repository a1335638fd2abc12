#ifndef ORVEL_TESTS_LOGHANDLER_H
#define ORVEL_TESTS_LOGHANDLER_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace OrvelTest {

// Captures every line that reaches Qt's message output while it exists, so that tests can
// compare whole diagnostic lines. Only one capture may be active at a time.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The received lines, UTF-8 encoded, in order.
    QList<QByteArray> lines() const;
    QList<QtMsgType> types() const;
    // The logging category of every received line, in order.
    QList<QByteArray> categories() const;
    void clear();

    // The complete line the library writes for a tag ("ERROR", "WARNING", "INFO") followed by
    // the message text exactly as QDebug renders its items (e.g. "Text \"quoted\" 42").
    static QByteArray line(const char* tag, const QByteArray& message);
};

} // namespace OrvelTest

#endif
