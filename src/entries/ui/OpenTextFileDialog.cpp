#include "entries/ui/OpenTextFileDialog.h"

#include "base/Platform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

TOpenTextFileDialog::TOpenTextFileDialog(QWidget *parent)
    : QFileDialog(parent)
    , m_encodings(new QComboBox(this))
{
    setObjectName(QStringLiteral("OpenTextFileDialog"));
    // The platform's own dialog has no room for the encoding choice.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    m_encodings->setObjectName(QStringLiteral("cbEncoding"));
    m_encodings->addItems(Platform::textFileEncodings());
    // Entry systems write UTF-8 today.
    setEncoding(QStringLiteral("UTF-8"));
    auto *label = new QLabel(tr("Encoding:"), this);
    label->setBuddy(m_encodings);
    // The widget dialog lays out its file name and type rows in a grid: the choice goes below them.
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(m_encodings, row, 1);
    }
}

QString TOpenTextFileDialog::encoding() const
{
    return m_encodings->currentText();
}

void TOpenTextFileDialog::setEncoding(const QString &name)
{
    m_encodings->setCurrentIndex(m_encodings->findText(name));
}
