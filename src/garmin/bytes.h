#pragma once
// Garmin link layer, bottom: packets, little-endian field access over a
// byte span, and the one function that turns a packet into a frame.
//
// A frame on the wire is DLE, id, size, data, checksum, DLE, ETX. Every 0x10
// among size, data and checksum is sent twice; the leading DLE, the id and
// the closing DLE ETX never are. The checksum makes id + size + data +
// checksum a multiple of 256.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace garmin {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kEtx = 0x03;
constexpr size_t kMaxData = 255;  // the size byte bounds every packet

// Packet ids of the link and application layers.
enum PacketId : std::uint8_t {
    kAck = 0x06,
    kCommand = 0x0A,
    kTransferComplete = 0x0C,
    kNak = 0x15,
    kRecords = 0x1B,
    kRouteHeader = 0x1D,
    kRouteWaypoint = 0x1E,
    kTrackData = 0x22,
    kWaypointData = 0x23,
    kPvtData = 0x33,  // position data a receiver in PVT mode streams unasked
    kRouteLink = 0x62,
    kTrackHeader = 0x63,
    kProtocolArray = 0xFD,
    kProductRequest = 0xFE,
    kProductData = 0xFF,
};

struct Packet {
    std::uint8_t id = 0;
    Bytes data;  // at most kMaxData bytes

    // id, size, data: the packet as the log shows it.
    Bytes bytes() const;
    friend bool operator==(const Packet&, const Packet&) = default;
};

// Reads the fixed offsets of a record. A record shorter than its layout
// reads its missing bytes as zero; nothing is ever read past the span.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    size_t size() const { return bytes_.size(); }
    std::uint8_t u8(size_t offset) const { return offset < bytes_.size() ? bytes_[offset] : 0; }
    std::uint16_t u16(size_t offset) const;
    std::uint32_t u32(size_t offset) const;
    std::int32_t s32(size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    float f32(size_t offset) const;
    // A zero-ended text; one without its zero ends with the span. `next`
    // receives the offset after the zero (or the span's size).
    std::string text(size_t offset, size_t* next = nullptr) const;
    // `length` bytes as they are, cut where the span ends.
    std::string fixed(size_t offset, size_t length) const;

private:
    std::span<const std::uint8_t> bytes_;
};

// Appends little-endian fields to a record.
class ByteWriter {
public:
    explicit ByteWriter(Bytes& out) : out_(out) {}
    ByteWriter& u8(std::uint8_t v);
    ByteWriter& u16(std::uint16_t v);
    ByteWriter& u32(std::uint32_t v);
    ByteWriter& s32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    ByteWriter& f32(float v);
    ByteWriter& fill(size_t count, std::uint8_t v);
    // The bytes of a text; with `zero` a terminating 0 follows.
    ByteWriter& text(std::string_view bytes, bool zero);

private:
    Bytes& out_;
};

// The checksum byte of a packet: 0 minus the sum of id, size and data.
std::uint8_t Checksum(std::uint8_t id, std::span<const std::uint8_t> data);

// The stuffed frame of a packet. Data beyond kMaxData is not sent: callers
// build records that fit.
Bytes EncodeFrame(const Packet& packet);

// Log texts: "10 FE " for the bytes 10 and FE, and the characters lined
// up under those digits (three blanks for a byte below 33).
std::string StrToHex(std::span<const std::uint8_t> bytes);
std::string StrToString(std::span<const std::uint8_t> bytes);
std::string HexByte(std::uint8_t byte);

}  // namespace garmin
