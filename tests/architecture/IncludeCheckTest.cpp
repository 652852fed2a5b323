#include "architecture/IncludeCheck.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

namespace {

// A small tree after the program's own: a core that builds on base, windows
// above it, a command line beside the windows and a program on top.
const QString plantedTable = QStringLiteral(R"(# Architecture

## Layers

| Layer | Folders | Builds on |
|---|---|---|
| base | `src/base/` | — |
| subsystems | `src/reports/`, `src/exports/` | base |
| registry | `src/registry/` | subsystems |
| windows | `src/reports/ui/`, `src/base/ui/` | registry |
| command line | `src/cli/` | registry |
| programs | `src/cli/main.cpp` | windows, command line |

Prose below the table is not read.
)");

struct PlantedFile
{
    const char *path;
    const char *content;
};

// Files that keep to the table.
const std::vector<PlantedFile> goodTree{
    {"base/Text.h", "#pragma once\n#include <QString>\n"},
    {"base/Text.cpp", "#include \"base/Text.h\"\n#include \"Version.h\"\n#include \"Text.h\"\n#include \"Outside.h\"\n"},
    {"base/Version.h.in", "#define VERSION \"@VERSION@\"\n"},
    {"base/ui/Dialog.h", "#pragma once\n#include <QWidget>\n#include \"../Text.h\"\n"},
    {"reports/Page.h", "#include \"base/Text.h\"\n#include <QPainter>\n"},
    {"exports/Csv.cpp", "#include \"exports/Csv.h\"\n#include \"base/Text.h\"\n"},
    {"exports/Csv.h", "#pragma once\n"},
    {"registry/Registry.h", "#pragma once\n#include \"../reports/Page.h\"\n"},
    {"registry/Registry.cpp", "#include \"reports/Page.h\"\n#include <exports/Csv.h>\n#include \"../../tests/Fixture.h\"\n"},
    {"reports/ui/Viewer.h", "#pragma once\n#include \"../../base/Text.h\"\n"},
    {"reports/ui/Viewer.cpp", "#include \"registry/Registry.h\"\n#include \"base/Text.h\"\n#include <QWidget>\n#include <QtPrintSupport/QPrinter>\n"},
    {"cli/Commands.h", "#pragma once\n"},
    {"cli/Commands.cpp", "#include \"registry/Registry.h\"\n"},
    {"cli/main.cpp", "#include \"cli/Commands.h\"\n#include \"reports/ui/Viewer.h\"\n"},
};

class IncludeCheckTest : public ::testing::Test
{
protected:
    // Plants the tree in a folder of its own and checks it.
    QStringList check(const std::vector<PlantedFile> &planted)
    {
        const QString root = folderOf(m_folder) + QString::number(++m_trees) + QStringLiteral("/src");
        for (const PlantedFile &file : planted)
            writeFile(root + u'/' + QString::fromLatin1(file.path), file.content);
        return CheckIncludes(LayerTable::fromMarkdown(plantedTable), root, {QStringLiteral("QWidget"), QStringLiteral("QPrinter")});
    }

    QTemporaryDir m_folder;
    int m_trees = 0;
};

TEST_F(IncludeCheckTest, ATreeThatKeepsToTheTablePasses)
{
    EXPECT_EQ(check(goodTree), QStringList());
}

TEST_F(IncludeCheckTest, EachWrongIncludeIsNamedWithFileLineHeaderAndBothLayers)
{
    struct Case
    {
        const char *name;
        PlantedFile file;
        const char *fault;
    };
    const Case cases[] = {
        {"up into the layer above", {"exports/Rows.cpp", "#pragma once\n#include \"registry/Registry.h\"\n"},
         "src/exports/Rows.cpp:2: \"registry/Registry.h\" goes up: subsystems (src/exports) does not build on registry (src/registry)"},
        {"up over several layers", {"base/Low.h", "#include \"cli/Commands.h\"\n"},
         "src/base/Low.h:1: \"cli/Commands.h\" goes up: base (src/base) does not build on command line (src/cli)"},
        {"sideways within a layer", {"exports/Xml.cpp", "#include \"base/Text.h\"\n#include \"reports/Page.h\"\n"},
         "src/exports/Xml.cpp:2: \"reports/Page.h\" goes sideways: subsystems (src/exports) does not build on subsystems (src/reports)"},
        {"sideways to a layer it does not build on", {"cli/Show.cpp", "  #  include \"reports/ui/Viewer.h\"\n"},
         "src/cli/Show.cpp:1: \"reports/ui/Viewer.h\" goes sideways: command line (src/cli) does not build on windows (src/reports/ui)"},
        {"core into its own windows", {"reports/Chart.cpp", "#include \"reports/ui/Viewer.h\"\n"},
         "src/reports/Chart.cpp:1: \"reports/ui/Viewer.h\" goes up: subsystems (src/reports) does not build on windows (src/reports/ui)"},
        {"a widget header in the core", {"reports/Chart.cpp", "#include <QString>\n#include <QWidget>\n"},
         "src/reports/Chart.cpp:2: <QWidget> is a widget or printing header outside a ui/ folder"},
        {"a printing header by its module path", {"cli/Print.cpp", "#include <QtPrintSupport/QPrinterInfo>\n"},
         "src/cli/Print.cpp:1: <QtPrintSupport/QPrinterInfo> is a widget or printing header outside a ui/ folder"},
        {"up by an angle-bracket name", {"exports/Rows.cpp", "#include <registry/Registry.h>\n"},
         "src/exports/Rows.cpp:1: <registry/Registry.h> goes up: subsystems (src/exports) does not build on registry (src/registry)"},
        {"up from the including file's folder", {"exports/Rows.cpp", "#include \"../registry/Registry.h\"\n"},
         "src/exports/Rows.cpp:1: \"../registry/Registry.h\" goes up: subsystems (src/exports) does not build on registry (src/registry)"},
        {"sideways through ./..", {"exports/Rows.cpp", "#include \"./../reports/Page.h\"\n"},
         "src/exports/Rows.cpp:1: \"./../reports/Page.h\" goes sideways: subsystems (src/exports) does not build on subsystems (src/reports)"},
        {"sideways through a folder and back", {"reports/Rows.cpp", "#include \"reports/../exports/Csv.h\"\n"},
         "src/reports/Rows.cpp:1: \"reports/../exports/Csv.h\" goes sideways: subsystems (src/reports) does not build on subsystems (src/exports)"},
        {"spaces around the hash", {"exports/Rows.cpp", "  #  include   <registry/Registry.h>\n"},
         "src/exports/Rows.cpp:1: <registry/Registry.h> goes up: subsystems (src/exports) does not build on registry (src/registry)"},
        {"core into its own windows by the neighbour's name", {"reports/Chart.cpp", "#include \"ui/Viewer.h\"\n"},
         "src/reports/Chart.cpp:1: \"ui/Viewer.h\" goes up: subsystems (src/reports) does not build on windows (src/reports/ui)"},
        {"windows into other windows by an angle-bracket name", {"reports/ui/Table.cpp", "#include <base/ui/Dialog.h>\n"},
         "src/reports/ui/Table.cpp:1: <base/ui/Dialog.h> goes sideways: windows (src/reports/ui) does not build on windows (src/base/ui)"},
        {"windows into other windows up and down the folders", {"reports/ui/Table.cpp", "#include \"../../base/ui/Dialog.h\"\n"},
         "src/reports/ui/Table.cpp:1: \"../../base/ui/Dialog.h\" goes sideways: windows (src/reports/ui) does not build on windows (src/base/ui)"},
        {"a folder the table does not name", {"shell/Start.cpp", "#include \"base/Text.h\"\n"}, "src/shell: folder is not in the layer table"},
        {"a subfolder of a named folder", {"exports/ui/Dialog.cpp", "#include <QWidget>\n"}, "src/exports/ui: folder is not in the layer table"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<PlantedFile> tree = goodTree;
        tree.push_back(c.file);
        EXPECT_EQ(check(tree), QStringList{QString::fromLatin1(c.fault)});
    }
}

TEST_F(IncludeCheckTest, AnIncludeIntoAFolderTheTableDoesNotNameIsReported)
{
    std::vector<PlantedFile> tree = goodTree;
    tree.push_back({"shell/Start.h", "#pragma once\n"});
    tree.push_back({"exports/Rows.cpp", "#include \"../shell/Start.h\"\n"});
    EXPECT_EQ(check(tree), (QStringList{QStringLiteral("src/shell: folder is not in the layer table"),
                                        QStringLiteral("src/exports/Rows.cpp:1: \"../shell/Start.h\" reaches src/shell/Start.h, "
                                                       "in a folder the layer table does not name")}));
}

TEST_F(IncludeCheckTest, APlaceTheTableNamesMustBeThere)
{
    std::vector<PlantedFile> tree = goodTree;
    std::erase_if(tree, [](const PlantedFile &file) { return QByteArray(file.path).startsWith("registry/"); });
    EXPECT_EQ(check(tree), QStringList{QStringLiteral("src/registry: named by layer registry, but holds no source file")});
}

TEST(LayerTable, ATableThatIsNoOrderOfLayersIsRefused)
{
    const auto tableWith = [](const char *rows) {
        return QStringLiteral("## Layers\n\n| Layer | Folders | Target | Builds on |\n|---|---|---|---|\n") + QString::fromUtf8(rows);
    };
    struct Case
    {
        const char *name;
        QString document;
        const char *message;
    };
    const Case cases[] = {
        {"no heading", QStringLiteral("# Architecture\n"), "no \"## Layers\" heading"},
        {"no column", QStringLiteral("## Layers\n\n| Layer | Folders |\n|---|---|\n| base | `src/base/` |\n"),
         "the layer table has no column \"Builds on\""},
        {"building on a later row", tableWith("| low | `src/low/` | core | high |\n| high | `src/high/` | core | — |\n"),
         "layer low builds on \"high\", which no earlier row names"},
        {"building on itself", tableWith("| low | `src/low/` | core | low |\n"), "layer low builds on \"low\", which no earlier row names"},
        {"a folder in two rows", tableWith("| low | `src/low/` | core | — |\n| high | `src/high/`, `src/low/` | core | low |\n"),
         "src/low is named in two rows of the layer table"},
        {"a place outside src", tableWith("| low | `tests/low/` | core | — |\n"), "layer low: \"tests/low/\" is not a place under src/"},
        {"a row without folders", tableWith("| low | all | core | — |\n"), "layer low names no folder"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        try {
            LayerTable::fromMarkdown(c.document);
            ADD_FAILURE() << "read as a table";
        } catch (const LayerTableError &error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(LayerTable, ALayerBuildsOnWhatItsLowerLayersBuildOn)
{
    const LayerTable table = LayerTable::fromMarkdown(plantedTable);
    const Layer &base = *table.layerOf(QStringLiteral("base/Text.h"));
    const Layer &windows = *table.layerOf(QStringLiteral("reports/ui/Viewer.cpp"));
    const Layer &commandLine = *table.layerOf(QStringLiteral("cli/Commands.cpp"));
    const Layer &programs = *table.layerOf(QStringLiteral("cli/main.cpp")); // the file's own row before its folder's
    EXPECT_EQ(programs.name, QStringLiteral("programs"));
    EXPECT_TRUE(table.buildsOn(programs, base));
    EXPECT_TRUE(table.buildsOn(windows, base));
    EXPECT_FALSE(table.buildsOn(commandLine, windows));
    EXPECT_FALSE(table.buildsOn(base, base));
    EXPECT_EQ(table.layerOf(QStringLiteral("shell/Start.cpp")), nullptr);
}

} // namespace
