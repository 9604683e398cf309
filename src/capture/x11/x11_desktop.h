#pragma once
// The desktop of an X11 display: Xlib for windows, pictures and hot keys,
// the XTest extension for synthesized keys, and AT-SPI for the texts of
// toolkits that draw their controls inside one X window (Qt, GTK).
//
// Known gaps: on a pure Wayland session only XWayland windows are seen; a
// program that exposes neither named child windows nor AT-SPI objects shows
// its window title under every point.

#include <memory>
#include <string>

#include "capture/desktop.h"

namespace capture {

// The desktop of the named display (DISPLAY when null). When it cannot be
// had, a desktop that is unavailable and says why.
std::unique_ptr<Desktop> OpenX11Desktop(const char* displayName = nullptr);

// A desktop without a window system, for the reason given.
std::unique_ptr<Desktop> UnavailableDesktop(std::string reason);

}  // namespace capture
