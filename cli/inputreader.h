#ifndef ORVEL_CLI_INPUTREADER_H
#define ORVEL_CLI_INPUTREADER_H

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// A date typed on the command line, with or without a time of day.
struct DateInput
{
    QDate date;
    QTime time;
    bool hasTime = false;

    // The wall-clock date-time, with fallbackTime when no time was typed.
    QDateTime dateTime(const QTime& fallbackTime) const;
};

// Strict readers of the values typed on the command line. Each returns false and leaves a
// message in error when the text does not have the expected form.
class InputReader
{
public:
    // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM", of a date and time that exist.
    static bool readDate(const QString& text, DateInput* result, QString* error);
    // A record identifier: decimal digits only.
    static bool readId(const QString& text, int* id, QString* error);
    // A whole number of 1 or more, given for the named option.
    static bool readCount(const QString& text, const QString& option, int* count, QString* error);
    // A zone string such as +02:00 or -05:30.
    static bool readTimeZone(const QString& text, QString* error);
    // TYPE=VALUE with a non-empty type name.
    static bool readFieldAssignment(const QString& text, QString* type, QString* value,
                                    QString* error);
    // Weekday names such as MON,WED as seven flags, Monday first.
    static bool readWeekdays(const QString& text, QString* flags, QString* error);
    // Days of the month such as 1,15 as 28 flags, day 1 first.
    static bool readMonthDays(const QString& text, QString* flags, QString* error);
    // A week of the month: 1 to 4 or "last" (5).
    static bool readMonthWeek(const QString& text, int* week, QString* error);
};

#endif
