#include "base/ui/DoneMessage.h"

#include "base/Platform.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/OverrideCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(DoneMessage)
};

} // namespace

void ShowDoneMessage(QWidget *parent, const QStringList &written, const QString &text)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox box(QMessageBox::Information, QStringLiteral("Korvent"), text.isEmpty() ? Texts::tr("Done!") : text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("mbDone"));
    box.setDefaultButton(QMessageBox::Ok);
    QString target;
    if (written.size() == 1) {
        target = written.constFirst();
        box.setInformativeText(Texts::tr("Written: %1").arg(QDir::toNativeSeparators(target)));
    } else if (!written.isEmpty()) {
        target = QFileInfo(written.constFirst()).absolutePath();
        QStringList names;
        for (const QString &file : written)
            names.append(QFileInfo(file).absolutePath() == target ? QFileInfo(file).fileName() : QDir::toNativeSeparators(file));
        box.setInformativeText(Texts::tr("Written to %1:\n%2").arg(QDir::toNativeSeparators(target), names.join(u'\n')));
    }
    QPushButton *open = target.isEmpty() ? nullptr : box.addButton(written.size() == 1 ? Texts::tr("Open") : Texts::tr("Open folder"), QMessageBox::ActionRole);
    if (open)
        open->setObjectName(QStringLiteral("btnOpenWritten"));
    box.exec();
    if (open && box.clickedButton() == open && !Platform::openWithDefaultApplication(target))
        MessageBoxSink(parent).warning(Texts::tr("No program could be started to open %1").arg(QDir::toNativeSeparators(target)));
}
