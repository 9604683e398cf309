// Record layouts. Expected bytes are worked by hand from the layouts; the
// semicircle and time values with a calculator (noted beside each row).

#include <gtest/gtest.h>

#include <limits>

#include "garmin/records.h"
#include "garmin/transfers.h"
#include "host/fake/fake_host.h"

using namespace garmin;

namespace {

Bytes le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

Bytes slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n)); }

TEST(GarminRecords, SemicircleTable) {
    struct Row {
        const char* name;
        double degrees;
        std::uint32_t semicircles;
    } rows[] = {
        {"51.5 N: 51.5 * 2^31 / 180 = 614418932.17", 51.5, 614418932u},
        {"0", 0.0, 0u},
        {"180 E wraps to 2^31, i.e. 180 W", 180.0, 0x80000000u},
        {"-90: -2^30", -90.0, 0xC0000000u},
        {"-0.5: -5965232.36 truncated toward zero", -0.5, static_cast<std::uint32_t>(-5965232)},
    };
    for (const auto& r : rows)
        EXPECT_EQ(static_cast<std::uint32_t>(DegToSemicircles(r.degrees)), r.semicircles) << r.name;
    EXPECT_NEAR(SemicirclesToDeg(614418932), 51.5, 1e-7);
    EXPECT_DOUBLE_EQ(SemicirclesToDeg(static_cast<std::int32_t>(0x80000000u)), -180.0);
}

TEST(GarminRecords, TimeTable) {
    // 2008-01-01 is day 39448; 39448 - 32873 = 6575 days = 568080000 s.
    EXPECT_EQ(UtcSerialToGarminTime(39448.0L), 568080000u);
    EXPECT_EQ(UtcSerialToGarminTime(39448.5L), 568080000u + 43200u);
    // 13:05:09 is not a binary fraction; it must not lose a second.
    EXPECT_EQ(UtcSerialToGarminTime(39448.0L + (13 * 3600 + 5 * 60 + 9) / 86400.0L), 568080000u + 47109u);
    EXPECT_EQ(UtcSerialToGarminTime(0), kNoTime);  // before 1989: no time rather than garbage
    EXPECT_NEAR(static_cast<double>(GarminTimeToUtcSerial(568080000u + 43200u)), 39448.5, 1e-9);
}

TEST(GarminRecords, UnknownAltitudesAreAbsentAndKnownOnesRoundHalfToEven) {
    EXPECT_EQ(MakeFloat(1.0e25f), 0.0);
    EXPECT_EQ(MakeFloat(1000000.0f), 1000000.0);
    // A received waypoint's and track point's altitude as the document gets it.
    struct Row {
        float altitude;
        const char* waypointEle;  // "": no ele line
        const char* trackEle;
    } rows[] = {
        {1.0e25f, "", ""}, {-1.0e25f, "", ""}, {1000001.0f, "", ""}, {-1000001.0f, "", ""},
        {std::numeric_limits<float>::infinity(), "", ""}, {std::numeric_limits<float>::quiet_NaN(), "", ""},
        {12.5f, "12", "12.5"}, {13.5f, "14", "13.5"}, {-2.5f, "-2", "-2.5"}, {-11034.0f, "-11034", "-11034"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.altitude);
        host::FakeHost host;
        core::SymbolTable symbols;
        core::Document doc{symbols, host.fakeClock};
        doc.initTree();
        DocumentAccess access{doc, symbols, host.fakeClock, nullptr};
        Layouts layouts;
        layouts.waypoint = WaypointLayout::D108;
        layouts.trackPoint = true;
        WaypointRecord w;
        w.lat = 51.5;
        w.lon = 5;
        w.altitude = r.altitude;
        TrackPointRecord t;
        t.lat = 51.5;
        t.lon = 5;
        t.altitude = r.altitude;
        AddToDocument(access, layouts, {EncodeWaypoint(kWaypointData, WaypointLayout::D108, w), EncodeTrackPoint(t)}, {});
        auto eleOf = [&](core::NodeId point) {
            core::NodeId line = doc.attributeChild(point, core::AttrKey::Ele);
            return line == core::kNoNode ? std::string() : doc.store().value(line);
        };
        EXPECT_EQ(eleOf(doc.firstChild(doc.waypoints())), r.waypointEle);
        EXPECT_EQ(eleOf(doc.firstChild(doc.currentSegment)), r.trackEle);
    }
}

TEST(GarminRecords, SymbolNumberRule) {
    struct Row {
        const char* text;
        bool d109;
        std::uint16_t number;
    } rows[] = {{"18", false, 18},      {"8204", false, 8204}, {"waypoint", true, 18}, {"Waypoint", false, 178},
                {"Flag, Blue", false, 178}, {"", false, 178},  {"99999", false, 178}, {"12a", true, 178}};
    for (const auto& r : rows) EXPECT_EQ(SymbolNumber(r.text, r.d109), r.number) << r.text;
}

TEST(GarminRecords, D108AsBuilt) {
    WaypointRecord w;
    w.lat = 51.5;
    w.lon = 0;
    w.altitude = 12.5f;
    w.symbol = 0x1234;
    w.ident = "ABC";
    w.comment = "X";
    Packet p = EncodeWaypoint(kWaypointData, WaypointLayout::D108, w);
    EXPECT_EQ(p.id, 0x23);
    ASSERT_EQ(p.data.size(), 48u + 4 + 2 + 4);
    EXPECT_EQ(slice(p.data, 0, 6), (Bytes{0x00, 0xFF, 0x00, 0x60, 0x34, 0x12}));
    EXPECT_EQ(slice(p.data, 6, 18), (Bytes{0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0xFF}));
    EXPECT_EQ(slice(p.data, 24, 4), (Bytes{0xF4, 0x49, 0x9F, 0x24}));
    EXPECT_EQ(slice(p.data, 28, 4), le32(0));
    EXPECT_EQ(slice(p.data, 32, 4), (Bytes{0x00, 0x00, 0x48, 0x41}));  // 12.5f
    EXPECT_EQ(slice(p.data, 44, 4), (Bytes{0x20, 0x20, 0x20, 0x20}));
    EXPECT_EQ(slice(p.data, 48, 10), (Bytes{'A', 'B', 'C', 0, 'X', 0, 0, 0, 0, 0}));
}

TEST(GarminRecords, D109AsBuiltForRoutes) {
    WaypointRecord w;
    w.ident = "R";
    Packet p = EncodeWaypoint(kRouteWaypoint, WaypointLayout::D109, w);
    EXPECT_EQ(slice(p.data, 0, 4), (Bytes{0x01, 0x81, 0x1F, 0x70}));
    EXPECT_EQ(slice(p.data, 48, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(p.data[52], 'R');
    EXPECT_EQ(EncodeWaypoint(kWaypointData, WaypointLayout::D109, w).data[1], 0x00);
}

TEST(GarminRecords, LongTextsAreCutToFit) {
    WaypointRecord w;
    w.ident = std::string(80, 'N');
    w.comment = std::string(300, 'C');
    for (auto layout : {WaypointLayout::D108, WaypointLayout::D109}) {
        Packet p = EncodeWaypoint(kWaypointData, layout, w);
        EXPECT_LE(p.data.size(), kMaxData);
        WaypointRecord back = DecodeWaypoint(p, layout);
        EXPECT_EQ(back.ident, std::string(50, 'N'));
        EXPECT_EQ(back.comment, std::string(50, 'C'));
    }
    Packet h = EncodeTrackHeader(std::string(400, 'T'));
    EXPECT_EQ(h.data.size(), kMaxData);  // display, colour, 252 characters, zero
    EXPECT_EQ(DecodeTrackHeader(h).name, std::string(252, 'T'));
}

TEST(GarminRecords, RouteHeadersPadOrCut) {
    std::string name25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    Packet d201 = EncodeRouteHeader(RouteHeaderLayout::D201, name25);
    EXPECT_EQ(d201.data.size(), 21u);
    EXPECT_EQ(d201.data[0], 1);
    EXPECT_EQ(std::string(d201.data.begin() + 1, d201.data.end()), "ABCDEFGHIJKLMNOPQRST");
    Packet d202 = EncodeRouteHeader(RouteHeaderLayout::D202, name25);
    EXPECT_EQ(d202.data.size(), 14u);
    EXPECT_EQ(std::string(d202.data.begin(), d202.data.end() - 1), "ABCDEFGHIJKLM");
    EXPECT_EQ(d202.data.back(), 0);
    Packet shortName = EncodeRouteHeader(RouteHeaderLayout::D202, "Home");
    EXPECT_EQ(std::string(shortName.data.begin(), shortName.data.end() - 1), "Home         ");
    // The blank padding is not part of the name that comes back.
    EXPECT_EQ(DecodeRouteHeader(shortName, RouteHeaderLayout::D202), "Home");
    EXPECT_EQ(DecodeRouteHeader(EncodeRouteHeader(RouteHeaderLayout::D201, "Home"), RouteHeaderLayout::D201), "Home");
    EXPECT_EQ(DecodeRouteHeader(Packet{0x1D, {7}}, RouteHeaderLayout::D200), "007");
}

TEST(GarminRecords, D301BothWays) {
    TrackPointRecord t;
    t.lat = 51.5;
    t.lon = 180;
    t.time = 568080000u;
    t.altitude = 12.5f;
    t.depth = 0;
    Packet p = EncodeTrackPoint(t);
    ASSERT_EQ(p.data.size(), 24u);
    EXPECT_EQ(slice(p.data, 4, 4), (Bytes{0x00, 0x00, 0x00, 0x80}));
    EXPECT_EQ(slice(p.data, 8, 4), le32(568080000u));
    EXPECT_EQ(slice(p.data, 20, 4), (Bytes{0x00, 0xFF, 0xFF, 0xFF}));
    // A received point with the altitude 1.0e25 (bytes 51 59 04 69) and a new-track flag of 2.
    Bytes data = slice(p.data, 0, 12);
    Bytes tail{0x51, 0x59, 0x04, 0x69, 0, 0, 0, 0, 0x02};
    data.insert(data.end(), tail.begin(), tail.end());
    TrackPointRecord back = DecodeTrackPoint(Packet{kTrackData, data});
    EXPECT_EQ(MakeFloat(back.altitude), 0.0);
    EXPECT_TRUE(back.newTrack);
    EXPECT_EQ(back.time, 568080000u);
}

TEST(GarminRecords, ShortPacketsDecodeWithZeros) {
    // Every decoder on every prefix of a full record: no read past the end.
    WaypointRecord w;
    w.ident = "IDENT";
    w.comment = "COMMENT";
    Packet full = EncodeWaypoint(kWaypointData, WaypointLayout::D108, w);
    for (size_t n = 0; n <= full.data.size(); ++n) {
        Packet cut{full.id, Bytes(full.data.begin(), full.data.begin() + static_cast<long>(n))};
        WaypointRecord back = DecodeWaypoint(cut, WaypointLayout::D108);
        EXPECT_LE(back.ident.size(), 5u);
        DecodeWaypoint(cut, WaypointLayout::D109);
        DecodeTrackPoint(cut);
        DecodeTrackHeader(cut);
        DecodeRouteLink(cut);
        DecodeProductData(cut);
        DecodeProtocolArray(cut);
    }
    EXPECT_EQ(DecodeWaypoint(Packet{0x23, Bytes(50, 'A')}, WaypointLayout::D108).ident, "AA");
    EXPECT_EQ(DecodeTrackPoint(Packet{0x22, {}}).lat, 0.0);
}

TEST(GarminRecords, ReceivedTextsKeepAtMost52Characters) {
    Packet p = EncodeWaypoint(kWaypointData, WaypointLayout::D108, WaypointRecord{});
    p.data.resize(48);
    p.data.insert(p.data.end(), 100, 'Z');  // an identifier without its zero
    EXPECT_EQ(DecodeWaypoint(p, WaypointLayout::D108).ident, std::string(52, 'Z'));
}

TEST(GarminRecords, ProtocolArrayAndProductData) {
    Packet array{kProtocolArray, {'P', 0, 0, 'L', 1, 0, 'A', 10, 0, 'A', 100, 0, 'D', 108, 0, 'A', 0x2D, 0x01}};
    EXPECT_EQ(DecodeProtocolArray(array), (std::vector<std::string>{"P000", "L001", "A010", "A100", "D108", "A301"}));
    EXPECT_EQ(EncodeProtocolArray({"P000", "L001", "A010", "A100", "D108", "A301"}), array);
    array.data.push_back('D');  // a cut-off group is not read
    EXPECT_EQ(DecodeProtocolArray(array).size(), 6u);

    Packet product{kProductData, {0x9C, 0x01, 0x2C, 0x01, 'G', 'P', 'S', 0, 'X', 'Y'}};
    ProductData d = DecodeProductData(product);
    EXPECT_EQ(d.productId, 412);
    EXPECT_EQ(d.softwareVersion, 300);
    EXPECT_EQ(d.descriptions, std::vector<std::string>{"GPS"});  // "XY" has no zero
}

TEST(GarminRecords, LinkLevelPackets) {
    EXPECT_EQ(RecordsPacket(0x0106), (Packet{kRecords, {0x06, 0x01}}));
    EXPECT_EQ(TransferCompletePacket(kCmdRoutes), (Packet{kTransferComplete, {0x04, 0x00}}));
    EXPECT_EQ(CommandPacket(kCmdPowerOff), (Packet{kCommand, {0x08, 0x00}}));
    EXPECT_EQ(EncodeRouteLink().data.size(), 21u);
    EXPECT_EQ(EncodeRouteLink().data[0], 3);
}

}  // namespace
