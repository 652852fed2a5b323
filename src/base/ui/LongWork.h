#pragma once

// A window's long command (calculate all, a report, an import, the data
// check) run on a worker thread with a connection of its own, while the
// window thread stays in its event loop: the windows repaint and readouts go
// on. Input to every window is held back from the first moment, so no second
// command starts; after a short while a modal dialog shows what is being done
// and "n of N", with Cancel: the long work of the windows is all-or-nothing
// or stops between whole steps (a team of a calculation).
//
// What the core tells a MessageSink during the work is shown in message boxes
// once the work is over, in order: a box never waits on the operator while the
// worker holds a transaction. A KorventError raised by the work reaches the
// caller as the same error; WorkCancelled does not: the run says it was
// cancelled.

#include "store/uData.h"

#include <QString>
#include <functional>
#include <optional>
#include <type_traits>

class MessageSink;
class QWidget;
class WorkProgress;

// What the work is given, all of it for use on the worker thread only.
struct LongWorkTools
{
    TdmData &data; // the event database, opened in the worker thread
    WorkProgress &progress;
    MessageSink &messages;
};

class LongWork
{
public:
    // The dialog over `parent` is captioned `caption`; the work's database is
    // the one in `eventDirectory`.
    LongWork(QWidget *parent, const QString &eventDirectory, const QString &caption);

    // Runs the work and returns its result, or nullopt when it was cancelled
    // (raised WorkCancelled). Work without a result gives true when it ran to
    // its end. Errors of the work are raised here, on the window thread.
    template<typename Work>
    auto run(Work &&work)
    {
        using Result = std::invoke_result_t<Work &, LongWorkTools &>;
        if constexpr (std::is_void_v<Result>) {
            return execute([&](LongWorkTools &tools) { work(tools); });
        } else {
            std::optional<Result> result;
            if (!execute([&](LongWorkTools &tools) { result.emplace(work(tools)); }))
                result.reset();
            return result;
        }
    }

    // How long the work may run before the dialog shows: shorter work never flashes one.
    static constexpr int dialogDelayMs = 300;

private:
    // False when the work raised WorkCancelled.
    bool execute(const std::function<void(LongWorkTools &)> &work);

    QWidget *m_parent;
    QString m_eventDirectory;
    QString m_caption;
};
