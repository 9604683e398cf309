#include "capture/x11/x11_desktop.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

#include "capture/x11/atspi_probe.h"

namespace capture {

namespace {

constexpr const char* kNoDisplay = "No X11 display: set DISPLAY (Wayland sessions need XWayland).";
// Slices of a wait, so hot keys and the user interface stay live meanwhile.
constexpr int kWaitSliceMs = 5;
// Window trees are shallow; a broken one must not loop.
constexpr int kMaxWindowDepth = 64;
constexpr std::chrono::milliseconds kFactsFreshFor{500};

// Xlib reports protocol errors through one process-wide handler, and its
// default handler ends the process: a window that vanishes between two
// requests is normal here, so errors are noted instead.
int g_lastError = 0;
int noteError(Display*, XErrorEvent* event) {
    g_lastError = event->error_code;
    return 0;
}

// Collects the errors of the requests made while it lives. Requests with a
// reply report their errors by the time they return; requests without one
// (grabs, raises, sent events) need the round trip of `finishSynced`.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* d) : d_(d) { g_lastError = 0; }
    int finish() {
        int e = g_lastError;
        g_lastError = 0;
        return e;
    }
    int finishSynced() {
        XSync(d_, False);
        return finish();
    }

private:
    Display* d_;
};

struct Atoms {
    Atom netClientList, netClientListStacking, netWmName, utf8String, netActiveWindow, netCloseWindow,
        netWorkArea, netCurrentDesktop, netFrameExtents, netSupported, netWmPid, wmProtocols, wmDeleteWindow, wmState;

    explicit Atoms(Display* d) {
        auto a = [d](const char* name) { return XInternAtom(d, name, False); };
        netClientList = a("_NET_CLIENT_LIST");
        netClientListStacking = a("_NET_CLIENT_LIST_STACKING");
        netWmName = a("_NET_WM_NAME");
        utf8String = a("UTF8_STRING");
        netActiveWindow = a("_NET_ACTIVE_WINDOW");
        netCloseWindow = a("_NET_CLOSE_WINDOW");
        netWorkArea = a("_NET_WORKAREA");
        netCurrentDesktop = a("_NET_CURRENT_DESKTOP");
        netFrameExtents = a("_NET_FRAME_EXTENTS");
        netSupported = a("_NET_SUPPORTED");
        netWmPid = a("_NET_WM_PID");
        wmProtocols = a("WM_PROTOCOLS");
        wmDeleteWindow = a("WM_DELETE_WINDOW");
        wmState = a("WM_STATE");
    }
};

// The keysym that types a character without shift: letters by their lower
// case, the other printable ASCII characters by their own code (Latin-1
// keysyms equal the character codes).
KeySym keysymOf(const Key& key) {
    switch (key.kind) {
        case Key::Kind::Control: return XK_Control_L;
        case Key::Kind::Alt: return XK_Alt_L;
        case Key::Kind::Tab: return XK_Tab;
        case Key::Kind::Return: return XK_Return;
        case Key::Kind::F8: return XK_F8;
        case Key::Kind::Character: break;
    }
    unsigned char c = static_cast<unsigned char>(key.character);
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    if (c == '\r' || c == '\n') return XK_Return;
    if (c == '\t') return XK_Tab;
    if (c < 0x20 || c > 0x7e) return NoSymbol;
    return c;
}

bool isModifier(const Key& key) { return key.kind == Key::Kind::Control || key.kind == Key::Kind::Alt; }

class X11Desktop final : public Desktop {
public:
    explicit X11Desktop(Display* d) : d_(d), root_(DefaultRootWindow(d)), atoms_(d) {
        XSetErrorHandler(noteError);
        int event = 0, error = 0, major = 0, minor = 0;
        hasXTest_ = XTestQueryExtension(d_, &event, &error, &major, &minor);
        lockMasks_ = {0u, static_cast<unsigned>(LockMask), numLockMask(), numLockMask() | LockMask};
    }

    ~X11Desktop() override {
        for (const auto& [id, keycode] : hotKeys_) ungrab(keycode);
        XCloseDisplay(d_);
    }

    bool available() const override { return true; }
    std::string unavailableReason() const override { return {}; }

    ScreenPoint pointer() const override {
        Window rootReturn = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(d_, root_, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask);
        return {rx, ry};
    }

    ScreenRect workArea() const override {
        ScreenRect screen{0, 0, DisplayWidth(d_, DefaultScreen(d_)), DisplayHeight(d_, DefaultScreen(d_))};
        std::vector<long> area = cardinals(root_, atoms_.netWorkArea);
        std::vector<long> current = cardinals(root_, atoms_.netCurrentDesktop);
        size_t desktop = current.empty() ? 0 : static_cast<size_t>(std::max(0L, current[0]));
        if (area.size() < (desktop + 1) * 4) desktop = 0;
        if (area.size() < 4) return screen;
        const long* a = &area[desktop * 4];
        if (a[2] <= 0 || a[3] <= 0) return screen;
        return {static_cast<int>(a[0]), static_cast<int>(a[1]), static_cast<int>(a[0] + a[2]),
                static_cast<int>(a[1] + a[3])};
    }

    Image grab(const ScreenRect& rect) override {
        Image image(std::max(0, rect.width()), std::max(0, rect.height()), 0x000000);
        int sw = DisplayWidth(d_, DefaultScreen(d_)), sh = DisplayHeight(d_, DefaultScreen(d_));
        int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
        int right = std::min(rect.right, sw), bottom = std::min(rect.bottom, sh);
        if (right <= left || bottom <= top) return image;
        ErrorTrap trap(d_);
        XImage* x = XGetImage(d_, root_, left, top, static_cast<unsigned>(right - left),
                              static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
        trap.finish();
        if (!x) return image;
        Visual* visual = DefaultVisual(d_, DefaultScreen(d_));
        for (int y = 0; y < bottom - top; ++y)
            for (int col = 0; col < right - left; ++col)
                image.set(left - rect.left + col, top - rect.top + y, toRgb(XGetPixel(x, col, y), x, visual));
        XDestroyImage(x);
        return image;
    }

    std::vector<TopLevelWindow> topLevelWindows() override {
        std::vector<Window> ids;
        std::vector<long> stacking = cardinals(root_, atoms_.netClientListStacking, XA_WINDOW);
        if (!stacking.empty()) {
            // The stacking list runs bottom to top.
            for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) ids.push_back(static_cast<Window>(*it));
        } else {
            std::vector<long> clients = cardinals(root_, atoms_.netClientList, XA_WINDOW);
            for (long c : clients) ids.push_back(static_cast<Window>(c));
        }
        if (ids.empty()) ids = rootChildrenTopFirst();
        std::vector<TopLevelWindow> out;
        for (Window w : ids) {
            XWindowAttributes attributes;
            ErrorTrap trap(d_);
            Status ok = XGetWindowAttributes(d_, w, &attributes);
            if (trap.finish() || !ok) continue;  // gone meanwhile
            TopLevelWindow t;
            t.id = w;
            t.title = title(w);
            t.visible = attributes.map_state == IsViewable;
            t.frame = frameOf(w, attributes);
            out.push_back(std::move(t));
        }
        return out;
    }

    WindowId activeWindow() override {
        std::vector<long> active = cardinals(root_, atoms_.netActiveWindow, XA_WINDOW);
        if (!active.empty() && active[0]) return static_cast<WindowId>(active[0]);
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(d_, &focus, &revert);
        return focus == PointerRoot || focus == None ? 0 : focus;
    }

    void activate(WindowId window) override {
        if (!window) return;
        ErrorTrap trap(d_);
        XRaiseWindow(d_, static_cast<Window>(window));
        if (supported(atoms_.netActiveWindow)) {
            // Source 2: a pager acting for the user, which window managers obey.
            sendToRoot(static_cast<Window>(window), atoms_.netActiveWindow, {2, CurrentTime, 0});
        } else {
            XSetInputFocus(d_, static_cast<Window>(window), RevertToParent, CurrentTime);
        }
        trap.finishSynced();
    }

    void requestClose(WindowId window) override {
        if (!window) return;
        ErrorTrap trap(d_);
        if (supported(atoms_.netCloseWindow)) {
            sendToRoot(static_cast<Window>(window), atoms_.netCloseWindow, {CurrentTime, 2, 0});
        } else if (hasProtocol(static_cast<Window>(window), atoms_.wmDeleteWindow)) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = static_cast<Window>(window);
            e.xclient.message_type = atoms_.wmProtocols;
            e.xclient.format = 32;
            e.xclient.data.l[0] = static_cast<long>(atoms_.wmDeleteWindow);
            e.xclient.data.l[1] = CurrentTime;
            XSendEvent(d_, static_cast<Window>(window), False, NoEventMask, &e);
        }
        trap.finishSynced();
    }

    PointedObject objectAt(ScreenPoint point) override {
        // The path from the root down to the innermost window under the point.
        std::vector<Window> path{root_};
        for (int depth = 0; depth < kMaxWindowDepth; ++depth) {
            Window child = None;
            int x = 0, y = 0;
            ErrorTrap trap(d_);
            Bool ok = XTranslateCoordinates(d_, root_, path.back(), point.x, point.y, &x, &y, &child);
            if (trap.finish() || !ok || child == None) break;
            path.push_back(child);
        }
        Window innermost = path.back();
        auto client = std::find_if(path.begin(), path.end(), [this](Window w) { return facts(w).client; });
        if (client == path.end()) return {innermost, title(innermost)};
        // A named child window below the program's top-level window is a
        // control of its own, as in toolkits that give each control a window.
        if (innermost != *client) {
            std::string name = title(innermost);
            if (!name.empty()) return {innermost, name};
        }
        const WindowFacts& top = facts(*client);
        // Asking our own accessibility tree would wait for the very event
        // loop that is asking.
        if (top.pid != 0 && top.pid != static_cast<unsigned>(getpid())) {
            if (!atspi_) atspi_ = std::make_unique<x11::AtspiProbe>();
            x11::AccessibleHit hit = atspi_->objectAt(top.pid, top.title, point.x, point.y);
            if (hit.found) return {hit.id, hit.text};
        }
        return {*client, top.title};
    }

    void sendKey(const Key& key, bool down) override {
        if (!hasXTest_) return;
        KeySym sym = keysymOf(key);
        if (sym == NoSymbol) return;
        KeyCode code = XKeysymToKeycode(d_, sym);
        if (!code) return;
        if (isModifier(key)) {
            XTestFakeKeyEvent(d_, code, down ? True : False, CurrentTime);
        } else if (down) {
            // X keeps a key down until it is released: a lone key-down would
            // leave the key held for every program. Each key-down is one
            // keystroke; the key-up then has nothing left to do.
            XTestFakeKeyEvent(d_, code, True, CurrentTime);
            XTestFakeKeyEvent(d_, code, False, CurrentTime);
        }
        XFlush(d_);
    }

    bool registerHotKey(int id, char key) override {
        unregisterHotKey(id);
        KeySym sym = keysymOf(Key::of(key));
        KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d_, sym);
        if (!code) return false;
        // One key, one owner: within this program as between programs.
        for (const auto& [other, otherCode] : hotKeys_)
            if (otherCode == code) return false;
        ErrorTrap trap(d_);
        // The key counts with or without Num Lock and Caps Lock on.
        for (unsigned mask : lockMasks_) XGrabKey(d_, code, mask, root_, True, GrabModeAsync, GrabModeAsync);
        if (trap.finishSynced() == BadAccess) {
            ungrab(code);
            return false;
        }
        hotKeys_[id] = code;
        return true;
    }

    void unregisterHotKey(int id) override {
        auto it = hotKeys_.find(id);
        if (it == hotKeys_.end()) return;
        ungrab(it->second);
        hotKeys_.erase(it);
        XFlush(d_);
    }

    void onHotKey(std::function<void(int id)> handler) override { hotKeyHandler_ = std::move(handler); }

    void wait(int milliseconds) override {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            if (processEvents_) processEvents_();
            dispatchEvents();
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long>(left.count(), kWaitSliceMs)));
        }
    }

    void setEventProcessor(std::function<void()> processEvents) override { processEvents_ = std::move(processEvents); }
    int eventDescriptor() const override { return ConnectionNumber(d_); }

    void dispatchEvents() override {
        while (XPending(d_) > 0) {
            XEvent e;
            XNextEvent(d_, &e);
            if (e.type != KeyPress) continue;
            for (const auto& [id, code] : hotKeys_)
                if (code == e.xkey.keycode) {
                    if (hotKeyHandler_) hotKeyHandler_(id);
                    break;
                }
        }
    }

private:
    // What objectAt needs of the windows on its path, kept for a moment: a
    // sensor read probes a hundred points of the same few windows.
    struct WindowFacts {
        bool client = false;  // a program's top-level window
        std::string title;
        unsigned pid = 0;
    };
    const WindowFacts& facts(Window w) {
        auto now = std::chrono::steady_clock::now();
        if (now - factsSince_ > kFactsFreshFor) {
            facts_.clear();
            factsSince_ = now;
        }
        auto it = facts_.find(w);
        if (it != facts_.end()) return it->second;
        WindowFacts f;
        f.client = hasProperty(w, atoms_.wmState);
        if (f.client) {
            f.title = title(w);
            f.pid = processOf(w);
        }
        return facts_.emplace(w, std::move(f)).first->second;
    }

    unsigned numLockMask() const {
        unsigned mask = 0;
        XModifierKeymap* map = XGetModifierMapping(d_);
        if (!map) return 0;
        KeyCode numLock = XKeysymToKeycode(d_, XK_Num_Lock);
        for (int m = 0; m < 8; ++m)
            for (int k = 0; k < map->max_keypermod; ++k)
                if (numLock && map->modifiermap[m * map->max_keypermod + k] == numLock) mask = 1u << m;
        XFreeModifiermap(map);
        return mask;
    }

    void ungrab(KeyCode code) {
        ErrorTrap trap(d_);
        for (unsigned mask : lockMasks_) XUngrabKey(d_, code, mask, root_);
        trap.finishSynced();
    }

    // A property of 32-bit items (CARDINAL by default), as longs.
    std::vector<long> cardinals(Window w, Atom property, Atom type = XA_CARDINAL) const {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        ErrorTrap trap(d_);
        int rc = XGetWindowProperty(d_, w, property, 0, 1L << 16, False, type, &actualType, &format, &count, &after,
                                    &data);
        int error = trap.finish();
        std::vector<long> out;
        if (rc == Success && !error && data && format == 32) {
            const long* items = reinterpret_cast<const long*>(data);
            out.assign(items, items + count);
        }
        if (data) XFree(data);
        return out;
    }

    bool hasProperty(Window w, Atom property) const {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        ErrorTrap trap(d_);
        int rc = XGetWindowProperty(d_, w, property, 0, 0, False, AnyPropertyType, &actualType, &format, &count,
                                    &after, &data);
        int error = trap.finish();
        if (data) XFree(data);
        return rc == Success && !error && actualType != None;
    }

    std::string title(Window w) const {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        ErrorTrap trap(d_);
        int rc = XGetWindowProperty(d_, w, atoms_.netWmName, 0, 1024, False, atoms_.utf8String, &actualType, &format,
                                    &count, &after, &data);
        std::string out;
        if (rc == Success && data && format == 8 && count > 0) out.assign(reinterpret_cast<char*>(data), count);
        if (data) XFree(data);
        if (out.empty()) {
            XTextProperty text{};
            if (XGetWMName(d_, w, &text) && text.value) {
                char** list = nullptr;
                int n = 0;
                if (Xutf8TextPropertyToTextList(d_, &text, &list, &n) >= Success && n > 0 && list) {
                    out = list[0];
                    XFreeStringList(list);
                }
                XFree(text.value);
            }
        }
        trap.finish();
        return out;
    }

    unsigned processOf(Window w) const {
        std::vector<long> pid = cardinals(w, atoms_.netWmPid);
        return pid.empty() ? 0 : static_cast<unsigned>(pid[0]);
    }

    ScreenRect frameOf(Window w, const XWindowAttributes& a) const {
        int x = 0, y = 0;
        Window child = None;
        XTranslateCoordinates(d_, w, root_, 0, 0, &x, &y, &child);
        ScreenRect r{x, y, x + a.width, y + a.height};
        // left, right, top, bottom: the decorations the window manager adds.
        std::vector<long> extents = cardinals(w, atoms_.netFrameExtents);
        if (extents.size() == 4) {
            r.left -= static_cast<int>(extents[0]);
            r.right += static_cast<int>(extents[1]);
            r.top -= static_cast<int>(extents[2]);
            r.bottom += static_cast<int>(extents[3]);
        }
        return r;
    }

    std::vector<Window> rootChildrenTopFirst() const {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned n = 0;
        std::vector<Window> out;
        if (XQueryTree(d_, root_, &rootReturn, &parent, &children, &n) && children) {
            for (unsigned i = n; i-- > 0;) out.push_back(children[i]);
            XFree(children);
        }
        return out;
    }

    bool supported(Atom atom) const {
        std::vector<long> list = cardinals(root_, atoms_.netSupported, XA_ATOM);
        return std::find(list.begin(), list.end(), static_cast<long>(atom)) != list.end();
    }

    bool hasProtocol(Window w, Atom protocol) const {
        Atom* protocols = nullptr;
        int n = 0;
        bool found = false;
        if (XGetWMProtocols(d_, w, &protocols, &n) && protocols) {
            found = std::find(protocols, protocols + n, protocol) != protocols + n;
            XFree(protocols);
        }
        return found;
    }

    void sendToRoot(Window window, Atom type, std::array<long, 3> data) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = type;
        e.xclient.format = 32;
        for (size_t i = 0; i < data.size(); ++i) e.xclient.data.l[i] = data[i];
        XSendEvent(d_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    }

    static std::uint32_t channel(unsigned long pixel, unsigned long mask) {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        unsigned long bits = mask >> shift;
        unsigned long value = (pixel & mask) >> shift;
        return static_cast<std::uint32_t>(bits ? value * 255 / bits : 0);
    }

    std::uint32_t toRgb(unsigned long pixel, const XImage* image, Visual* visual) const {
        if (visual->c_class == TrueColor || visual->c_class == DirectColor) {
            return channel(pixel, image->red_mask) << 16 | channel(pixel, image->green_mask) << 8 |
                   channel(pixel, image->blue_mask);
        }
        // A palette display: look the index up in the screen's colour map.
        XColor c{};
        c.pixel = pixel;
        XQueryColor(d_, DefaultColormap(d_, DefaultScreen(d_)), &c);
        return static_cast<std::uint32_t>((c.red >> 8) << 16 | (c.green >> 8) << 8 | (c.blue >> 8));
    }

    Display* d_;
    Window root_;
    Atoms atoms_;
    bool hasXTest_ = false;
    std::array<unsigned, 4> lockMasks_{};
    std::map<int, KeyCode> hotKeys_;
    std::function<void(int)> hotKeyHandler_;
    std::function<void()> processEvents_;
    std::unique_ptr<x11::AtspiProbe> atspi_;
    std::map<Window, WindowFacts> facts_;
    std::chrono::steady_clock::time_point factsSince_;
};

class NoDesktop final : public Desktop {
public:
    explicit NoDesktop(std::string reason) : reason_(std::move(reason)) {}
    bool available() const override { return false; }
    std::string unavailableReason() const override { return reason_; }
    ScreenPoint pointer() const override { return {}; }
    ScreenRect workArea() const override { return {}; }
    Image grab(const ScreenRect& rect) override { return Image(std::max(0, rect.width()), std::max(0, rect.height()), 0); }
    std::vector<TopLevelWindow> topLevelWindows() override { return {}; }
    WindowId activeWindow() override { return 0; }
    void activate(WindowId) override {}
    void requestClose(WindowId) override {}
    PointedObject objectAt(ScreenPoint) override { return {}; }
    void sendKey(const Key&, bool) override {}
    bool registerHotKey(int, char) override { return false; }
    void unregisterHotKey(int) override {}
    void onHotKey(std::function<void(int)>) override {}
    void wait(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

private:
    std::string reason_;
};

}  // namespace

std::unique_ptr<Desktop> UnavailableDesktop(std::string reason) { return std::make_unique<NoDesktop>(std::move(reason)); }

std::unique_ptr<Desktop> OpenX11Desktop(const char* displayName) {
    const char* name = displayName ? displayName : std::getenv("DISPLAY");
    if (!name || !*name) return UnavailableDesktop(kNoDisplay);
    Display* d = XOpenDisplay(name);
    if (!d) return UnavailableDesktop(std::string("Cannot reach the X11 display \"") + name + "\" that DISPLAY names.");
    return std::make_unique<X11Desktop>(d);
}

}  // namespace capture
