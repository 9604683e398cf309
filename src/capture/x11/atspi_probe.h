#pragma once
// The accessible object under a screen point, through AT-SPI. Toolkits such
// as Qt and GTK draw their labels inside one X window; only their
// accessibility tree knows which label lies where and what it says.

#include <cstdint>
#include <memory>
#include <string>

namespace capture::x11 {

struct AccessibleHit {
    bool found = false;
    std::uint64_t id = 0;  // stable while the object lives; never an X window id
    std::string text;
};

class AtspiProbe {
public:
    AtspiProbe();
    ~AtspiProbe();
    AtspiProbe(const AtspiProbe&) = delete;
    AtspiProbe& operator=(const AtspiProbe&) = delete;

    // The innermost accessible at (x, y), screen coordinates, below the
    // top-level window titled `windowTitle` of the application with process
    // id `pid`. Not found when there is no accessibility bus, no such
    // application or window, or nothing deeper than the window lies there.
    AccessibleHit objectAt(unsigned pid, const std::string& windowTitle, int x, int y);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace capture::x11
