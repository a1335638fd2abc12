// Zone strings as a database or a front end may hold them, through every conversion that reads
// one: the offset itself, moving a todo and its alarm to another zone, the wall-clock readings of
// todos, alarms and rule ranges, and the device zone of any date.
#include "entity/timezone.h"
#include "fuzzsupport.h"

#include <orvel/alarm.h>
#include <orvel/recurrence.h>
#include <orvel/todo.h>

using namespace Orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QDateTime moment = OrvelFuzz::anyDateTime(data);
    const QString firstZone = OrvelFuzz::zoneString(data);
    const QString secondZone = data.ConsumeBool()
                                   ? OrvelFuzz::zoneString(data)
                                   : QString::fromStdString(data.ConsumeRemainingBytesAsString());

    static_cast<void>(TimeZone::offsetSeconds(secondZone));
    static_cast<void>(TimeZone::rebased(moment, firstZone, secondZone));
    static_cast<void>(
        TimeZone::wallClockFromHeld(TimeZone::heldFromWallClock(moment, secondZone), secondZone));

    Recurrence rule(nullptr);
    Todo sample(nullptr);
    sample.is_sample = true;
    sample.time_zone = firstZone;
    sample.start_date = moment.toTimeSpec(Qt::UTC);
    sample.end_date = sample.start_date;
    // Owned by the sample from setTodo() on.
    auto* alarm = new Alarm(nullptr);
    alarm->setTodo(&sample);
    alarm->setAlarmTime(moment);
    rule.setSample(&sample);
    rule.setRangeStart(moment);

    sample.setTimeZone(secondZone);
    static_cast<void>(sample.startDate(Stored));
    static_cast<void>(alarm->alarmTime(Stored));
    static_cast<void>(rule.rangeStart(Stored));
    static_cast<void>(sample.readableDate());
    static_cast<void>(sample.parseTimeZone(moment));
    return 0;
}
