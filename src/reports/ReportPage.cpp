#include "reports/ReportPage.h"

#include "store/EventLocation.h"
#include "store/EventSetup.h"
#include "store/EventSettings.h"
#include "output/ReportContext.h"
#include "base/GuardedFiles.h"
#include "base/KorventError.h"
#include "base/TextFile.h"
#include "base/Platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cmath>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Reports)
};

QString decodeTemplate(const QByteArray &bytes)
{
    // A byte-order mark names the encoding; otherwise the program's own.
    if (const std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(bytes)) {
        if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
            QStringDecoder decoder(*encoding, QStringConverter::Flag::ConvertInitialBom);
            QString text = decoder.decode(bytes);
            if (text.startsWith(QChar(0xFEFF)))
                text.remove(0, 1);
            return text;
        }
    }
    return Platform::decodeText(bytes);
}

QString whereHeaderIsSet()
{
    const SettingDefinition &setting = SettingOf(&EventSettings::resultHeader);
    return Texts::tr("set it as \"%1\" on the \"%2\" tab of the event setup (key %3), or NON for pages without one")
        .arg(EventSettings::tr(setting.caption), EventSettings::tr(setting.tab), QString::fromLatin1(setting.key));
}

// Names the file looked for and where it is set: a new secretary meets this
// on the first report.
QString missingHeaderText(const QString &headerFile)
{
    if (headerFile.isEmpty())
        return Texts::tr("Can't find report header file: none is set; ") + whereHeaderIsSet();
    return Texts::tr("Can't find report header file %1; ").arg(QFileInfo(headerFile).absoluteFilePath()) + whereHeaderIsSet();
}

// The template's bytes; a file that is there but cannot be read is named with the reason.
QByteArray readTemplate(const QString &headerFile)
{
    const QFileInfo info(headerFile);
    if (headerFile.isEmpty() || !info.exists())
        throw KorventError(missingHeaderText(headerFile));
    GuardedFiles::refuse(headerFile, GuardedFiles::Access::Read);
    // A folder or a device is no template: /dev/zero would be read without end.
    if (!info.isFile())
        throw KorventError(Texts::tr("Cannot read report header file %1: it is not a plain file; ").arg(info.absoluteFilePath())
                           + whereHeaderIsSet());
    QFile file(headerFile);
    if (!file.open(QIODevice::ReadOnly))
        throw KorventError(Texts::tr("Cannot read report header file %1: %2").arg(info.absoluteFilePath(), file.errorString()));
    return file.readAll();
}

// A clock time of the event as the setup window shows it.
QString clockText(const EventSettings &settings, SettingValue<std::chrono::seconds> EventSettings::*member)
{
    return SettingText(settings, SettingOf(member));
}

} // namespace

void ReportPage::ReportHeader(const QString &headerFile, const QString &title, const QString &info, const EventSettings &settings)
{
    if (headerFile == QLatin1String("NON")) {
        m_lines.clear();
        return;
    }
    QStringList lines = decodeTemplate(readTemplate(headerFile)).split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        // Title and settings are plain text, such as "Rock & Roll <Night>"; the info is markup.
        if (line == QLatin1String("<%TITLE%>"))
            line = Html(title);
        else if (line == QLatin1String("<%EVENT%>"))
            line = Html(settings.eventName);
        else if (line == QLatin1String("<%EDATE%>"))
            line = Html(settings.headingDate);
        else if (line == QLatin1String("<%INFO%>"))
            line = info;
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    m_lines = lines;
}

QString ReportHeaderFile(const ReportContext &context)
{
    const QString &header = context.setup.settings.resultHeader;
    if (header == QLatin1String("NON"))
        return header;
    return (context.location ? context.location->program : ProgramFiles::ofThisProgram()).namedFile(header);
}

ReportFile ReportPage::FinishReport(ReportOutput &output, const ReportFile &file)
{
    m_lines.append(QStringLiteral("<br />"));
    m_lines.append(ReportFooterLine());
    output.write(file, ReportPageBytes(m_lines));
    return file;
}

QString ReportFooterLine()
{
    return QStringLiteral("<font size=1>") + Texts::tr("Korvent - rogaining event secretariat") + QStringLiteral("</font></body></html>");
}

QByteArray ReportPageBytes(const QStringList &lines)
{
    QByteArray bytes("\xEF\xBB\xBF");
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QString EventInfoBlock(const EventSettings &settings)
{
    return Html(settings.headingDate) + QStringLiteral("<br />") + Html(settings.eventArea) + QStringLiteral("<br />") + Html(settings.organiser)
        + QStringLiteral("<br />Start:") + clockText(settings, &EventSettings::firstStart) + QStringLiteral("<br />Sunset:")
        + clockText(settings, &EventSettings::sunset) + QStringLiteral("<br />Sunrise:") + clockText(settings, &EventSettings::sunrise);
}

QString AgeText(SerialDateTime birthDate, const QDate &eventDate)
{
    if (DateTime::datePart(birthDate).year() <= 1900)
        return QString();
    const double days = std::fabs(DateTime::fromDateAndTime(eventDate, QTime(0, 0)) - std::floor(birthDate));
    return QString::number(static_cast<qint64>(days / 365.25));
}

QString Html(const QString &text)
{
    return text.toHtmlEscaped();
}
