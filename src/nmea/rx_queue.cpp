#include "nmea/rx_queue.h"

namespace nmea {

int RxQueue::advance(int& counter) {
    int shown = ++counter;
    if (counter > kCounterWrap) counter = 0;
    return shown;
}

int RxQueue::push(std::string&& line) {
    if (lines_.size() == kCapacity) {
        lines_.pop_front();
        ++dropped_;
        advance(read_);  // the reader passes the dropped line
    }
    lines_.push_back(std::move(line));
    return advance(write_);
}

std::string RxQueue::pop() {
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    advance(read_);
    return line;
}

size_t RxQueue::takeDropped() {
    size_t n = dropped_;
    dropped_ = 0;
    return n;
}

std::string RxQueue::label() const { return "Queue: " + std::to_string(write_) + " - " + std::to_string(read_); }

}  // namespace nmea
