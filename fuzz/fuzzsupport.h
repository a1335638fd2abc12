#ifndef ORVEL_FUZZ_FUZZSUPPORT_H
#define ORVEL_FUZZ_FUZZSUPPORT_H

#include <QDateTime>
#include <QString>
#include <fuzzer/FuzzedDataProvider.h>

// What every fuzz target shares: the process set-up (LLVMFuzzerInitialize, defined in
// fuzzsupport.cpp) and the decoding of fuzz bytes into the
// values the library reads from a database or gets from a front end.
namespace OrvelFuzz {

// Any int, with small values (and the ends of the range) much more likely than the rest.
int anyInt(FuzzedDataProvider& data);

// A date-time anywhere in the range that QDate accepts, in years 1 to 9999 more often, or
// invalid; labelled UTC or local time.
QDateTime anyDateTime(FuzzedDataProvider& data);

// A valid date-time within the given number of days around a date, labelled local time.
QDateTime dateTimeNear(FuzzedDataProvider& data, const QDate& around, int days);

// A zone string: usually "+hh:mm" or "-hh:mm" with arbitrary digits, sometimes any text.
QString zoneString(FuzzedDataProvider& data);

// A pattern of '0' and '1' of one of the lengths the rules use (7, 14, 29), or of another
// length, sometimes with other characters.
QString repeatsOnPattern(FuzzedDataProvider& data);

// Up to maxLength bytes of fuzz data read as UTF-8.
QString text(FuzzedDataProvider& data, size_t maxLength);

} // namespace OrvelFuzz

#endif
