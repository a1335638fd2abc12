#include "todozone.h"

#include "console.h"
#include "inputreader.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

const int secondsPerMinute = 60;
const int secondsPerHour = 3600;
const int secondsPerDay = 86400;
// UTC offsets in use run from -12:00 to +14:00.
const int smallestOffset = -12 * secondsPerHour;
const int largestOffset = 14 * secondsPerHour;
const char wallClockFormat[] = "yyyy-MM-dd HH:mm";

// The offset in seconds of "+HH:MM" or "-HH:MM"; false for any other text.
bool readOffset(const QString& text, int* seconds)
{
    static const QRegularExpression shape(QStringLiteral("^([+-])([0-9]{2}):([0-9]{2})$"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch() || match.captured(3).toInt() > 59)
        return false;
    const int magnitude =
        match.captured(2).toInt() * secondsPerHour + match.captured(3).toInt() * secondsPerMinute;
    *seconds = match.captured(1) == QLatin1String("-") ? -magnitude : magnitude;
    return true;
}

} // namespace

TodoZone::TodoZone() : m_kind(Device), m_fixedOffset(0) {}

bool TodoZone::read(const QString& text, TodoZone* zone, QString* error)
{
    int offset = 0;
    if (readOffset(text, &offset) && offset >= smallestOffset && offset <= largestOffset) {
        zone->m_kind = Fixed;
        zone->m_fixedOffset = offset;
        return true;
    }
    const bool looksLikeName = !text.isEmpty() && text.at(0).isLetter();
    if (looksLikeName && QTimeZone::isTimeZoneIdAvailable(text.toUtf8())) {
        zone->m_kind = Named;
        zone->m_zone = QTimeZone(text.toUtf8());
        return true;
    }
    *error = looksLikeName ? QStringLiteral("unknown time zone %1, expected a zone name such as "
                                            "Europe/Berlin or an offset +HH:MM or -HH:MM")
                                 .arg(Console::quoted(text))
                           : QStringLiteral("cannot read time zone %1, expected +HH:MM or -HH:MM")
                                 .arg(Console::quoted(text));
    return false;
}

TodoZone TodoZone::fixedOffset(const QString& offsetText)
{
    TodoZone zone;
    int offset = 0;
    if (readOffset(offsetText, &offset)) {
        zone.m_kind = Fixed;
        zone.m_fixedOffset = offset;
    }
    return zone;
}

DateInput TodoZone::wallClockAt(const QDateTime& utc, const QString& offset)
{
    int seconds = 0;
    readOffset(offset, &seconds);
    const QDateTime digits = utc.toUTC().addSecs(seconds);
    DateInput input;
    input.date = digits.date();
    input.time = digits.time();
    input.hasTime = true;
    return input;
}

QString TodoZone::offsetText(int offsetSeconds)
{
    const int minutes = qAbs(offsetSeconds) / secondsPerMinute;
    return QStringLiteral("%1%2:%3")
        .arg(offsetSeconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

bool TodoZone::toUtc(const DateInput& input, const QTime& fallbackTime, QDateTime* utc,
                     QString* error) const
{
    // The typed digits labelled UTC: no zone rule of the device can make this value invalid,
    // as a local time that the device's clock skips would be.
    const QDateTime digits(input.date, input.hasTime ? input.time : fallbackTime, Qt::UTC);
    if (m_kind == Fixed) {
        *utc = digits.addSecs(-m_fixedOffset);
        return true;
    }
    // The offsets in force a day before and a day after cover any clock change near the time;
    // a reading exists when the zone has that offset at the instant it gives. Of two readings
    // (the hour repeated when clocks go back) the earlier one is taken.
    int candidates[] = {offsetSecondsAt(digits.addSecs(-secondsPerDay)),
                        offsetSecondsAt(digits.addSecs(secondsPerDay))};
    std::sort(std::begin(candidates), std::end(candidates), std::greater<int>());
    for (const int offset : candidates) {
        const QDateTime instant = digits.addSecs(-offset);
        if (offsetSecondsAt(instant) == offset) {
            *utc = instant;
            return true;
        }
    }
    *error = QStringLiteral("the time %1 does not exist in %2: the clocks skip it when they go "
                            "forward; give a time before or after the change")
                 .arg(digits.toString(QLatin1String(wallClockFormat)), name());
    return false;
}

bool TodoZone::toUtcAtOffset(const DateInput& input, const QTime& fallbackTime,
                             const QString& offset, QDateTime* utc, QString* error) const
{
    QDateTime unused;
    return toUtc(input, fallbackTime, &unused, error) &&
           fixedOffset(offset).toUtc(input, fallbackTime, utc, error);
}

QString TodoZone::offsetAt(const QDateTime& utc) const
{
    return offsetText(offsetSecondsAt(utc));
}

QString TodoZone::name() const
{
    switch (m_kind) {
    case Fixed:
        return offsetText(m_fixedOffset);
    case Named:
        return QString::fromUtf8(m_zone.id());
    case Device:
        break;
    }
    const QByteArray id = QTimeZone::systemTimeZoneId();
    return id.isEmpty() ? QStringLiteral("the local time zone") : QString::fromUtf8(id);
}

int TodoZone::offsetSecondsAt(const QDateTime& utc) const
{
    switch (m_kind) {
    case Fixed:
        return m_fixedOffset;
    case Named:
        return m_zone.offsetFromUtc(utc);
    case Device:
        break;
    }
    // The C library's rules for TZ, which are the ones the device's clock shows.
    return utc.toLocalTime().offsetFromUtc();
}
