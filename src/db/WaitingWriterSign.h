#pragma once

// A sign by which a writer of one program, waiting for the database's write
// lock, asks the prompt writers (the readouts) of the other programs to let
// it in. Readouts at full speed hand SQLite's write lock from one to the next
// through their process's own lock within microseconds, so a writer of
// another program that tries the lock between naps finds it free almost
// never: a calculation beside ten stations made no progress at all.
//
// The sign is a write lock on the first byte of a file beside the database
// ("<database>-wait"), held while the writer waits. A lock of the system's
// and not a mark in a file, so that a program killed while waiting takes its
// sign with it. The file itself holds nothing. Locks of one's own program do
// not show: writers of one program take turns on its own lock.

#include <QString>

namespace db {

// One per database file and program, used by the holder of the program's own
// writer lock only: closing a second descriptor of the file would drop the sign.
class WaitingWriterSign
{
public:
    // The file is made at the first use. Without it (a folder not writable),
    // no sign is given or seen: writers then wait as they would without it.
    explicit WaitingWriterSign(const QString &databaseFile);
    ~WaitingWriterSign();
    WaitingWriterSign(const WaitingWriterSign &) = delete;
    WaitingWriterSign &operator=(const WaitingWriterSign &) = delete;

    // This program waits for the write lock; kept until lower(). Another
    // program's sign already up serves as well.
    void raise();
    void lower();
    // Waits while another program's sign is up, at most `mostMs` (its writer
    // may not be running: the readout then goes on).
    void giveWay(int mostMs);

private:
    bool opened();

    QString m_fileName;
    int m_file = -1;
    bool m_failed = false;
    bool m_raised = false;
};

} // namespace db
