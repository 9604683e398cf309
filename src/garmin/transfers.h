#pragma once
// Garmin transfers: what the records of a transfer mean for the document.
//
// Incoming: the records between Records and Transfer complete are collected
// first and added to the document only when the transfer is complete and
// its count adds up, so a broken transfer leaves the document untouched.
// A lost ACK makes the receiver send a record again; such a repeat is
// recognised as an identical record right behind its original. When
// dropping repeats gives the announced count they were resends; when
// keeping them gives it, they were real points; anything else fails.
//
// Outgoing: a transfer is built from the document as the list of packets
// the link queues: Records with the count, the records, Transfer complete.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/document.h"
#include "core/point_list.h"
#include "core/symbols.h"
#include "garmin/records.h"

namespace host {
class Clock;
}

namespace garmin {

// The record layouts a receiver's protocol list selects.
struct Layouts {
    std::optional<WaypointLayout> waypoint;      // D109 wins over D108: every point is sent once
    std::optional<RouteHeaderLayout> routeHeader;  // received: D200, else D201, else D202
    std::optional<RouteHeaderLayout> routeHeaderOut;  // sent: D202, else D201, else D200
    bool routeLink = false;   // D210
    bool trackPoint = false;  // D301
    bool trackHeader = false; // D310

    static Layouts from(const ProtocolList& protocols);
};

class IncomingTransfer {
public:
    void begin(std::uint16_t announced);
    bool active() const { return active_; }
    void add(const Packet& packet);
    void reset() { active_ = false, groups_.clear(); }
    // At Transfer complete: the records, each once, or none with `error` set.
    std::optional<std::vector<Packet>> finish(std::string& error);
    long received() const;
    // Records told apart from a resend of the one before (a lost ACK).
    long distinct() const { return static_cast<long>(groups_.size()); }
    std::uint16_t announced() const { return announced_; }

private:
    struct Group {
        Packet packet;
        long copies = 1;
    };
    bool active_ = false;
    std::uint16_t announced_ = 0;
    std::vector<Group> groups_;
};

struct DocumentAccess {
    core::Document& doc;
    const core::SymbolTable& symbols;
    const host::Clock& clock;
    std::function<core::PointLoader()> makeLoader;  // reads point nodes
};

struct CommitOptions {
    // A receiver keeps the names of track headers; the program names the
    // tracks it receives "ACTIVE LOG 001", "ACTIVE LOG 002", ...
    bool trackHeaderNames = false;
};

struct CommitCount {
    long waypoints = 0, routes = 0, routePoints = 0, tracks = 0, trackPoints = 0;
};

// Adds the records of one complete transfer to the document.
CommitCount AddToDocument(DocumentAccess& access, const Layouts& layouts, const std::vector<Packet>& records,
                          const CommitOptions& options);

struct BuildOptions {
    // Receivers mark the first point of every track; the program's own
    // uploads send each track as a transfer of its own and leave it clear.
    bool markNewTrack = false;
    // One transfer for all tracks (as a receiver sends them) instead of one per track.
    bool oneTrackTransfer = false;
    bool oneRouteTransfer = false;
};

// Each inner list is one transfer: Records, the records, Transfer complete.
// An empty result means there was nothing to send; `error` tells why when
// the receiver has no layout for it.
using Transfer = std::vector<Packet>;
std::vector<Transfer> BuildWaypointTransfer(DocumentAccess& access, const Layouts& layouts, std::string& error);
std::vector<Transfer> BuildTrackTransfers(DocumentAccess& access, const Layouts& layouts, const BuildOptions& options,
                                          std::string& error);
std::vector<Transfer> BuildRouteTransfers(DocumentAccess& access, const Layouts& layouts,
                                          const BuildOptions& options, std::string& error);

// Text conversion between the document (UTF-8) and the receiver (8-bit).
std::string ToReceiverText(std::string_view utf8);
std::string FromReceiverText(std::string_view bytes);

}  // namespace garmin
