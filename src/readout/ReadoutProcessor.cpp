#include "readout/ReadoutProcessor.h"

#include "base/KorventError.h"
#include "store/MapHelpers.h"
#include "base/Platform.h"
#include "store/StatusTexts.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSqlQuery>

namespace {

constexpr int maxFieldIndex = 600;
constexpr qint64 maxPunches = 193;
constexpr qint64 noFinishValues[] = {77'777'500, -1, -99};
constexpr qint64 noFinishReply = -9900;
constexpr qint64 didNotFinishCode = 300'000'000;
constexpr qint64 overTimeCode = 500'000'000;
constexpr int firstUntimedPunch = 30; // cards below type 6 keep times of 30 punches
constexpr double oneMinute = 1.0 / 1440.0;

QString errorReply(const char *message)
{
    return QStringLiteral("E \"") + QString::fromLatin1(message) + u'"';
}

struct CardPunch
{
    qint64 code = 0;
    qint64 time = 0;
    int flag = 0;
};

} // namespace

ReadoutProcessor::ReadoutProcessor(const QString &eventDirectory, const SharedEventSetup &setup)
    : m_data(std::make_unique<TdmData>(eventDirectory))
    , m_setup(setup)
{
}

ReadoutProcessor::~ReadoutProcessor() = default;

void ReadoutProcessor::LoadCourseCopy()
{
    const auto setup = m_setup.snapshot();
    m_eventDate = DateTime::fromDateAndTime(setup->settings.dtpDate.date(), QTime(0, 0));
    m_penaltyPoints = setup->settings.sePenaltyPoints;
    m_penaltySeconds = setup->settings.sePenaltySeconds;

    db::Connection &connection = m_data->connection();
    m_controls.clear();
    QSqlQuery controls = connection.exec(QStringLiteral("SELECT unitnumber, controlnr, points, pos_x, pos_y, type FROM control ORDER BY unitnumber, id"));
    while (controls.next()) {
        ReadoutControl control{controls.value(0).toLongLong(), controls.value(1).toString(), controls.value(3).toLongLong(),
                               controls.value(4).toLongLong(), controls.value(2).toLongLong()};
        const QString type = controls.value(5).toString();
        if (type == QLatin1String("S")) {
            m_startX = control.x;
            m_startY = control.y;
        } else if (type == QLatin1String("F")) {
            m_finishX = control.x;
            m_finishY = control.y;
        }
        if (type == QLatin1String("I") || type == QLatin1String("O") || type == QLatin1String("F") || type == QLatin1String("W"))
            control.kp = type;
        m_controls.push_back(control);
    }

    m_extraPoints = ExtraPointRules::load(connection);

    m_classes = LoadClassTable(setup->classTree);
}

const ReadoutControl *ReadoutProcessor::FindControlByCode(qint64 unitNumber) const
{
    for (const ReadoutControl &control : m_controls)
        if (control.unitNumber == unitNumber)
            return &control;
    return nullptr;
}

QString ReadoutProcessor::EventInfoReply(const QString &argument) const
{
    if (argument.isEmpty())
        return errorReply("No Data");
    const EventSettings settings = m_setup.snapshot()->settings;
    return QStringLiteral("I 1;") + QLocale::system().toString(settings.dtpDate.date(), Platform::shortDateFormat()) + u';'
        + settings.leLocation + u';' + settings.leName + u';'
        + QString::number(ClockTextToHundredths(settings.meEventStartTime, u',') / 100) + QStringLiteral(";10;O;");
}

ReadoutResult ReadoutProcessor::ProcessReadout(const QString &record)
{
    const QStringList fields = SplitFields(record, u';', maxFieldIndex);
    if (fields.size() < 6)
        return {errorReply("Wrong parameters"), QString()};
    const auto integer = [&](int field) { return LeadingInteger(fields.at(field - 1)); };
    const QString chip = fields.at(0);
    const qint64 finishField = integer(4);
    const qint64 cardType = integer(5);
    const qint64 count = integer(6);
    if (count > maxPunches)
        throw KorventError(QCoreApplication::translate("Readout", "The readout announces %1 punches; a chip holds %2 at most").arg(count).arg(maxPunches));
    const int punchCount = static_cast<int>(qMax<qint64>(0, count));
    // A record that announces more punch pairs than it carries is refused whole.
    if (fields.size() < 6 + 2 * punchCount)
        return {errorReply("Wrong parameters"), QString()};
    std::vector<CardPunch> punches(static_cast<size_t>(punchCount));
    for (int k = 0; k < punchCount; ++k)
        punches[static_cast<size_t>(k)] = CardPunch{integer(7 + 2 * k), integer(8 + 2 * k) * 100, 0};

    const auto setup = m_setup.snapshot();
    const EventSettings &settings = setup->settings;
    db::Connection &connection = m_data->connection();
    const std::optional<QSqlRecord> runner = connection.firstRow(
        QStringLiteral("SELECT id, team_id, firstname, lastname, rentchip FROM runner WHERE chipnr=? ORDER BY id LIMIT 1"), {chip});
    if (!runner)
        return {errorReply("Wrong chip nr"), QString()};
    const qint64 runnerId = runner->value(QStringLiteral("id")).toLongLong();
    const std::optional<QSqlRecord> team = connection.firstRow(QStringLiteral("SELECT id, number, class, name FROM team WHERE id=?"),
                                                               {runner->value(QStringLiteral("team_id"))});
    if (!team)
        return {errorReply("No Team record"), QString()};
    const qint64 teamId = team->value(QStringLiteral("id")).toLongLong();
    const QString teamClass = team->value(QStringLiteral("class")).toString();
    const std::optional<TClassInfo> classInfo = FindClass(m_classes, teamClass);
    if (!classInfo || classInfo->start == -1)
        return {errorReply("No course/class description for runner"), QString()};
    const qint64 start = classInfo->start;
    const qint64 maximumTime = classInfo->maximumTime;
    const qint64 penaltyTime = classInfo->penaltyTime;
    const bool multiReadout = settings.cbMultiReadout;
    if (finishField == -1 && !multiReadout)
        return {errorReply("No Finish Time"), QString()};

    db::Transaction transaction(connection);
    if (!multiReadout)
        connection.exec(QStringLiteral("DELETE FROM res_cp WHERE runner_id=?"), {runnerId});
    QSqlQuery insert = connection.prepare(QStringLiteral("INSERT INTO res_cp (runner_id, team_id, KP, status, ctime, count) VALUES (?, ?, ?, ?, ?, ?)"));

    qint64 clock = start;
    TDateTime stamp = m_eventDate + start / 8'640'000.0;
    QString previousKp = QStringLiteral("-");
    qint64 previousX = m_startX, previousY = m_startY;
    qint64 total = 0;
    QString distances;
    std::vector<qint64> seenCodes;
    for (int k = 0; k < punchCount; ++k) {
        CardPunch &punch = punches[static_cast<size_t>(k)];
        const ReadoutControl *control = FindControlByCode(punch.code);
        QString kp = QStringLiteral("?");
        qint64 points = 0, x = 0, y = 0;
        punch.code = -1;
        if (control) {
            kp = control->kp;
            points = control->points;
            x = control->x;
            y = control->y;
            punch.code = LeadingInteger(kp);
        }
        if (!m_extraPoints.empty())
            points += m_extraPoints.points(previousKp + u'>' + kp);
        previousKp = kp;
        if (settings.cbCalcDistSpeed)
            distances += DistanceMetersText(MapDistance(previousX, previousY, x, y), settings.eMap_Scale) + u';';
        previousX = x;
        previousY = y;

        const bool untimed = cardType < 6 && k >= firstUntimedPunch;
        qint64 time = punch.time;
        TDateTime punchStamp = UnwrapClockTime(clock, time, stamp);
        if (untimed)
            punchStamp = stamp + oneMinute;
        const int status = kp == QLatin1String("?") ? PunchUnknown : untimed ? PunchMan : PunchReadOK;
        connection.exec(insert, {runnerId, teamId, kp, status, DateTime::toStored(punchStamp), points});
        clock = untimed ? clock + 6000 : time;
        stamp = punchStamp;
        punch.time = untimed ? -1 : time;

        const bool repeat = std::find(seenCodes.begin(), seenCodes.end(), punch.code) != seenCodes.end();
        seenCodes.push_back(punch.code);
        if (repeat || points < 1) {
            punch.flag = 4;
        } else {
            punch.flag = 1;
            total += points;
        }
    }

    qint64 finish = finishField;
    qint64 runningTime;
    if (std::find(std::begin(noFinishValues), std::end(noFinishValues), finishField) != std::end(noFinishValues)) {
        finish = noFinishReply;
        total = 0;
        runningTime = didNotFinishCode;
    } else {
        const TDateTime finishStamp = UnwrapClockTime(clock, finish, stamp);
        runningTime = finish - start;
        if (maximumTime >= 0) {
            if (runningTime > maximumTime + penaltyTime) {
                runningTime = overTimeCode;
                total = 0;
            } else if (runningTime > maximumTime) {
                if (m_penaltySeconds <= 0)
                    throw KorventError(QCoreApplication::translate("Readout", "the penalty span (sePenaltySeconds) must be at least one second"));
                total += ((runningTime - maximumTime) / (m_penaltySeconds * 100LL) + 1) * m_penaltyPoints;
            }
        }
        connection.exec(insert, {runnerId, teamId, QStringLiteral("F"), PunchReadOK, DateTime::toStored(finishStamp), 0});
        if (settings.cbCalcDistSpeed)
            distances += DistanceMetersText(MapDistance(previousX, previousY, m_finishX, m_finishY), settings.eMap_Scale) + u';';
    }
    transaction.commit();

    QString reply = QStringLiteral("S ");
    const auto add = [&reply](const QString &value) { reply += value + u';'; };
    add(chip);
    add(QString::number(start));
    add(QString::number(finish));
    add(QString::number(runningTime));
    add(QString::number(total));
    const QVariant rentChip = runner->value(QStringLiteral("rentchip"));
    add(team->value(QStringLiteral("number")).toString());
    add(runner->value(QStringLiteral("firstname")).toString());
    add(runner->value(QStringLiteral("lastname")).toString());
    add(teamClass);
    add(team->value(QStringLiteral("name")).toString());
    add(rentChip.isNull() ? QString() : rentChip.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
    add(QString::number(punchCount));
    for (const CardPunch &punch : punches) {
        add(QString::number(punch.code));
        add(QString::number(punch.time));
        add(QString::number(punch.flag));
    }
    reply += distances;
    return {reply, QStringLiteral("Z 0")};
}
