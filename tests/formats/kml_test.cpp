#include "formats/kml.h"

#include <gtest/gtest.h>

#include "core/fn.h"
#include "format_fixture.h"

using namespace formats;

class KmlTest : public ::testing::Test, public FormatFixture {
protected:
    SaveOptions options;

    std::string save() {
        formats::Env e = env();
        core::Result w = SaveAsKML(e, dir.file("out.kml"), options);
        EXPECT_TRUE(w.isDone()) << w.message();
        return readFile(dir.file("out.kml"));
    }
    core::Result load(const std::string& path) {
        doc.initTree();
        formats::Env e = env();
        return KmlBestandInlezen(e, path);
    }
    static size_t count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
        return n;
    }
};

TEST_F(KmlTest, FoldersForWaypointsAndEachNonEmptyTrack) {
    doc.AddWaypoint("51.5", "5.25", "", "", "one", core::Symbol::none(), "", "");
    doc.AddWaypoint("52", "6", "", "", "two", core::Symbol::none(), "", "");
    doc.NewTrack("A");
    doc.AddTrackpoint("51.5", "5.25", "", "");
    doc.AddTrackpoint("51.6", "5.3", "12", "");
    doc.AddTrackpoint("51.7", "5.4", "", "");
    doc.NewTrack("B");
    doc.NewTrack("C");
    doc.NewTrack("");
    doc.AddTrackpoint("50", "4", "", "");
    std::string text = save();
    EXPECT_EQ(count(text, "<name>Waypoints</name>"), 1u);
    EXPECT_EQ(count(text, "<Placemark>"), 4u);
    EXPECT_EQ(count(text, "<name>Path</name>"), 2u);
    EXPECT_NE(text.find("<name>Active Log 004</name>"), std::string::npos);
    EXPECT_NE(text.find("<coordinates>5.25,51.5</coordinates>"), std::string::npos);
    EXPECT_NE(text.find("<coordinates>5.25,51.5,0 5.3,51.6,12 5.4,51.7,0 </coordinates>"), std::string::npos);
    // Every folder sits inside the one Document.
    xml::DocPtr parsed = xml::parseMemory(text);
    ASSERT_TRUE(parsed);
    xmlNode* document = xml::firstChildNamed(xmlDocGetRootElement(parsed.get()), "Document");
    int folders = 0;
    for (xmlNode* c = xml::firstElement(document); c; c = xml::nextElement(c)) folders += xml::name(c) == "Folder";
    EXPECT_EQ(folders, 3);
    EXPECT_EQ(xml::nextElement(document), nullptr);
}

TEST_F(KmlTest, LookAtCentresOnTheTracks) {
    doc.NewTrack("t");
    doc.AddTrackpoint("51", "5", "", "");
    doc.AddTrackpoint("52", "6", "", "");
    options.view = {51, 52, 5, 6};  // the bounds the save command works out first
    std::string text = save();
    EXPECT_NE(text.find("<longitude>5.5</longitude>"), std::string::npos);
    EXPECT_NE(text.find("<latitude>51.5</latitude>"), std::string::npos);
    std::string range = core::FloatToStrGeneral(core::DistanceKm(52, 6, 51, 5) * 1000);
    EXPECT_NE(text.find("<range>" + range + "</range>"), std::string::npos);
    EXPECT_NEAR(static_cast<double>(core::StrToFloatAny(range)), 131'000, 2'000);  // about 131 km corner to corner
}

TEST_F(KmlTest, WhatThisProgramWritesReadsBack) {
    doc.AddWaypoint("51.5", "5.25", "", "", "one", core::Symbol::none(), "", "");
    doc.NewTrack("walk");
    doc.AddTrackpoint("51.5", "5.25", "", "");
    doc.AddTrackpoint("51.6", "5.3", "12", "");
    save();
    EXPECT_TRUE(load(dir.file("out.kml")).isDone());
    EXPECT_EQ(dump(doc.waypoints()), "wpt (one)\n  lat = 51.5\n  lon = 5.25\n  name = one\n");
    EXPECT_EQ(dump(doc.trackpoints()),
              "trk (walk)\n  name = walk\n  number = 2\n  trkseg\n"
              "    trkpt (1)\n      lat = 51.5\n      lon = 5.25\n      ele = 0\n"
              "    trkpt (2)\n      lat = 51.6\n      lon = 5.3\n      ele = 12\n");
}

TEST_F(KmlTest, FoldersByName) {
    std::string placemarkPath = "<Placemark><name>p</name><MultiGeometry><LineString><coordinates>"
                                "5,51,1 6,52,2</coordinates></LineString></MultiGeometry></Placemark>";
    std::string text = "<?xml version=\"1.0\"?><kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>"
                       "<Folder><name>Tracks</name>" + placemarkPath + "</Folder>"
                       "<Folder><name>Routes</name><Folder><name>r1</name>" + placemarkPath +
                       "</Folder><Folder><name>r2</name>" + placemarkPath + "</Folder></Folder>"
                       "<Placemark><name>alone</name><Point><coordinates>\n   4.5,50.5,3\n</coordinates></Point>"
                       "</Placemark>" + placemarkPath + "</Document></kml>";
    EXPECT_TRUE(load(dir.write("in.kml", text)).isDone());
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"Route", "p"}));
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 4u);  // two route folders
    EXPECT_EQ(dump(doc.waypoints()), "wpt (alone)\n  lat = 50.5\n  lon = 4.5\n  ele = 3\n  name = alone\n");

    EXPECT_TRUE(load(dir.write("tracks.kml", "<kml><Document><Folder><name>Tracks</name>" + placemarkPath +
                                     "</Folder></Document></kml>")).isDone());
    EXPECT_EQ(dump(core::kRootNode), "metadata\nwaypoints\nroutes\ntrackpoints\n");
}

TEST(GetCoordinates, TuplesAndBlanks) {
    auto t = getCoordinates(" 5.25,51.5  6,52,10\n\t7,53,\n8\n");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].lon, "5.25");
    EXPECT_EQ(t[0].lat, "51.5");
    EXPECT_EQ(t[0].alt, "");
    EXPECT_EQ(t[1].alt, "10");
    EXPECT_EQ(t[2].alt, "");
    EXPECT_EQ(t[3].lon, "8");
    EXPECT_EQ(t[3].lat, "");
    EXPECT_TRUE(getCoordinates("").empty());
    // No limit on the number of tuples: long tracks are read whole.
    std::string many;
    for (int i = 0; i < 150000; ++i) many += "5,51,0 ";
    EXPECT_EQ(getCoordinates(many).size(), 150000u);
}
