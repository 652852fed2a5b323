#pragma once

// The box that ends a command which wrote files: it says "Done!" (or the
// command's own text), names what was written, and offers to open it with
// the desktop's program: a single file itself, several files their folder.

#include <QString>
#include <QStringList>

class QWidget;

void ShowDoneMessage(QWidget *parent, const QStringList &written, const QString &text = QString());
