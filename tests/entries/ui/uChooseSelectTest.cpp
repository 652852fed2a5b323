#include "ModalDialogs.h"
#include "EventRows.h"
#include "TestFolder.h"

#include "base/KorventError.h"
#include "entries/ui/uChooseSelect.h"
#include "reports/ui/uMDItekst.h"
#include "store/uData.h"

#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QPoint itemCentre(QListWidget *list, int row)
{
    return list->visualItemRect(list->item(row)).center();
}

struct CheckDataFixture : ::testing::Test
{
    QTemporaryDir program;
    QTemporaryDir event;
    TdmData data{folderOf(event)};
    QWidget parent;

    void SetUp() override
    {
        const qint64 team = insertRow(data, QStringLiteral("team"), {{"number", 3}, {"name", "Foxes"}, {"class", "H12"}});
        insertRow(data, QStringLiteral("runner"), {{"team_id", team}, {"firstname", "Ann"}, {"lastname", "Lee"}});
        writeFile(folderOf(program) + QStringLiteral("common/checklist.kvchk"),
                  "Teams without number|SELECT name FROM team WHERE number IS NULL\r\n"
                  "Runners without chip|SELECT firstname, lastname FROM runner WHERE chipnr IS NULL\r\n");
    }

    // Runs the command: `fileName` typed into the open dialog, `choose` done
    // in the check list (when it is shown); the message box that ends it,
    // when one is expected.
    QString checkData(const QString &fileName, const std::function<void(TfChooseSelect *)> &choose, bool endsWithMessage)
    {
        QString message;
        const auto answerMessage = [&] {
            whenModal<QMessageBox>([&](QMessageBox *box) {
                message = box->text();
                box->accept();
            });
        };
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Open file"));
            EXPECT_EQ(dialog->directory().absolutePath() + u'/', folderOf(program) + QStringLiteral("common/"));
            EXPECT_EQ(dialog->nameFilters(), QStringList({"KVTCheck (*.kvchk)"}));
            if (choose) {
                whenModal<TfChooseSelect>([&](TfChooseSelect *dialog) {
                    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Choose reports"));
                    if (endsWithMessage)
                        answerMessage();
                    choose(dialog);
                });
            } else if (endsWithMessage) {
                answerMessage();
            }
            typeFileName(dialog, fileName);
        });
        CheckData(&parent, folderOf(event), ProgramFiles::inProgramDirectory(folderOf(program)), {});
        return message;
    }
    QList<TfMDItekst *> textWindows() const { return parent.findChildren<TfMDItekst *>(); }
};

} // namespace

TEST(ChooseSelect, DoubleClickInvertsEveryTick)
{
    TfChooseSelect dialog;
    dialog.setTitles({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    dialog.show();
    EXPECT_EQ(dialog.checkedEntries(), std::vector<bool>({false, false, false}));
    dialog.clbCheckList->item(1)->setCheckState(Qt::Checked);
    QTest::mouseDClick(dialog.clbCheckList->viewport(), Qt::LeftButton, {}, itemCentre(dialog.clbCheckList, 0));
    EXPECT_EQ(dialog.checkedEntries(), std::vector<bool>({true, false, true}));
    // Below the entries too.
    QTest::mouseDClick(dialog.clbCheckList->viewport(), Qt::LeftButton, {}, QPoint(10, dialog.clbCheckList->viewport()->height() - 5));
    EXPECT_EQ(dialog.checkedEntries(), std::vector<bool>({false, true, false}));
}

TEST_F(CheckDataFixture, OnlyTheSecondCheckFindingRowsOpensTheReportAtItsHeading)
{
    const QString message = checkData(QStringLiteral("checklist.kvchk"), [](TfChooseSelect *dialog) {
        EXPECT_EQ(dialog->clbCheckList->count(), 2);
        EXPECT_EQ(dialog->clbCheckList->item(1)->text(), QStringLiteral("Runners without chip"));
        QTest::mouseDClick(dialog->clbCheckList->viewport(), Qt::LeftButton, {}, itemCentre(dialog->clbCheckList, 0));
        dialog->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    }, false);
    EXPECT_TRUE(message.isEmpty()) << message.toStdString();
    ASSERT_EQ(textWindows().size(), 1);
    EXPECT_EQ(textWindows().front()->editor()->toPlainText(), QStringLiteral("*** Runners without chip ***\nAnn;Lee;"));
    EXPECT_EQ(textWindows().front()->windowTitle(), QStringLiteral("Text"));
}

TEST_F(CheckDataFixture, NothingTickedOrNothingFoundSaysNoErrors)
{
    // Closed without ticking: the ticked entries (none) are run.
    EXPECT_EQ(checkData(QStringLiteral("checklist.kvchk"), [](TfChooseSelect *dialog) { dialog->reject(); }, true), QStringLiteral("No errors"));
    EXPECT_EQ(checkData(QStringLiteral("checklist.kvchk"),
                        [](TfChooseSelect *dialog) {
                            dialog->clbCheckList->item(0)->setCheckState(Qt::Checked);
                            dialog->accept();
                        },
                        true),
              QStringLiteral("No errors"));
    EXPECT_TRUE(textWindows().isEmpty());
}

TEST_F(CheckDataFixture, MissingFileSaysNoFileAndChecksNothing)
{
    const QString missing = folderOf(program) + QStringLiteral("common/other.kvchk");
    EXPECT_EQ(checkData(QStringLiteral("other.kvchk"), nullptr, true), QStringLiteral("No file") + missing);
    EXPECT_TRUE(textWindows().isEmpty());
}

TEST_F(CheckDataFixture, RejectedStatementStopsTheCommandWithTheEngineMessage)
{
    writeFile(folderOf(program) + QStringLiteral("common/broken.kvchk"), "Broken|SELECT nosuch FROM team\r\n");
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        whenModal<TfChooseSelect>([](TfChooseSelect *dialog) {
            dialog->clbCheckList->item(0)->setCheckState(Qt::Checked);
            dialog->accept();
        });
        typeFileName(dialog, QStringLiteral("broken.kvchk"));
    });
    try {
        CheckData(&parent, folderOf(event), ProgramFiles::inProgramDirectory(folderOf(program)), {});
        FAIL();
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Check \"Broken\": no such column: nosuch (line 1, column 8)"));
    }
    EXPECT_TRUE(textWindows().isEmpty());
}
