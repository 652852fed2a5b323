#include "base/Platform.h"

#include "base/KorventError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QLocale>
#include <QNetworkInterface>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTimeZone>
#include <QUrl>
#include <limits>
#include <memory>
#include <utility>
#include <unicode/ucnv.h>
#include <cerrno>
#include <linux/ioprio.h>
#include <sched.h>
#include <ctime>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {
QMutex encodingMutex;
QString encodingName = QStringLiteral("UTF-8");

// Single-byte encoders mark characters they cannot hold with the SUB control
// byte; that byte is made a visible "?" unless the text itself held SUB.
constexpr char substituteByte = '\x1a';

struct TextFileEncoding
{
    const char *name;
    const char *converter; // ICU's name; nullptr for the program's text encoding
    const char *byteOrderMark;
};
constexpr TextFileEncoding textFileEncodingTable[] = {
    {"ANSI", nullptr, ""},
    {"ASCII", "US-ASCII", ""},
    {"Unicode", "UTF-16LE", "\xFF\xFE"},
    {"Big Endian Unicode", "UTF-16BE", "\xFE\xFF"},
    {"UTF-8", "UTF-8", "\xEF\xBB\xBF"},
    {"UTF-7", "UTF-7", ""},
};

// ICU directly rather than QStringEncoder: Qt's converter never flushes, so a
// UTF-7 text ending inside a base64 run would lose its last character.
QByteArray convertWithIcu(const char *converterName, const QString &text)
{
    const auto fail = [converterName](UErrorCode status) {
        return KorventError(QStringLiteral("Cannot convert text to %1: %2")
                                .arg(QLatin1String(converterName), QLatin1String(u_errorName(status))));
    };
    if (text.size() > std::numeric_limits<int32_t>::max() / 4)
        throw fail(U_BUFFER_OVERFLOW_ERROR);
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(converterName, &status), &ucnv_close);
    if (U_FAILURE(status))
        throw fail(status);
    if (ucnv_getMinCharSize(converter.get()) == 1)
        ucnv_setSubstChars(converter.get(), "?", 1, &status);
    const auto *source = reinterpret_cast<const UChar *>(text.utf16());
    const auto sourceLength = static_cast<int32_t>(text.size());
    const int32_t length = ucnv_fromUChars(converter.get(), nullptr, 0, source, sourceLength, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        throw fail(status);
    QByteArray bytes(length, Qt::Uninitialized);
    status = U_ZERO_ERROR;
    ucnv_fromUChars(converter.get(), bytes.data(), length, source, sourceLength, &status);
    if (U_FAILURE(status))
        throw fail(status);
    return bytes;
}
// Line ends of any kind: CR LF, LF, or CR alone as old Mac programs write them.
qsizetype lineBreaks(const QString &text)
{
    qsizetype count = text.count(u'\n');
    for (qsizetype i = text.indexOf(u'\r'); i >= 0; i = text.indexOf(u'\r', i + 1))
        if (i + 1 >= text.size() || text.at(i + 1) != u'\n')
            ++count;
    return count;
}

// Stops at the first byte sequence that is not text in the encoding, so the
// operator learns the line instead of getting replacement characters.
QString decodeWithIcu(const char *converterName, const QString &shownName, const QByteArray &bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(converterName, &status), &ucnv_close);
    if (U_FAILURE(status))
        throw KorventError(QStringLiteral("Cannot read text in %1: %2").arg(shownName, QLatin1String(u_errorName(status))));
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    // No single-byte or multi-byte encoding yields more than two UTF-16 units a byte.
    QString text(2 * bytes.size() + 16, Qt::Uninitialized);
    auto *target = reinterpret_cast<UChar *>(text.data());
    const char *source = bytes.constData();
    ucnv_toUnicode(converter.get(), &target, target + text.size(), &source, bytes.constData() + bytes.size(), nullptr, true, &status);
    text.truncate(target - reinterpret_cast<const UChar *>(text.constData()));
    if (U_FAILURE(status))
        throw KorventError(QStringLiteral("Line %1 is not %2 text; choose the encoding the file was written in")
                               .arg(lineBreaks(text) + 1)
                               .arg(shownName));
    return text;
}
} // namespace

void useOffscreenPlatform()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a session (cron, ssh, a service) Qt warns on every start that it
    // makes its own runtime folder; scripts read stderr, so the folder is made here.
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        const QByteArray folder = QFile::encodeName(QDir::tempPath()) + "/korvent-runtime-" + QByteArray::number(::getuid());
        if (::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST) {
            struct stat status;
            if (::lstat(folder.constData(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::getuid()
                && (status.st_mode & 0777) == 0700)
                qputenv("XDG_RUNTIME_DIR", folder);
        }
    }
}

QString withTrailingSeparator(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return withTrailingSeparator(!documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath());
}

QString shortDateFormat()
{
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

QString longTimeFormat()
{
    // Time-zone designators ("t", "tttt", ...) are not part of a clock time here.
    // Compiled once a thread: clock texts are formatted by the ten thousand in a report.
    static thread_local const QRegularExpression timeZone(QStringLiteral("\\s*t+\\s*"));
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(timeZone);
    return format.trimmed();
}

QChar decimalSeparator()
{
    const QString separator = QLocale::system().decimalPoint();
    return separator.isEmpty() ? QLatin1Char('.') : separator.at(0);
}

namespace {

// A date of numbers in the order and with the separators of a format; each
// part may be written with fewer digits than the format shows.
DateReading readDateInFormat(const QString &text, const QString &format, TwoDigitYear rule)
{
    static const QRegularExpression part(QStringLiteral("d+|M+|y+"));
    QString pattern = QStringLiteral("^");
    QList<QChar> order;
    qsizetype at = 0;
    for (QRegularExpressionMatchIterator it = part.globalMatch(format); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        pattern += QRegularExpression::escape(format.mid(at, match.capturedStart() - at));
        const QString letters = match.captured();
        if (letters.size() > 2 && letters.at(0) != u'y') {
            // Day or month names: the locale reads them.
            const QDate date = QLocale::system().toDate(text, format);
            return {date.isValid() ? std::optional<QDate>(date) : std::nullopt};
        }
        pattern += letters.at(0) == u'y' ? QStringLiteral("(\\d{4}|\\d{2})") : QStringLiteral("(\\d{1,2})");
        order.append(letters.at(0));
        at = match.capturedEnd();
    }
    pattern += QRegularExpression::escape(format.mid(at)) + u'$';
    if (order.size() != 3)
        return {};
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
    if (!match.hasMatch())
        return {};
    int day = 0, month = 0, year = 0;
    bool twoDigitYear = false;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QString digits = match.captured(static_cast<int>(i) + 1);
        (order[i] == u'd' ? day : order[i] == u'M' ? month : year) = digits.toInt();
        if (order[i] == u'y')
            twoDigitYear = digits.size() == 2;
    }
    const QDate today = QDate::currentDate();
    if (twoDigitYear)
        year += today.year() / 100 * 100;
    QDate date(year, month, day);
    if (!date.isValid())
        return {std::nullopt, true};
    // A birth date written "31.12.26" a week before that day lies a century back.
    if (twoDigitYear && rule == TwoDigitYear::NeverAhead && date > today)
        date = date.addYears(-100);
    return {date};
}

// Entry systems of the region write day.month.year whatever the computer's own format.
const QString dottedDateFormat = QStringLiteral("d.M.yyyy");

} // namespace

DateReading readDateText(const QString &text, TwoDigitYear twoDigitYear, const QString &format)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    const QString trimmed = text.trimmed();
    if (const QRegularExpressionMatch match = iso.match(trimmed); match.hasMatch()) {
        const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
        return date.isValid() ? DateReading{date} : DateReading{std::nullopt, true};
    }
    const DateReading inFormat = readDateInFormat(trimmed, format, twoDigitYear);
    if (inFormat.date)
        return inFormat;
    const DateReading dotted = readDateInFormat(trimmed, dottedDateFormat, twoDigitYear);
    if (dotted.date)
        return dotted;
    return {std::nullopt, inFormat.noSuchDay || dotted.noSuchDay};
}

std::optional<QDate> readDate(const QString &text, const QString &format, TwoDigitYear twoDigitYear)
{
    return readDateText(text, twoDigitYear, format).date;
}

QString dateForms()
{
    return shortDateFormat() + QCoreApplication::translate("Platform", ", D.M.YYYY or YYYY-MM-DD");
}

std::optional<QDateTime> readDateTime(const QString &text, const QString &dateFormat, const QString &timeFormat)
{
    // The date takes as many words as its format has (a month name may stand
    // between blanks); the time the rest.
    const QStringList words = text.simplified().split(u' ', Qt::SkipEmptyParts);
    const qsizetype dateWords = dateFormat.simplified().split(u' ', Qt::SkipEmptyParts).size();
    if (dateWords == 0 || words.size() <= dateWords)
        return std::nullopt;
    const std::optional<QDate> date = readDate(words.first(dateWords).join(u' '), dateFormat);
    if (!date)
        return std::nullopt;
    const QString timeText = words.sliced(dateWords).join(u' ');
    QTime time = QLocale::system().toTime(timeText, timeFormat);
    for (const char *form : {"H:mm:ss", "H:mm"})
        if (!time.isValid())
            time = QTime::fromString(timeText, QLatin1String(form));
    if (!time.isValid())
        return std::nullopt;
    return QDateTime(*date, time);
}

int utcOffsetSecondsAt(const QDateTime &localTime)
{
    return QTimeZone::systemTimeZone().offsetFromUtc(localTime);
}

quint64 currentThreadNumber()
{
    return static_cast<quint64>(::gettid());
}

qint64 threadProcessorMs()
{
    timespec used{};
    if (::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used) != 0)
        return 0;
    return static_cast<qint64>(used.tv_sec) * 1000 + used.tv_nsec / 1'000'000;
}

namespace {

// On Linux a nice value, a scheduling policy and an I/O priority set for a
// thread id apply to that thread only, and threads it starts inherit them.
void niceThread(id_t thread)
{
    errno = 0;
    const int now = ::getpriority(PRIO_PROCESS, thread);
    constexpr int background = 10;
    if (errno == 0 && now < background)
        ::setpriority(PRIO_PROCESS, thread, background);
}

} // namespace

void backgroundThreadPriority()
{
    const id_t thread = static_cast<id_t>(::gettid());
    niceThread(thread);
    ::syscall(SYS_ioprio_set, IOPRIO_WHO_PROCESS, static_cast<int>(thread), IOPRIO_PRIO_VALUE(IOPRIO_CLASS_BE, 7));
}

void lowerThreadPriority()
{
    const id_t thread = static_cast<id_t>(::gettid());
    niceThread(thread);
    // A nice value of 10 still takes a tenth of a core from a readout and
    // can run on while a woken readout waits for the core; an idle thread
    // runs only when no other thread wants the core. Its reads of the disk
    // likewise wait until nothing else reads or writes.
    const sched_param none{};
    ::sched_setscheduler(static_cast<pid_t>(thread), SCHED_IDLE, &none);
    ::syscall(SYS_ioprio_set, IOPRIO_WHO_PROCESS, static_cast<int>(thread), IOPRIO_PRIO_VALUE(IOPRIO_CLASS_IDLE, 0));
}

QStringList localAddresses()
{
    QStringList addresses;
    QStringList loopback;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        (address.isLoopback() ? loopback : addresses).append(address.toString());
    }
    return addresses + loopback;
}

QString textEncoding()
{
    QMutexLocker lock(&encodingMutex);
    return encodingName;
}

bool setTextEncoding(const QString &name)
{
    // Text files are split into lines, sections and keys byte by byte, so the
    // encoding must write ASCII as ASCII; UTF-16 and UTF-32 do not.
    QByteArray ascii;
    for (char c = ' '; c < '\x7f'; ++c)
        ascii += c;
    ascii += "\t\r\n";
    QStringEncoder encoder(name.toLatin1().constData());
    QStringDecoder decoder(name.toLatin1().constData());
    if (!encoder.isValid() || !decoder.isValid())
        return false;
    const QByteArray encoded = encoder.encode(QString::fromLatin1(ascii));
    const QString decoded = decoder.decode(ascii);
    if (encoded != ascii || decoded != QString::fromLatin1(ascii))
        return false;
    QMutexLocker lock(&encodingMutex);
    encodingName = name;
    return true;
}

QByteArray encodeText(const QString &text)
{
    QStringEncoder encoder(textEncoding().toLatin1().constData());
    QByteArray bytes = encoder.encode(text);
    if (!text.contains(QChar(u'\x1a')))
        bytes.replace(substituteByte, '?');
    return bytes;
}

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder decoder(textEncoding().toLatin1().constData());
    return decoder.decode(bytes);
}

QStringList textFileEncodings()
{
    QStringList names;
    for (const TextFileEncoding &encoding : textFileEncodingTable)
        names.append(QLatin1String(encoding.name));
    return names;
}

void requireTextFileEncoding(const QString &encodingName)
{
    if (!textFileEncodings().contains(encodingName))
        throw KorventError(QCoreApplication::translate("Platform", "Unknown encoding \"%1\"; the encodings are %2")
                               .arg(encodingName, textFileEncodings().join(QStringLiteral(", "))));
}

std::optional<QByteArray> encodeTextFile(const QString &encodingName, const QString &text)
{
    for (const TextFileEncoding &encoding : textFileEncodingTable) {
        if (encodingName != QLatin1String(encoding.name))
            continue;
        if (!encoding.converter)
            return encodeText(text);
        return QByteArray(encoding.byteOrderMark) + convertWithIcu(encoding.converter, text);
    }
    return std::nullopt;
}

std::optional<QString> decodeTextFile(const QString &encodingName, const QByteArray &bytes)
{
    for (const TextFileEncoding &encoding : textFileEncodingTable) {
        if (encodingName != QLatin1String(encoding.name))
            continue;
        // A UTF-16 file read in the other byte order (or as a one-byte
        // encoding) decodes to text that holds no line of the file.
        for (const TextFileEncoding &other : textFileEncodingTable)
            if (&other != &encoding && qstrlen(other.byteOrderMark) == 2 && bytes.startsWith(other.byteOrderMark))
                throw KorventError(QCoreApplication::translate("Platform", "Line 1 starts with the byte-order mark of %1 text, not %2 "
                                                                          "text; choose the encoding the file was written in")
                                       .arg(QLatin1String(other.name), encodingName));
        const QString ansi = textEncoding();
        QString text = encoding.converter
            ? decodeWithIcu(encoding.converter, encodingName, bytes)
            : decodeWithIcu(ansi.toLatin1().constData(), encodingName + QStringLiteral(" (") + ansi + u')', bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    return std::nullopt;
}

namespace {

FileOpener &fileOpener()
{
    static FileOpener opener;
    return opener;
}

} // namespace

bool openWithDefaultApplication(const QString &fileName)
{
    if (const FileOpener &opener = fileOpener())
        return opener(fileName);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

FileOpener setFileOpener(FileOpener opener)
{
    return std::exchange(fileOpener(), std::move(opener));
}

} // namespace Platform
