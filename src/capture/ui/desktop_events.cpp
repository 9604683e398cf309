#include "capture/ui/desktop_events.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "capture/desktop.h"

namespace capture::ui {

namespace {
// The window system's library may read events off the connection while
// answering a request; those never make the descriptor readable again, so
// a slow sweep picks them up.
constexpr int kSweepMs = 100;
}  // namespace

DesktopEvents::DesktopEvents(Desktop& desktop, QObject* parent) : QObject(parent), desktop_(desktop) {
    desktop_.setEventProcessor([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    int fd = desktop_.eventDescriptor();
    if (fd >= 0) {
        notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { desktop_.dispatchEvents(); });
    }
    sweep_ = new QTimer(this);
    connect(sweep_, &QTimer::timeout, this, [this] { desktop_.dispatchEvents(); });
    sweep_->start(kSweepMs);
}

DesktopEvents::~DesktopEvents() { desktop_.setEventProcessor(nullptr); }

}  // namespace capture::ui
