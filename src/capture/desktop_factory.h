#pragma once
// The desktop the capture works on. One place chooses the implementation;
// when no window system can be captured from, the desktop says so through
// `available()` and `unavailableReason()`.

#include <memory>

#include "capture/desktop.h"

namespace capture {

std::unique_ptr<Desktop> OpenDesktop();

}  // namespace capture
