#include "app/waypoint_commands.h"

#include <gtest/gtest.h>

#include "app/edit_commands.h"
#include <filesystem>

#include "../temp_dir.h"
#include "host/fake/fake_host.h"

using namespace app;

class WaypointCommandsTest : public ::testing::Test {
protected:
    host::FakeHost host;
    TempDir dir;
    Workspace ws{host, BuildPaths({"/nonexistent", dir.path(), "", "", dir.path(), PATHKEEP_DATA_DIR, "", ""})};
    WaypointCommands commands{ws};

    void SetUp() override { ws.create(); }
    core::NodeId child(core::NodeId parent, int index) const {
        core::NodeId c = ws.document.firstChild(parent);
        for (int i = 0; i < index && c != core::kNoNode; ++i) c = ws.document.nextSibling(c);
        return c;
    }
};

TEST_F(WaypointCommandsTest, AddToWaypointsAsksMessage48OnlyForKnownPlaces) {
    core::Document& doc = ws.document;
    for (const char* lat : {"1", "2", "3"}) doc.AddWaypoint(lat, "1", "", "", lat, core::Symbol::none(), "", "");
    doc.setFocused(child(doc.waypoints(), 1));
    commands.mAddToWaypointsClick();
    EXPECT_TRUE(host.fakePrompts.asked.empty());
    EXPECT_EQ(ws.waypointRows.size(), 1u);

    doc.setFocused(doc.waypoints());
    host.fakePrompts.answers = {host::Answer::No};  // the known place becomes a second row
    commands.mAddToWaypointsClick();
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, ws.message(48));
    EXPECT_EQ(ws.waypointRows.size(), 4u);

    // Cancel stops the whole command: no later waypoint is added.
    host.fakePrompts.answers = {host::Answer::Cancel};
    commands.mAddToWaypointsClick();
    EXPECT_EQ(ws.waypointRows.size(), 4u);

    doc.NewTrack("t");
    doc.setFocused(child(doc.trackpoints(), 0));  // a track adds nothing
    commands.mAddToWaypointsClick();
    EXPECT_EQ(ws.waypointRows.size(), 4u);
}

TEST_F(WaypointCommandsTest, CopyToTreeMakesWaypointsOfTheSelectedRows) {
    core::ListRow row{};
    row[core::kColLat] = "51,5";
    row[core::kColLon] = "-5,25";
    row[core::kColName] = "Home & away";
    row[core::kColSymbol] = "Flag";
    ws.waypointRows.assign({row, row});
    ws.waypointRows.setCell(1, core::kColName, "second");
    commands.KopieerNaarBoomClick({1, 7});  // a row past the end is passed over
    ASSERT_EQ(ws.document.childCount(ws.document.waypoints()), 1u);
    core::NodeId w = child(ws.document.waypoints(), 0);
    EXPECT_EQ(ws.document.getText(w), "wpt (second)");
    EXPECT_EQ(ws.document.getText(child(w, 0)), "lat = 51.5");
    EXPECT_EQ(ws.document.getText(child(w, 1)), "lon = -5.25");
    EXPECT_TRUE(ws.document.documentModified);
}

TEST_F(WaypointCommandsTest, DatabaseSurvivesARoundTripThroughItsFile) {
    commands.load();
    ws.document.AddWaypoint("52.25", "4.5", "", "", "kept", core::Symbol::none(), "", "");
    ws.document.setFocused(child(ws.document.waypoints(), 0));
    commands.mAddToWaypointsClick();
    ASSERT_TRUE(commands.save().isDone());
    commands.load();  // the rows as the file has them
    ASSERT_EQ(ws.waypointRows.size(), 1u);
    EXPECT_EQ(ws.waypointRows.cell(0, core::kColName), "kept");
}

TEST_F(WaypointCommandsTest, EveryChangeIsSavedAtOnceOnceTheDatabaseWasRead) {
    ws.document.AddWaypoint("52.25", "4.5", "", "", "before", core::Symbol::none(), "", "");
    ws.document.setFocused(child(ws.document.waypoints(), 0));
    commands.mAddToWaypointsClick();  // not read yet: nothing may be written over the file
    EXPECT_FALSE(std::filesystem::exists(ws.paths.waypointDatabase));

    ws.waypointRows.clear();
    commands.load();
    ws.document.AddWaypoint("51.5", "5.5", "", "", "kept at once", core::Symbol::none(), "", "");
    ws.document.setFocused(child(ws.document.waypoints(), 1));
    commands.mAddToWaypointsClick();
    EXPECT_NE(readFile(ws.paths.waypointDatabase).find("kept at once"), std::string::npos);
}

TEST_F(WaypointCommandsTest, EveryChangeOfTheListIsOneStepThatUndoesItselfOnly) {
    EditCommands edit{ws};
    commands.load();
    core::Document& doc = ws.document;
    for (const char* name : {"A", "B", "C"}) doc.AddWaypoint(name[0] == 'A' ? "1" : name[0] == 'B' ? "2" : "3", "1", "",
                                                            "", name, core::Symbol::none(), "", "");
    auto namesInList = [&] {
        std::string out;
        for (const auto& r : ws.waypointRows.snapshot()) out += r[core::kColName];
        return out;
    };
    auto namesInDatabase = [&] {
        std::string text = readFile(ws.paths.waypointDatabase), out;
        for (size_t at = text.find("<name>"); at != std::string::npos; at = text.find("<name>", at + 1))
            out += text.substr(at + 6, text.find('<', at + 6) - at - 6);
        return out;
    };
    doc.setFocused(child(doc.waypoints(), 0));
    commands.mAddToWaypointsClick();                // step 1: A
    doc.setFocused(doc.waypoints());
    host.fakePrompts.answers = {host::Answer::No};  // A's place is known: add it again
    commands.mAddToWaypointsClick();                // step 2: A, B, C in one
    edit.PuntenVerwijderen(EditCommands::View::Waypoints, {0});  // step 3
    commands.KopieerNaarBoomClick({2});             // step 4: C into the tree
    ASSERT_EQ(namesInList(), "ABC");
    ASSERT_EQ(doc.childCount(doc.waypoints()), 4u);

    struct Step {
        bool undo;
        std::string list;
        std::uint32_t treeWaypoints;
    };
    for (const Step& s : {Step{true, "ABC", 3}, Step{true, "AABC", 3}, Step{true, "A", 3}, Step{false, "AABC", 3},
                          Step{false, "ABC", 3}, Step{false, "ABC", 4}, Step{true, "ABC", 3}}) {
        SCOPED_TRACE(s.list);
        s.undo ? edit.undo() : edit.redo();
        EXPECT_EQ(namesInList(), s.list);
        EXPECT_EQ(namesInDatabase(), s.list);  // written after an undo as after any change
        EXPECT_EQ(doc.childCount(doc.waypoints()), s.treeWaypoints);
    }

    // Rows changed outside the history: the step that no longer fits is refused.
    host.fakePrompts.asked.clear();
    ws.waypointRows.truncate(ws.waypointRows.size() - 1);
    ws.waypointRows.changed();
    edit.undo();
    EXPECT_EQ(namesInList(), "AB");
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, OwnText(OwnMessage::UndoStale));
}
