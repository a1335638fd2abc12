// The expansion of a todo's format string: arbitrary templates (placeholders with any number,
// several in one word, unmatched percent signs) over arbitrary field values and dates.
#include "fuzzsupport.h"

#include <orvel/field.h>
#include <orvel/todo.h>

using namespace Orvel;

namespace {

const int mostFields = 6;

void addFields(FuzzedDataProvider& data, Todo* todo)
{
    const int count = data.ConsumeIntegralInRange(0, mostFields);
    for (int index = 0; index < count; ++index) {
        // Owned by the todo from setTodo() on: its destructor deletes its live fields.
        auto* field = new Field(nullptr);
        field->field_type_id = OrvelFuzz::anyInt(data);
        field->value = OrvelFuzz::text(data, 16);
        field->setTodo(todo);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    Todo todo(nullptr);
    todo.time_zone = OrvelFuzz::zoneString(data);
    todo.start_date = OrvelFuzz::anyDateTime(data).toTimeSpec(Qt::UTC);
    todo.end_date = data.ConsumeBool()
                        ? todo.start_date.addSecs(data.ConsumeIntegralInRange(-86400, 86400 * 40))
                        : OrvelFuzz::anyDateTime(data).toTimeSpec(Qt::UTC);
    addFields(data, &todo);
    todo.format_string = QString::fromStdString(data.ConsumeRemainingBytesAsString());
    static_cast<void>(todo.readableFormatString());
    return 0;
}
