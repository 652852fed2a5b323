#include "reports/ClassGroup.h"

#include "base/KorventError.h"

#include <gtest/gtest.h>

namespace {

ClassTree tree()
{
    return {{QStringLiteral("D12<*>(12:00:00|012:00:00|00:30:00)"), 0},
            {QStringLiteral("DV"), 1},
            {QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"), 0},
            {QStringLiteral("H12J"), 1},
            {QStringLiteral("H12J2"), 2},
            {QStringLiteral("H12V"), 1},
            {QStringLiteral("R6<*>(10:00:00|006:00:00|00:30:00)"), 0}};
}

QStringList names(const ClassGroup &group)
{
    QStringList names;
    for (const tsubPlace &subClass : group.subClasses)
        names.append(subClass.name + u'=' + subClass.path);
    return names;
}

} // namespace

TEST(ClassGroup, TreeSubClassesWithPathsThenExtras)
{
    const ClassGroup group = BuildClassGroup(tree(), QStringLiteral("H12"), QStringLiteral("MV;WV"));
    EXPECT_EQ(names(group), QStringList({"H12J=||H12J|", "H12J2=||H12J|H12J2|", "H12V=||H12V|", "MV=|MV|", "WV=|WV|"}));
    // The extra sub-classes are no team classes of their own.
    EXPECT_EQ(group.sqlClasses, QStringList({"H12J", "H12J2", "H12V", "H12"}));

    const ClassGroup last = BuildClassGroup(tree(), QStringLiteral("R6"), QString());
    EXPECT_TRUE(last.subClasses.empty());
    EXPECT_EQ(last.sqlClasses, QStringList({"R6"}));
    EXPECT_EQ(MainClassNames(tree()), QStringList({"D12", "H12", "R6"}));
}

TEST(ClassGroup, EmptyFieldsOfTheExtraSubClassesAreNoSubClass)
{
    // A stray ";" would make a nameless sub-class that every team without
    // a sub-class, and every tree sub-class path, falls into.
    ClassGroup group = BuildClassGroup(tree(), QStringLiteral("H12"), QStringLiteral(";MV;;WV"));
    EXPECT_EQ(names(group), QStringList({"H12J=||H12J|", "H12J2=||H12J|H12J2|", "H12V=||H12V|", "MV=|MV|", "WV=|WV|"}));
    QString medals;
    EXPECT_EQ(SubClassPlaces(group, QStringLiteral("||H12J|"), medals), QStringLiteral("H12J:<span class=\"win_gold\"><b>1</b>.</span> "));
    EXPECT_EQ(medals, QStringLiteral("H12J;I|"));
}

TEST(ClassGroup, ALevelTwoClassCountsInItsParent)
{
    ClassGroup group = BuildClassGroup(tree(), QStringLiteral("H12"), QString());
    QString medals;
    EXPECT_EQ(SubClassPlaces(group, QStringLiteral("||H12J|H12J2|"), medals),
              QStringLiteral("H12J:<span class=\"win_gold\"><b>1</b>.</span> H12J2:<span class=\"win_gold\"><b>1</b>.</span> "));
    EXPECT_EQ(medals, QStringLiteral("H12J;I|H12J2;I|"));
    medals.clear();
    EXPECT_EQ(SubClassPlaces(group, QStringLiteral("||H12J|"), medals), QStringLiteral("H12J:<span class=\"win_silver\"><b>2</b>.</span> "));
    EXPECT_EQ(medals, QStringLiteral("H12J;II|"));
}

TEST(ClassGroup, PlacesBeyondTheMedalsTakeNoMedal)
{
    ClassGroup group = BuildClassGroup(tree(), QStringLiteral("R6"), QStringLiteral("MV"));
    const struct
    {
        const char *text;
        const char *medals;
    } places[] = {
        {"MV:<span class=\"win_gold\"><b>1</b>.</span> ", "MV;I|"},
        {"MV:<span class=\"win_silver\"><b>2</b>.</span> ", "MV;II|"},
        {"MV:<span class=\"win_bronz\"><b>3</b>.</span> ", "MV;III|"},
        {"MV:4. ", ""},
        {"MV:5. ", ""},
    };
    for (const auto &place : places) {
        QString medals;
        EXPECT_EQ(SubClassPlaces(group, QStringLiteral("|MV|"), medals), QLatin1String(place.text));
        EXPECT_EQ(medals, QLatin1String(place.medals));
    }
    QString medals;
    EXPECT_EQ(SubClassPlaces(group, QStringLiteral("|WV|"), medals), QString());
}

TEST(ClassGroup, MoreThanFortyFiveSubClassesIsAnError)
{
    ClassTree many = {{QStringLiteral("H<*>(12:00:00|012:00:00|00:30:00)"), 0}};
    for (int i = 0; i < 40; ++i)
        many.push_back({QStringLiteral("S%1").arg(i), 1});
    EXPECT_EQ(BuildClassGroup(many, QStringLiteral("H"), QStringLiteral("A;B;C;D;E")).subClasses.size(), 45u);
    EXPECT_THROW(BuildClassGroup(many, QStringLiteral("H"), QStringLiteral("A;B;C;D;E;F")), KorventError);
}

TEST(ClassGroup, ASubClassNameHoldingTheChainSeparatorIsAnError)
{
    // "H12J|X" below H12 would lie on the chain of an extra sub-class "X" and take its places.
    ClassTree bar = tree();
    bar[3].text = QStringLiteral("H12J|X");
    const struct
    {
        ClassTree tree;
        const char *extra;
        const char *message;
    } cases[] = {
        {bar, "X", "Sub-class \"H12J|X\" of class H12 holds a \"|\", which the results put between sub-class names"},
        {tree(), "MV;W|V", "Sub-class \"W|V\" of class H12 holds a \"|\", which the results put between sub-class names"},
    };
    for (const auto &c : cases) {
        try {
            BuildClassGroup(c.tree, QStringLiteral("H12"), QLatin1String(c.extra));
            ADD_FAILURE() << c.message;
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QLatin1String(c.message));
        }
    }
    EXPECT_NO_THROW(BuildClassGroup(bar, QStringLiteral("D12"), QStringLiteral("MV")));
}
