#include "garmin/session.h"

#include "core/fn.h"
#include "garmin/translate.h"
#include "host/host.h"

namespace garmin {

namespace {

// A message table text on one line: its line breaks become blanks.
std::string oneLine(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '\r' || c == '\n') c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out.push_back(c);
    }
    return out;
}

std::string countText(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

Session::Session(DocumentAccess access, const host::LocaleInfo& locale, Hooks hooks)
    : access_(std::move(access)), locale_(locale), hooks_(std::move(hooks)), link_(Link::Hooks{}) {
    Link::Hooks h;
    h.isOpen = [this] { return hooks_.isOpen && hooks_.isOpen(); };
    h.open = [this] { return hooks_.open && hooks_.open(); };
    h.send = [this](const Bytes& b) {
        if (hooks_.send) hooks_.send(b);
    };
    h.log = [this](const std::string& line) { log(line); };
    h.showProgress = [this](const std::string& text) { progress(text); };
    h.hideProgress = [this] {
        if (hooks_.hideProgress) hooks_.hideProgress();
    };
    // The receive display is rebuilt for every byte: only when someone shows it.
    if (hooks_.showReceiveBuffer) h.showReceiveBuffer = hooks_.showReceiveBuffer;
    h.showStateTimeout = [this](const std::string& t) {
        if (hooks_.showStateTimeout) hooks_.showStateTimeout(t);
    };
    h.errorBox = [this](int n) {
        if (hooks_.errorBox && hooks_.message) hooks_.errorBox(hooks_.message(n));
    };
    h.analyze = [this](char direction, const Packet& p) { AnalyzePacket(direction, p); };
    h.runCommand = [this](const std::string& word) { runCommand(word); };
    h.acknowledged = [this](long sequence) {
        if (!pending_.active || pending_.kind != Kind::Put) return;
        pending_.acknowledged = sequence - pending_.firstSequence + 1;
        if (sequence >= pending_.lastSequence) completed();
    };
    h.cleared = [this](int reason, const std::deque<std::string>& dropped) { cleared(reason, dropped); };
    h.channelOpened = [this] {
        protocolList.clear();
        lbProtocol.clear();
    };
    link_ = Link(std::move(h));
}

bool Session::allDone() const {
    for (const auto& r : results_)
        if (!r.result.isDone() && !r.result.isNothingToDo()) return false;
    return true;
}

void Session::Timer1Timer() {
    link_.Timer1Timer();
    if (pending_.active && link_.idle()) finishPending();
}

void Session::IdRequest() {
    lbProtocol.clear();
    protocolList.clear();
    link_.Queue(Packet{kProductRequest, {}});
}

core::Result Session::queueTransfers(const std::vector<Transfer>& transfers, const std::string& error,
                                     const std::string& what) {
    if (!error.empty()) return core::Result::failed(error);
    if (transfers.empty()) return core::Result::nothingToDo("No " + what + " to transmit.");
    long records = 0;
    firstQueued_ = link_.writePointer() + 1;
    for (const Transfer& t : transfers) {
        records += static_cast<long>(t.size()) - 2;
        for (const Packet& p : t) lastQueued_ = link_.Queue(p);
    }
    return core::Result::done(countText(records, "record", "records") + " of " + what + " sent.");
}

core::Result Session::TxWaypointsClick() {
    std::string error;
    auto transfers = BuildWaypointTransfer(access_, Layouts::from(protocolList), error);
    return queueTransfers(transfers, error, "waypoints");
}

core::Result Session::TxTrackpointsClick() {
    std::string error;
    auto transfers = BuildTrackTransfers(access_, Layouts::from(protocolList), buildOptions, error);
    return queueTransfers(transfers, error, "tracks");
}

core::Result Session::TxRoutes() {
    std::string error;
    auto transfers = BuildRouteTransfers(access_, Layouts::from(protocolList), buildOptions, error);
    return queueTransfers(transfers, error, "routes");
}

void Session::runCommand(const std::string& word) {
    finishPending();
    struct Get {
        const char* word;
        std::uint8_t command;
    };
    static constexpr Get kGets[] = {
        {"get trackpoints", kCmdTrackLog}, {"get waypoints", kCmdWaypoints}, {"get routes", kCmdRoutes}};
    pending_ = Pending{};
    pending_.word = word;
    if (word == "id request") {
        progress("request identification");
        IdRequest();
        pending_.active = true;
        pending_.kind = Kind::Identify;
        return;
    }
    for (const auto& g : kGets) {
        if (word != g.word) continue;
        progress(word);
        incoming_.reset();
        link_.Queue(CommandPacket(g.command));
        pending_.active = true;
        pending_.kind = Kind::Get;
        pending_.command = g.command;
        return;
    }
    core::Result (Session::*put)() = word == "put trackpoints" ? &Session::TxTrackpointsClick
                                     : word == "put waypoints" ? &Session::TxWaypointsClick
                                     : word == "put routes"    ? &Session::TxRoutes
                                                               : nullptr;
    if (put || word == "power off") {
        if (put) progress(word);
        core::Result r = put ? (this->*put)() : core::Result::done();
        if (!put) firstQueued_ = lastQueued_ = link_.Queue(CommandPacket(kCmdPowerOff));
        if (!r.isDone() || link_.simulate) return finishWord(word, std::move(r));
        pending_.active = true;
        pending_.kind = Kind::Put;
        pending_.firstSequence = firstQueued_;
        pending_.lastSequence = lastQueued_;
        pending_.outcome = std::move(r);
        return;
    }
    if (word == "determine bounds") {
        if (hooks_.whenIdle && hooks_.determineBounds)
            hooks_.whenIdle(hooks_.determineBounds);
        else if (hooks_.determineBounds)
            hooks_.determineBounds();
        return finishWord(word, core::Result::done());
    }
    std::string text = "ERROR: Unknown Communication Queue Command: " + word;
    if (hooks_.errorBox) hooks_.errorBox(text);
    finishWord(word, core::Result::failed(text));
}

void Session::finishWord(const std::string& word, core::Result result) {
    results_.push_back({word, std::move(result)});
    if (hooks_.wordFinished) hooks_.wordFinished(results_.back());
}

void Session::finishPending() {
    if (!pending_.active) return;
    Pending p = std::move(pending_);
    pending_ = Pending{};
    switch (p.kind) {
        case Kind::Identify:
            if (!p.complete) return finishWord(p.word, core::Result::failed("The receiver did not identify itself."));
            return finishWord(p.word, core::Result::done(
                                          (product.descriptions.empty() ? std::string("Receiver")
                                                                        : product.descriptions.front()) +
                                          ", product " + std::to_string(product.productId) + ", software " +
                                          std::to_string(product.softwareVersion) + ", protocols " +
                                          std::string(core::Trim(protocolList.text()))));
        case Kind::Get: {
            if (p.outcome) return finishWord(p.word, std::move(*p.outcome));
            bool announced = incoming_.active();
            std::string counts = std::to_string(incoming_.distinct()) + " of " +
                                 std::to_string(incoming_.announced()) + " records arrived.";
            incoming_.reset();
            return finishWord(p.word, core::Result::failed(announced ? "The transfer did not complete: " + counts
                                                                     : "The receiver sent no records."));
        }
        case Kind::Put:
            if (p.complete && p.outcome) return finishWord(p.word, std::move(*p.outcome));
            return finishWord(p.word, core::Result::failed("The receiver did not acknowledge the whole transfer: " +
                                                           std::to_string(p.acknowledged) + " of " +
                                                           std::to_string(p.lastSequence - p.firstSequence + 1) +
                                                           " packets acknowledged."));
        case Kind::Other: break;
    }
}

void Session::cleared(int reason, const std::deque<std::string>& dropped) {
    incoming_.reset();
    protocolList.clear();
    lbProtocol.clear();
    auto outcome = [&](const std::string& counts) {
        return reason == 0 ? core::Result::cancelled("Transfer aborted." + counts)
                           : core::Result::failed(
                                 (hooks_.message ? oneLine(hooks_.message(reason)) : "Message " + std::to_string(reason)) +
                                 counts);
    };
    if (pending_.active) {
        std::string word = pending_.word, counts = countsOfPending();
        pending_ = Pending{};
        finishWord(word, outcome(counts));
    }
    for (const auto& word : dropped) finishWord(word, outcome(" (not started)"));
}

std::string Session::countsOfPending() const {
    if (pending_.kind == Kind::Get && incoming_.active())
        return " (" + std::to_string(incoming_.distinct()) + " of " + std::to_string(incoming_.announced()) +
               " records arrived)";
    if (pending_.kind == Kind::Put)
        return " (" + std::to_string(pending_.acknowledged) + " of " +
               std::to_string(pending_.lastSequence - pending_.firstSequence + 1) + " packets acknowledged)";
    return {};
}

void Session::completed() {
    pending_.complete = true;
    link_.exchangeDone();
}

void Session::receivedRecord() {
    if (!pending_.active || pending_.kind != Kind::Get || pending_.complete || !incoming_.active()) return;
    long arrived = incoming_.distinct();
    if (arrived <= incoming_.announced()) return;
    // More than announced: the count cannot be trusted, nor what came. The
    // word fails now, and the receiver is told to stop sending the rest.
    std::string word = pending_.word, announced = std::to_string(incoming_.announced());
    pending_ = Pending{};
    incoming_.reset();
    link_.Queue(CommandPacket(kCmdAbort));
    finishWord(word, core::Result::failed(std::to_string(arrived) + " records arrived, " + announced + " announced."));
}

void Session::receivedComplete(std::uint8_t command) {
    // The end of a transfer that is not the one asked for (a stale one cut
    // short by a new command, whose start came before it) is no answer.
    // Receivers of the second command numbering end with their own numbers.
    if (!incoming_.active()) return;
    if (pending_.active && pending_.kind == Kind::Get && command != pending_.command && !protocolList.has("A011"))
        return;
    std::string error;
    std::optional<std::vector<Packet>> records = incoming_.finish(error);
    if (!pending_.active || pending_.kind != Kind::Get || pending_.complete) return;  // a repeat after the commit
    completed();
    if (!records) {
        pending_.outcome = core::Result::failed(error);
        return;
    }
    Layouts layouts = Layouts::from(protocolList);
    // The counts are known before the document changes; the message says what arrived.
    CommitCount would;
    for (const Packet& p : *records) {
        if (p.id == kWaypointData && layouts.waypoint) ++would.waypoints;
        if (p.id == kRouteWaypoint && layouts.waypoint) ++would.routePoints;
        if (p.id == kRouteHeader && layouts.routeHeader) ++would.routes;
        if (p.id == kTrackData && layouts.trackPoint) ++would.trackPoints;
    }
    std::string text = pending_.command == kCmdWaypoints ? countText(would.waypoints, "waypoint", "waypoints")
                       : pending_.command == kCmdRoutes
                           ? countText(would.routes, "route", "routes") + " with " +
                                 countText(would.routePoints, "point", "points")
                           : countText(would.trackPoints, "track point", "track points");
    pending_.outcome = core::Result::done(text + " received.");
    auto commit = [this, layouts, recs = std::move(*records)] {
        AddToDocument(access_, layouts, recs, commitOptions);
    };
    if (hooks_.whenIdle)
        hooks_.whenIdle(commit);
    else
        commit();
}

void Session::AnalyzePacket(char direction, const Packet& packet) {
    log(NameLine(direction, packet.id));
    bool received = direction == '>';
    bool known = true;
    const bool d108or109 = protocolList.has("D108") || protocolList.has("D109");
    switch (packet.id) {
        case kAck:
        case kNak:
        case kCommand:
        case kProductRequest: break;
        case kTransferComplete:
            if (received) receivedComplete(static_cast<std::uint8_t>(RecordsCount(packet)));
            break;
        case kRecords:
            nRecords = RecordsCount(packet);
            recordIndex = 0;
            trackNumber = 0;
            if (received) incoming_.begin(static_cast<std::uint16_t>(nRecords));
            break;
        case kRouteHeader:
            known = protocolList.has("D200") || protocolList.has("D201") || protocolList.has("D202");
            break;
        case kTrackData:
            known = protocolList.has("D301");
            if (!known) break;
            ++recordIndex;
            progress("Trackpoint : " + std::to_string(recordIndex) + " - " + std::to_string(nRecords));
            if (received && DecodeTrackPoint(packet).newTrack) ++trackNumber;
            break;
        case kWaypointData:
        case kRouteWaypoint:
            known = d108or109;
            if (!known) break;
            ++recordIndex;
            progress("Waypoint : " + std::to_string(recordIndex) + " of " + std::to_string(nRecords));
            break;
        case kRouteLink: known = protocolList.has("D210"); break;
        case kTrackHeader: known = protocolList.has("D310"); break;
        case kProtocolArray:
            progress("Protocol Array");
            // A repeated array (after a lost ACK) replaces the first, not adds to it.
            if (received) {
                lbProtocol.clear();
                protocolList.clear();
            }
            for (const auto& tag : DecodeProtocolArray(packet)) {
                if (received) lbProtocol.push_back(tag);
                protocolList.add(tag);
            }
            // The array is the last answer to the product request.
            if (received && pending_.active && pending_.kind == Kind::Identify) completed();
            break;
        case kProductData:
            if (received) {
                product = DecodeProductData(packet);
                if (pending_.kind == Kind::Identify) pending_.complete = true;
            }
            break;
        default: known = false; break;
    }
    // Every record of a transfer counts towards its announced number, also
    // one whose layout this program cannot read (it is then left out).
    bool record = packet.id == kRouteHeader || packet.id == kRouteLink || packet.id == kTrackHeader ||
                  packet.id == kTrackData || packet.id == kWaypointData || packet.id == kRouteWaypoint;
    if (received && record) {
        incoming_.add(packet);
        receivedRecord();
    }
    if (!known) {
        log(kUnknownPacketLine);
        return;
    }
    if (packet.id == kRouteHeader || packet.id == kRouteLink || packet.id == kTrackHeader) ++recordIndex;
    if (explain) {
        TranslationContext c{protocolList, recordIndex, nRecords, trackNumber, locale_, access_.clock};
        for (const auto& line : TranslatePacket(packet, c)) log(line);
    }
}

}  // namespace garmin
