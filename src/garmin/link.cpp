#include "garmin/link.h"

#include "garmin/records.h"

namespace garmin {

const char* const kLogSeparator = "-----------------------------------------------";

long Link::Queue(const Packet& packet) {
    if (simulate) {
        if (hooks_.analyze) hooks_.analyze('X', packet);
        return 0;
    }
    queue_.push_back(packet);
    return ++written_;
}

void Link::Transmit(const Packet& packet) {
    log(kLogSeparator);
    Bytes frame = EncodeFrame(packet);
    if (showHex) {
        Bytes pk = packet.bytes();
        log("< " + StrToHex(frame));
        log("  Pk:" + StrToHex(pk));
        log("    " + StrToString(pk));
    }
    if (hooks_.analyze) hooks_.analyze('<', packet);
    if (hooks_.send) hooks_.send(frame);
}

void Link::Receive(const std::uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) Receive(bytes[i]);
}

void Link::Receive(std::uint8_t byte) {
    quietTicks_ = 0;
    FrameReader::Event event = rx_.feed(byte);
    if (hooks_.showReceiveBuffer)
        hooks_.showReceiveBuffer("RxBuf (" + std::to_string(rx_.RxBuf().size()) + ") : " + StrToHex(rx_.RxBuf()));
    if (event == FrameReader::Event::None) return;
    log(kLogSeparator);
    if (event != FrameReader::Event::Good) return badFrame();
    // Before the frame is handled: a frame that completes the exchange may
    // end the wait at once (exchangeDone).
    std::uint8_t id = rx_.packet().id;
    if (id != kAck && id != kNak && id != kPvtData) StateTimeout = kQuietTicks;
    goodFrame(rx_.packet());
}

void Link::goodFrame(const Packet& packet) {
    if (showHex) {
        Bytes pk = packet.bytes();
        log("> " + StrToHex(rx_.lastFrame()));
        log("  Pk:" + StrToHex(pk));
        log("    " + StrToString(pk));
    }
    if (hooks_.analyze) hooks_.analyze('>', packet);
    if (packet.id == kAck) {
        // Only an ACK that names the packet in flight releases it: a late
        // ACK for an earlier send must not release the next packet unseen.
        // An ACK without data names nothing and is taken for the packet in flight.
        bool matches = inFlight_ && !queue_.empty() &&
                       (packet.data.empty() || ByteReader(packet.data).u8(0) == queue_.front().id);
        if (matches) {
            queue_.pop_front();
            inFlight_ = false;
            linkState = LinkState::Ready;
            if (hooks_.acknowledged) hooks_.acknowledged(sent_);
            // The next packet leaves now rather than at the next tick.
            if (!queue_.empty() && !inStep_) Timer1Timer();
        }
        return;
    }
    if (packet.id == kNak) return;  // logged only; the ACK wait runs out and resends
    Transmit(Packet{kAck, {packet.id, 0}});
    nakCount = 0;
}

void Link::badFrame() {
    log("  Calculated checksum: " + HexByte(rx_.expectedChecksum()));
    if (++nakCount == 1) Transmit(Packet{kNak, {rx_.badId(), 0}});
}

bool Link::idle() const { return queue_.empty() && commands_.empty() && StateTimeout == 0; }

void Link::Timer1Timer() {
    inStep_ = true;
    if (hooks_.showStateTimeout) hooks_.showStateTimeout("StateTimeout: " + std::to_string(StateTimeout));
    // A frame cut off for good (the receiver stopped mid-frame) would keep
    // the link busy for ever; after the quiet time it is dropped.
    if (!rx_.empty() && ++quietTicks_ > kQuietTicks) rx_.clear();
    bool closedOrReady = linkState == LinkState::Closed || linkState == LinkState::Ready;
    if (closedOrReady && queue_.empty())
        idlePath();
    else if (linkState == LinkState::WaitAck)
        waitingPath();
    else
        sendingPath();
    inStep_ = false;
}

void Link::idlePath() {
    if (commands_.empty() && StateTimeout == 0 && hooks_.hideProgress) hooks_.hideProgress();
    if (StateTimeout > 0) --StateTimeout;
    if (!commands_.empty() && StateTimeout == 0) {
        if (hooks_.hideProgress) hooks_.hideProgress();
        std::string word = commands_.front();
        commands_.pop_front();
        if (hooks_.runCommand) hooks_.runCommand(word);
    }
}

void Link::waitingPath() {
    if (ackCountdown > 0) --ackCountdown;
    if (ackCountdown != 1) return;
    linkState = LinkState::Resend;
    if (resendCount < maxResends) {
        ++resendCount;
        return;
    }
    clearQueue(33);
    if (hooks_.errorBox) hooks_.errorBox(33);
}

void Link::sendingPath() {
    if (queue_.empty()) {
        linkState = LinkState::Ready;
        return;
    }
    if (linkState == LinkState::Closed || !hooks_.isOpen || !hooks_.isOpen()) {
        rx_.clear();
        nakCount = 0;
        StateTimeout = kQuietTicks;
        if (hooks_.showProgress) hooks_.showProgress("");
        if (hooks_.channelOpened) hooks_.channelOpened();
        if (!hooks_.open || !hooks_.open()) {
            clearQueue(34);
            if (hooks_.errorBox) hooks_.errorBox(34);
            linkState = LinkState::Closed;
            return;
        }
        // A packet that was in flight when the channel went away is sent
        // again, not skipped.
        linkState = inFlight_ ? LinkState::Resend : LinkState::Ready;
    }
    if (linkState == LinkState::Resend) log("< RE-TRANSMIT");
    if (linkState == LinkState::Ready) {
        ++sent_;
        resendCount = 0;
        inFlight_ = true;
    }
    ackCountdown = kAckTicks;
    linkState = LinkState::WaitAck;
    if (hooks_.showProgress)
        hooks_.showProgress("Queue: read pointer (" + std::to_string(sent_) + ") " + "write pointer (" +
                            std::to_string(written_) + ")");
    if (sent_ == written_ && hooks_.hideProgress) hooks_.hideProgress();
    Transmit(queue_.front());
}

void Link::clearQueue(int reason) {
    nakCount = 0;
    if (hooks_.showProgress) hooks_.showProgress("");
    std::deque<std::string> dropped;
    dropped.swap(commands_);
    sent_ = written_;
    queue_.clear();
    inFlight_ = false;
    linkState = LinkState::Ready;
    rx_.clear();
    if (hooks_.cleared) hooks_.cleared(reason, dropped);
}

void Link::AbortTransfer() {
    ClearQueue();
    Queue(CommandPacket(kCmdAbort));
}

void Link::AbortTransferNow() {
    ClearQueue();
    if (!simulate && hooks_.isOpen && hooks_.isOpen()) Transmit(CommandPacket(kCmdAbort));
}

}  // namespace garmin
