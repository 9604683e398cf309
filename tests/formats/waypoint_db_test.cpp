#include "formats/waypoint_db.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "format_fixture.h"

using namespace formats;

class WaypointDbTest : public ::testing::Test, public FormatFixture {
protected:
    core::ListRows rows;
    std::vector<OnConflict> decisions;  // what the caller decides, in turn
    int asked = 0;
    std::string path() { return dir.file("ZeRodedorar.gpx"); }
    DatabaseLoad load() {
        formats::Env e = env();
        return ZeRodedorarInlezen(e, rows, path());
    }
    void store() {
        formats::Env e = env();
        ASSERT_TRUE(ZeRodedorarOpslaan(e, rows, path()).isDone());
    }
    bool add(core::NodeId n) {
        formats::Env e = env();
        AddOptions options;
        options.onConflict = [this] {
            ++asked;
            OnConflict d = decisions.at(0);
            decisions.erase(decisions.begin());
            return d;
        };
        return AddToDatabase(e, rows, n, options);
    }
};

TEST_F(WaypointDbTest, FirstStartCreatesAnEmptyDatabase) {
    EXPECT_TRUE(load().ok);
    EXPECT_TRUE(rows.empty());
    EXPECT_NE(readFile(path()).find("<gpx"), std::string::npos);
    store();
    std::string text = readFile(path());
    EXPECT_NE(text.find("<text>Scribbix</text>"), std::string::npos);
    EXPECT_EQ(text.find("<wpt"), std::string::npos);
}

TEST_F(WaypointDbTest, SameCoordinatesAskTheCaller) {
    doc.AddWaypoint("51.12345678901", "5.5", "3", "39569.5452430556", "w", core::Symbol::name("Flag"), "c", "d");
    core::NodeId w = child(doc.waypoints(), 0);
    EXPECT_TRUE(add(w));
    EXPECT_EQ(asked, 0);
    decisions = {OnConflict::Overwrite};
    EXPECT_TRUE(add(w));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(rows.size(), 1u);
    decisions = {OnConflict::AddNew};
    EXPECT_TRUE(add(w));
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.cell(1, core::kColNr), "2");
    decisions = {OnConflict::Stop};
    EXPECT_FALSE(add(w));
    EXPECT_EQ(rows.size(), 2u);
    // Latitudes that differ only from the 13th character on are one place.
    doc.AddWaypoint("51.12345678909", "5.5", "", "", "other", core::Symbol::none(), "", "");
    decisions = {OnConflict::Overwrite};
    EXPECT_TRUE(add(child(doc.waypoints(), 1)));
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(rows.cell(0, core::kColName), "other");
    EXPECT_EQ(rows.cell(0, core::kColTime), "13:05:09");  // no new time: the old one stays
    EXPECT_TRUE(host.fakePrompts.asked.empty());          // the database itself never asks
}

TEST_F(WaypointDbTest, SavedAndLoadedRowsKeepTheirValues) {
    host.fakeLocale.separator = ',';
    doc.AddWaypoint("51.123456789012", "-5.25", "3.5", "39569.5452430556", "Home & away",
                    core::Symbol::name("Flag"), "c", "");
    add(child(doc.waypoints(), 0));
    rows.setCell(0, core::kColDescription, "a description");
    store();
    rows.clear();
    load();
    ASSERT_EQ(rows.size(), 1u);
    const core::ListRow& r = rows.row(0);
    EXPECT_EQ(r[core::kColLat], "51,123456789");
    EXPECT_EQ(r[core::kColLon], "-5,25");
    EXPECT_EQ(r[core::kColAlt], "3.5");
    EXPECT_EQ(r[core::kColDate], "01-05-2008");
    EXPECT_EQ(r[core::kColTime], "13:05:09");
    EXPECT_EQ(r[core::kColName], "Home & away");
    EXPECT_EQ(r[core::kColSymbol], "Flag");
    EXPECT_EQ(r[core::kColDescription], "a description");
}

TEST_F(WaypointDbTest, UnreadableDatabaseIsKeptAside) {
    dir.write("ZeRodedorar.gpx", "<gpx><wpt lat=\"1\" lon=\"2\"><name>precious</name></wpt>");  // cut short
    dir.write("ZeRodedorar.gpx.bak", "an older backup");
    DatabaseLoad r = load();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.backupPath, path() + ".bak.2");
    EXPECT_NE(readFile(r.backupPath).find("precious"), std::string::npos);
    EXPECT_EQ(readFile(path() + ".bak"), "an older backup");
    store();  // shutdown writes a fresh database beside the kept one
    EXPECT_NE(readFile(r.backupPath).find("precious"), std::string::npos);
}
