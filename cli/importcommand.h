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
    // Reads the file before the database is locked and loaded.
    bool prepare(QString* error) override;
    int run(Session& session) override;

private:
    QString m_path;
    QByteArray m_text;
};

#endif
