// What users read: readable dates, format strings, month and weekday names and their
// translation. The clock is frozen at Wednesday 14 January 2015 12:00 in Europe/Berlin (+01:00),
// see tst_dates.cmake; the expected phrases were worked out with a calendar. A small German
// catalogue (data/orvel_test_de.ts, compiled by lrelease at build time) stands for a translation.
#include "loghandler.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimeZone>
#include <QTranslator>
#include <climits>
#include <ctime>
#include <functional>
#include <memory>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/todo.h>

using Orvel::Pool;

namespace {

QDateTime at(const char* text)
{
    return QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString readableDateOf(const QString& zone, const QDateTime& start, const QDateTime& end)
{
    Orvel::Todo todo(nullptr);
    if (!zone.isEmpty())
        todo.setTimeZone(zone);
    todo.setStartDate(start);
    todo.setEndDate(end);
    return todo.readableDate();
}

// What a translation row reads: a name, a composition or a readable date.
using TextOf = std::function<QString()>;

} // namespace

Q_DECLARE_METATYPE(TextOf)

class TestDates : public QObject
{
    Q_OBJECT

private:
    QTranslator m_german;

private Q_SLOTS:
    void initTestCase()
    {
        // Every expected phrase depends on this clock and on the device's offset.
        QCOMPARE(QDateTime::currentDateTime(), at("2015-01-14 12:00:00"));
        QCOMPARE(QDateTime::currentDateTime().offsetFromUtc(), 3600);
        QVERIFY2(m_german.load(QStringLiteral(ORVEL_TEST_CATALOGUE)), ORVEL_TEST_CATALOGUE);
    }

    void readableDate_data()
    {
        QTest::addColumn<QString>("zone"); // empty: the todo keeps the device's zone
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* zone, const char* start, const char* end,
                            const char* expected) {
            const QByteArray name =
                QByteArray(expected) + (*zone ? QByteArray(" in ") + zone : QByteArray());
            QTest::newRow(name.constData())
                << QString::fromLatin1(zone) << at(start) << at(end) << expected;
        };
        // Whole months, weeks (Monday to Sunday) and days
        row("", "2015-01-01 00:00:00", "2015-01-31 23:59:00", "This month");
        row("", "2015-02-01 00:00:00", "2015-02-28 23:59:00", "Next month");
        row("", "2014-12-01 00:00:00", "2014-12-31 23:59:00", "Last month");
        row("", "2015-03-01 00:00:00", "2015-03-31 23:59:00", "March");
        row("", "2016-02-01 00:00:00", "2016-02-29 23:59:00", "2016 February");
        row("", "2015-02-01 00:00:00", "2015-02-27 23:59:00", "Feb 1.  - 27. ");
        row("", "2015-01-12 00:00:00", "2015-01-18 23:59:00", "This week");
        row("", "2015-01-19 00:00:00", "2015-01-25 23:59:00", "Next week");
        row("", "2015-02-02 00:00:00", "2015-02-08 23:59:00", "Week 6");
        row("", "2014-12-29 00:00:00", "2015-01-04 23:59:00", "2014 Week 1");
        row("", "2015-01-13 00:00:00", "2015-01-19 23:59:00", "Yesterday  - 19. ");
        row("", "2015-01-14 00:00:00", "2015-01-14 23:59:00", "Today");
        row("", "2015-01-15 00:00:00", "2015-01-15 23:59:00", "Tomorrow");
        row("", "2015-01-20 00:00:00", "2015-01-20 23:59:00", "Jan 20.");
        row("", "2014-12-31 00:00:00", "2014-12-31 23:59:00", "2014 Dec 31.");
        // Moments and ranges
        row("", "2015-01-14 00:00:00", "2015-01-14 00:00:00", "Today 00:00");
        row("", "2016-03-03 07:05:00", "2016-03-03 07:05:00", "2016 Mar 3. 07:05");
        row("", "2015-01-14 09:30:00", "2015-01-14 09:30:45", "Today 09:30");
        row("", "2015-01-14 09:30:10", "2015-01-14 09:31:00", "Today 09:30 - 09:31");
        row("", "2015-01-13 09:30:00", "2015-01-13 23:59:00", "Yesterday 09:30 - Yesterday ");
        row("", "2015-01-20 09:30:00", "2015-01-20 23:59:00", "Jan 20. 09:30 - 20. ");
        row("", "2015-01-14 09:30:00", "2015-01-16 10:00:00", "Today 09:30 - 16. 10:00");
        row("", "2015-01-13 10:00:00", "2015-01-15 11:00:00", "Yesterday 10:00 - Tomorrow 11:00");
        row("", "2015-01-14 00:00:00", "2015-01-15 23:59:00", "Today  - Tomorrow ");
        row("", "2015-01-30 10:00:00", "2015-02-02 11:00:00", "Jan 30. 10:00 - Feb 2. 11:00");
        row("", "2014-12-31 22:00:00", "2015-01-01 02:00:00",
            "2014 Dec 31. 22:00 - 2015 Jan 1. 02:00");
        row("", "2016-03-30 08:00:00", "2016-04-02 09:15:00", "2016 Mar 30. 08:00 - Apr 2. 09:15");
        row("+05:00", "2015-01-14 09:30:00", "2015-01-14 09:29:00", "Wrong dates");
        // The todo's own zone
        row("+01:00", "2015-01-15 00:00:00", "2015-01-15 23:59:00", "Tomorrow");
        row("+05:00", "2015-01-12 00:00:00", "2015-01-18 23:59:00", "This week +05:00");
        row("-03:30", "2015-01-14 09:30:00", "2015-01-14 10:00:00", "Today 09:30 - 10:00 -03:30");
        row("+02:00", "2015-07-01 00:00:00", "2015-07-31 23:59:00", "July +02:00");
        row("+00:00", "2015-01-14 09:30:00", "2015-01-14 09:30:00", "Today 09:30 +00:00");
    }

    void readableDate()
    {
        QFETCH(QString, zone);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, end);
        QFETCH(QString, expected);
        OrvelTest::LogCapture log;
        QCOMPARE(readableDateOf(zone, start, end), expected);
        QCOMPARE(log.lines().size(), 0);
    }

    // The device's zone is read anew on every call: a todo in +01:00 is shown without a suffix in
    // Berlin, with one once the device has moved to Kathmandu (+05:45), and without again after.
    void zoneSuffixFollowsTheDeviceZone()
    {
        Orvel::Todo todo(nullptr);
        todo.setTimeZone(QStringLiteral("+01:00"));
        todo.setStartDate(at("2015-01-14 00:00:00"));
        todo.setEndDate(at("2015-01-14 23:59:00"));
        qputenv("TZ", "Asia/Kathmandu");
        tzset();
        const QString inKathmandu = todo.readableDate();
        qputenv("TZ", "Europe/Berlin");
        tzset();
        QCOMPARE(inKathmandu, QStringLiteral("Today +01:00"));
        QCOMPARE(todo.readableDate(), QStringLiteral("Today"));
    }

    void formatString_data()
    {
        QTest::addColumn<QString>("formatString");
        QTest::addColumn<QString>("expected");
        // The todo's readable date is "Today"; its fields, in list order: type 7 "first", type 8
        // "other", type 7 "second", no type object but field_type_id 9 "loose", and -5 "minus
        // five".
        const auto row = [](const char* name, const char* formatString, const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(formatString) << QString::fromUtf8(expected);
        };
        row("without placeholders, spaces kept", "  a  b   c ", "  a  b   c ");
        row("percents that are no placeholders", "save 50%% now %x% %-% %7 %",
            "save 50%% now %x% %-% %7 %");
        row("date among words", "Due %-1% please", "Due Today please");
        row("date with attached text", "(%-1%),", "Today");
        row("fields of a type in turn, then empty", "%7% %8% %7% %8% %7% end",
            "first other second   end");
        row("leading zeros", "%007%", "first");
        row("field without type object", "%9% is %-5%", "loose is minus five");
        row("missing type", "x %42% y %-2%", "x  y ");
        row("second placeholder in a word is dropped", "%7%%8% %8%", "first other");
        row("first match of a word decides", "%x%%-1%%7%", "Today");
        row("fields and date mixed", "%7%: %-1%  (%9%) %7%  tail  ",
            "first Today  loose second  tail  ");
    }

    void formatString()
    {
        QFETCH(QString, formatString);
        QFETCH(QString, expected);
        Orvel::FieldType seven(nullptr);
        seven.id = 7;
        Orvel::FieldType eight(nullptr);
        eight.id = 8;
        auto todo = std::make_unique<Orvel::Todo>(nullptr);
        todo->setStartDate(at("2015-01-14 00:00:00"));
        todo->setEndDate(at("2015-01-14 23:59:00"));
        const std::pair<Orvel::FieldType*, int> types[] = {
            {&seven, 0}, {&eight, 0}, {&seven, 0}, {nullptr, 9}, {nullptr, -5}};
        const char* values[] = {"first", "other", "second", "loose", "minus five"};
        for (int i = 0; i < 5; ++i) {
            auto* field = new Orvel::Field(nullptr);
            field->setValue(QLatin1String(values[i]));
            if (types[i].first)
                field->setFieldType(types[i].first);
            else
                field->field_type_id = types[i].second;
            field->setTodo(todo.get());
        }
        todo->format_string = formatString;
        QCOMPARE(todo->readableFormatString(), expected);
        // The expansion has no state left over from a previous call.
        QCOMPARE(todo->readableFormatString(), expected);
    }

    // The names and compositions work without a translator and without any Pool instance.
    void localizedNames()
    {
        QCOMPARE(Pool::localizedLongMonthName(9), QStringLiteral("September"));
        QCOMPARE(Pool::localizedShortMonthName(12), QStringLiteral("Dec"));
        QCOMPARE(Pool::localizedLongWeekDay(3), QStringLiteral("Wednesday"));
        QCOMPARE(Pool::localizedShortWeekDay(6), QStringLiteral("Sat"));
        for (int outOfRange : {0, 13, -1, INT_MIN, INT_MAX}) {
            QCOMPARE(Pool::localizedLongMonthName(outOfRange), QString());
            QCOMPARE(Pool::localizedShortMonthName(outOfRange), QString());
        }
        for (int outOfRange : {0, 8, -7}) {
            QCOMPARE(Pool::localizedLongWeekDay(outOfRange), QString());
            QCOMPARE(Pool::localizedShortWeekDay(outOfRange), QString());
        }
        QCOMPARE(Pool::localizedLongDate(QDate(987, 9, 1)), QStringLiteral("987 Sep 1"));
        QCOMPARE(Pool::localizedShortDate(QDate(2016, 2, 29)), QStringLiteral("Feb 29"));
        QCOMPARE(Pool::localizedDateTime(QDateTime(QDate(2016, 12, 31), QTime(23, 59, 59, 999))),
                 QStringLiteral("Sat, Dec 31 23:59"));
        // This instant is already Tuesday 00:30 in Berlin: the value is shown as it is labelled.
        QCOMPARE(Pool::localizedDateTime(QDateTime(QDate(2015, 1, 5), QTime(23, 30), Qt::UTC)),
                 QStringLiteral("Mon, Jan 5 23:30"));
        QCOMPARE(Pool::localizedDateTime(
                     QDateTime(QDate(2015, 6, 2), QTime(4, 15), QTimeZone(-5 * 3600))),
                 QStringLiteral("Tue, Jun 2 04:15"));
    }

    void translation_data()
    {
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("german");
        QTest::addColumn<TextOf>("text");
        const auto row = [](const char* name, const char* english, const char* german,
                            const TextOf& text) {
            QTest::newRow(name) << QString::fromUtf8(english) << QString::fromUtf8(german) << text;
        };
        const auto readable = [](const char* start, const char* end) {
            return TextOf([=] { return readableDateOf(QString(), at(start), at(end)); });
        };
        row("short May, the same source text as the long name", "May", "Mai",
            [] { return Pool::localizedShortMonthName(5); });
        row("untranslated name", "June", "June", [] { return Pool::localizedLongMonthName(6); });
        row("date time on a Monday", "Mon, Jan 5 09:07", "Mo, Jän 5 09:07",
            [] { return Pool::localizedDateTime(at("2015-01-05 09:07:00")); });
        // "Today " is a source text of its own, not "Today" followed by a space.
        row("range", "Yesterday 09:30 - Today 10:00", "Gestern um 09:30 - Heute um 10:00",
            readable("2015-01-13 09:30:00", "2015-01-14 10:00:00"));
        row("untranslated end label", "Today 09:30 - Tomorrow 10:00",
            "Heute um 09:30 - Tomorrow 10:00",
            readable("2015-01-14 09:30:00", "2015-01-15 10:00:00"));
        row("long month name in another year", "2016 May", "2016 Mai",
            readable("2016-05-01 00:00:00", "2016-05-31 23:59:00"));
        row("wrong dates", "Wrong dates", "Falsche Daten",
            readable("2015-01-14 09:30:00", "2015-01-14 09:29:00"));
    }

    void translation()
    {
        QFETCH(QString, english);
        QFETCH(QString, german);
        QFETCH(TextOf, text);
        QCoreApplication::installTranslator(&m_german);
        const QString translated = text();
        QCoreApplication::removeTranslator(&m_german);
        QCOMPARE(translated, german);
        QCOMPARE(text(), english);
    }
};

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"
