#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtGlobal>
#include <climits>
#include <ctime>

namespace OrvelFuzz {

namespace {

// The Julian days QDate can hold; far outside what QDateTime can, which is part of the point.
const qint64 firstJulianDay = -784350574879;
const qint64 lastJulianDay = 784354017364;
const qint64 julianDayOfYear1 = 1721426;
const qint64 julianDayOfYear9999End = 5373484;
const int millisecondsPerDay = 86400000;

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

qint64 anyJulianDay(FuzzedDataProvider& data)
{
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return data.ConsumeIntegralInRange(firstJulianDay, lastJulianDay);
    case 1:
        return data.ConsumeIntegralInRange(julianDayOfYear1, julianDayOfYear9999End);
    default:
        // Around 2015, where the interesting calendar cases are as good as anywhere.
        return data.ConsumeIntegralInRange<qint64>(2456000, 2459000);
    }
}

} // namespace

} // namespace OrvelFuzz

// libFuzzer calls this once before the first input. Every target gets the same set-up: a Qt
// application object (the SQLite driver is a plugin), a private HOME, the schema directory of
// this source tree, a device zone with daylight saving, and a message handler that drops the
// library's diagnostics, which would otherwise dominate the run time.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("ORVEL_SCHEMA_DIR", QByteArray(ORVEL_FUZZ_SCHEMA_DIR));
    if (qEnvironmentVariableIsEmpty("TZ")) {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
    qInstallMessageHandler(OrvelFuzz::dropMessage);
    static QCoreApplication application(*argc, *argv);
    return 0;
}

namespace OrvelFuzz {

int anyInt(FuzzedDataProvider& data)
{
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return data.ConsumeIntegral<int>();
    case 1:
        return data.ConsumeBool() ? INT_MAX - data.ConsumeIntegralInRange(0, 8)
                                  : INT_MIN + data.ConsumeIntegralInRange(0, 8);
    default:
        return data.ConsumeIntegralInRange(-3, 60);
    }
}

QDateTime anyDateTime(FuzzedDataProvider& data)
{
    if (data.ConsumeIntegralInRange(0, 15) == 0)
        return QDateTime();
    const QDate date = QDate::fromJulianDay(anyJulianDay(data));
    const QTime time =
        QTime::fromMSecsSinceStartOfDay(data.ConsumeIntegralInRange(0, millisecondsPerDay - 1));
    return QDateTime(date, time, data.ConsumeBool() ? Qt::UTC : Qt::LocalTime);
}

QDateTime dateTimeNear(FuzzedDataProvider& data, const QDate& around, int days)
{
    const QDate date = around.addDays(data.ConsumeIntegralInRange(-days, days));
    const QTime time =
        QTime::fromMSecsSinceStartOfDay(data.ConsumeIntegralInRange(0, millisecondsPerDay - 1));
    return QDateTime(date, time, Qt::LocalTime);
}

QString zoneString(FuzzedDataProvider& data)
{
    if (data.ConsumeIntegralInRange(0, 7) == 0)
        return text(data, 8);
    const char sign = data.ConsumeBool() ? '+' : '-';
    const int hours = data.ConsumeIntegralInRange(0, 99);
    const int minutes = data.ConsumeIntegralInRange(0, 99);
    return QString::asprintf("%c%02d:%02d", sign, hours, minutes);
}

QString repeatsOnPattern(FuzzedDataProvider& data)
{
    static const int lengths[] = {7, 14, 29};
    const int choice = data.ConsumeIntegralInRange(0, 3);
    const int length = choice < 3 ? lengths[choice] : data.ConsumeIntegralInRange(0, 32);
    const bool anyCharacters = data.ConsumeIntegralInRange(0, 7) == 0;
    QString pattern;
    for (int position = 0; position < length; ++position) {
        if (anyCharacters)
            pattern += QChar(data.ConsumeIntegralInRange<char16_t>(u'.', u'2'));
        else
            pattern += data.ConsumeBool() ? QLatin1Char('1') : QLatin1Char('0');
    }
    return pattern;
}

QString text(FuzzedDataProvider& data, size_t maxLength)
{
    return QString::fromStdString(data.ConsumeRandomLengthString(maxLength));
}

} // namespace OrvelFuzz
