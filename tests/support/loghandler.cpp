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

QByteArray LogCapture::line(const char* tag, const QByteArray& message)
{
    QByteArray colour;
    const QByteArray name(tag);
    if (name == "ERROR")
        colour = "1";
    else if (name == "WARNING")
        colour = "3";
    else
        colour = "4";
    QByteArray header = "\x1b[1;3" + colour + "m\x1b[4" + colour + "m[\x1b[1;37m" + name +
                        QByteArray(15 - name.size(), ' ') + "\x1b[1;3" + colour + "m]\x1b[0m";
    return header + ' ' + message;
}

} // namespace OrvelTest
