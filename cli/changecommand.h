#ifndef ORVEL_CLI_CHANGECOMMAND_H
#define ORVEL_CLI_CHANGECOMMAND_H

#include "command.h"
#include "inputreader.h"
#include "todozone.h"

#include <QList>
#include <QPair>

namespace Orvel {
class Alarm;
class Binary;
class Field;
} // namespace Orvel

// orvel edit ID: changes what add sets on a todo (note, format, start, end, zone, fields,
// alarms) and removes alarms, attachments and fields. Everything is checked before anything
// changes, so that a mistake leaves the todo as it was.
class ChangeCommand : public Command
{
public:
    ChangeCommand();

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    bool prepare(QString* error) override;
    int run(Session& session) override;

    // Replaces the note; a plain todo, whose format string is its note, keeps the two equal.
    static void replaceNote(Orvel::Todo* todo, const QString& note);

private:
    // The records of the todo that the options remove, or false with a message.
    struct Removals
    {
        QList<Orvel::Field*> fields;
        QList<Orvel::Alarm*> alarms;
        QList<Orvel::Binary*> binaries;
    };

    bool readNote(const QCommandLineParser& parser, QString* error);
    bool readDates(const QCommandLineParser& parser, QString* error);
    bool readFields(const QCommandLineParser& parser, QString* error);
    bool readIds(const QCommandLineParser& parser, const char* option, QList<int>* ids,
                 QString* error) const;
    bool findRemovals(const Orvel::Todo* todo, Removals* removals, QString* error) const;
    // The todo's new offset and its dates as UTC instants, read in the zone the user gave.
    bool resolveDates(const Orvel::Todo* todo, QString* offset, QDateTime* start, QDateTime* end,
                      QList<QDateTime>* alarms, QString* error) const;
    void applyTexts(Orvel::Todo* todo) const;
    void applyFields(Session& session, Orvel::Todo* todo) const;
    static void remove(Session& session, const Removals& removals);

    int m_id = 0;
    bool m_hasNote = false;
    QString m_note;
    QString m_noteFile;
    bool m_hasFormat = false;
    QString m_format;
    bool m_hasZone = false;
    TodoZone m_zone;
    bool m_hasStart = false;
    DateInput m_start;
    bool m_hasEnd = false;
    DateInput m_end;
    QList<DateInput> m_alarms;
    QList<QPair<QString, QString>> m_fields;
    QStringList m_removedFieldTypes;
    QList<int> m_removedAlarms;
    QList<int> m_removedBinaries;
};

#endif
