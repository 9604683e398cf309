#include "app/edit_commands.h"

#include <gtest/gtest.h>

#include "../temp_dir.h"
#include "core/point_edit.h"
#include "host/fake/fake_host.h"

using namespace app;
using View = EditCommands::View;

class EditCommandsTest : public ::testing::Test {
protected:
    host::FakeHost host;
    TempDir dir;
    Workspace ws{host, BuildPaths({"/nonexistent", dir.path(), "", "", dir.path(), PATHKEEP_DATA_DIR, "", ""})};
    EditCommands edit{ws};
    core::Document& doc = ws.document;

    void SetUp() override { ws.create(); }
    core::NodeId child(core::NodeId parent, int index) const {
        core::NodeId c = doc.firstChild(parent);
        for (int i = 0; i < index && c != core::kNoNode; ++i) c = doc.nextSibling(c);
        return c;
    }
    std::string dump(core::NodeId node, int depth = 0) const {
        std::string out;
        for (core::NodeId c = doc.firstChild(node); c != core::kNoNode; c = doc.nextSibling(c)) {
            out += std::string(static_cast<size_t>(depth) * 2, ' ') + doc.getText(c) + "\n";
            out += dump(c, depth + 1);
        }
        return out;
    }
    core::NodeId addTrack(const std::string& name, int points) {
        doc.NewTrack(name);
        for (int i = 1; i <= points; ++i)
            doc.AddTrackpoint("51." + std::to_string(i), "4." + std::to_string(i), "1",
                              "39569." + std::to_string(i));
        return doc.parent(doc.currentSegment);
    }
    std::vector<std::string> names(const core::ListRows& rows, int column = core::kColLat) const {
        std::vector<std::string> out;
        for (const auto& r : rows.snapshot()) out.push_back(r[static_cast<size_t>(column)]);
        return out;
    }
};

TEST_F(EditCommandsTest, EditListOfARoutePointListsTheWholeRoute) {
    doc.NewRoute("to work");
    for (const char* name : {"a", "b", "c"})
        doc.AddRoutepoint("51.5", "4.5", "", "", name, core::Symbol::none(), "", "");
    doc.setFocused(child(child(doc.currentRoute, 2), 0));  // an attribute line of "b"
    int shown = -1;
    edit.showPage = [&shown](int page) { shown = page; };
    edit.mShowPointsClick();
    EXPECT_TRUE(edit.listEditing());
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(ws.listName(), "to work");
    EXPECT_EQ(names(ws.pointRows, core::kColName), (std::vector<std::string>{"a", "b", "c"}));
    edit.btCancelClick();
    EXPECT_FALSE(edit.listEditing());
    EXPECT_TRUE(ws.pointRows.empty());

    doc.setFocused(doc.metadata());  // metadata lists nothing
    edit.mShowPointsClick();
    EXPECT_FALSE(edit.listEditing());
}

TEST_F(EditCommandsTest, DeleteRowsOkThenUndoAndRedo) {
    core::NodeId trk = addTrack("walk", 4);
    doc.documentModified = false;
    std::string before = dump(trk);
    doc.setFocused(trk);
    edit.mShowPointsClick();
    edit.PuntenVerwijderen(View::Points, {1, 2});
    EXPECT_TRUE(doc.documentModified);  // deleting rows of LV1 is a change
    edit.btOKClick("walk");
    core::NodeId seg = doc.segmentOf(trk);
    ASSERT_EQ(doc.childCount(seg), 2u);
    EXPECT_EQ(doc.getText(child(seg, 0)), "trkpt (1)");
    EXPECT_EQ(doc.getText(child(seg, 1)), "trkpt (2)");
    EXPECT_EQ(doc.getText(child(child(seg, 1), 0)), "lat = 51.4");
    std::string after = dump(trk);
    ASSERT_TRUE(edit.canUndo());
    edit.undo();  // the OK is one step; the row deletions went with it
    EXPECT_EQ(dump(trk), before);
    EXPECT_FALSE(edit.canUndo());
    edit.redo();
    EXPECT_EQ(dump(trk), after);
}

TEST_F(EditCommandsTest, CopyAWaypointAndPasteItOnTheContainer) {
    doc.AddWaypoint("51.5", "4.5", "2", "", "home", core::Symbol::none(), "", "");
    doc.setFocused(child(doc.waypoints(), 0));
    edit.Kopieren1Click(View::Tree, {});
    EXPECT_TRUE(host.fakeClipboard.content.starts_with("<gpx"));
    doc.setFocused(doc.waypoints());
    edit.Plakken1Click(View::Tree, {});
    ASSERT_EQ(doc.childCount(doc.waypoints()), 2u);
    EXPECT_EQ(dump(child(doc.waypoints(), 1)), dump(child(doc.waypoints(), 0)));
    EXPECT_FALSE(edit.treeCommandRunning());
    edit.undo();
    EXPECT_EQ(doc.childCount(doc.waypoints()), 1u);
    edit.redo();
    EXPECT_EQ(doc.childCount(doc.waypoints()), 2u);
}

TEST_F(EditCommandsTest, CutTrackLeavesRowTextForAnEditedListNotForTheTree) {
    core::NodeId trk = addTrack("walk", 3);
    std::string tree = dump(doc.trackpoints());
    doc.setFocused(trk);
    edit.Knippen1Click(View::Tree, {});
    EXPECT_EQ(doc.childCount(doc.trackpoints()), 0u);
    EXPECT_TRUE(doc.cbTracks.items.empty());
    std::string clip = host.fakeClipboard.content;
    ASSERT_TRUE(clip.starts_with("<1>,<51.1>,<4.1>")) << clip;

    doc.setFocused(doc.trackpoints());
    edit.Plakken1Click(View::Tree, {});  // row text: the tree takes nothing
    EXPECT_EQ(doc.childCount(doc.trackpoints()), 0u);
    EXPECT_EQ(edit.mKlembord(), clip);
    edit.Kopieren1Click(View::Tree, {});  // and the tree still answers
    EXPECT_TRUE(host.fakeClipboard.content.starts_with("<gpx"));

    host.fakeClipboard.content = clip;
    edit.Plakken1Click(View::Points, {});  // no list edited: nothing
    EXPECT_TRUE(ws.pointRows.empty());

    // Undo brings the track back where it was, with its selector entry.
    edit.undo();
    EXPECT_EQ(dump(doc.trackpoints()), tree);
    EXPECT_EQ(doc.cbTracks.items, std::vector<std::string>{"walk"});

    core::NodeId other = addTrack("other", 1);
    doc.setFocused(other);
    edit.mShowPointsClick();
    edit.Plakken1Click(View::Points, {0});  // after the selected row
    EXPECT_EQ(names(ws.pointRows), (std::vector<std::string>{"51.1", "51.1", "51.2", "51.3"}));
    EXPECT_EQ(names(ws.pointRows, core::kColNr), (std::vector<std::string>{"1", "2", "3", "4"}));
    edit.undo();
    EXPECT_EQ(ws.pointRows.size(), 1u);
}

TEST_F(EditCommandsTest, GpxPastedIntoAListIsIgnoredAndLv2CopiesAlways) {
    ws.waypointRows.assign(std::vector<core::ListRow>(2));
    ws.waypointRows.setCell(0, core::kColName, "a");
    ws.waypointRows.setCell(1, core::kColName, "b");
    edit.Kopieren1Click(View::Waypoints, {1});
    EXPECT_EQ(host.fakeClipboard.content, "<>,<>,<>,<>,<>,<>,<>,<b>,<>,<>,<>\r\n");
    edit.Plakken1Click(View::Waypoints, {});  // not while no list is edited
    EXPECT_EQ(ws.waypointRows.size(), 2u);
    addTrack("t", 1);
    doc.setFocused(doc.trackpoints());
    edit.mShowPointsClick();
    host.fakeClipboard.content = "<gpx><wpt lat=\"1\" lon=\"2\"/>,<x></gpx>";
    edit.Plakken1Click(View::Points, {});
    EXPECT_EQ(ws.pointRows.size(), 1u);
}

TEST_F(EditCommandsTest, PointEditorOnThreeRowsChangesOnlyTheComment) {
    ws.waypointRows.assign(std::vector<core::ListRow>(3));
    for (size_t i = 0; i < 3; ++i) {
        ws.waypointRows.setCell(i, core::kColName, "n" + std::to_string(i));
        ws.waypointRows.setCell(i, core::kColComment, "old");
    }
    auto before = ws.waypointRows.snapshot();
    host.fakePrompts.fillDialog = [](host::DialogModel& d) {
        auto& m = dynamic_cast<core::PointEditModel&>(d);
        EXPECT_TRUE(m.multi);
        m.field(core::PointField::Cmt) = "fresh";
        m.check(core::PointField::Cmt);
    };
    host.fakePrompts.dialogResults = {true};
    edit.PuntBewerken(View::Waypoints, {0, 1, 2});
    for (size_t i = 0; i < 3; ++i) {
        auto expected = before[i];
        expected[core::kColComment] = "fresh";
        EXPECT_EQ(ws.waypointRows.row(i), expected);
    }
    edit.undo();
    EXPECT_EQ(ws.waypointRows.snapshot(), before);
}

TEST_F(EditCommandsTest, DistanceMessageAndReverseUndo) {
    addTrack("t", 2);
    doc.setFocused(doc.trackpoints());
    edit.mShowPointsClick();
    ws.pointRows.setCell(0, core::kColLat, "51");
    ws.pointRows.setCell(1, core::kColLat, "52");
    ws.pointRows.setCell(0, core::kColLon, "4");
    ws.pointRows.setCell(1, core::kColLon, "4");
    edit.Berekenafstand1Click(View::Points);
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, ws.message(21) + " 111.32 km");
    edit.Trackomkeren1Click();
    EXPECT_EQ(names(ws.pointRows), (std::vector<std::string>{"52", "51"}));
    edit.undo();
    EXPECT_EQ(names(ws.pointRows), (std::vector<std::string>{"51", "52"}));
    edit.btCancelClick();
    EXPECT_FALSE(edit.canUndo());  // the list's steps went with the list
}

TEST_F(EditCommandsTest, HistoryIsDroppedWhenTheDocumentIsEmptied) {
    addTrack("t", 2);
    doc.setFocused(child(doc.trackpoints(), 0));
    edit.Knippen1Click(View::Tree, {});
    ASSERT_TRUE(edit.canUndo());
    doc.initTree();
    addTrack("fresh", 1);
    std::string tree = dump(doc.trackpoints());
    edit.undo();  // must not relink nodes of the old document
    EXPECT_EQ(dump(doc.trackpoints()), tree);
}

TEST_F(EditCommandsTest, EmptyingTheDocumentEndsListEditing) {
    core::NodeId trk = addTrack("t", 2);
    doc.setFocused(trk);
    bool editing = false;
    auto c = edit.editingChanged.scoped([&editing](bool on) { editing = on; });
    edit.mShowPointsClick();
    ASSERT_TRUE(editing);
    doc.initTree();
    EXPECT_FALSE(edit.listEditing());
    EXPECT_FALSE(editing);
    EXPECT_TRUE(ws.pointRows.empty());
}

TEST_F(EditCommandsTest, TreeCommandsDoNotRunInsideEachOther) {
    core::NodeId trk = addTrack("long", 450);  // long enough to let events run while it is copied
    addTrack("other", 1);
    doc.setFocused(trk);
    int nested = 0;
    host.fakePump.onProcess = [&](int) {
        ++nested;
        edit.Kopieren1Click(View::Tree, {});  // a key arriving mid-cut
        edit.Plakken1Click(View::Tree, {});
    };
    edit.Knippen1Click(View::Tree, {});
    host.fakePump.onProcess = nullptr;
    ASSERT_GT(nested, 0);
    EXPECT_EQ(doc.childCount(doc.trackpoints()), 1u);
    // The cut's row text stands: the nested copy did not replace it.
    EXPECT_TRUE(host.fakeClipboard.content.starts_with("<1>,<51.1>")) << host.fakeClipboard.content.substr(0, 40);
    EXPECT_FALSE(edit.treeCommandRunning());
    doc.setFocused(child(doc.trackpoints(), 0));
    edit.Kopieren1Click(View::Tree, {});  // afterwards the tree takes commands again
    EXPECT_TRUE(host.fakeClipboard.content.starts_with("<gpx"));
}

TEST_F(EditCommandsTest, PastingATrackPointIntoASegmentIsUndoneWithItsCount) {
    core::NodeId trk = addTrack("walk", 2);
    core::NodeId seg = doc.segmentOf(trk);
    std::string before = dump(trk);
    doc.setFocused(child(seg, 0));
    edit.Kopieren1Click(View::Tree, {});
    doc.setFocused(seg);
    edit.Plakken1Click(View::Tree, {});
    ASSERT_EQ(doc.childCount(seg), 3u);
    EXPECT_EQ(doc.getText(doc.countLineOf(trk)), "number = 3");
    std::string after = dump(trk);
    edit.undo();
    EXPECT_EQ(dump(trk), before);
    edit.redo();
    EXPECT_EQ(dump(trk), after);
}

TEST_F(EditCommandsTest, EditPointInTheTreeAndItsNameLine) {
    doc.AddWaypoint("51.5", "4.5", "", "", "home", core::Symbol::none(), "", "");
    core::NodeId wpt = child(doc.waypoints(), 0);
    doc.setFocused(wpt);
    host.fakePrompts.fillDialog = [](host::DialogModel& d) {
        auto& m = dynamic_cast<core::PointEditModel&>(d);
        EXPECT_FALSE(m.multi);
        EXPECT_EQ(m.field(core::PointField::Name), "home");
        m.field(core::PointField::Name) = "cabin";
    };
    host.fakePrompts.dialogResults = {true};
    doc.documentModified = false;
    edit.mEditPointClick();
    EXPECT_EQ(doc.getText(wpt), "wpt (cabin)");
    EXPECT_TRUE(doc.documentModified);

    // The name line through the input box; a cancelled box changes nothing.
    core::NodeId line = core::kNoNode;
    for (core::NodeId c = doc.firstChild(wpt); c != core::kNoNode; c = doc.nextSibling(c))
        if (doc.getText(c).starts_with("name = ")) line = c;
    ASSERT_NE(line, core::kNoNode);
    doc.setFocused(line);
    host.fakePrompts.paths = {std::nullopt, std::string("hut")};
    edit.mEditPointClick();
    EXPECT_EQ(doc.getText(line), "name = cabin");
    edit.mEditPointClick();
    EXPECT_EQ(doc.getText(line), "name = hut");
    EXPECT_EQ(doc.getText(wpt), "wpt (hut)");
    edit.undo();
    EXPECT_EQ(doc.getText(wpt), "wpt (cabin)");
    edit.undo();
    EXPECT_EQ(doc.getText(wpt), "wpt (home)");
}

TEST_F(EditCommandsTest, UndoKeepsToWhatCanBeReached) {
    core::NodeId trk = addTrack("t", 3);
    doc.AddWaypoint("51.5", "4.5", "", "", "w", core::Symbol::none(), "", "");
    doc.setFocused(child(doc.waypoints(), 0));
    edit.Knippen1Click(View::Tree, {});  // a tree step
    doc.documentModified = false;
    edit.Trackomkeren1Click();  // no list edited: LV1 is empty, nothing to take back
    EXPECT_FALSE(doc.documentModified);
    ASSERT_TRUE(edit.canUndo());
    ws.waypointRows.assign(std::vector<core::ListRow>(2));
    doc.setFocused(trk);
    edit.mShowPointsClick();
    EXPECT_FALSE(edit.canUndo());  // the tree's step waits while the list is edited
    edit.PuntenVerwijderen(View::Waypoints, {0});
    edit.PuntenVerwijderen(View::Points, {0});
    edit.undo();
    EXPECT_EQ(ws.pointRows.size(), 3u);
    edit.undo();
    EXPECT_EQ(ws.waypointRows.size(), 2u);  // LV2's step is open while editing
    EXPECT_FALSE(edit.canUndo());
    edit.btCancelClick();
    edit.undo();  // now the cut waypoint comes back
    EXPECT_EQ(doc.childCount(doc.waypoints()), 1u);
}

TEST_F(EditCommandsTest, AListingCutShortByEscapeIsNotEdited) {
    core::NodeId trk = addTrack("long", 450);
    std::string before = dump(trk);
    doc.setFocused(trk);
    host.fakePump.onProcess = [this](int) { ws.operations.requestCancel(); };
    edit.mShowPointsClick();
    host.fakePump.onProcess = nullptr;
    EXPECT_FALSE(edit.listEditing());
    EXPECT_TRUE(ws.pointRows.empty());
    edit.btOKClick("long");  // an OK now writes nothing
    EXPECT_EQ(dump(trk), before);
}
