#ifndef ORVEL_CLI_ADDCOMMAND_H
#define ORVEL_CLI_ADDCOMMAND_H

#include "command.h"

#include <QDateTime>
#include <QList>
#include <QPair>

namespace Orvel {
class FieldType;
class Pool;
} // namespace Orvel

// orvel add NOTE: creates a todo with its dates, zone, format, fields and alarms.
class AddCommand : public Command
{
public:
    AddCommand();

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    int run(Session& session) override;

private:
    bool readSpan(const QCommandLineParser& parser, QString* error);
    bool readFields(const QCommandLineParser& parser, QString* error);
    bool readAlarms(const QCommandLineParser& parser, QString* error);
    void addFields(Orvel::Pool* pool, Orvel::Todo* todo) const;
    void addAlarms(Orvel::Pool* pool, Orvel::Todo* todo) const;
    static Orvel::FieldType* fieldTypeNamed(Orvel::Pool* pool, const QString& name);

    QString m_note;
    QDateTime m_start;
    QDateTime m_end;
    QString m_timeZone;
    QString m_format;
    bool m_hasFormat = false;
    QList<QPair<QString, QString>> m_fields;
    QList<QDateTime> m_alarms;
};

#endif
