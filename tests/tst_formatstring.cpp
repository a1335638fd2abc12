#include <QDate>
#include <QDateTime>
#include <QTest>
#include <QTime>
#include <memory>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/todo.h>

// Todo::readableFormatString() on one todo whose readable date is "Today" (the clock is frozen
// at 14 January 2015 12:00 in Europe/Berlin, see tst_formatstring.cmake) and whose fields are,
// in list order:
//   type object id 7: "first"; type object id 8: "other"; type object id 7: "second";
//   no type object, field_type_id 9: "loose"; no type object, field_type_id -5: "minus five".
class TestFormatString : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void expansion_data();
    void expansion();

private:
    void addField(Orvel::FieldType* type, int looseTypeId, const QString& value);

    std::unique_ptr<Orvel::FieldType> m_type7;
    std::unique_ptr<Orvel::FieldType> m_type8;
    std::unique_ptr<Orvel::Todo> m_todo;
};

void TestFormatString::initTestCase()
{
    QCOMPARE(QDateTime::currentDateTime(), QDateTime(QDate(2015, 1, 14), QTime(12, 0)));

    m_type7 = std::make_unique<Orvel::FieldType>(nullptr);
    m_type7->id = 7;
    m_type8 = std::make_unique<Orvel::FieldType>(nullptr);
    m_type8->id = 8;

    m_todo = std::make_unique<Orvel::Todo>(nullptr);
    m_todo->setStartDate(QDateTime(QDate(2015, 1, 14), QTime(0, 0), Qt::LocalTime));
    m_todo->setEndDate(QDateTime(QDate(2015, 1, 14), QTime(23, 59), Qt::LocalTime));
    QCOMPARE(m_todo->readableDate(), QStringLiteral("Today"));

    addField(m_type7.get(), 0, QStringLiteral("first"));
    addField(m_type8.get(), 0, QStringLiteral("other"));
    addField(m_type7.get(), 0, QStringLiteral("second"));
    addField(nullptr, 9, QStringLiteral("loose"));
    addField(nullptr, -5, QStringLiteral("minus five"));
}

// The todo owns its fields and deletes them first; the types are then left without fields.
void TestFormatString::cleanupTestCase()
{
    m_todo.reset();
    m_type7.reset();
    m_type8.reset();
}

void TestFormatString::addField(Orvel::FieldType* type, int looseTypeId, const QString& value)
{
    auto* field = new Orvel::Field(nullptr);
    field->setValue(value);
    if (type)
        field->setFieldType(type);
    else
        field->field_type_id = looseTypeId;
    field->setTodo(m_todo.get());
}

void TestFormatString::expansion_data()
{
    QTest::addColumn<QString>("formatString");
    QTest::addColumn<QString>("expected");

    // Templates without placeholders come back as they are, spaces included.
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("one space") << " "
                               << " ";
    QTest::newRow("plain words") << "Buy milk"
                                 << "Buy milk";
    QTest::newRow("runs of spaces") << "a  b   c"
                                    << "a  b   c";
    QTest::newRow("leading and trailing spaces") << "  a b  "
                                                 << "  a b  ";
    QTest::newRow("double percent") << "%%"
                                    << "%%";
    QTest::newRow("double percent in a sentence") << "save 50%% now"
                                                  << "save 50%% now";
    QTest::newRow("single percent") << "50% off"
                                    << "50% off";
    QTest::newRow("letters between percents") << "%x%"
                                              << "%x%";
    QTest::newRow("minus without digits") << "%-% %--1%"
                                          << "%-% %--1%";
    QTest::newRow("placeholder split by a space") << "%7 %"
                                                  << "%7 %";

    // The readable date
    QTest::newRow("date alone") << "%-1%"
                                << "Today";
    QTest::newRow("date among words") << "Due %-1% please"
                                      << "Due Today please";
    QTest::newRow("date twice") << "%-1% / %-1%"
                                << "Today / Today";
    QTest::newRow("date with attached text") << "(%-1%),"
                                             << "Today";
    QTest::newRow("date inside runs of spaces") << "  %-1%  "
                                                << "  Today  ";

    // Field values by type id, in turn
    QTest::newRow("one field of a type") << "%8%"
                                         << "other";
    QTest::newRow("first field of a type") << "%7%"
                                           << "first";
    QTest::newRow("second field of a type") << "%7% %7%"
                                            << "first second";
    QTest::newRow("fields of a type run out") << "%7% %7% %7% end"
                                              << "first second  end";
    QTest::newRow("types counted separately") << "%7% %8% %7% %8%"
                                              << "first other second ";
    QTest::newRow("leading zeros") << "%007%"
                                   << "first";
    QTest::newRow("field without type object") << "%9%"
                                               << "loose";
    QTest::newRow("negative field type id") << "is %-5%"
                                            << "is minus five";
    QTest::newRow("missing type") << "x %42% y"
                                  << "x  y";
    QTest::newRow("minus two is a missing type") << "a %-2% b"
                                                 << "a  b";
    QTest::newRow("minus two alone") << "%-2%"
                                     << "";
    QTest::newRow("text attached to a field placeholder") << "name:(%8%)!"
                                                          << "other";
    QTest::newRow("text before the placeholder") << "x%7%"
                                                 << "first";
    QTest::newRow("second placeholder in a word is dropped") << "%7%%8% %8%"
                                                             << "first other";
    QTest::newRow("first match of a word decides") << "%x%%-1%%7%"
                                                   << "Today";
    QTest::newRow("words between placeholders are kept") << "a b %7% c  d %8% e"
                                                         << "a b first c  d other e";
    QTest::newRow("spaces after the last placeholder are kept") << "%7%  tail  "
                                                                << "first  tail  ";
    QTest::newRow("fields and date mixed") << "%7%: %-1%  (%9%) %7%"
                                           << "first Today  loose second";
}

void TestFormatString::expansion()
{
    QFETCH(QString, formatString);
    QFETCH(QString, expected);

    m_todo->format_string = formatString;
    QCOMPARE(m_todo->readableFormatString(), expected);
    // The expansion has no state left over from a previous call.
    QCOMPARE(m_todo->readableFormatString(), expected);
}

QTEST_GUILESS_MAIN(TestFormatString)
#include "tst_formatstring.moc"
