#include "todofilteroptions.h"

#include "addcommand.h"
#include "inputreader.h"
#include "todozone.h"

#include <QCommandLineParser>
#include <orvel/fieldtype.h>
#include <orvel/pool.h>
#include <orvel/query.h>

namespace {

const char doneOption[] = "done";
const char openOption[] = "open";
const char fromOption[] = "from";
const char toOption[] = "to";
const char fieldOption[] = "field";

const QTime startOfDay(0, 0);
const QTime endOfDay(23, 59, 59, 999);

} // namespace

void TodoFilterOptions::define(QCommandLineParser& parser)
{
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
                                     "TEXT (any case). Repeatable: texts of one type are "
                                     "alternatives, different types must all match."),
                      QStringLiteral("TYPE=TEXT")});
}

bool TodoFilterOptions::read(const QCommandLineParser& parser, QString* error)
{
    return readDoneFilter(parser, error) && readInterval(parser, error) &&
           readFieldFilters(parser, error);
}

bool TodoFilterOptions::isEmpty() const
{
    return m_doneFilter == -1 && !hasInterval() && m_fieldFilters.isEmpty();
}

bool TodoFilterOptions::hasInterval() const
{
    return m_from.isValid();
}

bool TodoFilterOptions::apply(Orvel::Pool* pool, Orvel::Query* query) const
{
    query->doneFilter = m_doneFilter;
    query->activeFrom = m_from;
    query->activeTo = m_to;
    for (const QPair<QString, QString>& filter : m_fieldFilters) {
        Orvel::FieldType* type = AddCommand::existingFieldType(pool, filter.first);
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

bool TodoFilterOptions::readDoneFilter(const QCommandLineParser& parser, QString* error)
{
    const bool done = parser.isSet(QLatin1String(doneOption));
    const bool open = parser.isSet(QLatin1String(openOption));
    if (done && open) {
        *error = QStringLiteral("--done and --open exclude each other");
        return false;
    }
    if (done || open)
        m_doneFilter = done ? 1 : 0;
    return true;
}

bool TodoFilterOptions::readInterval(const QCommandLineParser& parser, QString* error)
{
    const bool hasFrom = parser.isSet(QLatin1String(fromOption));
    if (hasFrom != parser.isSet(QLatin1String(toOption))) {
        *error = QStringLiteral("--from and --to go together");
        return false;
    }
    if (!hasFrom)
        return true;
    DateInput from;
    DateInput to;
    if (!InputReader::readDate(parser.value(QLatin1String(fromOption)), &from, error) ||
        !InputReader::readDate(parser.value(QLatin1String(toOption)), &to, error))
        return false;
    // The interval is read on the device's clock; a time it skips is refused, not dropped.
    const TodoZone deviceZone;
    if (!deviceZone.toUtc(from, startOfDay, &m_from, error) ||
        !deviceZone.toUtc(to, endOfDay, &m_to, error))
        return false;
    if (m_to < m_from) {
        *error = QStringLiteral("--to lies before --from");
        return false;
    }
    return true;
}

bool TodoFilterOptions::readFieldFilters(const QCommandLineParser& parser, QString* error)
{
    return InputReader::readFieldAssignments(parser.values(QLatin1String(fieldOption)),
                                             &m_fieldFilters, error);
}
