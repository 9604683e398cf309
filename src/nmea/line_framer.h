#pragma once
// Byte framing of the NMEA channel: received bytes -> lines. A carriage
// return or a line feed ends a line, and a line feed straight after a
// carriage return belongs to it (CR LF is one end), so receivers that end
// with CR LF, CR alone or LF alone (logs replayed through nc or socat) all
// give the same lines. Two ends in a row give an empty line. A line that passes kMaxLineBytes without an end is
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
            bool afterCr = afterCr_;
            afterCr_ = c == '\r';
            if (c == '\r' || (c == '\n' && !afterCr)) {
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
        afterCr_ = false;
    }
    size_t pending() const { return partial_.size(); }

private:
    std::string partial_;
    bool discarding_ = false;
    bool afterCr_ = false;  // the last byte ended a line with CR: a LF now is its pair
};

}  // namespace nmea
