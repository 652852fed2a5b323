#pragma once

// Where reports and exports write. A generator asks the output for one device
// per file, named relative to a folder of the event; the files of a run are
// kept in memory until commit(), so a run that fails half-way leaves the
// files of the last run as they were.

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

class QBuffer;
class QIODevice;

enum class ReportFolder {
    Results, // the event's results/ folder (with its style sheets)
    Web,     // the event's web/ folder (with its style sheets)
    Event,   // the event folder itself
    Chosen,  // a file the operator chose: the name is its path
};

struct ReportFile
{
    ReportFolder folder;
    QString name;

    bool operator==(const ReportFile &) const = default;
};

class ReportOutput
{
public:
    ReportOutput();
    virtual ~ReportOutput();
    ReportOutput(const ReportOutput &) = delete;
    ReportOutput &operator=(const ReportOutput &) = delete;

    // A device open for writing the whole file. Asking again for the same
    // file starts it afresh. In a folder the name is a plain file name: one
    // holding a folder separator (a class name "A/B") raises KorventError.
    QIODevice &create(const ReportFile &file);
    // The file's whole content at once; raises KorventError naming the file
    // when it cannot be written.
    void write(const ReportFile &file, const QByteArray &bytes);
    // The files created in this run, in order.
    QList<ReportFile> files() const;
    // What was written to the file so far; empty for a file never created.
    QByteArray bytes(const ReportFile &file) const;

    // Makes every file of the run visible, each one whole. Raises KorventError
    // naming the file that could not be written.
    virtual void commit() = 0;

private:
    struct Entry;
    std::vector<Entry> m_entries;
};

// Keeps the files in memory only: tests read them back with bytes().
class MemoryReportOutput final : public ReportOutput
{
public:
    void commit() override { m_committed = true; }
    bool committed() const { return m_committed; }

private:
    bool m_committed = false;
};
