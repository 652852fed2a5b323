#include "base/ui/FileDialogs.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

namespace {

// Icons and type names from the file name alone. Qt's own provider asks the
// MIME database, which reads a file whose name does not settle its type.
class NameOnlyIconProvider final : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override
    {
        return QFileIconProvider::icon(info.isDir() ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QFileDialog::tr("Folder");
        const QMimeType type = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        return type.isDefault() || type.comment().isEmpty() ? QFileDialog::tr("File") : type.comment();
    }
};

NameOnlyIconProvider &nameOnlyIconProvider()
{
    static NameOnlyIconProvider provider;
    return provider;
}

} // namespace

TFileDialog::TFileDialog(QWidget *parent, const QString &caption, const QString &directory, const QString &filter)
    // The folder is shown only once the provider is in place: listing it starts at once.
    : QFileDialog(parent, caption, QStringLiteral("/"), filter)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setIconProvider(&nameOnlyIconProvider());
    // A file name stands for its folder with the file chosen, as in QFileDialog.
    const QFileInfo start(directory.isEmpty() ? QDir::currentPath() : directory);
    if (start.isDir()) {
        setDirectory(start.filePath());
    } else {
        setDirectory(start.absolutePath());
        selectFile(start.fileName());
    }
}

QString ChooseExistingDirectory(QWidget *parent, const QString &caption, const QString &directory)
{
    TFileDialog dialog(parent, caption, directory);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString ChooseSaveFileName(QWidget *parent, const QString &caption, const QString &directory, const QString &filter)
{
    TFileDialog dialog(parent, caption, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}
