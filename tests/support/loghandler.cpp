#include "loghandler.h"

#include <QDebug>

namespace OrvelTest {

namespace {

struct CaptureState
{
    QList<QByteArray> lines;
    QList<QtMsgType> types;
    QList<QByteArray> categories;
    QtMessageHandler previous = nullptr;
    bool active = false;
};

CaptureState& state()
{
    static CaptureState s;
    return s;
}

void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    state().lines.append(message.toUtf8());
    state().types.append(type);
    state().categories.append(QByteArray(context.category));
}

} // namespace

LogCapture::LogCapture()
{
    Q_ASSERT(!state().active);
    state().active = true;
    state().lines.clear();
    state().types.clear();
    state().categories.clear();
    state().previous = qInstallMessageHandler(captureMessage);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(state().previous);
    state().active = false;
}

QList<QByteArray> LogCapture::lines() const
{
    return state().lines;
}

QList<QtMsgType> LogCapture::types() const
{
    return state().types;
}

QList<QByteArray> LogCapture::categories() const
{
    return state().categories;
}

void LogCapture::clear()
{
    state().lines.clear();
    state().types.clear();
    state().categories.clear();
}

QStringList LogCapture::messages() const
{
    QStringList messages;
    for (const QByteArray& line : state().lines) {
        const int tagStart = line.indexOf("\x1b[1;37m");
        const int headerEnd = line.indexOf("]\x1b[0m");
        if (!line.startsWith('\x1b') || tagStart < 0 || headerEnd < 0) {
            messages << QString::fromUtf8(line);
            continue;
        }
        const int tagEnd = line.indexOf('\x1b', tagStart + 1);
        const QByteArray tag = line.mid(tagStart + 7, tagEnd - tagStart - 7).trimmed();
        messages << QString::fromUtf8(tag + line.mid(headerEnd + 5));
    }
    return messages;
}

} // namespace OrvelTest
