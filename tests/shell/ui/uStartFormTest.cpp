#include "ModalDialogs.h"

#include "shell/ui/uStartForm.h"

#include <QAbstractButton>
#include <QMessageBox>

TEST(StartForm, AskingToCreateAMissingFolderNamesItAndTakesTheAnswer)
{
    const QString folder = QStringLiteral("/home/sekretär/Rogain 2026");
    for (const QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No}) {
        QString text;
        whenModal<QMessageBox>([&](QMessageBox *box) {
            text = box->text();
            box->button(button)->click();
        });
        EXPECT_EQ(TfStartForm::askCreateFolder(folder), button == QMessageBox::Yes);
        EXPECT_EQ(text, QStringLiteral("The event folder /home/sekretär/Rogain 2026 does not exist. Create it as a new event?"));
    }
}
