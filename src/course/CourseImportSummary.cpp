#include "course/CourseImportSummary.h"

#include "base/CountText.h"
#include "course/CourseDataImport.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CourseImportSummary)
};

qsizetype rowsOfType(const CourseData &course, const QString &type)
{
    return std::count_if(course.rows.cbegin(), course.rows.cend(), [&](const ControlRow &row) { return row.type == type; });
}

QString codeOfFirst(const CourseData &course, const QString &type)
{
    const auto found = std::find_if(course.rows.cbegin(), course.rows.cend(), [&](const ControlRow &row) { return row.type == type; });
    return found == course.rows.cend() ? QString() : found->text;
}

// A point's code as the operator reads it: a point may come without one.
QString pointCode(const QString &code)
{
    return code.isEmpty() ? Texts::tr("(no code)") : code;
}

// "Start (S): s1", with the later points of the file that have no row, each code once.
QString pointLine(const char *caption, const QString &code, const QStringList &others)
{
    QString line = Texts::tr(caption).arg(pointCode(code));
    QStringList notAdded;
    for (const QString &other : others)
        if (!notAdded.contains(pointCode(other)))
            notAdded.append(pointCode(other));
    if (!notAdded.isEmpty())
        line += Texts::tr("; also in the file, not added: %1").arg(notAdded.join(QStringLiteral(", ")));
    return line;
}

} // namespace

QStringList CourseImportSummary(const CourseData &course)
{
    const qsizetype starts = rowsOfType(course, QStringLiteral("S"));
    const qsizetype finishes = rowsOfType(course, QStringLiteral("F"));
    const qsizetype scoring = rowsOfType(course, QStringLiteral("C"));
    QStringList lines;
    lines.append(CountText("CourseImportSummary", "%n control added: ", "%n controls added: ", static_cast<qint64>(course.rows.size()))
                 + CountText("CourseImportSummary", "%n scoring control", "%n scoring controls", scoring)
                 + Texts::tr(", %1 start, %2 finish").arg(starts).arg(finishes));
    if (starts > 0)
        lines.append(pointLine(QT_TRANSLATE_NOOP("CourseImportSummary", "Start (S): %1"), codeOfFirst(course, QStringLiteral("S")), course.otherStarts));
    if (finishes > 0)
        lines.append(pointLine(QT_TRANSLATE_NOOP("CourseImportSummary", "Finish (F): %1"), codeOfFirst(course, QStringLiteral("F")), course.otherFinishes));
    if (course.map)
        lines.append(Texts::tr("Map: scale 1:%1, reference point %2, %3 (tenths of a millimetre)")
                         .arg(QString::number(course.map->scale), QString::number(course.map->offsetX), QString::number(course.map->offsetY)));
    else
        lines.append(Texts::tr("Map: the file has no map reference; the map settings stay as they were"));
    return lines;
}
