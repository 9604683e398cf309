#pragma once
// Feeds the desktop's events (hot key presses) from the Qt event loop, and
// lets the desktop's waits keep the user interface live.

#include <QObject>

class QSocketNotifier;
class QTimer;

namespace capture {
class Desktop;
}

namespace capture::ui {

class DesktopEvents : public QObject {
public:
    DesktopEvents(Desktop& desktop, QObject* parent = nullptr);
    ~DesktopEvents() override;

private:
    Desktop& desktop_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* sweep_ = nullptr;
};

}  // namespace capture::ui
