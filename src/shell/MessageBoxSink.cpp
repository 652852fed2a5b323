#include "MessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// A message box must show the normal cursor even inside a long command.
class NormalCursor
{
public:
    NormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

void MessageBoxSink::error(const QString &message)
{
    NormalCursor cursor;
    QMessageBox::critical(m_parent, QStringLiteral("Korvent"), message);
}

void MessageBoxSink::warning(const QString &message)
{
    NormalCursor cursor;
    QMessageBox::warning(m_parent, QStringLiteral("Korvent"), message);
}
