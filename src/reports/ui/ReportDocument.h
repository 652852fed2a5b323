#pragma once

// A report page as a text document, read, parsed and laid out on a thread of
// its own: parsing the markup of a results page of thousands of teams takes
// seconds, and laying out one of its tables takes seconds more in one go,
// which the window thread must not stand still for.

#include <QString>
#include <QTextDocument>
#include <QTextOption>
#include <memory>

class QThread;

class ReportDocument final : public QTextDocument
{
public:
    // How the viewer shows the page: it is laid out so before it is handed over.
    struct View
    {
        int width = 0; // of the viewer's page; 0 leaves the layout to the window thread
        QTextOption::WrapMode wrapMode = QTextOption::WrapAtWordBoundaryOrAnywhere;
    };

    // Reads, parses and lays out the page on the calling thread and hands the
    // document to `owner` (the window thread). Raises KorventError when the
    // page cannot be read.
    static std::unique_ptr<ReportDocument> load(const QString &fileName, QThread *owner, const View &view);

protected:
    // A page names its pictures and style sheets itself (the organiser's
    // header template among them): one that leads to the event's database is
    // not loaded. It gets a blank stand-in, since for nothing Qt would load
    // the name itself.
    QVariant loadResource(int type, const QUrl &name) override;
};
