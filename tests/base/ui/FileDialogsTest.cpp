// The file dialogs list the event folder without opening a file in it: the
// process keeps its locks on the database while a dialog shows the folder.

#include "EventDatabaseFixture.h"
#include "ModalDialogs.h"
#include "ProcessLocks.h"

#include "base/ui/FileDialogs.h"
#include "base/ui/TextFileDialog.h"

namespace {

// Shows the dialog on the folder until it knows every file's type, then closes it.
void showUntilListed(QFileDialog &dialog, const QString &folder)
{
    dialog.setDirectory(folder);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.show();
    EXPECT_TRUE(waitUntilListed(&dialog, folder, 4)) << "the dialog never listed " << folder.toStdString();
    QTest::qWait(200);
    dialog.reject();
}

struct EventFolderDialogs : EventDatabaseFixture
{
};

} // namespace

TEST_F(EventFolderDialogs, ListTheFolderWithoutOpeningItsFiles)
{
    writeFile(folderOf(dir) + QStringLiteral("teams.csv"), "1;Foxes\r\n");
    const QStringList locks = ownLocks();
    ASSERT_FALSE(locks.isEmpty());
    {
        TFileDialog open(nullptr, {.caption = QStringLiteral("Open file"), .start = folderOf(dir), .filters = QStringLiteral("All files (*)")});
        showUntilListed(open, folderOf(dir));
    }
    EXPECT_TRUE(locksKept(locks));
    {
        TOpenTextFileDialog open;
        showUntilListed(open, folderOf(dir));
    }
    EXPECT_TRUE(locksKept(locks));
    EXPECT_TRUE(QFile::exists(TdmData::databaseFileName(folderOf(dir)) + QStringLiteral("-wal")));
}

TEST(FileDialogs, StartInTheFolderOrBesideTheFileGiven)
{
    QTemporaryDir dir;
    writeFile(folderOf(dir) + QStringLiteral("report.txt"), "text");
    TFileDialog inFolder(nullptr, {.caption = QStringLiteral("Open"), .start = folderOf(dir)});
    EXPECT_EQ(inFolder.directory().absolutePath(), dir.path());
    EXPECT_TRUE(inFolder.testOption(QFileDialog::DontUseNativeDialog));
    TFileDialog besideFile(nullptr, {.kind = FileQuestion::FileToWrite, .caption = QStringLiteral("Save"), .start = folderOf(dir) + QStringLiteral("report.txt")});
    EXPECT_EQ(besideFile.directory().absolutePath(), dir.path());
    EXPECT_EQ(besideFile.selectedFiles().value(0), folderOf(dir) + QStringLiteral("report.txt"));
}
