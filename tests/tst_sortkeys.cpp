#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <QTranslator>
#include <algorithm>
#include <ctime>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/query.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

// libfaketime re-reads the file at every reading of the clock.
void setClock(const char* timestamp)
{
    QFile clock(QStringLiteral(ORVEL_TEST_CLOCK_FILE));
    QVERIFY(clock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    clock.write(QByteArray(timestamp) + '\n');
}

class GermanToday : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* text, const char*, int) const override
    {
        const bool today = qstrcmp(context, "Orvel::Todo") == 0 && qstrcmp(text, "Today") == 0;
        return today ? QStringLiteral("Heute") : QString();
    }
};

} // namespace

// A query keeps its alphabetical keys between runs. Todo "a" expands a placeholder, todo "b"
// has a fixed text; every change of what a's key is computed from moves it to the other side of
// b's, which a stale key would not.
class SortKeysTest : public QObject
{
    Q_OBJECT

public:
    enum Change { Format, StartDate, FieldValue, FieldTypeOfValue, Day, Zone, Translator };
    Q_ENUM(Change)

private Q_SLOTS:
    void keptKeysFollowEveryChange_data()
    {
        QTest::addColumn<QString>("formatOfA");
        QTest::addColumn<QString>("formatOfB");
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("before");
        const auto row = [](const char* name, const char* a, const char* b, Change change) {
            // "Heute" sorts before "I", "Today" after it; otherwise a sorts first until the change.
            const bool aFirst = change != Translator;
            QTest::newRow(name) << QString::fromUtf8(a) << QString::fromUtf8(b) << change
                                << QString::fromLatin1(aFirst ? "ab" : "ba");
        };
        // a reads "Today" (the whole of Wednesday 14 January 2015 in +01:00) or its field value.
        row("format string written directly", "%-1%", "U", Format);
        row("start a day earlier", "%-1%", "U", StartDate);
        row("field value", "%7%", "m", FieldValue);
        row("value to another type: \" apple\" to \"apple \"", "%8% %7%", "!", FieldTypeOfValue);
        row("next day: Yesterday", "%-1%", "U", Day);
        row("zone where it is Thursday", "%-1%", "U", Zone);
        row("translator: Heute", "%-1%", "I", Translator);
    }

    void keptKeysFollowEveryChange()
    {
        QFETCH(Change, change);
        setClock("2015-01-14 12:00:00");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        FieldType seven(nullptr), eight(nullptr);
        seven.id = 7;
        eight.id = 8;
        QList<Todo*> todos{new Todo(nullptr), new Todo(nullptr)};
        for (Todo* todo : todos) {
            todo->note = todos.indexOf(todo) == 0 ? QStringLiteral("a") : QStringLiteral("b");
            todo->time_zone = QStringLiteral("+01:00");
            todo->start_date = QDateTime(QDate(2015, 1, 13), QTime(23, 0), Qt::UTC);
            todo->end_date = QDateTime(QDate(2015, 1, 14), QTime(22, 59), Qt::UTC);
        }
        QFETCH(QString, formatOfA);
        QFETCH(QString, formatOfB);
        todos.at(0)->format_string = formatOfA;
        todos.at(1)->format_string = formatOfB;
        auto* field = new Field(nullptr);
        field->setTodo(todos.at(0));
        field->setFieldType(&seven);
        field->value = QStringLiteral("apple");
        Query query(&todos);
        query.sortOrder = Query::AlphabeticallyAsc;
        const auto sortedNotes = [&query] {
            query.execute();
            QString notes;
            for (const Todo* todo : std::as_const(*query.result))
                notes += todo->note;
            return notes;
        };
        GermanToday german;

        QTEST(sortedNotes(), "before");
        QTEST(sortedNotes(), "before");
        switch (change) {
        case Format:
            todos.at(0)->format_string = QStringLiteral("V %-1%");
            break;
        case StartDate:
            todos.at(0)->setStartDate(QDateTime(QDate(2015, 1, 12), QTime(23, 0), Qt::UTC));
            break;
        case FieldValue:
            field->setValue(QStringLiteral("zebra"));
            break;
        case FieldTypeOfValue:
            field->setFieldType(&eight);
            break;
        case Day:
            setClock("2015-01-15 12:00:00");
            break;
        case Zone:
            qputenv("TZ", "Pacific/Kiritimati");
            tzset();
            break;
        case Translator:
            QVERIFY(QCoreApplication::installTranslator(&german));
            break;
        }
        QFETCH(QString, before);
        std::reverse(before.begin(), before.end());
        QCOMPARE(sortedNotes(), before);
        QCoreApplication::removeTranslator(&german);
        qDeleteAll(todos);
    }
};

QTEST_GUILESS_MAIN(SortKeysTest)

#include "tst_sortkeys.moc"
