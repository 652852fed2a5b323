#include "reports/WinnersList.h"

#include "reports/ClassGroup.h"

#include "base/Platform.h"
#include "base/TextFile.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"

namespace {

// A name holding the separator, a quote or a line break is quoted, so that it
// keeps its column and its line.
QString field(const QString &text)
{
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

} // namespace

WinnersList::WinnersList()
    : m_lines{QStringLiteral("NR;Firstname;Lastname;Country;Teamname;Class;Place;Result;Time;TotalPlace")}
{
}

void WinnersList::addRunner(const WinnerTeam &team, const WinnerRunner &runner, const QString &medalList)
{
    for (const QString &medal : SplitFields(medalList, u'|', MaxSubClasses)) {
        // A medal is "sub-class;I": it fills the columns Class and Place.
        const QString subClass = medal.left(medal.lastIndexOf(u';'));
        const QString place = medal.mid(medal.lastIndexOf(u';') + 1);
        m_lines.append(QStringList{QString::number(team.number), field(runner.firstname), field(runner.lastname), field(runner.country),
                                   field(team.name), field(subClass), place, ResultText(team.result), FormatSeconds(team.rtime),
                                   team.placeText}
                           .join(u';'));
    }
}

QByteArray WinnersList::bytes() const
{
    return Platform::encodeText(TextOfLines(m_lines));
}
