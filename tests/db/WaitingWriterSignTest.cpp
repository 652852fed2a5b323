// The sign between programs: a readout waits while another program's writer
// waits for the write lock, for a bounded time, and never for its own program.

#include "TestFolder.h"

#include "db/WaitingWriterSign.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <utility>
#include <unistd.h>

namespace {

// Another program whose writer raises the sign and lowers it when told.
// The child shares the sign's open file and only locks and unlocks it: no
// allocation after fork in a program with threads.
class OtherProgramWaiting
{
public:
    explicit OtherProgramWaiting(db::WaitingWriterSign &sign)
    {
        int raised[2];
        int lower[2];
        if (::pipe(raised) != 0 || ::pipe(lower) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            sign.raise();
            char byte = 1;
            (void)!::write(raised[1], &byte, 1);
            (void)!::read(lower[0], &byte, 1);
            sign.lower();
            ::_exit(0);
        }
        char byte = 0;
        (void)!::read(raised[0], &byte, 1);
        ::close(raised[0]);
        ::close(raised[1]);
        ::close(lower[0]);
        m_tell = lower[1];
    }
    ~OtherProgramWaiting() { lower(); }

    bool running() const { return m_pid > 0; }
    void lower()
    {
        if (m_tell < 0)
            return;
        char byte = 1;
        (void)!::write(m_tell, &byte, 1);
        ::close(std::exchange(m_tell, -1));
        ::waitpid(m_pid, nullptr, 0);
    }

private:
    pid_t m_pid = -1;
    int m_tell = -1;
};

qint64 msGivingWay(db::WaitingWriterSign &sign, int mostMs)
{
    QElapsedTimer clock;
    clock.start();
    sign.giveWay(mostMs);
    return clock.elapsed();
}

} // namespace

TEST(WaitingWriterSign, AReadoutWaitsForAnotherProgramsWaitingWriterBoundedAndNeverForItsOwn)
{
    QTemporaryDir dir;
    db::WaitingWriterSign sign(folderOf(dir) + QStringLiteral("rogain.abs"));
    EXPECT_LT(msGivingWay(sign, 5000), 1000) << "no sign up";

    sign.raise();
    EXPECT_LT(msGivingWay(sign, 5000), 1000) << "the sign of its own program";
    sign.lower();

    {
        OtherProgramWaiting other(sign);
        ASSERT_TRUE(other.running());
        const qint64 waited = msGivingWay(sign, 200);
        EXPECT_GE(waited, 200) << "another program's sign";
        EXPECT_LT(waited, 2000) << "at most the time given";
    }
    EXPECT_LT(msGivingWay(sign, 5000), 1000) << "the other program's sign lowered";
}
