#include "output/ReportOutput.h"

#include "base/KorventError.h"

#include <QBuffer>
#include <QCoreApplication>
#include <algorithm>

struct ReportOutput::Entry
{
    ReportFile file;
    std::unique_ptr<QBuffer> buffer;
};

namespace {

void checkName(const ReportFile &file)
{
    const QString &name = file.name;
    const bool plain = !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/')
        && !name.contains(u'\\') && !name.contains(QChar(0));
    if (file.folder == ReportFolder::Chosen ? name.isEmpty() : !plain)
        throw KorventError(QCoreApplication::translate("Reports", "\"%1\" cannot be used as a file name").arg(name));
}

} // namespace

ReportOutput::ReportOutput() = default;
ReportOutput::~ReportOutput() = default;

QIODevice &ReportOutput::create(const ReportFile &file)
{
    checkName(file);
    auto buffer = std::make_unique<QBuffer>();
    buffer->open(QIODevice::WriteOnly);
    const auto same = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &entry) { return entry.file == file; });
    if (same != m_entries.end()) {
        same->buffer = std::move(buffer);
        return *same->buffer;
    }
    m_entries.push_back({file, std::move(buffer)});
    return *m_entries.back().buffer;
}

void ReportOutput::write(const ReportFile &file, const QByteArray &bytes)
{
    QIODevice &device = create(file);
    if (device.write(bytes) != bytes.size())
        throw KorventError(QCoreApplication::translate("Reports", "Cannot write %1: %2").arg(file.name, device.errorString()));
}

QList<ReportFile> ReportOutput::files() const
{
    QList<ReportFile> files;
    for (const Entry &entry : m_entries)
        files.append(entry.file);
    return files;
}

QByteArray ReportOutput::bytes(const ReportFile &file) const
{
    for (const Entry &entry : m_entries)
        if (entry.file == file)
            return entry.buffer->data();
    return QByteArray();
}
