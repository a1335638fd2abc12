#ifndef ORVEL_QUERY_SORTKEYCACHE_H
#define ORVEL_QUERY_SORTKEYCACHE_H

#include <QDate>
#include <QDateTime>
#include <QString>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Orvel {

class Todo;

// The keys of the alphabetical orders (the expanded format strings), kept from one execute() of
// a query to the next. A key is computed from the todo's format string, its start and end dates
// and zone, the values and types of its field values, and the device's clock, zone and installed
// translations. Expanding a format string costs about ten times as much as sorting its key, so a
// kept key is handed out again when everything it was computed from is unchanged: the todo's
// inputs are compared with the copies kept beside the key (the front end may also write the
// records' public members directly, so no signal could tell), and the device's date, offset and
// translated texts are compared once per pass. A key that depends on the time of day (a week
// phrase read on the first or last day of its week) is computed afresh every time.
class SortKeyCache
{
public:
    // Starts one pass of key requests, all read at the same moment of the device's clock.
    void beginPass();
    // The todo's key, equal to what Todo::readableFormatString() gives at the pass's moment.
    QString keyOf(const Todo* todo);
    // Forgets the keys of todos that this pass did not ask for once they outnumber the others,
    // so that deleted todos do not pile up.
    void endPass();

private:
    struct Inputs
    {
        QString format;
        QDateTime start;
        QDateTime end;
        QString zone;
        std::vector<std::pair<int, QString>> fields;
    };
    struct Entry
    {
        Inputs inputs;
        QString key;
        quint64 pass = 0;
        bool readsTimeOfDay = false;
    };

    static Inputs inputsOf(const Todo& todo);
    static bool sameInputs(const Inputs& kept, const Todo& todo);
    void checkEnvironment();

    std::unordered_map<const Todo*, Entry> m_entries;
    QDateTime m_now;
    QDate m_day;
    int m_offset = 0;
    QString m_translations;
    quint64 m_pass = 0;
    std::size_t m_requested = 0;
};

} // namespace Orvel

#endif
