#ifndef ORVEL_CLI_EXPORTCOMMAND_H
#define ORVEL_CLI_EXPORTCOMMAND_H

#include "command.h"

#include <QDateTime>
#include <QList>
#include <QPair>

namespace Orvel {
class Pool;
class Query;
} // namespace Orvel

// orvel export: writes todos as an iCalendar file, to standard output or to a file.
class ExportCommand : public Command
{
public:
    ExportCommand();

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    int run(Session& session) override;

private:
    bool hasFilters() const;
    bool readFilters(const QCommandLineParser& parser, QString* error);
    // False when a filter names a field type that does not exist: then no todo matches.
    bool setFieldFilters(Orvel::Pool* pool, Orvel::Query* query) const;
    QList<Orvel::Todo*> selectedTodos(Orvel::Pool* pool) const;
    bool write(const QByteArray& text) const;

    int m_doneFilter = -1;
    QDateTime m_from;
    QDateTime m_to;
    QList<QPair<QString, QString>> m_fieldFilters;
    QString m_output;
};

#endif
