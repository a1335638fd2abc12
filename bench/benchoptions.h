#ifndef ORVEL_BENCH_BENCHOPTIONS_H
#define ORVEL_BENCH_BENCHOPTIONS_H

#include <QList>
#include <QStringList>

namespace Bench {

/// What the command line asked for.
struct BenchOptions
{
    QList<int> sizes;
    int repetitions = 0;
    bool csv = false;
    bool processorTime = false;
};

enum class ParseResult { Run, HelpShown, Invalid };

/// Parses the arguments into options; prints the help text or the error where there is one.
ParseResult parseOptions(const QStringList& arguments, BenchOptions& options);

} // namespace Bench

#endif
