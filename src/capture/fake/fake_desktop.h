#pragma once
// A scripted desktop for the capture tests: the test sets the screen, the
// pointer, the windows and what lies under each point, and reads back the
// keys, activations and close requests the capture made.

#include <map>
#include <set>

#include "capture/desktop.h"

namespace capture {

class FakeDesktop : public Desktop {
public:
    struct SentKey {
        Key key;
        bool down = false;
        bool operator==(const SentKey& other) const {
            return key.kind == other.key.kind && key.character == other.key.character && down == other.down;
        }
    };

    // --- scripted state ---
    bool isAvailable = true;
    Image screen{1024, 768, 0x000000};
    ScreenPoint pointerAt;
    ScreenRect work{0, 0, 1024, 740};
    std::vector<TopLevelWindow> windows;  // topmost first
    WindowId active = 0;
    std::function<PointedObject(ScreenPoint)> objectAtPoint;
    std::set<char> takenHotKeys;  // registering these fails

    // --- what the capture did ---
    std::vector<SentKey> keys;
    std::vector<WindowId> activations;
    std::vector<WindowId> closeRequests;
    std::map<int, char> hotKeys;
    int waitedMs = 0;
    std::vector<int> waits;

    bool available() const override { return isAvailable; }
    std::string unavailableReason() const override { return isAvailable ? "" : "no display"; }
    ScreenPoint pointer() const override { return pointerAt; }
    ScreenRect workArea() const override { return work; }

    Image grab(const ScreenRect& rect) override {
        Image image(rect.width(), rect.height(), 0x000000);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                int sx = rect.left + x, sy = rect.top + y;
                if (sx >= 0 && sy >= 0 && sx < screen.width && sy < screen.height) image.set(x, y, screen.at(sx, sy));
            }
        return image;
    }

    std::vector<TopLevelWindow> topLevelWindows() override { return windows; }
    WindowId activeWindow() override { return active; }
    void activate(WindowId window) override {
        active = window;
        activations.push_back(window);
    }
    void requestClose(WindowId window) override { closeRequests.push_back(window); }
    PointedObject objectAt(ScreenPoint point) override { return objectAtPoint ? objectAtPoint(point) : PointedObject{}; }

    void sendKey(const Key& key, bool down) override { keys.push_back({key, down}); }

    bool registerHotKey(int id, char key) override {
        if (takenHotKeys.count(key)) return false;
        hotKeys[id] = key;
        return true;
    }
    void unregisterHotKey(int id) override { hotKeys.erase(id); }
    void onHotKey(std::function<void(int id)> handler) override { hotKeyHandler_ = std::move(handler); }
    void wait(int milliseconds) override {
        waitedMs += milliseconds;
        waits.push_back(milliseconds);
    }

    // The test presses a registered hot key.
    bool pressHotKey(int id) {
        if (!hotKeys.count(id) || !hotKeyHandler_) return false;
        hotKeyHandler_(id);
        return true;
    }

private:
    std::function<void(int)> hotKeyHandler_;
};

}  // namespace capture
