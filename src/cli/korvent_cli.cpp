// korvent-cli --event DIR <command> [arguments]: the main window's commands, headless.

#include "cli/CliCommands.h"
#include "cli/CliCompletion.h"
#include "cli/StderrSink.h"
#include "shell/StartupSequence.h"
#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/VersionText.h"
#include "store/uData.h"

#include <QGuiApplication>
#include <QDir>
#include <memory>
#include <QTextStream>
#include <new>

namespace {

// The usage text, also the source of the manual page (help2man reads it).
void writeUsage(QTextStream &stream)
{
    stream << "Usage: korvent-cli --event DIR <command> [arguments]\n"
              "Runs a command of Korvent, the rogaining secretariat program, on the event in the folder DIR.\n"
              "\n"
              "Options:\n";
    for (const CliOption &option : CliOptions())
        stream << "  " << option.usage << '\n';
    stream << "\n"
              "Commands:\n";
    for (const CliCommand &command : CliCommands())
        stream << "  " << command.usage << '\n';
}

int usage(QTextStream &err)
{
    writeUsage(err);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    // Headless, yet route maps are drawn with text.
    Platform::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    // A file name that is not text in the system's encoding would be read as
    // another name: the command would work on a file that was not meant.
    for (int i = 1; i < argc; ++i) {
        if (QString::fromLocal8Bit(argv[i]).toLocal8Bit() != QByteArrayView(argv[i])) {
            err << "korvent-cli: argument " << i << " is not text in the system's encoding (UTF-8); rename the file or folder\n";
            return 1;
        }
    }
    QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 1) {
        const QString &option = arguments.first();
        if (option == QLatin1String("--help")) {
            writeUsage(out);
            return 0;
        }
        if (option == QLatin1String("--version")) {
            out << "korvent-cli " << VersionText(ProgramVersion(), true, u'.') << '\n';
            return 0;
        }
        if (option == QLatin1String("--bash-completion")) {
            out << BashCompletionScript();
            return 0;
        }
    }
    QString eventDirectory;
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--event")) {
        eventDirectory = arguments.at(1);
        arguments = arguments.mid(2);
    }
    if (eventDirectory.isEmpty() || arguments.isEmpty())
        return usage(err);

    const QString name = arguments.takeFirst();
    const auto &commands = CliCommands();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const CliCommand &c) { return name == QLatin1String(c.name); });
    if (command == commands.end()) {
        err << "korvent-cli: unknown command \"" << name << "\"\n";
        return usage(err);
    }

    if (command->givesWay)
        Platform::lowerThreadPriority();
    try {
        std::unique_ptr<TdmData> data;
        StderrSink startMessages;
        StartupSequence::OpenEvent openEvent;
        if (!command->runOnFolder)
            openEvent = [&](const EventLocation &event) { data = std::make_unique<TdmData>(event.eventDirectory); };
        const EventLocation location = StartupSequence::settle(ProgramFiles::ofThisProgram(), {eventDirectory}, nullptr, openEvent, {}, &startMessages);
        if (command->runOnFolder)
            return command->runOnFolder(location, out, arguments);
        CliContext context{location, *data, out};
        return command->run(context, arguments);
    } catch (const KorventError &error) {
        out.flush();
        err << "korvent-cli: " << error.message() << '\n';
        return 1;
    } catch (const std::bad_alloc &) {
        // A file far too large for what it claims to be; the open transaction is rolled back.
        out.flush();
        err << "korvent-cli: not enough memory to finish the command\n";
        return 1;
    }
}
