#include "core/document.h"

#include <gtest/gtest.h>

#include "core/fn.h"
#include "core/tree_delete.h"
#include "tree_fixture.h"

using namespace core;

class DocumentTest : public ::testing::Test, public TreeFixture {};

TEST_F(DocumentTest, FourContainersInOrder) {
    EXPECT_EQ(dump(kRootNode), "metadata\nwaypoints\nroutes\ntrackpoints\n");
    EXPECT_EQ(doc.kind(doc.metadata()), 4);
    EXPECT_EQ(doc.kind(doc.waypoints()), 0);
    EXPECT_EQ(doc.kind(doc.routes()), 0);
    EXPECT_EQ(doc.kind(doc.trackpoints()), 1);
    EXPECT_EQ(doc.getLevel(doc.trackpoints()), 2);
    EXPECT_EQ(doc.getText(kNoNode), "");
}

TEST_F(DocumentTest, ActiveLogMergesIntoOneTrack) {
    doc.NewTrack("ACTIVE LOG");
    doc.AddTrackpoint("51.1", "5.1", "10", "");
    doc.NewTrack("ACTIVE LOG");
    doc.AddTrackpoint("51.2", "5.2", "", "");
    EXPECT_EQ(dump(doc.trackpoints()),
              "trk (ACTIVE LOG)\n"
              "  name = ACTIVE LOG\n"
              "  number = 2\n"
              "  trkseg\n"
              "    trkpt (1)\n"
              "      lat = 51.1\n"
              "      lon = 5.1\n"
              "      ele = 10\n"
              "    trkpt (2)\n"
              "      lat = 51.2\n"
              "      lon = 5.2\n");
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"ACTIVE LOG"}));
    EXPECT_EQ(doc.cbTracks.selected, 0);
    EXPECT_TRUE(doc.documentModified);
    NodeId pt = child(child(child(doc.trackpoints(), 0), 2), 0);
    EXPECT_EQ(doc.kind(pt), 3);
    EXPECT_EQ(doc.getLevel(child(pt, 0)), 6);
}

TEST_F(DocumentTest, TrackWithEmptyNameIsFoundAgain) {
    doc.NewTrack("");
    EXPECT_EQ(dump(doc.trackpoints()), "trk ()\n  name = \n  number = 0\n  trkseg\n");
    NodeId seg = doc.currentSegment;
    doc.currentSegment = kNoNode;
    EXPECT_EQ(doc.FindTrack(""), seg);
    EXPECT_EQ(doc.FindTrack("other"), kNoNode);
    EXPECT_EQ(doc.currentSegment, seg);  // a miss leaves the insertion state alone
}

TEST_F(DocumentTest, TrackPointValues) {
    doc.NewTrack("t");
    doc.AddTrackpoint("0", "0", "12", "");  // 0,0 is never stored
    doc.AddTrackpoint("", "", "12", "");
    doc.AddTrackpoint("0", "0.00001", "", "");
    doc.AddTrackpoint("51,5", "5,25", "1,5", "39569,5452430556");
    EXPECT_EQ(dump(doc.currentSegment),
              "trkpt (1)\n  lat = 0\n  lon = 0.00001\n"
              "trkpt (2)\n  lat = 51.5\n  lon = 5.25\n  ele = 1.5\n  time = 2008-05-01T13:05:09.000Z\n");

    // Every way of writing zero counts as zero, whatever the text looks like.
    doc.NewTrack("zeros");
    for (const char* zero : {"-0", "+0,000", "0.", ".0", "0e5", " 0 ", "abc", "-", "00000000000000000000000.0"})
        doc.AddTrackpoint(zero, zero, "1", "");
    EXPECT_EQ(doc.childCount(doc.currentSegment), 0u);
    for (const char* small : {"0.0000000000000000000000001", "-0,1", "1e-5", " 7 "}) doc.AddTrackpoint("0", small, "", "");
    EXPECT_EQ(doc.childCount(doc.currentSegment), 4u);
}

TEST_F(DocumentTest, PointsWithoutCurrentTrackOrRouteAreIgnored) {
    doc.AddTrackpoint("51", "5", "", "");
    doc.AddRoutepoint("51", "5", "", "", "r", Symbol::none(), "", "");
    doc.NewTrack("t");
    doc.initTree();  // the segment named before is gone now
    doc.AddTrackpoint("51", "5", "", "");
    EXPECT_EQ(dump(kRootNode), "metadata\nwaypoints\nroutes\ntrackpoints\n");
}

TEST_F(DocumentTest, WaypointAttributesInOrderAndOnlyWhenPresent) {
    doc.AddWaypoint("52,1", "5.2", "", "", "Home", Symbol::none(), "", "");
    doc.AddWaypoint("52.2", "5.3", "3", "39569.5", "", Symbol::number("18"), "c", "d");
    EXPECT_EQ(dump(doc.waypoints()),
              "wpt (Home)\n  lat = 52.1\n  lon = 5.2\n  name = Home\n"
              "wpt ()\n  lat = 52.2\n  lon = 5.3\n  ele = 3\n  time = 2008-05-01T12:00:00.000Z\n"
              "  sym = Waypoint\n  cmt = c\n  desc = d\n");
    doc.NewRoute("r");
    doc.NewRoute("r");  // routes of one name stay two routes
    doc.AddRoutepoint("52", "5", "", "", "p", Symbol::number("178"), "", "");
    EXPECT_EQ(dump(doc.routes()),
              "rte (r)\n  name = r\nrte (r)\n  name = r\n  rtept (p)\n    lat = 52\n    lon = 5\n"
              "    name = p\n    sym = Flag, Blue\n");
}

TEST_F(DocumentTest, SymbolArgumentsByNumberOrName) {
    struct Row {
        const char* name;
        Symbol symbol;
        const char* symLine;  // "" = no sym line
    } rows[] = {
        {"known number", Symbol::number("18"), "sym = Waypoint"},
        {"number 0 defined", Symbol::number("0"), "sym = Anchor"},
        {"unknown number", Symbol::number("9999"), ""},
        {"empty number", Symbol::number(""), ""},
        {"exact name", Symbol::name("Flag, Blue"), "sym = Flag, Blue"},
        {"name in other case", Symbol::name("flag, blue"), "sym = Flag, Blue"},
        {"unknown name kept", Symbol::name("Geocache Found"), "sym = Geocache Found"},
        {"empty name", Symbol::name(""), ""},
    };
    for (const auto& r : rows) {
        doc.initTree();
        doc.AddWaypoint("1", "2", "", "", "w", r.symbol, "", "");
        std::string tree = dump(doc.waypoints());
        if (*r.symLine)
            EXPECT_NE(tree.find(std::string(r.symLine) + "\n"), std::string::npos) << r.name << "\n" << tree;
        else
            EXPECT_EQ(tree.find("sym"), std::string::npos) << r.name << "\n" << tree;
    }
}

TEST_F(DocumentTest, DeletingATrackPointKeepsLabelsAndFixesTheCount) {
    doc.NewTrack("t");
    for (const char* lat : {"51.1", "51.2", "51.3"}) doc.AddTrackpoint(lat, "5", "", "");
    NodeId seg = doc.currentSegment;
    doc.setFocused(child(child(seg, 1), 0));  // an attribute of the second point
    DeletePoint(doc);
    doc.AddTrackpoint("51.4", "5", "", "");
    EXPECT_EQ(dump(child(doc.trackpoints(), 0)),
              "name = t\nnumber = 3\ntrkseg\n"
              "  trkpt (1)\n    lat = 51.1\n    lon = 5\n"
              "  trkpt (3)\n    lat = 51.3\n    lon = 5\n"
              "  trkpt (3)\n    lat = 51.4\n    lon = 5\n");
    doc.setFocused(child(seg, 2));
    DeletePoint(doc);
    EXPECT_EQ(doc.getText(child(child(doc.trackpoints(), 0), 1)), "number = 2");
    EXPECT_EQ(doc.plotMode, 0);
}

TEST_F(DocumentTest, DeletePointAtContainersAndOtherPoints) {
    doc.AddWaypoint("1", "2", "", "", "a", Symbol::none(), "", "");
    doc.AddWaypoint("3", "4", "", "", "b", Symbol::none(), "", "");
    doc.NewTrack("t");
    doc.setFocused(doc.currentSegment);  // a segment deletes nothing here
    DeletePoint(doc);
    doc.setFocused(doc.trackpoints());
    DeletePoint(doc);
    EXPECT_EQ(doc.childCount(doc.trackpoints()), 1u);

    doc.setFocused(child(child(doc.waypoints(), 1), 0));
    DeletePoint(doc);
    EXPECT_EQ(dump(doc.waypoints()), "wpt (a)\n  lat = 1\n  lon = 2\n  name = a\n");
    EXPECT_EQ(doc.focused(), doc.waypoints());  // focus moves up from what was removed

    doc.setFocused(doc.waypoints());
    DeletePoint(doc);
    EXPECT_EQ(doc.childCount(doc.waypoints()), 0u);
    EXPECT_TRUE(doc.alive(doc.waypoints()));
}

TEST_F(DocumentTest, DeleteTrackFromADeepAttributeLeavesRowsOnTheClipboard) {
    doc.NewTrack("keep");
    doc.AddTrackpoint("50", "4", "", "");
    doc.NewTrack("gone");
    doc.AddTrackpoint("51.5", "5.25", "7", "");
    doc.AddTrackpoint("51.6", "5.35", "", "");
    NodeId gone = child(doc.trackpoints(), 1);
    doc.setFocused(child(child(child(gone, 2), 1), 1));  // "lon = 5.35"
    host.fakeLocale.separator = ',';
    std::vector<std::string> log;
    auto l = loader();
    EXPECT_TRUE(DeleteTrack(doc, l, host.fakeClipboard, host.fakeLocale,
                            [&](const std::string& s) { log.push_back(s); }));
    EXPECT_EQ(log, (std::vector<std::string>{"Delete selected track"}));
    EXPECT_EQ(dump(doc.trackpoints()), "trk (keep)\n  name = keep\n  number = 1\n  trkseg\n"
                                       "    trkpt (1)\n      lat = 50\n      lon = 4\n");
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"keep"}));
    EXPECT_EQ(host.fakeClipboard.content,
              "<1>,<51,5>,<5,25>,<7>,<0>,<30-12-1899>,<00:00:00>,<>,<>,<>,<>\r\n"
              "<2>,<51,6>,<5,35>,<0>,<0>,<30-12-1899>,<00:00:00>,<>,<>,<>,<>\r\n");
    EXPECT_EQ(BracketField(host.fakeClipboard.content, 3), "5,25");
}

TEST_F(DocumentTest, DeleteRouteAndNothingOutsideOne) {
    doc.NewRoute("r");
    doc.AddRoutepoint("1", "2", "", "", "p", Symbol::none(), "", "");
    std::vector<std::string> log;
    doc.setFocused(doc.waypoints());
    DeleteRoute(doc, [&](const std::string& s) { log.push_back(s); });
    EXPECT_EQ(doc.childCount(doc.routes()), 1u);
    doc.setFocused(child(child(child(doc.routes(), 0), 1), 0));
    DeleteRoute(doc, [&](const std::string& s) { log.push_back(s); });
    EXPECT_EQ(doc.childCount(doc.routes()), 0u);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(DocumentTest, ObserversHearChangesAndOneResetAfterABulkLoad) {
    int appended = 0, resets = 0, removed = 0;
    doc.inserted.connect([&](NodeId, NodeId) { ++appended; });
    doc.reset.connect([&] { ++resets; });
    doc.removed.connect([&](NodeId) { ++removed; });
    doc.NewTrack("t");
    EXPECT_EQ(appended, 4);
    doc.beginBulk();
    for (int i = 1; i <= 50; ++i) doc.AddTrackpoint("51." + std::to_string(i), "5", "", "");
    doc.endBulk();
    EXPECT_EQ(appended, 4);
    EXPECT_EQ(resets, 1);
    doc.setFocused(child(doc.currentSegment, 0));
    DeletePoint(doc);
    EXPECT_EQ(removed, 1);
}

TEST_F(DocumentTest, RolesComeFromThePlaceInTheTreeNotFromTexts) {
    doc.AddWaypoint("1", "2", "", "", "trk (not a track)", Symbol::none(), "", "");
    doc.NewRoute("wpt");
    doc.AddRoutepoint("1", "2", "", "", "p", Symbol::none(), "", "");
    doc.NewTrack("rte (x)");
    doc.AddTrackpoint("1", "2", "", "");
    NodeId bounds = doc.appendNode(doc.metadata(), "bounds", kAttributeKind);
    NodeId minlat = doc.appendNode(bounds, "minlat = 1", kAttributeKind);
    NodeId wpt = child(doc.waypoints(), 0), rte = child(doc.routes(), 0), trk = child(doc.trackpoints(), 0);
    NodeId seg = child(trk, 2), pt = child(seg, 0);
    struct Row {
        NodeId node;
        NodeRole role;
    } rows[] = {
        {kRootNode, NodeRole::None},           {doc.metadata(), NodeRole::Metadata},
        {bounds, NodeRole::Metadata},          {minlat, NodeRole::Attribute},
        {doc.waypoints(), NodeRole::Container}, {doc.routes(), NodeRole::Container},
        {doc.trackpoints(), NodeRole::Container}, {wpt, NodeRole::Waypoint},
        {child(wpt, 0), NodeRole::Attribute},  {rte, NodeRole::Route},
        {child(rte, 1), NodeRole::RoutePoint}, {trk, NodeRole::Track},
        {child(trk, 1), NodeRole::Attribute},  {seg, NodeRole::Segment},
        {pt, NodeRole::TrackPoint},            {child(pt, 0), NodeRole::Attribute},
    };
    for (const auto& r : rows) EXPECT_EQ(doc.roleOf(r.node), r.role) << doc.getText(r.node);
    EXPECT_EQ(doc.ancestorWithRole(child(pt, 1), NodeRole::Track), trk);
    EXPECT_EQ(doc.ancestorWithRole(wpt, NodeRole::Track), kNoNode);
    EXPECT_EQ(doc.nameOf(trk), "rte (x)");
    EXPECT_EQ(doc.segmentOf(trk), seg);
    EXPECT_EQ(doc.getText(doc.countLineOf(trk)), "number = 1");
    doc.removeNode(trk);
    EXPECT_EQ(doc.roleOf(pt), NodeRole::None);
}

TEST_F(DocumentTest, AnAddThatAddsNothingChangesNothing) {
    doc.AddTrackpoint("51", "5", "", "");  // no current track
    doc.NewRoute("r");
    doc.currentRoute = kNoNode;
    doc.AddRoutepoint("51", "5", "", "", "p", Symbol::none(), "", "");  // no current route
    doc.documentModified = false;
    doc.NewTrack("t");
    doc.documentModified = false;
    doc.AddTrackpoint("", "", "5", "");  // no position
    doc.AddTrackpoint("0", "0", "", "");  // the null island is no position either
    EXPECT_FALSE(doc.documentModified);
    doc.AddTrackpoint("51", "5", "", "");
    EXPECT_TRUE(doc.documentModified);
}

TEST_F(DocumentTest, ObserversHearInsertsMovesAndBulkRemovals) {
    doc.NewTrack("t");
    for (int i = 1; i <= 3; ++i) doc.AddTrackpoint("51." + std::to_string(i), "5", "", "");
    NodeId seg = doc.currentSegment;
    std::vector<std::string> heard;
    doc.inserted.connect([&](NodeId p, NodeId c) {
        NodeId before = doc.store().previousSibling(c);
        heard.push_back("insert " + doc.getText(c) + " in " + doc.getText(p) + " after " +
                        (before == kNoNode ? std::string("-") : doc.getText(before)));
    });
    doc.aboutToMove.connect([&](NodeId n, NodeId, NodeId before) {
        heard.push_back("move " + doc.getText(n) + " before " + (before == kNoNode ? "-" : doc.getText(before)));
    });
    doc.aboutToRemoveChildren.connect([&](NodeId p) { heard.push_back("clear " + doc.getText(p)); });
    doc.insertNode(seg, child(seg, 1), "trkpt (x)", kTrackPointKind);
    EXPECT_TRUE(doc.moveNode(child(seg, 3), seg, child(seg, 0)));
    EXPECT_FALSE(doc.moveNode(seg, child(seg, 0), kNoNode));  // not into its own subtree
    doc.setFocused(child(child(seg, 1), 0));  // "lat = 51.1"
    doc.removeChildren(seg);
    EXPECT_EQ(heard, (std::vector<std::string>{"insert trkpt (x) in trkseg after trkpt (1)",
                                               "move trkpt (3) before trkpt (1)", "clear trkseg"}));
    EXPECT_EQ(doc.focused(), seg);  // the focus leaves what went
}
