#include "formats/legacy_text.h"

#include <gtest/gtest.h>

#include "format_fixture.h"

using namespace formats;

class LegacyTextTest : public ::testing::Test, public FormatFixture {};

TEST_F(LegacyTextTest, OwnFormatWaypointsAndTrackPoints) {
    std::string path = dir.write("old.pathkeep",
                                 "Pathkeep File\r\n"
                                 "<1>,<x>,<Home>,<52,1>,<5.1>,<3>,<39448.5>,<>,<>,<W>,<18>\r\n"
                                 "<2>,<x>,<>,<52.2>,<5.2>,<>,<>,<>,<>,<T>,<>\r\n"
                                 "<3>,<x>,<>,<0>,<0>,<>,<>,<>,<>,<T>,<>\r\n");
    formats::Env e = env();
    EXPECT_TRUE(PathkeepBestandInlezen(e, path).isDone());
    EXPECT_EQ(dump(doc.waypoints()), "wpt (Home)\n  lat = 52.1\n  lon = 5.1\n  ele = 3\n"
                                     "  time = 2008-01-01T12:00:00.000Z\n  name = Home\n  sym = Waypoint\n");
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 1u);
}

TEST_F(LegacyTextTest, EasyGpsTakesOnlyTrackPointLines) {
    std::string path = dir.write("e.txt", "Datum,WGS84\nWP,D,x,51,5\nTP,D,52.1,5.1,x\nTP,D,52.2,5.2\ntp,D,1,1\n");
    formats::Env e = env();
    EXPECT_TRUE(EasyGpsBestandInlezen(e, path).isDone());
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"ACTIVE LOG"}));
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 2u);
    EXPECT_EQ(doc.childCount(doc.waypoints()), 0u);
}

TEST_F(LegacyTextTest, RouteFileToGpx) {
    std::string path = dir.write("r.rte", "OziExplorer Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\n\r\n"
                                          "R,  1,ROUTE 1,,\r\n"
                                          "W,  1,  7, 7,A,  51.5, 5.25,,,,,,,Fish & Chips <1>\r\n"
                                          "W,  1, 12,12,B,  51.6, 5.30,,,,,,,\r\n"
                                          "W,  1,123,123,C, 51.7, 5.40,,,,,,,x\r\n");
    RouteConversion r = ConvertRouteFile(path);
    ASSERT_EQ(r.status, RouteConversion::Status::Done);
    EXPECT_EQ(r.outputPath, dir.file("r.gpx"));
    EXPECT_EQ(r.waypoints, 3);
    std::string text = readFile(r.outputPath);
    EXPECT_NE(text.find("<name>007</name>"), std::string::npos);
    EXPECT_NE(text.find("<name>012</name>"), std::string::npos);
    EXPECT_NE(text.find("<name>123</name>"), std::string::npos);
    EXPECT_NE(text.find("<desc>Fish &amp; Chips &lt;1&gt;</desc>"), std::string::npos);
    EXPECT_TRUE(xml::parseFile(r.outputPath));  // well-formed despite the "&"

    // The declared encoding is the one written: UTF-8, so no character is lost.
    std::string other = dir.write("u.rte", "OziExplorer Route File Version 1.0\r\n"
                                           "W,  1,  1, 1,A,  51.5, 5.25,,,,,,,\xC5\x81\xC3\xB3" "d\xC5\xBA \xE2\x82\xAC\r\n");
    r = ConvertRouteFile(other);
    text = readFile(r.outputPath);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u);
    EXPECT_NE(text.find("<desc>\xC5\x81\xC3\xB3" "d\xC5\xBA \xE2\x82\xAC</desc>"), std::string::npos);
    EXPECT_NE(text.find("version=\"1.0\""), std::string::npos);

    std::string empty = dir.write("e.rte", "OziExplorer Route File Version 1.0\r\n");
    r = ConvertRouteFile(empty);
    ASSERT_EQ(r.status, RouteConversion::Status::Done);
    EXPECT_EQ(r.waypoints, 0);
    EXPECT_TRUE(xml::parseFile(r.outputPath));
    EXPECT_EQ(ConvertRouteFile(dir.write("n.rte", "hello\n")).status, RouteConversion::Status::NotARouteFile);
}
