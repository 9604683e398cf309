#pragma once
// Garmin link layer: the outgoing packet queue, the ACK/NAK handshake with
// resends, and the queue of command words that sequences whole transfers.
//
// Everything is driven from outside: Receive() gets every received byte,
// Timer1Timer() runs on a 500 ms tick, and the hooks send bytes, open the
// channel and report. The link never blocks and never touches the document.
//
// Handshake: one packet is in flight at a time. A received ACK releases it
// and the next packet leaves at once; a missing ACK is waited for four
// ticks, then the packet is sent again, three sends in all before the
// queue is flushed with "no reaction". Every good received packet other
// than ACK and NAK is acknowledged; a bad frame gets one NAK until a good
// frame comes. The queue grows as far as a transfer needs: an unsent packet
// is never overwritten.
//
// Quiet: the next command word waits until no frame of the exchange came
// for kQuietTicks. Frames nobody asked for (ACKs and NAKs, position data of
// a receiver in PVT mode, noise that fails its checksum) are answered and
// logged but do not count, or a receiver that streams them would hold every
// command word back for ever.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "garmin/bytes.h"
#include "garmin/framing.h"

namespace garmin {

enum class LinkState { Closed = 1, Ready = 2, WaitAck = 4, Resend = 8 };

// The separator line before every packet in the log.
extern const char* const kLogSeparator;

// Ticks of quiet after the last received frame before the next command word.
constexpr int kQuietTicks = 6;
constexpr int kAckTicks = 5;
constexpr int kMaxResends = 2;

class Link {
public:
    struct Hooks {
        std::function<bool()> isOpen;                               // the channel's is-open test
        std::function<bool()> open;                                 // open the channel in Garmin mode
        std::function<void(const Bytes&)> send;                     // bytes onto the channel
        std::function<void(const std::string&)> log;                // one line of the packet log
        std::function<void(const std::string&)> showProgress;
        std::function<void()> hideProgress;
        std::function<void(const std::string&)> showReceiveBuffer;  // Label1
        std::function<void(const std::string&)> showStateTimeout;   // Label4
        std::function<void(int)> errorBox;                          // message number 33 or 34
        std::function<void(char, const Packet&)> analyze;           // '<' sent, '>' received, 'X' simulated
        std::function<void(const std::string&)> runCommand;         // the next command word is due
        std::function<void(long)> acknowledged;                     // sequence number of an ACKed packet
        // ClearQueue ran: reason 0 by the user, else the message number of
        // the failure; the command words it dropped.
        std::function<void(int, const std::deque<std::string>&)> cleared;
        std::function<void()> channelOpened;                        // before the channel is (re)opened
    };

    explicit Link(Hooks hooks) : hooks_(std::move(hooks)) {}

    // Puts a packet behind the others (in simulation only logs it). Returns
    // the packet's sequence number, which acknowledged() reports.
    long Queue(const Packet& packet);
    // Frames, logs and sends a packet at once.
    void Transmit(const Packet& packet);
    void Receive(std::uint8_t byte);
    void Receive(const std::uint8_t* bytes, size_t count);
    void Timer1Timer();
    // Drops every queued packet and command word; the link is Ready.
    void ClearQueue() { clearQueue(0); }
    // "Abort transfer": ClearQueue, then the abort command.
    void AbortTransfer();
    // ClearQueue, and the abort command sent at once rather than queued:
    // for a caller that stops ticking the link right after.
    void AbortTransferNow();
    // The running word's exchange is over: the next word need not wait
    // for quiet.
    void exchangeDone() { StateTimeout = 0; }

    void appendCommand(const std::string& word) { commands_.push_back(word); }
    const std::deque<std::string>& commandQueue() const { return commands_; }

    // Nothing queued, nothing in flight, no command word waiting, quiet.
    bool idle() const;
    size_t queuedPackets() const { return queue_.size(); }
    long readPointer() const { return sent_; }
    long writePointer() const { return written_; }

    LinkState linkState = LinkState::Closed;
    int ackCountdown = kAckTicks;
    int resendCount = 0;
    int StateTimeout = 0;
    int nakCount = 0;
    int maxResends = kMaxResends;
    bool showHex = false;   // cbHex
    bool simulate = false;  // cbSimulate
    const FrameReader& rx() const { return rx_; }

private:
    void clearQueue(int reason);
    void sendingPath();
    void waitingPath();
    void idlePath();
    void goodFrame(const Packet& packet);
    void badFrame();
    void log(const std::string& line) {
        if (hooks_.log) hooks_.log(line);
    }

    Hooks hooks_;
    FrameReader rx_;
    std::deque<Packet> queue_;  // the front is in flight while inFlight_
    bool inFlight_ = false;
    long written_ = 0;  // packets queued so far (writePointer)
    long sent_ = 0;     // packets taken from the queue so far (readPointer)
    std::deque<std::string> commands_;
    bool inStep_ = false;
    int quietTicks_ = 0;  // ticks since the last received byte
};

}  // namespace garmin
