#include "liveresults/LiveCalculation.h"

#include "db/CommitFlushing.h"

#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "db/Connection.h"
#include "scoring/TeamCalculation.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <memory>

namespace {

struct ForwardedMessages : MessageSink
{
    std::function<void(const QString &)> &failed;
    explicit ForwardedMessages(std::function<void(const QString &)> &to) : failed(to) {}
    void error(const QString &message) override { failed(message); }
    void warning(const QString &message) override { failed(message); }
};

} // namespace

LiveCalculation::LiveCalculation(const QString &eventDirectory, const SharedEventSetup &setup,
                                 std::function<void(const QList<qint64> &)> calculated, std::function<void(const QString &)> failed)
    : m_eventDirectory(eventDirectory)
    , m_setup(setup)
    , m_calculated(std::move(calculated))
    , m_failed(std::move(failed))
    , m_thread([this] { run(); })
{
}

LiveCalculation::~LiveCalculation()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void LiveCalculation::follow(qint64 teamId)
{
    {
        const std::lock_guard lock(m_mutex);
        m_teams.insert(teamId);
    }
    m_wake.notify_one();
}

void LiveCalculation::run()
{
    std::unique_ptr<TdmData> data;
    ForwardedMessages messages(m_failed);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_teams.isEmpty(); });
        if (m_teams.isEmpty())
            return;
        const QSet<qint64> teams = std::exchange(m_teams, {});
        lock.unlock();
        try {
            if (!data) {
                data = std::make_unique<TdmData>(m_eventDirectory);
                // Its commits go to the log without a disk flush of their own,
                // as the calculation of all teams does: a flush per readout
                // would hold the writer lock as long again as the readout's
                // own. What they write can be worked out again from the
                // punches, which the readouts' own commits flush with it.
                db::FlushEachCommit(data->connection(), false);
            }
            db::Connection &connection = data->connection();
            TeamCalculation calculation(connection, m_setup.snapshot(), messages);
            calculation.LoadCourseDefinition();
            for (const qint64 id : teams) {
                // By id: a readout's team may share its number with an earlier one.
                tResArray list;
                calculation.CalculateTeamWithId(id, list);
                // Told at once: the team's result is published while the next one is calculated.
                m_calculated({id});
            }
        } catch (const KorventError &error) {
            m_failed(error.message());
            // What was stored is published all the same.
            m_calculated(QList<qint64>(teams.cbegin(), teams.cend()));
        }
        lock.lock();
    }
}
