#pragma once
// The queue between the receive paths and RxTimer: completed lines wait here
// in arrival order. It holds at most kCapacity lines; beyond that the oldest
// are dropped and counted, so a stalled window costs bounded memory and the
// loss is reported, never silent.
//
// The two counters are what `Label34` shows ("Queue: 17 - 12"): they run
// 0..1024 and wrap to 0, the writer's shown before it wraps.

#include <cstddef>
#include <deque>
#include <string>

namespace nmea {

class RxQueue {
public:
    static constexpr size_t kCapacity = 1024;
    static constexpr int kCounterWrap = 1024;  // a counter above this becomes 0

    // Adds a completed line; returns the write counter before it wraps.
    int push(std::string&& line);
    bool empty() const { return lines_.empty(); }
    size_t waiting() const { return lines_.size(); }
    std::string pop();
    // Lines dropped since the last call.
    size_t takeDropped();
    int writeCounter() const { return write_; }
    int readCounter() const { return read_; }
    std::string label() const;  // "Queue: W - R"

private:
    static int advance(int& counter);
    std::deque<std::string> lines_;
    int write_ = 0, read_ = 0;
    size_t dropped_ = 0;
};

}  // namespace nmea
