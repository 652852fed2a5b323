#include "TestFolder.h"

#include "store/ClassTable.h"
#include "base/KorventError.h"

#include <gtest/gtest.h>

namespace {

QStringList pathOf(const TClassInfo &entry)
{
    QStringList levels;
    for (const QString &level : entry.path)
        if (!level.isEmpty())
            levels.append(level);
    return levels;
}

} // namespace

TEST(ClassTable, MainClassWithDefaultsAndItsSubClass)
{
    const QString h12 = MainClassNodeText(QStringLiteral("H12"), QStringLiteral("12:00:00"), QStringLiteral("012:00:00"), QStringLiteral("00:30:00"));
    EXPECT_EQ(h12, QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"));
    const ClassTable table = LoadClassTable({{h12, 0}, {QStringLiteral("H12V"), 1}});
    ASSERT_EQ(table.size(), 2u);
    for (const TClassInfo &entry : table) {
        EXPECT_EQ(entry.start, 4'320'000);
        EXPECT_EQ(entry.maximumTime, 4'320'000);
        EXPECT_EQ(entry.penaltyTime, 180'000);
    }
    EXPECT_EQ(table[0].name, QStringLiteral("H12"));
    EXPECT_EQ(pathOf(table[0]), QStringList({"H12"}));
    EXPECT_EQ(table[1].name, QStringLiteral("H12V"));
    EXPECT_EQ(pathOf(table[1]), QStringList({"H12", "H12V"}));
    EXPECT_EQ(FindClass(table, QStringLiteral("H12V"))->path[1], QStringLiteral("H12V"));
    EXPECT_FALSE(FindClass(table, QStringLiteral("h12")));
}

TEST(ClassTable, TimesPathsAndBrokenMainClasses)
{
    const ClassTable table = LoadClassTable({
        {QStringLiteral("H6<*>(10:00:00|006:00:00|00:30:45)"), 0},
        {QStringLiteral("H6 Vet"), 1},
        {QStringLiteral("H6 SuperVet"), 2},
        {QStringLiteral("H6 Jun"), 1},
        {QStringLiteral("X<*>(10:00:00|006:00:00)"), 0}, // two times: keeps the previous class's
        {QStringLiteral("Open"), 0},                       // a top-level sub-class
    });
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(table[0].penaltyTime, 184'500);
    EXPECT_EQ(table[0].start, 3'600'000);
    EXPECT_EQ(table[0].maximumTime, 2'160'000);
    EXPECT_EQ(pathOf(table[2]), QStringList({"H6", "H6 Vet", "H6 SuperVet"}));
    EXPECT_EQ(pathOf(table[3]), QStringList({"H6", "H6 Jun"})); // deeper level cleared
    EXPECT_EQ(table[4].name, QStringLiteral("X"));
    EXPECT_EQ(table[4].penaltyTime, 184'500);
    EXPECT_EQ(pathOf(table[4]), QStringList({"X"}));
    EXPECT_EQ(pathOf(table[5]), QStringList({"Open"}));
    EXPECT_EQ(table[5].start, 3'600'000);
}

TEST(ClassTable, FileHoldsDepthAsTabsAndIsReadBackSorted)
{
    QTemporaryDir dir;
    const QString file = ClassTreeFileName(folderOf(dir));
    const ClassTree tree = {{"H6<*>(10:00:00|006:00:00|00:30:00)", 0}, {"H6V", 1}, {"H6J", 1}, {"A3<*>(10:00:00|003:00:00|00:30:00)", 0}};
    WriteClassTreeFile(file, tree);
    EXPECT_EQ(readFile(file), QByteArray("H6<*>(10:00:00|006:00:00|00:30:00)\r\n\tH6V\r\n\tH6J\r\nA3<*>(10:00:00|003:00:00|00:30:00)\r\n"));
    const ClassTree sorted = SortedClassTree(ReadClassTreeFile(file));
    QStringList order;
    for (const ClassNode &node : sorted)
        order.append(QString(node.depth, u'>') + node.text.left(3));
    EXPECT_EQ(order, QStringList({"A3<", "H6<", ">H6J", ">H6V"}));
    EXPECT_TRUE(ReadClassTreeFile(folderOf(dir) + QStringLiteral("missing.tree")).empty());
}

TEST(ClassTable, TreesDeeperThanThePathAreRefused)
{
    QTemporaryDir dir;
    const QString file = folderOf(dir) + QStringLiteral("classlist.tree");
    QByteArray deep;
    for (int depth = 0; depth <= ClassPathLevels; ++depth)
        deep += QByteArray(depth, '\t') + "C" + QByteArray::number(depth) + "\r\n";
    writeFile(file, deep);
    try {
        ReadClassTreeFile(file);
        FAIL() << "a tree of 47 levels was read";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(QLatin1String("line 47"))) << error.message().toStdString();
    }
    writeFile(file, "A\r\n\t\tB\r\n");
    EXPECT_THROW(ReadClassTreeFile(file), KorventError);
}

TEST(ClassTable, NodeTextsTakenApartAndBuiltAgain)
{
    struct Case
    {
        const char *text;
        const char *name;
        std::optional<MainClassTimes> times;
    };
    const Case cases[] = {
        {"6h<*>(12:00:00|006:00:00|00:30:00)", "6h", MainClassTimes{QStringLiteral("12:00:00"), QStringLiteral("006:00:00"), QStringLiteral("00:30:00")}},
        {"N\u00f5mme \u0161\u00fc<*>(09:30:00|024:00:00|00:00:00)", "N\u00f5mme \u0161\u00fc", MainClassTimes{QStringLiteral("09:30:00"), QStringLiteral("024:00:00"), QStringLiteral("00:00:00")}},
        {"H12V", "H12V", std::nullopt},
        {"Broken<*>(12:00:00|006:00:00)", "Broken", std::nullopt}, // two times: the previous main class's hold
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const ClassNodeParts parts = ParseClassNodeText(text);
        EXPECT_EQ(parts.name, QString::fromUtf8(c.name)) << c.text;
        EXPECT_EQ(parts.times, c.times) << c.text;
        if (parts.times) {
            EXPECT_EQ(MainClassNodeText(parts.name, *parts.times), text) << c.text;
        }
    }
}

TEST(ClassTable, ANameStandsOnceInTheTree)
{
    const ClassTree tree = {{QStringLiteral("12h<*>(10:00:00|012:00:00|00:30:00)"), 0}, {QStringLiteral("12h V\u00e4ike"), 1}};
    const struct { const char *name; bool taken; } cases[] = {
        {"12h", true}, {"12h V\u00e4ike", true}, {"6h", false}, {"12H", false}, {"12h<*>(10:00:00|012:00:00|00:30:00)", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(!DuplicateClassNameProblem(tree, QString::fromUtf8(c.name)).isEmpty(), c.taken) << c.name;
    EXPECT_EQ(DuplicateClassNameProblem(tree, QStringLiteral("12h")), QStringLiteral("There is a class 12h already; a class name may stand once in the tree"));
}

TEST(ClassTable, NamesAndTimesTheTreeCannotHoldAreRefused)
{
    const struct
    {
        const char *name;
        bool fit;
    } names[] = {
        {"H12", true}, {"N\u00f5mme 6h", true}, {"A|B (x)", true}, {"", false}, {"  ", false},
        {"A<B", false}, {"A*", false}, {"A\tB", false}, {"A\nB", false}, {"X<*>(12:00:00|006:00:00|00:30:00)", false},
    };
    for (const auto &c : names) {
        const QString problem = ClassNameProblem(QString::fromUtf8(c.name));
        EXPECT_EQ(problem.isEmpty(), c.fit) << c.name << ": " << problem.toStdString();
    }

    const MainClassTimes fine{QStringLiteral("12:00:00"), QStringLiteral("012:00:00"), QStringLiteral("00:30:45")};
    EXPECT_EQ(MainClassTimesProblem(fine), QString());
    MainClassTimes late = fine;
    late.penaltyTime = QStringLiteral("00:75:00");
    EXPECT_EQ(MainClassTimesProblem(late),
              QStringLiteral("Penalty time \"00:75:00\" is not a time of hours, minutes and seconds (minutes and seconds below 60)"));
    MainClassTimes halfTyped = fine;
    halfTyped.start = QStringLiteral("1:00:00");
    EXPECT_TRUE(MainClassTimesProblem(halfTyped).startsWith(QStringLiteral("Start time \"1:00:00\""))) << MainClassTimesProblem(halfTyped).toStdString();
}

TEST(ClassTable, AnEditIsCarriedOverOntoWhatAnotherSeatSavedMeanwhile)
{
    const auto main = [](const char *name) { return ClassNode{QString::fromUtf8(name) + QStringLiteral("<*>(10:00:00|006:00:00|00:30:00)"), 0}; };
    const auto sub = [](const char *name) { return ClassNode{QString::fromUtf8(name), 1}; };
    const ClassTree shown = {main("H6"), sub("H6 Veteranid"), main("N6")};
    const struct
    {
        const char *what;
        ClassTree edited, stored, merged;
    } cases[] = {
        {"nobody else saved", {main("H6"), main("N6"), main("Ö12")}, shown, {main("H6"), main("N6"), main("Ö12")}},
        {"both added a class", {main("H6"), sub("H6 Veteranid"), main("N6"), main("Ö12")},
         {main("H6"), sub("H6 Veteranid"), main("N6"), main("X3")},
         {main("H6"), sub("H6 Veteranid"), main("N6"), main("X3"), main("Ö12")}},
        {"one removed a class, the other added a sub-class elsewhere", {main("H6"), sub("H6 Veteranid")},
         {main("H6"), sub("H6 Veteranid"), main("N6"), sub("N6 Noored")}, {main("H6"), sub("H6 Veteranid")}},
        {"one changed a class the other left", {main("H6"), sub("H6 Veteranid"), sub("H6 Juuniorid"), main("N6")},
         {main("H6"), sub("H6 Veteranid"), main("N6"), main("X3")},
         {main("H6"), sub("H6 Veteranid"), sub("H6 Juuniorid"), main("N6"), main("X3")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MergedClassTree(shown, c.edited, c.stored), c.merged) << c.what;
}
