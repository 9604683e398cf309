#include "app/document_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    // The user's own change: a new waypoint.
    void changeSomething() {
        ws.document.AddWaypoint("3", "4", "", "", "new", core::Symbol::none(), "", "");
        ASSERT_TRUE(ws.document.documentModified);
    }
    core::NodeId child(core::NodeId parent, int index) const {
        core::NodeId c = ws.document.firstChild(parent);
        for (int i = 0; i < index && c != core::kNoNode; ++i) c = ws.document.nextSibling(c);
        return c;
    }
    // Plays the user in the field dialog of a text export: OK or Cancel.
    void answerFieldDialog(bool ok) {
        host.fakePrompts.dialogResults.push_back(ok);
    }
    // Plays the user in the save dialog.
    void answerSaveDialog(const std::string& name, int format) {
        host.fakePrompts.dialogResults = {true};
        host.fakePrompts.fillDialog = [name, format](host::DialogModel& m) {
            if (auto* d = dynamic_cast<formats::SaveDialogModel*>(&m)) {
                d->fileName = name;
                d->chooseFormat(format);
            }
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
    EXPECT_FALSE(ws.document.documentModified);  // reading a file is no change of the user's
    EXPECT_EQ(ws.plot.minLat, 51);
    EXPECT_EQ(ws.points.count(), 0);  // commands that draw or send points load them themselves
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
    ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
    commands.Sluiten1Click();  // only opened: nothing to ask
    EXPECT_TRUE(host.fakePrompts.asked.empty());
    ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
    changeSomething();
    host.fakePrompts.answers = {host::Answer::No};
    commands.Sluiten1Click();
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, "File has been changed, save?");
    EXPECT_EQ(ws.caption(), "Pathkeep");
    EXPECT_EQ(ws.document.childCount(ws.document.trackpoints()), 0u);
    commands.Sluiten1Click();  // nothing changed now: no question
    EXPECT_EQ(host.fakePrompts.asked.size(), 1u);
}

TEST_F(DocumentCommandsTest, ACancelledQuestionOrFileChoiceKeepsTheChangedDocument) {
    std::string other = dir.write("other.gpx", kGpx);
    struct Case {
        const char* name;
        bool open;                        // File > Open, else File > Close
        std::optional<std::string> file;  // the file the user chooses to open
        std::vector<host::Answer> answers;
        std::vector<std::string> asked;   // the kinds of question, in order
        bool kept;                        // the changed document is still there
    };
    const std::vector<Case> cases = {
        {"close, Cancel", false, {}, {host::Answer::Cancel}, {"yesnocancel"}, true},
        {"open, no file chosen", true, std::nullopt, {}, {"open"}, true},
        {"open, file chosen, Cancel", true, other, {host::Answer::Cancel}, {"open", "yesnocancel"}, true},
        {"open, file chosen, No", true, other, {host::Answer::No}, {"open", "yesnocancel"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
        changeSomething();
        host.fakePrompts.asked.clear();
        host.fakePrompts.answers.assign(c.answers.begin(), c.answers.end());
        host.fakePrompts.paths = {c.file};
        if (c.open)
            commands.acOpenenExecute();
        else
            EXPECT_FALSE(commands.Sluiten1Click());
        std::vector<std::string> asked;
        for (const auto& a : host.fakePrompts.asked) asked.push_back(a.kind);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(ws.document.documentModified, c.kept);
        EXPECT_EQ(ws.document.childCount(ws.document.waypoints()), c.kept ? 2u : 1u);
        EXPECT_EQ(ws.currentFileName, c.kept ? dir.file("walk.gpx") : other);
    }
}

TEST_F(DocumentCommandsTest, SavingOverAnExistingFileAsksFirst) {
    ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
    changeSomething();
    for (auto [command, answer] : {std::pair{&DocumentCommands::acOpslaanExecute, host::Answer::No},
                                   std::pair{&DocumentCommands::mSaveTrackClick, host::Answer::No},
                                   std::pair{&DocumentCommands::acOpslaanExecute, host::Answer::Yes}}) {
        ws.document.setFocused(ws.document.waypoints());
        host.fakePrompts.asked.clear();
        host.fakePrompts.answers = {answer};
        answerSaveDialog(dir.file("walk"), 0);  // GPX: the name the file has
        (commands.*command)();
        ASSERT_EQ(host.fakePrompts.asked.size(), 2u);
        EXPECT_EQ(host.fakePrompts.asked[1].kind, "yesno");
        EXPECT_EQ(host.fakePrompts.asked[1].text, OwnText(OwnMessage::ReplaceFile) + "\r" + dir.file("walk.gpx"));
        EXPECT_EQ(readFile(dir.file("walk.gpx")) == kGpx, answer == host::Answer::No);
        EXPECT_EQ(ws.document.documentModified, answer == host::Answer::No);
    }
}

TEST_F(DocumentCommandsTest, SaveAsTakesTheFormatsExtension) {
    commands.BestandOpenen(dir.write("Track.GPX", kGpx));
    answerSaveDialog(dir.file("Track.PLT"), 1);  // KML
    commands.acOpslaanExecute();
    EXPECT_EQ(ws.currentFileName, dir.file("Track.kml"));
    EXPECT_NE(readFile(dir.file("Track.kml")).find("<kml"), std::string::npos);
    EXPECT_FALSE(ws.document.documentModified);
    EXPECT_EQ(ws.caption(), "Pathkeep - Track.kml");

    // A cancelled dialog changes neither the caption nor the file name.
    host.fakePrompts.dialogResults = {false};
    ws.setCaption("something else");
    commands.acOpslaanExecute();
    EXPECT_EQ(ws.caption(), "something else");
    EXPECT_EQ(ws.currentFileName, dir.file("Track.kml"));
}

TEST_F(DocumentCommandsTest, AFailedSaveKeepsTheDocumentChanged) {
    commands.BestandOpenen(dir.write("walk.gpx", kGpx));
    changeSomething();
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

TEST_F(DocumentCommandsTest, ACancelledTextExportSavesNothingAndKeepsTheChanges) {
    ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
    changeSomething();
    std::string caption = ws.caption();
    answerSaveDialog(dir.file("walk"), 4);  // TXT
    host.fakePrompts.answers = {host::Answer::Yes};  // message 40: tracks
    answerFieldDialog(false);
    commands.acOpslaanExecute();
    EXPECT_TRUE(ws.document.documentModified);
    EXPECT_EQ(ws.caption(), caption);
    EXPECT_EQ(ws.currentFileName, dir.file("walk.gpx"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("walk.txt")));

    // Quitting now still asks, so the changes cannot be lost unseen.
    host.fakePrompts.asked.clear();
    host.fakePrompts.answers = {host::Answer::No};
    EXPECT_TRUE(commands.Sluiten1Click());
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, ws.message(38));
}

TEST_F(DocumentCommandsTest, SavePointsAsWithNothingFocusedWritesNothing) {
    ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
    changeSomething();
    std::string caption = ws.caption();
    ws.document.setFocused(core::kNoNode);
    for (int format : {2, 3, 4}) {  // PLT, WPT, TXT
        answerSaveDialog(dir.file("part"), format);
        commands.mSaveTrackClick();
    }
    EXPECT_TRUE(ws.document.documentModified);
    EXPECT_EQ(ws.caption(), caption);
    for (const char* name : {"part.plt", "part.wpt", "part.txt"}) EXPECT_FALSE(std::filesystem::exists(dir.file(name)));

    // A selection that is saved is still not the whole document.
    ws.document.setFocused(child(ws.document.trackpoints(), 0));
    answerSaveDialog(dir.file("part"), 2);
    commands.mSaveTrackClick();
    EXPECT_TRUE(std::filesystem::exists(dir.file("part.plt")));
    EXPECT_TRUE(ws.document.documentModified);
    EXPECT_EQ(ws.caption(), caption);
}

TEST_F(DocumentCommandsTest, CloseKeepsTheDocumentWhenTheWantedSaveDoesNotHappen) {
    ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
    changeSomething();
    host.fakePrompts.answers = {host::Answer::Yes};  // save it
    host.fakePrompts.dialogResults = {false};        // ... but the save dialog is cancelled
    EXPECT_FALSE(commands.Sluiten1Click());
    EXPECT_EQ(ws.document.childCount(ws.document.waypoints()), 2u);
    EXPECT_TRUE(ws.document.documentModified);

    host.fakePrompts.answers = {host::Answer::Yes};
    answerSaveDialog(dir.file("no/such/folder/walk"), 0);  // a save that fails
    EXPECT_FALSE(commands.Sluiten1Click());
    EXPECT_EQ(ws.document.childCount(ws.document.waypoints()), 2u);

    host.fakePrompts.answers = {host::Answer::Yes};
    answerSaveDialog(dir.file("kept"), 0);
    EXPECT_TRUE(commands.Sluiten1Click());
    EXPECT_EQ(ws.document.childCount(ws.document.waypoints()), 0u);
    EXPECT_NE(readFile(dir.file("kept.gpx")).find("<name>new</name>"), std::string::npos);
}

TEST_F(DocumentCommandsTest, AStaleEscapeDoesNotSpoilTheNextDelete) {
    ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
    ws.operations.requestCancel();  // Escape pressed while nothing ran
    ws.document.setFocused(child(ws.document.trackpoints(), 0));
    EXPECT_TRUE(commands.deleteTrack());
    EXPECT_EQ(ws.document.childCount(ws.document.trackpoints()), 0u);
    EXPECT_EQ(host.fakeClipboard.content,
              "<1>,<51>,<5>,<0>,<0>,<30-12-1899>,<00:00:00>,<>,<>,<>,<>\r\n"
              "<2>,<52>,<6>,<0>,<0>,<30-12-1899>,<00:00:00>,<>,<>,<>,<>\r\n");
    EXPECT_TRUE(ws.document.documentModified);
    EXPECT_TRUE(ws.document.cbTracks.items.empty());
}

TEST_F(DocumentCommandsTest, EveryDeleteMarksTheDocumentChanged) {
    core::Document& doc = ws.document;
    doc.AddWaypoint("1", "2", "", "", "w", core::Symbol::none(), "", "");
    doc.NewRoute("r");
    doc.AddRoutepoint("1", "2", "", "", "p", core::Symbol::none(), "", "");
    doc.NewTrack("a (b) c)");
    doc.AddTrackpoint("1", "2", "", "");
    doc.AddTrackpoint("1.5", "2", "", "");
    doc.NewTrack("other");
    ASSERT_EQ(doc.cbTracks.items.size(), 2u);

    auto deleted = [&](core::NodeId focus, bool (DocumentCommands::*command)()) {
        doc.documentModified = false;
        doc.setFocused(focus);
        bool went = (commands.*command)();
        return went && doc.documentModified;
    };
    EXPECT_FALSE(deleted(child(child(doc.trackpoints(), 0), 2), &DocumentCommands::deletePoint));  // a segment is no point
    doc.documentModified = false;
    core::NodeId segment = child(child(doc.trackpoints(), 0), 2);
    EXPECT_TRUE(deleted(child(segment, 0), &DocumentCommands::deletePoint));
    EXPECT_EQ(doc.getText(child(child(doc.trackpoints(), 0), 1)), "number = 1");
    EXPECT_TRUE(deleted(child(child(doc.routes(), 0), 1), &DocumentCommands::deletePoint));
    EXPECT_TRUE(deleted(child(doc.routes(), 0), &DocumentCommands::deleteRoute));
    EXPECT_TRUE(deleted(child(doc.trackpoints(), 0), &DocumentCommands::deleteTrack));
    // A name with ")" in it leaves the track selector too.
    EXPECT_EQ(doc.cbTracks.items, (std::vector<std::string>{"other"}));
    EXPECT_TRUE(deleted(doc.waypoints(), &DocumentCommands::deletePoint));
    EXPECT_EQ(doc.childCount(doc.waypoints()), 0u);

    // Nothing to delete: nothing changes.
    doc.documentModified = false;
    doc.setFocused(doc.metadata());
    EXPECT_FALSE(commands.deletePoint());
    EXPECT_FALSE(commands.deleteRoute());
    EXPECT_FALSE(commands.deleteTrack());
    EXPECT_FALSE(doc.documentModified);
}

TEST_F(DocumentCommandsTest, ATooLongWaypointFileIsReported) {
    for (int i = 0; i < 1001; ++i)
        ws.document.AddWaypoint("1", std::to_string(i), "", "", "w", core::Symbol::none(), "", "");
    answerSaveDialog(dir.file("many"), 3);  // WPT
    commands.acOpslaanExecute();
    ASSERT_FALSE(host.fakePrompts.asked.empty());
    EXPECT_EQ(host.fakePrompts.asked.back().text, ws.message(19));
    EXPECT_FALSE(ws.document.documentModified);
}

TEST_F(DocumentCommandsTest, SavesLeaveThePointListAsTheyFoundIt) {
    ASSERT_TRUE(commands.BestandOpenen(dir.write("walk.gpx", kGpx)));
    ws.document.NewRoute("r");
    ws.document.AddRoutepoint("7", "8", "", "", "p", core::Symbol::none(), "", "");
    // Something else than the tracks in the list, as the simulation puts there.
    ws.points.reset();
    core::PointLoader loader = ws.loader();
    loader.ShowAllRoutes(ws.points);
    ASSERT_EQ(ws.points.count(), 1);
    formats::SaveOptions options;
    options.fields = {"[02] Latitude"};
    for (auto format : {formats::SaveFormat::Gpx, formats::SaveFormat::Kml, formats::SaveFormat::Plt,
                        formats::SaveFormat::Wpt, formats::SaveFormat::Txt}) {
        EXPECT_TRUE(commands.saveDocument(dir.file("out"), format, options).isDone());
        ASSERT_EQ(ws.points.count(), 1);
        EXPECT_EQ(ws.points[1].lat, 7);
    }
}
