#include "shell/ui/uAbout.h"

#include "shell/ui/AppIcon.h"
#include "base/VersionText.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

TAboutBox::TAboutBox(const QString &databaseVersion, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About"));

    auto *icon = new QLabel(this);
    icon->setPixmap(ProgramPixmap(64));
    auto *product = new QLabel(QStringLiteral("<b>Korvent</b><br>") + tr("Rogaining event secretariat"), this);
    auto *version = new QLabel(VersionText(ProgramVersion(), true, u'.'), this);
    version->setObjectName(QStringLiteral("Version"));
    auto *dbVersion = new QLabel(QStringLiteral("DB Ver:") + databaseVersion, this);
    dbVersion->setObjectName(QStringLiteral("lABVersion"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(product, 0, 1);
    layout->addWidget(version, 1, 1);
    layout->addWidget(dbVersion, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);
}
