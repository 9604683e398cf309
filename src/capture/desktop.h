#pragma once
// The window-system operations the route-planner capture needs: where the
// pointer is, a picture of a screen rectangle, the other programs' top-level
// windows, the text of whatever lies under a screen point, synthesized keys,
// system-wide hot keys. The capture logic sees only this interface; the X11
// adapter (capture/x11) and the scripted fake (capture/fake) implement it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace capture {

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// Screen rectangle; right and bottom are exclusive, as in the planners' own
// window rectangles.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// A captured picture: 0xRRGGBB per pixel, rows top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h, std::uint32_t fill = 0xFFFFFF)
        : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}
    std::uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    void set(int x, int y, std::uint32_t rgb) { pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = rgb; }
};

// 0 is "no window".
using WindowId = std::uint64_t;

struct TopLevelWindow {
    WindowId id = 0;
    std::string title;  // UTF-8, as the window manager has it
    ScreenRect frame;
    bool visible = false;
};

// What lies under a screen point: the innermost window, or the accessible
// object when the window itself has no name, with its text.
struct PointedObject {
    std::uint64_t id = 0;  // stable for as long as the object exists; 0 = nothing
    std::string text;
};

// Keys the capture synthesizes. Characters are sent as the key that types
// them, without shift state.
struct Key {
    enum class Kind { Character, Control, Alt, Tab, Return, F8 };
    Kind kind = Kind::Character;
    char character = 0;

    static Key of(char c) { return Key{Kind::Character, c}; }
    static Key named(Kind kind) { return Key{kind, 0}; }
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // False when there is no window system to capture from (no display, or
    // not an X11 one); `unavailableReason` then says why, for the user.
    virtual bool available() const = 0;
    virtual std::string unavailableReason() const = 0;

    virtual ScreenPoint pointer() const = 0;
    // The screen without panels and docks.
    virtual ScreenRect workArea() const = 0;
    // Pixels of the rectangle in the screen's current colours; parts outside
    // the screen are black.
    virtual Image grab(const ScreenRect& rect) = 0;

    // Top-level windows, topmost first.
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
    virtual WindowId activeWindow() = 0;
    // Brings the window to the top, makes it the foreground and active window.
    virtual void activate(WindowId window) = 0;
    // Asks the window to close, as its close button would.
    virtual void requestClose(WindowId window) = 0;
    virtual PointedObject objectAt(ScreenPoint point) = 0;

    // Goes to whatever window has the keyboard focus. Control and Alt stay
    // down until their key-up; any other key-down is one whole keystroke, so
    // no key is left held for the other programs (its key-up does nothing).
    virtual void sendKey(const Key& key, bool down) = 0;

    // A system-wide hot key: the character's key without modifiers. False
    // when another program holds it.
    virtual bool registerHotKey(int id, char key) = 0;
    virtual void unregisterHotKey(int id) = 0;
    // Called on the user-interface thread with the id of the pressed hot key.
    virtual void onHotKey(std::function<void(int id)> handler) = 0;

    // Waits while the user interface stays live; the planners need the
    // pauses of their key sequences.
    virtual void wait(int milliseconds) = 0;

    // --- for the program that hosts the desktop (its event loop) -----------
    // What `wait` runs to keep the user interface live.
    virtual void setEventProcessor(std::function<void()> processEvents) { (void)processEvents; }
    // A descriptor that turns readable when the window system has sent
    // something (a hot key press); -1 when there is none.
    virtual int eventDescriptor() const { return -1; }
    // Delivers what has arrived: hot key presses go to the onHotKey handler.
    virtual void dispatchEvents() {}
};

}  // namespace capture
