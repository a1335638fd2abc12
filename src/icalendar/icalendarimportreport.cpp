#include <orvel/icalendarimportreport.h>

namespace Orvel {

bool ICalendarImportReport::isValid() const
{
    return error.isEmpty();
}

QStringList ICalendarImportReport::lines() const
{
    if (!isValid())
        return {QStringLiteral("line %1: %2").arg(errorLine).arg(error)};
    QStringList result{QStringLiteral("created %1, updated %2, skipped %3")
                           .arg(created)
                           .arg(updated)
                           .arg(skipped)};
    for (const QString& warning : warnings)
        result.append(QStringLiteral("warning: ") + warning);
    return result;
}

} // namespace Orvel
