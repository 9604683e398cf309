#include "plot/bounds.h"

#include <gtest/gtest.h>

#include "../core/tree_fixture.h"
#include "core/fn.h"

using namespace plot;

class BoundsTest : public ::testing::Test, public TreeFixture {
protected:
    PlotState state;
    std::vector<std::string> log;
    void determine() {
        auto l = loader();
        DetermineBounds(state, doc, l, points, [this](const std::string& s) { log.push_back(s); });
    }
    core::NodeId boundsNode() {
        for (core::NodeId c = doc.firstChild(doc.metadata()); c != core::kNoNode; c = doc.nextSibling(c))
            if (doc.getText(c) == "bounds") return c;
        return core::kNoNode;
    }
};

TEST_F(BoundsTest, NoTracksChangesNothing) {
    state.minLat = 7;
    doc.AddWaypoint("1", "2", "", "", "w", core::Symbol::none(), "", "");
    determine();
    EXPECT_EQ(state.minLat, 7);
    EXPECT_EQ(boundsNode(), core::kNoNode);
}

TEST_F(BoundsTest, OnePointAndMissingAltitudes) {
    doc.NewTrack("t");
    doc.AddTrackpoint("51.5", "5.25", "-777", "39569.5");
    determine();
    EXPECT_EQ(state.minLat, state.maxLat);
    EXPECT_EQ(state.minAlt, -777);  // the first point's altitude always counts
    EXPECT_EQ(state.maxAlt, -775);
    doc.AddTrackpoint("51.6", "5.3", "0", "");
    doc.AddTrackpoint("51.7", "5.35", "-777", "39569.25");
    doc.AddTrackpoint("51.8", "5.4", "12.5", "39570");
    determine();
    EXPECT_EQ(state.minAlt, -777);
    EXPECT_EQ(state.maxAlt, 12);  // 12.5 rounds half to even
    EXPECT_NEAR(static_cast<double>(state.minTime), 39569.25, 1e-9);
    EXPECT_NEAR(static_cast<double>(state.maxTime), 39570, 1e-9);
    double expected = static_cast<double>(core::DistanceKm(51.5, 5.25, 51.6, 5.3) + core::DistanceKm(51.6, 5.3, 51.7, 5.35) +
                                          core::DistanceKm(51.7, 5.35, 51.8, 5.4));
    EXPECT_FALSE(state.totalDistance.has_value());  // worked out only when asked for
    auto l = loader();
    EXPECT_NEAR(static_cast<double>(TotalDistanceKm(state, l)), expected, 1e-9);
    EXPECT_TRUE(state.totalDistance.has_value());
    doc.AddTrackpoint("51.9", "5.45", "", "");
    determine();  // a new pass forgets the old length
    EXPECT_NEAR(static_cast<double>(TotalDistanceKm(state, l)),
                expected + static_cast<double>(core::DistanceKm(51.8, 5.4, 51.9, 5.45)), 1e-9);
}

TEST_F(BoundsTest, AcrossTheAntimeridianAndAcrossTracks) {
    doc.NewTrack("a");
    doc.AddTrackpoint("10", "179", "", "");
    doc.NewTrack("b");
    doc.AddTrackpoint("11", "-179", "", "");
    determine();
    // Western longitudes counted past 180: two degrees wide, not 358.
    EXPECT_EQ(state.minLon, 179);
    EXPECT_EQ(state.maxLon, 181);
    EXPECT_EQ(dump(boundsNode()), "minlat = 10\nmaxlat = 11\nminlon = 179\nmaxlon = -179\n");
    auto l = loader();
    EXPECT_NEAR(static_cast<double>(TotalDistanceKm(state, l)), static_cast<double>(core::DistanceKm(10, 179, 11, -179)),
                1e-9);
}

TEST_F(BoundsTest, ShortStepsAddUpExactly) {
    // 2000 points a hundred-thousandth of a degree apart along a meridian:
    // 1999 steps of 0.00001 degrees on a sphere of 6378.137 km.
    doc.NewTrack("t");
    for (int i = 0; i < 2000; ++i) doc.AddTrackpoint(core::FloatToStrGeneral(52 + i * 0.00001L), "5", "", "");
    determine();
    auto l = loader();
    EXPECT_NEAR(static_cast<double>(TotalDistanceKm(state, l)), 2.2252766209575388, 1e-9);
}

TEST_F(BoundsTest, OneBoundsNodeWithFourChildren) {
    doc.NewTrack("t");
    doc.AddTrackpoint("51,5", "5.25", "", "");
    doc.AddTrackpoint("52", "6", "", "");
    determine();
    determine();
    int nodes = 0;
    for (core::NodeId c = doc.firstChild(doc.metadata()); c != core::kNoNode; c = doc.nextSibling(c)) ++nodes;
    EXPECT_EQ(nodes, 1);
    EXPECT_EQ(dump(boundsNode()), "minlat = 51.5\nmaxlat = 52\nminlon = 5.25\nmaxlon = 6\n");
    EXPECT_EQ(log.back(), "Store bounds in treeview");
}

TEST_F(BoundsTest, UpdateBoundsWidensFromUnsetBounds) {
    std::vector<std::string> l;
    UpdateBounds(state, "51,5", "5.25", "", "", [&](const std::string& s) { l.push_back(s); });
    EXPECT_EQ(state.minLat, 51.5);
    EXPECT_EQ(state.maxLat, 51.5);
    EXPECT_EQ(state.minLon, 5.25);
    UpdateBounds(state, "50", "6", "100", "39000", [](const std::string&) {});
    EXPECT_EQ(state.minLat, 50);
    EXPECT_EQ(state.maxLon, 6);
    EXPECT_EQ(state.maxAlt, 100);
    EXPECT_EQ(state.minTime, 39000);
    EXPECT_EQ(l, (std::vector<std::string>{"Update bounds"}));
}

TEST_F(BoundsTest, RecomputedOnlyWhenTheTreeChanged) {
    doc.NewTrack("t");
    doc.AddTrackpoint("51", "5", "", "");
    determine();
    state.minLat = 7;  // a stale value would survive a skipped run
    state.determinedAt = 0;
    determine();
    EXPECT_EQ(state.minLat, 51);
    determine();  // unchanged tree: the same result, the tree untouched
    EXPECT_EQ(state.minLat, 51);
    doc.AddTrackpoint("50", "5", "", "");
    determine();
    EXPECT_EQ(state.minLat, 50);
    UpdateBounds(state, "40", "5", "", "", [](const std::string&) {});
    determine();
    EXPECT_EQ(state.minLat, 50);
}

TEST_F(BoundsTest, RangesAloneLeaveThePointListAsItWas) {
    doc.NewTrack("t");
    doc.AddTrackpoint("51", "5", "10", "39569.5");
    doc.AddTrackpoint("52", "179.5", "20", "39569.75");
    doc.NewTrack("u");
    doc.AddTrackpoint("50", "-179.5", "30", "");
    determine();
    PlotState full = state;
    std::string node = dump(boundsNode());
    std::vector<std::string> fullLog = log;
    // Something else in the list, as after loading one track for a plot.
    points.reset();
    points.append().lat = 12;
    for (bool sameTree : {true, false}) {
        SCOPED_TRACE(sameTree);
        if (!sameTree) {
            state.determinedAt = 0;  // the full pass, not the shortcut for an unchanged tree
            state.minLat = 7;
        }
        log.clear();
        auto l = loader();
        EXPECT_TRUE(DetermineRanges(state, doc, l, [this](const std::string& s) { log.push_back(s); }));
        EXPECT_EQ(state.minLat, full.minLat);
        EXPECT_EQ(state.maxLat, full.maxLat);
        EXPECT_EQ(state.minLon, full.minLon);
        EXPECT_EQ(state.maxLon, full.maxLon);
        EXPECT_EQ(state.minAlt, full.minAlt);
        EXPECT_EQ(state.maxTime, full.maxTime);
        EXPECT_EQ(dump(boundsNode()), node);
        EXPECT_EQ(log, fullLog);
        ASSERT_EQ(points.count(), 1);
        EXPECT_EQ(points[1].lat, 12);
    }
}
