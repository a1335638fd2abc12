#ifndef ORVEL_CLI_SHOWCOMMAND_H
#define ORVEL_CLI_SHOWCOMMAND_H

#include "command.h"

// orvel show ID: every detail of one todo.
class ShowCommand : public Command
{
public:
    ShowCommand();

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    int run(Session& session) override;

private:
    int m_id = 0;
    bool m_json = false;
};

#endif
