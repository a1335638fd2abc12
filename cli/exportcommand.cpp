#include "exportcommand.h"

#include "console.h"
#include "inputreader.h"
#include "session.h"

#include <QCommandLineParser>
#include <QSaveFile>
#include <QSet>
#include <cstdio>
#include <orvel/fieldtype.h>
#include <orvel/icalendar.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace {

const char doneOption[] = "done";
const char openOption[] = "open";
const char fromOption[] = "from";
const char toOption[] = "to";
const char fieldOption[] = "field";
const char outputOption[] = "output";
const char outputShortOption[] = "o";

const QTime startOfDay(0, 0);
const QTime endOfDay(23, 59, 59, 999);

} // namespace

ExportCommand::ExportCommand()
    : Command(QStringLiteral("export"), QStringLiteral("Write todos as an iCalendar file."),
              QString())
{}

void ExportCommand::defineOptions(QCommandLineParser& parser) const
{
    parser.setApplicationDescription(QStringLiteral(
        "Writes todos as one iCalendar (RFC 5545) calendar with a VTODO per todo, to\n"
        "standard output or to the file of --output. Without filters every todo and\n"
        "every repeating todo is written; with the filters of orvel list, the todos that\n"
        "pass them and the repeating todos their instances belong to."));
    parser.addOption({QLatin1String(doneOption), QStringLiteral("Only todos that are done.")});
    parser.addOption({QLatin1String(openOption), QStringLiteral("Only todos that are not done.")});
    parser.addOption({QLatin1String(fromOption),
                      QStringLiteral("Only todos whose span overlaps --from to --to (both "
                                     "needed), in local time."),
                      QStringLiteral("date")});
    parser.addOption({QLatin1String(toOption),
                      QStringLiteral("End of that interval; a date alone includes its day."),
                      QStringLiteral("date")});
    parser.addOption({QLatin1String(fieldOption),
                      QStringLiteral("Only todos with a field of type TYPE whose value contains "
                                     "TEXT (any case). Repeatable."),
                      QStringLiteral("TYPE=TEXT")});
    parser.addOption({{QLatin1String(outputShortOption), QLatin1String(outputOption)},
                      QStringLiteral("Write to FILE instead of standard output."),
                      QStringLiteral("FILE")});
}

bool ExportCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList none;
    if (!takeArguments(parser, 0, 0, &none, error) || !readFilters(parser, error))
        return false;
    if (parser.isSet(QLatin1String(outputOption))) {
        m_output = parser.value(QLatin1String(outputOption));
        if (m_output.isEmpty()) {
            *error = QStringLiteral("--output needs a file name");
            return false;
        }
    }
    return true;
}

int ExportCommand::run(Session& session)
{
    const QByteArray text = Orvel::ICalendar::exportTodos(selectedTodos(session.pool()));
    return write(text) ? Success : Failure;
}

bool ExportCommand::hasFilters() const
{
    return m_doneFilter != -1 || m_from.isValid() || !m_fieldFilters.isEmpty();
}

bool ExportCommand::readFilters(const QCommandLineParser& parser, QString* error)
{
    const bool done = parser.isSet(QLatin1String(doneOption));
    const bool open = parser.isSet(QLatin1String(openOption));
    if (done && open) {
        *error = QStringLiteral("--done and --open exclude each other");
        return false;
    }
    if (done || open)
        m_doneFilter = done ? 1 : 0;
    const bool hasFrom = parser.isSet(QLatin1String(fromOption));
    if (hasFrom != parser.isSet(QLatin1String(toOption))) {
        *error = QStringLiteral("--from and --to go together");
        return false;
    }
    if (hasFrom) {
        DateInput from;
        DateInput to;
        if (!InputReader::readDate(parser.value(QLatin1String(fromOption)), &from, error) ||
            !InputReader::readDate(parser.value(QLatin1String(toOption)), &to, error))
            return false;
        m_from = from.dateTime(startOfDay);
        m_to = to.dateTime(endOfDay);
        if (m_to < m_from) {
            *error = QStringLiteral("--to lies before --from");
            return false;
        }
    }
    for (const QString& filter : parser.values(QLatin1String(fieldOption))) {
        QString type;
        QString text;
        if (!InputReader::readFieldAssignment(filter, &type, &text, error))
            return false;
        m_fieldFilters.append(qMakePair(type, text));
    }
    return true;
}

bool ExportCommand::setFieldFilters(Orvel::Pool* pool, Orvel::Query* query) const
{
    for (const QPair<QString, QString>& filter : m_fieldFilters) {
        Orvel::FieldType* type = nullptr;
        for (Orvel::FieldType* candidate : *pool->fieldTypes) {
            if (candidate->name == filter.first)
                type = candidate;
        }
        if (!type)
            return false;
        QList<QString>*& texts = (*query->fieldFilters)[type];
        // The query owns the lists of texts.
        if (!texts)
            texts = new QList<QString>;
        texts->append(filter.second);
    }
    return true;
}

QList<Orvel::Todo*> ExportCommand::selectedTodos(Orvel::Pool* pool) const
{
    if (!hasFilters())
        return *pool->samples + *pool->todos;
    QList<Orvel::Todo*> selected;
    Orvel::Query* query = pool->newQuery();
    if (setFieldFilters(pool, query)) {
        query->doneFilter = m_doneFilter;
        query->activeFrom = m_from;
        query->activeTo = m_to;
        query->sortOrder = Orvel::Query::StartDateAsc;
        query->execute();
        selected = *query->result;
    }
    pool->deleteQuery(query);
    // An instance keeps its link to its rule only when the rule's sample travels with it.
    QSet<Orvel::Todo*> samples;
    for (const Orvel::Todo* todo : selected) {
        if (todo->recurrence && todo->recurrence->sample)
            samples.insert(todo->recurrence->sample);
    }
    for (Orvel::Todo* sample : *pool->samples) {
        if (samples.contains(sample))
            selected.prepend(sample);
    }
    return selected;
}

bool ExportCommand::write(const QByteArray& text) const
{
    if (m_output.isEmpty()) {
        if (std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout) ==
                static_cast<std::size_t>(text.size()) &&
            std::fflush(stdout) == 0)
            return true;
        Console::printError(QStringLiteral("cannot write to standard output"));
        return false;
    }
    // Written to a temporary file first, so that a failure leaves no half-written file.
    QSaveFile file(m_output);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    Console::printError(QStringLiteral("cannot write '%1': %2").arg(m_output, file.errorString()));
    return false;
}
