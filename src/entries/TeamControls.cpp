#include "entries/TeamControls.h"

#include "db/Connection.h"
#include "base/TextPrinting.h"
#include "store/DateTime.h"
#include "store/EventSchema.h"
#include "store/FieldDisplay.h"
#include "store/TimeHelpers.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

namespace {

enum Column { Control, Time, Status, FirstName, LastName, Chip, ColumnCount };

// Widths of the columns that are not texts of a field: a date and time of
// the long formats and a status code.
constexpr int timeWidth = 20;
constexpr int statusWidth = 3;

int fieldSize(const char *table, const char *field)
{
    return EventTable(QLatin1String(table)).field(QLatin1String(field))->size;
}

} // namespace

QStringList TeamControlTitles()
{
    const QString punch = QStringLiteral("res_cp");
    const QString runner = QStringLiteral("runner");
    return {QStringLiteral("KP"), FieldDisplayLabel(punch, QStringLiteral("ctime")), FieldDisplayLabel(punch, QStringLiteral("status")),
            FieldDisplayLabel(runner, QStringLiteral("firstname")), FieldDisplayLabel(runner, QStringLiteral("lastname")),
            FieldDisplayLabel(runner, QStringLiteral("chipnr"))};
}

std::vector<QStringList> TeamControlRows(db::Connection &connection, qint64 teamId)
{
    QSqlQuery query = connection.exec(QStringLiteral(
        "SELECT r.KP, r.ctime, r.status, run.firstname, run.lastname, run.chipnr FROM res_cp r, runner run "
        "WHERE r.team_id=? AND r.runner_id=run.id ORDER BY r.ctime, r.id"), {teamId});
    std::vector<QStringList> rows;
    while (query.next()) {
        const QVariant time = query.value(Time);
        rows.push_back({query.value(Control).toString(), time.isNull() ? QString() : DateTimeText(true, DateTime::fromStored(time)),
                        query.value(Status).toString(), query.value(FirstName).toString(), query.value(LastName).toString(),
                        query.value(Chip).toString()});
    }
    return rows;
}

QStringList TeamControlPrintLines(const std::vector<QStringList> &rows)
{
    int widths[ColumnCount] = {0, timeWidth, statusWidth, 0, 0, 0};
    const int sizes[ColumnCount] = {fieldSize("res_cp", "KP"), 0, 0, fieldSize("runner", "firstname"),
                                    fieldSize("runner", "lastname"), fieldSize("runner", "chipnr")};
    for (const QStringList &row : rows)
        for (int c : {Control, FirstName, LastName, Chip})
            widths[c] = qMax(widths[c], qMin(sizes[c], static_cast<int>(row.at(c).size())));
    QStringList lines{QString()};
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < ColumnCount; ++c)
            line += PadText(row.at(c), widths[c] + 1, false);
        lines.append(line);
    }
    return lines;
}

std::vector<std::vector<int>> TeamControlPageLayout(int lineCount, int lineHeight, int pageHeight)
{
    std::vector<std::vector<int>> pages;
    int y = lineHeight;
    for (int i = 0; i < lineCount; ++i) {
        if (pages.empty() || y == lineHeight)
            pages.emplace_back();
        pages.back().push_back(y);
        y += lineHeight;
        // The empty first line never ends a page.
        if (i > 0 && y > pageHeight - 2 * lineHeight)
            y = lineHeight;
    }
    return pages;
}

void PrintTeamControls(QPagedPaintDevice &device, const QStringList &lines)
{
    QPainter painter(&device);
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    painter.setFont(font);
    const QFontMetrics metrics(font, &device);
    const int lineHeight = static_cast<int>(metrics.height() * 1.2);
    const auto pages = TeamControlPageLayout(static_cast<int>(lines.size()), lineHeight, device.height());
    qsizetype index = 0;
    for (size_t page = 0; page < pages.size(); ++page) {
        if (page > 0)
            device.newPage();
        for (const int top : pages[page])
            painter.drawText(10, top + metrics.ascent(), lines.at(index++));
    }
}
