#include "app/document_commands.h"

#include <gtest/gtest.h>

#include "../temp_dir.h"
#include "formats/save_dialog_model.h"
#include "host/fake/fake_host.h"

using namespace app;

namespace {

const char* kGpx =
    "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"x\">\n<wpt lat=\"1\" lon=\"2\"><name>w</name></wpt>"
    "<trk><name>ACTIVE LOG</name><trkseg><trkpt lat=\"51\" lon=\"5\"/><trkpt lat=\"52\" lon=\"6\"/></trkseg></trk>"
    "</gpx>\n";

}  // namespace

class DocumentCommandsTest : public ::testing::Test {
protected:
    host::FakeHost host;
    TempDir dir;
    Workspace ws{host, BuildPaths({"/nonexistent", dir.path(), "", "", dir.path(), PATHKEEP_DATA_DIR, "", ""})};
    DocumentCommands commands{ws};

    void SetUp() override { ws.create(); }
    std::vector<std::string> logTexts() {
        std::vector<std::string> out;
        for (const auto& l : ws.log.lines()) out.push_back(l.substr(9));
        return out;
    }
    // Plays the user in the save dialog.
    void answerSaveDialog(const std::string& name, int format) {
        host.fakePrompts.dialogResults = {true};
        host.fakePrompts.fillDialog = [name, format](host::DialogModel& m) {
            auto& d = dynamic_cast<formats::SaveDialogModel&>(m);
            d.fileName = name;
            d.chooseFormat(format);
        };
    }
};

TEST_F(DocumentCommandsTest, OpenReportsTheSummary) {
    std::string path = dir.write("walk.gpx", kGpx);
    ASSERT_TRUE(commands.BestandOpenen(path));
    auto log = logTexts();
    std::vector<std::string> tail(log.end() - 4, log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Waypoints: 1", "Routes   : 0", "Tracks   : 1",
                                              "Track 1 : name = ACTIVE LOG, 2 points"}));
    EXPECT_EQ(log[0], "Open file: " + path);
    EXPECT_EQ(ws.caption(), "Pathkeep - walk.gpx");
    EXPECT_EQ(ws.currentDirectory, dir.path() + "/");
    EXPECT_TRUE(ws.document.documentModified);  // points were added after the flag was cleared
    EXPECT_EQ(ws.plot.minLat, 51);
}

TEST_F(DocumentCommandsTest, UnknownAndUnreadableFiles) {
    EXPECT_FALSE(commands.BestandOpenen(dir.write("x.dat", "hello\n")));
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, "File format not recognized!");
    EXPECT_EQ(logTexts().back(), "Tracks   : 0");

    host.fakePrompts.asked.clear();
    EXPECT_FALSE(commands.BestandOpenen(dir.write("bad.gpx", "<?xml version=\"1.0\"?>\n<gpx>\n<wpt lat=\"1\" lon=\"2\">\n")));
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].severity, host::Severity::Error);
    EXPECT_NE(host.fakePrompts.asked[0].text.find("could not be read"), std::string::npos);
    bool located = false;
    for (const auto& l : logTexts()) located |= l.find("line 3, column") != std::string::npos;
    EXPECT_TRUE(located);
    EXPECT_EQ(logTexts().back(), "Tracks   : 0");  // the summary still follows

    host.fakePrompts.asked.clear();
    EXPECT_FALSE(commands.BestandOpenen(dir.file("missing.gpx")));
    EXPECT_EQ(host.fakePrompts.asked.size(), 1u);
}

TEST_F(DocumentCommandsTest, CloseAsksToSaveAChangedDocument) {
    commands.BestandOpenen(dir.write("walk.gpx", kGpx));
    host.fakePrompts.answers = {host::Answer::No};
    commands.Sluiten1Click();
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, "File has been changed, save?");
    EXPECT_EQ(ws.caption(), "Pathkeep");
    EXPECT_EQ(ws.document.childCount(ws.document.trackpoints()), 0u);
    commands.Sluiten1Click();  // nothing changed now: no question
    EXPECT_EQ(host.fakePrompts.asked.size(), 1u);
}

TEST_F(DocumentCommandsTest, SaveAsTakesTheFormatsExtension) {
    commands.BestandOpenen(dir.write("Track.GPX", kGpx));
    answerSaveDialog(dir.file("Track.PLT"), 1);  // KML
    commands.acOpslaanExecute();
    EXPECT_EQ(ws.currentFileName, dir.file("Track.kml"));
    EXPECT_NE(readFile(dir.file("Track.kml")).find("<kml"), std::string::npos);
    EXPECT_FALSE(ws.document.documentModified);
    EXPECT_EQ(ws.caption(), "Pathkeep - Track.kml");

    // A cancelled dialog still sets the caption from the current file.
    host.fakePrompts.dialogResults = {false};
    ws.setCaption("something else");
    commands.acOpslaanExecute();
    EXPECT_EQ(ws.caption(), "Pathkeep - Track.kml");
}

TEST_F(DocumentCommandsTest, AFailedSaveKeepsTheDocumentChanged) {
    commands.BestandOpenen(dir.write("walk.gpx", kGpx));
    answerSaveDialog(dir.file("no/such/folder/walk"), 0);
    commands.acOpslaanExecute();
    EXPECT_TRUE(ws.document.documentModified);
    EXPECT_EQ(host.fakePrompts.asked.back().severity, host::Severity::Error);
}

TEST_F(DocumentCommandsTest, GoogleEarthViewWritesKmlWithTheBoundsAndOpensIt) {
    ws.document.NewTrack("t2");
    ws.document.AddTrackpoint("51", "5", "", "");
    ws.document.AddTrackpoint("52", "6", "", "");
    commands.btGoogleClick();
    const std::string& kml = ws.paths.googleEarthFile;
    EXPECT_EQ(host.fakeShell.opened, (std::vector<std::string>{kml}));
    std::string text = readFile(kml);
    EXPECT_NE(text.find("<name>t2</name>"), std::string::npos);
    EXPECT_NE(text.find("<longitude>5.5</longitude>"), std::string::npos);  // the command worked out the bounds
    EXPECT_EQ(ws.points.count(), 2);  // and the point list holds every track point
    EXPECT_TRUE(host.fakePrompts.asked.empty());

    host.fakeShell.succeed = false;
    commands.btGoogleClick();  // the same file again, with no program for it
    EXPECT_EQ(host.fakeShell.opened.size(), 2u);
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, OwnText(OwnMessage::KmlViewerFailed));
}

TEST_F(DocumentCommandsTest, CancelledImportWizardAddsNothing) {
    std::string path = dir.write("in.csv", "lat,lon\n1,2\n");
    host.fakePrompts.dialogResults = {false};
    EXPECT_FALSE(commands.BestandOpenen(path));
    EXPECT_EQ(ws.document.childCount(ws.document.trackpoints()), 0u);
    EXPECT_FALSE(ws.document.documentModified);
}
