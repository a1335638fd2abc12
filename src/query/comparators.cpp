#include "query/datefilter.h"

#include <orvel/query.h>
#include <orvel/todo.h>

namespace Orvel {

// Query::execute() sorts on keys computed once per todo in the same orders; these are the
// comparators of those orders for callers that sort lists of their own. The dates compare as
// their local-time readings would, read from the held instants without the conversion.

bool StartDateAscLessThan(const Todo* a, const Todo* b)
{
    return DateFilter::instant(a->start_date) < DateFilter::instant(b->start_date);
}

bool StartDateDescLessThan(const Todo* a, const Todo* b)
{
    return StartDateAscLessThan(b, a);
}

bool CreationDateAscLessThan(const Todo* a, const Todo* b)
{
    return DateFilter::instant(a->creation_date) < DateFilter::instant(b->creation_date);
}

bool CreationDateDescLessThan(const Todo* a, const Todo* b)
{
    return CreationDateAscLessThan(b, a);
}

bool AlphabeticallyAscLessThan(const Todo* a, const Todo* b)
{
    return a->readableFormatString() < b->readableFormatString();
}

bool AlphabeticallyDescLessThan(const Todo* a, const Todo* b)
{
    return AlphabeticallyAscLessThan(b, a);
}

} // namespace Orvel
