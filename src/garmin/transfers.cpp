#include "garmin/transfers.h"

#include <charconv>
#include <cmath>

#include "core/fn.h"
#include "core/text.h"
#include "formats/text_codec.h"
#include "host/host.h"

namespace garmin {

namespace {

std::string number(double value) { return core::FloatToStrGeneral(value); }

// A float as the shortest text that reads back to the same float.
std::string floatText(float value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string nowSerialText(const host::Clock& clock) { return number(clock.nowSerial()); }

long double offsetDays(const host::Clock& clock) { return clock.utcOffsetMinutes() / 1440.0L; }

std::string nodeName(const core::Document& doc, core::NodeId node) { return doc.nameOf(node); }

float altitudeOf(const core::PointTexts& p) {
    std::optional<long double> v = core::ParseNumber(p.ele);
    return v ? static_cast<float>(*v) : kUnknownFloat;
}

WaypointRecord waypointOf(const core::PointTexts& p, const core::SymbolTable& symbols, bool d109) {
    WaypointRecord w;
    w.lat = static_cast<double>(core::StrToFloatAny(p.lat));
    w.lon = static_cast<double>(core::StrToFloatAny(p.lon));
    w.altitude = altitudeOf(p);
    // The document holds symbol names; receivers know numbers.
    w.symbol = p.sym.empty() ? kSymbolUnknown : SymbolNumber(symbols.SymToNum(p.sym), d109);
    w.ident = ToReceiverText(p.name);
    w.comment = ToReceiverText(p.cmt);
    return w;
}

Transfer wrap(std::vector<Packet> records, std::uint8_t command) {
    Transfer t;
    t.reserve(records.size() + 2);
    t.push_back(RecordsPacket(static_cast<std::uint16_t>(records.size())));
    for (auto& r : records) t.push_back(std::move(r));
    t.push_back(TransferCompletePacket(command));
    return t;
}

// Records announced in 16 bits: longer lists travel as several transfers.
constexpr size_t kMaxRecords = 0xFFFF;

void appendWrapped(std::vector<Transfer>& out, std::vector<Packet> records, std::uint8_t command) {
    if (records.empty()) return;
    for (size_t at = 0; at < records.size(); at += kMaxRecords) {
        auto end = records.begin() + static_cast<long>(std::min(records.size(), at + kMaxRecords));
        out.push_back(wrap(std::vector<Packet>(records.begin() + static_cast<long>(at), end), command));
    }
}

}  // namespace

Layouts Layouts::from(const ProtocolList& p) {
    Layouts l;
    if (p.has("D109"))
        l.waypoint = WaypointLayout::D109;
    else if (p.has("D108"))
        l.waypoint = WaypointLayout::D108;
    if (p.has("D200"))
        l.routeHeader = RouteHeaderLayout::D200;
    else if (p.has("D201"))
        l.routeHeader = RouteHeaderLayout::D201;
    else if (p.has("D202"))
        l.routeHeader = RouteHeaderLayout::D202;
    if (p.has("D202"))
        l.routeHeaderOut = RouteHeaderLayout::D202;
    else if (p.has("D201"))
        l.routeHeaderOut = RouteHeaderLayout::D201;
    else if (p.has("D200"))
        l.routeHeaderOut = RouteHeaderLayout::D200;
    l.routeLink = p.has("D210");
    l.trackPoint = p.has("D301");
    l.trackHeader = p.has("D310");
    return l;
}

std::string ToReceiverText(std::string_view utf8) {
    int replaced = 0;
    return formats::EncodeWindows1252(utf8, replaced);
}

std::string FromReceiverText(std::string_view bytes) { return formats::DecodeLegacyText(bytes); }

// --- incoming --------------------------------------------------------------

void IncomingTransfer::begin(std::uint16_t announced) {
    active_ = true;
    announced_ = announced;
    groups_.clear();
}

void IncomingTransfer::add(const Packet& packet) {
    if (!active_) return;
    if (!groups_.empty() && groups_.back().packet == packet)
        ++groups_.back().copies;
    else
        groups_.push_back({packet, 1});
}

long IncomingTransfer::received() const {
    long n = 0;
    for (const auto& g : groups_) n += g.copies;
    return n;
}

std::optional<std::vector<Packet>> IncomingTransfer::finish(std::string& error) {
    if (!active_) {
        error = "Transfer complete without a record count.";
        return std::nullopt;
    }
    active_ = false;
    long all = received();
    bool dropRepeats = groups_.size() == announced_;
    if (!dropRepeats && all != announced_) {
        error = "The receiver announced " + std::to_string(announced_) + " records but sent " +
                std::to_string(groups_.size()) + (all != static_cast<long>(groups_.size())
                                                      ? " (" + std::to_string(all) + " with repeats)."
                                                      : ".");
        groups_.clear();
        return std::nullopt;
    }
    std::vector<Packet> out;
    out.reserve(static_cast<size_t>(all));
    for (auto& g : groups_)
        for (long k = 0; k < (dropRepeats ? 1 : g.copies); ++k) out.push_back(g.packet);
    groups_.clear();
    return out;
}

CommitCount AddToDocument(DocumentAccess& access, const Layouts& layouts, const std::vector<Packet>& records,
                          const CommitOptions& options) {
    core::Document& doc = access.doc;
    CommitCount count;
    int trackNumber = 0;
    std::string now = nowSerialText(access.clock);
    long double offset = offsetDays(access.clock);
    auto newTrack = [&](const std::string& name) {
        doc.NewTrack(name);
        ++count.tracks;
    };
    std::string pendingHeader;  // a received track name waiting for its first point
    doc.beginBulk();
    for (const Packet& p : records) {
        switch (p.id) {
            case kWaypointData:
            case kRouteWaypoint: {
                if (!layouts.waypoint) break;
                WaypointRecord w = DecodeWaypoint(p, *layouts.waypoint);
                std::string lat = number(w.lat), lon = number(w.lon);
                std::optional<double> altitude = KnownFloat(w.altitude);  // unknown: no altitude at all
                std::string ele = altitude ? RoundedText(*altitude) : std::string();
                core::Symbol sym = core::Symbol::number(std::to_string(w.symbol));
                std::string name = FromReceiverText(w.ident), cmt = FromReceiverText(w.comment);
                if (p.id == kWaypointData) {
                    doc.AddWaypoint(lat, lon, ele, now, name, sym, cmt, "");
                    ++count.waypoints;
                } else {
                    doc.AddRoutepoint(lat, lon, ele, now, name, sym, cmt, "");
                    ++count.routePoints;
                }
                break;
            }
            case kRouteHeader:
                if (!layouts.routeHeader) break;
                doc.NewRoute(FromReceiverText(DecodeRouteHeader(p, *layouts.routeHeader)));
                ++count.routes;
                break;
            case kTrackHeader:
                if (layouts.trackHeader && options.trackHeaderNames)
                    pendingHeader = FromReceiverText(DecodeTrackHeader(p).name);
                break;
            case kTrackData: {
                if (!layouts.trackPoint) break;
                TrackPointRecord t = DecodeTrackPoint(p);
                if (!pendingHeader.empty()) {
                    newTrack(pendingHeader);
                    pendingHeader.clear();
                } else if (t.newTrack || doc.currentSegment == core::kNoNode || !doc.alive(doc.currentSegment)) {
                    // Points before the first new-track mark go to the current
                    // track; with none they start one rather than get lost.
                    newTrack("ACTIVE LOG " + core::ZeroPad(++trackNumber, 3));
                }
                // Receivers keep UTC; the document keeps local time.
                std::string time = t.time == kNoTime ? std::string()
                                                     : number(static_cast<double>(GarminTimeToUtcSerial(t.time) + offset));
                std::optional<double> altitude = KnownFloat(t.altitude);
                doc.AddTrackpoint(number(t.lat), number(t.lon),
                                  altitude ? floatText(static_cast<float>(*altitude)) : std::string(), time);
                ++count.trackPoints;
                break;
            }
            default: break;
        }
    }
    doc.endBulk();
    return count;
}

// --- outgoing --------------------------------------------------------------

std::vector<Transfer> BuildWaypointTransfer(DocumentAccess& access, const Layouts& layouts, std::string& error) {
    std::vector<Transfer> out;
    if (!layouts.waypoint) {
        error = "The receiver reports no waypoint record layout this program knows (D108, D109).";
        return out;
    }
    core::PointLoader loader = access.makeLoader();
    bool d109 = *layouts.waypoint == WaypointLayout::D109;
    std::vector<Packet> records;
    for (core::NodeId w = access.doc.firstChild(access.doc.waypoints()); w != core::kNoNode;
         w = access.doc.nextSibling(w)) {
        if (access.doc.roleOf(w) != core::NodeRole::Waypoint) continue;
        records.push_back(EncodeWaypoint(kWaypointData, *layouts.waypoint, waypointOf(loader.readPoint(w), access.symbols, d109)));
    }
    appendWrapped(out, std::move(records), kCmdWaypoints);
    return out;
}

std::vector<Transfer> BuildTrackTransfers(DocumentAccess& access, const Layouts& layouts, const BuildOptions& options,
                                          std::string& error) {
    std::vector<Transfer> out;
    if (!layouts.trackPoint) {
        error = "The receiver reports no track point record layout this program knows (D301).";
        return out;
    }
    core::Document& doc = access.doc;
    core::PointLoader loader = access.makeLoader();
    long double offset = offsetDays(access.clock);
    std::vector<Packet> records;
    for (core::NodeId trk = doc.firstChild(doc.trackpoints()); trk != core::kNoNode; trk = doc.nextSibling(trk)) {
        std::vector<Packet> track;
        if (layouts.trackHeader) track.push_back(EncodeTrackHeader(ToReceiverText(nodeName(doc, trk))));
        bool first = true;
        for (core::NodeId seg = doc.firstChild(trk); seg != core::kNoNode; seg = doc.nextSibling(seg)) {
            if (doc.roleOf(seg) != core::NodeRole::Segment) continue;
            for (core::NodeId pt = doc.firstChild(seg); pt != core::kNoNode; pt = doc.nextSibling(pt)) {
                core::PointTexts p = loader.readPoint(pt);
                TrackPointRecord t;
                t.lat = static_cast<double>(core::StrToFloatAny(p.lat));
                t.lon = static_cast<double>(core::StrToFloatAny(p.lon));
                t.time = p.hasTime ? UtcSerialToGarminTime(p.time - offset) : kNoTime;
                t.altitude = altitudeOf(p);
                t.depth = 0.0f;
                t.newTrack = options.markNewTrack && first;
                first = false;
                track.push_back(EncodeTrackPoint(t));
            }
        }
        if (first) continue;  // a track without points is not sent
        if (options.oneTrackTransfer)
            records.insert(records.end(), track.begin(), track.end());
        else
            appendWrapped(out, std::move(track), kCmdTrackLog);
    }
    appendWrapped(out, std::move(records), kCmdTrackLog);
    return out;
}

std::vector<Transfer> BuildRouteTransfers(DocumentAccess& access, const Layouts& layouts,
                                          const BuildOptions& options, std::string& error) {
    std::vector<Transfer> out;
    if (!layouts.waypoint || !layouts.routeHeaderOut) {
        error = "The receiver reports no route record layouts this program knows (D200-D202, D108, D109).";
        return out;
    }
    core::Document& doc = access.doc;
    core::PointLoader loader = access.makeLoader();
    bool d109 = *layouts.waypoint == WaypointLayout::D109;
    std::vector<Packet> records;
    for (core::NodeId rte = doc.firstChild(doc.routes()); rte != core::kNoNode; rte = doc.nextSibling(rte)) {
        std::vector<Packet> route;
        route.push_back(EncodeRouteHeader(*layouts.routeHeaderOut, ToReceiverText(nodeName(doc, rte))));
        bool first = true;
        for (core::NodeId pt = doc.firstChild(rte); pt != core::kNoNode; pt = doc.nextSibling(pt)) {
            if (doc.roleOf(pt) != core::NodeRole::RoutePoint) continue;
            if (!first && layouts.routeLink) route.push_back(EncodeRouteLink());
            first = false;
            route.push_back(
                EncodeWaypoint(kRouteWaypoint, *layouts.waypoint, waypointOf(loader.readPoint(pt), access.symbols, d109)));
        }
        if (first) continue;  // a route without points is not sent
        if (options.oneRouteTransfer)
            records.insert(records.end(), route.begin(), route.end());
        else
            appendWrapped(out, std::move(route), kCmdRoutes);
    }
    appendWrapped(out, std::move(records), kCmdRoutes);
    return out;
}

}  // namespace garmin
