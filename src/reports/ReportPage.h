#pragma once

// One HTML report page, assembled line by line: the organiser's header
// template (with its placeholders filled in), the generator's body, and the
// footer. Written as UTF-8 with a byte-order mark and CR LF line ends.

#include "output/ReportOutput.h"
#include "store/DateTime.h"

#include <QString>
#include <QStringList>

struct EventSettings;
struct ReportContext;

class ReportPage
{
public:
    // Starts the page from the template file (ReportHeaderFile). "NON" means no
    // header. A missing template raises KorventError "Can't find report header
    // file" naming its absolute path and the setting that names it; one that is
    // there but cannot be read, the reason. The title
    // is plain text; the info is markup.
    void ReportHeader(const QString &headerFile, const QString &title, const QString &info, const EventSettings &settings);
    void append(const QString &line) { m_lines.append(line); }
    const QStringList &lines() const { return m_lines; }
    // Appends the footer and writes the whole page into the output's file; returns that file.
    ReportFile FinishReport(ReportOutput &output, const ReportFile &file);

private:
    QStringList m_lines;
};

// The template the event's "Results header" names, found when the report is
// made: a relative name through the program's files (the user's own over the
// shipped ones), never against the current folder; an absolute path or "NON"
// as it stands.
QString ReportHeaderFile(const ReportContext &context);

// The small print that closes every page, with the closing tags of the document.
QString ReportFooterLine();

// Page lines as written: UTF-8 with a byte-order mark, CR LF after every line.
QByteArray ReportPageBytes(const QStringList &lines);

// Date, place, organiser and the three clock settings of the event, on one line, as markup.
QString EventInfoBlock(const EventSettings &settings);

// Whole years between birth and the event day; empty for a birth year of 1900 or before (unset).
QString AgeText(SerialDateTime birthDate, const QDate &eventDate);

// The text escaped for an HTML page.
QString Html(const QString &text);
