#include "reports/WinnersList.h"

#include "reports/ClassGroup.h"

#include "base/Platform.h"
#include "base/TextFile.h"
#include "db/SqlScript.h"
#include "store/TeamRow.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"

WinnersList::WinnersList()
    : m_lines{QStringLiteral("NR;Firstname;Lastname;Country;Teamname;Class;Place;Result;Time;TotalPlace")}
{
}

void WinnersList::addRunner(const TeamRow &team, const QString &placeText, const WinnerRunner &runner, const QString &medalList)
{
    // A name holding the separator, a quote or a line break is quoted, so that
    // it keeps its column and its line.
    const auto field = [](const QString &text) { return db::SqlFieldText(text); };
    for (const QString &medal : SplitFields(medalList, u'|', MaxSubClasses)) {
        // A medal is "sub-class;I": it fills the columns Class and Place.
        const QString subClass = medal.left(medal.lastIndexOf(u';'));
        const QString place = medal.mid(medal.lastIndexOf(u';') + 1);
        m_lines.append(QStringList{QString::number(team.number), field(runner.firstname), field(runner.lastname), field(runner.country),
                                   field(team.name), field(subClass), place, ResultText(team.result), FormatSeconds(team.rtime),
                                   placeText}
                           .join(u';'));
    }
}

QByteArray WinnersList::bytes() const
{
    return Platform::encodeText(TextOfLines(m_lines));
}
