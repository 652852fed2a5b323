#include "liveresults/LivePageFrame.h"

#include "reports/ReportPage.h"

#include <QCoreApplication>
#include <QUrl>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LiveResults)
};

// openPopUp is what the web results' team links call; on a phone the team's
// page opens in place. The version is asked for the page's own path, so a
// page reloads only when it changed.
const char *const reloadScript = R"(<script>
function openPopUp(page, name) { location.href = page; }
(function () {
  var version = "%1", path = encodeURIComponent(decodeURIComponent(location.pathname));
  setInterval(function () {
    fetch("/api/version?path=" + path, {cache: "no-store"})
      .then(function (r) { return r.ok ? r.text() : version; })
      .then(function (v) { if (v !== version) location.reload(); })
      .catch(function () {});
  }, 3000);
})();
</script>)";

QByteArray head(const QString &title, const QString &eventName, quint64 version)
{
    const QString text = QStringLiteral("<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\">\r\n"
                                        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n<title>")
        + Html(title) + QStringLiteral("</title>\r\n<link rel=\"stylesheet\" href=\"/style.css\">\r\n<link rel=\"stylesheet\" href=\"/live.css\">\r\n")
        + QString::fromLatin1(reloadScript).arg(version) + QStringLiteral("\r\n</head><body class=\"live\">\r\n<nav class=\"live-nav\"><a href=\"/\">")
        + Texts::tr("All classes") + QStringLiteral("</a> ") + Html(eventName) + QStringLiteral("</nav>\r\n");
    return text.toUtf8();
}

QString href(const QString &path)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
}

} // namespace

QString ClassPagePath(const QString &className, bool splits)
{
    return (splits ? QStringLiteral("/splits/") : QStringLiteral("/")) + QStringLiteral("results") + className + QStringLiteral(".htm");
}

QByteArray FramedPage(const QByteArray &generatedPage, const QString &title, const QString &eventName, quint64 version)
{
    const QByteArray byteOrderMark("\xEF\xBB\xBF");
    return head(title, eventName, version) + (generatedPage.startsWith(byteOrderMark) ? generatedPage.mid(3) : generatedPage);
}

QByteArray LiveIndexPage(const QString &eventName, const QList<LiveClassLinks> &classes, quint64 version)
{
    QStringList lines;
    lines.append(QStringLiteral("<h1>") + Html(eventName) + QStringLiteral("</h1>"));
    lines.append(QStringLiteral("<ul class=\"live-classes\">"));
    for (const LiveClassLinks &liveClass : classes) {
        if (!liveClass.page) {
            // Listed all the same, so that its teams are not looked for in vain; the server log says why.
            lines.append(QStringLiteral("<li>") + Html(liveClass.name) + QStringLiteral(" &middot; ") + Texts::tr("no page: ask the secretariat")
                         + QStringLiteral("</li>"));
            continue;
        }
        QString item = QStringLiteral("<li><a href=\"") + href(ClassPagePath(liveClass.name, false)) + QStringLiteral("\">") + Html(liveClass.name)
            + QStringLiteral("</a>");
        if (liveClass.splits)
            item += QStringLiteral(" &middot; <a href=\"") + href(ClassPagePath(liveClass.name, true)) + QStringLiteral("\">") + Texts::tr("Splits")
                + QStringLiteral("</a>");
        lines.append(item + QStringLiteral("</li>"));
    }
    lines.append(QStringLiteral("</ul>"));
    lines.append(ReportFooterLine());
    return FramedPage(ReportPageBytes(lines), Texts::tr("Results") + u':' + eventName, eventName, version);
}

QByteArray LiveStyleSheet()
{
    // The result pages are tables of many columns. On a narrow screen a class
    // keeps its table and headings with the columns a phone needs: place,
    // number, name, time with points and penalty, result and the places in
    // sub-classes; class, club, country and members are on the team's page.
    // The splits make each team a block of its own with its course table
    // below. A team's punch table, the splits and pictures stay within the
    // screen: the tables scroll sideways in their own box, fading at its
    // right edge so that the columns beyond it are seen to be there. A name
    // longer than the screen is wide breaks anywhere rather than pushing the
    // figures beside it off the screen.
    return QByteArrayLiteral(R"(body.live { margin: 0 8px 12px 8px; font-size: 11pt; }
nav.live-nav { position: sticky; top: 0; z-index: 2; background: #ffffff; padding: 8px 0; line-height: 20px; border-bottom: 1px solid #d5dee3; margin-bottom: 6px; }
nav.live-nav a { font-weight: bold; margin-right: 1em; }
body.live img { max-width: 100%; height: auto; }
ul.live-classes { padding-left: 1.2em; }
ul.live-classes li { margin: 10px 0; font-size: 13pt; }
table.r0 { display: block; overflow-x: auto; max-width: 100%; }
body.live > table[class=""] > tbody > tr > td:nth-child(4) { overflow-wrap: anywhere; min-width: 8em; }
body.live td a, body.live td.resultheader + td, body.live p, body.live h1, body.live h2, body.live h3 { overflow-wrap: anywhere; }
@media (max-width: 720px) {
  body.live { font-size: 10.5pt; }
  body.live > table[class=""] { width: 100%; }
  body.live > table[class=""] > tbody > tr > td { padding: 5px 3px; }
  body.live > table[class=""] > tbody > tr > td:nth-child(3),
  body.live > table[class=""] > tbody > tr > td:nth-child(n+5):nth-last-child(n+4) { display: none; }
  body.live > table[class=""] > tbody > tr.resultheader > td { position: sticky; top: 37px; z-index: 1; background: #0f4c5c; font-size: 8.5pt; }
  body.live > table[class=""] > tbody > tr:not(.resultheader) > td:nth-child(1) { font-weight: bold; }
  body.live > table[class=""] > tbody > tr:not(.resultheader) > td:nth-child(2) { color: #5f6d77; }
  body.live > table[class=""] > tbody > tr:not(.resultheader) > td:nth-child(4) { font-weight: bold; }
  body.live > table[class=""] > tbody > tr > td:nth-last-child(3) { font-size: 9pt; white-space: nowrap; }
  body.live > table[class=""] > tbody > tr > td.css_result { font-size: 12pt; }
  body.live > table[class=""] > tbody > tr > td:last-child { font-size: 9pt; }
  body.live > table[class=""]:not(:has(table.css_splits)) > tbody > tr > td:last-child { max-width: 4.5em; }
  body.live > table[class=""]:has(table.css_splits), body.live > table[class=""]:has(table.css_splits) > tbody { display: block; }
  body.live > table[class=""]:has(table.css_splits) > tbody > tr { display: flex; flex-wrap: wrap; align-items: baseline; padding: 4px 2px; border-bottom: 1px solid #d5dee3; }
  body.live > table[class=""]:has(table.css_splits) > tbody > tr > td { display: block; padding: 1px 4px; }
  body.live > table[class=""]:has(table.css_splits) > tbody > tr > td:nth-child(4) { flex: 1 1 40%; min-width: 0; }
  body.live > table[class=""]:has(table.css_splits) > tbody > tr > td:nth-last-child(3) { order: 2; }
  body.live > table[class=""]:has(table.css_splits) > tbody > tr > td:nth-last-child(2) { order: 1; margin-left: auto; }
  body.live > table[class=""]:has(table.css_splits) > tbody > tr > td:last-child { order: 3; flex-basis: 100%; }
  body.live > table[class=""]:has(table.css_splits) > tbody > tr > td:last-child:empty { display: none; }
  table.css_splits { display: block; overflow-x: auto; max-width: calc(100vw - 24px); }
  table.r1 { width: 100%; }
  table.r0 { max-width: calc(100vw - 40px); }
  table.r0 td.time_ND0, table.r0 td.time_ND1 { white-space: normal; min-width: 7.5em; }
  table.r1 td[colspan="2"] > table.r0, table.css_splits { padding-right: 24px; -webkit-mask-image: linear-gradient(to left, transparent, #000 24px); mask-image: linear-gradient(to left, transparent, #000 24px); }
  body.live img { max-width: calc(100vw - 40px); }
}
)");
}
