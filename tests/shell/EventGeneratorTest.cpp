#include "TestFolder.h"

#include "base/KorventError.h"
#include "shell/EventGenerator.h"
#include "store/ClassTable.h"
#include "store/TextHelpers.h"
#include "store/uData.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

TEST(EventGenerator, MoreClassesSpreadTheTeams)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    GeneratorOptions options;
    options.teams = 100;
    options.classes = 5;
    GenerateEvent(data, folderOf(dir), options);
    QStringList mainClasses;
    for (const ClassNode &node : ReadClassTreeFile(ClassTreeFileName(folderOf(dir))))
        if (IsMainClassNode(node.text))
            mainClasses.append(TextBefore(u'<', node.text));
    EXPECT_EQ(mainClasses, QStringList({"R12", "R24", "R3", "R6", "R8"}));
    QStringList used;
    QSqlQuery classes = data.connection().exec(QStringLiteral("SELECT DISTINCT class FROM team ORDER BY class"));
    while (classes.next())
        used.append(classes.value(0).toString());
    EXPECT_EQ(used, QStringList({"R12", "R24", "R3", "R6", "R8"}));

    QTemporaryDir other;
    TdmData empty(folderOf(other));
    options.classes = 7;
    EXPECT_THROW(GenerateEvent(empty, folderOf(other), options), KorventError);
}
