#include "icalendarbench.h"

#include "measure.h"
#include "report.h"

#include <QFile>
#include <libical/ical.h>
#include <memory>
#include <orvel/icalendar.h>
#include <orvel/pool.h>
#include <orvel/todo.h>
#include <vector>

namespace Bench {

namespace {

constexpr char importDatabaseFile[] = "/icalendar-import.sqlite";
constexpr char importConnectionName[] = "orvel_bench_icalendar";

} // namespace

ICalendarBench::ICalendarBench(int todoCount, int repetitions, const QString& home, Report& report)
    : m_todoCount(todoCount), m_repetitions(repetitions), m_home(home), m_report(report)
{}

void ICalendarBench::run(const Orvel::Pool& pool)
{
    const QByteArray text = measureExport(pool);
    measureImport(text);
}

QByteArray ICalendarBench::measureExport(const Orvel::Pool& pool)
{
    const QList<Orvel::Todo*> todos = *pool.samples + *pool.todos;
    QByteArray text;
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep)
        seconds.push_back(secondsOf([&] { text = Orvel::ICalendar::exportTodos(todos); }));
    m_report.add(
        {QStringLiteral("icalendar.export"), m_todoCount, median(seconds), writeFloor(text)});
    return text;
}

void ICalendarBench::measureImport(const QByteArray& text)
{
    const QString path = m_home + QLatin1String(importDatabaseFile);
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        QFile::remove(path);
        auto pool = std::make_unique<Orvel::Pool>(path, QLatin1String(importConnectionName));
        pool->start();
        seconds.push_back(secondsOf([&] { Orvel::ICalendar::importCalendar(pool.get(), text); }));
        // Writing the imported records is measured by pool.sync_new; skip it here.
        pool->unsynchronizedEntities->clear();
    }
    QFile::remove(path);
    m_report.add(
        {QStringLiteral("icalendar.import"), m_todoCount, median(seconds), parseFloor(text)});
}

// libical writing the same calendar from its own component tree.
double ICalendarBench::writeFloor(const QByteArray& text) const
{
    icalcomponent* calendar = icalparser_parse_string(text.constData());
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        seconds.push_back(secondsOf([&] {
            char* written = icalcomponent_as_ical_string_r(calendar);
            icalmemory_free_buffer(written);
        }));
    }
    icalcomponent_free(calendar);
    return median(seconds);
}

// libical parsing the same text into its component tree.
double ICalendarBench::parseFloor(const QByteArray& text) const
{
    std::vector<double> seconds;
    for (int rep = 0; rep < m_repetitions; ++rep) {
        seconds.push_back(secondsOf([&] {
            icalcomponent* calendar = icalparser_parse_string(text.constData());
            icalcomponent_free(calendar);
        }));
    }
    return median(seconds);
}

} // namespace Bench
