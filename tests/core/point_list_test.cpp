#include "core/point_list.h"

#include <gtest/gtest.h>

#include "core/fn.h"
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
    EXPECT_EQ(rows.size(), 99u);  // the 100th point is where events first run
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
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.cell(0, kColName), std::string(40, 'w'));  // waypoint rows are not cut
    EXPECT_EQ(rows.cell(0, kColSymbol), "Flag");
    EXPECT_EQ(rows.cell(1, kColName), std::string(32, 'r'));
    EXPECT_EQ(rows.cell(1, kColNr), "2");
    EXPECT_EQ(listName, "r");
}

TEST_F(PointListTest, RowFormatWithDecimalComma) {
    host.fakeLocale.separator = ',';
    doc.NewTrack("t");
    doc.AddTrackpoint("51.123456789012345", "5.5", "12.25", "39569.5452430556");
    doc.AddTrackpoint("52", "6", "", "");
    auto l = loader();
    EXPECT_EQ(l.ShowTrack(rows, child(doc.trackpoints(), 0)), "t");
    ASSERT_EQ(rows.size(), 2u);
    const ListRow& r = rows.row(0);
    EXPECT_EQ(r[kColNr], "1");
    EXPECT_EQ(r[kColLat], "51,123456789");
    EXPECT_EQ(r[kColLon], "5,5");
    EXPECT_EQ(r[kColAlt], "12.25");  // altitude as stored
    EXPECT_EQ(r[kColSerial], "39569,5452430556");
    EXPECT_EQ(r[kColDate], "01-05-2008");
    EXPECT_EQ(r[kColTime], "13:05:09");
    EXPECT_EQ(r[kColName], "");
    EXPECT_EQ(rows.cell(1, kColSerial), "");
    EXPECT_EQ(rows.cell(1, kColDate), "");
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
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(points.count(), 0);
}

// Listed rows are read from their points when shown: a list kept past the
// emptying of its document must not show the new document's nodes, which
// reuse the old ids; a list that gets rows of another kind keeps its own.
TEST_F(PointListTest, ListedRowsNeverReadAnotherDocumentsNodes) {
    addTrack("old", 2, 50);
    auto l = loader();
    l.ShowAllTracks(rows);
    ASSERT_EQ(rows.cell(1, kColLat), "50.001000");
    EXPECT_NEAR(static_cast<double>(rows.values(1).lat), 50.001, 1e-9);
    doc.initTree();
    addTrack("new", 2, 70);
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.cell(1, kColLat), "");
    EXPECT_EQ(rows.cell(1, kColNr), "2");
    EXPECT_EQ(rows.values(1).lat, 0);

    rows.clear();
    doc.AddWaypoint("1.5", "2.5", "", "", std::string(40, 'w'), Symbol::none(), "", "");
    l.ShowWaypoints(rows);
    l.ShowAllTracks(rows);  // waypoint rows stay uncut next to track rows
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.cell(0, kColName), std::string(40, 'w'));
    EXPECT_EQ(rows.cell(2, kColLat), "70.001000");
}

// Track records are read straight from the store where every line is keyed;
// whatever shape the lines have, a record holds what the general reading of
// the point's texts gives.
TEST_F(PointListTest, TrackRecordsMatchTheTextsOfEveryLineShape) {
    doc.NewTrack("shapes");
    auto add = [&](const char* lat, const char* ele, const char* time) {
        doc.AddTrackpoint(lat, "5.1000091", ele, time);
        return doc.store().lastChild(doc.currentSegment);
    };
    add("51.4000137", "12.5", "46143.25");
    add("-0.0000001", "", "");
    NodeId edited = add("52", "3", "46143.5");
    NodeId latLine = doc.firstChild(edited);
    doc.setText(latLine, "lat =52.75");                       // no blank after "=": a raw line
    doc.appendNode(edited, "lat = 53.5", kAttributeKind);     // a second lat line: the last counts
    doc.appendNode(edited, "name = on a track point", kAttributeKind);
    NodeId odd = add("54", "7", "46143.75");
    for (NodeId c = doc.firstChild(odd); c != kNoNode; c = doc.nextSibling(c)) {
        if (doc.store().key(c) == AttrKey::Ele) doc.setText(c, "ele = ");
        if (doc.store().key(c) == AttrKey::Lon) doc.setText(c, "lon = 5." + std::string(80, '1'));
        if (doc.store().key(c) == AttrKey::Time) doc.setText(c, "time = 2026-05-01T06:00:00.12345Z");
    }
    NodeId bad = add("55", "8", "46143.8");
    for (NodeId c = doc.firstChild(bad); c != kNoNode; c = doc.nextSibling(c))
        if (doc.store().key(c) == AttrKey::Time) doc.setText(c, "time = not a time");

    for (bool readTimes : {true, false}) {
        SCOPED_TRACE(readTimes);
        auto l = loader();
        l.setReadTimes(readTimes);
        std::vector<PointRecord> records;
        ASSERT_TRUE(l.eachPointOfAllTracks([&](const PointRecord& r) { records.push_back(r); }));
        std::vector<NodeId> nodes;
        for (NodeId p = doc.firstChild(doc.currentSegment); p != kNoNode; p = doc.nextSibling(p)) nodes.push_back(p);
        ASSERT_EQ(records.size(), nodes.size());
        for (size_t i = 0; i < nodes.size(); ++i) {
            SCOPED_TRACE(i);
            PointTexts t = l.readPoint(nodes[i]);
            EXPECT_EQ(records[i].lat, StrToFloatAny(t.lat));
            EXPECT_EQ(records[i].lon, StrToFloatAny(t.lon));
            EXPECT_EQ(records[i].ele, StrToFloatAny(t.ele));
            EXPECT_EQ(records[i].time, t.hasTime ? t.time : 0);
            EXPECT_EQ(records[i].name, t.name);
        }
        EXPECT_EQ(records[2].name, "on a track point");
        EXPECT_EQ(records[2].lat, 53.5L);
        EXPECT_EQ(records[3].time != 0, readTimes);  // five decimals of a second
        EXPECT_EQ(records[4].time, 0);
        EXPECT_EQ(records[0].time != 0, readTimes);
    }
}

TEST(PointListBlocks, RecordsStayPutAndARefillStartsClean) {
    PointList list;
    PointRecord& first = list.append();
    first.lat = 1;
    first.name = std::string("first");
    PointRecord* firstAddress = &first;
    // Well past several blocks: what was handed out is neither moved nor overwritten.
    for (int i = 2; i <= 20000; ++i) {
        PointRecord r;
        r.lat = i;
        r.time = i * 0.5L;
        if (i % 1000 == 0) r.sym = std::string("s") + std::to_string(i);
        list.append(r);
    }
    ASSERT_EQ(list.count(), 20000);
    EXPECT_EQ(&list[1], firstAddress);
    EXPECT_EQ(list[1].name, "first");
    EXPECT_EQ(list[4096].lat, 4096);
    EXPECT_EQ(list[4097].lat, 4097);
    EXPECT_EQ(list[20000].time, 10000);
    EXPECT_EQ(list[5000].sym, "s5000");
    EXPECT_EQ(list[5001].sym, "");
    // Index 0 is scratch space apart from the records.
    list[0].lat = -1;
    EXPECT_EQ(list[1].lat, 1);

    // Filled again after a reset: no value or text of the first filling shows through.
    list.reset();
    for (int i = 1; i <= 5000; ++i) list.append().lon = i;
    EXPECT_EQ(list.count(), 5000);
    EXPECT_EQ(list[1].name, "");
    EXPECT_EQ(list[1].lat, 0);
    EXPECT_EQ(list[5000].sym, "");
    EXPECT_EQ(list[5000].time, 0);
    EXPECT_EQ(list[5000].lon, 5000);
    // A copy of a record with texts copies the texts, not the pointers.
    PointRecord withText;
    withText.cmt = std::string("c");
    list.append(withText);
    withText.cmt = std::string("changed");
    EXPECT_EQ(list[5001].cmt, "c");
}
