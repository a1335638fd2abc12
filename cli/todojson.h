#ifndef ORVEL_CLI_TODOJSON_H
#define ORVEL_CLI_TODOJSON_H

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>

namespace Orvel {
class Todo;
} // namespace Orvel

// The JSON form of a todo that list --json and show --json print, for scripts: one object per
// todo with every field; its members are described in the README and only ever added to.
class TodoJson
{
public:
    static QJsonObject toJson(const Orvel::Todo* todo);

private:
    static QJsonValue idValue(int id);
    // An instant as ISO 8601 with the todo's own offset, as its wall-clock times are shown.
    static QString inTodoOffset(const Orvel::Todo* todo, const QDateTime& utc);
    static QString inUtc(const QDateTime& utc);
    static QJsonValue fields(const Orvel::Todo* todo, QJsonObject* byType);
    static QJsonValue alarms(const Orvel::Todo* todo);
    static QJsonValue attachments(const Orvel::Todo* todo);
    static QJsonValue recurrence(const Orvel::Todo* todo);
};

#endif
