#include "core/point_list.h"

#include <gtest/gtest.h>

#include "tree_fixture.h"

using namespace core;

class PointListTest : public ::testing::Test, public TreeFixture {
protected:
    void addTrack(const std::string& name, int n, double lat0 = 50) {
        doc.NewTrack(name);
        for (int i = 0; i < n; ++i) doc.AddTrackpoint(std::to_string(lat0 + i * 0.001), "5", "", "");
    }
};

TEST_F(PointListTest, TwoTracksFollowEachOther) {
    addTrack("a", 3, 50);
    addTrack("b", 4, 60);
    points.reset();
    auto l = loader();
    l.ShowAllTracks(points);
    ASSERT_EQ(points.count(), 7);
    EXPECT_NEAR(static_cast<double>(points[3].lat), 50.002, 1e-12);
    EXPECT_NEAR(static_cast<double>(points[4].lat), 60.0, 1e-12);
    EXPECT_NEAR(static_cast<double>(points[7].lat), 60.003, 1e-12);
    EXPECT_EQ(points[7].name, "");
}

TEST_F(PointListTest, GrowsPastAHundredThousandWithoutOverwriting) {
    addTrack("long", 100005, 10);
    points.reset();
    auto l = loader();
    l.ShowTrack(points, child(doc.trackpoints(), 0));
    ASSERT_EQ(points.count(), 100005);
    EXPECT_NEAR(static_cast<double>(points[100000].lat), 10 + 99999 * 0.001, 1e-9);
    EXPECT_NEAR(static_cast<double>(points[100005].lat), 10 + 100004 * 0.001, 1e-9);
    EXPECT_GT(host.fakePump.processCalls, 999);  // yields every 100 points
    EXPECT_FALSE(statusTexts.empty());
    EXPECT_EQ(statusTexts.front().substr(0, 4), "100 ");
}

TEST_F(PointListTest, EscapeStopsATrackLoad) {
    addTrack("long", 1000, 10);
    host.fakePump.onProcess = [this](int) { op.requestCancel(); };
    points.reset();
    auto l = loader();
    l.ShowAllTracks(rows);
    EXPECT_EQ(rows.rows.size(), 99u);  // the 100th point is where events first run
}

TEST_F(PointListTest, WaypointAndRouteSymbols) {
    doc.AddWaypoint("52", "5", "", "", std::string(40, 'w'), Symbol::name("Flag"), std::string(40, 'c'), "d");
    doc.NewRoute("r");
    doc.AddRoutepoint("52", "5", "", "", std::string(40, 'r'), Symbol::name("Flag"), "", std::string(40, 'd'));
    points.reset();
    auto l = loader();
    l.ShowWaypoints(points);
    l.ShowAllRoutes(points);
    ASSERT_EQ(points.count(), 2);
    EXPECT_EQ(points[1].sym, "100");
    EXPECT_EQ(points[1].name, std::string(32, 'w'));
    EXPECT_EQ(points[1].cmt, std::string(32, 'c'));
    EXPECT_EQ(points[1].desc, "");
    EXPECT_EQ(points[2].sym, "Flag");
    EXPECT_EQ(points[2].desc, std::string(32, 'd'));

    l.ShowWaypoints(rows);
    l.ShowAllRoutes(rows);
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.rows[0][kColName], std::string(40, 'w'));  // waypoint rows are not cut
    EXPECT_EQ(rows.rows[0][kColSymbol], "Flag");
    EXPECT_EQ(rows.rows[1][kColName], std::string(32, 'r'));
    EXPECT_EQ(rows.rows[1][kColNr], "2");
    EXPECT_EQ(listName, "r");
}

TEST_F(PointListTest, RowFormatWithDecimalComma) {
    host.fakeLocale.separator = ',';
    doc.NewTrack("t");
    doc.AddTrackpoint("51.123456789012345", "5.5", "12.25", "39569.5452430556");
    doc.AddTrackpoint("52", "6", "", "");
    auto l = loader();
    EXPECT_EQ(l.ShowTrack(rows, child(doc.trackpoints(), 0)), "t");
    ASSERT_EQ(rows.rows.size(), 2u);
    const ListRow& r = rows.rows[0];
    EXPECT_EQ(r[kColNr], "1");
    EXPECT_EQ(r[kColLat], "51,123456789");
    EXPECT_EQ(r[kColLon], "5,5");
    EXPECT_EQ(r[kColAlt], "12.25");  // altitude as stored
    EXPECT_EQ(r[kColSerial], "39569,5452430556");
    EXPECT_EQ(r[kColDate], "01-05-2008");
    EXPECT_EQ(r[kColTime], "13:05:09");
    EXPECT_EQ(r[kColName], "");
    EXPECT_EQ(rows.rows[1][kColSerial], "");
    EXPECT_EQ(rows.rows[1][kColDate], "");
    EXPECT_EQ(listName, "t");

    points.reset();
    l.ShowTrack(points, child(doc.trackpoints(), 0));
    EXPECT_NEAR(static_cast<double>(points[1].time), 39569.5452430556, 1e-9);
    EXPECT_NEAR(static_cast<double>(points[1].ele), 12.25, 1e-12);
}

TEST_F(PointListTest, EmptyTrackAddsNothing) {
    doc.NewTrack("empty");
    auto l = loader();
    l.ShowAllTracks(rows);
    points.reset();
    l.ShowAllTracks(points);
    EXPECT_TRUE(rows.rows.empty());
    EXPECT_EQ(points.count(), 0);
}
