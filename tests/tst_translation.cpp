#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTest>
#include <QTime>
#include <QTranslator>
#include <QXmlStreamReader>
#include <algorithm>
#include <orvel/pool.h>
#include <orvel/todo.h>

using Orvel::Pool;

// The user-visible texts go through Qt's translation: a small German catalogue (data/
// orvel_test_de.ts, compiled by lrelease at build time) replaces the names and phrases it
// translates, the English source texts come back for the others and once it is removed. The
// clock is frozen at Wednesday 14 January 2015 12:00 in Europe/Berlin (tst_translation.cmake).
class TestTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void names_data();
    void names();
    void compositions_data();
    void compositions();
    void readableDates_data();
    void readableDates();
    void catalogueOffersEverySourceText();

private:
    QTranslator m_german;
};

namespace {

// Installs a translator for the lifetime of the guard.
class InstalledTranslator
{
public:
    explicit InstalledTranslator(QTranslator& translator) : m_translator(translator)
    {
        QCoreApplication::installTranslator(&m_translator);
    }
    ~InstalledTranslator() { QCoreApplication::removeTranslator(&m_translator); }
    InstalledTranslator(const InstalledTranslator&) = delete;
    InstalledTranslator& operator=(const InstalledTranslator&) = delete;

private:
    QTranslator& m_translator;
};

QDateTime at(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

QString name(const QString& function, int argument)
{
    if (function == QLatin1String("long month"))
        return Pool::localizedLongMonthName(argument);
    if (function == QLatin1String("short month"))
        return Pool::localizedShortMonthName(argument);
    if (function == QLatin1String("long weekday"))
        return Pool::localizedLongWeekDay(argument);
    if (function == QLatin1String("short weekday"))
        return Pool::localizedShortWeekDay(argument);
    QTest::qFail("unknown name function", __FILE__, __LINE__);
    return QString();
}

QString composition(const QString& function, const QDateTime& dateTime)
{
    if (function == QLatin1String("long date"))
        return Pool::localizedLongDate(dateTime.date());
    if (function == QLatin1String("short date"))
        return Pool::localizedShortDate(dateTime.date());
    if (function == QLatin1String("date time"))
        return Pool::localizedDateTime(dateTime);
    QTest::qFail("unknown composition", __FILE__, __LINE__);
    return QString();
}

QString readableDate(const QDateTime& start, const QDateTime& end)
{
    Orvel::Todo todo(nullptr);
    todo.setStartDate(start);
    todo.setEndDate(end);
    return todo.readableDate();
}

// Every (context, source text) pair of a Qt Linguist catalogue, as "context|source", sorted.
QStringList catalogueEntries(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot open ") + path), __FILE__, __LINE__);
        return QStringList();
    }
    QStringList entries;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            entries << context + QLatin1Char('|') + xml.readElementText();
    }
    if (xml.hasError())
        QTest::qFail(qPrintable(xml.errorString()), __FILE__, __LINE__);
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace

void TestTranslation::initTestCase()
{
    QCOMPARE(QDateTime::currentDateTime(), at(2015, 1, 14, 12, 0));
    QVERIFY2(m_german.load(QStringLiteral(ORVEL_TEST_CATALOGUE)), ORVEL_TEST_CATALOGUE);
}

void TestTranslation::names_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("german");

    QTest::newRow("long month") << "long month" << 3 << "March"
                                << "März";
    QTest::newRow("long May") << "long month" << 5 << "May"
                              << "Mai";
    QTest::newRow("short May, the same source text") << "short month" << 5 << "May"
                                                     << "Mai";
    QTest::newRow("short month") << "short month" << 3 << "Mar"
                                 << "Mär";
    QTest::newRow("untranslated month") << "long month" << 6 << "June"
                                        << "June";
    QTest::newRow("long weekday") << "long weekday" << 1 << "Monday"
                                  << "Montag";
    QTest::newRow("short weekday") << "short weekday" << 7 << "Sun"
                                   << "So";
    QTest::newRow("long name of a translated short weekday") << "long weekday" << 7 << "Sunday"
                                                             << "Sunday";
    QTest::newRow("out of range") << "long month" << 13 << ""
                                  << "";
}

void TestTranslation::names()
{
    QFETCH(QString, function);
    QFETCH(int, argument);
    QFETCH(QString, english);
    QFETCH(QString, german);

    {
        InstalledTranslator installed(m_german);
        QCOMPARE(name(function, argument), german);
    }
    QCOMPARE(name(function, argument), english);
}

void TestTranslation::compositions_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("german");

    QTest::newRow("long date") << "long date" << at(2015, 3, 5, 0, 0) << "2015 Mar 5"
                               << "2015 Mär 5";
    QTest::newRow("short date") << "short date" << at(2015, 1, 20, 0, 0) << "Jan 20"
                                << "Jän 20";
    QTest::newRow("date time on a Sunday")
        << "date time" << at(2015, 3, 1, 8, 5) << "Sun, Mar 1 08:05"
        << "So, Mär 1 08:05";
    QTest::newRow("date time on a Monday")
        << "date time" << at(2015, 1, 5, 9, 7) << "Mon, Jan 5 09:07"
        << "Mo, Jän 5 09:07";
}

void TestTranslation::compositions()
{
    QFETCH(QString, function);
    QFETCH(QDateTime, dateTime);
    QFETCH(QString, english);
    QFETCH(QString, german);

    {
        InstalledTranslator installed(m_german);
        QCOMPARE(composition(function, dateTime), german);
    }
    QCOMPARE(composition(function, dateTime), english);
}

void TestTranslation::readableDates_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QDateTime>("end");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("german");

    QTest::newRow("whole day") << at(2015, 1, 14, 0, 0) << at(2015, 1, 14, 23, 59) << "Today"
                               << "Heute";
    // "Today " is a source text of its own, not "Today" followed by a space.
    QTest::newRow("moment") << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 9, 30) << "Today 09:30"
                            << "Heute um 09:30";
    QTest::newRow("range") << at(2015, 1, 13, 9, 30) << at(2015, 1, 14, 10, 0)
                           << "Yesterday 09:30 - Today 10:00"
                           << "Gestern um 09:30 - Heute um 10:00";
    QTest::newRow("untranslated end label")
        << at(2015, 1, 14, 9, 30) << at(2015, 1, 15, 10, 0) << "Today 09:30 - Tomorrow 10:00"
        << "Heute um 09:30 - Tomorrow 10:00";
    QTest::newRow("untranslated whole day")
        << at(2015, 1, 15, 0, 0) << at(2015, 1, 15, 23, 59) << "Tomorrow"
        << "Tomorrow";
    QTest::newRow("week") << at(2015, 1, 19, 0, 0) << at(2015, 1, 25, 23, 59) << "Next week"
                          << "Nächste Woche";
    QTest::newRow("long month name") << at(2015, 3, 1, 0, 0) << at(2015, 3, 31, 23, 59) << "March"
                                     << "März";
    QTest::newRow("long month name in another year")
        << at(2016, 5, 1, 0, 0) << at(2016, 5, 31, 23, 59) << "2016 May"
        << "2016 Mai";
    QTest::newRow("short month name")
        << at(2015, 1, 20, 0, 0) << at(2015, 1, 20, 23, 59) << "Jan 20."
        << "Jän 20.";
    QTest::newRow("wrong dates") << at(2015, 1, 14, 9, 30) << at(2015, 1, 14, 9, 29)
                                 << "Wrong dates"
                                 << "Falsche Daten";
}

void TestTranslation::readableDates()
{
    QFETCH(QDateTime, start);
    QFETCH(QDateTime, end);
    QFETCH(QString, english);
    QFETCH(QString, german);

    {
        InstalledTranslator installed(m_german);
        QCOMPARE(readableDate(start, end), german);
    }
    QCOMPARE(readableDate(start, end), english);
}

// The catalogue installed for translators must offer exactly the library's user-visible texts,
// in their contexts; regenerate it with the target orvel_update_translations.
void TestTranslation::catalogueOffersEverySourceText()
{
    QStringList expected;
    const char* const poolTexts[] = {
        "January",   "February",  "March",    "April",    "May",      "June",   "July", "August",
        "September", "October",   "November", "December", "Jan",      "Feb",    "Mar",  "Apr",
        "Jun",       "Jul",       "Aug",      "Sep",      "Oct",      "Nov",    "Dec",  "Monday",
        "Tuesday",   "Wednesday", "Thursday", "Friday",   "Saturday", "Sunday", "Mon",  "Tue",
        "Wed",       "Thu",       "Fri",      "Sat",      "Sun"};
    const char* const todoTexts[] = {"Wrong dates", "This month", "Next month", "Last month",
                                     "This week",   "Next week",  "Last week",  "Yesterday",
                                     "Today",       "Tomorrow",   "Yesterday ", "Today ",
                                     "Tomorrow "};
    for (const char* text : poolTexts)
        expected << QStringLiteral("Orvel::Pool|") + QLatin1String(text);
    for (const char* text : todoTexts)
        expected << QStringLiteral("Orvel::Todo|") + QLatin1String(text);
    std::sort(expected.begin(), expected.end());

    QCOMPARE(catalogueEntries(QStringLiteral(ORVEL_TRANSLATION_TEMPLATE)), expected);
}

QTEST_GUILESS_MAIN(TestTranslation)
#include "tst_translation.moc"
