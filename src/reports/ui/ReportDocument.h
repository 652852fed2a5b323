#pragma once

// A report page as a text document, read and parsed on a thread of its own:
// parsing the markup of a results page of thousands of teams takes seconds,
// which the window thread must not stand still for.

#include <QString>
#include <QTextDocument>
#include <memory>

class QThread;

class ReportDocument final : public QTextDocument
{
public:
    // Reads and parses the page on the calling thread and hands the document
    // to `owner` (the window thread). Raises KorventError when the page cannot be read.
    static std::unique_ptr<ReportDocument> load(const QString &fileName, QThread *owner);

protected:
    // A page names its pictures and style sheets itself (the organiser's
    // header template among them): one that leads to the event's database is
    // not loaded. It gets a blank stand-in, since for nothing Qt would load
    // the name itself.
    QVariant loadResource(int type, const QUrl &name) override;
};
