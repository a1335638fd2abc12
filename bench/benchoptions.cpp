#include "benchoptions.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace Bench {

namespace {

const QList<int> defaultSizes = {10000, 100000};
constexpr int defaultRepetitions = 3;
// Below this, N/100 samples would be none and timings would be too short to mean anything.
constexpr int smallestSize = 100;

void printError(const QString& text)
{
    QTextStream(stderr) << "orvel-bench: " << text << '\n';
}

bool readSizes(const QStringList& values, QList<int>& sizes)
{
    for (const QString& value : values) {
        bool ok = false;
        const int size = value.toInt(&ok);
        if (!ok || size < smallestSize) {
            printError(QStringLiteral("--n needs a whole number of at least %1, not \"%2\"")
                           .arg(smallestSize)
                           .arg(value));
            return false;
        }
        sizes.append(size);
    }
    return true;
}

} // namespace

ParseResult parseOptions(const QStringList& arguments, BenchOptions& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times Pool::synchronizeToDatabase(), Pool::start() and Query::execute() on N todos "
        "against plain QtSql and std::sort floors. One line per measurement: "
        "name N seconds floor_seconds ratio, then the target checks."));
    parser.addHelpOption();
    const QCommandLineOption sizeOption(
        QStringLiteral("n"),
        QStringLiteral("Number of todos; repeat for several runs (default "
                       "10000 and 100000)."),
        QStringLiteral("N"));
    const QCommandLineOption repetitionOption(
        QStringLiteral("reps"),
        QStringLiteral("Repetitions per timing; the median is reported (default %1).")
            .arg(defaultRepetitions),
        QStringLiteral("K"), QString::number(defaultRepetitions));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QStringLiteral("Machine-readable comma-separated output."));
    const QCommandLineOption cpuOption(
        QStringLiteral("cpu"),
        QStringLiteral("Time with the processor time of this process instead of the wall clock: "
                       "steadier on a busy machine, but without the time spent waiting for the "
                       "disk."));
    parser.addOptions({sizeOption, repetitionOption, csvOption, cpuOption});

    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return ParseResult::Invalid;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser.helpText();
        return ParseResult::HelpShown;
    }

    options.csv = parser.isSet(csvOption);
    options.processorTime = parser.isSet(cpuOption);
    bool ok = false;
    options.repetitions = parser.value(repetitionOption).toInt(&ok);
    if (!ok || options.repetitions < 1) {
        printError(QStringLiteral("--reps needs a whole number of at least 1"));
        return ParseResult::Invalid;
    }
    options.sizes.clear();
    if (!readSizes(parser.values(sizeOption), options.sizes))
        return ParseResult::Invalid;
    if (options.sizes.isEmpty())
        options.sizes = defaultSizes;
    return ParseResult::Run;
}

} // namespace Bench
