#include "base/Platform.h"

#include <QDateTime>
#include <QHostAddress>
#include <QLocale>
#include <QNetworkInterface>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTimeZone>
#include <unistd.h>

namespace Platform {

namespace {
QMutex encodingMutex;
QString encodingName = QStringLiteral("UTF-8");

// Single-byte encoders mark characters they cannot hold with the SUB control
// byte; that byte is made a visible "?" unless the text itself held SUB.
constexpr char substituteByte = '\x1a';
} // namespace

QString withTrailingSeparator(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QString shortDateFormat()
{
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

QString longTimeFormat()
{
    // Time-zone designators ("t", "tttt", ...) are not part of a clock time here.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return format.trimmed();
}

QChar decimalSeparator()
{
    const QString separator = QLocale::system().decimalPoint();
    return separator.isEmpty() ? QLatin1Char('.') : separator.at(0);
}

int standardUtcOffsetSeconds()
{
    return QTimeZone::systemTimeZone().standardTimeOffset(QDateTime::currentDateTime());
}

quint64 currentThreadNumber()
{
    return static_cast<quint64>(::gettid());
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

} // namespace Platform
