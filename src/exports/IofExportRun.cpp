#include "exports/IofExportRun.h"

#include "exports/CompressedXml.h"

#include "store/EventSetup.h"

#include <QCoreApplication>
#include <QIODevice>

IofExportCalculation::IofExportCalculation(const ReportContext &context)
    : m_messages(context.messages ? *context.messages : m_unreported)
    , m_calculation(context.connection, std::make_shared<const EventSetup>(context.setup), m_messages)
{
}

std::vector<IofClassTeams> IofClassesWithTeams(const ReportContext &context)
{
    std::vector<IofClassTeams> classes;
    for (const QString &className : IofClassNames(context.setup.classTree, context.connection))
        classes.push_back({className, CalculatedTeamsOfClass(context.connection, className)});
    return classes;
}

WorkSteps IofTeamSteps(const ReportContext &context, const std::vector<IofClassTeams> &classes)
{
    qint64 teams = 0;
    for (const IofClassTeams &entry : classes)
        teams += static_cast<qint64>(entry.teams.size());
    return WorkSteps(context.workProgress(), QCoreApplication::translate("IofExport", "Writing the IOF XML result list"), teams);
}

void SaveIofDocument(const ReportContext &context, const XmlDocument &document, XmlEncoding encoding, const QString &fileName,
                     bool compress, const QString &compressedName, std::exception_ptr failure)
{
    const QByteArray bytes = document.toBytes(encoding);
    context.output.write({ReportFolder::Event, fileName}, bytes);
    if (compress) {
        QIODevice &work = context.output.create({ReportFolder::Event, IofExportFiles::work});
        WriteCompressedXml(bytes, work, context.output.create({ReportFolder::Event, compressedName}));
    }
    if (failure) {
        // What was built before the failure is kept, as a run that ends normally keeps all.
        context.output.commit();
        std::rethrow_exception(failure);
    }
}
