#include "linetrackingparser.h"

#include <algorithm>
#include <cstring>

namespace Orvel {

namespace {

constexpr char byteOrderMark[] = "\xEF\xBB\xBF";
constexpr int quotedLineLength = 60;

// The first byte offset at which text is not UTF-8, or -1.
int invalidUtf8Offset(const QByteArray& text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.constData());
    const int size = text.size();
    int i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        int continuation = 0;
        if (lead == 0)
            return i;
        if (lead < 0x80)
            continuation = 0;
        else if (lead >= 0xC2 && lead <= 0xDF)
            continuation = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
            continuation = 2;
        else if (lead >= 0xF0 && lead <= 0xF4)
            continuation = 3;
        else
            return i;
        if (continuation > 0 && i + continuation >= size)
            return i;
        for (int k = 1; k <= continuation; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return i;
        }
        i += continuation + 1;
    }
    return -1;
}

int lineAt(const QByteArray& text, int offset)
{
    return static_cast<int>(std::count(text.constData(), text.constData() + offset, '\n')) + 1;
}

std::size_t propertyNameLength(const char* line)
{
    return std::strcspn(line, ";:");
}

bool isName(const char* line, std::size_t length, const char* name)
{
    return length == std::strlen(name) && qstrnicmp(line, name, static_cast<uint>(length)) == 0;
}

QByteArray componentName(const char* line)
{
    const char* colon = std::strchr(line, ':');
    return colon ? QByteArray(colon + 1).trimmed().toUpper() : QByteArray();
}

// True when the first colon outside quoted parameter values ends the line.
bool hasEmptyValue(const char* line)
{
    bool quoted = false;
    for (const char* c = line; *c; ++c) {
        if (*c == '"')
            quoted = !quoted;
        else if (*c == ':' && !quoted)
            return c[1] == '\0';
    }
    return false;
}

bool isBlank(const char* line)
{
    return QByteArray::fromRawData(line, static_cast<int>(std::strlen(line))).trimmed().isEmpty();
}

} // namespace

// One pass over one text; the line generator hands libical one physical line per call and
// counts them.
class LineTrackingParser::Run
{
public:
    Run(const QByteArray& text, ParsedCalendar& result) : m_text(text), m_result(result)
    {
        if (m_text.startsWith(byteOrderMark))
            m_position = 3;
    }

    void parse()
    {
        ParserHandle parser(icalparser_new());
        icalparser_set_gen_data(parser.get(), this);
        int nextStart = 1;
        while (char* line = icalparser_get_line(parser.get(), &Run::generate)) {
            // The generator has read one line ahead to see whether the next one continues this.
            const int start = nextStart;
            nextStart = m_lookaheadRead ? m_line : m_line + 1;
            const bool ok = addLine(parser.get(), line, start);
            icalmemory_free_buffer(line);
            if (!ok)
                return;
        }
        finish();
    }

private:
    static char* generate(char* buffer, size_t size, void* data)
    {
        auto* run = static_cast<Run*>(data);
        run->m_lookaheadRead = false;
        if (run->m_position >= run->m_text.size())
            return nullptr;
        const char* begin = run->m_text.constData() + run->m_position;
        const int available = run->m_text.size() - run->m_position;
        const int limit = std::min(available, static_cast<int>(size) - 1);
        const void* newline = std::memchr(begin, '\n', static_cast<std::size_t>(limit));
        const int length =
            newline ? static_cast<int>(static_cast<const char*>(newline) - begin) + 1 : limit;
        std::memcpy(buffer, begin, static_cast<std::size_t>(length));
        buffer[length] = '\0';
        if (run->m_atLineStart)
            ++run->m_line;
        run->m_atLineStart = newline != nullptr;
        run->m_position += length;
        run->m_lookaheadRead = true;
        return buffer;
    }

    bool addLine(icalparser* parser, char* line, int lineNumber)
    {
        if (isBlank(line))
            return true;
        const std::size_t length = propertyNameLength(line);
        if (isName(line, length, "BEGIN"))
            return begin(parser, line, lineNumber);
        if (isName(line, length, "END"))
            return end(parser, line, lineNumber);
        if (m_open.empty())
            return fail(lineNumber, QStringLiteral("content outside of BEGIN:VCALENDAR and "
                                                   "END:VCALENDAR"));
        ComponentLines& lines = m_result.components[m_open.back()];
        if (!lines.find(line, length))
            lines.properties.emplace_back(QByteArray(line, int(length)).toUpper(), lineNumber);
        // libical refuses a property without value; other programs write them, so they are
        // dropped with a warning instead of failing the whole file.
        if (hasEmptyValue(line)) {
            m_result.warnings.append(QStringLiteral("line %1: %2 without value dropped")
                                         .arg(lineNumber)
                                         .arg(QString::fromUtf8(line, int(length)).toUpper()));
            return true;
        }
        return feed(parser, line, lineNumber);
    }

    bool begin(icalparser* parser, char* line, int lineNumber)
    {
        const QByteArray component = componentName(line);
        if (m_open.empty() && component != "VCALENDAR")
            return fail(lineNumber, QStringLiteral("expected BEGIN:VCALENDAR, found BEGIN:%1")
                                        .arg(QString::fromUtf8(component)));
        ComponentLines lines;
        lines.beginLine = lineNumber;
        lines.name = component;
        m_result.components.push_back(lines);
        m_open.push_back(static_cast<int>(m_result.components.size()) - 1);
        m_openNames.push_back(component);
        return feed(parser, line, lineNumber);
    }

    bool end(icalparser* parser, char* line, int lineNumber)
    {
        const QByteArray component = componentName(line);
        if (m_open.empty())
            return fail(
                lineNumber,
                QStringLiteral("END:%1 without BEGIN:%1").arg(QString::fromUtf8(component)));
        if (m_openNames.back() != component)
            return fail(lineNumber, QStringLiteral("END:%1 where END:%2 was expected (BEGIN on "
                                                   "line %3)")
                                        .arg(QString::fromUtf8(component),
                                             QString::fromUtf8(m_openNames.back()))
                                        .arg(m_result.components[m_open.back()].beginLine));
        m_open.pop_back();
        m_openNames.pop_back();
        return feed(parser, line, lineNumber);
    }

    bool feed(icalparser* parser, char* line, int lineNumber)
    {
        icalcomponent* complete = icalparser_add_line(parser, line);
        if (complete)
            m_result.calendars.emplace_back(complete);
        if (icalparser_get_state(parser) == ICALPARSER_ERROR) {
            QString quoted = QString::fromUtf8(line);
            if (quoted.size() > quotedLineLength)
                quoted = quoted.left(quotedLineLength) + QStringLiteral("...");
            return fail(lineNumber, QStringLiteral("cannot read \"%1\"").arg(quoted));
        }
        return true;
    }

    void finish()
    {
        if (!m_open.empty()) {
            const ComponentLines& lines = m_result.components[m_open.back()];
            fail(lines.beginLine, QStringLiteral("BEGIN:%1 is never closed by END:%1")
                                      .arg(QString::fromUtf8(m_openNames.back())));
        } else if (m_result.calendars.empty()) {
            fail(1, QStringLiteral("no VCALENDAR found"));
        }
    }

    bool fail(int lineNumber, const QString& message)
    {
        m_result.error = message;
        m_result.errorLine = lineNumber;
        m_result.calendars.clear();
        return false;
    }

    const QByteArray& m_text;
    ParsedCalendar& m_result;
    int m_position = 0;
    int m_line = 0;
    bool m_atLineStart = true;
    bool m_lookaheadRead = false;
    std::vector<int> m_open;
    std::vector<QByteArray> m_openNames;
};

const std::pair<QByteArray, int>* ComponentLines::find(const char* propertyName,
                                                       std::size_t length) const
{
    for (const std::pair<QByteArray, int>& property : properties) {
        if (isName(propertyName, length, property.first.constData()))
            return &property;
    }
    return nullptr;
}

int ComponentLines::lineOf(const char* propertyName) const
{
    const std::pair<QByteArray, int>* property = find(propertyName, std::strlen(propertyName));
    return property ? property->second : beginLine;
}

ParsedCalendar LineTrackingParser::parse(const QByteArray& text)
{
    ParsedCalendar result;
    const int invalid = invalidUtf8Offset(text);
    if (invalid >= 0) {
        result.error = QStringLiteral("the text is not UTF-8 (byte %1)").arg(invalid + 1);
        result.errorLine = lineAt(text, invalid);
        return result;
    }
    Run(text, result).parse();
    return result;
}

} // namespace Orvel
