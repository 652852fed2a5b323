#pragma once

// What the live results put around the pages the report generators write:
// a head that reads on a phone (viewport, the report style sheet and a layout
// of the live site's own) and a few lines of script that ask for the page's
// version every few seconds and reload it when it changed. The generators
// write the bodies without a header template; the frame gives the rest.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct LiveClassLinks
{
    QString name;
    bool splits = false; // a splits page is served for the class
    bool page = true;    // its results page is served (a name like "A/B" cannot name one)
};

// The page as served: the head, then the generator's page (UTF-8, with or
// without byte-order mark, ending with the report footer's closing tags).
QByteArray FramedPage(const QByteArray &generatedPage, const QString &title, const QString &eventName, quint64 version);

// The start page: the event and a link to every main class's results (and
// splits). What the secretariat should mend is told to it, not to the public.
QByteArray LiveIndexPage(const QString &eventName, const QList<LiveClassLinks> &classes, quint64 version);

// The site's path of a generated file: web pages at the top, the splits in /splits/.
QString ClassPagePath(const QString &className, bool splits);

// The layout of the live site, after the report style sheet.
QByteArray LiveStyleSheet();
