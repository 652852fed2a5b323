#pragma once

// Where the program keeps its own files, mapped to the desktop's folders in
// this one place. Run from a checkout, the program directory is the current
// folder: its setup.ini and its common/ folder, which holds the files the
// program ships and the user's own alike. Installed, the settings live in the
// user's configuration folder, the user's own files (country list, report
// headers, rule files, saved queries) in the user's data folder, and the files
// the package ships in its shared folder, read when the user has none of that name.

#include <QString>

struct ProgramFiles
{
    QString settingsFile;   // the program setup.ini: last event, checking parameters, text encoding
    QString userFolder;     // the user's own files, with a trailing separator
    QString sharedFolder;   // the files the program ships, with a trailing separator
    QString newEventHeader; // the report header a new event names: a bare name, found through file()
    // Why the settings file cannot be written (no home folder); empty when it can be tried.
    QString settingsUnavailable = QString();

    // Everything in one program directory, as a checkout has it.
    static ProgramFiles inProgramDirectory(const QString &programDirectory);
    // The desktop's folders of the user over the package's shared folder.
    static ProgramFiles installed(const QString &sharedFolder);
    // This process's files: a checkout's when the program file lies in the
    // build folder it was made in, else an installed program's.
    static ProgramFiles ofThisProgram();

    // The user's file of that name when there is one, else the shipped one
    // (named even when it is missing too).
    QString file(const QString &name) const;
    // Where the user's own file of that name is written.
    QString userFile(const QString &name) const;
    // The file a setting names: an absolute path as it stands; a relative one
    // (a bare name, or "common/..." as a checkout wrote it) through file(),
    // never against the current folder.
    QString namedFile(const QString &value) const;
};
