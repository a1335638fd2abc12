#ifndef ORVEL_CLI_TODOFILTEROPTIONS_H
#define ORVEL_CLI_TODOFILTEROPTIONS_H

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

class QCommandLineParser;

namespace Orvel {
class Pool;
class Query;
} // namespace Orvel

// The filters that the commands selecting todos share: --done/--open, the interval --from/--to
// read on the device's clock, and --field TYPE=TEXT.
class TodoFilterOptions
{
public:
    static void define(QCommandLineParser& parser);
    bool read(const QCommandLineParser& parser, QString* error);

    bool isEmpty() const;
    bool hasInterval() const;
    // Sets the filters on the query; false when a filter names a field type that does not exist,
    // so that no todo can match.
    bool apply(Orvel::Pool* pool, Orvel::Query* query) const;

private:
    bool readDoneFilter(const QCommandLineParser& parser, QString* error);
    bool readInterval(const QCommandLineParser& parser, QString* error);
    bool readFieldFilters(const QCommandLineParser& parser, QString* error);

    int m_doneFilter = -1;
    QDateTime m_from;
    QDateTime m_to;
    QList<QPair<QString, QString>> m_fieldFilters;
};

#endif
