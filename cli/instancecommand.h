#ifndef ORVEL_CLI_INSTANCECOMMAND_H
#define ORVEL_CLI_INSTANCECOMMAND_H

#include "command.h"

#include <QDateTime>

// instance --until DATE turns every occurrence of every rule up to DATE into a todo; next
// does so for the next due occurrence of every rule. Both print the todos they made.
class InstanceCommand : public Command
{
public:
    enum Reach { UpToDate, NextOccurrence };

    explicit InstanceCommand(Reach reach);

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    int run(Session& session) override;

private:
    Reach m_reach;
    QDateTime m_until;
};

#endif
