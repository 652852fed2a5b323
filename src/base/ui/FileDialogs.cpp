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

TFileDialog::TFileDialog(QWidget *parent, const FileQuestion &question)
    // The folder is shown only once the provider is in place: listing it starts at once.
    : QFileDialog(parent, question.caption, QStringLiteral("/"), question.filters)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setIconProvider(&nameOnlyIconProvider());
    setObjectName(question.objectName);
    switch (question.kind) {
    case FileQuestion::ExistingFile:
        setFileMode(QFileDialog::ExistingFile);
        break;
    case FileQuestion::AnyFileToOpen:
        setFileMode(QFileDialog::AnyFile);
        break;
    case FileQuestion::FileToWrite:
        setAcceptMode(QFileDialog::AcceptSave);
        break;
    case FileQuestion::FileToReplace:
        setAcceptMode(QFileDialog::AcceptSave);
        setOption(QFileDialog::DontConfirmOverwrite);
        break;
    case FileQuestion::Folder:
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (!question.selectedFilter.isEmpty())
        selectNameFilter(question.selectedFilter);
    setDefaultSuffix(question.defaultSuffix);
    // A file name stands for its folder with the file chosen, as in QFileDialog.
    const QFileInfo start(question.start.isEmpty() ? QDir::currentPath() : question.start);
    if (start.isDir()) {
        setDirectory(start.filePath());
    } else {
        setDirectory(start.absolutePath());
        selectFile(start.fileName());
    }
}

QString TFileDialog::ask()
{
    return exec() == QDialog::Accepted ? selectedFiles().value(0) : QString();
}

QString ChooseFileName(QWidget *parent, const FileQuestion &question)
{
    TFileDialog dialog(parent, question);
    return dialog.ask();
}
