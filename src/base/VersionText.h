#pragma once

#include <QChar>
#include <QString>
#include <optional>

struct VersionNumber
{
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
};

// The program's own version, compiled in from the build's project version.
VersionNumber ProgramVersion();

// "major.minor", with build "major.minor [release.build]"; empty without version.
QString VersionText(const std::optional<VersionNumber> &version, bool withBuild, QChar separator);
