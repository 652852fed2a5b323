#include "store/ClassTable.h"

#include "base/KorventError.h"
#include "base/TextFile.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <functional>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ClassTable)
};

} // namespace

bool IsMainClassNode(const QString &nodeText)
{
    return nodeText.contains(QLatin1String("<*>"));
}

QString MainClassNodeText(const QString &name, const QString &start, const QString &maximumTime, const QString &penaltyTime)
{
    return name + QStringLiteral("<*>(") + start + u'|' + maximumTime + u'|' + penaltyTime + u')';
}

QString MainClassNodeText(const QString &name, const MainClassTimes &times)
{
    return MainClassNodeText(name, times.start, times.maximumTime, times.penaltyTime);
}

ClassNodeParts ParseClassNodeText(const QString &nodeText)
{
    if (!IsMainClassNode(nodeText))
        return {nodeText, std::nullopt};
    QString times = TextAfter(u'*', nodeText);
    if (times.startsWith(QLatin1String(">(")))
        times.remove(0, 2);
    if (times.endsWith(u')'))
        times.chop(1);
    const QStringList parts = SplitFields(times, u'|', 100);
    ClassNodeParts node{TextBefore(u'<', nodeText), std::nullopt};
    if (parts.size() == 3)
        node.times = MainClassTimes{parts[0], parts[1], parts[2]};
    return node;
}

QString ClassNameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return Texts::tr("A class needs a name");
    const bool unfit = std::any_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == u'<' || c == u'*' || c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    });
    if (unfit)
        return Texts::tr("The class name \"%1\" holds \"<\", \"*\", a tab or a line break, which a class name may not hold").arg(name.simplified());
    return QString();
}

QString DuplicateClassNameProblem(const ClassTree &tree, const QString &name)
{
    const bool taken = std::any_of(tree.cbegin(), tree.cend(), [&](const ClassNode &node) { return ParseClassNodeText(node.text).name == name; });
    return taken ? Texts::tr("There is a class %1 already; a class name may stand once in the tree").arg(name) : QString();
}

QString MainClassTimesProblem(const MainClassTimes &times)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{2,3}):([0-5]\\d):([0-5]\\d)$"));
    const std::pair<const char *, const QString *> fields[] = {
        {QT_TRANSLATE_NOOP("ClassTable", "Start time"), &times.start},
        {QT_TRANSLATE_NOOP("ClassTable", "Maximum time"), &times.maximumTime},
        {QT_TRANSLATE_NOOP("ClassTable", "Penalty time"), &times.penaltyTime},
    };
    for (const auto &[caption, text] : fields)
        if (!form.match(*text).hasMatch())
            return Texts::tr("%1 \"%2\" is not a time of hours, minutes and seconds (minutes and seconds below 60)").arg(Texts::tr(caption), *text);
    return QString();
}

bool ClassNodeTextLess(const QString &a, const QString &b)
{
    return QString::localeAwareCompare(a, b) < 0;
}

ClassTree SortedClassTree(const ClassTree &tree)
{
    // Build the parent/child structure, sort every level, walk it in order.
    struct Node
    {
        QString text;
        std::vector<Node> children;
    };
    Node root;
    std::vector<Node *> stack{&root};
    for (const ClassNode &node : tree) {
        const size_t depth = static_cast<size_t>(qMax(0, node.depth));
        while (stack.size() > depth + 1)
            stack.pop_back();
        std::vector<Node> &siblings = stack.back()->children;
        siblings.push_back(Node{node.text, {}});
        stack.push_back(&siblings.back());
    }
    ClassTree sorted;
    std::function<void(std::vector<Node> &, int)> walk = [&](std::vector<Node> &nodes, int depth) {
        std::stable_sort(nodes.begin(), nodes.end(), [](const Node &a, const Node &b) { return ClassNodeTextLess(a.text, b.text); });
        for (Node &node : nodes) {
            sorted.push_back(ClassNode{node.text, depth});
            walk(node.children, depth + 1);
        }
    };
    walk(root.children, 0);
    return sorted;
}

namespace {

// A main class with its sub-classes, known by the main class's name.
struct MainClassBranch
{
    QString name;
    ClassTree nodes;
};

std::vector<MainClassBranch> branchesOf(const ClassTree &tree)
{
    std::vector<MainClassBranch> branches;
    for (const ClassNode &node : tree) {
        if (node.depth == 0 || branches.empty())
            branches.push_back({ParseClassNodeText(node.text).name, {}});
        branches.back().nodes.push_back(node);
    }
    return branches;
}

MainClassBranch *branchNamed(std::vector<MainClassBranch> &branches, const QString &name)
{
    const auto found = std::find_if(branches.begin(), branches.end(), [&](const MainClassBranch &branch) { return branch.name == name; });
    return found == branches.end() ? nullptr : &*found;
}

} // namespace

ClassTree MergedClassTree(const ClassTree &shown, const ClassTree &edited, const ClassTree &stored)
{
    if (stored == shown)
        return edited;
    std::vector<MainClassBranch> merged = branchesOf(stored);
    std::vector<MainClassBranch> before = branchesOf(shown), after = branchesOf(edited);
    for (const MainClassBranch &branch : before)
        if (!branchNamed(after, branch.name))
            std::erase_if(merged, [&](const MainClassBranch &kept) { return kept.name == branch.name; });
    for (const MainClassBranch &branch : after) {
        const MainClassBranch *was = branchNamed(before, branch.name);
        if (was && was->nodes == branch.nodes)
            continue;
        if (MainClassBranch *kept = branchNamed(merged, branch.name))
            kept->nodes = branch.nodes;
        else
            merged.push_back(branch);
    }
    ClassTree tree;
    for (const MainClassBranch &branch : merged)
        tree.insert(tree.end(), branch.nodes.begin(), branch.nodes.end());
    return tree;
}

ClassTable LoadClassTable(const ClassTree &tree)
{
    ClassTable table;
    table.reserve(tree.size());
    qint64 start = 0, maximumTime = 0, penaltyTime = 0;
    TSubList path;
    for (const ClassNode &node : tree) {
        TClassInfo entry;
        if (IsMainClassNode(node.text)) {
            const ClassNodeParts parts = ParseClassNodeText(node.text);
            // Times that do not split into three keep those of the previous main class.
            if (parts.times) {
                start = ClockTextToHundredths(parts.times->start, u',');
                maximumTime = ClockTextToHundredths(parts.times->maximumTime, u',');
                penaltyTime = ClockTextToHundredths(parts.times->penaltyTime, u',');
            }
            entry.name = parts.name;
            path.fill(QString());
            path[0] = entry.name;
        } else {
            entry.name = node.text;
            const int level = qBound(0, node.depth, ClassPathLevels - 1);
            path[level] = entry.name;
            for (int deeper = level + 1; deeper < ClassPathLevels; ++deeper)
                path[deeper].clear();
        }
        entry.start = start;
        entry.maximumTime = maximumTime;
        entry.penaltyTime = penaltyTime;
        entry.path = path;
        table.push_back(entry);
    }
    return table;
}

std::optional<TClassInfo> FindClass(const ClassTable &table, const QString &name)
{
    for (const TClassInfo &entry : table)
        if (entry.name == name)
            return entry;
    return std::nullopt;
}

QString ClassTreeFileName(const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("classlist.tree");
}

ClassTree ReadClassTreeFile(const QString &fileName)
{
    return ClassTreeFromLines(ReadTextLines(fileName).value_or(QStringList()), fileName);
}

ClassTree ClassTreeFromLines(const QStringList &lines, const QString &fileName)
{
    ClassTree tree;
    for (int lineNumber = 1; lineNumber <= lines.size(); ++lineNumber) {
        const QString &line = lines.at(lineNumber - 1);
        if (line.trimmed().isEmpty())
            continue;
        int depth = 0;
        while (depth < line.size() && line.at(depth) == u'\t')
            ++depth;
        const int parentDepth = tree.empty() ? -1 : tree.back().depth;
        if (depth >= ClassPathLevels)
            throw KorventError(Texts::tr("%1, line %2: classes may be nested %3 levels deep at most")
                                   .arg(fileName).arg(lineNumber).arg(ClassPathLevels));
        if (depth > parentDepth + 1)
            throw KorventError(Texts::tr("%1, line %2: \"%3\" is more than one level below the class before it")
                                   .arg(fileName).arg(lineNumber).arg(line.mid(depth)));
        tree.push_back(ClassNode{line.mid(depth), depth});
    }
    return tree;
}

QStringList ClassTreeLines(const ClassTree &tree)
{
    QStringList lines;
    for (const ClassNode &node : tree)
        lines.append(QString(node.depth, u'\t') + node.text);
    return lines;
}

void WriteClassTreeFile(const QString &fileName, const ClassTree &tree)
{
    WriteTextLines(fileName, ClassTreeLines(tree));
}
