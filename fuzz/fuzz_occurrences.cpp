// The occurrence walk with arbitrary rule fields and dates: any kind, interval and pattern, as a
// database or a front end may hold them. Single steps take dates from the whole range of QDate;
// the walk over a query interval starts at most a few decades before it, which bounds the run
// time of one input without narrowing the values a step sees.
#include "fuzzsupport.h"

#include <orvel/query.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

const int sampleDaysAroundQuery = 20000;
const int longestQueryDays = 400;
const int stepsPerInput = 8;

void fillRule(FuzzedDataProvider& data, Recurrence* rule)
{
    rule->repeats = static_cast<Repeats>(data.ConsumeBool() ? data.ConsumeIntegralInRange(0, 5)
                                                            : OrvelFuzz::anyInt(data));
    rule->repeats_every = OrvelFuzz::anyInt(data);
    rule->repeats_on = OrvelFuzz::repeatsOnPattern(data);
    rule->is_active = data.ConsumeIntegralInRange(0, 7) != 0;
}

void walkSingleSteps(FuzzedDataProvider& data, Query* query, Recurrence* rule)
{
    QDateTime from = OrvelFuzz::anyDateTime(data);
    for (int step = 0; step < stepsPerInput && data.remaining_bytes() > 0; ++step) {
        const QDateTime next = query->nextOccurance(rule, from);
        from = data.ConsumeBool() && next.isValid() ? next : OrvelFuzz::anyDateTime(data);
    }
}

void walkQueryInterval(FuzzedDataProvider& data, Query* query, Recurrence* rule, Todo* sample)
{
    query->activeFrom = OrvelFuzz::dateTimeNear(data, QDate(2015, 1, 14), 3000000);
    query->activeTo = query->activeFrom.addDays(data.ConsumeIntegralInRange(-1, longestQueryDays));
    sample->start_date =
        OrvelFuzz::dateTimeNear(data, query->activeFrom.date(), sampleDaysAroundQuery)
            .toTimeSpec(Qt::UTC);
    sample->end_date = sample->start_date.addSecs(data.ConsumeIntegralInRange(-3600, 200000));
    rule->range_start = OrvelFuzz::anyDateTime(data).toTimeSpec(Qt::UTC);
    rule->range_end = data.ConsumeBool() ? OrvelFuzz::anyDateTime(data).toTimeSpec(Qt::UTC)
                                         : query->activeTo.toTimeSpec(Qt::UTC);
    rule->instancing_date = OrvelFuzz::anyDateTime(data).toTimeSpec(Qt::UTC);
    query->recurrence = rule;
    query->unfilteredRecurring = true;
    query->nextOccurrenceOnly = data.ConsumeBool();
    query->execute();
    for (const Todo* occurrence : std::as_const(*query->result))
        static_cast<void>(occurrence->readableDate());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    QList<Todo*> todos;
    QList<Recurrence*> recurrences;
    // Declared in this order so that the query's occurrences go first, then the sample (which
    // unlinks its rule), then the rule.
    Recurrence rule(nullptr);
    Todo sample(nullptr);
    sample.is_sample = true;
    sample.time_zone = OrvelFuzz::zoneString(data);
    rule.setSample(&sample);
    recurrences.append(&rule);
    Query query(&todos, &recurrences);

    fillRule(data, &rule);
    walkSingleSteps(data, &query, &rule);
    walkQueryInterval(data, &query, &rule, &sample);
    return 0;
}
