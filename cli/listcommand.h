#ifndef ORVEL_CLI_LISTCOMMAND_H
#define ORVEL_CLI_LISTCOMMAND_H

#include "command.h"
#include "todofilteroptions.h"

#include <QList>

namespace Orvel {
class Pool;
class Query;
} // namespace Orvel

// orvel list: runs a query and prints one line per todo.
class ListCommand : public Command
{
public:
    ListCommand();

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    int run(Session& session) override;

private:
    bool readSortOrder(const QCommandLineParser& parser, QString* error);
    bool readBatch(const QCommandLineParser& parser, QString* error);
    void setFilters(Orvel::Query* query) const;
    QList<Orvel::Todo*> shownTodos(const Orvel::Query* query) const;
    bool matchesSearch(const Orvel::Todo* todo) const;
    void print(const QList<Orvel::Todo*>& todos) const;

    TodoFilterOptions m_filters;
    int m_sortOrder = 0;
    int m_batchSize = 0;
    int m_page = 1;
    bool m_recurring = false;
    bool m_json = false;
    QString m_search;
};

#endif
