#include "course/CourseDataImport.h"

#include "base/KorventError.h"
#include "course/ControlCreation.h"
#include "db/Connection.h"
#include "base/XmlDocument.h"
#include "store/EventSettings.h"
#include "store/MapHelpers.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CourseDataImport)
};

// A plain decimal number: sign, digits, "." and decimals. Exponents, group
// separators and decimal commas are not numbers here.
struct Decimal
{
    bool negative = false;
    qint64 whole = 0;
    int firstDecimal = 0;
    bool nonZeroDecimals = false;
};

// Reads one number of the file; `what` names it in an error.
class NumberReader
{
public:
    explicit NumberReader(const QString &fileName)
        : m_fileName(fileName)
    {
    }

    // A missing or empty value reads as 0.
    Decimal read(const QString &text, const QString &what) const
    {
        static const QRegularExpression pattern(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
        const QString value = text.trimmed();
        Decimal number;
        if (value.isEmpty())
            return number;
        const QRegularExpressionMatch match = pattern.match(value);
        const QString whole = match.captured(2);
        const QString decimals = match.captured(3);
        if (!match.hasMatch() || (whole.isEmpty() && decimals.isEmpty()))
            fail(Texts::tr("%1 \"%2\" is not a number (decimals after \".\")").arg(what, value));
        if (whole.size() > 15)
            fail(Texts::tr("%1 \"%2\" is too large").arg(what, value));
        number.negative = match.captured(1) == QLatin1String("-");
        number.whole = whole.isEmpty() ? 0 : whole.toLongLong();
        number.firstDecimal = decimals.isEmpty() ? 0 : decimals.at(0).digitValue();
        number.nonZeroDecimals = std::any_of(decimals.cbegin(), decimals.cend(), [](QChar digit) { return digit != u'0'; });
        return number;
    }

    // The number times 10, truncated toward zero: millimetres to map units.
    qint64 tenths(const QString &text, const QString &what) const
    {
        const Decimal number = read(text, what);
        const qint64 tenths = number.whole * 10 + number.firstDecimal;
        return number.negative ? -tenths : tenths;
    }

    // A map position in map units, within what a real map can need.
    qint64 position(const QString &text, const QString &what) const
    {
        const qint64 units = tenths(text, what);
        if (units < -MapCoordinateLimit || units > MapCoordinateLimit)
            fail(Texts::tr("%1 \"%2\" is outside %3 to %4 mm").arg(what, text.trimmed()).arg(-MapCoordinateLimit / 10).arg(MapCoordinateLimit / 10));
        return units;
    }

    // The whole part, truncated toward zero.
    qint64 whole(const QString &text, const QString &what) const
    {
        const Decimal number = read(text, what);
        return number.negative ? -number.whole : number.whole;
    }

    [[noreturn]] void fail(const QString &why) const
    {
        throw KorventError(Texts::tr("Cannot import %1: %2").arg(m_fileName, why));
    }

private:
    QString m_fileName;
};

struct Position
{
    qint64 x;
    qint64 y;
};

Position mapPosition(const NumberReader &numbers, const XmlElement &element, const QString &where)
{
    const XmlElement position = element.child(QStringLiteral("MapPosition"));
    return {numbers.position(position.attribute(QStringLiteral("x")), Texts::tr("the MapPosition x of %1").arg(where)),
            numbers.position(position.attribute(QStringLiteral("y")), Texts::tr("the MapPosition y of %1").arg(where))};
}

ControlRow placed(ControlRow row, Position position)
{
    row.posX = position.x;
    row.posY = position.y;
    return row;
}

MapReference mapReference(const NumberReader &numbers, const XmlElement &map)
{
    const QString scale = map.child(QStringLiteral("Scale")).text().trimmed();
    const Decimal scaleNumber = numbers.read(scale, Texts::tr("the map Scale"));
    // Distances are worked out with the scale: a map without one is no map reference.
    if (scaleNumber.negative || (scaleNumber.whole == 0 && !scaleNumber.nonZeroDecimals))
        numbers.fail(Texts::tr("the map Scale \"%1\" is not a scale").arg(scale));
    // Maps are printed at whole scales: "15000.0" is 1:15,000 and stored so,
    // while "0.5" or "7500.5" is a value from the wrong field, not rounded into a scale.
    if (scaleNumber.nonZeroDecimals || scaleNumber.whole < 1 || scaleNumber.whole > MapScaleLimit)
        numbers.fail(Texts::tr("the map Scale \"%1\" is not a whole number from 1 to %2").arg(scale).arg(MapScaleLimit));
    const Position offset = mapPosition(numbers, map, Texts::tr("the Map"));
    return {scaleNumber.whole, offset.x, offset.y};
}

} // namespace

CourseData ReadCourseData(const QString &fileName, bool unitPlus11)
{
    XmlDocument document;
    document.load(fileName);
    const NumberReader numbers(fileName);
    const XmlElement root = document.documentElement();
    if (root.name() != QLatin1String("CourseData"))
        numbers.fail(Texts::tr("the file holds %1, not IOF XML 2.0.3 CourseData").arg(root.name()));
    if (root.attribute(QStringLiteral("iofVersion")).startsWith(u'3'))
        numbers.fail(Texts::tr("the file is IOF XML 3.0 course data; export the course data in IOF XML 2.0.3"));

    CourseData course;
    int controls = 0, starts = 0, finishes = 0;
    for (const XmlElement &element : root.children()) {
        const QString name = element.name();
        if (name == QLatin1String("Map")) {
            course.map = mapReference(numbers, element);
        } else if (name == QLatin1String("StartPoint")) {
            const QString code = element.child(QStringLiteral("StartPointCode")).text().trimmed();
            const ControlRow row = placed(StartRow(code), mapPosition(numbers, element, Texts::tr("start %1 (StartPoint %2)").arg(code).arg(++starts)));
            if (starts == 1)
                course.rows.push_back(row);
            else
                course.otherStarts.append(code);
        } else if (name == QLatin1String("FinishPoint")) {
            const QString code = element.child(QStringLiteral("FinishPointCode")).text().trimmed();
            const ControlRow row = placed(FinishRow(code), mapPosition(numbers, element, Texts::tr("finish %1 (FinishPoint %2)").arg(code).arg(++finishes)));
            if (finishes == 1)
                course.rows.push_back(row);
            else
                course.otherFinishes.append(code);
        } else if (name == QLatin1String("Control")) {
            const QString code = element.child(QStringLiteral("ControlCode")).text().trimmed();
            const QString where = Texts::tr("control %1 (Control %2)").arg(code).arg(++controls);
            const qint64 number = numbers.whole(code, Texts::tr("the ControlCode of Control %1").arg(controls));
            if (number < LowestControlNumber || number > HighestControlNumber)
                numbers.fail(Texts::tr("the ControlCode \"%1\" is outside %2 to %3").arg(code).arg(LowestControlNumber).arg(HighestControlNumber));
            course.rows.push_back(placed(ScoringControlRow(number, unitPlus11, QStringLiteral("P:") + code), mapPosition(numbers, element, where)));
        }
    }
    return course;
}

CourseData ImportCourseData(TdmData &data, const QString &fileName, bool unitPlus11,
                            const std::function<void(const CourseData &)> &beforeCommit, WorkProgress &progress)
{
    CourseData course = ReadCourseData(fileName, unitPlus11);
    db::Transaction transaction(data.connection());
    AddControlRows(data, course.rows, progress);
    // The last moment to stop: what beforeCommit saves elsewhere must be followed by the commit.
    progress.stopIfCancelled();
    if (beforeCommit)
        beforeCommit(course);
    transaction.commit();
    return course;
}

void ApplyMapReference(EventSettings &settings, const MapReference &map)
{
    settings.mapScale = map.scale;
    settings.mapOffsetX = map.offsetX;
    settings.mapOffsetY = map.offsetY;
}
