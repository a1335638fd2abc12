#ifndef ORVEL_CLI_EXPORTCOMMAND_H
#define ORVEL_CLI_EXPORTCOMMAND_H

#include "command.h"
#include "todofilteroptions.h"

#include <QList>

namespace Orvel {
class Pool;
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
    QList<Orvel::Todo*> selectedTodos(Orvel::Pool* pool) const;
    bool write(const QByteArray& text) const;

    TodoFilterOptions m_filters;
    QString m_output;
};

#endif
