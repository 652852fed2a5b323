#include "reports/TeamsTogether.h"

#include <algorithm>
#include <cmath>

TeamsTogether CheckTeamsTogether(std::vector<tTeamTimeCheck> records, int minTimeWindow, int togetherControls)
{
    std::stable_sort(records.begin(), records.end(), [](const tTeamTimeCheck &a, const tTeamTimeCheck &b) {
        const int byCode = a.code.compare(b.code);
        return byCode != 0 ? byCode < 0 : a.time < b.time;
    });

    TeamsTogether together;
    for (size_t i = 0; i < records.size(); ++i) {
        const tTeamTimeCheck &record = records[i];
        for (size_t j = i + 1; j < records.size(); ++j) {
            const tTeamTimeCheck &next = records[j];
            if (next.code != record.code || std::llround((next.time - record.time) * 86'400.0) > minTimeWindow)
                break;
            // Two visits of one team are not two teams together.
            if (next.number == record.number)
                continue;
            together.pairLines.append(QStringLiteral("%1 %2 %3")
                                          .arg(qMin(record.number, next.number), 4)
                                          .arg(qMax(record.number, next.number), 4)
                                          .arg(record.code, 5));
        }
    }
    std::stable_sort(together.pairLines.begin(), together.pairLines.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });

    for (qsizetype first = 0; first < together.pairLines.size();) {
        const QString teams = together.pairLines[first].left(9);
        qsizetype end = first + 1;
        while (end < together.pairLines.size() && together.pairLines[end].left(9) == teams)
            ++end;
        if (end - first >= togetherControls)
            together.groupLines.append(teams + QStringLiteral(" x") + QString::number(end - first));
        first = end;
    }
    return together;
}
