// korvent [EVENT_DIR]: the desktop application.

#include "shell/StartupSequence.h"
#include "shell/ui/AppIcon.h"
#include "shell/ui/uRogMain.h"
#include "shell/ui/uStartForm.h"

#include "base/KorventError.h"
#include "base/VersionText.h"
#include "base/ui/MessageBoxSink.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

namespace {

// Answered before any window: a shell asking needs no screen.
std::optional<int> answerOption(int argc, char *argv[])
{
    if (argc != 2)
        return std::nullopt;
    const std::string_view option = argv[1];
    if (option == "--help" || option == "-h") {
        std::fputs("usage: korvent [EVENT_DIR]\n"
                   "Opens the event in EVENT_DIR; without one, the start window proposes the last event.\n"
                   "korvent-cli runs the same commands from a shell: korvent-cli --help\n",
                   stdout);
        return 0;
    }
    if (option == "--version") {
        std::printf("korvent %s\n", VersionText(ProgramVersion(), true, u'.').toUtf8().constData());
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<int> answered = answerOption(argc, argv))
        return *answered;
    // The desktop's own file dialogs look into files to show their types.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    // Qt adds it to every other window's title; the main window's is the same name.
    QApplication::setApplicationDisplayName(QStringLiteral("Korvent"));
    // The desktop finds the menu entry and icon of the windows by it.
    QGuiApplication::setDesktopFileName(QStringLiteral(KORVENT_APP_ID));
    // Also for the start window and the messages before the main window.
    QApplication::setWindowIcon(ProgramIcon());

    EventLocation location;
    std::unique_ptr<TdmData> data;
    std::unique_ptr<SharedEventSetup> setup;
    try {
        MessageBoxSink startMessages(nullptr);
        location = StartupSequence::settle(ProgramFiles::ofThisProgram(), app.arguments().mid(1), [](const QString &proposed) {
            TfStartForm startForm(proposed);
            const bool confirmed = startForm.exec() == QDialog::Accepted;
            return StartWindowAnswer{startForm.eventDirectory(), confirmed, startForm.database()};
        }, [&data](const EventLocation &event) { data = std::make_unique<TdmData>(event.eventDirectory); },
            [](const QString &folder) { return TfStartForm::askCreateFolder(folder); }, &startMessages);
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
