#include "inputreader.h"

#include "console.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace {

const char dateFormat[] = "yyyy-MM-dd";
const char timeFormat[] = "HH:mm";
const char lastWeek[] = "last";
const int lastWeekNumber = 5;
const int weekdayCount = 7;
const int monthDayCount = 28;

QString dateError(const QString& text)
{
    return QStringLiteral("cannot read date %1, expected YYYY-MM-DD[ HH:MM]")
        .arg(Console::quoted(text));
}

// Qt's parsers accept single-digit fields and surrounding space; the command line does not.
bool hasDateShape(const QString& text)
{
    static const QRegularExpression shape(
        QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}( [0-9]{2}:[0-9]{2})?$"));
    return shape.match(text).hasMatch();
}

// A relative day and an optional time: "tomorrow 09:00", "+2w", "fri".
bool splitRelativeDate(const QString& text, QString* day, QString* time)
{
    static const QRegularExpression shape(
        QStringLiteral("^([A-Za-z]+|[+-][0-9]{1,4}[dwDW])( [0-9]{2}:[0-9]{2})?$"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        return false;
    *day = match.captured(1).toLower();
    *time = match.captured(2).mid(1);
    return true;
}

// The weekday of a full or three-letter English name, Monday 1; 0 for another word.
int weekdayNumber(const QString& name)
{
    static const char* const names[] = {"monday", "tuesday",  "wednesday", "thursday",
                                        "friday", "saturday", "sunday"};
    for (int day = 0; day < 7; ++day) {
        const QLatin1String full(names[day]);
        if (name == full || (name.size() == 3 && full.startsWith(name)))
            return day + 1;
    }
    return 0;
}

// The position of a weekday abbreviation, Monday 0; -1 for an unknown name.
int weekdayIndex(const QString& name)
{
    static const QStringList names = {
        QStringLiteral("MON"), QStringLiteral("TUE"), QStringLiteral("WED"), QStringLiteral("THU"),
        QStringLiteral("FRI"), QStringLiteral("SAT"), QStringLiteral("SUN")};
    return names.indexOf(name.trimmed().toUpper());
}

QStringList listItems(const QString& text)
{
    return text.split(QLatin1Char(','), Qt::KeepEmptyParts);
}

} // namespace

QDateTime DateInput::dateTime(const QTime& fallbackTime) const
{
    return QDateTime(date, hasTime ? time : fallbackTime, Qt::UTC);
}

bool InputReader::readDate(const QString& text, DateInput* result, QString* error)
{
    return readDate(text, QDate::currentDate(), result, error);
}

bool InputReader::readDate(const QString& text, const QDate& today, DateInput* result,
                           QString* error)
{
    QString dayText;
    QString timeText;
    if (splitRelativeDate(text, &dayText, &timeText)) {
        QDate day;
        const QTime time = timeText.isEmpty()
                               ? QTime(0, 0)
                               : QTime::fromString(timeText, QLatin1String(timeFormat));
        if (!readRelativeDay(dayText, today, &day) || !time.isValid()) {
            *error = dateError(text);
            return false;
        }
        result->date = day;
        result->time = time;
        result->hasTime = !timeText.isEmpty();
        return true;
    }
    if (!hasDateShape(text)) {
        *error = dateError(text);
        return false;
    }
    const QString datePart = text.left(10);
    const QDate date = QDate::fromString(datePart, QLatin1String(dateFormat));
    const bool hasTime = text.size() > datePart.size();
    const QTime time =
        hasTime ? QTime::fromString(text.mid(11), QLatin1String(timeFormat)) : QTime(0, 0);
    if (!date.isValid() || !time.isValid()) {
        *error = dateError(text);
        return false;
    }
    result->date = date;
    result->time = time;
    result->hasTime = hasTime;
    return true;
}

bool InputReader::readId(const QString& text, int* id, QString* error)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!digits.match(text).hasMatch() || !ok) {
        *error = QStringLiteral("cannot read id %1, expected a number such as 12")
                     .arg(Console::quoted(text));
        return false;
    }
    *id = value;
    return true;
}

bool InputReader::readCount(const QString& text, const QString& option, int* count, QString* error)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!digits.match(text).hasMatch() || !ok || value < 1) {
        *error = QStringLiteral("cannot read %1 for --%2, expected a whole number of 1 or more")
                     .arg(Console::quoted(text), option);
        return false;
    }
    *count = value;
    return true;
}

bool InputReader::readDates(const QStringList& texts, QList<DateInput>* dates, QString* error)
{
    for (const QString& text : texts) {
        DateInput date;
        if (!readDate(text, &date, error))
            return false;
        dates->append(date);
    }
    return true;
}

bool InputReader::readFieldAssignments(const QStringList& texts,
                                       QList<QPair<QString, QString>>* assignments, QString* error)
{
    for (const QString& text : texts) {
        QString type;
        QString value;
        if (!readFieldAssignment(text, &type, &value, error))
            return false;
        assignments->append(qMakePair(type, value));
    }
    return true;
}

bool InputReader::readFieldAssignment(const QString& text, QString* type, QString* value,
                                      QString* error)
{
    const int separator = text.indexOf(QLatin1Char('='));
    if (separator <= 0) {
        *error =
            QStringLiteral("cannot read field %1, expected TYPE=VALUE").arg(Console::quoted(text));
        return false;
    }
    *type = text.left(separator);
    *value = text.mid(separator + 1);
    return true;
}

bool InputReader::readWeekdays(const QString& text, QString* flags, QString* error)
{
    QString chosen(weekdayCount, QLatin1Char('0'));
    for (const QString& name : listItems(text)) {
        const int index = weekdayIndex(name);
        if (index < 0) {
            *error = QStringLiteral("cannot read weekdays %1, expected names such as MON,WED")
                         .arg(Console::quoted(text));
            return false;
        }
        chosen[index] = QLatin1Char('1');
    }
    *flags = chosen;
    return true;
}

bool InputReader::readMonthDays(const QString& text, QString* flags, QString* error)
{
    QString chosen(monthDayCount, QLatin1Char('0'));
    for (const QString& item : listItems(text)) {
        bool ok = false;
        const int day = item.trimmed().toInt(&ok, 10);
        if (!ok || day < 1 || day > monthDayCount) {
            *error = QStringLiteral("cannot read days %1, expected days from 1 to 28 such as 1,15")
                         .arg(Console::quoted(text));
            return false;
        }
        chosen[day - 1] = QLatin1Char('1');
    }
    *flags = chosen;
    return true;
}

bool InputReader::readMonthWeek(const QString& text, int* week, QString* error)
{
    if (text.compare(QLatin1String(lastWeek), Qt::CaseInsensitive) == 0) {
        *week = lastWeekNumber;
        return true;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 1 || value > 4) {
        *error = QStringLiteral("cannot read week %1, expected 1 to 4 or last")
                     .arg(Console::quoted(text));
        return false;
    }
    *week = value;
    return true;
}

bool InputReader::readNote(const QString& text, QString* error)
{
    if (!text.trimmed().isEmpty())
        return true;
    *error = QStringLiteral("the note is empty; give the text of the todo");
    return false;
}

bool InputReader::readFile(const QString& path, QByteArray* bytes, QString* error)
{
    QFile file(path);
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : file.open(QIODevice::ReadOnly);
    if (opened)
        *bytes = file.readAll();
    if (!opened || file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("%1: %2").arg(sourceName(path), file.errorString());
        return false;
    }
    return true;
}

QString InputReader::sourceName(const QString& path)
{
    return path == QLatin1String("-") ? QStringLiteral("standard input") : Console::quoted(path);
}

bool InputReader::readNoteFile(const QString& path, QString* note, QString* error)
{
    QByteArray bytes;
    QString cause;
    if (!readFile(path, &bytes, &cause)) {
        *error = QStringLiteral("cannot read the note from ") + cause;
        return false;
    }
    QString text = QString::fromUtf8(bytes);
    // A file written by an editor ends in a line feed that is no part of the text.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    *note = text;
    return readNote(text, error);
}

bool InputReader::readRelativeDay(const QString& text, const QDate& today, QDate* day)
{
    if (text == QLatin1String("today") || text == QLatin1String("tomorrow") ||
        text == QLatin1String("yesterday")) {
        const int shift = text == QLatin1String("today")      ? 0
                          : text.startsWith(QLatin1Char('t')) ? 1
                                                              : -1;
        *day = today.addDays(shift);
        return true;
    }
    const int weekday = weekdayNumber(text);
    if (weekday > 0) {
        *day = today.addDays((weekday - today.dayOfWeek() + 7) % 7);
        return true;
    }
    if (!text.startsWith(QLatin1Char('+')) && !text.startsWith(QLatin1Char('-')))
        return false;
    const int count = text.mid(1, text.size() - 2).toInt();
    const int sign = text.startsWith(QLatin1Char('-')) ? -1 : 1;
    const int daysPerUnit = text.endsWith(QLatin1Char('w')) ? 7 : 1;
    *day = today.addDays(qint64(sign) * count * daysPerUnit);
    return day->isValid();
}
