// Acting on the modal window a command opens, from a timer of the event loop that runs it.
#pragma once

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace lumacite::testing {

// Runs `act` on the next modal widget of type W: looks every 5 ms, `tries` times at most.
// Each look is a fresh timer holding a copy of `act`; nothing refers to itself, so nothing
// is left behind when the last look has run.
template <class W, class Act> void when_modal(Act act, int tries = 200, int delay_ms = 0) {
    QTimer::singleShot(delay_ms, [act, tries] {
        auto* widget = qobject_cast<W*>(QApplication::activeModalWidget());
        if (widget == nullptr) {
            if (tries > 1) {
                when_modal<W>(act, tries - 1, 5);
            }
            return;
        }
        act(*widget);
    });
}

// Runs `act` on the modal dialog of type Dialog that the next command opens. A dialog that
// `act` leaves open is cancelled and fails the test, so a test never hangs.
template <class Dialog> void on_dialog(std::function<void(Dialog&)> act) {
    when_modal<Dialog>([act](Dialog& d) {
        act(d);
        if (d.isVisible()) {
            ADD_FAILURE() << "dialog left open: " << d.windowTitle().toStdString();
            d.reject();
        }
    });
}

} // namespace lumacite::testing
