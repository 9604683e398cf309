#include "garmin/bytes.h"

#include <algorithm>
#include <bit>

namespace garmin {

Bytes Packet::bytes() const {
    Bytes out;
    out.reserve(data.size() + 2);
    out.push_back(id);
    out.push_back(static_cast<std::uint8_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::uint16_t ByteReader::u16(size_t offset) const {
    return static_cast<std::uint16_t>(u8(offset) | u8(offset + 1) << 8);
}

std::uint32_t ByteReader::u32(size_t offset) const {
    return static_cast<std::uint32_t>(u16(offset)) | static_cast<std::uint32_t>(u16(offset + 2)) << 16;
}

float ByteReader::f32(size_t offset) const { return std::bit_cast<float>(u32(offset)); }

std::string ByteReader::text(size_t offset, size_t* next) const {
    std::string out;
    size_t i = offset;
    while (i < bytes_.size() && bytes_[i] != 0) out.push_back(static_cast<char>(bytes_[i++]));
    if (next) *next = i < bytes_.size() ? i + 1 : std::max(i, bytes_.size());
    return out;
}

std::string ByteReader::fixed(size_t offset, size_t length) const {
    std::string out;
    for (size_t i = offset; i < offset + length && i < bytes_.size(); ++i) out.push_back(static_cast<char>(bytes_[i]));
    return out;
}

ByteWriter& ByteWriter::u8(std::uint8_t v) {
    out_.push_back(v);
    return *this;
}

ByteWriter& ByteWriter::u16(std::uint16_t v) { return u8(static_cast<std::uint8_t>(v)).u8(static_cast<std::uint8_t>(v >> 8)); }

ByteWriter& ByteWriter::u32(std::uint32_t v) {
    return u16(static_cast<std::uint16_t>(v)).u16(static_cast<std::uint16_t>(v >> 16));
}

ByteWriter& ByteWriter::f32(float v) { return u32(std::bit_cast<std::uint32_t>(v)); }

ByteWriter& ByteWriter::fill(size_t count, std::uint8_t v) {
    out_.insert(out_.end(), count, v);
    return *this;
}

ByteWriter& ByteWriter::text(std::string_view bytes, bool zero) {
    for (char c : bytes) out_.push_back(static_cast<std::uint8_t>(c));
    if (zero) out_.push_back(0);
    return *this;
}

std::uint8_t Checksum(std::uint8_t id, std::span<const std::uint8_t> data) {
    unsigned sum = id + static_cast<unsigned>(data.size());
    for (std::uint8_t b : data) sum += b;
    return static_cast<std::uint8_t>(0u - sum);
}

Bytes EncodeFrame(const Packet& packet) {
    std::span<const std::uint8_t> data(packet.data.data(), std::min(packet.data.size(), kMaxData));
    Bytes frame;
    frame.reserve(2 * data.size() + 8);
    auto stuffed = [&frame](std::uint8_t b) {
        frame.push_back(b);
        if (b == kDle) frame.push_back(kDle);
    };
    frame.push_back(kDle);
    frame.push_back(packet.id);
    stuffed(static_cast<std::uint8_t>(data.size()));
    for (std::uint8_t b : data) stuffed(b);
    stuffed(Checksum(packet.id, data));
    frame.push_back(kDle);
    frame.push_back(kEtx);
    return frame;
}

std::string HexByte(std::uint8_t byte) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[byte >> 4], digits[byte & 15]};
}

std::string StrToHex(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) out += HexByte(b) + " ";
    return out;
}

std::string StrToString(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
        if (b < 33 || b == 0x7F) {
            out += "   ";
        } else if (b < 0x80) {
            out += "  ";
            out.push_back(static_cast<char>(b));
        } else {
            // Receivers write Latin-1: shown as its character, not as half
            // of a UTF-8 sequence that no window can show.
            out += "  ";
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

}  // namespace garmin
