#include "cli/CliCompletion.h"

#include "registry/ReportRegistry.h"

#include <QRegularExpression>
#include <algorithm>
#include <optional>

namespace {

// The usage line up to its description, which follows two blanks.
QString synopsis(const CliCommand &command)
{
    const QString usage = QString::fromUtf8(command.usage);
    const qsizetype description = usage.indexOf(QStringLiteral("  "));
    return description < 0 ? usage : usage.left(description);
}

QStringList synopsisWords(const CliCommand &command)
{
    static const QRegularExpression separators(QStringLiteral("[\\s\\[\\]|]+"));
    return synopsis(command).split(separators, Qt::SkipEmptyParts);
}

// The family whose kinds the command's KIND names: `report` and `export`
// run the registry's kinds of their family.
std::optional<ReportFamily> kindFamily(const CliCommand &command)
{
    const QLatin1String name(command.name);
    if (name == QLatin1String("report"))
        return ReportFamily::Report;
    if (name == QLatin1String("export"))
        return ReportFamily::Export;
    return std::nullopt;
}

// The kinds of the family and the options any of them takes.
QStringList kindWords(ReportFamily family)
{
    QStringList kinds;
    QStringList options;
    for (const ReportKindEntry &entry : ReportRegistry()) {
        if (entry.family != family)
            continue;
        kinds.append(QLatin1String(entry.cliName));
        for (const ReportOption option : {ReportOption::Classes, ReportOption::PerClass, ReportOption::Encoding, ReportOption::Compress})
            if (entry.takes(option))
                options.append(ReportOptionName(option));
    }
    return kinds + options;
}

// A word for the shell: the words the table holds are letters, digits and "-".
QString quoted(const QStringList &words)
{
    return u'"' + words.join(u' ') + u'"';
}

} // namespace

QStringList CompletionWords(const CliCommand &command)
{
    static const QRegularExpression word(QStringLiteral("^(--)?[a-z][a-z0-9-]*$"));
    QStringList words;
    for (const QString &candidate : synopsisWords(command)) {
        if (candidate == QLatin1String("KIND")) {
            if (const std::optional<ReportFamily> family = kindFamily(command))
                words += kindWords(*family);
        } else if (candidate != QLatin1String(command.name) && word.match(candidate).hasMatch()) {
            words.append(candidate);
        }
    }
    words.removeDuplicates();
    return words;
}

bool CompletionTakesFiles(const CliCommand &command)
{
    return std::ranges::any_of(synopsisWords(command), [](const QString &word) { return word.endsWith(QLatin1String("FILE")); });
}

QString BashCompletionScript()
{
    QString cases;
    QStringList names;
    for (const CliCommand &command : CliCommands()) {
        names.append(QLatin1String(command.name));
        cases += QStringLiteral("        %1) _korvent_cli_words %2%3 ;;\n")
                     .arg(QLatin1String(command.name), quoted(CompletionWords(command)),
                          CompletionTakesFiles(command) ? QStringLiteral(" files") : QString());
    }
    return QStringLiteral(
               "# bash completion for korvent-cli, made by korvent-cli --bash-completion from its command table\n"
               "\n"
               "_korvent_cli_words()\n"
               "{\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]}\n"
               "    COMPREPLY=($(compgen -W \"$1\" -- \"$cur\"))\n"
               "    if [[ $2 == files ]]; then\n"
               "        compopt -o filenames 2>/dev/null\n"
               "        COMPREPLY+=($(compgen -f -- \"$cur\"))\n"
               "    fi\n"
               "}\n"
               "\n"
               "_korvent_cli()\n"
               "{\n"
               "    COMPREPLY=()\n"
               "    if [[ ${COMP_WORDS[COMP_CWORD-1]} == --event ]]; then\n"
               "        compopt -o filenames 2>/dev/null\n"
               "        COMPREPLY=($(compgen -d -- \"${COMP_WORDS[COMP_CWORD]}\"))\n"
               "        return\n"
               "    fi\n"
               "    local i command=\n"
               "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
               "        if [[ ${COMP_WORDS[i]} == --event ]]; then\n"
               "            ((i++))\n"
               "        elif [[ ${COMP_WORDS[i]} != -* ]]; then\n"
               "            command=${COMP_WORDS[i]}\n"
               "            break\n"
               "        fi\n"
               "    done\n"
               "    case $command in\n"
               "        \"\") _korvent_cli_words %1 ;;\n"
               "%2"
               "    esac\n"
               "}\n"
               "\n"
               "complete -F _korvent_cli korvent-cli\n")
        .arg(quoted(QStringList{QStringLiteral("--event"), QStringLiteral("--help"), QStringLiteral("--version")} + names), cases);
}
