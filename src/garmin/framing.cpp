#include "garmin/framing.h"

namespace garmin {

void FrameReader::clear() {
    state_ = State::Hunt;
    raw_.clear();
    body_.clear();
}

void FrameReader::startFrame() {
    raw_.assign(1, kDle);
    body_.clear();
    state_ = State::Id;
}

FrameReader::Event FrameReader::feed(std::uint8_t byte) {
    switch (state_) {
        case State::Hunt:
            if (byte == kDle) startFrame();
            return Event::None;
        case State::Id:
            raw_.push_back(byte);
            if (byte == kDle) {
                startFrame();  // a run of DLEs: the last one starts the frame
            } else if (byte == kEtx) {
                clear();  // the tail of a frame whose start we missed
            } else {
                body_.push_back(byte);
                state_ = State::Body;
            }
            return Event::None;
        case State::Body:
            raw_.push_back(byte);
            if (byte == kDle) {
                state_ = State::BodyDle;
                return Event::None;
            }
            body_.push_back(byte);
            if (body_.size() > kMaxBody) clear();  // longer than any frame: not one
            return Event::None;
        case State::BodyDle:
            raw_.push_back(byte);
            if (byte == kDle) {
                body_.push_back(kDle);
                state_ = State::Body;
                if (body_.size() > kMaxBody) clear();
                return Event::None;
            }
            if (byte == kEtx) return finish();
            // A lone DLE inside a frame: a new frame began, this one is cut off.
            badId_ = body_.empty() ? 0 : body_[0];
            expected_ = 0;
            startFrame();
            raw_.push_back(byte);
            body_.push_back(byte);
            state_ = State::Body;
            return Event::Bad;
    }
    return Event::None;
}

FrameReader::Event FrameReader::finish() {
    Bytes body = std::move(body_);
    frame_ = raw_;
    clear();
    badId_ = body.empty() ? 0 : body[0];
    if (body.size() < 3) {
        expected_ = 0;
        return Event::Bad;
    }
    std::span<const std::uint8_t> data(body.data() + 2, body.size() - 3);
    expected_ = Checksum(body[0], data);
    if (body[1] != data.size() || body.back() != expected_) return Event::Bad;
    packet_.id = body[0];
    packet_.data.assign(data.begin(), data.end());
    return Event::Good;
}

}  // namespace garmin
