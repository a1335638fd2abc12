#ifndef ORVEL_TESTS_LOGHANDLER_H
#define ORVEL_TESTS_LOGHANDLER_H

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QtGlobal>

namespace OrvelTest {

// Captures every line that reaches Qt's message output while it exists. Only one capture may
// be active at a time.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The received lines, UTF-8 encoded and unchanged, in order.
    QList<QByteArray> lines() const;
    QList<QtMsgType> types() const;
    // The logging category of every received line, in order.
    QList<QByteArray> categories() const;
    // The lines with their coloured header reduced to the tag: "ERROR Text \"quoted\" 42".
    QStringList messages() const;
    void clear();
};

} // namespace OrvelTest

#endif
