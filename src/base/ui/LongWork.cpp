#include "base/ui/LongWork.h"

#include "base/MessageSink.h"
#include "base/WorkProgress.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/OverrideCursor.h"
#include "store/uData.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMutex>
#include <QMutexLocker>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <atomic>
#include <exception>
#include <memory>
#include <vector>

namespace {

// Often enough for the count to look alive, seldom enough to cost nothing.
constexpr int progressPollMs = 50;

QString text(const char *source)
{
    return QCoreApplication::translate("LongWork", source);
}

// The worker's steps, read by a timer on the window thread: the worker never
// waits for the window.
class SharedProgress final : public WorkProgress
{
public:
    struct State
    {
        QString what;
        qint64 done = 0;
        qint64 total = 0;
    };

    void step(const QString &what, qint64 done, qint64 total) override
    {
        const QMutexLocker lock(&m_mutex);
        m_state = {what, done, total};
    }
    bool cancelled() const override { return m_cancelled.load(); }

    void cancel() { m_cancelled = true; }
    State state() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_state;
    }

private:
    mutable QMutex m_mutex;
    State m_state;
    std::atomic_bool m_cancelled{false};
};

// The core's messages, kept in order until the work is over.
class CollectedMessages final : public MessageSink
{
public:
    void error(const QString &message) override { add(true, message); }
    void warning(const QString &message) override { add(false, message); }

    void showAll(QWidget *parent)
    {
        std::vector<std::pair<bool, QString>> messages;
        {
            const QMutexLocker lock(&m_mutex);
            messages.swap(m_messages);
        }
        MessageBoxSink boxes(parent);
        for (const auto &[isError, text] : messages)
            isError ? boxes.error(text) : boxes.warning(text);
    }

private:
    void add(bool isError, const QString &message)
    {
        const QMutexLocker lock(&m_mutex);
        m_messages.emplace_back(isError, message);
    }

    QMutex m_mutex;
    std::vector<std::pair<bool, QString>> m_messages;
};

// What is being done, "n of N", and Cancel.
class TLongWorkDialog final : public QDialog
{
public:
    TLongWorkDialog(QWidget *parent, const QString &caption, SharedProgress &progress)
        : QDialog(parent)
        , m_progress(progress)
    {
        setObjectName(QStringLiteral("fLongWork"));
        setWindowTitle(caption);
        setWindowModality(Qt::ApplicationModal);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        m_what = new QLabel(this);
        m_what->setObjectName(QStringLiteral("lWhat"));
        m_bar = new QProgressBar(this);
        m_bar->setObjectName(QStringLiteral("pbProgress"));
        m_bar->setTextVisible(false);
        m_count = new QLabel(this);
        m_count->setObjectName(QStringLiteral("lCount"));
        m_cancel = new QPushButton(text("Cancel"), this);
        m_cancel->setObjectName(QStringLiteral("btnCancel"));
        connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_what);
        layout->addWidget(m_bar);
        layout->addWidget(m_count);
        layout->addWidget(m_cancel, 0, Qt::AlignRight);
        setMinimumWidth(380);
        refresh();
    }

    void refresh()
    {
        const SharedProgress::State state = m_progress.state();
        // Before the work's first step, or work that reports none: what the command is.
        m_what->setText(m_progress.cancelled() ? text("Stopping...") : state.what.isEmpty() ? windowTitle() : state.what);
        if (state.total > 0) {
            // Per mille: counts beyond an int fit too.
            m_bar->setRange(0, 1000);
            m_bar->setValue(static_cast<int>(qBound(qint64(0), state.done * 1000 / state.total, qint64(1000))));
            m_count->setText(text("%1 of %2").arg(state.done).arg(state.total));
        } else {
            m_bar->setRange(0, 0); // busy: the count is not known
            m_count->setText(state.done > 0 ? QString::number(state.done) : QString());
        }
    }

    // Cancel, Escape and the close button ask the work to stop; the dialog
    // stays until it has.
    void reject() override
    {
        if (m_progress.cancelled())
            return;
        m_progress.cancel();
        m_cancel->setEnabled(false);
        refresh();
    }

private:
    SharedProgress &m_progress;
    QLabel *m_what;
    QProgressBar *m_bar;
    QLabel *m_count;
    QPushButton *m_cancel;
};

// Holds back the operator's input to every window but the progress dialog
// while the work runs, also before the dialog shows.
class InputHold final : public QObject
{
public:
    explicit InputHold(const QDialog &dialog) : m_dialog(dialog) { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Shortcut:
            return true; // menu commands and their shortcuts of every window
        case QEvent::Close:
            // Closing a window would end it under the work. A close event
            // comes accepted: filtered out as it is, the window would still close.
            if (auto *widget = qobject_cast<QWidget *>(watched); widget && widget->isWindow() && !toDialog(watched)) {
                event->ignore();
                return true;
            }
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Drop:
            return !toDialog(watched);
        default:
            return false;
        }
    }

private:
    bool toDialog(QObject *watched) const
    {
        if (!m_dialog.isVisible())
            return false;
        if (auto *widget = qobject_cast<QWidget *>(watched))
            return widget == &m_dialog || m_dialog.isAncestorOf(widget);
        return watched == m_dialog.windowHandle();
    }

    const QDialog &m_dialog;
};

} // namespace

LongWork::LongWork(QWidget *parent, const QString &eventDirectory, const QString &caption)
    : m_parent(parent)
    , m_eventDirectory(eventDirectory)
    , m_caption(caption)
{
}

bool LongWork::execute(const std::function<void(LongWorkTools &)> &work)
{
    SharedProgress progress;
    CollectedMessages messages;
    std::exception_ptr failure;

    {
        TLongWorkDialog dialog(m_parent, m_caption, progress);
        const InputHold hold(dialog);
        const OverrideCursor busy(Qt::BusyCursor);
        // A Qt SQL connection belongs to the thread that opens it: the work
        // opens its own, beside the window's.
        std::unique_ptr<QThread> worker(QThread::create([&] {
            try {
                TdmData data(m_eventDirectory);
                LongWorkTools tools{data, progress, messages};
                work(tools);
            } catch (...) {
                failure = std::current_exception();
            }
        }));
        worker->setObjectName(QStringLiteral("LongWork"));
        QEventLoop loop;
        QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (dialog.isVisible())
                dialog.refresh();
        });
        QTimer delay;
        delay.setSingleShot(true);
        // A coarse timer may fire 5 % early; short work must never flash the dialog.
        delay.setTimerType(Qt::PreciseTimer);
        QObject::connect(&delay, &QTimer::timeout, &dialog, [&] {
            dialog.refresh();
            dialog.show();
        });
        delay.start(dialogDelayMs);
        poll.start(progressPollMs);
        worker->start();
        loop.exec();
        worker->wait();
        dialog.accept();
    }

    messages.showAll(m_parent);
    if (!failure)
        return true;
    try {
        std::rethrow_exception(failure);
    } catch (const WorkCancelled &) {
        return false;
    }
}
