#pragma once

// Answering the modal dialogs a window test runs into.

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>

// Runs `answer` on the next modal dialog of type T once it is shown. A
// dialog the answer leaves open is a failure, and is closed so the test ends.
// A dialog not shown within the time given is a failure too: the wait ends
// there, so that it cannot answer a dialog of a later test.
template<typename T>
void whenModal(std::function<void(T *)> answer, QDeadlineTimer within = QDeadlineTimer(std::chrono::seconds(10)))
{
    QTimer::singleShot(20, [answer = std::move(answer), within] {
        QPointer<T> dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            if (within.hasExpired())
                ADD_FAILURE() << "no " << T::staticMetaObject.className() << " was shown";
            else
                whenModal<T>(answer, within);
            return;
        }
        answer(dialog);
        if (dialog && dialog->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            static_cast<QDialog *>(dialog.data())->reject();
        }
    });
}

// Types the name into the dialog's file name box and presses Enter. The
// file the dialog had selected is let go, as typing into the box does.
inline void typeFileName(QFileDialog *dialog, const QString &name)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(edit);
    if (auto *files = dialog->findChild<QAbstractItemView *>(QStringLiteral("listView")))
        files->clearSelection();
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Waits until the dialog lists the folder with the type of every file worked
// out (Qt does that in a thread of its own), as an operator sees it.
inline bool waitUntilListed(QFileDialog *dialog, const QString &folder, int leastFiles)
{
    auto *model = dialog->findChild<QFileSystemModel *>();
    if (!model)
        return false;
    return QTest::qWaitFor([&] {
        const QModelIndex root = model->index(QDir::cleanPath(folder));
        if (model->rowCount(root) < leastFiles)
            return false;
        for (int row = 0; row < model->rowCount(root); ++row) {
            const QModelIndex index = model->index(row, 0, root);
            model->data(index, Qt::DecorationRole);
            if (model->type(index).isEmpty())
                return false;
        }
        return true;
    }, 10'000);
}
