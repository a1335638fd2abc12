#ifndef ORVEL_PRESENTATION_READABLETEXT_P_H
#define ORVEL_PRESENTATION_READABLETEXT_P_H

#include <QDateTime>
#include <QString>

namespace Orvel {

class Todo;

// The readable date and the expanded format string of a todo as they read at a given moment of
// the device's clock, for callers that keep the texts (the alphabetical sort keys of a query)
// and must know what they depend on.
namespace ReadableText {

// The todo's readable date at now (the device's local time). *readsTimeOfDay becomes true when
// the phrase depends on the time of day of now and not only on its date; it is never reset.
QString date(const Todo& todo, const QDateTime& now, bool* readsTimeOfDay);

// The todo's expanded format string at now; *readsTimeOfDay as for date().
QString formatString(const Todo& todo, const QDateTime& now, bool* readsTimeOfDay);

// Every translated text that a readable date can contain (phrases and month names), joined: two
// calls give different results exactly when the installed translations of those texts differ.
QString translations();

} // namespace ReadableText

} // namespace Orvel

#endif
