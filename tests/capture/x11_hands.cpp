#include "x11_hands.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {
Display* dpy(void* d) { return static_cast<Display*>(d); }
}  // namespace

Hands::Hands() : display_(XOpenDisplay(nullptr)) {}

Hands::~Hands() {
    if (display_) XCloseDisplay(dpy(display_));
}

void Hands::moveTo(int x, int y) {
    XTestFakeMotionEvent(dpy(display_), -1, x, y, CurrentTime);
    XSync(dpy(display_), False);
}

std::pair<int, int> Hands::clientOrigin(std::uint64_t window) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(dpy(display_), static_cast<Window>(window), DefaultRootWindow(dpy(display_)), 0, 0, &x, &y,
                          &child);
    return {x, y};
}
