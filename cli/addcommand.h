#ifndef ORVEL_CLI_ADDCOMMAND_H
#define ORVEL_CLI_ADDCOMMAND_H

#include "command.h"
#include "inputreader.h"
#include "todozone.h"

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
    bool prepare(QString* error) override;
    int run(Session& session) override;

    // Adds a field of the type with that name, creating the type when there is none.
    static void addField(Orvel::Pool* pool, Orvel::Todo* todo, const QString& typeName,
                         const QString& value);
    // Adds an active alarm at a UTC instant.
    static void addAlarm(Orvel::Pool* pool, Orvel::Todo* todo, const QDateTime& time);
    // The first field type of the pool with that name, or null; every command that names a
    // type means the same one.
    static Orvel::FieldType* existingFieldType(const Orvel::Pool* pool, const QString& name);

private:
    bool readNoteArguments(const QCommandLineParser& parser, QString* error);
    bool readSpan(const QCommandLineParser& parser, QString* error);
    bool convertDates(QString* error);
    bool readFields(const QCommandLineParser& parser, QString* error);
    bool readAlarms(const QCommandLineParser& parser, QString* error);
    void addFields(Orvel::Pool* pool, Orvel::Todo* todo) const;
    void addAlarms(Orvel::Pool* pool, Orvel::Todo* todo) const;
    static Orvel::FieldType* fieldTypeNamed(Orvel::Pool* pool, const QString& name);

    QString m_note;
    QString m_noteFile;
    bool m_hasSpan = false;
    DateInput m_startInput;
    DateInput m_endInput;
    QList<DateInput> m_alarmInputs;
    QDateTime m_start;
    QDateTime m_end;
    TodoZone m_zone;
    QString m_offset;
    QString m_format;
    bool m_hasFormat = false;
    QList<QPair<QString, QString>> m_fields;
    QList<QDateTime> m_alarms;
};

#endif
