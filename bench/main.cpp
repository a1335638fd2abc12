// orvel-bench: how the pool, the storage and the query scale with the number of todos, each
// figure set against the floor that plain QtSql or std::sort code reaches on the same data.

#include "benchoptions.h"
#include "measure.h"
#include "report.h"
#include "scenario.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdlib>
#include <ctime>

namespace {

// Zone-dependent work (local-time conversions in filters and sorts) costs more in a zone with
// daylight saving time than in UTC; pin one so that runs on different machines compare.
constexpr char defaultZone[] = "Europe/Berlin";
constexpr int shownLogLines = 10;

// The library reports through Qt's message channel. A problem repeated for every record would
// flood the output and distort the timings, so only the first lines are shown and the rest
// counted.
int loggedLines = 0;

void countingMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        QTextStream(stderr) << "orvel-bench: fatal: " << message << '\n';
        std::abort();
    }
    if (++loggedLines <= shownLogLines)
        QTextStream(stderr) << "orvel-bench: library log: " << message << '\n';
}

void prepareEnvironment()
{
    if (qEnvironmentVariableIsEmpty("TZ")) {
        qputenv("TZ", defaultZone);
        tzset();
    }
    // Run from the build tree: the schema script of this source tree unless told otherwise.
    if (qEnvironmentVariableIsEmpty("ORVEL_SCHEMA_DIR"))
        qputenv("ORVEL_SCHEMA_DIR", ORVEL_BENCH_SCHEMA_DIR);
}

} // namespace

int main(int argc, char* argv[])
{
    prepareEnvironment();
    QCoreApplication application(argc, argv);

    Bench::BenchOptions options;
    switch (Bench::parseOptions(application.arguments(), options)) {
    case Bench::ParseResult::HelpShown:
        return EXIT_SUCCESS;
    case Bench::ParseResult::Invalid:
        return EXIT_FAILURE;
    case Bench::ParseResult::Run:
        break;
    }

    Bench::useClock(options.processorTime ? Bench::Clock::Processor : Bench::Clock::Wall);
    QTextStream(stderr) << "orvel-bench: timing with "
                        << (options.processorTime ? "processor time" : "the wall clock") << '\n';
    qInstallMessageHandler(countingMessageHandler);
    Bench::Report report(options.csv);
    report.printHeader();
    for (int size : options.sizes) {
        if (!Bench::Scenario(size, options.repetitions, report).run())
            return EXIT_FAILURE;
    }
    report.printSummary();
    if (loggedLines > shownLogLines)
        QTextStream(stderr) << "orvel-bench: library log: " << loggedLines << " lines in all\n";
    return EXIT_SUCCESS;
}
