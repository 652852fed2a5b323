#include "cli/CliCompletion.h"

#include "cli/CliCommands.h"
#include "base/Platform.h"
#include "registry/ReportRegistry.h"
#include "scoring/PunchCorrections.h"
#include "store/EventSettings.h"

#include <QRegularExpression>
#include <variant>

namespace {

// A form of a command, as the script reads it: the words in their places
// (a literal word, or "=KIND" for a value of that kind, "+" after it when it
// repeats) and the options it takes anywhere ("--name", or "--name=KIND" for
// one with a value, "+" after it when it takes several).
struct Form
{
    QStringList positional;
    QStringList options;
};

// The usage line up to its description, which follows two blanks.
QString synopsis(const CliCommand &command)
{
    const QString usage = QString::fromUtf8(command.usage);
    const qsizetype description = usage.indexOf(QStringLiteral("  "));
    return description < 0 ? usage : usage.left(description);
}

// The synopsis as a tree: words, and the optional groups in brackets.
struct Group;
using Node = std::variant<QString, Group>;
struct Group
{
    std::vector<Node> nodes;
};

Group parse(const QString &text)
{
    std::vector<Group> open(1);
    for (QString token : text.split(u' ', Qt::SkipEmptyParts)) {
        // Brackets at a word's edges open and close groups; inside a word
        // (HOST[:PORT]) they belong to the placeholder.
        while (token.startsWith(u'[')) {
            open.emplace_back();
            token.remove(0, 1);
        }
        qsizetype closing = 0;
        while (token.endsWith(u']') && closing + 1 < static_cast<qsizetype>(open.size())) {
            token.chop(1);
            ++closing;
        }
        if (!token.isEmpty())
            open.back().nodes.emplace_back(token);
        for (; closing > 0; --closing) {
            Group closed = std::move(open.back());
            open.pop_back();
            open.back().nodes.emplace_back(std::move(closed));
        }
    }
    while (open.size() > 1) {
        Group closed = std::move(open.back());
        open.pop_back();
        open.back().nodes.emplace_back(std::move(closed));
    }
    return open.front();
}

bool isLiteral(const QString &word)
{
    static const QRegularExpression literal(QStringLiteral("^[a-z][a-z0-9-]*$"));
    return literal.match(word).hasMatch();
}

bool isOption(const QString &word)
{
    return word.startsWith(QLatin1String("--"));
}

bool isPlaceholder(const Node &node)
{
    const QString *word = std::get_if<QString>(&node);
    return word && !isLiteral(*word) && !isOption(*word) && *word != QLatin1String("...");
}

bool isRepeat(const std::vector<Node> &nodes, size_t i)
{
    return i < nodes.size() && std::holds_alternative<QString>(nodes[i]) && std::get<QString>(nodes[i]) == QLatin1String("...");
}

// The kind of value a placeholder stands for: a list the script holds, or
// file, dir and none (anything: nothing is offered).
QString valueKind(const CliCommand &command, const QString &option, const QString &placeholder)
{
    if (option == QLatin1String("--encoding"))
        return QStringLiteral("encoding");
    if (placeholder.endsWith(QLatin1String("FILE")))
        return QStringLiteral("file");
    if (placeholder == QLatin1String("DIR"))
        return QStringLiteral("dir");
    if (placeholder == QLatin1String("KIND"))
        return QLatin1String(command.name); // the kinds of its family in the registry
    if (placeholder == QLatin1String("STATUS"))
        return QStringLiteral("teamstatus");
    if (placeholder == QLatin1String("NEWSTATUS"))
        return QStringLiteral("punchstatus");
    if (placeholder == QLatin1String("KEY=VALUE"))
        return QStringLiteral("setting");
    return QStringLiteral("none");
}

// Every form the nodes allow: an optional group of words doubles the forms,
// a group of options adds its options to each.
std::vector<Form> forms(const CliCommand &command, const std::vector<Node> &nodes)
{
    std::vector<Form> result(1);
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (const Group *group = std::get_if<Group>(&nodes[i])) {
            const std::vector<Form> inner = forms(command, group->nodes);
            std::vector<Form> extended;
            for (const Form &form : result) {
                for (const Form &part : inner) {
                    Form both = form;
                    both.positional += part.positional;
                    both.options += part.options;
                    extended.push_back(both);
                }
                // Without the group: only a group of words may be left out as a whole.
                if (!inner.front().positional.isEmpty())
                    extended.push_back(form);
            }
            result = extended;
            continue;
        }
        const QString &word = std::get<QString>(nodes[i]);
        if (word == QLatin1String("..."))
            continue;
        if (isOption(word)) {
            // "--read-out|--all": either of the two.
            for (const QString &option : word.split(u'|')) {
                QString item = option;
                if (i + 1 < nodes.size() && isPlaceholder(nodes[i + 1]))
                    item += u'=' + valueKind(command, option, std::get<QString>(nodes[i + 1])) + (isRepeat(nodes, i + 2) ? QStringLiteral("+") : QString());
                for (Form &form : result)
                    form.options.append(item);
            }
            if (i + 1 < nodes.size() && isPlaceholder(nodes[i + 1]))
                ++i;
            continue;
        }
        const QString item = isLiteral(word) ? word : u'=' + valueKind(command, QString(), word) + (isRepeat(nodes, i + 1) ? QStringLiteral("+") : QString());
        for (Form &form : result)
            form.positional.append(item);
    }
    return result;
}

// The forms of a command: the alternatives its synopsis separates by " | ",
// each named with or without the command's name.
QStringList commandForms(const CliCommand &command)
{
    const Group tree = parse(synopsis(command));
    QStringList encoded;
    std::vector<Node> alternative;
    const auto flush = [&] {
        if (!alternative.empty() && std::holds_alternative<QString>(alternative.front())
            && std::get<QString>(alternative.front()) == QLatin1String(command.name))
            alternative.erase(alternative.begin());
        for (const Form &form : forms(command, alternative))
            encoded.append((form.positional + form.options).join(u' '));
        alternative.clear();
    };
    for (const Node &node : tree.nodes) {
        if (std::holds_alternative<QString>(node) && std::get<QString>(node) == QLatin1String("|"))
            flush();
        else
            alternative.push_back(node);
    }
    flush();
    encoded.removeDuplicates();
    return encoded;
}

// A word for bash: quoted when it holds anything but plain characters.
QString shellWord(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._/=+-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString shellWords(const QStringList &words)
{
    QStringList quoted;
    for (const QString &word : words)
        quoted.append(shellWord(word));
    return quoted.join(u' ');
}

QStringList registryKinds(ReportFamily family)
{
    QStringList kinds;
    for (const ReportKindEntry &entry : ReportRegistry())
        if (entry.family == family)
            kinds.append(QLatin1String(entry.cliName));
    return kinds;
}

// The value lists the forms name, as bash `case` branches.
QString valueLists()
{
    QStringList settings;
    for (const SettingDefinition &setting : SettingDefinitions())
        settings.append(QLatin1String(setting.key) + u'=');
    const std::pair<const char *, QStringList> lists[] = {
        {"report", registryKinds(ReportFamily::Report)},
        {"export", registryKinds(ReportFamily::Export)},
        {"encoding", Platform::textFileEncodings()},
        {"teamstatus", ChoiceTexts(NewTeamStatusChoices())},
        {"punchstatus", ChoiceTexts(NewPunchStatusChoices())},
        {"setting", settings},
    };
    QString branches;
    for (const auto &[name, values] : lists)
        branches += QStringLiteral("        %1) values=(%2) ;;\n").arg(QLatin1String(name), shellWords(values));
    return branches;
}

QString commandBranches()
{
    QString branches;
    for (const CliCommand &command : CliCommands()) {
        QStringList forms;
        for (const QString &form : commandForms(command))
            forms.append(u'\'' + form + u'\'');
        branches += QStringLiteral("        %1) forms=(%2) ;;\n").arg(QLatin1String(command.name), forms.join(u' '));
    }
    return branches;
}

QStringList commandNames()
{
    QStringList names;
    for (const CliCommand &command : CliCommands())
        names.append(QLatin1String(command.name));
    return names;
}

QStringList optionNames()
{
    QStringList names;
    for (const CliOption &option : CliOptions())
        names.append(QLatin1String(option.name));
    return names;
}

} // namespace

QString BashCompletionScript()
{
    // The script offers, for the words typed after the command, what each form
    // of the command that fits them takes next: its options not yet given, the
    // value of an option, or the word in the next place.
    return QStringLiteral(
               "# bash completion for korvent-cli, made by korvent-cli --bash-completion from its command table\n"
               "\n"
               "_korvent_cli_values()\n"
               "{\n"
               "    case $1 in\n"
               "%1"
               "    esac\n"
               "}\n"
               "\n"
               "# Offers a word that begins with what is typed.\n"
               "_korvent_cli_word()\n"
               "{\n"
               "    [[ $1 == \"$plain\"* ]] && COMPREPLY+=(\"$1\")\n"
               "}\n"
               "\n"
               "# Offers the values of a kind: files, folders, or one of the lists.\n"
               "_korvent_cli_offer()\n"
               "{\n"
               "    local values=() value\n"
               "    case $1 in\n"
               "        none) ;;\n"
               "        file | dir)\n"
               "            compopt -o filenames 2>/dev/null\n"
               "            mapfile -t -O ${#COMPREPLY[@]} COMPREPLY < <(compgen -${1:0:1} -- \"$plain\")\n"
               "            ;;\n"
               "        *)\n"
               "            _korvent_cli_values \"$1\"\n"
               "            for value in \"${values[@]}\"; do\n"
               "                [[ $value == \"$plain\"* ]] && COMPREPLY+=(\"$(printf '%q' \"$value\")\")\n"
               "            done\n"
               "            [[ $1 == setting ]] && compopt -o nospace 2>/dev/null\n"
               "            ;;\n"
               "    esac\n"
               "}\n"
               "\n"
               "# What may follow the words typed after the command, in any of its forms.\n"
               "_korvent_cli_forms()\n"
               "{\n"
               "    local form item word found value several p fits lead\n"
               "    for form in \"${forms[@]}\"; do\n"
               "        local positional=() options=()\n"
               "        for item in $form; do\n"
               "            if [[ $item == --* ]]; then options+=(\"$item\"); else positional+=(\"$item\"); fi\n"
               "        done\n"
               "        local -A given=()\n"
               "        p=0 fits=1 value= several=\n"
               "        for word in \"${typed[@]}\"; do\n"
               "            if [[ -n $value ]]; then\n"
               "                [[ $value == *+ ]] && several=${value%+}\n"
               "                value=\n"
               "            elif [[ $word == -* ]]; then\n"
               "                found=\n"
               "                for item in \"${options[@]}\"; do\n"
               "                    [[ ${item%%=*} == \"$word\" ]] && found=$item\n"
               "                done\n"
               "                [[ -z $found ]] && { fits=; break; }\n"
               "                given[$word]=1\n"
               "                several=\n"
               "                [[ $found == *=* ]] && value=${found#*=}\n"
               "            elif [[ -n $several ]]; then\n"
               "                continue\n"
               "            elif ((p >= ${#positional[@]})); then\n"
               "                fits=; break\n"
               "            elif [[ ${positional[p]} == =* ]]; then\n"
               "                [[ ${positional[p]} == *+ ]] || ((p++))\n"
               "            elif [[ ${positional[p]} == \"$word\" ]]; then\n"
               "                ((p++))\n"
               "            else\n"
               "                fits=; break\n"
               "            fi\n"
               "        done\n"
               "        [[ -z $fits ]] && continue\n"
               "        if [[ -n $value ]]; then\n"
               "            value=${value%+}\n"
               "            _korvent_cli_offer \"${value}\"\n"
               "            continue\n"
               "        fi\n"
               "        # The options of a form once the words that name it are typed.\n"
               "        for ((lead = 0; lead < ${#positional[@]}; lead++)); do\n"
               "            [[ ${positional[lead]} == =* ]] && break\n"
               "        done\n"
               "        if ((p >= lead)); then\n"
               "            for item in \"${options[@]}\"; do\n"
               "                [[ -z ${given[${item%%=*}]} || $item == *+ ]] && _korvent_cli_word \"${item%%=*}\"\n"
               "            done\n"
               "        fi\n"
               "        if [[ -z $several ]] && ((p < ${#positional[@]})); then\n"
               "            item=${positional[p]}\n"
               "            if [[ $item == =* ]]; then\n"
               "                item=${item#=}\n"
               "                _korvent_cli_offer \"${item%+}\"\n"
               "            else\n"
               "                _korvent_cli_word \"$item\"\n"
               "            fi\n"
               "        fi\n"
               "    done\n"
               "}\n"
               "\n"
               "_korvent_cli()\n"
               "{\n"
               "    COMPREPLY=()\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]} forms=() typed=()\n"
               "    # What is typed, without the quoting of its blanks.\n"
               "    local plain=${cur//\\\\/}\n"
               "    plain=${plain#[\\\"\\']}\n"
               "    if ((COMP_CWORD == 1)); then\n"
               "        for word in %2; do _korvent_cli_word \"$word\"; done\n"
               "        return\n"
               "    fi\n"
               "    # Only --event takes more words: the folder, then the command.\n"
               "    [[ ${COMP_WORDS[1]} == --event ]] || return\n"
               "    if ((COMP_CWORD == 2)); then\n"
               "        _korvent_cli_offer dir\n"
               "        return\n"
               "    fi\n"
               "    if ((COMP_CWORD == 3)); then\n"
               "        for word in %3; do _korvent_cli_word \"$word\"; done\n"
               "        return\n"
               "    fi\n"
               "    case ${COMP_WORDS[3]} in\n"
               "%4"
               "        *) return ;;\n"
               "    esac\n"
               "    typed=(\"${COMP_WORDS[@]:4:COMP_CWORD-4}\")\n"
               "    _korvent_cli_forms\n"
               "    # Several forms offer the same word once.\n"
               "    local -A seen=()\n"
               "    local unique=() word\n"
               "    for word in \"${COMPREPLY[@]}\"; do\n"
               "        [[ -n ${seen[$word]} ]] || unique+=(\"$word\")\n"
               "        seen[$word]=1\n"
               "    done\n"
               "    COMPREPLY=(\"${unique[@]}\")\n"
               "}\n"
               "\n"
               "complete -F _korvent_cli korvent-cli\n")
        .arg(valueLists(), optionNames().join(u' '), commandNames().join(u' '), commandBranches());
}
