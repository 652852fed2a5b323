#pragma once

// Settles which event the program works on, before anything is opened:
// the program setup.ini, the command line, or the start window's answer.
// Free of widgets so that the application and the CLI take the same path.

#include "db/DatabaseAddress.h"
#include "store/EventLocation.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class MessageSink;

struct StartWindowAnswer
{
    QString eventDirectory; // the edit box text, whatever closed the window
    bool confirmed = false; // closed with OK
    // Where the confirmed folder's database is to be: its own file, or a
    // server's database the window checked by connecting (bound as `db use`
    // binds it). None: as the folder has it.
    std::optional<db::DatabaseAddress> database = {};
};

namespace StartupSequence {

using AskStartWindow = std::function<StartWindowAnswer(const QString &proposedDirectory)>;
// Opens the event (its database) once the folder is settled; raises
// KorventError for a folder that holds no event of this program. None for a
// command that works on the folder without opening its database.
using OpenEvent = std::function<void(const EventLocation &location)>;
// Asked when the start window was confirmed with a folder that does not
// exist (its absolute path): true creates it, false shows the start window again.
using AskCreateFolder = std::function<bool(const QString &absolutePath)>;

// The program's files are `program`'s. With at least one argument the first
// names the event (confirmed); otherwise askStartWindow is shown the last
// event folder (a new folder among the user's documents before there is one). A confirmed start
// remembers the folder's absolute path in the program setup.ini (the file is written only when
// that changes it; one that cannot be written is a warning to `messages`, the event opens all
// the same) and prepares the results folder with the program's style sheets. A [system] codepage that is unknown or unfit
// for text files raises KorventError.
// Raises KorventError "Event directory is missing", naming the folder, when
// it does not exist and is not created through askCreateFolder.
// A confirmed answer's database choice binds the folder before it is opened.
// openEvent runs before anything is written: a folder it refuses gets no
// results folder and is not remembered. A confirmed event that openEvent made
// new gets the program's report header (ProgramFiles::newEventHeader).
EventLocation settle(const ProgramFiles &program, const QStringList &arguments, const AskStartWindow &askStartWindow,
                     const OpenEvent &openEvent = {}, const AskCreateFolder &askCreateFolder = {},
                     MessageSink *messages = nullptr);

} // namespace StartupSequence
