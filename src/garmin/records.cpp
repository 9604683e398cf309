#include "garmin/records.h"

#include <charconv>
#include <cmath>

#include "core/fn.h"
#include "core/text.h"

namespace garmin {

namespace {

constexpr double kSemicirclesPerDegree = 2147483648.0 / 180.0;
constexpr long double kGarminEpochSerial = 32873;  // 1989-12-31 as a day number since 1899-12-30
constexpr long double kSecondsPerDay = 86400;
constexpr size_t kSubclassBytes = 18;

void subclass(ByteWriter& w) { w.fill(6, 0x00).fill(12, 0xFF); }

std::string cut(std::string_view text, size_t bytes) { return std::string(text.substr(0, bytes)); }

// A fixed-width text field: cut or padded with blanks.
std::string padded(std::string_view text, size_t width) {
    std::string out = cut(text, width);
    out.resize(width, ' ');
    return out;
}

std::string trimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

}  // namespace

std::int32_t DegToSemicircles(double degrees) {
    // Truncated toward zero; 180 degrees gives 2^31, whose low 32 bits wrap
    // to the semicircle value of 180 west, the same meridian.
    double value = std::trunc(degrees * kSemicirclesPerDegree);
    if (!std::isfinite(value)) return 0;
    long long wide = static_cast<long long>(std::fmod(value, 4294967296.0));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
}

double SemicirclesToDeg(std::int32_t semicircles) { return semicircles / kSemicirclesPerDegree; }

double MakeFloat(float value) { return KnownFloat(value).value_or(0); }

std::optional<double> KnownFloat(float value) {
    // Beyond a million either way is no altitude or depth a receiver can
    // mean; a huge negative one would also not fit the whole metres we show.
    if (!std::isfinite(value) || std::fabs(value) > kLargestKnownFloat) return std::nullopt;
    return value;
}

std::string RoundedText(double value) {
    long double whole = core::RoundHalfEven(value);
    // Beyond what a whole number holds there is no sensible value to show.
    if (!(std::fabs(whole) < 0x1p62L)) return "0";
    return std::to_string(static_cast<long long>(whole));
}

std::uint32_t UtcSerialToGarminTime(long double utcSerial) {
    long double seconds = std::round((utcSerial - kGarminEpochSerial) * kSecondsPerDay);
    if (!(seconds >= 0 && seconds < static_cast<long double>(kNoTime))) return kNoTime;
    return static_cast<std::uint32_t>(seconds);
}

long double GarminTimeToUtcSerial(std::uint32_t seconds) { return kGarminEpochSerial + seconds / kSecondsPerDay; }

std::uint16_t SymbolNumber(std::string_view symbolText, bool d109) {
    std::string lower = core::AsciiLower(symbolText);
    if (d109 && lower == "waypoint") return kSymbolWaypoint;
    if (lower.empty() || lower.size() > 5) return kSymbolUnknown;
    unsigned value = 0;
    for (char c : lower) {
        if (c < '0' || c > '9') return kSymbolUnknown;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value > 0xFFFF ? kSymbolUnknown : static_cast<std::uint16_t>(value);
}

Packet CommandPacket(std::uint8_t command) { return {kCommand, {command, 0}}; }

Packet RecordsPacket(std::uint16_t count) {
    Packet p{kRecords, {}};
    ByteWriter(p.data).u16(count);
    return p;
}

Packet TransferCompletePacket(std::uint8_t command) { return {kTransferComplete, {command, 0}}; }

std::uint16_t RecordsCount(const Packet& packet) { return ByteReader(packet.data).u16(0); }

// FF: product id, software version, then zero-ended descriptions.
ProductData DecodeProductData(const Packet& packet) {
    ByteReader r(packet.data);
    ProductData p;
    p.productId = r.u16(0);
    p.softwareVersion = static_cast<std::int16_t>(r.u16(2));
    size_t at = 4;
    while (at < r.size()) {
        size_t next = at;
        std::string text = r.text(at, &next);
        // A last text without its zero byte is not a whole text.
        if (next > r.size() || (next == r.size() && packet.data.back() != 0)) break;
        p.descriptions.push_back(text);
        at = next;
    }
    return p;
}

Packet EncodeProductData(const ProductData& product) {
    Packet p{kProductData, {}};
    ByteWriter w(p.data);
    w.u16(product.productId).u16(static_cast<std::uint16_t>(product.softwareVersion));
    for (const auto& text : product.descriptions) {
        if (p.data.size() + text.size() + 1 > kMaxData) break;
        w.text(text, true);
    }
    return p;
}

// FD: groups of a tag letter and a 16-bit number: 'A' 10 is "A010".
std::vector<std::string> DecodeProtocolArray(const Packet& packet) {
    ByteReader r(packet.data);
    std::vector<std::string> tags;
    for (size_t at = 0; at + 3 <= r.size(); at += 3) {
        std::string number = std::to_string(r.u16(at + 1));
        if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
        tags.push_back(std::string(1, static_cast<char>(r.u8(at))) + number);
    }
    return tags;
}

Packet EncodeProtocolArray(const std::vector<std::string>& tags) {
    Packet p{kProtocolArray, {}};
    ByteWriter w(p.data);
    for (const auto& tag : tags) {
        unsigned number = 0;
        const char* digits = tag.data() + 1;
        auto [end, error] = std::from_chars(digits, tag.data() + tag.size(), number);
        if (tag.size() < 2 || error != std::errc() || end != tag.data() + tag.size() || number > 0xFFFF ||
            p.data.size() + 3 > kMaxData)
            continue;
        w.u8(static_cast<std::uint8_t>(tag[0])).u16(static_cast<std::uint16_t>(number));
    }
    return p;
}

// D108: class, colour, display, attributes, symbol(2), subclass(18),
// lat(4), lon(4), alt(4), depth(4), distance(4), state(2), country(2),
// then zero-ended identifier, comment, facility, city, address, cross road.
// D109 adds a data type byte in front (shifting class, colour and
// attributes) and 4 bytes of estimated time en route before the texts.
Packet EncodeWaypoint(std::uint8_t id, WaypointLayout layout, const WaypointRecord& wp) {
    Packet p{id, {}};
    ByteWriter w(p.data);
    if (layout == WaypointLayout::D108)
        w.u8(0x00).u8(0xFF).u8(0x00).u8(0x60);
    else
        w.u8(0x01).u8(id == kRouteWaypoint ? 0x81 : 0x00).u8(0x1F).u8(0x70);
    w.u16(wp.symbol);
    subclass(w);
    w.s32(DegToSemicircles(wp.lat)).s32(DegToSemicircles(wp.lon));
    w.f32(wp.altitude).f32(0.0f).f32(0.0f);
    w.text("  ", false).text("  ", false);
    if (layout == WaypointLayout::D109) w.u32(0xFFFFFFFF);
    w.text(cut(wp.ident, kMaxIdentChars), true);
    w.text(cut(wp.comment, kMaxIdentChars), true);
    w.fill(4, 0x00);
    return p;
}

WaypointRecord DecodeWaypoint(const Packet& packet, WaypointLayout layout) {
    ByteReader r(packet.data);
    WaypointRecord wp;
    wp.symbol = r.u16(4);
    wp.lat = SemicirclesToDeg(r.s32(24));
    wp.lon = SemicirclesToDeg(r.s32(28));
    wp.altitude = r.f32(32);
    wp.depth = r.f32(36);
    size_t at = layout == WaypointLayout::D109 ? 52 : 48;
    wp.ident = cut(r.text(at, &at), kMaxReceivedText);
    wp.comment = cut(r.text(at, &at), kMaxReceivedText);
    wp.facility = r.text(at, &at);
    wp.city = r.text(at, &at);
    wp.address = r.text(at, &at);
    wp.crossRoad = r.text(at, &at);
    return wp;
}

Packet EncodeRouteHeader(RouteHeaderLayout layout, std::string_view name) {
    Packet p{kRouteHeader, {}};
    ByteWriter w(p.data);
    switch (layout) {
        case RouteHeaderLayout::D200: w.u8(1); break;
        case RouteHeaderLayout::D201: w.u8(1).text(padded(name, kD201CommentChars), false); break;
        case RouteHeaderLayout::D202: w.text(padded(name, kD202IdentChars), true); break;
    }
    return p;
}

std::string DecodeRouteHeader(const Packet& packet, RouteHeaderLayout layout) {
    ByteReader r(packet.data);
    switch (layout) {
        case RouteHeaderLayout::D200: {
            std::string n = std::to_string(r.u8(0));
            return std::string(3 - std::min<size_t>(3, n.size()), '0') + n;
        }
        // Names travel padded with blanks; the padding is not part of them.
        case RouteHeaderLayout::D201: return trimRight(ByteReader(packet.data).fixed(1, kD201CommentChars));
        case RouteHeaderLayout::D202: return trimRight(r.text(0));
    }
    return {};
}

// D210: class(2), subclass(18), zero-ended identifier.
Packet EncodeRouteLink() {
    Packet p{kRouteLink, {}};
    ByteWriter w(p.data);
    w.u16(3);
    subclass(w);
    w.u8(0);
    return p;
}

RouteLinkRecord DecodeRouteLink(const Packet& packet) {
    ByteReader r(packet.data);
    RouteLinkRecord l;
    l.linkClass = r.u16(0);
    for (size_t i = 2; i < 2 + kSubclassBytes; ++i) l.subclass.push_back(r.u8(i));
    l.ident = r.text(20);
    return l;
}

// D301: lat(4), lon(4), time(4), alt(4), depth(4), new track(1), 3 bytes FF.
Packet EncodeTrackPoint(const TrackPointRecord& t) {
    Packet p{kTrackData, {}};
    ByteWriter w(p.data);
    w.s32(DegToSemicircles(t.lat)).s32(DegToSemicircles(t.lon)).u32(t.time);
    w.f32(t.altitude).f32(t.depth).u8(t.newTrack ? 1 : 0).fill(3, 0xFF);
    return p;
}

TrackPointRecord DecodeTrackPoint(const Packet& packet) {
    ByteReader r(packet.data);
    TrackPointRecord t;
    t.lat = SemicirclesToDeg(r.s32(0));
    t.lon = SemicirclesToDeg(r.s32(4));
    t.time = r.u32(8);
    t.altitude = r.f32(12);
    t.depth = r.f32(16);
    t.newTrack = r.u8(20) != 0;
    return t;
}

// D310: display, colour, zero-ended name.
Packet EncodeTrackHeader(std::string_view name) {
    Packet p{kTrackHeader, {}};
    ByteWriter(p.data).u8(1).u8(0xFF).text(cut(name, kMaxTrackNameChars), true);
    return p;
}

TrackHeaderRecord DecodeTrackHeader(const Packet& packet) {
    ByteReader r(packet.data);
    TrackHeaderRecord h;
    h.display = r.u8(0) != 0;
    h.color = r.u8(1);
    h.name = packet.data.size() > 3 ? r.text(2) : std::string();
    return h;
}

}  // namespace garmin
