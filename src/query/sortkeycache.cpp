#include "sortkeycache.h"

#include "presentation/readabletext_p.h"

#include <QLatin1Char>
#include <orvel/field.h>
#include <orvel/fieldtype.h>
#include <orvel/todo.h>

namespace Orvel {

namespace {

const QLatin1Char placeholderMark('%');
// Keys of todos that no longer ask are dropped once they make up more than half of the cache
// and there are more than a handful of them.
const std::size_t keptStaleMinimum = 256;

// Which field type a field counts for in the expansion: the linked type is the authority.
int expandedTypeId(const Field& field)
{
    return field.fieldType ? field.fieldType->id : field.field_type_id;
}

// The kept copy usually still shares the todo's text: then no character needs comparing.
bool sameText(const QString& kept, const QString& current)
{
    return (kept.constData() == current.constData() && kept.size() == current.size()) ||
           kept == current;
}

// The readable date reads the digits of the held value: the same instant under another label
// reads differently, so a kept date matches only with the same label.
bool sameDate(const QDateTime& kept, const QDateTime& current)
{
    return kept.timeSpec() == current.timeSpec() && kept.isValid() == current.isValid() &&
           kept == current;
}

} // namespace

void SortKeyCache::beginPass()
{
    ++m_pass;
    m_requested = 0;
    m_now = QDateTime::currentDateTime();
    checkEnvironment();
}

// Every key depends on the device's date and offset (relative day names, the zone shown after
// a phrase) and on the translations; when any of them changed, no kept key is worth checking.
void SortKeyCache::checkEnvironment()
{
    const QDate day = m_now.date();
    const int offset = m_now.offsetFromUtc();
    const QString translations = ReadableText::translations();
    if (day != m_day || offset != m_offset || translations != m_translations)
        m_entries.clear();
    m_day = day;
    m_offset = offset;
    m_translations = translations;
}

QString SortKeyCache::keyOf(const Todo* todo)
{
    ++m_requested;
    const auto kept = m_entries.find(todo);
    if (kept != m_entries.end()) {
        Entry& entry = kept->second;
        entry.pass = m_pass;
        if (!entry.readsTimeOfDay && sameInputs(entry.inputs, *todo))
            return entry.key;
    }
    // Without a placeholder the key is the template itself: nothing to keep.
    if (!todo->format_string.contains(placeholderMark)) {
        if (kept != m_entries.end())
            m_entries.erase(kept);
        return todo->format_string.isEmpty() ? QString() : todo->format_string;
    }
    Entry& entry = kept != m_entries.end() ? kept->second : m_entries[todo];
    entry.pass = m_pass;
    entry.inputs = inputsOf(*todo);
    entry.readsTimeOfDay = false;
    entry.key = ReadableText::formatString(*todo, m_now, &entry.readsTimeOfDay);
    return entry.key;
}

void SortKeyCache::endPass()
{
    if (m_entries.size() <= keptStaleMinimum || m_entries.size() <= 2 * m_requested)
        return;
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        if (entry->second.pass == m_pass)
            ++entry;
        else
            entry = m_entries.erase(entry);
    }
}

SortKeyCache::Inputs SortKeyCache::inputsOf(const Todo& todo)
{
    Inputs inputs{todo.format_string, todo.start_date, todo.end_date, todo.time_zone, {}};
    inputs.fields.reserve(std::size_t(todo.fields->size()));
    for (const Field* field : std::as_const(*todo.fields))
        inputs.fields.emplace_back(expandedTypeId(*field), field->value);
    return inputs;
}

bool SortKeyCache::sameInputs(const Inputs& kept, const Todo& todo)
{
    if (!sameText(kept.format, todo.format_string) || !sameDate(kept.start, todo.start_date) ||
        !sameDate(kept.end, todo.end_date) || !sameText(kept.zone, todo.time_zone) ||
        kept.fields.size() != std::size_t(todo.fields->size()))
        return false;
    std::size_t index = 0;
    for (const Field* field : std::as_const(*todo.fields)) {
        const std::pair<int, QString>& keptField = kept.fields[index++];
        if (keptField.first != expandedTypeId(*field) || !sameText(keptField.second, field->value))
            return false;
    }
    return true;
}

} // namespace Orvel
