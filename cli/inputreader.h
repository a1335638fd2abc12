#ifndef ORVEL_CLI_INPUTREADER_H
#define ORVEL_CLI_INPUTREADER_H

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTime>

// A date typed on the command line, with or without a time of day.
struct DateInput
{
    QDate date;
    QTime time;
    bool hasTime = false;

    // The typed digits, with fallbackTime when no time was typed. They are labelled UTC, which
    // no zone rule can make invalid; the value serves for comparing typed dates only.
    QDateTime dateTime(const QTime& fallbackTime) const;
};

// Strict readers of the values typed on the command line. Each returns false and leaves a
// message in error when the text does not have the expected form.
class InputReader
{
public:
    // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM", of a date and time that exist, or a date relative to
    // today: "today", "tomorrow", "yesterday", a weekday name (the next such day, today
    // included), "+3d", "-1w", each optionally followed by " HH:MM".
    static bool readDate(const QString& text, DateInput* result, QString* error);
    // The same with the day that "today" means given.
    static bool readDate(const QString& text, const QDate& today, DateInput* result,
                         QString* error);
    // A record identifier: decimal digits only.
    static bool readId(const QString& text, int* id, QString* error);
    // A whole number of 1 or more, given for the named option.
    static bool readCount(const QString& text, const QString& option, int* count, QString* error);
    // TYPE=VALUE with a non-empty type name.
    static bool readFieldAssignment(const QString& text, QString* type, QString* value,
                                    QString* error);
    // Every text of a repeated option, each read as readDate() or readFieldAssignment() reads it,
    // appended in order.
    static bool readDates(const QStringList& texts, QList<DateInput>* dates, QString* error);
    static bool readFieldAssignments(const QStringList& texts,
                                     QList<QPair<QString, QString>>* assignments, QString* error);
    // Weekday names such as MON,WED as seven flags, Monday first.
    static bool readWeekdays(const QString& text, QString* flags, QString* error);
    // Days of the month such as 1,15 as 28 flags, day 1 first.
    static bool readMonthDays(const QString& text, QString* flags, QString* error);
    // A week of the month: 1 to 4 or "last" (5).
    static bool readMonthWeek(const QString& text, int* week, QString* error);
    // The text of a note: not empty and not only white space.
    static bool readNote(const QString& text, QString* error);
    // A note kept in a file, or on standard input for "-"; one final line feed is dropped.
    static bool readNoteFile(const QString& path, QString* note, QString* error);
    // The bytes of a file, or of standard input for "-"; on failure the error names the source
    // and the cause ("'notes.txt': No such file or directory").
    static bool readFile(const QString& path, QByteArray* bytes, QString* error);
    // How messages name a path given on the command line: "standard input" for "-".
    static QString sourceName(const QString& path);

private:
    static bool readRelativeDay(const QString& text, const QDate& today, QDate* day);
};

#endif
