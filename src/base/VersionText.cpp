#include "base/VersionText.h"

#include "BuildVersion.h"

VersionNumber ProgramVersion()
{
    return {KORVENT_VERSION_MAJOR, KORVENT_VERSION_MINOR, KORVENT_VERSION_RELEASE, KORVENT_VERSION_BUILD};
}

QString VersionText(const std::optional<VersionNumber> &version, bool withBuild, QChar separator)
{
    if (!version)
        return QString();
    QString text = QString::number(version->major) + separator + QString::number(version->minor);
    if (withBuild)
        text += QStringLiteral(" [%1.%2]").arg(version->release).arg(version->build);
    return text;
}
