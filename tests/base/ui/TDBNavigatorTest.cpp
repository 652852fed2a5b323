#include "TestFolder.h"

#include "base/ui/TDBNavigator.h"
#include "db/Connection.h"
#include "db/EditableTableModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

const db::TableDefinition extraPoints{
    QStringLiteral("extrapoint"),
    {{QStringLiteral("id"), db::FieldKind::AutoIncrement, 0, {}, {}},
     {QStringLiteral("from"), db::FieldKind::Integer, 0, QStringLiteral("From"), {}},
     {QStringLiteral("to"), db::FieldKind::Integer, 0, QStringLiteral("TO"), {}},
     {QStringLiteral("points"), db::FieldKind::Integer, 0, QStringLiteral("Points"), {}}},
    {}};

struct NavigatorFixture : ::testing::Test
{
    QTemporaryDir dir;
    db::Connection connection{folderOf(dir) + QStringLiteral("event.db"), {extraPoints}};
    QWidget window;
    QTableView *view = new QTableView(&window);
    db::EditableTableModel *model = new db::EditableTableModel(connection, extraPoints, {}, &window);
    TDBNavigator *navigator = new TDBNavigator(view, model, &window);

    void SetUp() override
    {
        view->setModel(model);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        layout->addWidget(navigator);
        window.show();
    }

    int storedRows() { return connection.scalar(QStringLiteral("SELECT COUNT(*) FROM extrapoint")).toInt(); }
    void click(const char *button) { QTest::mouseClick(navigator->findChild<QWidget *>(QLatin1String(button)), Qt::LeftButton); }
    QLineEdit *editor() { return qobject_cast<QLineEdit *>(view->indexWidget(view->currentIndex())); }

    // Answers the next message box and keeps its text.
    static void answerNextBox(QMessageBox::StandardButton button, QString *text)
    {
        QTimer::singleShot(20, [button, text] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                *text = box->text();
                box->button(button)->click();
            }
        });
    }
};

} // namespace

TEST_F(NavigatorFixture, InsertPostCancelAndDelete)
{
    click("nbInsert");
    ASSERT_EQ(model->rowCount(), 1);
    ASSERT_NE(editor(), nullptr);
    // Cancel leaves nothing behind: the row held no value yet.
    click("nbCancel");
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(storedRows(), 0);

    click("nbInsert");
    QTest::keyClicks(editor(), QStringLiteral("31"));
    EXPECT_TRUE(navigator->post());
    EXPECT_EQ(storedRows(), 1);
    EXPECT_EQ(connection.scalar(QStringLiteral("SELECT \"from\" FROM extrapoint")).toInt(), 31);
    EXPECT_EQ(editor(), nullptr);

    // A refused value is shown and post says so.
    view->setCurrentIndex(model->index(0, model->columnOf(QStringLiteral("points"))));
    navigator->edit();
    QTest::keyClicks(editor(), QStringLiteral("five"));
    QString message;
    answerNextBox(QMessageBox::Ok, &message);
    EXPECT_FALSE(navigator->post());
    EXPECT_TRUE(message.startsWith(QLatin1String("Points: \"five\""))) << message.toStdString();
    EXPECT_TRUE(connection.scalar(QStringLiteral("SELECT points FROM extrapoint")).isNull());

    answerNextBox(QMessageBox::No, &message);
    click("nbDelete");
    EXPECT_EQ(message, QStringLiteral("Delete record?"));
    EXPECT_EQ(storedRows(), 1);
    answerNextBox(QMessageBox::Yes, &message);
    click("nbDelete");
    EXPECT_EQ(storedRows(), 0);
    EXPECT_EQ(model->rowCount(), 0);
}

TEST_F(NavigatorFixture, RefreshShowsOtherWritersAndLastFetchesEveryRow)
{
    {
        db::Transaction transaction(connection);
        for (int n = 0; n < 300; ++n)
            connection.exec(QStringLiteral("INSERT INTO extrapoint (\"from\", \"to\", points) VALUES (?, ?, 1)"), {n, n + 1});
        transaction.commit();
    }
    EXPECT_EQ(model->rowCount(), 0);
    click("nbRefresh");
    EXPECT_GT(model->rowCount(), 0);
    click("nbLast");
    EXPECT_EQ(model->rowCount(), 300);
    EXPECT_EQ(view->currentIndex().row(), 299);
    click("nbFirst");
    click("nbNext");
    EXPECT_EQ(view->currentIndex().row(), 1);
}
