#pragma once
// Byte framing of the NMEA channel: received bytes -> lines. A carriage
// return ends a line, line feeds are dropped, so a line is everything between
// two carriage returns. A line that passes kMaxLineBytes without an end is
// dropped whole (up to its carriage return), so a peer that never ends a line
// cannot make us grow without bound.

#include <cstddef>
#include <string>
#include <string_view>

namespace nmea {

class LineFramer {
public:
    static constexpr size_t kMaxLineBytes = 4096;

    // Calls onLine(std::string&&) for each completed line and
    // onOverlong() once for each line dropped for its length.
    template <typename OnLine, typename OnOverlong>
    void feed(std::string_view bytes, OnLine&& onLine, OnOverlong&& onOverlong) {
        for (char c : bytes) {
            if (c == '\r') {
                if (!discarding_) onLine(std::move(partial_));
                partial_.clear();
                discarding_ = false;
            } else if (c == '\n' || discarding_) {
                continue;
            } else if (partial_.size() == kMaxLineBytes) {
                partial_.clear();
                partial_.shrink_to_fit();
                discarding_ = true;
                onOverlong();
            } else {
                partial_.push_back(c);
            }
        }
    }
    // Forgets a partial line (a channel opened again, a client gone).
    void clear() {
        partial_.clear();
        discarding_ = false;
    }
    size_t pending() const { return partial_.size(); }

private:
    std::string partial_;
    bool discarding_ = false;
};

}  // namespace nmea
