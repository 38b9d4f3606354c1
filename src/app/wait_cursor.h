// The hourglass while a command works: set for the lifetime of a WaitCursor.
#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace lumacite::app {

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace lumacite::app
