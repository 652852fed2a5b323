#include "base/ui/MessageBoxSink.h"

#include "base/ui/OverrideCursor.h"

#include <QMessageBox>

// A message box shows the normal cursor even inside a long command.

void MessageBoxSink::error(const QString &message)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox::critical(m_parent, QStringLiteral("Korvent"), message);
}

void MessageBoxSink::warning(const QString &message)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox::warning(m_parent, QStringLiteral("Korvent"), message);
}
