#pragma once
// Garmin link layer: cutting received bytes into frames (RxBuf).
//
// The reader hunts for a DLE, then collects id, size, data and checksum,
// turning every doubled DLE back into one, until DLE ETX closes the frame.
// Bytes before a frame's DLE are skipped, so one stray byte costs nothing
// but itself. A DLE followed by anything but DLE or ETX can only be the
// start of a new frame: the frame so far is reported bad and the new one
// is collected. A frame is good when its size byte matches the bytes that
// came and its checksum adds up; a bad one earns the sender a NAK.
//
// Bounded: a frame never holds more than a size byte can announce.

#include <cstdint>

#include "garmin/bytes.h"

namespace garmin {

class FrameReader {
public:
    enum class Event { None, Good, Bad };

    // One received byte. After Good, packet() is the frame's packet; after
    // Bad, badId() is the id byte the frame carried.
    Event feed(std::uint8_t byte);
    const Packet& packet() const { return packet_; }
    std::uint8_t badId() const { return badId_; }
    // The checksum the bad frame should have carried.
    std::uint8_t expectedChecksum() const { return expected_; }

    // Raw bytes of the frame being assembled, for the receive display.
    const Bytes& RxBuf() const { return raw_; }
    // The last finished frame's bytes as they came, stuffing included.
    const Bytes& lastFrame() const { return frame_; }
    bool empty() const { return raw_.empty(); }
    void clear();

private:
    enum class State { Hunt, Id, Body, BodyDle };
    // id, size, up to 255 data bytes and the checksum.
    static constexpr size_t kMaxBody = kMaxData + 3;

    Event finish();
    void startFrame();

    State state_ = State::Hunt;
    Bytes raw_;
    Bytes frame_;
    Bytes body_;
    Packet packet_;
    std::uint8_t badId_ = 0;
    std::uint8_t expected_ = 0;
};

}  // namespace garmin
