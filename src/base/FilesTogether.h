#pragma once

// Files written as one set: every one of them is replaced, or none is. A web
// report's pages must not mix new team pages with the old results page when
// writing stops part-way (a full disk, a folder where a file goes).

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

struct FileBytes
{
    QString fileName;
    QByteArray bytes;
};

// Checks every name first, as WriteFileBytes would (a guarded file, a device,
// a pipe, and a folder at the name), then calls `beforeWriting` (which may
// make the files' folders), writes each file to a temporary file beside it,
// and only when all are written and on disk renames them into place. A link
// at a name is kept: the file it leads to is replaced. Raises KorventError
// naming the file; until the renames every file is left as it was and the
// temporary files are removed.
void WriteFilesTogether(const std::vector<FileBytes> &files, const std::function<void()> &beforeWriting = {});
