#include "reports/ClassGroup.h"

#include "reports/ReportPage.h"

#include "base/KorventError.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>
#include <algorithm>

QStringList MainClassNames(const ClassTree &tree)
{
    QStringList names;
    for (const ClassNode &node : tree)
        if (IsMainClassNode(node.text))
            names.append(TextBefore(u'<', node.text));
    return names;
}

ClassGroup BuildClassGroup(const ClassTree &tree, const QString &className, const QString &extraSubClasses)
{
    ClassGroup group;
    group.className = className;
    const auto matches = [&](const ClassNode &node) {
        return (node.depth == 0 ? TextBefore(u'<', node.text) : node.text) == className;
    };
    auto node = std::find_if(tree.begin(), tree.end(), matches);
    if (node != tree.end()) {
        QStringList levelNames(ClassPathLevels);
        for (++node; node != tree.end() && node->depth > 0; ++node) {
            const int depth = qMin(node->depth, ClassPathLevels - 1);
            levelNames[depth] = node->text;
            QString path = QStringLiteral("|");
            for (int level = 1; level <= depth; ++level)
                path += u'|' + levelNames[level];
            group.subClasses.push_back({node->text, 0, path + u'|'});
            group.sqlClasses.append(node->text);
        }
    }
    group.sqlClasses.append(className);
    // An empty field (a stray ";") names no sub-class: its "||" would lie in
    // every path and take in every team without a sub-class.
    for (const QString &extra : SplitFields(extraSubClasses, u';', MaxSubClasses))
        if (!extra.isEmpty())
            group.subClasses.push_back({extra, 0, u'|' + extra + u'|'});
    // A "|" in a name would make it look like two links of a chain, and a team
    // would take places in a sub-class it does not belong to.
    for (const tsubPlace &subClass : group.subClasses)
        if (subClass.name.contains(u'|'))
            throw KorventError(QCoreApplication::translate("Reports", "Sub-class \"%1\" of class %2 holds a \"|\", which the results put between sub-class names")
                                   .arg(subClass.name, className));
    if (group.subClasses.size() > static_cast<size_t>(MaxSubClasses))
        throw KorventError(QCoreApplication::translate("Reports", "Class %1 has %2 sub-classes; results allow at most %3")
                               .arg(className)
                               .arg(group.subClasses.size())
                               .arg(MaxSubClasses));
    return group;
}

QString SubClassPlaces(ClassGroup &group, const QString &path, QString &medalList)
{
    static const char *const medalClasses[] = {"win_gold", "win_silver", "win_bronz"};
    static const char *const medalNumbers[] = {"I", "II", "III"};
    QString text;
    for (tsubPlace &subClass : group.subClasses) {
        if (!path.contains(u'|' + subClass.name + u'|'))
            continue;
        const int place = ++subClass.place;
        const QString name = Html(subClass.name);
        if (place <= 3) {
            text += name + QStringLiteral(":<span class=\"") + QLatin1String(medalClasses[place - 1]) + QStringLiteral("\"><b>")
                + QString::number(place) + QStringLiteral("</b>.</span> ");
            medalList += subClass.name + u';' + QLatin1String(medalNumbers[place - 1]) + u'|';
        } else {
            text += name + u':' + QString::number(place) + QStringLiteral(". ");
        }
    }
    return text;
}
