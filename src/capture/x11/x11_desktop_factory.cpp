#include "capture/desktop_factory.h"
#include "capture/x11/x11_desktop.h"

namespace capture {

std::unique_ptr<Desktop> OpenDesktop() { return OpenX11Desktop(); }

}  // namespace capture
