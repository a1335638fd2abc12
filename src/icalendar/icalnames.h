#ifndef ORVEL_ICALENDAR_ICALNAMES_H
#define ORVEL_ICALENDAR_ICALNAMES_H

// The names that the writer and the reader share: the X- properties and parameters that carry
// what RFC 5545 has no property for, and the field types reserved for imported values.
namespace Orvel {
namespace ICalNames {

constexpr char productId[] = "-//Orvel//liborvel-backend-lite 1.0//EN";
constexpr char zonePrefix[] = "UTC";

constexpr char zone[] = "X-ORVEL-ZONE";
constexpr char status[] = "X-ORVEL-STATUS";
constexpr char formatString[] = "X-ORVEL-FORMAT";
constexpr char sample[] = "X-ORVEL-SAMPLE";
constexpr char instanceOf[] = "X-ORVEL-INSTANCE-OF";
constexpr char ruleActive[] = "X-ORVEL-RULE-ACTIVE";
constexpr char ruleKind[] = "X-ORVEL-RULE-KIND";
constexpr char repeatsOn[] = "X-ORVEL-REPEATS-ON";
constexpr char repeatsEvery[] = "X-ORVEL-REPEATS-EVERY";
constexpr char rangeStart[] = "X-ORVEL-RANGE-START";
constexpr char rangeEnd[] = "X-ORVEL-RANGE-END";
constexpr char instancingDate[] = "X-ORVEL-INSTANCING-DATE";
constexpr char field[] = "X-ORVEL-FIELD";
constexpr char alarmActive[] = "X-ORVEL-ACTIVE";
constexpr char snooze[] = "X-ORVEL-SNOOZE";
constexpr char snoozeInterval[] = "X-ORVEL-SNOOZE-INTERVAL";

// Parameters.
constexpr char typeParameter[] = "X-ORVEL-TYPE";
constexpr char dbIdParameter[] = "X-ORVEL-DB-ID";
constexpr char contactIdParameter[] = "X-ORVEL-CONTACT-ID";
constexpr char noteParameter[] = "X-ORVEL-NOTE";
constexpr char sizeParameter[] = "X-ORVEL-SIZE";
constexpr char emptyValueParameter[] = "X-ORVEL-EMPTY";

// Field types that hold what other programs write and the library has no field for.
constexpr char uidFieldType[] = "iCalendar UID";
constexpr char categoryFieldType[] = "iCalendar category";
constexpr char priorityFieldType[] = "iCalendar priority";
constexpr char descriptionFieldType[] = "iCalendar description";

} // namespace ICalNames
} // namespace Orvel

#endif
