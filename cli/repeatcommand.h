#ifndef ORVEL_CLI_REPEATCOMMAND_H
#define ORVEL_CLI_REPEATCOMMAND_H

#include "command.h"
#include "inputreader.h"

#include <QDateTime>
#include <orvel/repeats.h>

namespace Orvel {
class Recurrence;
}

// orvel repeat ID --daily|--weekly ...: makes a sample from the todo and a recurrence for it;
// the todo itself becomes the first todo of the rule.
class RepeatCommand : public Command
{
public:
    RepeatCommand();

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    int run(Session& session) override;

    // The range end of a rule given without --until: far enough never to be reached.
    static QDateTime endlessRangeEnd();
    // Whether a rule runs without end, as repeat writes such a rule.
    static bool isEndless(const Orvel::Recurrence* rule);

private:
    bool readKind(const QCommandLineParser& parser, QString* error);
    bool readMonthlyWeek(const QCommandLineParser& parser, QString* error);
    bool readEvery(const QCommandLineParser& parser, QString* error);
    bool readUntil(const QCommandLineParser& parser, QString* error);
    int stop(Orvel::Todo* todo, Session& session) const;
    int makeRule(Orvel::Todo* todo, Session& session) const;

    int m_id = 0;
    Orvel::Repeats m_repeats = Orvel::NoRepeat;
    QString m_pattern;
    int m_every = 1;
    bool m_hasUntil = false;
    DateInput m_until;
    bool m_stop = false;
};

#endif
