#include "TestFolder.h"

#include "base/KorventError.h"
#include "db/Connection.h"
#include "shell/EventGenerator.h"
#include "store/ClassTable.h"
#include "store/TextHelpers.h"
#include "store/uData.h"

#include <QSqlQuery>
#include <chrono>
#include <thread>
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

TEST(EventGenerator, AnEventFilledWhileTheGeneratorWaitsIsLeftAlone)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    db::Transaction filling(data.connection());
    data.connection().exec(QStringLiteral("INSERT INTO team (number, name) VALUES (1, 'Imported')"));

    // A second program generates into the same event while the first still writes.
    bool generated = false;
    QString refusal;
    std::thread generator([&] {
        TdmData other(folderOf(dir));
        GeneratorOptions options;
        options.teams = 3;
        try {
            GenerateEvent(other, folderOf(dir), options);
            generated = true;
        } catch (const KorventError &error) {
            refusal = error.message();
        }
    });
    // Lets the generator reach the database before the rows are committed.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    filling.commit();
    generator.join();

    EXPECT_FALSE(generated);
    EXPECT_TRUE(refusal.contains(QLatin1String("already has data"))) << refusal.toStdString();
    EXPECT_EQ(data.rowCount(QStringLiteral("team")), 1);
}
