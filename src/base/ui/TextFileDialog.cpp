#include "base/ui/TextFileDialog.h"

#include "base/Platform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

TTextFileDialog::TTextFileDialog(AcceptMode mode, QWidget *parent)
    : TFileDialog(parent, QString())
    , m_encodings(new QComboBox(this))
{
    setAcceptMode(mode);
    setFileMode(mode == AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
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

TOpenTextFileDialog::TOpenTextFileDialog(QWidget *parent)
    : TTextFileDialog(AcceptOpen, parent)
{
    setObjectName(QStringLiteral("OpenTextFileDialog"));
    setEncoding(QStringLiteral("UTF-8"));
}

TSaveTextFileDialog::TSaveTextFileDialog(QWidget *parent)
    : TTextFileDialog(AcceptSave, parent)
{
    setObjectName(QStringLiteral("SaveTextFileDialog"));
}
