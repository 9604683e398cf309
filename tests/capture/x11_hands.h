#pragma once
// The test's own hands on the X display: moves the pointer and finds where a
// client window's inside begins. Xlib stays in the .cpp: its macros clash
// with GoogleTest and Qt.

#include <cstdint>
#include <utility>

class Hands {
public:
    Hands();
    ~Hands();
    Hands(const Hands&) = delete;
    Hands& operator=(const Hands&) = delete;
    bool ok() const { return display_ != nullptr; }
    void moveTo(int x, int y);
    std::pair<int, int> clientOrigin(std::uint64_t window);

private:
    void* display_;
};
