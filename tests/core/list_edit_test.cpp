#include "core/list_edit.h"

#include <gtest/gtest.h>

#include "core/point_edit.h"
#include "core/undo.h"
#include "tree_fixture.h"

using core::ListRow;
using core::ListRows;

namespace {

ListRow Row(std::string lat, std::string lon, std::string serial = "", std::string time = "", std::string name = "") {
    ListRow r;
    r[core::kColLat] = std::move(lat);
    r[core::kColLon] = std::move(lon);
    r[core::kColSerial] = std::move(serial);
    r[core::kColTime] = std::move(time);
    r[core::kColName] = std::move(name);
    return r;
}

std::vector<std::string> Column(const ListRows& view, int column) {
    std::vector<std::string> out;
    for (const auto& r : view.snapshot()) out.push_back(r[static_cast<size_t>(column)]);
    return out;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(ListEdit, SortByTimeTextPutsRowsWithoutTimeFirstAndRenumbers) {
    ListRows v;
    for (auto [serial, name] : {std::pair{"39569,5", "c"}, {"39568,25", "a"}, {"", "none"}, {"39569,125", "b"},
                                {"39568,25", "a2"}})
        v.append(Row("1", "1", serial, "", name));
    core::RowOrder order = core::SortRowsByTime(v);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"none", "a", "a2", "b", "c"}));  // equal times keep their order
    EXPECT_EQ(Column(v, core::kColNr), (Strings{"1", "2", "3", "4", "5"}));
    core::UndoRowOrder(v, order);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"c", "a", "none", "b", "a2"}));
}

TEST(ListEdit, HeaderClickSortsByThatColumnAndTwiceStaysAscending) {
    ListRows v;
    for (auto name : {"Zulu", "alpha", "Bravo", "Alpha"}) v.append(Row("1", "1", "", "", name));
    core::SortRowsByColumn(v, core::kColName);
    Strings once = Column(v, core::kColName);
    EXPECT_EQ(once, (Strings{"Alpha", "Bravo", "Zulu", "alpha"}));
    core::SortRowsByColumn(v, core::kColName);
    EXPECT_EQ(Column(v, core::kColName), once);
    EXPECT_TRUE(core::SortRowsByColumn(v, core::kColNr).empty());  // "Nr" sorts nothing
}

TEST(ListEdit, SortingThePointListIsStableByTime) {
    core::PointList points;
    for (auto [time, name] : {std::pair{3.0L, "c"}, {1.0L, "a"}, {0.0L, "none"}, {1.0L, "a2"}}) {
        auto& r = points.append();
        r.time = time;
        r.name = std::string(name);
    }
    core::SortPointListByTime(points);
    Strings names;
    for (int i = 1; i <= points.count(); ++i) names.push_back(points[i].name);
    EXPECT_EQ(names, (Strings{"none", "a", "a2", "c"}));
}

TEST(ListEdit, DeleteRowsAndRestoreThem) {
    ListRows v;
    for (auto name : {"a", "b", "c", "d", "e"}) v.append(Row("1", "1", "", "", name));
    auto removed = core::DeleteRows(v, {3, 1, 3, 99});
    EXPECT_EQ(Column(v, core::kColName), (Strings{"a", "c", "e"}));
    EXPECT_EQ(Column(v, core::kColNr), (Strings{"1", "2", "3"}));
    core::RestoreRows(v, removed);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(Column(v, core::kColNr), (Strings{"1", "2", "3", "4", "5"}));
}

TEST(ListEdit, RowFieldsKeepValuesHoldingAngleBrackets) {
    struct Case {
        const char* line;
        int n;
        const char* field;
    };
    for (const Case& c : {Case{"<1>,<a>b>,<c>", 2, "a>b"}, Case{"<1>,<a>b>,<c>", 3, "c"},
                          Case{"<1>,<a>b>,<c>", 4, ""}, Case{"<1>,<>,<x>\r\n", 2, ""},
                          Case{"<1>,<2>,<x>\r\n", 3, "x"}, Case{"<>b>", 1, ">b"}, Case{"<7", 1, "7"}}) {
        EXPECT_EQ(core::RowField(c.line, c.n), c.field) << c.line << " field " << c.n;
    }
}

TEST(ListEdit, RowTextRoundTripsAndSkipsOtherLines) {
    ListRows v;
    v.append(Row("51,5", "4,25", "39569,5", "12:00:00", "a > b"));
    v.append(Row("52", "5", "", "", "plain"));
    core::Renumber(v);
    std::string text = core::RowsText(v, {1, 0});
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "<1>,<51,5>,<4,25>,<>,<39569,5>,<>,<12:00:00>,<a > b>,<>,<>,<>");
    ASSERT_TRUE(core::IsRowText(text));
    auto rows = core::ParseRowText("garbage line\r\n" + text + "   \r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], v.row(0));
    EXPECT_EQ(rows[1], v.row(1));
    EXPECT_FALSE(core::IsRowText("<gpx><wpt>,<"));
    EXPECT_FALSE(core::IsRowText("just text"));
}

TEST(ListEdit, PasteAfterTheSelectedRowThenUndo) {
    ListRows v;
    for (auto name : {"a", "b", "c"}) v.append(Row("1", "1", "", "", name));
    auto pasted = core::ParseRowText("<9>,<1>,<1>,<>,<>,<>,<>,<x>\r\n<8>,<1>,<1>,<>,<>,<>,<>,<y>\r\n");
    size_t at = core::InsertRows(v, 1, pasted);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"a", "x", "y", "b", "c"}));
    EXPECT_EQ(Column(v, core::kColNr), (Strings{"1", "2", "3", "4", "5"}));
    core::EraseRows(v, at, 2);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"a", "b", "c"}));
}

TEST(ListEdit, PathLengthOfOneDegreeOfLatitude) {
    ListRows v;
    v.append(Row("51", "4"));
    EXPECT_FALSE(core::PathLengthKm(v));  // one row: nothing to say
    v.append(Row("52", "4"));
    // 6378.137 km * pi / 180 = 111.3195 km
    EXPECT_NEAR(static_cast<double>(*core::PathLengthKm(v)), 111.3195, 0.0005);
    v.append(Row("51,0", "4"));  // back again, read with a comma
    EXPECT_NEAR(static_cast<double>(*core::PathLengthKm(v)), 222.639, 0.001);
}

TEST(ListEdit, MoveToClosestGoesBeforeTheNearestRowOrToTheTop) {
    struct Case {
        std::vector<std::array<const char*, 3>> rows;  // lat, lon, name
        size_t selected;
        Strings order;
        size_t newIndex;
    };
    const Case cases[] = {
        // a's nearest is c, 5 km east: a goes just before c.
        {{{"0", "0", "a"}, {"10", "10", "b"}, {"0", "0,045", "c"}}, 0, {"b", "a", "c"}, 1},
        // c's nearest is a: c goes before it, to the top.
        {{{"0", "0,045", "a"}, {"10", "10", "b"}, {"0", "0", "c"}}, 2, {"c", "a", "b"}, 0},
        // Every other row beyond 1000 km: to the top.
        {{{"0", "0", "a"}, {"20", "0", "b"}, {"40", "0", "c"}}, 2, {"c", "a", "b"}, 0},
        {{{"0", "0", "a"}, {"20", "0", "b"}, {"40", "0", "c"}}, 1, {"b", "a", "c"}, 0},
    };
    for (const Case& c : cases) {
        ListRows v;
        for (auto [lat, lon, name] : c.rows) v.append(Row(lat, lon, "", "", name));
        EXPECT_EQ(core::MoveToClosest(v, c.selected), c.newIndex);
        EXPECT_EQ(Column(v, core::kColName), c.order);
        EXPECT_EQ(Column(v, core::kColNr), (Strings{"1", "2", "3"}));
    }
}

TEST(ListEdit, TimeAsNamePadsToSixDigits) {
    ListRows v;
    for (auto time : {"14:05:09", "9:05:00", ""}) v.append(Row("1", "1", "", time, "old"));
    auto old = core::UseTimeAsName(v);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"140509", "090500", "000000"}));
    core::RestoreNames(v, old);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"old", "old", "old"}));
}

TEST(ListEdit, ReversingTwiceRestoresEveryValue) {
    ListRows v;
    for (auto name : {"a", "b>c", "d>,e"}) v.append(Row("1", "1", "", "", name));
    core::ReverseRows(v);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"d>,e", "b>c", "a"}));
    EXPECT_EQ(Column(v, core::kColNr), (Strings{"1", "2", "3"}));
    core::ReverseRows(v);
    EXPECT_EQ(Column(v, core::kColName), (Strings{"a", "b>c", "d>,e"}));
}

TEST(UndoStack, KeepsTheLimitAndDropsRedoOnANewStep) {
    core::UndoStack stack(50);
    int value = 0;
    for (int i = 1; i <= 60; ++i)
        stack.push({"set", [&value, i] { value = i - 1; }, [&value, i] { value = i; }, 0, nullptr});
    value = 60;
    int undone = 0;
    while (stack.undo()) ++undone;
    EXPECT_EQ(undone, 50);
    EXPECT_EQ(value, 10);
    EXPECT_TRUE(stack.redo());
    EXPECT_EQ(value, 11);
    stack.push({"other", [] {}, [] {}, 0, nullptr});
    EXPECT_FALSE(stack.canRedo());
    EXPECT_EQ(stack.undoLabel(), "other");
}

// --- OK: writing the list back into the tree ---

class WriteBackTest : public ::testing::Test, public TreeFixture {
protected:
    WriteBackTest() { doc.initTree(); }
    core::NodeId addTrack(const std::string& name, std::vector<std::array<const char*, 3>> points) {
        doc.NewTrack(name);
        for (auto [lat, lon, time] : points) doc.AddTrackpoint(lat, lon, "10", time);
        return doc.parent(doc.currentSegment);
    }
    core::ListWriteBack ok(core::NodeId node, const std::string& name) {
        return core::WriteListBack(doc, node, name, rows, op, nullptr);
    }
};

TEST_F(WriteBackTest, DeletedRowsLeaveTheTrackWithTheRestNumberedFromOne) {
    core::NodeId trk = addTrack("walk", {{"51.1", "4.1", "39569.5"}, {"51.2", "4.2", "39569.6"},
                                         {"51.3", "4.3", "39569.7"}});
    std::string before = dump(trk);
    auto l = loader();
    l.ShowTrack(rows, trk);
    core::DeleteRows(rows, {0});
    auto w = ok(trk, "walk 2");
    EXPECT_EQ(doc.getText(trk), "trk (walk 2)");
    EXPECT_EQ(doc.getText(child(trk, 0)), "name = walk 2");
    EXPECT_EQ(doc.getText(child(trk, 1)), "number = 2");
    core::NodeId seg = child(trk, 2);
    EXPECT_EQ(doc.getText(seg), "trkseg");
    ASSERT_EQ(doc.childCount(seg), 2u);
    EXPECT_EQ(doc.getText(child(seg, 0)), "trkpt (1)");
    EXPECT_EQ(doc.getText(child(child(seg, 0), 0)), "lat = 51.2");
    EXPECT_EQ(doc.getText(child(seg, 1)), "trkpt (2)");
    EXPECT_TRUE(doc.documentModified);
    std::string after = dump(trk);

    core::UndoWriteBack(doc, w);
    EXPECT_EQ(doc.getText(trk), "trk (walk)");
    EXPECT_EQ(dump(trk), before);
    core::RedoWriteBack(doc, w);
    EXPECT_EQ(dump(trk), after);
}

TEST_F(WriteBackTest, TrackPointTextsGoThroughTheListAndItsEditor) {
    doc.NewTrack("walk");
    doc.AddTrackpoint("51.1", "4.1", "10", "39569.5", {"gate", "Flag, Blue", "c", "d", ""});
    doc.AddTrackpoint("51.2", "4.2", "10", "39569.6");
    core::NodeId trk = doc.parent(doc.currentSegment);
    auto l = loader();
    l.ShowTrack(rows, trk);
    EXPECT_EQ(rows.cell(0, core::kColName), "gate");
    EXPECT_EQ(rows.cell(0, core::kColComment), "c");
    // A name typed for the second point in the editor.
    core::PointEditModel m = core::ModelFromRow(rows.row(1), false);
    m.field(core::PointField::Name) = "bridge";
    core::ListRow second = rows.row(1);
    core::WriteToRow(m, second, host.fakeLocale);
    rows.setRow(1, second);
    ok(trk, "walk");
    std::string points = dump(child(trk, 2));
    EXPECT_NE(points.find("name = gate\n  sym = Flag, Blue\n  cmt = c\n  desc = d\n"), std::string::npos)
        << points;
    EXPECT_NE(points.find("name = bridge"), std::string::npos) << points;
    core::PointList list;
    l.ShowTrack(list, trk);
    EXPECT_EQ(list[1].name, "gate");
    EXPECT_EQ(list[1].desc, "d");
    EXPECT_EQ(list[2].name, "bridge");
}

TEST_F(WriteBackTest, WaypointsKeepSymbolsTheTableDoesNotKnowAndTheirTypes) {
    doc.AddWaypoint("51.5", "4.5", "3", "", "home", core::Symbol::name("Flag, Blue"), "c1", "d1", "Residence");
    doc.AddWaypoint("52.5", "5.5", "3", "", "odd", core::Symbol::name("My Own Sign"), "", "", "Geocache|Unknown");
    auto l = loader();
    l.ShowWaypoints(rows);
    std::string before = dump(doc.waypoints());
    auto w = ok(doc.waypoints(), "Waypoints");
    EXPECT_EQ(dump(doc.waypoints()), before);
    core::UndoWriteBack(doc, w);
    EXPECT_EQ(dump(doc.waypoints()), before);
}

TEST_F(WriteBackTest, RouteKeepsItsNodeTextAndEachSymbol) {
    doc.NewRoute("to work");
    doc.AddRoutepoint("51.5", "4.5", "", "", "start", core::Symbol::name("Anchor"), "", "", "Trailhead");
    doc.AddRoutepoint("51.6", "4.6", "", "", "end", core::Symbol::name("Flag"), "", "");
    core::NodeId rte = doc.currentRoute;
    auto l = loader();
    EXPECT_EQ(l.ShowRoute(rows, rte), "to work");
    ok(rte, "renamed");
    EXPECT_EQ(doc.getText(rte), "rte (to work)");
    EXPECT_EQ(doc.getText(child(rte, 0)), "name = renamed");
    EXPECT_EQ(doc.getText(child(rte, 1)), "rtept (start)");
    std::string points = dump(rte);
    EXPECT_NE(points.find("sym = Anchor\n  type = Trailhead\n"), std::string::npos) << points;
    EXPECT_NE(points.find("sym = Flag\n"), std::string::npos);
}

TEST_F(WriteBackTest, AllTracksMakesAThirdTrackAndAllRoutesWritesNothing) {
    core::NodeId a = addTrack("a", {{"51.1", "4.1", "39569.5"}, {"51.3", "4.3", "39569.7"}});
    core::NodeId b = addTrack("b", {{"51.2", "4.2", "39569.6"}});
    std::string before = dump(doc.trackpoints()), beforeA = dump(a), beforeB = dump(b);
    auto l = loader();
    l.ShowAllTracks(rows);
    core::SortRowsByTime(rows);
    auto w = ok(doc.trackpoints(), "All Tracks");
    ASSERT_EQ(doc.childCount(doc.trackpoints()), 3u);
    core::NodeId all = child(doc.trackpoints(), 2);
    EXPECT_EQ(doc.getText(all), "trk (All Tracks)");
    core::NodeId seg = doc.segmentOf(all);
    ASSERT_EQ(doc.childCount(seg), 3u);
    EXPECT_EQ(doc.getText(child(child(seg, 1), 0)), "lat = 51.2");  // in time order
    EXPECT_EQ(dump(a), beforeA);  // the listed tracks stay as they were
    EXPECT_EQ(dump(b), beforeB);
    core::UndoWriteBack(doc, w);
    EXPECT_EQ(dump(doc.trackpoints()), before);

    doc.NewRoute("r");
    std::string routes = dump(doc.routes());
    EXPECT_FALSE(ok(doc.routes(), "All Routes").wrote);
    EXPECT_EQ(dump(doc.routes()), routes);
}

// Listed points of the node an OK replaces go over node and all: what the
// row does not show (full precision, lines of their own) survives, and an
// undo puts every node back where it was, however the list was edited.
TEST_F(WriteBackTest, AnOkMovesListedPointsWholeAndUndoPutsEveryNodeBack) {
    struct Case {
        const char* what;
        bool allTracks;  // list all tracks and OK under the first track's name
        bool reverse;
    };
    for (const Case& c : {Case{"a track of two segments", false, false}, Case{"reversed", false, true},
                          Case{"all tracks into an existing one", true, false}}) {
        SCOPED_TRACE(c.what);
        doc.initTree();
        rows.clear();
        // An OK under an existing track's name replaces its last segment: the precise point is there.
        core::NodeId a = addTrack("a", {{"51.1", "4.1", "39569.5"}, {"51.2", "4.2", "39569.6"}});
        doc.currentSegment = doc.appendNode(a, "trkseg", core::kSegmentKind);
        for (const char* lat : {"51.123456789012345", "51.4", "51.5"}) doc.AddTrackpoint(lat, "4.3", "10", "39569.7");
        core::NodeId precise = child(doc.currentSegment, 0);
        doc.appendNode(precise, "course = 12", core::kAttributeKind);
        core::NodeId b = addTrack("b", {{"52.1", "5.1", "39569.8"}});
        const std::string before = dump(doc.trackpoints()), beforeB = dump(b);

        auto l = loader();
        if (c.allTracks)
            l.ShowAllTracks(rows);
        else
            l.ShowTrack(rows, a);
        core::DeleteRows(rows, {1});                 // 51.2 goes
        rows.setCell(2, core::kColName, "edited");  // 51.4 is now a row of its own
        if (c.reverse) core::ReverseRows(rows);
        const size_t listed = rows.size();
        auto w = ok(c.allTracks ? doc.trackpoints() : a, "a");
        ASSERT_TRUE(w.wrote);

        core::NodeId seg = doc.segmentOf(a);
        ASSERT_EQ(doc.childCount(seg), listed);
        const std::string points = dump(seg);
        // The untouched first point is the same node, precision and own line kept.
        EXPECT_NE(points.find("lat = 51.123456789012345\n"), std::string::npos);
        EXPECT_NE(points.find("course = 12\n"), std::string::npos);
        const size_t place = c.reverse ? listed - 2 : 1;
        EXPECT_EQ(child(seg, static_cast<int>(place)), precise);
        EXPECT_NE(points.find("name = edited"), std::string::npos);
        EXPECT_EQ(points.find("lat = 51.2\n"), std::string::npos);
        for (size_t i = 0; i < listed; ++i)
            EXPECT_EQ(doc.getText(child(seg, static_cast<int>(i))), "trkpt (" + std::to_string(i + 1) + ")");
        EXPECT_EQ(doc.getText(doc.countLineOf(a)), "number = " + std::to_string(listed));
        EXPECT_EQ(dump(b), beforeB);  // another track's points are copied, never taken
        const std::string after = dump(doc.trackpoints());

        for (int round = 0; round < 2; ++round) {
            core::UndoWriteBack(doc, w);
            EXPECT_EQ(dump(doc.trackpoints()), before);
            core::RedoWriteBack(doc, w);
            EXPECT_EQ(dump(doc.trackpoints()), after);
        }
    }
}

TEST_F(WriteBackTest, UnlinkedNodesStayStoredAndComeBackInPlace) {
    core::NodeId trk = addTrack("t", {{"51.1", "4.1", ""}, {"51.2", "4.2", ""}, {"51.3", "4.3", ""}});
    core::NodeId seg = doc.segmentOf(trk);
    core::NodeId second = child(seg, 1);
    EXPECT_EQ(doc.childCount(seg), 3u);  // counted once, then kept current
    int removedSignals = 0, insertedSignals = 0;
    auto r = doc.removed.scoped([&](core::NodeId) { ++removedSignals; });
    auto i = doc.inserted.scoped([&](core::NodeId, core::NodeId) { ++insertedSignals; });
    doc.setFocused(child(second, 0));
    doc.unlinkNode(second);
    EXPECT_EQ(doc.childCount(seg), 2u);
    EXPECT_FALSE(doc.inTree(second));
    EXPECT_FALSE(doc.inTree(child(second, 0)));
    EXPECT_EQ(doc.getText(second), "trkpt (2)");  // still readable
    EXPECT_EQ(doc.focused(), seg);                // the focus left the unlinked part
    doc.relinkNode(second, seg, child(seg, 1));
    EXPECT_EQ(doc.childCount(seg), 3u);
    EXPECT_EQ(child(seg, 1), second);
    EXPECT_TRUE(doc.inTree(child(second, 0)));
    EXPECT_EQ(removedSignals, 1);
    EXPECT_EQ(insertedSignals, 1);
    doc.relinkNode(second, seg, core::kNoNode);  // already linked: nothing happens
    EXPECT_EQ(doc.childCount(seg), 3u);
}
