#pragma once

// Loading entries from files into the event database: teams and runners from
// an entry system's file, rental chips handed out from a chip list, runners
// marked as started from a start list. Each file is loaded in one
// transaction: a bad line raises KorventError with its line number and the
// reason, and nothing of that file is kept, so the operator can mend the file
// and load it again without duplicates. Cancel (WorkCancelled) keeps nothing
// either.

#include "base/ProgramFiles.h"
#include "base/WorkProgress.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace db { class Connection; }

// The lines of a file in a text file encoding (a name of
// Platform::textFileEncodings()). CR LF, LF and a lone CR end a line; a line
// end after the last line adds no empty line; a byte-order mark at the start
// of a line is dropped. Raises KorventError when the file is no plain file or
// cannot be read, or holds bytes that are not text in the encoding (a NUL
// character among them).
QStringList ReadImportLines(const QString &fileName, const QString &encodingName);

struct TeamImportSummary
{
    int teamsAdded = 0;
    int teamsUpdated = 0;
    int runnersAdded = 0;
    int linesSkipped = 0; // lines with 8 fields or fewer
    // The imported teams by the class and the extra class the file gave them
    // (none when the field is empty).
    QMap<QString, int> teamsInClass, teamsInExtraClass;
};

// Team entry lines, the first a header: entry id, team name, club, class,
// first name, last name, birth date, sex, chip number, country and an
// optional extra class. A team is found by its entry id or added; every line
// updates its team (status back to NA) and adds one runner.
TeamImportSummary ImportTeams(db::Connection &connection, const QStringList &lines, WorkProgress &progress = NoProgress());
// "Imported 9 runners: 4 teams added, 0 updated, 0 lines skipped".
QString TeamImportSummaryText(const TeamImportSummary &summary);

// The example entry file the program ships (the user's own first): every column, in
// UTF-8, imported as it is.
QString EntryExampleFileName(const ProgramFiles &program);
// Writes a copy of it to fileName, unless a file of that name is there (it
// may be the operator's own work): then false. Raises KorventError naming the
// file that is missing or cannot be written.
bool WriteEntryExample(const ProgramFiles &program, const QString &fileName);

struct ChipImportSummary
{
    int chipsGiven = 0;
    bool listUsedUp = false; // the last chip of the list was given
};

// Hands out the chips of the list, one a line in list order, to the teams in
// number order: with cards per runner every runner without a chip gets one;
// with one card per team the first runner of a team in which no runner has a
// chip gets it. Given chips are marked rented. An empty list raises "List is empty".
ChipImportSummary ImportChips(db::Connection &connection, const QStringList &lines, int controlCard,
                              WorkProgress &progress = NoProgress());
// "Handed out 3 chips".
QString ChipImportSummaryText(const ChipImportSummary &summary);

struct StartedImportSummary
{
    int runnersStarted = 0;
    int linesPassedOver = 0; // no second field, or a chip of no runner
};

// Start list lines of up to 6 fields separated by ";": the runner whose chip
// is the second field has started. Other lines are passed over.
StartedImportSummary LoadStarted(db::Connection &connection, const QStringList &lines, WorkProgress &progress = NoProgress());
// "Started 5 runners, 1 lines passed over".
QString StartedImportSummaryText(const StartedImportSummary &summary);
