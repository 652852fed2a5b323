#include "shell/ui/uStartForm.h"

#include "shell/ui/AppIcon.h"
#include "base/ui/FileDialogs.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TfStartForm::TfStartForm(const QString &eventDirectory, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("fStartForm"));
    setWindowTitle(tr("Korvent"));

    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto *picture = new QLabel(frame);
    picture->setPixmap(ProgramPixmap(96));
    lProgramName = new QLabel(frame);
    lProgramName->setObjectName(QStringLiteral("lProgramName"));
    QFont big = lProgramName->font();
    big.setPointSize(28);
    big.setBold(true);
    lProgramName->setFont(big);

    auto *label = new QLabel(tr("Event directory:"), frame);
    eEventDir = new QLineEdit(eventDirectory, frame);
    eEventDir->setObjectName(QStringLiteral("eEventDir"));
    eEventDir->setMinimumWidth(360);
    label->setBuddy(eEventDir);
    sbChoosEvent = new QToolButton(frame);
    sbChoosEvent->setObjectName(QStringLiteral("sbChoosEvent"));
    sbChoosEvent->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    sbChoosEvent->setToolTip(tr("Choose event"));
    connect(sbChoosEvent, &QToolButton::clicked, this, &TfStartForm::sbChoosEventClick);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, frame);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *head = new QHBoxLayout;
    head->addWidget(picture);
    head->addWidget(lProgramName, 1);
    auto *folder = new QHBoxLayout;
    folder->addWidget(eEventDir, 1);
    folder->addWidget(sbChoosEvent);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->addLayout(head);
    layout->addSpacing(12);
    layout->addWidget(label);
    layout->addLayout(folder);
    layout->addSpacing(12);
    layout->addWidget(buttons);
}

QString TfStartForm::eventDirectory() const
{
    return eEventDir->text();
}

void TfStartForm::showEvent(QShowEvent *event)
{
    lProgramName->setText(QStringLiteral("KORVENT"));
    QDialog::showEvent(event);
}

void TfStartForm::sbChoosEventClick()
{
    // Qt's folder dialog offers "Create New Folder" itself.
    const QString start = QFileInfo(eEventDir->text()).isDir() ? eEventDir->text() : QString();
    const QString chosen = ChooseFileName(this, {.kind = FileQuestion::Folder, .caption = tr("Choose event"), .start = start});
    if (!chosen.isEmpty())
        eEventDir->setText(chosen);
}

bool TfStartForm::askCreateFolder(const QString &absolutePath, QWidget *parent)
{
    return QMessageBox::question(parent, tr("Korvent"), tr("The event folder %1 does not exist. Create it as a new event?").arg(absolutePath),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}
