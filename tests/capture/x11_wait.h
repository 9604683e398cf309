#pragma once
// Waiting in the X11 tests: a condition polled while Qt and the desktop
// under test keep handling their events, up to a bound.

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "capture/desktop.h"

inline void pumpEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// Waits up to `ms` for the condition while Qt and the desktop stay live.
template <typename F>
bool waitFor(F condition, int ms, capture::Desktop* desktop = nullptr) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (desktop) desktop->dispatchEvents();
        if (condition()) return true;
        pumpEvents();
    }
    return condition();
}
