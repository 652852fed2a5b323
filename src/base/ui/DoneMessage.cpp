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

QString tr(const char *text)
{
    return QCoreApplication::translate("DoneMessage", text);
}

} // namespace

void ShowDoneMessage(QWidget *parent, const QStringList &written, const QString &text)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox box(QMessageBox::Information, QStringLiteral("Korvent"), text.isEmpty() ? tr("Done!") : text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("mbDone"));
    box.setDefaultButton(QMessageBox::Ok);
    QString target;
    if (written.size() == 1) {
        target = written.constFirst();
        box.setInformativeText(tr("Written: %1").arg(QDir::toNativeSeparators(target)));
    } else if (!written.isEmpty()) {
        target = QFileInfo(written.constFirst()).absolutePath();
        QStringList names;
        for (const QString &file : written)
            names.append(QFileInfo(file).absolutePath() == target ? QFileInfo(file).fileName() : QDir::toNativeSeparators(file));
        box.setInformativeText(tr("Written to %1:\n%2").arg(QDir::toNativeSeparators(target), names.join(u'\n')));
    }
    QPushButton *open = target.isEmpty() ? nullptr : box.addButton(written.size() == 1 ? tr("Open") : tr("Open folder"), QMessageBox::ActionRole);
    if (open)
        open->setObjectName(QStringLiteral("btnOpenWritten"));
    box.exec();
    if (open && box.clickedButton() == open && !Platform::openWithDefaultApplication(target))
        MessageBoxSink(parent).warning(tr("No program could be started to open %1").arg(QDir::toNativeSeparators(target)));
}
