#pragma once
// The desktop of the machine the program runs on, chosen in one place.

#include <memory>

#include "capture/desktop.h"

namespace capture {

// Always a desktop; when there is no window system to capture from, one
// whose available() is false and whose unavailableReason() says why.
std::unique_ptr<Desktop> OpenDesktop();

}  // namespace capture
