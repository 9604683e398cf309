#include "formats/ozi.h"

#include <gtest/gtest.h>

#include "format_fixture.h"
#include "formats/text_codec.h"

using namespace formats;

TEST(OziUnits, FeetAndMetresBothWays) {
    struct Row {
        const char* feet;
        const char* metres;
    } read[] = {{"100", "30"}, {"5", "2"}, {"-777", "-777"}, {" 33 ", "10"}, {"123.4", "38"}, {"123,4", "38"},
                {"0", "0"}};
    for (const auto& r : read) EXPECT_EQ(ozi::AltitudeFieldToMetres(r.feet).value_or("<none>"), r.metres) << r.feet;
    EXPECT_EQ(ozi::AltitudeFieldToMetres("").value_or("<none>"), "-777");  // empty: no altitude
    EXPECT_EQ(ozi::AltitudeFieldToMetres("1e30").value_or("<none>"), "-777");
    EXPECT_EQ(ozi::AltitudeFieldToMetres("-1e30").value_or("<none>"), "-777");
    EXPECT_EQ(ozi::AltitudeFieldToMetres("300000").value_or("<none>"), "91440");  // 300000 ft * 0.3048
    EXPECT_EQ(ozi::AltitudeFieldToMetres("400000").value_or("<none>"), "-777");   // 121920 m: beyond any flight
    EXPECT_EQ(ozi::MetresToFeetField(1e30L), "-777");
    EXPECT_FALSE(ozi::AltitudeFieldToMetres("high").has_value());
    EXPECT_EQ(ozi::MetresToFeetField(10), "33");   // 32.80833
    EXPECT_EQ(ozi::MetresToFeetField(30), "98");   // so 100 feet come back as 98
    EXPECT_EQ(ozi::MetresToFeetField(-777), "-777");
    EXPECT_EQ(ozi::MetresToFeetField(0), "0");
    EXPECT_EQ(ozi::CommasFromOzi(ozi::CommasToOzi("Bar, Restaurant")), "Bar, Restaurant");
    EXPECT_EQ(ozi::CommasToOzi("a,b").find(','), std::string::npos);
}

TEST(TextCodec, Utf8OrWindows1252) {
    EXPECT_EQ(DecodeLegacyText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(DecodeLegacyText("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(DecodeLegacyText("\xEF\xBB\xBFx"), "x");
    EXPECT_FALSE(IsValidUtf8("\xC3"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));  // overlong
    int replaced = 0;
    EXPECT_EQ(EncodeWindows1252("caf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5", replaced), "caf\xE9 \x80 ?");
    EXPECT_EQ(replaced, 1);
}

class OziTest : public ::testing::Test, public FormatFixture {
protected:
    std::string save(bool plt, bool selectionOnly = false) {
        formats::Env e = env();
        core::Result w = plt ? SaveAsPLT(e, dir.file("out.plt"), selection(selectionOnly))
                             : SaveAsWPT(e, dir.file("out.wpt"), selection(selectionOnly));
        EXPECT_TRUE(w.isDone()) << w.message();
        return readFile(dir.file(plt ? "out.plt" : "out.wpt"));
    }
    core::Result read(bool plt, const std::string& text) {
        doc.initTree();
        formats::Env e = env();
        std::string path = dir.write(plt ? "in.plt" : "in.wpt", text);
        return plt ? PltBestandInlezen(e, path) : WptBestandInlezen(e, path);
    }
};

TEST_F(OziTest, TrackFileLayout) {
    EXPECT_EQ(save(true),
              "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
              "0,2,255,Track description,0,0,2,8421376\r\n10\r\n");
    host.fakeLocale.separator = ',';
    doc.NewTrack("t");
    doc.AddTrackpoint("52.5", "4.25", "10", "39448.5");
    doc.AddTrackpoint("52.3456", "4.8765", "-777", "39448.5");
    doc.AddTrackpoint("52", "4", "", "");
    std::string text = save(true);
    EXPECT_NE(text.find("\r\n  52.5,4.25,0,33,39448.5,,\r\n  52.3456,4.8765,0,-777,39448.5,,\r\n  52,4,0,0,0,,\r\n"),
              std::string::npos)
        << text;
}

TEST_F(OziTest, WaypointFileLayoutAndLimit) {
    doc.AddWaypoint("52.1", "5.1", "", "", "Bar, Restaurant", core::Symbol::none(), "", "");
    std::string text = save(false);
    EXPECT_EQ(text, "OziExplorer Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\ngarmin\r\n"
                    "  1,Bar\xD1 Restaurant,52.1,5.1,0,83, 1, 3, 0, 65535,, 0, 0, 0,0, 6, 0,17,0,10.0,2,,,\r\n");
    for (int i = 0; i < 1499; ++i) doc.AddWaypoint("1", std::to_string(i), "", "", "w", core::Symbol::none(), "", "");
    text = save(false);
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(lines, 4u + 1000u);
    EXPECT_TRUE(host.fakePrompts.asked.empty());  // the save command tells the user (message 19)
}

TEST_F(OziTest, SaveSelectedNodeOnly) {
    doc.NewTrack("a");
    doc.AddTrackpoint("1", "1", "", "");
    doc.NewTrack("b");
    doc.AddTrackpoint("2", "2", "", "");
    doc.setFocused(child(doc.trackpoints(), 1));
    std::string text = save(true, true);
    EXPECT_EQ(text.find("  1,1"), std::string::npos);
    EXPECT_NE(text.find("  2,2"), std::string::npos);
    doc.setFocused(core::kNoNode);
    formats::Env e = env();
    EXPECT_TRUE(SaveAsPLT(e, dir.file("none.plt"), selection(true)).isNothingToDo());
    EXPECT_EQ(readFile(dir.file("none.plt")), "");  // nothing focused: no file
}

TEST_F(OziTest, ReadingTracksSurvivesOddLines) {
    const std::string header = "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
                               "0,2,255,Track,0,0,2,8421376\r\n3\r\n";
    EXPECT_TRUE(read(true, header + "  52.5,4.25,0,100,39448.5,,\r\n  52.6,4.3,1,123.4,39448.6,,\r\n  52.7,4.4,0,high,0,,\r\n"
                        "  0,0,0,5,0,,\r\n  52.8,4.5,0,-777,0,,\r\n\r\n").isDone());
    EXPECT_EQ(dump(doc.trackpoints()),
              "trk (ACTIVE LOG)\n  name = ACTIVE LOG\n  number = 3\n  trkseg\n"
              "    trkpt (1)\n      lat = 52.5\n      lon = 4.25\n      ele = 30\n      time = 2008-01-01T12:00:00.000Z\n"
              "    trkpt (2)\n      lat = 52.6\n      lon = 4.3\n      ele = 38\n      time = 2008-01-01T14:24:00.000Z\n"
              "    trkpt (3)\n      lat = 52.8\n      lon = 4.5\n      ele = -777\n");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "Line 9 skipped: the altitude \"high\" is not a number");
}

TEST_F(OziTest, ReadingWaypoints) {
    EXPECT_TRUE(read(false, "OziExplorer Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\ngarmin\r\n"
                "1,HOME , 52.1, 5.1,39448.5,0,1,3,0,65535,,0,0,0,-777,6,0,17\r\n"
                "2,Caf\xE9\xD1 Bar,52.2,5.2,0,0,1,3,0,65535,,0,0,0,33,6,0,17\r\n").isDone());
    EXPECT_EQ(dump(doc.waypoints()),
              "wpt (HOME)\n  lat = 52.1\n  lon = 5.1\n  ele = -777\n  time = 2008-01-01T12:00:00.000Z\n  name = HOME\n"
              "wpt (Caf\xC3\xA9, Bar)\n  lat = 52.2\n  lon = 5.2\n  ele = 10\n"
              "  name = Caf\xC3\xA9, Bar\n");
}

TEST_F(OziTest, WrittenFilesReadBack) {
    host.fakeLocale.separator = ',';
    doc.NewTrack("t");
    doc.AddTrackpoint("52.123456789", "-4.5", "30", "39448.25");
    save(true);
    doc.initTree();
    formats::Env e = env();
    EXPECT_TRUE(PltBestandInlezen(e, dir.file("out.plt")).isDone());
    EXPECT_EQ(dump(child(child(doc.trackpoints(), 0), 2)),
              "trkpt (1)\n  lat = 52.123456789\n  lon = -4.5\n  ele = 30\n  time = 2008-01-01T06:00:00.000Z\n");
}

namespace {
const char* const kPltHeader =
    "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
    "0,2,255,Track,0,0,2,8421376\r\n3\r\n";
const char* const kWptHeader = "OziExplorer Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\ngarmin\r\n";
}  // namespace

TEST_F(OziTest, PointsWithoutTimeStayWithoutTimeBothWays) {
    doc.NewTrack("t");
    doc.AddTrackpoint("52.5", "4.25", "10", "");
    doc.AddWaypoint("52.1", "5.1", "", "", "w", core::Symbol::none(), "", "");
    save(true);
    save(false);
    doc.initTree();
    formats::Env e = env();
    ASSERT_TRUE(PltBestandInlezen(e, dir.file("out.plt")).isDone());
    ASSERT_TRUE(WptBestandInlezen(e, dir.file("out.wpt")).isDone());
    // 10 m are written as 33 ft, read back as 10.06 m.
    EXPECT_EQ(dump(child(child(doc.trackpoints(), 0), 2)), "trkpt (1)\n  lat = 52.5\n  lon = 4.25\n  ele = 10\n");
    EXPECT_EQ(dump(doc.waypoints()), "wpt (w)\n  lat = 52.1\n  lon = 5.1\n  ele = 0\n  name = w\n");
    // An empty date field is no time either.
    EXPECT_TRUE(read(true, std::string(kPltHeader) + "  52.5,4.25,0,100,,,\r\n").isDone());
    EXPECT_EQ(dump(child(child(doc.trackpoints(), 0), 2)), "trkpt (1)\n  lat = 52.5\n  lon = 4.25\n  ele = 30\n");
}

TEST_F(OziTest, LineBreaksInNamesDoNotMakeNewRecords) {
    doc.AddWaypoint("52.1", "5.1", "", "", "a\r\n1,x,1,0,1\nb\rc", core::Symbol::none(), "", "");
    std::string text = save(false);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5) << text;
    doc.initTree();
    formats::Env e = env();
    ASSERT_TRUE(WptBestandInlezen(e, dir.file("out.wpt")).isDone());
    ASSERT_EQ(doc.childCount(doc.waypoints()), 1u);
    EXPECT_EQ(doc.nameOf(doc.firstChild(doc.waypoints())), "a  1,x,1,0,1 b c");
}

TEST_F(OziTest, EmptyAltitudeIsNoAltitude) {
    EXPECT_TRUE(read(true, std::string(kPltHeader) + "  52.5,4.25,0,,39448.5,,\r\n").isDone());
    EXPECT_EQ(dump(child(child(doc.trackpoints(), 0), 2)),
              "trkpt (1)\n  lat = 52.5\n  lon = 4.25\n  ele = -777\n  time = 2008-01-01T12:00:00.000Z\n");
    EXPECT_TRUE(read(false, std::string(kWptHeader) + "1,W,52.1,5.1,0,0,1,3,0,65535,,0,0,0,,6,0,17\r\n").isDone());
    EXPECT_EQ(doc.childCount(doc.waypoints()), 1u);
}

TEST_F(OziTest, ExtremeNumbersBecomeAbsentOrSkipTheLine) {
    struct Row {
        const char* line;
        const char* point;  // the point read, or "" when the line is skipped
    } rows[] = {
        {"  52.5,4.25,0,1e30,39448.5,,", "lat = 52.5|lon = 4.25|ele = -777|time = 2008-01-01T12:00:00.000Z"},
        {"  52.5,4.25,0,100,1e7,,", "lat = 52.5|lon = 4.25|ele = 30"},
        {"  52.5,4.25,0,100,-1e7,,", "lat = 52.5|lon = 4.25|ele = 30"},
        {"  52.5,4.25,0,100,2958465.5,,", "lat = 52.5|lon = 4.25|ele = 30|time = 9999-12-31T12:00:00.000Z"},
        {"  95,4.25,0,100,39448.5,,", ""},
        {"  -90.5,4.25,0,100,39448.5,,", ""},
        {"  52.5,361,0,100,39448.5,,", ""},
        {"  52.5,-359.5,0,100,39448.5,,", "lat = 52.5|lon = -359.5|ele = 30|time = 2008-01-01T12:00:00.000Z"},
        {"  north,4.25,0,100,39448.5,,", ""},
        {"  1e400,4.25,0,100,39448.5,,", ""},
    };
    for (const auto& r : rows) {
        log.clear();
        EXPECT_TRUE(read(true, std::string(kPltHeader) + r.line + "\r\n").isDone());
        core::NodeId segment = child(child(doc.trackpoints(), 0), 2);
        std::string got;
        if (doc.childCount(segment) > 0)
            for (core::NodeId a = doc.firstChild(doc.firstChild(segment)); a != core::kNoNode; a = doc.nextSibling(a))
                got += (got.empty() ? "" : "|") + doc.getText(a);
        EXPECT_EQ(got, r.point) << r.line;
        if (std::string(r.point).empty()) {
            ASSERT_EQ(log.size(), 2u) << r.line;
            EXPECT_EQ(log[1].rfind("Line 7 skipped: the ", 0), 0u) << log[1];
        }
    }
}

TEST_F(OziTest, ALongFieldIsQuotedShortInTheLog) {
    std::string field(1000000, '9');
    field[0] = 'x';
    EXPECT_TRUE(read(true, std::string(kPltHeader) + "  52.5,4.25,0," + field + ",39448.5,,\r\n").isDone());
    ASSERT_EQ(log.size(), 2u);
    EXPECT_LT(log[1].size(), 300u);
    EXPECT_NE(log[1].find("x" + std::string(199, '9') + "\xE2\x80\xA6\""), std::string::npos) << log[1];
}
