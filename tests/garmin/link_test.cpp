// The handshake and the command queue, tick by tick. A tick is 500 ms.

#include <gtest/gtest.h>

#include "garmin/link.h"
#include "garmin/records.h"

using namespace garmin;

namespace {

struct Wire {
    std::vector<Packet> sent;  // decoded back from the frames that left
    std::vector<std::string> log, words;
    std::vector<int> errors;
    std::vector<long> acked;
    std::vector<std::pair<int, size_t>> clears;  // reason, dropped words
    int opens = 0;
    bool open = true, canOpen = true;

    Link::Hooks hooks() {
        Link::Hooks h;
        h.isOpen = [this] { return open; };
        h.open = [this] {
            ++opens;
            return open = canOpen;
        };
        h.send = [this](const Bytes& frame) {
            FrameReader r;
            for (std::uint8_t b : frame)
                if (r.feed(b) == FrameReader::Event::Good) sent.push_back(r.packet());
        };
        h.log = [this](const std::string& line) { log.push_back(line); };
        h.errorBox = [this](int n) { errors.push_back(n); };
        h.runCommand = [this](const std::string& w) { words.push_back(w); };
        h.acknowledged = [this](long s) { acked.push_back(s); };
        h.cleared = [this](int reason, const std::deque<std::string>& d) { clears.push_back({reason, d.size()}); };
        return h;
    }
};

void feed(Link& link, const Packet& p) {
    Bytes f = EncodeFrame(p);
    link.Receive(f.data(), f.size());
}

Packet ack(std::uint8_t id) { return {kAck, {id, 0}}; }

TEST(GarminLink, EveryGoodPacketButAckAndNakIsAcknowledged) {
    Wire w;
    Link link(w.hooks());
    feed(link, Packet{kProductData, {1, 0, 2, 0}});
    feed(link, Packet{kNak, {0x22, 0}});
    feed(link, ack(0x0A));
    ASSERT_EQ(w.sent.size(), 1u);
    EXPECT_EQ(w.sent[0], (Packet{kAck, {0xFF, 0x00}}));
    EXPECT_EQ(link.StateTimeout, kQuietTicks);
}

TEST(GarminLink, OneNakPerRunOfBadFrames) {
    Wire w;
    Link link(w.hooks());
    Bytes bad = EncodeFrame(Packet{kTrackData, {1, 2, 3}});
    bad[bad.size() - 3] ^= 0x55;  // spoil the checksum
    link.Receive(bad.data(), bad.size());
    link.Receive(bad.data(), bad.size());
    ASSERT_EQ(w.sent.size(), 1u);
    EXPECT_EQ(w.sent[0], (Packet{kNak, {kTrackData, 0}}));
    feed(link, Packet{kTrackData, {1, 2, 3}});  // a good frame re-arms the NAK
    link.Receive(bad.data(), bad.size());
    ASSERT_EQ(w.sent.size(), 3u);
    EXPECT_EQ(w.sent[1].id, kAck);
    EXPECT_EQ(w.sent[2].id, kNak);
}

TEST(GarminLink, UnansweredPacketIsSentThreeTimesThenFlushed) {
    Wire w;
    Link link(w.hooks());
    link.Queue(Packet{kProductRequest, {}});
    link.appendCommand("get waypoints");
    std::vector<int> sendTicks;
    for (int tick = 0; tick < 20 && w.errors.empty(); ++tick) {
        size_t before = w.sent.size();
        link.Timer1Timer();
        if (w.sent.size() > before) sendTicks.push_back(tick);
        if (!w.errors.empty()) {
            // Sends at 0, 2.5 and 5 s; the flush 7 s after the first send.
            EXPECT_EQ(tick, 14);
        }
    }
    EXPECT_EQ(sendTicks, (std::vector<int>{0, 5, 10}));
    EXPECT_EQ(w.errors, std::vector<int>{33});
    EXPECT_EQ(std::count(w.log.begin(), w.log.end(), "< RE-TRANSMIT"), 2);
    EXPECT_EQ(link.queuedPackets(), 0u);
    EXPECT_TRUE(link.commandQueue().empty());
    ASSERT_EQ(w.clears.size(), 1u);
    EXPECT_EQ(w.clears[0], (std::pair<int, size_t>{33, 1}));
    EXPECT_EQ(link.linkState, LinkState::Ready);
}

TEST(GarminLink, AckSendsTheNextPacketAtOnce) {
    Wire w;
    Link link(w.hooks());
    for (std::uint8_t c : {1, 2, 3}) link.Queue(CommandPacket(c));
    link.Timer1Timer();
    ASSERT_EQ(w.sent.size(), 1u);
    feed(link, ack(kCommand));
    ASSERT_EQ(w.sent.size(), 2u);
    EXPECT_EQ(w.sent[1], CommandPacket(2));
    // An ACK naming another packet does not release this one.
    feed(link, ack(kTrackData));
    EXPECT_EQ(w.sent.size(), 2u);
    feed(link, ack(kCommand));
    feed(link, Packet{kAck, {}});  // an ACK naming nothing
    EXPECT_EQ(w.sent.size(), 3u);
    EXPECT_EQ(w.acked, (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(w.opens, 1);
}

TEST(GarminLink, BytesBehindAnAckInTheSameReadAreNotLost) {
    Wire w;
    Link link(w.hooks());
    link.Queue(CommandPacket(kCmdWaypoints));
    link.Queue(CommandPacket(kCmdRoutes));
    link.Timer1Timer();
    Bytes both = EncodeFrame(ack(kCommand));
    Bytes records = EncodeFrame(RecordsPacket(2));
    both.insert(both.end(), records.begin(), records.end());
    link.Receive(both.data(), both.size());
    ASSERT_EQ(w.sent.size(), 3u);
    EXPECT_EQ(w.sent[1], CommandPacket(kCmdRoutes));  // released by the ACK
    EXPECT_EQ(w.sent[2], (Packet{kAck, {kRecords, 0}}));  // the records packet behind it
}

TEST(GarminLink, MoreThanTenThousandQueuedPacketsAllLeaveInOrder) {
    Wire w;
    Link link(w.hooks());
    const int n = 10005;
    for (int i = 0; i < n; ++i) link.Queue(RecordsPacket(static_cast<std::uint16_t>(i)));
    link.Timer1Timer();
    for (int i = 1; i < n; ++i) feed(link, ack(kRecords));
    ASSERT_EQ(w.sent.size(), static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) ASSERT_EQ(RecordsCount(w.sent[static_cast<size_t>(i)]), i);
    EXPECT_EQ(link.writePointer(), n);
}

TEST(GarminLink, ChannelThatWillNotOpenFlushes) {
    Wire w;
    w.open = false;
    w.canOpen = false;
    Link link(w.hooks());
    link.Queue(Packet{kProductRequest, {}});
    link.appendCommand("get routes");
    link.Timer1Timer();
    EXPECT_EQ(w.errors, std::vector<int>{34});
    EXPECT_EQ(link.linkState, LinkState::Closed);
    EXPECT_EQ(link.queuedPackets(), 0u);
    EXPECT_TRUE(w.sent.empty());
    // Abort while closed: the abort command goes through a new open.
    w.canOpen = true;
    link.AbortTransfer();
    link.Timer1Timer();
    ASSERT_EQ(w.sent.size(), 1u);
    EXPECT_EQ(w.sent[0], CommandPacket(kCmdAbort));
}

TEST(GarminLink, PacketInFlightWhenTheChannelDropsIsSentAgain) {
    Wire w;
    Link link(w.hooks());
    link.Queue(CommandPacket(1));
    link.Queue(CommandPacket(2));
    link.Timer1Timer();
    w.open = false;
    for (int i = 0; i < 5; ++i) link.Timer1Timer();
    ASSERT_EQ(w.sent.size(), 2u);
    EXPECT_EQ(w.sent[1], CommandPacket(1));
}

TEST(GarminLink, CommandWordsWaitForSixQuietTicksOfTheExchange) {
    // What arrives between ticks while the next word waits: only frames of
    // the exchange restart the wait, not what a receiver sends unasked.
    Bytes spoiled = EncodeFrame(Packet{kPvtData, Bytes(8, 0x55)});
    spoiled[spoiled.size() - 3] ^= 0x01;
    struct Row {
        const char* name;
        std::vector<Bytes> everyTick;
        int wordAtTick;  // 0: held back for as long as it comes
    } rows[] = {
        {"nothing", {}, 6},
        {"position data of PVT mode", {EncodeFrame(Packet{kPvtData, Bytes(64, 0)})}, 6},
        {"stray ACKs and NAKs", {EncodeFrame(ack(0x99)), EncodeFrame(Packet{kNak, {0x98, 0}})}, 6},
        {"noise that fails its checksum", {spoiled, Bytes{0x55, 0xAA, 0x00}}, 6},
        {"records", {EncodeFrame(Packet{kTrackData, {1, 2, 3}})}, 0},
    };
    for (const auto& r : rows) {
        Wire w;
        Link link(w.hooks());
        feed(link, Packet{kProductData, {}});
        link.appendCommand("get waypoints");
        link.appendCommand("get routes");
        int tick = 0;
        while (w.words.empty() && tick < 20) {
            for (const Bytes& b : r.everyTick) link.Receive(b.data(), b.size());
            link.Timer1Timer();
            ++tick;
        }
        EXPECT_EQ(w.words.empty() ? 0 : tick, r.wordAtTick) << r.name;
        if (r.wordAtTick == 0) continue;
        EXPECT_EQ(w.words, std::vector<std::string>{"get waypoints"}) << r.name;
        feed(link, Packet{kTransferComplete, {7, 0}});  // the word's answer is complete:
        link.exchangeDone();                             // the next one need not wait for quiet
        link.Timer1Timer();
        EXPECT_EQ(w.words.size(), 2u) << r.name;
    }
}

TEST(GarminLink, AFrameCutOffForGoodDoesNotBlockTheQueue) {
    Wire w;
    Link link(w.hooks());
    Bytes start{0x10, 0x22, 0x18, 0x01};  // a track point frame that never ends
    link.Receive(start.data(), start.size());
    link.appendCommand("get routes");
    link.Timer1Timer();
    EXPECT_EQ(w.words, std::vector<std::string>{"get routes"});  // a half frame is no exchange
    for (int tick = 0; tick < kQuietTicks; ++tick) link.Timer1Timer();
    EXPECT_TRUE(link.rx().empty());  // and it is dropped after the quiet time
}

TEST(GarminLink, SimulationOnlyLogs) {
    Wire w;
    std::vector<char> directions;
    Link::Hooks h = w.hooks();
    h.analyze = [&](char d, const Packet&) { directions.push_back(d); };
    Link link(std::move(h));
    link.simulate = true;
    link.Queue(CommandPacket(kCmdTrackLog));
    link.Timer1Timer();
    EXPECT_EQ(directions, std::vector<char>{'X'});
    EXPECT_TRUE(w.sent.empty());
    EXPECT_EQ(w.opens, 0);
}

TEST(GarminLink, HexLogLines) {
    Wire w;
    Link link(w.hooks());
    link.showHex = true;
    link.Transmit(Packet{kProductRequest, {}});
    ASSERT_EQ(w.log.size(), 4u);
    EXPECT_EQ(w.log[0], std::string(47, '-'));
    EXPECT_EQ(w.log[1], "< 10 FE 00 02 10 03 ");
    EXPECT_EQ(w.log[2], "  Pk:FE 00 ");
    EXPECT_EQ(w.log[3], "    " + std::string("  \xC3\xBE") + "   ");
}

}  // namespace
