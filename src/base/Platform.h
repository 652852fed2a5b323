#pragma once

// Everything the system asks of the operating system's regional settings,
// text encoding and folder conventions, mapped to Linux/Qt in this one place.

#include <QByteArray>
#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace Platform {

// Folder paths are kept with a trailing separator, as the rest of the
// program appends file names to them directly.
QString withTrailingSeparator(const QString &folder);

// The user's documents folder (the home folder when the desktop names none
// or it does not exist), with a trailing separator: where a first event
// folder is proposed.
QString documentsFolder();

// The computer's regional formats: the system locale's short date and long
// time format (the latter without its time-zone part), and its decimal separator.
QString shortDateFormat();
QString longTimeFormat();
QChar decimalSeparator();

// How a two-digit year is placed: in the current century, or (for days that
// have been, such as birth dates) in the latest century that does not make
// it a day to come.
enum class TwoDigitYear { ThisCentury, NeverAhead };

// A date typed in the short date format (or one of a locale's kind: "dd.MM.yyyy",
// "M/d/yy", "d MMM yyyy"), as D.M.YYYY or as YYYY-MM-DD, whatever the locale.
// Day and month may have one digit. The date, if any; noSuchDay when the
// text has a date's form but names a day no calendar has (31.04.2000).
struct DateReading
{
    std::optional<QDate> date;
    bool noSuchDay = false;
};
DateReading readDateText(const QString &text, TwoDigitYear twoDigitYear, const QString &dateFormat = shortDateFormat());
// The date of readDateText; nullopt when the text is not a date.
std::optional<QDate> readDate(const QString &text, const QString &dateFormat = shortDateFormat(),
                              TwoDigitYear twoDigitYear = TwoDigitYear::ThisCentury);
// The forms readDate takes, for messages.
QString dateForms();
// A date as readDate takes it (two-digit years in this century), a blank and the time in the long time format
// (or one like it: "HH:mm:ss", "h:mm:ss AP"), or as H:mm:ss or H:mm. nullopt
// when the text is not such a date and time.
std::optional<QDateTime> readDateTime(const QString &text, const QString &dateFormat = shortDateFormat(),
                                      const QString &timeFormat = longTimeFormat());

// Seconds east of UTC in the computer's time zone at that local time:
// daylight saving time included when it is in force then.
int utcOffsetSecondsAt(const QDateTime &localTime);

// The program-wide text encoding used for plain text files ("ANSI code page").
// UTF-8 unless the program setup.ini names another one.
QString textEncoding();
// Sets the encoding by any name Qt's converters accept that writes ASCII as
// ASCII; false (and unchanged) for an unknown one and one unfit for a text
// file (UTF-16, UTF-32).
bool setTextEncoding(const QString &name);
QByteArray encodeText(const QString &text);
QString decodeText(const QByteArray &bytes);

// The encodings a save dialog offers for a text file, by the names the
// operator sees: "ANSI" (the program's text encoding), "ASCII", "Unicode"
// (UTF-16 little-endian), "Big Endian Unicode", "UTF-8" and "UTF-7".
QStringList textFileEncodings();
// Raises KorventError naming the encodings offered when `encodingName` is none of them.
void requireTextFileEncoding(const QString &encodingName);
// The whole text as the bytes of such a file: UTF-16 (either order) and UTF-8
// start with their byte-order mark, the others have none. Characters ASCII
// cannot hold become "?". nullopt for a name not offered.
std::optional<QByteArray> encodeTextFile(const QString &encodingName, const QString &text);
// The text of such a file, without a byte-order mark. Bytes that are not text
// in that encoding raise KorventError naming the line they are on; nullopt for
// a name not offered.
std::optional<QString> decodeTextFile(const QString &encodingName, const QByteArray &bytes);

// The operating system's number of the calling thread, as log lines show it.
quint64 currentThreadNumber();

// Long reading work (a report or an export, encoding its pictures) gives
// way to the readouts and the window when they want a core or the disk: the
// calling thread alone (and the threads it starts) runs only when nothing else
// wants the core (idle scheduling, a nice value of at least 10 besides) and
// reads the disk at idle I/O priority, and keeps that for its life. Never for a
// thread that takes the writer lock: it would keep the readouts waiting.
void lowerThreadPriority();
// Background work that must keep up (the live results, which promise their
// pages within a second): a nice value of 10 and the lowest best-effort disk
// priority, but not idle scheduling, under which any other program keeping
// the cores busy would hold it back for seconds. It must bound its own share
// of the processor.
void backgroundThreadPriority();
// The processor time the calling thread has used, in milliseconds.
qint64 threadProcessorMs();

// The computer's own IP addresses (IPv4, loopback last), without a name lookup.
QStringList localAddresses();

// Pictures with text on them (route maps) need the font system of a GUI
// application. Programs without windows make a QGuiApplication on the
// offscreen platform: call this before the application object exists.
// A platform chosen by QT_QPA_PLATFORM is kept.
void useOffscreenPlatform();

// Opens the file with the application the desktop gives its kind (the
// spreadsheet program for a workbook), a folder with the file manager; false
// when none could be started.
bool openWithDefaultApplication(const QString &fileName);
// Replaces how openWithDefaultApplication opens a file (tests note the name
// instead of starting a program) and returns the one it replaces; an empty
// function puts back the desktop's.
using FileOpener = std::function<bool(const QString &fileName)>;
FileOpener setFileOpener(FileOpener opener);

// Line end of every plain text file the program writes.
inline constexpr const char *lineEnd = "\r\n";

} // namespace Platform
