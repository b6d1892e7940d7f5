#pragma once

#include <QCursor>
#include <QGuiApplication>

// Shows the busy cursor for as long as it lives: work that can keep the window from
// answering for more than a moment says so.
class BusyCursor {
public:
    explicit BusyCursor(bool show = true) : shown_(show && QGuiApplication::instance()) {
        if (shown_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor() {
        if (shown_)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool shown_;
};
