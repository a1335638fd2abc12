#ifndef ORVEL_CLI_EDITCOMMAND_H
#define ORVEL_CLI_EDITCOMMAND_H

#include "command.h"

// The commands that change or delete one todo: done, undone, note and delete.
class EditCommand : public Command
{
public:
    enum Edit { MarkDone, MarkOpen, ChangeNote, Delete };

    explicit EditCommand(Edit edit);

    void defineOptions(QCommandLineParser& parser) const override;
    bool readArguments(const QCommandLineParser& parser, QString* error) override;
    bool prepare(QString* error) override;
    int run(Session& session) override;

private:
    static QString nameOf(Edit edit);
    static QString summaryOf(Edit edit);
    void apply(Session& session, Orvel::Todo* todo) const;

    Edit m_edit;
    int m_id = 0;
    QString m_note;
    QString m_noteFile;
};

#endif
