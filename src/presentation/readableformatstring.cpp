#include "readabletext_p.h"

#include <QHash>
#include <QLatin1Char>
#include <QRegularExpression>
#include <QRegularExpressionMatch>
#include <orvel/field.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const QLatin1Char wordSeparator(' ');
const QLatin1Char placeholderMark('%');
// The number that stands for the readable date instead of a field type id.
const int readableDatePlaceholder = -1;

// The expansion is the sort key of the alphabetical query orders, so the expression is compiled
// (and JIT-optimised) once for the whole process.
const QRegularExpression& placeholderExpression()
{
    static const QRegularExpression expression = [] {
        QRegularExpression compiled(QStringLiteral("%(-?\\d+)%"));
        compiled.optimize();
        return compiled;
    }();
    return expression;
}

// Expands one template. The template is a list of words separated by single spaces, and a word
// that holds a placeholder is replaced as a whole. A placeholder never contains a space, so every
// match lies inside one word: the template is scanned once for matches, the first match inside a
// word decides that word, and the text between replaced words is copied in one piece (joining
// the unchanged words again with their single spaces gives exactly that text back).
class FormatExpansion
{
public:
    // Without a moment the readable date is that of the clock when it is first needed.
    FormatExpansion(const Todo& todo, const QString& format, const QDateTime* now = nullptr,
                    bool* readsTimeOfDay = nullptr)
        : m_todo(todo), m_format(format), m_now(now), m_readsTimeOfDay(readsTimeOfDay)
    {}

    QString text()
    {
        QRegularExpressionMatch match = placeholderExpression().match(m_format);
        if (!match.hasMatch())
            return m_format;

        m_text.reserve(m_format.size() + 16);
        int copiedUpTo = 0;
        while (match.hasMatch()) {
            const int placeholderStart = match.capturedStart();
            const int wordStart = m_format.lastIndexOf(wordSeparator, placeholderStart) + 1;
            int wordEnd = m_format.indexOf(wordSeparator, placeholderStart);
            if (wordEnd < 0)
                wordEnd = m_format.size();

            m_text.append(m_format.constData() + copiedUpTo, wordStart - copiedUpTo);
            appendPlaceholder(match.capturedView(1).toInt(nullptr, 10));
            copiedUpTo = wordEnd;
            // Further placeholders in the same word are dropped with it.
            match = placeholderExpression().match(m_format, wordEnd);
        }
        m_text.append(m_format.constData() + copiedUpTo, m_format.size() - copiedUpTo);
        return m_text;
    }

private:
    void appendPlaceholder(int number)
    {
        if (number == readableDatePlaceholder)
            appendReadableDate();
        else
            appendFieldValue(number);
    }

    void appendReadableDate()
    {
        // A template may show the date more than once: it is rendered once per expansion, so that
        // every occurrence reads the same.
        if (!m_hasReadableDate) {
            m_readableDate = m_now ? ReadableText::date(m_todo, *m_now, m_readsTimeOfDay)
                                   : m_todo.readableDate();
            m_hasReadableDate = true;
        }
        m_text.append(m_readableDate);
    }

    // The k-th placeholder of a field type takes the k-th field of that type; once the fields
    // run out the word stays empty.
    void appendFieldValue(int fieldTypeId)
    {
        int& used = m_usedFields[fieldTypeId];
        const QList<Field*> fields = m_todo.fieldByTypeId(fieldTypeId);
        if (used < fields.size())
            m_text.append(fields.at(used)->value);
        ++used;
    }

    const Todo& m_todo;
    const QString& m_format;
    const QDateTime* m_now;
    bool* m_readsTimeOfDay;
    QString m_text;
    QString m_readableDate;
    bool m_hasReadableDate = false;
    QHash<int, int> m_usedFields;
};

} // namespace

QString Todo::readableFormatString() const
{
    if (format_string.isEmpty())
        return QString();
    // Without a percent sign there is no placeholder, and splitting at single spaces and joining
    // again gives the template back unchanged.
    if (!format_string.contains(placeholderMark))
        return format_string;
    return FormatExpansion(*this, format_string).text();
}

QString ReadableText::formatString(const Todo& todo, const QDateTime& now, bool* readsTimeOfDay)
{
    if (todo.format_string.isEmpty())
        return QString();
    if (!todo.format_string.contains(placeholderMark))
        return todo.format_string;
    return FormatExpansion(todo, todo.format_string, &now, readsTimeOfDay).text();
}

} // namespace Orvel
