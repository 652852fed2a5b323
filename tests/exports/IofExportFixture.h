#pragma once

// An event with calculated teams to export, the exported files kept in
// memory, and the written documents read back.

#include "IofSchema.h"
#include "EventRows.h"
#include "scoring/ScoringFixture.h"

#include "exports/IofExport.h"
#include "base/XmlDocument.h"

#include <algorithm>

// The names of an element's children in order.
inline QStringList childNames(const XmlElement &element)
{
    QStringList names;
    for (const XmlElement &child : element.children())
        names.append(child.name());
    return names;
}

// The children with this name.
inline QList<XmlElement> childrenNamed(const XmlElement &element, const QString &name)
{
    QList<XmlElement> found;
    for (const XmlElement &child : element.children())
        if (child.name() == name)
            found.append(child);
    return found;
}

// Follows a path of child names such as "Event/Race/Name".
inline XmlElement node(const XmlElement &element, const QString &path)
{
    XmlElement current = element;
    for (const QString &name : path.split(u'/'))
        current = current.child(name);
    return current;
}

struct IofExportFixture : ScoringFixture
{
    MemoryReportOutput output;
    XmlDocument document;
    // Every 3.0 document written in a test is checked against the schema at its end.
    std::vector<QByteArray> documentsToCheck;

    void SetUp() override
    {
        ScoringFixture::SetUp();
        setup.settings.eventName = QStringLiteral("Night Rogaine");
        setup.classTree = {{QStringLiteral("H6<*>(10:00:00|006:00:00|00:30:00)"), 0}, {QStringLiteral("H6A"), 1}};
    }

    void TearDown() override
    {
        if (!iofSchemaUnavailable().isEmpty())
            return;
        for (const QByteArray &written : documentsToCheck)
            if (const std::optional<QString> errors = iofSchemaErrors(written))
                ADD_FAILURE() << "not valid against the IOF XML 3.0 schema:\n" << errors->toStdString() << written.toStdString();
    }

    ReportContext context() { return {data->connection(), setup, output, &messages}; }

    // A file written into the event folder; empty when not written.
    QByteArray bytes(const QString &name) const { return output.bytes({ReportFolder::Event, name}); }
    // The files written, by name.
    QStringList names() const
    {
        QStringList names;
        for (const ReportFile &file : output.files())
            names.append(file.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Exports version 3.0 and reads the document back; its root element.
    XmlElement export3(bool compress = false)
    {
        ExportIofXml3(context(), compress);
        return readBack(IofExportFiles::xml3);
    }
    // The same for a document that must not be held to the schema.
    XmlElement export3Unchecked()
    {
        ExportIofXml3(context(), false);
        document.loadBytes(bytes(IofExportFiles::xml3), IofExportFiles::xml3);
        return document.documentElement();
    }
    XmlElement export2(bool compress = false)
    {
        ExportIofXml2(context(), compress);
        return readBack(IofExportFiles::xml2);
    }
    XmlElement readBack(const QString &name)
    {
        const QByteArray written = bytes(name);
        if (name == IofExportFiles::xml3)
            documentsToCheck.push_back(written);
        document.loadBytes(written, name);
        return document.documentElement();
    }

    // A team as the calculation leaves it: result fields set, calctime stamped.
    qint64 calculatedTeam(qint64 number, const QString &className = QStringLiteral("H6A"), Row fields = {})
    {
        const qint64 id = team(number, className);
        fields.insert(QStringLiteral("calctime"), at(QStringLiteral("17:00:00")));
        if (!fields.contains(QStringLiteral("start")))
            fields.insert(QStringLiteral("start"), at(QStringLiteral("10:00:00")));
        if (!fields.contains(QStringLiteral("status")))
            fields.insert(QStringLiteral("status"), 1);
        updateRow(*data, QStringLiteral("team"), id, fields);
        return id;
    }
    qint64 member(qint64 teamId, const QString &lastname, const QString &chip = QString(), Row fields = {})
    {
        const qint64 id = runner(teamId);
        fields.insert(QStringLiteral("lastname"), lastname);
        fields.insert(QStringLiteral("firstname"), QStringLiteral("Given ") + lastname);
        fields.insert(QStringLiteral("chipnr"), chip);
        updateRow(*data, QStringLiteral("runner"), id, fields);
        return id;
    }
    // A member whose card visited 31 at 10:30 and finished at 12:00.
    qint64 finishedMember(qint64 teamId, const QString &lastname, const QString &chip)
    {
        const qint64 id = member(teamId, lastname, chip);
        punch(teamId, id, QStringLiteral("31"), QStringLiteral("10:30:00"));
        punch(teamId, id, QStringLiteral("F"), QStringLiteral("12:00:00"));
        return id;
    }

    // Two punches of the team at a control, one per card holder.
    void visit(qint64 teamId, qint64 first, qint64 second, const QString &code, const QString &time1, const QString &time2)
    {
        punch(teamId, first, code, time1);
        punch(teamId, second, code, time2);
    }

    struct CardTeam
    {
        qint64 id;
        qint64 first;
        qint64 second;
    };
    // Team 1 of two card holders (chips 101 and 102, a punch window of 60
    // seconds) with punches of every kind, then the finish at 16:05.
    CardTeam teamWithEveryPunchKind()
    {
        setup.settings.controlCard = EventSettings::CardPerRunner;
        setup.settings.punchWindowSeconds = 60;
        const qint64 id = calculatedTeam(1);
        const qint64 a = member(id, QStringLiteral("A"), QStringLiteral("101"));
        const qint64 b = member(id, QStringLiteral("B"), QStringLiteral("102"));
        visit(id, a, b, QStringLiteral("31"), QStringLiteral("10:30:00"), QStringLiteral("10:30:20")); // OK
        visit(id, a, b, QStringLiteral("45"), QStringLiteral("11:00:00"), QStringLiteral("11:02:00")); // too far apart
        punch(id, a, QStringLiteral("52"), QStringLiteral("11:30:00"));                                 // missing punch
        visit(id, a, b, QStringLiteral("60"), QStringLiteral("12:00:00"), QStringLiteral("12:00:10")); // OK
        visit(id, a, b, QStringLiteral("60"), QStringLiteral("12:10:00"), QStringLiteral("12:10:10")); // again: double
        punch(id, a, QStringLiteral("70"), QStringLiteral("13:00:00"), 2);                              // entered by hand
        punch(id, b, QStringLiteral("70"), QStringLiteral("13:00:05"));
        punch(id, a, QStringLiteral("80"), QStringLiteral("13:30:00"), 5);                              // disqualified
        punch(id, b, QStringLiteral("80"), QStringLiteral("13:30:05"));
        visit(id, a, b, QStringLiteral("F"), QStringLiteral("16:05:00"), QStringLiteral("16:05:10"));
        return {id, a, b};
    }

    // The TeamResult elements of the first class.
    static QList<XmlElement> teamResults(const XmlElement &root)
    {
        return childrenNamed(root.child(QStringLiteral("ClassResult")), QStringLiteral("TeamResult"));
    }
};
