#include "entries/ImportedClasses.h"

#include "base/CountText.h"
#include "base/KorventError.h"
#include "entries/EntryImport.h"
#include "entries/TeamPickLists.h"
#include "store/EventSetup.h"

#include <QCoreApplication>
#include <functional>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ImportedClasses)
};

// "H21 (3 teams), Ö55 (1 team)" for the classes not known; empty when all are.
QString unknownClassesText(const QMap<QString, int> &teamsInClass, const std::function<bool(const QString &)> &known)
{
    QStringList unknown;
    for (auto it = teamsInClass.cbegin(); it != teamsInClass.cend(); ++it)
        if (!known(it.key()))
            unknown.append(it.key() + QStringLiteral(" (") + CountText("ImportedClasses", "%n team", "%n teams", it.value()) + u')');
    return unknown.join(QStringLiteral(", "));
}

} // namespace

QStringList ImportedClassesUnknown(const TeamImportSummary &summary, const EventSetup &setup)
{
    QStringList warnings;
    const ClassTable classes = LoadClassTable(setup.classTree);
    const QString notInTree = unknownClassesText(summary.teamsInClass, [&](const QString &name) { return FindClass(classes, name).has_value(); });
    if (!notInTree.isEmpty())
        warnings.append(Texts::tr("Classes not in the class tree: %1. The teams are imported; add the classes in the event setup "
                            "before calculating")
                             .arg(notInTree));

    QStringList extraClasses;
    try {
        extraClasses = ExtraClassPickList(setup.settings.extraClasses);
    } catch (const KorventError &error) {
        warnings.append(error.message());
    }
    const QString extras = unknownClassesText(summary.teamsInExtraClass, [&](const QString &name) { return extraClasses.contains(name); });
    if (!extras.isEmpty())
        warnings.append(Texts::tr("Extra classes not among the event's extra classes (%1): %2. The teams are imported; add them to "
                            "\"Extra Classes\" on the \"Classes\" tab of the event setup")
                             .arg(extraClasses.isEmpty() ? Texts::tr("none are set") : extraClasses.join(u';'), extras));
    return warnings;
}
