// korvent [EVENT_DIR]: the desktop application.

#include "shell/StartupSequence.h"
#include "shell/ui/uRogMain.h"
#include "shell/ui/uStartForm.h"

#include "base/KorventError.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <memory>

int main(int argc, char *argv[])
{
    // The desktop's own file dialogs look into files to show their types.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Korvent (KVT)"));
    // The desktop finds the menu entry and icon of the windows by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvent.Korvent"));

    EventLocation location;
    std::unique_ptr<TdmData> data;
    std::unique_ptr<SharedEventSetup> setup;
    try {
        location = StartupSequence::settle(ProgramFiles::ofThisProgram(), app.arguments().mid(1), [](const QString &proposed) {
            TfStartForm startForm(proposed);
            const bool confirmed = startForm.exec() == QDialog::Accepted;
            return StartWindowAnswer{startForm.eventDirectory(), confirmed, startForm.database()};
        }, [&data](const EventLocation &event) { data = std::make_unique<TdmData>(event.eventDirectory); },
            [](const QString &folder) { return TfStartForm::askCreateFolder(folder); });
        setup = std::make_unique<SharedEventSetup>(location.eventDirectory);
        TfRogMain mainWindow(location, *data, *setup);
        mainWindow.show();
        // The event opens; what needs an unreadable setting refuses until it is set.
        const QStringList warnings = setup->snapshot()->settings.warnings();
        if (!warnings.isEmpty())
            QMessageBox::warning(&mainWindow, QStringLiteral("Korvent"), warnings.join(u'\n'));
        return app.exec();
    } catch (const KorventError &error) {
        QMessageBox::critical(nullptr, QStringLiteral("Korvent"), error.message());
        return 1;
    }
}
