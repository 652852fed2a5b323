#pragma once

// Checks IOF XML 3.0 documents against the official schema with xmllint. The
// schema is not part of the sources: it is looked for beside the project
// (KORVENT_IOF_SCHEMA); without it, or without xmllint, nothing is checked.

#include <QByteArray>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryFile>
#include <optional>

inline QString iofSchemaFile()
{
    return QStringLiteral(KORVENT_IOF_SCHEMA);
}

// Why documents cannot be checked here; empty when they can.
inline QString iofSchemaUnavailable()
{
    if (!QFileInfo::exists(iofSchemaFile()))
        return QStringLiteral("The IOF XML 3.0 schema is expected at %1; the documents are not checked against it").arg(iofSchemaFile());
    if (!QFileInfo(QStringLiteral(KORVENT_XMLLINT)).isExecutable())
        return QStringLiteral("xmllint (package libxml2-utils) is needed to check the documents against the IOF XML 3.0 schema");
    return QString();
}

// xmllint's complaints; nullopt when the document validates.
inline std::optional<QString> iofSchemaErrors(const QByteArray &document)
{
    QTemporaryFile file;
    if (!file.open())
        return QStringLiteral("no temporary file");
    file.write(document);
    file.flush();
    QProcess xmllint;
    xmllint.start(QStringLiteral(KORVENT_XMLLINT), {QStringLiteral("--noout"), QStringLiteral("--schema"), iofSchemaFile(), file.fileName()});
    if (!xmllint.waitForFinished(60'000))
        return QStringLiteral("xmllint did not finish");
    if (xmllint.exitStatus() == QProcess::NormalExit && xmllint.exitCode() == 0)
        return std::nullopt;
    return QString::fromUtf8(xmllint.readAllStandardError());
}
