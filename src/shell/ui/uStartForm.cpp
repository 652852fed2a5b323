#include "shell/ui/uStartForm.h"

#include "shell/ui/AppIcon.h"
#include "base/KorventError.h"
#include "base/ui/FileDialogs.h"
#include "store/DatabaseBinding.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QScopeGuard>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QThread>
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

    auto *databaseLabel = new QLabel(tr("Event database:"), frame);
    cbDatabase = new QComboBox(frame);
    cbDatabase->setObjectName(QStringLiteral("cbDatabase"));
    cbDatabase->addItems({tr("The folder's own file (rogain.abs)"), tr("A database on a PostgreSQL server")});
    databaseLabel->setBuddy(cbDatabase);
    eServerAddress = new QLineEdit(frame);
    eServerAddress->setObjectName(QStringLiteral("eServerAddress"));
    eServerAddress->setPlaceholderText(QStringLiteral("postgresql://USER@HOST[:PORT]/DBNAME"));
    eServerAddress->setToolTip(tr("The password comes from PGPASSWORD or ~/.pgpass, never from the event folder"));
    connect(cbDatabase, &QComboBox::currentIndexChanged, this, &TfStartForm::showEngine);
    connect(eEventDir, &QLineEdit::textChanged, this, &TfStartForm::showFolderDatabase);
    showFolderDatabase();

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
    layout->addWidget(databaseLabel);
    layout->addWidget(cbDatabase);
    layout->addWidget(eServerAddress);
    layout->addSpacing(12);
    layout->addWidget(buttons);
}

QString TfStartForm::eventDirectory() const
{
    return eEventDir->text();
}

void TfStartForm::showFolderDatabase()
{
    db::DatabaseAddress bound;
    try {
        bound = EventDatabaseAddress(QDir::cleanPath(eEventDir->text()) + u'/');
    } catch (const KorventError &) {
        // An address that does not read is typed again or left for its own file.
    }
    cbDatabase->setCurrentIndex(bound.engine == db::Engine::PostgreSQL ? 1 : 0);
    eServerAddress->setText(bound.engine == db::Engine::PostgreSQL ? bound.url() : QString());
    showEngine();
}

void TfStartForm::showEngine()
{
    eServerAddress->setEnabled(cbDatabase->currentIndex() == 1);
}

void TfStartForm::accept()
{
    if (cbDatabase->currentIndex() == 0) {
        if (!leaveServerAsked())
            return;
        m_database = db::DatabaseAddress::sqliteFile(QString());
        QDialog::accept();
        return;
    }
    QString failure;
    try {
        const db::DatabaseAddress address = db::DatabaseAddress::fromUrl(eServerAddress->text().trimmed());
        failure = checkServer(address);
        if (failure.isEmpty())
            m_database = address;
    } catch (const KorventError &error) {
        failure = error.message();
    }
    if (!failure.isEmpty()) {
        QMessageBox::warning(this, tr("Korvent"), failure);
        eServerAddress->setFocus();
        return;
    }
    QDialog::accept();
}

bool TfStartForm::leaveServerAsked()
{
    // A folder bound to a server (also by an address that no longer reads)
    // goes back to its own file only when the operator says so: its seat
    // would work on an event of its own, apart from the other seats.
    const QString folder = QDir::cleanPath(eEventDir->text()) + u'/';
    if (!QFileInfo::exists(DatabaseBindingFileName(folder)))
        return true;
    QString bound;
    try {
        bound = EventDatabaseAddress(folder).displayName();
    } catch (const KorventError &error) {
        bound = error.message();
    }
    return QMessageBox::question(this, tr("Korvent"),
                                 tr("The folder is bound to a database on a server: %1\n"
                                    "Work on the folder's own file instead? The server's event stays where it is.")
                                     .arg(bound),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void TfStartForm::reject()
{
    // The window closed under a check would leave it running on.
    if (!m_checking)
        QDialog::reject();
}

QString TfStartForm::checkServer(const db::DatabaseAddress &address)
{
    // Connecting may take seconds (a server that does not answer): the
    // window goes on painting meanwhile, its input held back.
    QString failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            CheckEventServer(address);
        } catch (const KorventError &error) {
            failure = error.message();
        }
    }));
    m_checking = true;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([this] {
        QApplication::restoreOverrideCursor();
        setEnabled(true);
        m_checking = false;
    });
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    return failure;
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
