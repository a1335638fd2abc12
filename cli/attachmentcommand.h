#ifndef ORVEL_CLI_ATTACHMENTCOMMAND_H
#define ORVEL_CLI_ATTACHMENTCOMMAND_H

#include "command.h"

#include <QByteArray>

// attach ID FILE stores the bytes of a file as an attachment of a todo; export-attachment
// BINARY_ID FILE writes them back to a file.
class AttachmentCommand : public Command
{
public:
    enum Direction { Attach, Export };

    explicit AttachmentCommand(Direction direction);

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    bool prepare(QString* error) override;
    int run(Session& session) override;

private:
    bool readFile(QString* error);
    int attach(Session& session);
    int exportBytes(Session& session);

    Direction m_direction;
    int m_id = 0;
    QString m_path;
    QByteArray m_bytes;
};

#endif
