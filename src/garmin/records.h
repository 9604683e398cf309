#pragma once
// Garmin application records: the layouts inside packet data, both ways.
//
// Positions are signed 32-bit semicircles (degrees * 2^31 / 180, truncated),
// altitude and depth single floats (values above 1e6 mean "unknown"), times
// unsigned seconds since 1989-12-31 00:00 UTC. Texts here are byte strings
// as the receiver holds them; the transfer layer converts them.
//
// Decoders read fixed offsets through ByteReader: a short record reads its
// missing bytes as zero and a text without its zero ends with the packet.
// Encoders cut texts so that every record fits its size byte.
//
// Known gaps: newer layouts (waypoints D110 and later, track headers D312
// of A302) are neither built nor read; a received transfer counts their
// records but leaves them out.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "garmin/bytes.h"

namespace garmin {

// Command numbers of the device command protocol (A010).
enum Command : std::uint8_t {
    kCmdAbort = 0x00,
    kCmdRoutes = 0x04,
    kCmdTrackLog = 0x06,
    kCmdWaypoints = 0x07,
    kCmdPowerOff = 0x08,
};

constexpr float kUnknownFloat = 1.0e25f;      // what receivers send for "no value"
constexpr double kLargestKnownFloat = 1.0e6;  // anything farther from 0 reads as unknown
constexpr std::uint32_t kNoTime = 0xFFFFFFFF;
constexpr std::uint16_t kSymbolWaypoint = 18;
constexpr std::uint16_t kSymbolUnknown = 178;
constexpr size_t kMaxIdentChars = 50;    // identifier and comment of D108/D109 as sent
constexpr size_t kMaxReceivedText = 52;  // identifier and comment as kept
constexpr size_t kD201CommentChars = 20;
constexpr size_t kD202IdentChars = 13;
constexpr size_t kMaxTrackNameChars = kMaxData - 3;  // D310: display, colour, name, zero

// --- values ---------------------------------------------------------------

std::int32_t DegToSemicircles(double degrees);
double SemicirclesToDeg(std::int32_t semicircles);
// A received float with the "unknown" rule applied: above 1e6 gives 0.
double MakeFloat(float value);
// A value a receiver sent, or none for its "no value" (1e25 of either sign)
// and anything else not finite or beyond kLargestKnownFloat either way.
std::optional<double> KnownFloat(float value);
// Whole units, halves to even: how received values are shown and stored.
std::string RoundedText(double value);
// Seconds since 1989-12-31 00:00 UTC from a UTC date-time serial number,
// rounded to the nearest second; kNoTime outside the 32-bit range.
std::uint32_t UtcSerialToGarminTime(long double utcSerial);
long double GarminTimeToUtcSerial(std::uint32_t seconds);
// The symbol number rule: a decimal number as it is; "waypoint" (any case)
// is 18 in the D109 layout; anything else is 178.
std::uint16_t SymbolNumber(std::string_view symbolText, bool d109);

// --- link-level application packets ------------------------------------------

Packet CommandPacket(std::uint8_t command);
Packet RecordsPacket(std::uint16_t count);
Packet TransferCompletePacket(std::uint8_t command);
std::uint16_t RecordsCount(const Packet& packet);

struct ProductData {
    std::uint16_t productId = 0;
    std::int16_t softwareVersion = 0;
    std::vector<std::string> descriptions;  // zero-ended texts from offset 4
};
ProductData DecodeProductData(const Packet& packet);
Packet EncodeProductData(const ProductData& product);

// "A010" from the letter A and the number 10; groups of three bytes.
std::vector<std::string> DecodeProtocolArray(const Packet& packet);
Packet EncodeProtocolArray(const std::vector<std::string>& tags);

// The tags a receiver reported, each followed by a blank ("P000 L001 ").
class ProtocolList {
public:
    void clear() { text_.clear(); }
    void add(const std::string& tag) { text_ += tag + " "; }
    bool has(std::string_view tag) const { return text_.find(tag) != std::string::npos; }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// --- waypoints: D108 and D109 ------------------------------------------------

enum class WaypointLayout { D108, D109 };

struct WaypointRecord {
    double lat = 0, lon = 0;  // degrees
    float altitude = kUnknownFloat;
    float depth = 0;
    std::uint16_t symbol = kSymbolUnknown;
    std::string ident, comment, facility, city, address, crossRoad;
};

// A waypoint (id 23) or route waypoint (id 1E) in the given layout, with the
// fixed class, colour, display and subclass bytes of this program.
Packet EncodeWaypoint(std::uint8_t id, WaypointLayout layout, const WaypointRecord& w);
WaypointRecord DecodeWaypoint(const Packet& packet, WaypointLayout layout);

// --- routes: D200, D201, D202, D210 ---------------------------------------------

enum class RouteHeaderLayout { D200, D201, D202 };
Packet EncodeRouteHeader(RouteHeaderLayout layout, std::string_view name);
// The route's name: the number as three digits (D200), the comment (D201)
// or the identifier (D202).
std::string DecodeRouteHeader(const Packet& packet, RouteHeaderLayout layout);
Packet EncodeRouteLink();  // D210, class "direct"

struct RouteLinkRecord {
    std::uint16_t linkClass = 0;
    Bytes subclass;  // 18 bytes
    std::string ident;
};
RouteLinkRecord DecodeRouteLink(const Packet& packet);

// --- tracks: D301, D310 ----------------------------------------------------------

struct TrackPointRecord {
    double lat = 0, lon = 0;  // degrees
    std::uint32_t time = kNoTime;
    float altitude = kUnknownFloat;
    float depth = kUnknownFloat;
    bool newTrack = false;
};
Packet EncodeTrackPoint(const TrackPointRecord& t);
TrackPointRecord DecodeTrackPoint(const Packet& packet);

struct TrackHeaderRecord {
    bool display = true;
    std::uint8_t color = 0xFF;
    std::string name;
};
Packet EncodeTrackHeader(std::string_view name);
TrackHeaderRecord DecodeTrackHeader(const Packet& packet);

}  // namespace garmin
