// Transfers through a session with a scripted receiver: what reaches the
// document, what is sent, what the log says, and each word's outcome.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/point_list.h"
#include "garmin/session.h"
#include "garmin/translate.h"
#include "garmin/commands.h"
#include "host/fake/fake_host.h"

using namespace garmin;

namespace {

class GarminSession : public ::testing::Test {
protected:
    GarminSession() {
        symbols.LoadSymbolTable(std::string(PATHKEEP_DATA_DIR) + "/symbol_types.dat");
        makeSession();
    }
    void makeSession() {
        Session::Hooks h;
        h.isOpen = [] { return true; };
        h.open = [] { return true; };
        h.send = [this](const Bytes& frame) {
            FrameReader r;
            for (std::uint8_t b : frame)
                if (r.feed(b) == FrameReader::Event::Good) {
                    sent.push_back(r.packet());
                    if (r.packet().id != kAck && r.packet().id != kNak) toAck.push_back(r.packet().id);
                }
        };
        h.log = [this](const std::string& line) { log.push_back(line); };
        h.message = [](int n) { return "message " + std::to_string(n); };
        h.errorBox = [this](const std::string& text) { errors.push_back(text); };
        session = std::make_unique<Session>(
            DocumentAccess{doc, symbols, host.fakeClock,
                           [this] {
                               return core::PointLoader(doc, symbols,
                                                        core::PointLoader::Env{host.fakeClock, host.fakeLocale,
                                                                               nullptr, {}});
                           }},
            host.fakeLocale, std::move(h));
    }

    void receive(const Packet& p) {
        Bytes f = EncodeFrame(p);
        session->Receive(f.data(), f.size());
    }
    // An identification as the receiver answers it; the channel is open afterwards.
    void identify(const std::vector<std::string>& tags) {
        session->appendCommand("id request");
        bool answered = false;
        run(true, [&] {
            if (answered || sentData().empty() || sentData().back().id != kProductRequest) return;
            answered = true;
            receive(EncodeProductData({412, 300, {"Simulated GPS"}}));
            receive(EncodeProtocolArray(tags));
        });
        ASSERT_FALSE(session->results().empty());
        ASSERT_TRUE(session->results().back().result.isDone());
        sent.clear();
    }
    // Ticks until every word has run, acknowledging what the session sends
    // while `acking` is on, and calling `device` after each tick.
    void run(bool acking = true, std::function<void()> device = {}) {
        for (int tick = 0; tick < 200 && !(session->finished() && toAck.empty()); ++tick) {
            session->Timer1Timer();
            if (device) device();
            while (acking && !toAck.empty()) {
                std::uint8_t id = toAck.front();
                toAck.erase(toAck.begin());
                receive(Packet{kAck, {id, 0}});
            }
            if (!acking) toAck.clear();
        }
    }
    std::vector<Packet> sentData() const {
        std::vector<Packet> out;
        for (const auto& p : sent)
            if (p.id != kAck && p.id != kNak) out.push_back(p);
        return out;
    }
    std::vector<std::string> childTexts(core::NodeId node) {
        std::vector<std::string> out;
        for (core::NodeId c = doc.firstChild(node); c != core::kNoNode; c = doc.nextSibling(c))
            out.push_back(doc.getText(c));
        return out;
    }
    long trackPoints() { return doc.trackPointCount(); }
    bool logged(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }

    Packet trackPoint(double lat, double lon, std::uint32_t time, bool newTrack = false, float alt = 10.0f) {
        TrackPointRecord t;
        t.lat = lat;
        t.lon = lon;
        t.time = time;
        t.altitude = alt;
        t.newTrack = newTrack;
        return EncodeTrackPoint(t);
    }
    void receiveTransfer(const std::vector<Packet>& records, std::uint8_t command, int announced = -1) {
        receive(RecordsPacket(static_cast<std::uint16_t>(announced < 0 ? records.size() : announced)));
        for (const auto& r : records) receive(r);
        receive(TransferCompletePacket(command));
    }

    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    core::PointList points;
    std::unique_ptr<Session> session;
    std::vector<Packet> sent;
    std::vector<std::uint8_t> toAck;
    std::vector<std::string> log, errors;
};

const std::vector<std::string> kTags = {"P000", "L001", "A010", "A100", "D108", "A201", "D202", "D108", "D210",
                                        "A301", "D310", "D301"};

TEST_F(GarminSession, ReceivedWaypointLandsInTheDocument) {
    identify(kTags);
    session->appendCommand("get waypoints");
    WaypointRecord w;
    w.lat = 51.5;
    w.lon = -0.25;
    w.altitude = 12.5f;  // halves go to even: 12
    w.symbol = 18;
    w.ident = "ABC";
    w.comment = "X";
    bool sentOnce = false;
    run(true, [&] {
        if (sentOnce || sentData().empty() || sentData().back() != CommandPacket(kCmdWaypoints)) return;
        sentOnce = true;
        receiveTransfer({EncodeWaypoint(kWaypointData, WaypointLayout::D108, w)}, kCmdWaypoints);
    });
    ASSERT_EQ(session->results().size(), 2u);
    EXPECT_TRUE(session->results().back().result.isDone()) << session->results().back().result.message();
    core::NodeId wpt = doc.firstChild(doc.waypoints());
    ASSERT_NE(wpt, core::kNoNode);
    EXPECT_EQ(doc.getText(wpt), "wpt (ABC)");
    auto texts = childTexts(wpt);
    // Calculator: 614418932 * 180 / 2^31 = 51.4999999478459; -2982616 * 180 / 2^31 = -0.249999985098839.
    EXPECT_EQ(texts, (std::vector<std::string>{"lat = 51.4999999478459", "lon = -0.249999985098839", "ele = 12",
                                               "time = 2008-05-01T13:05:09.000Z", "name = ABC", "sym = Waypoint",
                                               "cmt = X"}));
}

TEST_F(GarminSession, ThreePointRouteGoesOutAsSixRecords) {
    identify({"A201", "D202", "D108", "D210"});
    doc.NewRoute("Tour");
    for (int i = 0; i < 3; ++i)
        doc.AddRoutepoint("51." + std::to_string(i), "4.5", "", "", "P" + std::to_string(i),
                          core::Symbol::name("Flag, Blue"), "", "");
    ASSERT_TRUE(session->TxRoutes().isDone());
    run();
    std::vector<Packet> out = sentData();
    std::vector<std::uint8_t> ids;
    for (const auto& p : out) ids.push_back(p.id);
    EXPECT_EQ(ids, (std::vector<std::uint8_t>{0x1B, 0x1D, 0x1E, 0x62, 0x1E, 0x62, 0x1E, 0x0C}));
    EXPECT_EQ(RecordsCount(out[0]), 6);
    EXPECT_EQ(out.back(), (Packet{0x0C, {0x04, 0x00}}));
    EXPECT_EQ(std::string(out[1].data.begin(), out[1].data.end() - 1), "Tour         ");
    // The route points keep their symbol: "Flag, Blue" is 8284 in symbol_types.dat.
    EXPECT_EQ(DecodeWaypoint(out[2], WaypointLayout::D108).symbol, 8284);
    EXPECT_EQ(DecodeWaypoint(out[6], WaypointLayout::D108).ident, "P2");
}

TEST_F(GarminSession, TrackUploadCarriesTimesInUtcAndAltitudes) {
    identify(kTags);
    host.fakeClock.offsetMinutes = 60;
    doc.NewTrack("Walk");
    doc.AddTrackpoint("52", "5", "3.25", "39448.5");  // local noon on 2008-01-01 is 11:00 UTC
    doc.AddTrackpoint("52.1", "5.1", "", "");
    session->appendCommand("put trackpoints");
    run();
    std::vector<Packet> out = sentData();
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(RecordsCount(out[0]), 3);  // the header counts as a record
    EXPECT_EQ(DecodeTrackHeader(out[1]).name, "Walk");
    TrackPointRecord a = DecodeTrackPoint(out[2]), b = DecodeTrackPoint(out[3]);
    EXPECT_EQ(a.time, 568080000u + 11 * 3600u);
    EXPECT_EQ(a.altitude, 3.25f);
    EXPECT_EQ(b.time, kNoTime);
    EXPECT_EQ(b.altitude, kUnknownFloat);
    EXPECT_FALSE(a.newTrack);
    ASSERT_EQ(session->results().size(), 2u);
    EXPECT_TRUE(session->results().back().result.isDone());
}

TEST_F(GarminSession, HundredThousandPointTrackGoesOutWhole) {
    identify(kTags);
    doc.NewTrack("Long");
    const int n = 100000;
    for (int i = 0; i < n; ++i)
        doc.AddTrackpoint("52." + std::to_string(100000 + i), "5.5", "1", "");
    ASSERT_TRUE(session->TxTrackpointsClick().isDone());
    // Records counts are 16 bits: the track travels as two transfers.
    EXPECT_EQ(session->link().queuedPackets(), static_cast<size_t>(n + 1 + 4));
    run();
    long points = 0, announced = 0, transfers = 0;
    double lastLat = 0;
    bool inOrder = true;
    for (const auto& p : sentData()) {
        if (p.id == kRecords) announced += RecordsCount(p), ++transfers;
        if (p.id != kTrackData) continue;
        double lat = DecodeTrackPoint(p).lat;
        inOrder &= lat > lastLat;
        lastLat = lat;
        ++points;
    }
    EXPECT_EQ(points, n);
    EXPECT_EQ(announced, n + 1);
    EXPECT_EQ(transfers, 2);
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(session->link().idle());
}

TEST_F(GarminSession, SameTrackLogTwiceAppendsToTheFirstTrack) {
    identify(kTags);
    host.fakeClock.offsetMinutes = 60;
    std::vector<Packet> log{EncodeTrackHeader("ACTIVE LOG"), trackPoint(52, 5, 568080000u, true),
                            trackPoint(52.001, 5.001, 568080060u)};
    for (int round = 0; round < 2; ++round) {
        session->appendCommand("get trackpoints");
        bool sentOnce = false;
        run(true, [&] {
            if (sentOnce || sentData().empty() || sentData().back() != CommandPacket(kCmdTrackLog)) return;
            sentOnce = true;
            receiveTransfer(log, kCmdTrackLog);
        });
    }
    EXPECT_EQ(childTexts(doc.trackpoints()), std::vector<std::string>{"trk (ACTIVE LOG 001)"});
    EXPECT_EQ(trackPoints(), 4);
    core::NodeId seg = doc.currentSegment;
    core::NodeId first = doc.firstChild(seg);
    auto texts = childTexts(first);
    // 2008-01-01 00:00 UTC seen from UTC+1.
    EXPECT_NE(std::find(texts.begin(), texts.end(), "time = 2008-01-01T01:00:00.000+01:00"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "ele = 10"), texts.end());
    EXPECT_EQ(session->results().size(), 3u);
    EXPECT_TRUE(session->allDone());
}

TEST_F(GarminSession, RecordsOfAnUnknownLayoutCountButAreLeftOut) {
    identify({"A010", "A301", "D312", "D301"});  // a track header layout this program does not read
    session->appendCommand("get trackpoints");
    bool sentOnce = false;
    run(true, [&] {
        if (sentOnce || sentData().empty() || sentData().back() != CommandPacket(kCmdTrackLog)) return;
        sentOnce = true;
        receiveTransfer({Packet{kTrackHeader, {1, 0, 'T', 0}}, trackPoint(52, 5, 100, true), trackPoint(52.1, 5, 200)},
                        kCmdTrackLog);
    });
    EXPECT_TRUE(session->results().back().result.isDone()) << session->results().back().result.message();
    EXPECT_EQ(trackPoints(), 2);
    EXPECT_TRUE(logged("> \"UNKNOWN PACKET\""));
}

TEST_F(GarminSession, IncompleteOrOversentTransferLeavesTheDocumentAlone) {
    struct Row {
        const char* name;
        int announced, sent;
        bool complete;  // Transfer complete follows the records
        const char* message;
    } rows[] = {
        {"falls silent after 2 of 3", 3, 2, false, "The transfer did not complete: 2 of 3 records arrived."},
        {"sends 3 after announcing 2", 2, 3, true, "3 records arrived, 2 announced."},
    };
    for (const auto& r : rows) {
        makeSession();
        sent.clear();
        toAck.clear();
        identify(kTags);
        session->appendCommand("get trackpoints");
        bool sentOnce = false, failedAtOnce = false;
        run(true, [&] {
            if (sentOnce || sentData().empty() || sentData().back() != CommandPacket(kCmdTrackLog)) return;
            sentOnce = true;
            receive(RecordsPacket(static_cast<std::uint16_t>(r.announced)));
            for (int i = 0; i < r.sent; ++i) receive(trackPoint(52, 5 + i * 0.1, 1 + i, i == 0));
            failedAtOnce = session->results().size() == 2;
            if (r.complete) receive(TransferCompletePacket(kCmdTrackLog));
        });
        EXPECT_EQ(trackPoints(), 0) << r.name;
        ASSERT_EQ(session->results().size(), 2u) << r.name;
        EXPECT_TRUE(session->results().back().result.isFailed()) << r.name;
        EXPECT_EQ(session->results().back().result.message(), r.message) << r.name;
        if (r.complete) {
            // Failed at once, and the receiver told to stop sending.
            EXPECT_TRUE(failedAtOnce) << r.name;
            EXPECT_EQ(sentData().back(), CommandPacket(kCmdAbort)) << r.name;
        }
    }
}

TEST_F(GarminSession, RepeatsAfterALostAckAreTakenOnce) {
    identify(kTags);
    struct Row {
        const char* name;
        std::vector<int> order;  // indexes into the points; repeats back to back
        int announced;
        long expectPoints;  // -1: the transfer fails
    } rows[] = {
        {"resent point", {0, 0, 1}, 2, 2},
        {"two resends", {0, 1, 1, 1}, 2, 2},
        {"a real repeated point", {0, 0, 1}, 3, 3},
        {"one missing", {0}, 2, -1},
        {"too many", {0, 1}, 1, -1},
    };
    std::vector<Packet> pts{trackPoint(52, 5, 100, true), trackPoint(53, 6, 200)};
    for (const auto& row : rows) {
        doc.initTree();
        sent.clear();
        makeSession();
        identify(kTags);
        session->appendCommand("get trackpoints");
        bool sentOnce = false;
        run(true, [&] {
            if (sentOnce || sentData().empty() || sentData().back() != CommandPacket(kCmdTrackLog)) return;
            sentOnce = true;
            std::vector<Packet> records;
            for (int i : row.order) records.push_back(pts[static_cast<size_t>(i)]);
            receiveTransfer(records, kCmdTrackLog, row.announced);
        });
        ASSERT_EQ(session->results().size(), 2u) << row.name;
        const core::Result& r = session->results().back().result;
        if (row.expectPoints < 0) {
            EXPECT_TRUE(r.isFailed()) << row.name;
            EXPECT_EQ(trackPoints(), 0) << row.name;
        } else {
            EXPECT_TRUE(r.isDone()) << row.name << ": " << r.message();
            EXPECT_EQ(trackPoints(), row.expectPoints) << row.name;
        }
    }
}

TEST_F(GarminSession, ProtocolArrayAndTransferCompleteTranslations) {
    session->explain = true;
    receive(EncodeProtocolArray({"P000", "A010"}));
    EXPECT_TRUE(logged("> \"Protocol array\""));
    EXPECT_TRUE(logged("  P000 Default Physical Protocol"));
    EXPECT_TRUE(logged("  A010 Device Command Protocol 1"));
    EXPECT_EQ(session->lbProtocol, (std::vector<std::string>{"P000", "A010"}));
    receive(TransferCompletePacket(6));
    EXPECT_TRUE(logged("  - tracks"));
    receive(TransferCompletePacket(9));
    EXPECT_TRUE(logged("  "));
    log.clear();
    session->IdRequest();
    session->Timer1Timer();
    EXPECT_TRUE(logged("< \"Product request\""));
    EXPECT_TRUE(logged("< \"Command data (request)\"") == false);
    receive(Packet{0x42, {}});
    EXPECT_TRUE(logged("> Message ID: $42 (Unknown)"));
    EXPECT_TRUE(logged("> \"UNKNOWN PACKET\""));
}

TEST_F(GarminSession, CommandAndRecordTranslations) {
    session->explain = true;
    identify({"A010", "D108", "D301", "D310", "D210"});
    log.clear();
    session->SendCommand(kCmdPowerOff);
    session->Timer1Timer();
    EXPECT_TRUE(logged("  - Turn power off"));
    receive(RecordsPacket(2));
    EXPECT_TRUE(logged("  Nr of records: 2"));
    receive(EncodeTrackHeader("T1"));
    EXPECT_TRUE(logged("  Trackpoint   : 1 van 2"));
    EXPECT_TRUE(logged("  Display on map: yes"));
    EXPECT_TRUE(logged("  Color        : 255"));
    EXPECT_TRUE(logged("  Name         : T1"));
    receive(trackPoint(51.5, 0, 568080000u, true, 1.0e25f));
    EXPECT_TRUE(logged("  Trackpoint   : 2 of 2"));
    EXPECT_TRUE(logged("  Altitude     : 0 m"));
    EXPECT_TRUE(logged("  Track number : 1"));
    EXPECT_TRUE(logged("  Time         : 01-01-2008 00:00:00"));
    EXPECT_TRUE(logged("  Byte 24      : $FF"));
    receive(RecordsPacket(1));
    WaypointRecord w;
    w.altitude = 12.5f;  // whole metres, halves to even
    w.symbol = 18;
    w.ident = "ABC";
    receive(EncodeWaypoint(kWaypointData, WaypointLayout::D108, w));
    for (const char* line : {"  Waypoint      : 1 van 1", "  Wpt class     : $00", "  Color         : $FF",
                             "  Attributes    : $60", "  Wpt symbol    : $12 $00",
                             "  Subclass      : $00 $00 $00 $00 $00 $00 $FF $FF $FF $FF $FF $FF $FF $FF $FF $FF $FF $FF",
                             "  Altitude      : 12 m", "  Depth         : 0 m", "  State         : $20 $20",
                             "  Identification: \"ABC\"", "  Comment       : \"\"", "  Intersct road : \"\""})
        EXPECT_TRUE(logged(line)) << line;
    receive(EncodeProductData({412, 300, {"Simulated GPS", "V3"}}));
    EXPECT_TRUE(logged("  product ID      : 019C"));
    EXPECT_TRUE(logged("  software version: 300"));
    EXPECT_TRUE(logged("  string          : V3"));
    receive(EncodeRouteLink());
    EXPECT_TRUE(logged("  Link class     : direct"));
    EXPECT_TRUE(logged("  Subclass       : 00 00 00 00 00 00 FF FF FF FF FF FF FF FF FF FF FF FF "));
}

TEST_F(GarminSession, UnknownWordIsReportedAndTheRestGoesOn) {
    session->appendCommand("dance");
    session->appendCommand("determine bounds");
    int bounds = 0;
    run();
    (void)bounds;
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "ERROR: Unknown Communication Queue Command: dance");
    ASSERT_EQ(session->results().size(), 2u);
    EXPECT_TRUE(session->results()[0].result.isFailed());
    EXPECT_TRUE(session->results()[1].result.isDone());
}

TEST_F(GarminSession, SilentReceiverFailsEveryWord) {
    session->appendCommand("id request");
    session->appendCommand("get waypoints");
    run(false);
    ASSERT_EQ(session->results().size(), 2u);
    for (const auto& r : session->results()) EXPECT_TRUE(r.result.isFailed()) << r.word;
    EXPECT_EQ(session->results()[0].result.message(), "message 33");
    EXPECT_EQ(session->results()[1].result.message(), "message 33 (not started)");
    EXPECT_EQ(errors, std::vector<std::string>{"message 33"});
}

TEST_F(GarminSession, NoLayoutNoUpload) {
    identify({"A100"});
    doc.AddWaypoint("52", "5", "", "", "W", core::Symbol::none(), "", "");
    core::Result r = session->TxWaypointsClick();
    EXPECT_TRUE(r.isFailed());
    run();
    EXPECT_TRUE(sentData().empty());
}

}  // namespace

namespace {

using garmin::CommDialogModel;

TEST(GarminCommands, WordsInTheirFixedOrder) {
    struct Row {
        const char* name;
        bool wpt, trk, rte, power;
        bool receive;
        std::vector<std::string> words;
    } rows[] = {
        {"receive waypoints, power off", true, false, false, true, true,
         {"id request", "get waypoints", "power off", "determine bounds"}},
        {"transmit routes only", false, false, true, false, false, {"id request", "put routes"}},
        {"nothing ticked", false, false, false, false, false, {"id request"}},
        {"receive routes only: no bounds", false, false, true, false, true, {"id request", "get routes"}},
        {"everything, transmit", true, true, true, true, false,
         {"id request", "put trackpoints", "put waypoints", "put routes", "power off"}},
        {"everything, receive", true, true, true, true, true,
         {"id request", "get trackpoints", "get waypoints", "get routes", "power off", "determine bounds"}},
    };
    for (const auto& r : rows) {
        CommDialogModel m;
        m.cbWaypoints = r.wpt;
        m.cbTrackpoints = r.trk;
        m.cbRoutes = r.rte;
        m.cbPower = r.power;
        EXPECT_EQ(r.receive ? garmin::ReceiveWords(m) : garmin::TransmitWords(m), r.words) << r.name;
    }
}

TEST_F(GarminSession, CancelQueuesNothingButKeepsTheChoice) {
    CommDialogModel dialog;
    host.fakePrompts.dialogResults = {false, true};
    host.fakePrompts.fillDialog = [](host::DialogModel& m) { dynamic_cast<CommDialogModel&>(m).cbRoutes = true; };
    EXPECT_FALSE(garmin::acVerzendenExecute(host.fakePrompts, dialog, "What to transmit", *session));
    EXPECT_TRUE(session->link().commandQueue().empty());
    EXPECT_EQ(dialog.caption, "What to transmit");
    EXPECT_TRUE(dialog.cbRoutes);
    host.fakePrompts.fillDialog = nullptr;
    session->appendCommand("get waypoints");  // a transfer still waiting: new words go behind it
    EXPECT_TRUE(garmin::acOntvangenExecute(host.fakePrompts, dialog, "What to receive", *session));
    EXPECT_EQ(std::vector<std::string>(session->link().commandQueue().begin(), session->link().commandQueue().end()),
              (std::vector<std::string>{"get waypoints", "id request", "get routes"}));
}

}  // namespace
