#include "debug/debugstring.h"
#include "debug/log.h"
#include "loghandler.h"

#include <QDebug>
#include <QLoggingCategory>
#include <QTest>

using OrvelTest::LogCapture;

namespace {

// The complete lines, written out byte by byte: colours, tag, fill to 15 columns, closing.
const QByteArray errorHeader = QByteArray("\x1b[1;31m\x1b[41m[\x1b[1;37m"
                                          "ERROR          "
                                          "\x1b[1;31m]\x1b[0m");
const QByteArray warningHeader = QByteArray("\x1b[1;33m\x1b[43m[\x1b[1;37m"
                                            "WARNING        "
                                            "\x1b[1;33m]\x1b[0m");
const QByteArray infoHeader = QByteArray("\x1b[1;34m\x1b[44m[\x1b[1;37m"
                                         "INFO           "
                                         "\x1b[1;34m]\x1b[0m");

enum class Message { Literal, LiteralWithTrailingSpace, QuotedText, Mixed, LineFeed, Nothing };

void logMessage(Orvel::LogTag tag, Message message)
{
    QDebug line = Orvel::logLine(tag);
    switch (message) {
    case Message::Literal:
        line << "Database modification failed.";
        break;
    case Message::LiteralWithTrailingSpace:
        line << "Error occured while modifying the database: ";
        break;
    case Message::QuotedText:
        line << QStringLiteral("say \"hi\"");
        break;
    case Message::Mixed:
        line << "Query execution failed:" << QStringLiteral("SELECT 1") << "\n"
             << QStringLiteral("no such table") << 42 << -7;
        break;
    case Message::LineFeed:
        line << "Cannot open database, unable to establish a database connection.\n";
        break;
    case Message::Nothing:
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Orvel::LogTag)
Q_DECLARE_METATYPE(Message)

class TestLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void visibleLength_data();
    void visibleLength();
    void visibleLengthOfNullPointer();
    void visibleLengthStopsAtZeroByte();

    void debugStringConstruction();
    void debugStringWrittenRaw_data();
    void debugStringWrittenRaw();

    void headerIsFifteenColumnsWide_data();
    void headerIsFifteenColumnsWide();
    void wholeLine_data();
    void wholeLine();
    void captureHelperBuildsTheSameLine();
    void categoryRulesSilenceTheLines();
};

void TestLog::visibleLength_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("ERROR") << QByteArray("ERROR") << 5;
    QTest::newRow("WARNING") << QByteArray("WARNING") << 7;
    QTest::newRow("INFO") << QByteArray("INFO") << 4;
    QTest::newRow("colour, three letters, reset") << QByteArray("\x1b[1;31mabc\x1b[0m") << 3;
    QTest::newRow("two letters m outside a sequence") << QByteArray("mm") << 2;
    QTest::newRow("unterminated sequence hides the rest") << QByteArray("a\x1b[12") << 1;
    QTest::newRow("other sequence hides up to the next m") << QByteArray("\x1b[2Jabc m xyz") << 4;
    QTest::newRow("opening bytes of a tag") << QByteArray("\x1b[1;34m\x1b[44m[\x1b[1;37mINFO") << 5;
    QTest::newRow("escape inside a sequence") << QByteArray("\x1b[1\x1b;2mok") << 2;
}

void TestLog::visibleLength()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);

    QCOMPARE(Orvel::odebug_strlen_(text), expected);
    QCOMPARE(Orvel::odebug_strlen_(text.constData()), expected);
}

void TestLog::visibleLengthOfNullPointer()
{
    const char* nothing = nullptr;
    QCOMPARE(Orvel::odebug_strlen_(nothing), 0);
    QCOMPARE(Orvel::odebug_strlen_(QByteArray()), 0);
}

void TestLog::visibleLengthStopsAtZeroByte()
{
    const QByteArray text("ab\0cd", 5);
    QCOMPARE(text.size(), 5);
    QCOMPARE(Orvel::odebug_strlen_(text), 2);
}

void TestLog::debugStringConstruction()
{
    QCOMPARE(Orvel::DebugString().bytes(), QByteArray());

    char buffer[] = "abc";
    const Orvel::DebugString copied(buffer);
    buffer[0] = 'x';
    QCOMPARE(copied.bytes(), QByteArray("abc"));

    const QByteArray shared("\x1b[0mdef");
    const Orvel::DebugString fromArray(shared);
    QCOMPARE(fromArray.bytes(), shared);
}

void TestLog::debugStringWrittenRaw_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QByteArray() << QStringLiteral("|");
    QTest::newRow("quote and escape bytes stay unquoted")
        << QByteArray("a\"b\x1b[0m") << QStringLiteral("a\"b\x1b[0m|");
    QTest::newRow("high bytes read as Latin-1")
        << QByteArray("caf\xe9") << QStringLiteral("caf\u00e9|");
    QTest::newRow("trailing space kept") << QByteArray("x ") << QStringLiteral("x |");
}

void TestLog::debugStringWrittenRaw()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QString text;
    {
        QDebug stream(&text);
        QDebug result = stream << Orvel::DebugString(bytes);
        QVERIFY(!result.autoInsertSpaces());
        // With spacing off, the next item follows without a space.
        result << "|";
    }
    QCOMPARE(text, expected);
}

void TestLog::headerIsFifteenColumnsWide_data()
{
    QTest::addColumn<Orvel::LogTag>("tag");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("ERROR") << Orvel::LogTag::Error << errorHeader;
    QTest::newRow("WARNING") << Orvel::LogTag::Warning << warningHeader;
    QTest::newRow("INFO") << Orvel::LogTag::Info << infoHeader;
}

void TestLog::headerIsFifteenColumnsWide()
{
    QFETCH(Orvel::LogTag, tag);
    QFETCH(QByteArray, expected);

    const QByteArray header = Orvel::logHeader(tag);
    QCOMPARE(header, expected);
    // Both brackets and the 15 columns between them.
    QCOMPARE(Orvel::odebug_strlen_(header), 17);
}

void TestLog::wholeLine_data()
{
    QTest::addColumn<Orvel::LogTag>("tag");
    QTest::addColumn<Message>("message");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("ERROR literal") << Orvel::LogTag::Error << Message::Literal
                                   << errorHeader + " Database modification failed.";
    QTest::newRow("WARNING literal") << Orvel::LogTag::Warning << Message::Literal
                                     << warningHeader + " Database modification failed.";
    QTest::newRow("INFO literal") << Orvel::LogTag::Info << Message::Literal
                                  << infoHeader + " Database modification failed.";
    // Qt drops the one separating space that would follow the last item.
    QTest::newRow("ERROR literal ending in a space")
        << Orvel::LogTag::Error << Message::LiteralWithTrailingSpace
        << errorHeader + " Error occured while modifying the database: ";
    QTest::newRow("ERROR QString quoted and escaped")
        << Orvel::LogTag::Error << Message::QuotedText << errorHeader + " \"say \\\"hi\\\"\"";
    QTest::newRow("WARNING QString quoted")
        << Orvel::LogTag::Warning << Message::QuotedText << warningHeader + " \"say \\\"hi\\\"\"";
    QTest::newRow("INFO QString quoted")
        << Orvel::LogTag::Info << Message::QuotedText << infoHeader + " \"say \\\"hi\\\"\"";
    QTest::newRow("ERROR literals, QStrings and numbers")
        << Orvel::LogTag::Error << Message::Mixed
        << errorHeader + " Query execution failed: \"SELECT 1\" \n \"no such table\" 42 -7";
    QTest::newRow("INFO literals, QStrings and numbers")
        << Orvel::LogTag::Info << Message::Mixed
        << infoHeader + " Query execution failed: \"SELECT 1\" \n \"no such table\" 42 -7";
    QTest::newRow("ERROR literal ending in a line feed")
        << Orvel::LogTag::Error << Message::LineFeed
        << errorHeader + " Cannot open database, unable to establish a database connection.\n";
    QTest::newRow("WARNING without items")
        << Orvel::LogTag::Warning << Message::Nothing << warningHeader;
}

void TestLog::wholeLine()
{
    QFETCH(Orvel::LogTag, tag);
    QFETCH(Message, message);
    QFETCH(QByteArray, expected);

    LogCapture capture;
    logMessage(tag, message);

    QCOMPARE(capture.lines(), QList<QByteArray>{expected});
    // Every tag goes out as a debug message, not as a warning or critical one.
    QCOMPARE(capture.types(), QList<QtMsgType>{QtDebugMsg});
}

void TestLog::captureHelperBuildsTheSameLine()
{
    // The other tests build their expected lines with this helper.
    QCOMPARE(LogCapture::line("ERROR", "x \"y\""), errorHeader + " x \"y\"");
    QCOMPARE(LogCapture::line("WARNING", "x"), warningHeader + " x");
    QCOMPARE(LogCapture::line("INFO", "x"), infoHeader + " x");

    LogCapture capture;
    oError() << "Message" << QStringLiteral("value") << 3;
    oWarning() << "Message";
    oInfo() << "Message";
    QCOMPARE(capture.lines(), (QList<QByteArray>{LogCapture::line("ERROR", "Message \"value\" 3"),
                                                 LogCapture::line("WARNING", "Message"),
                                                 LogCapture::line("INFO", "Message")}));
}

void TestLog::categoryRulesSilenceTheLines()
{
    LogCapture capture;
    QLoggingCategory::setFilterRules(QStringLiteral("orvel.debug=false"));
    oError() << "Silenced";
    qDebug() << "host line";
    QCOMPARE(capture.lines(), QList<QByteArray>{"host line"});

    capture.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("orvel.debug=true"));
    logMessage(Orvel::LogTag::Error, Message::Mixed);
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(capture.lines(),
             QList<QByteArray>{errorHeader +
                               " Query execution failed: \"SELECT 1\" \n \"no such table\" 42 -7"});
    QCOMPARE(capture.categories(), QList<QByteArray>{"orvel"});
}

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
