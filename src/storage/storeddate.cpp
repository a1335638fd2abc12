#include "storeddate.h"

namespace Orvel::StoredDate {

namespace {

const char storedDateFormat[] = "yyyy-MM-dd HH:mm:ss.zzz";

// The layout that toText() writes: 23 characters, separators at fixed positions.
const int storedDateLength = 23;
const int storedDateLengthWithoutFraction = 19;

// Writes value as exactly width decimal digits, zero-padded.
QChar* writeDigits(QChar* out, int value, int width)
{
    for (int position = width - 1; position >= 0; --position) {
        out[position] = QChar(u'0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// Reads width decimal digits at position; -1 when one of them is not a digit.
int readDigits(const QString& text, int position, int width)
{
    int value = 0;
    for (int offset = 0; offset < width; ++offset) {
        const char16_t digit = text.at(position + offset).unicode();
        if (digit < u'0' || digit > u'9')
            return -1;
        value = value * 10 + (digit - u'0');
    }
    return value;
}

bool separatorsMatch(const QString& text)
{
    return text.at(4) == u'-' && text.at(7) == u'-' && text.at(13) == u':' && text.at(16) == u':' &&
           (text.size() == storedDateLengthWithoutFraction || text.at(19) == u'.');
}

// Parses the exact layout that toText() writes without going through local time, which is
// both much faster on large loads and independent of the device's daylight-saving gaps. An
// invalid result means "not this layout"; the caller then falls back to Qt's own parsing.
QDateTime parseStoredLayout(const QString& text)
{
    if (text.size() != storedDateLength && text.size() != storedDateLengthWithoutFraction)
        return QDateTime();
    if (!separatorsMatch(text))
        return QDateTime();
    const int year = readDigits(text, 0, 4);
    const int month = readDigits(text, 5, 2);
    const int day = readDigits(text, 8, 2);
    const int hour = readDigits(text, 11, 2);
    const int minute = readDigits(text, 14, 2);
    const int second = readDigits(text, 17, 2);
    const int msec = text.size() == storedDateLength ? readDigits(text, 20, 3) : 0;
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || msec < 0)
        return QDateTime();
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, msec);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

} // namespace

QString toText(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return QString();
    int year = 0;
    int month = 0;
    int day = 0;
    dateTime.date().getDate(&year, &month, &day);
    if (year < 0 || year > 9999)
        return dateTime.toString(QLatin1String(storedDateFormat));
    const QTime time = dateTime.time();
    // Hand-formatted: QDateTime::toString() re-parses its format on every call, which shows
    // when a hundred thousand records are written in one pass.
    QString text(storedDateLength, Qt::Uninitialized);
    QChar* out = text.data();
    out = writeDigits(out, year, 4);
    *out++ = u'-';
    out = writeDigits(out, month, 2);
    *out++ = u'-';
    out = writeDigits(out, day, 2);
    *out++ = u' ';
    out = writeDigits(out, time.hour(), 2);
    *out++ = u':';
    out = writeDigits(out, time.minute(), 2);
    *out++ = u':';
    out = writeDigits(out, time.second(), 2);
    *out++ = u'.';
    writeDigits(out, time.msec(), 3);
    return text;
}

QDateTime fromColumn(const QVariant& column)
{
    QDateTime dateTime = parseStoredLayout(column.toString());
    if (dateTime.isValid())
        return dateTime;
    dateTime = column.toDateTime();
    dateTime.setTimeSpec(Qt::UTC);
    return dateTime;
}

} // namespace Orvel::StoredDate
