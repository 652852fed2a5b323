#pragma once

#include <QApplication>

// A cursor shape for the whole application while this object lives
// (the wait cursor over a long command, the arrow over a message inside one).
class OverrideCursor
{
public:
    explicit OverrideCursor(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~OverrideCursor() { QApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor &) = delete;
    OverrideCursor &operator=(const OverrideCursor &) = delete;
};
