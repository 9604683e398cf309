#include "garmin/translate.h"

#include <cmath>

#include "core/fn.h"
#include "host/host.h"

namespace garmin {

const char* const kUnknownPacketLine = "> \"UNKNOWN PACKET\"";

namespace {

struct Name {
    std::uint8_t id;
    const char* name;
};
constexpr Name kNames[] = {
    {0x06, "Ack"},
    {0x0A, "Command data (request)"},
    {0x0C, "Transfer complete"},
    {0x15, "Nak"},
    {0x1B, "Records (begin of transfer)"},
    {0x1D, "Route header"},
    {0x1E, "Route waypoint data"},
    {0x22, "Track data"},
    {0x23, "Waypoint data"},
    {0x62, "Route link type"},
    {0x63, "Track header"},
    {0xFD, "Protocol array"},
    {0xFE, "Product request"},
    {0xFF, "Product data"},
};

struct Description {
    const char* tag;
    const char* text;
};
constexpr Description kDescriptions[] = {
    {"P000", "Default Physical Protocol"},
    {"L001", "Link Protocol"},
    {"A010", "Device Command Protocol 1"},
    {"A011", "Device Command Protocol 2"},
    {"A100", "Waypoint Transfer Protocol"},
    {"D108", "Waypoint Type D108"},
    {"D109", "Waypoint Type D109"},
    {"A201", "Route Transfer Protocol"},
    {"D201", "Route Header Type D201"},
    {"D202", "Route Header Type D202"},
    {"D210", "Route Link Type D210"},
    {"A301", "Track Log Transfer Protocol"},
    {"D301", "Track Point Type D301"},
    {"D310", "Track Header Type D310"},
    {"A400", "Prx Protocol"},
    {"A500", "Almanac Transfer Protocol"},
    {"D501", "Almanac Type"},
    {"A600", "Date and Time Initialization Protocol"},
    {"A601", "Date and Time Initialization Protocol"},
    {"D600", "Date Time Type"},
    {"D601", "Date Time Type"},
    {"A700", "Position Initialization Protocol"},
    {"D700", "Position Type"},
    {"A800", "Position Velocity Time (PVT) Data Transfer"},
    {"D800", "PVT Data Type"},
    {"A900", "Lap Transfer Protocol"},
};

struct CommandText {
    std::uint8_t a010;
    int a011;  // -1: the A011 numbering has no such command
    const char* text;
};
constexpr CommandText kCommands[] = {
    {0x00, 0x00, "  - Abort current transfer"},
    {0x01, 0x04, "  - Transfer almanac"},
    {0x02, -1, "  - Transfer position"},
    {0x03, 0x11, "  - Transfer proximity waypoints"},
    {0x04, -1, "  - Transfer routes"},
    {0x05, 0x14, "  - Transfer time"},
    {0x06, -1, "  - Transfer tracklog"},
    {0x07, 0x15, "  - Transfer waypoints"},
    {0x08, 0x1A, "  - Turn power off"},
    {0x31, -1, "  - Start transmitting PVT data"},
    {0x32, -1, "  - Stop transmitting PVT data"},
    {0x5C, -1, "  - Transfer flight records"},
    {0x75, -1, "  - Transfer laps"},
    {0x79, -1, "  - Transfer waypoint catagories"},
};

std::string general(double value, const host::LocaleInfo& locale) {
    return core::ToLocalDecimal(core::FloatToStrGeneral(value), locale.decimalSeparator());
}

std::string rounded(double value) { return RoundedText(value); }

std::string quoted(const std::string& label, const std::string& text) { return label + "\"" + text + "\""; }

void command(const Packet& p, const TranslationContext& c, std::vector<std::string>& out) {
    std::uint8_t code = ByteReader(p.data).u8(0);
    for (const auto& k : kCommands) {
        if (c.protocols.has("A010") && k.a010 == code) out.push_back(k.text);
        if (c.protocols.has("A011") && k.a011 == code) out.push_back(k.text);
    }
}

void transferComplete(const Packet& p, std::vector<std::string>& out) {
    switch (ByteReader(p.data).u16(0)) {
        case 1: out.push_back("  - almanac"); break;
        case 3: out.push_back("  - proximit waypoints"); break;
        case 4: out.push_back("  - routes"); break;
        case 6: out.push_back("  - tracks"); break;
        case 7: out.push_back("  - waypoints"); break;
        default: out.push_back("  "); break;
    }
}

void routeHeader(const Packet& p, const TranslationContext& c, std::vector<std::string>& out) {
    ByteReader r(p.data);
    if (c.protocols.has("D200")) {
        out.push_back("  Route number: " + std::to_string(r.u8(0)));
    } else if (c.protocols.has("D201")) {
        out.push_back("  Route number: " + std::to_string(r.u8(0)));
        out.push_back("  Route ident : " + r.fixed(1, kD201CommentChars));
    } else if (c.protocols.has("D202")) {
        out.push_back("  Route ident: " + r.text(0));
    }
}

void trackData(const Packet& p, const TranslationContext& c, std::vector<std::string>& out) {
    ByteReader r(p.data);
    TrackPointRecord t = DecodeTrackPoint(p);
    std::string time;
    if (t.time != kNoTime) {
        long double local = GarminTimeToUtcSerial(t.time) + c.clock.utcOffsetMinutes() / 1440.0L;
        core::DateTimeParts d = core::DecodeDateTime(local);
        time = c.locale.formatShortDate(d.year, d.month, d.day) + " " + core::ZeroPad(d.hour, 2) + ":" +
               core::ZeroPad(d.minute, 2) + ":" + core::ZeroPad(d.second, 2);
    }
    out.push_back("  Trackpoint   : " + std::to_string(c.recordIndex) + " of " + std::to_string(c.nRecords));
    out.push_back("  Latitude     : " + general(t.lat, c.locale));
    out.push_back("  Longitude    : " + general(t.lon, c.locale));
    out.push_back("  Time         : " + time);
    out.push_back("  Altitude     : " + general(MakeFloat(t.altitude), c.locale) + " m");
    out.push_back("  Depth        : " + general(MakeFloat(t.depth), c.locale) + " m");
    out.push_back("  Track number : " + std::to_string(c.trackNumber));
    out.push_back("  Byte 24      : $" + HexByte(r.u8(21)));
    out.push_back("  Byte 25      : $" + HexByte(r.u8(22)));
    out.push_back("  Byte 26      : $" + HexByte(r.u8(23)));
}

void waypoint(const Packet& p, const TranslationContext& c, std::vector<std::string>& out) {
    ByteReader r(p.data);
    out.push_back("  Waypoint      : " + std::to_string(c.recordIndex) + " van " + std::to_string(c.nRecords));
    out.push_back("  Wpt class     : $" + HexByte(r.u8(0)));
    out.push_back("  Color         : $" + HexByte(r.u8(1)));
    out.push_back("  Displ options : $" + HexByte(r.u8(2)));
    out.push_back("  Attributes    : $" + HexByte(r.u8(3)));
    out.push_back("  Wpt symbol    : $" + HexByte(r.u8(4)) + " $" + HexByte(r.u8(5)));
    std::string sub = "  Subclass      :";
    for (size_t i = 6; i <= 23; ++i) sub += " $" + HexByte(r.u8(i));
    out.push_back(sub);
    out.push_back("  Latitude      : " + general(SemicirclesToDeg(r.s32(24)), c.locale));
    out.push_back("  Longitude     : " + general(SemicirclesToDeg(r.s32(28)), c.locale));
    out.push_back("  Altitude      : " + rounded(MakeFloat(r.f32(32))) + " m");
    out.push_back("  Depth         : " + rounded(MakeFloat(r.f32(36))) + " m");
    out.push_back("  Distance      : " + rounded(MakeFloat(r.f32(40))));
    out.push_back("  State         : $" + HexByte(r.u8(44)) + " $" + HexByte(r.u8(45)));
    out.push_back("  Country code  : $" + HexByte(r.u8(46)) + " $" + HexByte(r.u8(47)));
    WaypointRecord w = DecodeWaypoint(p, c.protocols.has("D109") ? WaypointLayout::D109 : WaypointLayout::D108);
    out.push_back(quoted("  Identification: ", w.ident));
    out.push_back(quoted("  Comment       : ", w.comment));
    out.push_back(quoted("  Facility name : ", w.facility));
    out.push_back(quoted("  City name     : ", w.city));
    out.push_back(quoted("  Address nr.   : ", w.address));
    out.push_back(quoted("  Intersct road : ", w.crossRoad));
}

void routeLink(const Packet& p, std::vector<std::string>& out) {
    RouteLinkRecord l = DecodeRouteLink(p);
    const char* name = l.linkClass == 0     ? "line"
                       : l.linkClass == 1   ? "link"
                       : l.linkClass == 2   ? "net"
                       : l.linkClass == 3   ? "direct"
                       : l.linkClass == 255 ? "snap"
                                            : "";
    out.push_back(std::string("  Link class     : ") + name);
    std::string sub = "  Subclass       : ";
    for (std::uint8_t b : l.subclass) sub += HexByte(b) + " ";
    out.push_back(sub);
    out.push_back("  Identification : " + l.ident);
}

void trackHeader(const Packet& p, const TranslationContext& c, std::vector<std::string>& out) {
    TrackHeaderRecord h = DecodeTrackHeader(p);
    out.push_back("  Trackpoint   : " + std::to_string(c.recordIndex) + " van " + std::to_string(c.nRecords));
    out.push_back(h.display ? "  Display on map: yes" : "  Display on map: no");
    out.push_back("  Color        : " + std::to_string(h.color));
    out.push_back("  Name         : " + h.name);
}

void productData(const Packet& p, std::vector<std::string>& out) {
    ProductData d = DecodeProductData(p);
    out.push_back("  product ID      : " + HexByte(static_cast<std::uint8_t>(d.productId >> 8)) +
                  HexByte(static_cast<std::uint8_t>(d.productId)));
    out.push_back("  software version: " + std::to_string(d.softwareVersion));
    for (const auto& text : d.descriptions) out.push_back("  string          : " + text);
}

}  // namespace

std::string PacketName(std::uint8_t id) {
    for (const auto& n : kNames)
        if (n.id == id) return n.name;
    return {};
}

std::string NameLine(char direction, std::uint8_t id) {
    std::string name = PacketName(id);
    if (name.empty()) return std::string(1, direction) + " Message ID: $" + HexByte(id) + " (Unknown)";
    return std::string(1, direction) + " \"" + name + "\"";
}

std::string ProtocolDescription(const std::string& tag) {
    for (const auto& d : kDescriptions)
        if (tag == d.tag) return d.text;
    return {};
}

std::vector<std::string> TranslatePacket(const Packet& p, const TranslationContext& c) {
    std::vector<std::string> out;
    ByteReader r(p.data);
    switch (p.id) {
        case kAck:
        case kNak: out.push_back("  Packet ID: " + std::to_string(r.u8(0))); break;
        case kCommand: command(p, c, out); break;
        case kTransferComplete: transferComplete(p, out); break;
        case kRecords: out.push_back("  Nr of records: " + std::to_string(r.u16(0))); break;
        case kRouteHeader: routeHeader(p, c, out); break;
        case kTrackData: trackData(p, c, out); break;
        case kWaypointData:
        case kRouteWaypoint: waypoint(p, c, out); break;
        case kRouteLink: routeLink(p, out); break;
        case kTrackHeader: trackHeader(p, c, out); break;
        case kProtocolArray:
            for (const auto& tag : DecodeProtocolArray(p)) out.push_back("  " + tag + " " + ProtocolDescription(tag));
            break;
        case kProductData: productData(p, out); break;
        default: break;
    }
    return out;
}

}  // namespace garmin
