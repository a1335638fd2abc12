#ifndef ORVEL_CLI_IMPORTCOMMAND_H
#define ORVEL_CLI_IMPORTCOMMAND_H

#include "command.h"

// orvel import FILE|-: reads an iCalendar file into the database and prints the report.
class ImportCommand : public Command
{
public:
    ImportCommand();

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    int run(Session& session) override;

private:
    bool readInput(QByteArray* text) const;
    QString inputName() const;

    QString m_path;
};

#endif
