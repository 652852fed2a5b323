#include "LoopBeat.h"
#include "ModalDialogs.h"
#include "TestFolder.h"

#include "base/MessageSink.h"
#include "scoring/TeamCalculation.h"
#include "shell/EventGenerator.h"
#include "shell/ui/uRogMain.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

// Large enough that calculating all teams takes well over a second here.
constexpr int generatedTeams = 10'000;

struct QuietSink : MessageSink
{
    void error(const QString &) override {}
    void warning(const QString &) override {}
};

struct LongCalculationFixture : ::testing::Test
{
    QTemporaryDir dir;
    EventLocation location;
    std::unique_ptr<TdmData> data;
    SharedEventSetup setup;
    std::unique_ptr<TfRogMain> window;

    void SetUp() override
    {
        location.eventDirectory = folderOf(dir);
        location.resultsDirectory = folderOf(dir) + QStringLiteral("results/");
        location.confirmed = true;
        data = std::make_unique<TdmData>(location.eventDirectory);
        GeneratorOptions options;
        options.teams = generatedTeams;
        GenerateEvent(*data, location.eventDirectory, options);
        setup.publish(EventSetup::load(location.eventDirectory));
        window = std::make_unique<TfRogMain>(location, *data, setup);
        window->show();
    }

    QDialog *progressDialog() const
    {
        auto *dialog = window->findChild<QDialog *>(QStringLiteral("fLongWork"));
        return dialog && dialog->isVisible() ? dialog : nullptr;
    }

    // Runs Calculate for all teams; `whileRunning` is called every 20 ms
    // while the progress dialog shows. Returns the text of the box that ends it.
    QString calculateAll(const std::function<void(QDialog *)> &whileRunning)
    {
        QString last;
        whenModal<QMessageBox>([&last](QMessageBox *question) {
            EXPECT_EQ(question->text(), QStringLiteral("All records?"));
            whenModal<QMessageBox>(
                [&last](QMessageBox *box) {
                    last = box->text();
                    box->accept();
                },
                QDeadlineTimer(std::chrono::minutes(2)));
            question->button(QMessageBox::Yes)->click();
        });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QDialog *dialog = progressDialog())
                whileRunning(dialog);
        });
        watch.start(20);
        window->command("actCalculate")->trigger();
        return last;
    }

    // The team rows by id, without the time of their calculation.
    std::map<qint64, QStringList> teams()
    {
        std::map<qint64, QStringList> rows;
        QSqlQuery query = data->connection().exec(QStringLiteral("SELECT * FROM team"));
        while (query.next()) {
            QStringList fields;
            for (int i = 0; i < query.record().count(); ++i)
                if (query.record().fieldName(i) != QLatin1String("calctime"))
                    fields.append(query.value(i).toString());
            rows[query.value(QStringLiteral("id")).toLongLong()] = fields;
        }
        return rows;
    }
};

} // namespace

TEST_F(LongCalculationFixture, TheEventLoopIsNeverBlockedLongWhileAllTeamsAreCalculated)
{
    LoopBeat beat;
    QStringList counts;
    QElapsedTimer run;
    run.start();
    const QString last = calculateAll([&](QDialog *dialog) {
        counts.append(dialog->findChild<QLabel *>(QStringLiteral("lCount"))->text());
    });
    RecordProperty("commandMs", static_cast<int>(run.elapsed()));
    EXPECT_EQ(last, QStringLiteral("Done!"));
    EXPECT_LE(beat.longestBlock(), 100) << "longest gap between beats " << beat.longestGap() << " ms";
    RecordProperty("longestBlockMs", static_cast<int>(beat.longestBlock()));
    RecordProperty("longestGapMs", static_cast<int>(beat.longestGap()));
    // The dialog showed how far the run had come.
    ASSERT_FALSE(counts.isEmpty());
    const QRegularExpression count(QStringLiteral("^\\d+ of %1$").arg(generatedTeams));
    EXPECT_TRUE(count.match(counts.last()).hasMatch()) << counts.last().toStdString();
    counts.removeDuplicates();
    EXPECT_GT(counts.size(), 1) << "the count never moved";
}

TEST_F(LongCalculationFixture, ACancelledCalculationLeavesEachTeamAsBeforeOrFreshlyCalculated)
{
    const std::map<qint64, QStringList> before = teams();
    bool clicked = false;
    const QString last = calculateAll([&](QDialog *dialog) {
        const QString count = dialog->findChild<QLabel *>(QStringLiteral("lCount"))->text();
        if (!clicked && !count.isEmpty() && !count.startsWith(u'0')) {
            clicked = true;
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
        }
    });
    ASSERT_TRUE(clicked);
    const std::map<qint64, QStringList> after = teams();

    QuietSink quiet;
    TeamCalculation(*data, setup.snapshot(), quiet).CalculateAllTeams(true);
    const std::map<qint64, QStringList> fresh = teams();

    ASSERT_EQ(after.size(), before.size());
    int calculated = 0;
    for (const auto &[id, row] : after) {
        SCOPED_TRACE(id);
        if (row != before.at(id)) {
            EXPECT_EQ(row, fresh.at(id));
            ++calculated;
        }
    }
    EXPECT_GT(calculated, 0);
    EXPECT_LT(calculated, generatedTeams) << "the run was not stopped";
    EXPECT_EQ(last, QStringLiteral("Calculation stopped: %1 teams calculated before it.").arg(calculated));
}
