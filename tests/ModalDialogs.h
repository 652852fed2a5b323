#pragma once

// Answering the modal dialogs a window test runs into.

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Runs `answer` on the next modal dialog of type T once it is shown. A
// dialog the answer leaves open is a failure, and is closed so the test ends.
template<typename T>
void whenModal(std::function<void(T *)> answer)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [answer, poll] {
        QPointer<T> dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            QTimer::singleShot(20, *poll);
            return;
        }
        answer(dialog);
        if (dialog && dialog->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            static_cast<QDialog *>(dialog.data())->reject();
        }
    };
    QTimer::singleShot(20, *poll);
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
