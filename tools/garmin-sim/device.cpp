#include "device.h"

#include <algorithm>
#include <cstdio>

namespace garminsim {

using namespace garmin;

namespace {
constexpr int kBitsPerByte = 10;  // start, eight data bits, stop
}

Device::Device(DocumentAccess access, DeviceOptions options)
    : access_(std::move(access)), options_(std::move(options)), random_(options_.seed) {
    for (const auto& tag : options_.protocols) protocols_.add(tag);
}

bool Device::roll(double share) {
    return share > 0 && std::uniform_real_distribution<double>(0, 1)(random_) < share;
}

void Device::note(const std::string& text) const {
    if (options_.verbose) std::fprintf(stderr, "garmin-sim: %s\n", text.c_str());
}

void Device::emit(const Packet& packet, Clock::time_point now) {
    if (roll(options_.drop)) {
        note("drops outgoing packet " + HexByte(packet.id));
        return;
    }
    Bytes frame = EncodeFrame(packet);
    if (roll(options_.corrupt)) {
        // Spoil one byte between the leading DLE and the closing DLE ETX.
        size_t at = 1 + std::uniform_int_distribution<size_t>(0, frame.size() - 4)(random_);
        frame[at] ^= static_cast<std::uint8_t>(1u << std::uniform_int_distribution<int>(0, 7)(random_));
        note("spoils outgoing packet " + HexByte(packet.id));
    }
    bytesOut_ += static_cast<long>(frame.size());
    wire_.emplace_back(now + std::chrono::milliseconds(options_.delayMs), std::move(frame));
}

bool Device::nextFrame(Clock::time_point now, Bytes& frame) {
    if (wire_.empty() || wire_.front().first > now || lineFreeAt_ > now) return false;
    frame = std::move(wire_.front().second);
    wire_.pop_front();
    if (options_.baud > 0) {
        auto duration = std::chrono::nanoseconds(static_cast<long long>(frame.size()) * kBitsPerByte *
                                                 1000000000LL / options_.baud);
        lineFreeAt_ = std::max(now, lineFreeAt_) + duration;
    }
    return true;
}

Clock::time_point Device::nextDeadline() const {
    Clock::time_point next = resendAt_;
    if (options_.unaskedMs > 0) next = std::min(next, nextChatter_);
    if (!wire_.empty()) next = std::min(next, std::max(wire_.front().first, lineFreeAt_));
    return next;
}

void Device::sendNext(Clock::time_point now) {
    if (inFlight_ || outbox_.empty()) {
        if (outbox_.empty() && runningCommand_ >= 0) {
            // The whole transfer is acknowledged: how long it took, and the bytes both ways.
            double seconds = std::chrono::duration<double>(now - transferStart_).count();
            note("transfer of " + std::to_string(transferRecords_) + " records done in " + std::to_string(seconds) +
                 " s; bytes out " + std::to_string(bytesOut_ - transferBytesOut_) + ", in " +
                 std::to_string(bytesIn_ - transferBytesIn_));
        }
        if (outbox_.empty()) runningCommand_ = -1;
        return;
    }
    inFlight_ = true;
    tries_ = 1;
    emit(outbox_.front(), now);
    resendAt_ = now + std::chrono::milliseconds(options_.delayMs + options_.ackTimeoutMs);
}

void Device::chatter(Clock::time_point now) {
    if (options_.unaskedMs <= 0 || now < nextChatter_) return;
    nextChatter_ = now + std::chrono::milliseconds(options_.unaskedMs);
    // D800 position data, 64 bytes; its content does not matter to the link.
    emit(Packet{kPvtData, Bytes(64, 0)}, now);
    emit(Packet{kAck, {0x99, 0}}, now);
    emit(Packet{kNak, {0x98, 0}}, now);
    Bytes spoiled = EncodeFrame(Packet{kPvtData, Bytes(8, 0x55)});
    spoiled[spoiled.size() - 3] ^= 0x01;  // the checksum
    wire_.emplace_back(now, std::move(spoiled));
}

void Device::tick(Clock::time_point now) {
    chatter(now);
    if (!inFlight_ || now < resendAt_) return;
    if (tries_ >= options_.maxTries) {
        note("no ACK after " + std::to_string(tries_) + " tries: transfer given up");
        outbox_.clear();
        inFlight_ = false;
        runningCommand_ = -1;
        resendAt_ = Clock::time_point::max();
        return;
    }
    ++tries_;
    emit(outbox_.front(), now);
    resendAt_ = now + std::chrono::milliseconds(options_.delayMs + options_.ackTimeoutMs);
}

void Device::receive(const std::uint8_t* bytes, size_t count, Clock::time_point now) {
    bytesIn_ += static_cast<long>(count);
    for (size_t i = 0; i < count; ++i) {
        FrameReader::Event event = rx_.feed(bytes[i]);
        if (event == FrameReader::Event::None) continue;
        if (roll(options_.drop)) {
            note("drops an incoming frame");
            continue;
        }
        if (event == FrameReader::Event::Good && roll(options_.corrupt)) {
            note("spoils an incoming frame");
            event = FrameReader::Event::Bad;
        }
        if (event == FrameReader::Event::Bad) {
            emit(Packet{kNak, {rx_.badId(), 0}}, now);
            continue;
        }
        const Packet& p = rx_.packet();
        if (p.id == kAck) {
            if (inFlight_ && ByteReader(p.data).u8(0) == outbox_.front().id) {
                outbox_.pop_front();
                inFlight_ = false;
                resendAt_ = Clock::time_point::max();
                sendNext(now);
            }
            continue;
        }
        if (p.id == kNak) {
            if (inFlight_) {
                emit(outbox_.front(), now);
                resendAt_ = now + std::chrono::milliseconds(options_.delayMs + options_.ackTimeoutMs);
            }
            continue;
        }
        emit(Packet{kAck, {p.id, 0}}, now);
        handle(p, now);
    }
}

void Device::queueTransfer(std::uint8_t command) {
    Layouts layouts = Layouts::from(protocols_);
    BuildOptions options;
    options.markNewTrack = true;
    options.oneTrackTransfer = true;
    options.oneRouteTransfer = true;
    std::string error;
    std::vector<Transfer> transfers =
        command == kCmdWaypoints ? BuildWaypointTransfer(access_, layouts, error)
        : command == kCmdRoutes  ? BuildRouteTransfers(access_, layouts, options, error)
                                 : BuildTrackTransfers(access_, layouts, options, error);
    if (transfers.empty()) transfers.push_back({RecordsPacket(0), TransferCompletePacket(command)});
    long records = 0;
    for (auto& t : transfers) {
        records += static_cast<long>(t.size()) - 2;
        if (options_.extraRecords > 0)
            t.front() = RecordsPacket(
                static_cast<std::uint16_t>(std::max<long>(0, static_cast<long>(t.size()) - 2 - options_.extraRecords)));
        outbox_.insert(outbox_.end(), t.begin(), t.end());
    }
    transferRecords_ = records;
    note("sends " + std::to_string(records) + " records for command " + std::to_string(command));
}

void Device::handle(const Packet& p, Clock::time_point now) {
    switch (p.id) {
        case kProductRequest:
            // A new client: whatever was in flight for the last one is dropped.
            outbox_.clear();
            inFlight_ = false;
            resendAt_ = Clock::time_point::max();
            outbox_.push_back(EncodeProductData({options_.productId, options_.softwareVersion, {options_.description}}));
            outbox_.push_back(EncodeProtocolArray(options_.protocols));
            break;
        case kCommand: {
            std::uint8_t command = ByteReader(p.data).u8(0);
            if (command == runningCommand_ && !outbox_.empty()) {
                note("repeated command ignored");
                return;
            }
            // A new command ends the transfer that is running, as abort does.
            outbox_.clear();
            inFlight_ = false;
            resendAt_ = Clock::time_point::max();
            runningCommand_ = -1;
            if (command == kCmdAbort) {
                incoming_.reset();  // an upload half done is dropped too
                note("transfer aborted");
                return;
            }
            if (command == kCmdPowerOff) {
                note("power off requested");
                return;
            }
            if (command != kCmdWaypoints && command != kCmdRoutes && command != kCmdTrackLog) {
                note("command " + std::to_string(command) + " not supported");
                return;
            }
            runningCommand_ = command;
            queueTransfer(command);
            transferStart_ = now;
            transferBytesOut_ = bytesOut_;
            transferBytesIn_ = bytesIn_;
            break;
        }
        case kRecords: incoming_.begin(RecordsCount(p)); return;
        case kRouteHeader:
        case kRouteWaypoint:
        case kRouteLink:
        case kTrackHeader:
        case kTrackData:
        case kWaypointData: incoming_.add(p); return;
        case kTransferComplete: {
            std::string error;
            auto records = incoming_.finish(error);
            if (!records) {
                ++failedUploads_;
                note("upload rejected: " + error);
                return;
            }
            CommitOptions options;
            options.trackHeaderNames = true;
            CommitCount c = AddToDocument(access_, Layouts::from(protocols_), *records, options);
            ++uploads_;
            note("upload kept: " + std::to_string(c.waypoints) + " waypoints, " + std::to_string(c.routes) +
                 " routes, " + std::to_string(c.trackPoints) + " track points");
            return;
        }
        default: note("packet " + HexByte(p.id) + " ignored"); return;
    }
    sendNext(now);
}

}  // namespace garminsim
