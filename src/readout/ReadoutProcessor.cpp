#include "readout/ReadoutProcessor.h"

#include "readout/ReadoutRecord.h"
#include "readout/ReadoutReply.h"
#include "readout/ReadoutStore.h"

#include "base/Platform.h"
#include "db/Connection.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QLocale>

namespace {

ReadoutResult refused(const QString &message)
{
    return {ReadoutErrorReply(message), QString()};
}

} // namespace

ReadoutProcessor::ReadoutProcessor(const QString &eventDirectory, const SharedEventSetup &setup,
                                   std::shared_ptr<db::LogCheckpointer> checkpointer)
    : m_data(std::make_unique<TdmData>(eventDirectory))
    , m_setup(setup)
{
    m_data->connection().giveWayToWaitingPrograms();
    if (checkpointer)
        m_data->connection().leaveCheckpointsTo(std::move(checkpointer));
}

ReadoutProcessor::~ReadoutProcessor() = default;

void ReadoutProcessor::LoadCourseCopy()
{
    // Settings and classes as the event's files hold them now, whichever program changed them.
    std::shared_ptr<const EventSetup> setup = m_setup.snapshot();
    m_course.course = std::make_shared<const CourseDefinition>(CourseDefinition::load(m_data->connection(), setup->classTree));
    m_course.setup = std::move(setup);
}

QString ReadoutProcessor::EventInfoReply(const QString &argument) const
{
    if (argument.isEmpty())
        return ReadoutErrorReply(QStringLiteral("No Data"));
    const EventSettings settings = m_setup.snapshot()->settings;
    return QStringLiteral("I 1;") + QLocale::system().toString(settings.eventDate->date(), Platform::shortDateFormat()) + u';'
        + settings.eventArea + u';' + settings.eventName + u';'
        + QString::number(settings.firstStart->count()) + QStringLiteral(";10;O;");
}

ReadoutResult ReadoutProcessor::ProcessReadout(const QString &text)
{
    const std::optional<ReadoutRecord> record = ParseReadoutRecord(text);
    if (!record)
        return refused(QStringLiteral("Wrong parameters"));
    db::Connection &connection = m_data->connection();
    const EventSettings settings = m_setup.snapshot()->settings;
    const auto compute = [&](const ReadoutOwner &owner) { return ComputeReadout(*record, owner.teamClass, m_course, settings); };
    // Worked out before the transaction from the runner and team as they are
    // now, so that the writer lock is held only to look at them again and
    // write: the other stations' readouts wait for it.
    const ReadoutOwner before = FindReadoutOwner(connection, record->chip);
    std::optional<ComputedReadout> computed;
    if (before.refusal.isEmpty())
        computed = compute(before);
    // The runner and team are read again inside the transaction that stores
    // the rows: a runner moved to another team or deleted meanwhile is never
    // written for, and a team moved to another class is worked out again. A
    // refusal leaves it without a change.
    db::Transaction transaction(connection);
    const ReadoutOwner owner = FindReadoutOwner(connection, record->chip);
    if (!owner.refusal.isEmpty())
        return refused(owner.refusal);
    if (!(owner == before))
        computed = compute(owner);
    if (!computed->refusal.isEmpty())
        return refused(computed->refusal);
    StoreReadout(connection, owner, *computed);
    transaction.commit();
    return {ReadoutReplyText(*record, owner, *computed), QStringLiteral("Z 0"), owner.teamId};
}

QString ReadoutProcessor::replacedFileMessage() const
{
    return m_data->connection().replacedFileMessage();
}
