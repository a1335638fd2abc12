#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <QTranslator>
#include <ctime>
#include <memory>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/query.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

// Wednesday 14 January 2015, noon in Europe/Berlin (+01:00), and the day after.
const char wednesdayNoon[] = "2015-01-14 12:00:00";
const char thursdayNoon[] = "2015-01-15 12:00:00";

void setClock(const char* timestamp)
{
    QFile clock(QStringLiteral(ORVEL_TEST_CLOCK_FILE));
    QVERIFY(clock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    clock.write(QByteArray(timestamp) + '\n');
}

void setZone(const char* zone)
{
    qputenv("TZ", zone);
    tzset();
}

QDateTime utc(int day, int hour, int minute)
{
    return QDateTime(QDate(2015, 1, day), QTime(hour, minute), Qt::UTC);
}

// German for one phrase of the readable date.
class GermanToday : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "Orvel::Todo") == 0 && qstrcmp(sourceText, "Today") == 0)
            return QStringLiteral("Heute");
        return QString();
    }
};

} // namespace

// A query keeps the alphabetical keys between runs. Every change of what a key is computed from
// must reorder the result exactly as a fresh computation does: todo "a" expands a placeholder,
// todo "b" has a fixed text, and each change moves a's key to the other side of b's.
class SortKeysTest : public QObject
{
    Q_OBJECT

public:
    enum Change { Format, StartDate, FieldValue, FieldTypeOfValue, Day, Zone, Translator };
    Q_ENUM(Change)

private Q_SLOTS:
    void init();
    void cleanup();
    void keptKeysFollowEveryChange_data();
    void keptKeysFollowEveryChange();

private:
    QString sortedNotes();
    void apply(Change change);

    QList<Todo*> m_todos;
    std::unique_ptr<Query> m_query;
    FieldType m_typeSeven{nullptr};
    FieldType m_typeEight{nullptr};
    Field* m_field = nullptr;
    GermanToday m_german;
};

void SortKeysTest::init()
{
    setClock(wednesdayNoon);
    setZone("Europe/Berlin");
    m_typeSeven.id = 7;
    m_typeEight.id = 8;
    for (const char* note : {"a", "b"}) {
        auto* todo = new Todo(nullptr);
        todo->note = QLatin1String(note);
        todo->time_zone = QStringLiteral("+01:00");
        // The whole of Wednesday in the todo's zone: "Today".
        todo->start_date = utc(13, 23, 0);
        todo->end_date = utc(14, 22, 59);
        m_todos.append(todo);
    }
    m_field = new Field(nullptr);
    m_field->setTodo(m_todos.first());
    m_query.reset(new Query(&m_todos));
    m_query->sortOrder = Query::AlphabeticallyAsc;
}

void SortKeysTest::cleanup()
{
    QCoreApplication::removeTranslator(&m_german);
    m_query.reset();
    qDeleteAll(m_todos);
    m_todos.clear();
}

QString SortKeysTest::sortedNotes()
{
    m_query->execute();
    QString notes;
    for (const Todo* todo : std::as_const(*m_query->result))
        notes += todo->note;
    return notes;
}

void SortKeysTest::keptKeysFollowEveryChange_data()
{
    QTest::addColumn<QString>("formatOfA");
    QTest::addColumn<QString>("formatOfB");
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("format string written directly") << "%-1%"
                                                    << "U" << Format << "ab"
                                                    << "ba";
    QTest::newRow("start a day earlier") << "%-1%"
                                         << "U" << StartDate << "ab"
                                         << "ba";
    QTest::newRow("field value") << "%7%"
                                 << "m" << FieldValue << "ab"
                                 << "ba";
    QTest::newRow("field value moved to the other type") << "%8% %7%"
                                                         << "!" << FieldTypeOfValue << "ab"
                                                         << "ba";
    QTest::newRow("next day: Yesterday") << "%-1%"
                                         << "U" << Day << "ab"
                                         << "ba";
    QTest::newRow("zone where it is already Thursday") << "%-1%"
                                                       << "U" << Zone << "ab"
                                                       << "ba";
    QTest::newRow("translator installed: Heute") << "%-1%"
                                                 << "I" << Translator << "ba"
                                                 << "ab";
}

void SortKeysTest::keptKeysFollowEveryChange()
{
    QFETCH(QString, formatOfA);
    QFETCH(QString, formatOfB);
    QFETCH(Change, change);
    m_todos.at(0)->format_string = formatOfA;
    m_todos.at(1)->format_string = formatOfB;
    m_field->value = QStringLiteral("apple");
    m_field->setFieldType(&m_typeSeven);

    QTEST(sortedNotes(), "before");
    QTEST(sortedNotes(), "before");
    apply(change);
    QTEST(sortedNotes(), "after");
}

void SortKeysTest::apply(Change change)
{
    Todo& a = *m_todos.first();
    switch (change) {
    case Format:
        a.format_string = QStringLiteral("V %-1%");
        break;
    case StartDate:
        a.setStartDate(utc(12, 23, 0));
        break;
    case FieldValue:
        m_field->setValue(QStringLiteral("zebra"));
        break;
    case FieldTypeOfValue:
        // " apple" becomes "apple ": the space sorts before "!", the letter after it.
        m_field->setFieldType(&m_typeEight);
        break;
    case Day:
        setClock(thursdayNoon);
        break;
    case Zone:
        setZone("Pacific/Kiritimati");
        break;
    case Translator:
        QVERIFY(QCoreApplication::installTranslator(&m_german));
        break;
    }
}

QTEST_GUILESS_MAIN(SortKeysTest)

#include "tst_sortkeys.moc"
