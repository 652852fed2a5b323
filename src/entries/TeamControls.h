#pragma once

// A team's punches as stored, with the runner who punched: the list the
// teams window shows and prints at the counter.

#include <QString>
#include <QStringList>
#include <vector>

class QPagedPaintDevice;
namespace db { class Connection; }

// Column titles of the list, in order.
QStringList TeamControlTitles();
// One row a punch, in punch time order: control code, time, stored status,
// first name, last name and chip of the runner, as texts.
std::vector<QStringList> TeamControlRows(db::Connection &connection, qint64 teamId);

// The print lines: an empty line, then one line a row with every value in a
// column of its own. A text column is as wide as its longest value, at most
// the size of its field, so that a line fits a portrait page.
QStringList TeamControlPrintLines(const std::vector<QStringList> &rows);
// Where each line goes: pages of line tops, the first at one line height;
// a page ends once the next top would be lower than the page height less two lines.
std::vector<std::vector<int>> TeamControlPageLayout(int lineCount, int lineHeight, int pageHeight);
// Prints the lines in Courier 10 point at x = 10 on the device (a printer
// whose title and orientation the caller has set).
void PrintTeamControls(QPagedPaintDevice &device, const QStringList &lines);
