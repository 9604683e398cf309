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
    doc.AddTrackpoint("51.6", "5.3", "12", "", {"bridge", "", "", "over the river", ""});
    doc.AddTrackpoint("51.7", "5.4", "", "");
    doc.NewTrack("B");
    doc.NewTrack("C");
    doc.NewTrack("");
    doc.AddTrackpoint("50", "4", "", "");
    std::string text = save();
    EXPECT_EQ(count(text, "<name>Waypoints</name>"), 1u);
    EXPECT_EQ(count(text, "<Placemark>"), 5u);  // a named track point is one of its own
    EXPECT_NE(text.find("<name>bridge</name>\n        <description>over the river</description>\n        <Point>\n"
                        "          <coordinates>5.3,51.6,12</coordinates>"),
              std::string::npos) << text;
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
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"p", "Route", "Copy of p"}));
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 1), 2)), 4u);  // two route folders
    EXPECT_EQ(dump(doc.waypoints()), "wpt (alone)\n  lat = 50.5\n  lon = 4.5\n  ele = 3\n  name = alone\n");

    // Folders of any name are read.
    EXPECT_TRUE(load(dir.write("tracks.kml", "<kml><Document><Folder><name>Tracks</name>" + placemarkPath +
                                     "</Folder></Document></kml>")).isDone());
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"p"}));
}

TEST_F(KmlTest, TracksOfOneNameStaySeparate) {
    auto path = [](const char* coordinates) {
        return std::string("<Placemark><name>Walk</name><MultiGeometry><LineString><coordinates>") + coordinates +
               "</coordinates></LineString></MultiGeometry></Placemark>";
    };
    std::string text = "<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>" + path("5,51 6,52") +
                       path("7,53") + path("8,54 9,55 10,56") + "</Document></kml>";
    EXPECT_TRUE(load(dir.write("same.kml", text)).isDone());
    ASSERT_EQ(doc.cbTracks.items, (std::vector<std::string>{"Walk", "Copy of Walk", "Copy of Copy of Walk"}));
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 2u);
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 1), 2)), 1u);
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 2), 2)), 3u);
}

namespace {
const char* const kKmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
    "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n";
}  // namespace

TEST_F(KmlTest, GxTrackGivesTimesAndAltitudes) {
    // After the gx:Track example of the KML reference.
    std::string text = std::string(kKmlHead) +
                       "<Folder><Placemark><name>Run</name><gx:Track>\n"
                       "  <when>2010-05-28T02:02:09Z</when>\n  <when>2010-05-28T02:02:35Z</when>\n"
                       "  <when>2010-05-28T02:02:44.5Z</when>\n"
                       "  <gx:coord>-122.207881 37.371915 156.000000</gx:coord>\n"
                       "  <gx:coord>-122.205712 37.373288 152.000000</gx:coord>\n"
                       "  <gx:coord>  -122.204678   37.373939 </gx:coord>\n"
                       "</gx:Track></Placemark></Folder></kml>\n";
    EXPECT_TRUE(load(dir.write("gx.kml", text)).isDone());
    ASSERT_EQ(doc.cbTracks.items, (std::vector<std::string>{"Run"}));
    EXPECT_EQ(dump(child(child(doc.trackpoints(), 0), 2)),
              "trkpt (1)\n  lat = 37.371915\n  lon = -122.207881\n  ele = 156.000000\n"
              "  time = 2010-05-28T02:02:09.000Z\n"
              "trkpt (2)\n  lat = 37.373288\n  lon = -122.205712\n  ele = 152.000000\n"
              "  time = 2010-05-28T02:02:35.000Z\n"
              "trkpt (3)\n  lat = 37.373939\n  lon = -122.204678\n  time = 2010-05-28T02:02:44.500Z\n");
}

TEST_F(KmlTest, MultiTrackAndPathsInFoldersAtAnyDepth) {
    std::string text = std::string(kKmlHead) + "<Document><name>d</name>"
        "<Folder><name>2024</name><Folder><name>June</name><Folder><name>Week 1</name>"
        "  <Placemark><name>Ride</name><LineString><coordinates>5,51,1 6,52,2\n7,53,3</coordinates></LineString>"
        "  </Placemark>"
        "  <Placemark><name>Cafe</name><Point><coordinates>5.5,51.5,0</coordinates></Point></Placemark>"
        "</Folder></Folder></Folder>"
        "<Placemark><name>Walk</name><gx:MultiTrack>"
        "  <gx:Track><when>2020-01-01T10:00:00Z</when><gx:coord>4 50 1</gx:coord></gx:Track>"
        "  <gx:Track><when>2020-01-01T11:00:00Z</when><when>2020-01-01T11:01:00Z</when>"
        "    <gx:coord>4.1 50.1 2</gx:coord><gx:coord>4.2 50.2 3</gx:coord></gx:Track>"
        "</gx:MultiTrack></Placemark>"
        "<Placemark><name>Mixed</name><MultiGeometry><Point><coordinates>3,49</coordinates></Point>"
        "  <LineString><coordinates>3,49 3.1,49.1</coordinates></LineString></MultiGeometry></Placemark>"
        "<Document><Placemark><name>Inner</name><LineString><coordinates>2,48</coordinates></LineString>"
        "</Placemark></Document>"
        "</Document></kml>";
    EXPECT_TRUE(load(dir.write("deep.kml", text)).isDone());
    ASSERT_EQ(doc.cbTracks.items, (std::vector<std::string>{"Ride", "Walk", "Mixed", "Inner"}));
    size_t counts[] = {3, 3, 2, 1};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), i), 2)), counts[i]) << i;
    EXPECT_EQ(doc.nameOf(doc.firstChild(doc.waypoints())), "Cafe");
    EXPECT_EQ(doc.childCount(doc.waypoints()), 2u);  // Cafe and the point of Mixed
}

TEST_F(KmlTest, PlacemarksWithoutADocument) {
    std::string text = std::string(kKmlHead) +
                       "<Placemark><name>Solo</name><LineString><coordinates>5,51 6,52</coordinates></LineString>"
                       "</Placemark></kml>";
    EXPECT_TRUE(load(dir.write("solo.kml", text)).isDone());
    ASSERT_EQ(doc.cbTracks.items, (std::vector<std::string>{"Solo"}));
    EXPECT_EQ(doc.childCount(child(child(doc.trackpoints(), 0), 2)), 2u);
}

TEST_F(KmlTest, HostileNestingEndsAtABoundedDepth) {
    std::string open, close;
    for (int i = 0; i < 200; ++i) {  // within what the XML parser takes
        open += "<Folder>";
        close += "</Folder>";
    }
    std::string text = std::string(kKmlHead) + "<Document>" + open +
                       "<Placemark><name>deep</name><Point><coordinates>1,1</coordinates></Point></Placemark>" +
                       close + "</Document></kml>";
    core::Result r = load(dir.write("nest.kml", text));
    EXPECT_FALSE(r.isCancelled());
    EXPECT_EQ(doc.childCount(doc.waypoints()), 0u);  // too deep to be read, and no crash
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
