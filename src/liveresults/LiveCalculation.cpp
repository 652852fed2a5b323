#include "liveresults/LiveCalculation.h"

#include "db/CommitFlushing.h"

#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "base/Platform.h"
#include "db/Connection.h"
#include "db/ReadSnapshot.h"
#include "scoring/TeamCalculation.h"
#include "store/EventSetup.h"
#include "store/TeamRow.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include <algorithm>
#include <memory>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LiveCalculation)
};

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
    , m_staleScan([this] { findStaleTeams(); })
{
}

LiveCalculation::~LiveCalculation()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_staleScan.join();
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

void LiveCalculation::findStaleTeams()
{
    // Reading every team's punches is background work: the stations and the
    // readouts' own calculations come first.
    Platform::lowerThreadPriority();
    ForwardedMessages messages(m_failed);
    std::vector<qint64> stale;
    try {
        TdmData data(m_eventDirectory);
        const db::ReadSnapshot snapshot(data.connection());
        // Switching the live results off does not wait for the whole look.
        stale = TeamCalculation(data.connection(), m_setup.snapshot(), messages).StaleTeams([this] {
            const std::lock_guard lock(m_mutex);
            return m_stop;
        });
    } catch (const KorventError &error) {
        m_failed(error.message());
        return;
    }
    if (stale.empty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        m_stale = std::move(stale);
    }
    m_wake.notify_one();
}

std::vector<qint64> LiveCalculation::numbersOf(db::Connection &connection, const QSet<qint64> &teams)
{
    // A number calculates its first team, as the Calculate command does: a
    // later team sharing it keeps no result, which is told once a number.
    std::vector<qint64> numbers;
    QSqlQuery team = connection.prepare(QStringLiteral("SELECT number, name FROM team WHERE id=?"));
    for (const qint64 id : teams) {
        connection.exec(team, {id});
        if (!team.next())
            continue; // deleted meanwhile
        const qint64 number = team.value(0).toLongLong();
        const QString name = team.value(1).toString();
        team.finish();
        if (std::find(numbers.cbegin(), numbers.cend(), number) == numbers.cend())
            numbers.push_back(number);
        const std::optional<qint64> first = FirstTeamNumbered(connection, number);
        if (first && *first != id && !m_toldShared.contains(number)) {
            m_toldShared.insert(number);
            const QString firstName = connection.scalar(QStringLiteral("SELECT name FROM team WHERE id=?"), {*first}).toString();
            m_failed(Texts::tr("Team number %1 is shared: a readout of \"%2\" calculates \"%3\", the first team with the number, "
                               "and \"%2\" gets no result")
                         .arg(number)
                         .arg(name, firstName));
        }
    }
    return numbers;
}

void LiveCalculation::run()
{
    std::unique_ptr<TdmData> data;
    ForwardedMessages messages(m_failed);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_teams.isEmpty() || !m_stale.empty(); });
        // Stale teams go one at a time after the readouts' own: a fresh
        // readout waits for one team's calculation at most.
        QSet<qint64> teams = std::exchange(m_teams, {});
        if (teams.isEmpty() && !m_stop && !m_stale.empty()) {
            teams.insert(m_stale.back());
            m_stale.pop_back();
        }
        if (teams.isEmpty())
            return;
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
            // All teams read out meanwhile in one transaction: one commit,
            // one short hold of the writer lock, however many there are.
            const std::vector<qint64> calculated = calculation.CalculateTeams(numbersOf(connection, teams));
            // The readouts' own teams too: their punches changed, whichever team got the result.
            QList<qint64> changed(teams.cbegin(), teams.cend());
            changed.append(QList<qint64>(calculated.cbegin(), calculated.cend()));
            m_calculated(changed);
        } catch (const KorventError &error) {
            m_failed(error.message());
            // What was stored is published all the same.
            m_calculated(QList<qint64>(teams.cbegin(), teams.cend()));
        }
        lock.lock();
    }
}
