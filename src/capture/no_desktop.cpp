// A desktop for builds without a window-system adapter: every capture
// command reports it as unavailable instead of showing a window that cannot
// read the screen.

#include "capture/desktop_factory.h"

#include <algorithm>

namespace capture {

namespace {

class NoDesktop : public Desktop {
public:
    bool available() const override { return false; }
    std::string unavailableReason() const override {
        return "This build of Pathkeep cannot read other programs' windows.";
    }
    ScreenPoint pointer() const override { return {}; }
    ScreenRect workArea() const override { return {}; }
    Image grab(const ScreenRect& rect) override {
        return Image(std::max(rect.width(), 0), std::max(rect.height(), 0), 0x000000);
    }
    std::vector<TopLevelWindow> topLevelWindows() override { return {}; }
    WindowId activeWindow() override { return 0; }
    void activate(WindowId) override {}
    void requestClose(WindowId) override {}
    PointedObject objectAt(ScreenPoint) override { return {}; }
    void sendKey(const Key&, bool) override {}
    bool registerHotKey(int, char) override { return false; }
    void unregisterHotKey(int) override {}
    void onHotKey(std::function<void(int)>) override {}
    void wait(int) override {}
};

}  // namespace

std::unique_ptr<Desktop> OpenDesktop() { return std::make_unique<NoDesktop>(); }

}  // namespace capture
