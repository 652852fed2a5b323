#include "ModalDialogs.h"
#include "EventRows.h"
#include "TestFolder.h"

#include "base/MessageSink.h"
#include "base/WorkProgress.h"
#include "base/ui/LongWork.h"
#include "db/Connection.h"
#include "store/uData.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <atomic>
#include <gtest/gtest.h>

namespace {

struct LongWorkFixture : ::testing::Test
{
    QTemporaryDir dir;
    TdmData data{folderOf(dir)};
    QWidget window;
    QLineEdit *edit = new QLineEdit(&window);

    void SetUp() override
    {
        new QVBoxLayout(&window);
        window.layout()->addWidget(edit);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
    }
    LongWork work()
    {
        return LongWork(&window, folderOf(dir), QStringLiteral("Working"));
    }
    QDialog *progressDialog() const
    {
        auto *dialog = window.findChild<QDialog *>(QStringLiteral("fLongWork"));
        return dialog && dialog->isVisible() ? dialog : nullptr;
    }
};

// Steps through `total` steps of 5 ms until cancelled.
void stepThrough(LongWorkTools &work, int total)
{
    for (int done = 0; done < total; ++done) {
        work.progress.step(QStringLiteral("Counting"), done, total);
        work.progress.stopIfCancelled();
        QThread::msleep(5);
    }
}

} // namespace

TEST_F(LongWorkFixture, ShortWorkRunsOnItsOwnThreadAndConnectionWithoutADialog)
{
    insertRow(data, QStringLiteral("team"), {{"number", 1}, {"name", "Owls"}});
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { shown = shown || progressDialog(); });
    watch.start(1);
    const std::optional<std::pair<QString, bool>> result = work().run([&](LongWorkTools &tools) {
        return std::pair{tools.data.connection().scalar(QStringLiteral("SELECT name FROM team")).toString(),
                         QThread::currentThread() != window.thread() && &tools.data != &data};
    });
    ASSERT_TRUE(result);
    EXPECT_EQ(result->first, QStringLiteral("Owls"));
    EXPECT_TRUE(result->second);
    EXPECT_FALSE(shown);
}

TEST_F(LongWorkFixture, MessagesShowAfterTheWorkInOrderAndItsErrorComesBackAsItWas)
{
    std::atomic_bool workOver = false;
    QStringList boxes;
    bool boxDuringWork = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxDuringWork = boxDuringWork || !workOver;
            boxes.append(box->text());
            box->accept();
        }
    });
    watch.start(20);
    try {
        work().run([&](LongWorkTools &tools) {
            tools.messages.warning(QStringLiteral("first"));
            tools.messages.error(QStringLiteral("second"));
            QThread::msleep(100);
            workOver = true;
            throw db::DatabaseError(QStringLiteral("disk gone"));
        });
        ADD_FAILURE() << "no error";
    } catch (const db::DatabaseError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("disk gone"));
    }
    EXPECT_EQ(boxes, QStringList({"first", "second"}));
    EXPECT_FALSE(boxDuringWork);
}

TEST_F(LongWorkFixture, TheDialogCountsAndCancelStopsTheWorkWhileInputIsHeldBack)
{
    QElapsedTimer clock;
    clock.start();
    qint64 shownAfter = -1;
    QString what, count;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        // The operator types into the window while the work runs.
        QTest::keyClicks(edit, QStringLiteral("x"));
        QDialog *dialog = progressDialog();
        if (!dialog || shownAfter >= 0)
            return;
        shownAfter = clock.elapsed();
        what = dialog->findChild<QLabel *>(QStringLiteral("lWhat"))->text();
        count = dialog->findChild<QLabel *>(QStringLiteral("lCount"))->text();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
    });
    watch.start(20);
    EXPECT_FALSE(work().run([](LongWorkTools &tools) { stepThrough(tools, 1000); }));
    EXPECT_GE(shownAfter, LongWork::dialogDelayMs);
    EXPECT_LT(clock.elapsed(), 3000) << "Cancel did not stop the work";
    EXPECT_EQ(what, QStringLiteral("Counting"));
    EXPECT_TRUE(count.endsWith(QLatin1String(" of 1000"))) << count.toStdString();
    EXPECT_EQ(edit->text(), QString());
    watch.stop();
    // Afterwards the window takes input again.
    QTest::keyClicks(edit, QStringLiteral("y"));
    EXPECT_EQ(edit->text(), QStringLiteral("y"));
}

TEST_F(LongWorkFixture, AWindowAskedToCloseMeanwhileStaysOpen)
{
    // The title bar's close button, or Alt+F4, while the work runs: the
    // window would close under it without asking its own questions.
    bool closeRefused = false;
    QTimer::singleShot(50, &window, [&] { closeRefused = !window.close(); });
    EXPECT_TRUE(work().run([](LongWorkTools &tools) { stepThrough(tools, 40); }));
    EXPECT_TRUE(closeRefused);
    EXPECT_TRUE(window.isVisible());
}
