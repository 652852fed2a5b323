#include "base/ui/TextFileDialog.h"

#include "base/Platform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <utility>

TTextFileDialog::TTextFileDialog(QWidget *parent, const FileQuestion &question)
    : TFileDialog(parent, question)
    , m_encodings(new QComboBox(this))
{
    m_encodings->setObjectName(QStringLiteral("cbEncoding"));
    m_encodings->addItems(Platform::textFileEncodings());
    auto *label = new QLabel(tr("Encoding:"), this);
    label->setBuddy(m_encodings);
    // The widget dialog lays out its file name and type rows in a grid: the choice goes below them.
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(m_encodings, row, 1);
    }
}

QString TTextFileDialog::encoding() const
{
    return m_encodings->currentText();
}

void TTextFileDialog::setEncoding(const QString &name)
{
    m_encodings->setCurrentIndex(m_encodings->findText(name));
}

namespace {

FileQuestion named(FileQuestion question, const QString &objectName)
{
    if (question.objectName.isEmpty())
        question.objectName = objectName;
    return question;
}

FileQuestion existingFile(FileQuestion question)
{
    question.kind = FileQuestion::ExistingFile;
    return question;
}

} // namespace

TOpenTextFileDialog::TOpenTextFileDialog(FileQuestion question, QWidget *parent)
    : TTextFileDialog(parent, named(existingFile(std::move(question)), QStringLiteral("OpenTextFileDialog")))
{
    setEncoding(QStringLiteral("UTF-8"));
}

TSaveTextFileDialog::TSaveTextFileDialog(const FileQuestion &question, QWidget *parent)
    : TTextFileDialog(parent, named(question, QStringLiteral("SaveTextFileDialog")))
{
}
