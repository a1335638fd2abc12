#include "exportcommand.h"

#include "console.h"
#include "session.h"

#include <QCommandLineParser>
#include <QSaveFile>
#include <QSet>
#include <cstdio>
#include <orvel/icalendar.h>
#include <orvel/pool.h>
#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

namespace {

const char outputOption[] = "output";
const char outputShortOption[] = "o";

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
    TodoFilterOptions::define(parser);
    parser.addOption({{QLatin1String(outputShortOption), QLatin1String(outputOption)},
                      QStringLiteral("Write to FILE instead of standard output."),
                      QStringLiteral("FILE")});
}

bool ExportCommand::readArguments(const QCommandLineParser& parser, QString* error)
{
    QStringList none;
    if (!takeArguments(parser, 0, 0, &none, error) || !m_filters.read(parser, error))
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

QList<Orvel::Todo*> ExportCommand::selectedTodos(Orvel::Pool* pool) const
{
    if (m_filters.isEmpty())
        return *pool->samples + *pool->todos;
    QList<Orvel::Todo*> selected;
    Orvel::Query* query = pool->newQuery();
    if (m_filters.apply(pool, query)) {
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
