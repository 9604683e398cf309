#pragma once
// A Garmin receiver as seen from its serial port: it answers the product
// request with its product data and protocol array, sends its waypoints,
// routes and track log on request, and keeps what is uploaded to it.
//
// Link behaviour of a receiver: one packet in flight, sent again on a NAK
// or when no ACK came within the ACK timeout, given up after a number of
// tries; every good packet acknowledged, every bad frame answered with a
// NAK. A repeated command for the transfer already running is ignored;
// another command ends it.
//
// For tests the line can be made poor: a share of frames lost or spoiled in
// each direction, answers delayed, and the line paced at a bit rate; and the
// unit can chatter unasked or send more records than it announces.

#include <chrono>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "garmin/framing.h"
#include "garmin/transfers.h"

namespace garminsim {

using Clock = std::chrono::steady_clock;

struct DeviceOptions {
    std::vector<std::string> protocols;
    std::uint16_t productId = 412;
    std::int16_t softwareVersion = 370;
    std::string description = "Pathkeep Garmin simulator";
    double drop = 0;     // share of frames lost, each direction
    double corrupt = 0;  // share of frames with a spoiled byte, each direction
    unsigned seed = 1;
    int delayMs = 0;        // every frame the receiver sends leaves this much later
    long baud = 0;          // 0: as fast as the channel takes it
    // A unit left in PVT mode, on a noisy line: every this many ms (0: never)
    // it sends unasked a position packet, a stray ACK and NAK and a spoiled frame.
    int unaskedMs = 0;
    // A faulty unit: each transfer it sends announces this many records fewer than it holds.
    int extraRecords = 0;
    int ackTimeoutMs = 500;
    int maxTries = 6;
    bool verbose = false;
};

class Device {
public:
    Device(garmin::DocumentAccess access, DeviceOptions options);

    void receive(const std::uint8_t* bytes, size_t count, Clock::time_point now);
    void tick(Clock::time_point now);
    // The next frame due on the wire, if any.
    bool nextFrame(Clock::time_point now, garmin::Bytes& frame);
    // When something is due next (a frame or a resend); max() when nothing.
    Clock::time_point nextDeadline() const;

    long uploadsCompleted() const { return uploads_; }
    long bytesOut() const { return bytesOut_; }
    long bytesIn() const { return bytesIn_; }
    long uploadsFailed() const { return failedUploads_; }

private:
    void handle(const garmin::Packet& packet, Clock::time_point now);
    void queueTransfer(std::uint8_t command);
    void sendNext(Clock::time_point now);
    void emit(const garmin::Packet& packet, Clock::time_point now);
    void chatter(Clock::time_point now);
    bool roll(double share);
    void note(const std::string& text) const;

    garmin::DocumentAccess access_;
    DeviceOptions options_;
    garmin::ProtocolList protocols_;
    garmin::FrameReader rx_;
    std::deque<garmin::Packet> outbox_;
    bool inFlight_ = false;
    int tries_ = 0;
    Clock::time_point resendAt_ = Clock::time_point::max();
    Clock::time_point nextChatter_{};
    int runningCommand_ = -1;
    garmin::IncomingTransfer incoming_;
    std::deque<std::pair<Clock::time_point, garmin::Bytes>> wire_;
    Clock::time_point lineFreeAt_{};
    std::mt19937 random_;
    long uploads_ = 0, failedUploads_ = 0;
    long bytesOut_ = 0, bytesIn_ = 0;
    // The transfer being sent: when it started and the byte counts then.
    Clock::time_point transferStart_{};
    long transferBytesOut_ = 0, transferBytesIn_ = 0;
    long transferRecords_ = 0;
};

}  // namespace garminsim
