#include "entries/TeamPickLists.h"

#include "store/TextHelpers.h"

namespace {

constexpr int extraClassMaxIndex = 25;

} // namespace

QStringList CountryPickList(const CountryList &countries)
{
    QStringList codes;
    for (const Country &country : countries)
        codes.append(country.first);
    return codes;
}

QStringList ClassPickList(const ClassTree &tree)
{
    QStringList classes;
    for (const ClassNode &node : SortedClassTree(tree))
        if (!IsMainClassNode(node.text))
            classes.append(node.text);
    return classes;
}

QStringList ExtraClassPickList(const QString &subClasses)
{
    if (subClasses.isEmpty())
        return {};
    return SplitFields(subClasses, u';', extraClassMaxIndex);
}
