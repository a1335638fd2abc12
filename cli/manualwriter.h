#ifndef ORVEL_CLI_MANUALWRITER_H
#define ORVEL_CLI_MANUALWRITER_H

#include <QList>
#include <QString>
#include <QStringList>

// Writes the manual page and the bash completion of orvel from the help texts that --help
// prints, so that the three never disagree. The build runs orvel once for each file.
class ManualWriter
{
public:
    // The help of one command as --help prints it.
    struct CommandHelp
    {
        QString name;
        QString helpText;
    };

    ManualWriter(const QString& mainHelp, const QList<CommandHelp>& commands);

    QString manPage() const;
    QString bashCompletion() const;

private:
    // One option of a help text: "--start <date>" and its description.
    struct Option
    {
        QStringList names;
        QString value;
        QString description;
    };

    static QList<Option> optionsOf(const QString& helpText);
    static Option readOptionLine(const QString& line);
    static QString descriptionOf(const QString& helpText);
    static QString sectionOf(const QString& helpText, const QString& heading);
    static QString roff(const QString& text);
    static QString roffOption(const Option& option);
    QString globalOptionsSection() const;
    QString commandSection(const CommandHelp& command) const;
    static QString valueOptionNames(const QList<Option>& options, bool filesOnly);
    static QString allNames(const QList<Option>& options);
    bool isGlobal(const Option& option) const;

    QString m_mainHelp;
    QList<CommandHelp> m_commands;
    QList<Option> m_globalOptions;
};

#endif
