#include "exports/TrailplotExport.h"

#include "base/GuardedFiles.h"
#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/TextFile.h"
#include "base/WorkSteps.h"
#include "db/Connection.h"
#include "db/StoredValue.h"
#include "exports/IofExportRun.h"
#include "exports/IofResultRows.h"
#include "store/EventSetup.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QIODevice>
#include <QSqlQuery>
#include <QtNumeric>
#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Exports)
};

struct ControlRow
{
    QString code;
    QString type;
    qint64 x = 0;
    qint64 y = 0;
};

// The origin moved by the pixels of a map distance: 254 tenths of a millimetre
// to the inch, truncated toward zero like the program that reads the file. A
// number beyond 64 bits would be written wrong, so the control is refused.
qint64 shifted(qint64 origin, qint64 mapUnits, qint64 dpi, bool add, const ControlRow &control)
{
    qint64 product = 0;
    qint64 position = 0;
    if (qMulOverflow(mapUnits, dpi, &product)
        || (add ? qAddOverflow(origin, product / 254, &position) : qSubOverflow(origin, product / 254, &position)))
        throw KorventError(Texts::tr("Control %1 at %2, %3 has no pixel position a whole number can hold with DPI %4 and these start offsets")
                               .arg(control.code)
                               .arg(control.x)
                               .arg(control.y)
                               .arg(dpi));
    return position;
}


int pictureHeight(const QString &fileName)
{
    GuardedFiles::refuse(fileName, GuardedFiles::Access::Read);
    QImageReader reader(fileName);
    const QSize size = reader.canRead() ? reader.size() : QSize();
    if (!size.isValid())
        throw KorventError(Texts::tr("Cannot read the map picture %1: %2").arg(fileName, reader.errorString()));
    return size.height();
}

// The label Trailplot shows for the control, by the first letter of its type.
QString typeSuffix(const ControlRow &control)
{
    switch (control.type.isEmpty() ? u'\0' : control.type.at(0).unicode()) {
    case u'C':
        return QStringLiteral("|7|()") + control.code;
    case u'S':
        return QStringLiteral("|0|Start");
    case u'F':
        return QStringLiteral("|6|Finis");
    case u'I':
        return QStringLiteral("|7|()2");
    case u'O':
        return QStringLiteral("|7|()3");
    default:
        return QString();
    }
}

QStringList pointsLines(const ReportContext &context, int mapHeight)
{
    const EventSettings &settings = context.setup.settings;
    const qint64 dpi = settings.mapDpi;
    qint64 originX = settings.mapOffsetX;
    qint64 originY = settings.mapOffsetY;

    std::vector<ControlRow> controls;
    QSqlQuery rows = context.connection.exec(QStringLiteral("SELECT controlnr, type, pos_x, pos_y FROM control ORDER BY controlnr, id"));
    while (rows.next())
        controls.push_back({rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toLongLong(), rows.value(3).toLongLong()});

    // The start lands on the offsets; map y grows upwards, picture y downwards.
    const auto start = std::find_if(controls.begin(), controls.end(),
                                    [](const ControlRow &control) { return control.type.startsWith(u'S'); });
    if (start != controls.end()) {
        originX = shifted(originX, start->x, dpi, false, *start);
        originY = shifted(originY, start->y, dpi, true, *start);
    }

    QStringList lines{
        QStringLiteral("[general]"),
        QStringLiteral("map=") + settings.mapFileName,
        QStringLiteral("route=1"),
        QStringLiteral("dpi=") + QString::number(settings.mapDpi),
        QStringLiteral("mastap=") + SettingText(settings, SettingOf(&EventSettings::mapScale)),
        QStringLiteral("points=") + QString::number(controls.size()),
        QStringLiteral("mapX=0"),
        QStringLiteral("mapY=") + QString::number(mapHeight),
        QStringLiteral("[points]"),
    };
    int k = 0;
    for (const ControlRow &control : controls)
        lines.append(QString::number(++k) + u'=' + QString::number(shifted(originX, control.x, dpi, true, control)) + u'|'
                     + QString::number(shifted(originY, control.y, dpi, false, control)) + typeSuffix(control));
    return lines;
}

// A team's route field: check-out and check-in by Trailplot's numbers, the finish left out.
std::optional<QString> routeField(const QString &code)
{
    if (code == QLatin1String("F"))
        return std::nullopt;
    if (code == QLatin1String("O"))
        return QStringLiteral("2");
    if (code == QLatin1String("I"))
        return QStringLiteral("3");
    return code;
}

QStringList routeLines(const ReportContext &context)
{
    std::vector<TeamRow> teams;
    QSqlQuery rows = context.connection.exec(QStringLiteral(
        "SELECT id, number, name, class, result FROM team WHERE %1 ORDER BY id").arg(db::StoredTimeIsSetSql(QStringLiteral("calctime"))));
    const TeamRowReader reader(rows);
    while (rows.next())
        teams.push_back(reader.read(rows));

    IofExportCalculation calculation(context);
    WorkSteps steps(context.workProgress(), Texts::tr("Writing the routes"), static_cast<qint64>(teams.size()));
    QStringList lines;
    for (const TeamRow &team : teams) {
        // A line break in a name would split the team's line.
        QString line = QString::number(team.result) + u'\t' + OneLineText(team.name + u'/' + team.className) + u'\t';
        const std::optional<tResArray> list = IofPunchList(calculation.calculation(), context.connection, team, calculation.messages());
        for (const tControlRes &entry : list.value_or(tResArray()))
            if (const std::optional<QString> field = routeField(entry.code))
                line += *field + u'\t';
        lines.append(line);
        steps.reached(lines.size());
    }
    return lines;
}

} // namespace

void ExportTrailplotRoute(const ReportContext &context)
{
    const QString mapName = context.setup.settings.mapFileName;
    const QString mapFile = context.eventDirectory + mapName;
    if (mapName.isEmpty() || !QFileInfo(mapFile).isFile())
        throw KorventError(Texts::tr("No MAP file"));
    const int mapHeight = pictureHeight(mapFile);

    const QStringList points = pointsLines(context, mapHeight);
    const QStringList routes = routeLines(context);
    const QString base = TextBefore(u'.', mapName);
    context.output.write({ReportFolder::Event, base + QStringLiteral(".rada")}, Platform::encodeText(TextOfLines(points)));
    context.output.write({ReportFolder::Event, base + QStringLiteral(".txt")}, Platform::encodeText(TextOfLines(routes)));
}
