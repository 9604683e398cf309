#include "app/lifecycle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../temp_dir.h"
#include "host/fake/fake_host.h"

using namespace app;

namespace {

const char* kGpx =
    "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"x\">\n"
    "<trk><name>walk</name><trkseg><trkpt lat=\"51\" lon=\"5\"/></trkseg></trk></gpx>\n";

}  // namespace

// One program run: start-up and shutdown as the window runs them, with every
// file of the user in a folder of the test's own.
class LifecycleTest : public ::testing::Test {
protected:
    host::FakeHost host;
    TempDir dir;
    std::string home = dir.file("home");

    struct Run {
        Workspace ws;
        DocumentCommands documents{ws};
        WaypointCommands waypoints{ws};
        Run(host::Host& h, const std::string& home)
            : ws(h, BuildPaths({"/nonexistent", "/nohome", "", "", home, PATHKEEP_DATA_DIR, "", ""})) {
            ws.create();
        }
        std::vector<std::string> log() const {
            std::vector<std::string> out;
            for (const auto& l : ws.log.lines()) out.push_back(l.substr(9));
            return out;
        }
    };
    static size_t indexOf(const std::vector<std::string>& lines, const std::string& start) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].rfind(start, 0) == 0) return i;
        return lines.size();
    }
};

TEST_F(LifecycleTest, FirstStartAsksOnceThenOpensTheFileAfterLanguageAndDatabase) {
    std::string file = dir.write("walk.gpx", kGpx);
    host.fakePrompts.answers = {host::Answer::No};  // message 56: do not register
    {
        Run run(host, home);
        std::vector<std::string> applied;
        StartUp(run.ws, run.documents, run.waypoints,
                {file, "/opt/pathkeep/bin/pathkeep", [&](const LanguageTexts& t) { applied.push_back(t.prefix); }});
        ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
        EXPECT_EQ(host.fakePrompts.asked[0].text, run.ws.message(56));
        EXPECT_FALSE(std::filesystem::exists(run.ws.paths.firstRunMarker));
        EXPECT_EQ(applied, (std::vector<std::string>{"gb"}));  // English unless the user chose otherwise
        auto log = run.log();
        size_t settings = indexOf(log, "Read user preferences"), database = indexOf(log, "Read ZeRodedorar"),
               open = indexOf(log, "Open file: ");
        EXPECT_LT(settings, database);
        EXPECT_LT(database, open);
        EXPECT_LT(open, log.size());
        EXPECT_EQ(run.ws.document.childCount(run.ws.document.trackpoints()), 1u) << ::testing::PrintToString(log);
        EXPECT_TRUE(ShutDown(run.ws, run.documents, run.waypoints));
    }
    host.fakePrompts.asked.clear();
    Run again(host, home);
    StartUp(again.ws, again.documents, again.waypoints, {"", "/opt/pathkeep/bin/pathkeep", nullptr});
    EXPECT_TRUE(host.fakePrompts.asked.empty());  // asked once, whatever the answer
}

TEST_F(LifecycleTest, AStoredLanguageIsAppliedAndAnUnknownOneFallsBackToTheFirst) {
    std::filesystem::create_directories(home);
    dir.write("home/UserData.ini", "[Languages]\r\nCurrentLanguage=1\r\n");
    Run run(host, home);
    std::string english38 = run.ws.message(38);
    StartUp(run.ws, run.documents, run.waypoints, {"", "", nullptr});
    EXPECT_NE(run.ws.message(38), english38);  // Dutch now
    EXPECT_EQ(run.ws.settings.currentLanguage, 1);

    dir.write("home/UserData.ini", "[Languages]\r\nCurrentLanguage=42\r\n");
    Run other(host, home);
    StartUp(other.ws, other.documents, other.waypoints, {"", "", nullptr});
    EXPECT_EQ(other.ws.settings.currentLanguage, 1);
}

TEST_F(LifecycleTest, ShutDownSavesSettingsAndDatabaseButNotARefusedDocument) {
    std::string file = dir.write("walk.gpx", kGpx);
    Run run(host, home);
    StartUp(run.ws, run.documents, run.waypoints, {file, "", nullptr});
    host.fakePrompts.asked.clear();
    run.ws.document.AddWaypoint("1", "2", "", "", "new", core::Symbol::none(), "", "");
    run.ws.currentDirectory = dir.path() + "/somewhere/";
    host.fakePrompts.answers = {host::Answer::No};  // message 38: do not save
    EXPECT_TRUE(ShutDown(run.ws, run.documents, run.waypoints));
    EXPECT_EQ(readFile(file), kGpx);
    EXPECT_NE(readFile(run.ws.paths.userSettings).find(dir.path() + "/somewhere/"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(run.ws.paths.waypointDatabase));
}

TEST_F(LifecycleTest, ShutDownStopsWhenTheUserKeepsTheDocument) {
    Run run(host, home);
    StartUp(run.ws, run.documents, run.waypoints, {"", "", nullptr});
    run.ws.document.AddWaypoint("1", "2", "", "", "new", core::Symbol::none(), "", "");
    host.fakePrompts.answers = {host::Answer::Yes};  // save it ...
    host.fakePrompts.dialogResults = {false};        // ... but cancel the save dialog
    EXPECT_FALSE(ShutDown(run.ws, run.documents, run.waypoints));
    EXPECT_EQ(run.ws.document.childCount(run.ws.document.waypoints()), 1u);
    host.fakePrompts.answers = {host::Answer::Cancel};  // Escape on the question
    EXPECT_FALSE(ShutDown(run.ws, run.documents, run.waypoints));
    EXPECT_EQ(run.ws.document.childCount(run.ws.document.waypoints()), 1u);
}

TEST_F(LifecycleTest, ASettingsFileThatCannotBeWrittenStopsNothingElse) {
    for (bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly);
        host.fakePrompts.asked.clear();
        Run run(host, home);
        StartUp(run.ws, run.documents, run.waypoints, {"", "", nullptr});
        std::filesystem::remove_all(run.ws.paths.userSettings);
        const std::string kept = "[General]\r\nLanguage=2\r\n";  // kept by hand
        if (readOnly) {
            // The user made the file read-only: it is not replaced.
            std::ofstream(run.ws.paths.userSettings) << kept;
            std::filesystem::permissions(run.ws.paths.userSettings, std::filesystem::perms::owner_read |
                                                                        std::filesystem::perms::group_read |
                                                                        std::filesystem::perms::others_read);
        } else {
            // A folder where the settings file should be: it cannot be written.
            std::filesystem::create_directories(run.ws.paths.userSettings);
        }
        core::ListRow keptRow;
        keptRow[core::kColName] = "kept";
        keptRow[core::kColLat] = "1";
        keptRow[core::kColLon] = "2";
        run.ws.waypointRows.append(keptRow);
        host.fakePrompts.asked.clear();
        EXPECT_TRUE(ShutDown(run.ws, run.documents, run.waypoints));
        EXPECT_NE(readFile(run.ws.paths.waypointDatabase).find("kept"), std::string::npos);
        ASSERT_EQ(host.fakePrompts.asked.size(), 1u);  // the failure is told, once
        EXPECT_EQ(host.fakePrompts.asked[0].severity, host::Severity::Error);
        if (readOnly) {
            EXPECT_EQ(readFile(run.ws.paths.userSettings), kept);
            std::filesystem::permissions(run.ws.paths.userSettings, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        }
        std::filesystem::remove_all(run.ws.paths.userSettings);
    }
}
