#ifndef ORVEL_CLI_TODOZONE_H
#define ORVEL_CLI_TODOZONE_H

#include <QDateTime>
#include <QString>
#include <QTimeZone>

struct DateInput;

// The zone in which the dates typed for a todo are read: the device's zone (the default), a
// named zone such as Europe/Berlin, or a fixed offset such as +05:30. A todo itself keeps only an
// offset; for the first two that is the zone's offset at the todo's start. Wall-clock times that a
// zone skips when its clocks go forward are refused rather than guessed at.
class TodoZone
{
public:
    // The device's zone.
    TodoZone();

    // "+HH:MM" or "-HH:MM" from -12:00 to +14:00, or an IANA zone name.
    static bool read(const QString& text, TodoZone* zone, QString* error);
    // A fixed offset written as a todo keeps it, "+HH:MM".
    static TodoZone fixedOffset(const QString& offsetText);
    // The wall-clock reading of a UTC instant at a fixed offset "+HH:MM", with its time.
    static DateInput wallClockAt(const QDateTime& utc, const QString& offset);
    // An offset in seconds as "+HH:MM".
    static QString offsetText(int offsetSeconds);

    // The UTC instant of a typed date, with fallbackTime when it has no time of day; false with
    // a message when that wall-clock time does not exist in the zone.
    bool toUtc(const DateInput& input, const QTime& fallbackTime, QDateTime* utc,
               QString* error) const;
    // The UTC instant of a typed date read at a todo's fixed offset, after checking that the
    // wall-clock time exists in this zone (the one the user lives in).
    bool toUtcAtOffset(const DateInput& input, const QTime& fallbackTime, const QString& offset,
                       QDateTime* utc, QString* error) const;
    // The offset of the zone at a UTC instant, as "+HH:MM".
    QString offsetAt(const QDateTime& utc) const;
    // The zone as the user would name it.
    QString name() const;

private:
    enum Kind { Device, Named, Fixed };

    int offsetSecondsAt(const QDateTime& utc) const;

    Kind m_kind;
    QTimeZone m_zone;
    int m_fixedOffset;
};

#endif
