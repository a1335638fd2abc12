#include "manualwriter.h"

#include <QRegularExpression>

namespace {

const char optionsHeading[] = "Options:";
const char argumentsHeading[] = "Arguments:";
const char commandsHeading[] = "Commands:";
const char fileValue[] = "FILE";

const char manHeader[] = ".TH ORVEL 1 \"\" \"orvel\" \"User Commands\"\n"
                         ".SH NAME\n"
                         "orvel \\- keep a to-do list from the command line\n"
                         ".SH SYNOPSIS\n"
                         ".B orvel\n"
                         "[\\fIoptions\\fR] \\fICOMMAND\\fR [\\fIarguments\\fR]\n";
const char manFiles[] = ".SH FILES\n"
                        ".TP\n"
                        ".I ~/.orvel/orvel_db.sqlite\n"
                        "The database used unless \\fB\\-\\-db\\fR names another.\n"
                        ".TP\n"
                        ".I DATABASE.lock\n"
                        "Held while a command runs, so that commands on one database never "
                        "interleave.\n";

// The completion function; %1 the commands, %2 the global options, %3 the global options that
// take a value, %4 the options whose value is a file, %5 the case branches of the commands.
const char completionScript[] = R"(# bash completion for orvel, generated from its --help texts.
_orvel()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local command='' i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        %3) ((i++)) ;;
        -*) ;;
        *) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    case $prev in
    %4) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    esac
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "%1 %2" -- "$cur"))
        return
    fi
    local options='' values=''
    case $command in
%5    esac
    if [[ " $values " == *" $prev "* ]]; then
        COMPREPLY=()
    elif [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options %2" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}
complete -F _orvel orvel
)";

QString joinedWords(const QStringList& names)
{
    return names.join(QLatin1Char(' '));
}

} // namespace

ManualWriter::ManualWriter(const QString& mainHelp, const QList<CommandHelp>& commands)
    : m_mainHelp(mainHelp), m_commands(commands), m_globalOptions(optionsOf(mainHelp))
{}

QString ManualWriter::manPage() const
{
    QString page = QLatin1String(manHeader);
    page +=
        QStringLiteral(".SH DESCRIPTION\n") + roff(descriptionOf(m_mainHelp)) + QLatin1Char('\n');
    page += globalOptionsSection();
    page += QStringLiteral(".SH COMMANDS\n");
    for (const CommandHelp& command : m_commands)
        page += commandSection(command);
    // The footer of the main help: dates, relative dates and exit status.
    const QString footer = m_mainHelp.mid(m_mainHelp.indexOf(QLatin1String(commandsHeading)));
    const int footerStart = footer.indexOf(QLatin1String("\n\n"));
    if (footerStart >= 0)
        page += QStringLiteral(".SH NOTES\n") + roff(footer.mid(footerStart).trimmed()) +
                QLatin1Char('\n');
    return page + QLatin1String(manFiles);
}

QString ManualWriter::bashCompletion() const
{
    QStringList names;
    QString branches;
    QList<Option> all = m_globalOptions;
    for (const CommandHelp& command : m_commands) {
        names << command.name;
        QList<Option> own;
        for (const Option& option : optionsOf(command.helpText)) {
            if (!isGlobal(option))
                own << option;
        }
        all << own;
        branches +=
            QStringLiteral("    %1) options='%2' values='%3' ;;\n")
                .arg(command.name, allNames(own),
                     valueOptionNames(own, false).replace(QLatin1Char('|'), QLatin1Char(' ')));
    }
    QString script = QLatin1String(completionScript);
    return script.replace(QLatin1String("%1"), joinedWords(names))
        .replace(QLatin1String("%2"), allNames(m_globalOptions))
        .replace(QLatin1String("%3"), valueOptionNames(m_globalOptions, false))
        .replace(QLatin1String("%4"), valueOptionNames(all, true))
        .replace(QLatin1String("%5"), branches);
}

QList<ManualWriter::Option> ManualWriter::optionsOf(const QString& helpText)
{
    QList<Option> options;
    for (const QString& line :
         sectionOf(helpText, QLatin1String(optionsHeading)).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('-')))
            options << readOptionLine(trimmed);
        else if (!options.isEmpty() && !trimmed.isEmpty())
            options.last().description += QLatin1Char(' ') + trimmed;
    }
    return options;
}

ManualWriter::Option ManualWriter::readOptionLine(const QString& line)
{
    // "-h, --help   Show this help." or "--start <date>   Start of the todo."
    static const QRegularExpression shape(
        QStringLiteral("^((?:-{1,2}[A-Za-z0-9-]+(?:, )?)+)(?: <([^>]+)>)?(?: {2,}(.*))?$"));
    const QRegularExpressionMatch match = shape.match(line);
    Option option;
    option.names = match.captured(1).split(QStringLiteral(", "), Qt::SkipEmptyParts);
    option.value = match.captured(2);
    option.description = match.captured(3);
    return option;
}

QString ManualWriter::descriptionOf(const QString& helpText)
{
    const int firstLineEnd = helpText.indexOf(QLatin1Char('\n'));
    const int optionsStart = helpText.indexOf(QLatin1String(optionsHeading));
    return helpText.mid(firstLineEnd + 1, optionsStart - firstLineEnd - 1).trimmed();
}

QString ManualWriter::sectionOf(const QString& helpText, const QString& heading)
{
    const int start = helpText.indexOf(QLatin1Char('\n') + heading + QLatin1Char('\n'));
    if (start < 0)
        return QString();
    const int bodyStart = start + heading.size() + 2;
    const int end = helpText.indexOf(QLatin1String("\n\n"), bodyStart);
    return helpText.mid(bodyStart, end < 0 ? -1 : end - bodyStart);
}

QString ManualWriter::roff(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\e"));
    escaped.replace(QLatin1Char('-'), QLatin1String("\\-"));
    // A line that starts with a dot or an apostrophe would be read as a request.
    static const QRegularExpression requestStart(QStringLiteral("^([.'])"),
                                                 QRegularExpression::MultilineOption);
    escaped.replace(requestStart, QStringLiteral("\\\\&\\1"));
    // Blank lines separate paragraphs.
    escaped.replace(QLatin1String("\n\n"), QLatin1String("\n.PP\n"));
    return escaped;
}

QString ManualWriter::roffOption(const Option& option)
{
    QStringList names;
    for (const QString& name : option.names)
        names << QStringLiteral("\\fB") + roff(name) + QStringLiteral("\\fR");
    QString tag = names.join(QStringLiteral(", "));
    if (!option.value.isEmpty())
        tag += QStringLiteral(" \\fI") + roff(option.value) + QStringLiteral("\\fR");
    return QStringLiteral(".TP\n") + tag + QLatin1Char('\n') + roff(option.description) +
           QLatin1Char('\n');
}

QString ManualWriter::globalOptionsSection() const
{
    QString section = QStringLiteral(".SH OPTIONS\nThese stand before or after the command.\n");
    for (const Option& option : m_globalOptions)
        section += roffOption(option);
    return section;
}

QString ManualWriter::commandSection(const CommandHelp& command) const
{
    const QString usage = command.helpText.left(command.helpText.indexOf(QLatin1Char('\n')));
    QString section =
        QStringLiteral(".SS \"") + roff(usage.mid(usage.indexOf(QLatin1String("orvel")))) +
        QStringLiteral("\"\n") + roff(descriptionOf(command.helpText)) + QLatin1Char('\n');
    for (const Option& option : optionsOf(command.helpText)) {
        if (!isGlobal(option))
            section += roffOption(option);
    }
    const QString arguments = sectionOf(command.helpText, QLatin1String(argumentsHeading));
    for (const QString& line : arguments.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString trimmed = line.trimmed();
        const int gap = trimmed.indexOf(QLatin1String("  "));
        section += QStringLiteral(".TP\n\\fI") + roff(trimmed.left(gap)) +
                   QStringLiteral("\\fR\n") + roff(trimmed.mid(gap).trimmed()) + QLatin1Char('\n');
    }
    return section;
}

QString ManualWriter::valueOptionNames(const QList<Option>& options, bool filesOnly)
{
    QStringList names;
    for (const Option& option : options) {
        const bool wanted =
            filesOnly ? option.value == QLatin1String(fileValue) : !option.value.isEmpty();
        if (wanted && !names.contains(option.names.last()))
            names << option.names.last();
    }
    // An empty pattern would match every word; this one matches none.
    return names.isEmpty() ? QStringLiteral("--") : names.join(QLatin1Char('|'));
}

QString ManualWriter::allNames(const QList<Option>& options)
{
    QStringList names;
    for (const Option& option : options)
        names << option.names;
    return names.join(QLatin1Char(' '));
}

bool ManualWriter::isGlobal(const Option& option) const
{
    for (const Option& global : m_globalOptions) {
        if (global.names == option.names)
            return true;
    }
    return false;
}
