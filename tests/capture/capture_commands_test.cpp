#include "app/capture_commands.h"

#include <gtest/gtest.h>

#include "../temp_dir.h"
#include "box_screen.h"
#include "host/fake/fake_host.h"

using namespace app;

namespace {

class CaptureCommandsTest : public ::testing::Test {
protected:
    host::FakeHost host;
    TempDir dir;
    Workspace ws{host, BuildPaths({"/nonexistent", dir.path(), "", "", dir.path(), PATHKEEP_DATA_DIR, "", ""})};
    capture::FakeDesktop desktop;
    CaptureCommands commands{ws, desktop, dir.path()};
    std::vector<bool> mainVisible;

    void SetUp() override {
        ws.create();
        desktop.pointerAt = {500, 300};
    }
    bool start() {
        return commands.Button11Click([this](bool visible) { mainVisible.push_back(visible); });
    }
    std::string tree(core::NodeId node, int depth = 0) {
        std::string out;
        for (core::NodeId c = ws.document.firstChild(node); c != core::kNoNode; c = ws.document.nextSibling(c)) {
            out += std::string(static_cast<size_t>(depth) * 2, ' ') + ws.document.getText(c) + "\n";
            out += tree(c, depth + 1);
        }
        return out;
    }
    bool logged(const std::string& text) {
        for (const auto& l : ws.log.lines())
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
};

}  // namespace

TEST_F(CaptureCommandsTest, CapturedPlacesBecomePointsWhenTheWindowCloses) {
    host.fakePrompts.fillDialog = [this](host::DialogModel& model) {
        auto& c = dynamic_cast<capture::Route66Capture&>(model);
        EXPECT_EQ(mainVisible, std::vector<bool>{false});  // the main window is out of the way
        c.show(1);
        EXPECT_EQ(c.hintText, "To copy GPS co-ordinates use: T = Trackpoint, W = Waypoint");
        ShowBox(desktop, capture::OcrVersion::V2002, capture::CoordinateBoxLines(52.08675, 4.5, true));
        c.keyPress('t');
        ShowBox(desktop, capture::OcrVersion::V2002, capture::CoordinateBoxLines(52.5, 5.25, true));
        c.keyPress('t');
        c.keyPress('w');
        c.close();
    };
    ws.document.plotMode = 2;
    ASSERT_TRUE(start());
    EXPECT_EQ(mainVisible, (std::vector<bool>{false, true}));
    EXPECT_TRUE(logged("Start route 66 capture"));
    std::string trks = tree(ws.document.trackpoints()), wpts = tree(ws.document.waypoints());
    EXPECT_NE(trks.find("trk (ACTIVE LOG)"), std::string::npos) << trks;
    EXPECT_NE(trks.find("lat = 52.086750000"), std::string::npos) << trks;
    EXPECT_NE(trks.find("lon = 5.2500000000"), std::string::npos) << trks;
    EXPECT_NE(wpts.find("wpt (R66)"), std::string::npos) << wpts;
    EXPECT_EQ(ws.document.plotMode, 0);
    EXPECT_TRUE(ws.document.documentModified);
    // The bounds take in both track points.
    EXPECT_NEAR(static_cast<double>(ws.plot.minLat), 52.08675, 1e-9);
    EXPECT_NEAR(static_cast<double>(ws.plot.maxLat), 52.5, 1e-9);
}

TEST_F(CaptureCommandsTest, ASecondCaptureDoesNotAddTheFirstOnesPointsAgain) {
    host.fakePrompts.fillDialog = [this](host::DialogModel& model) {
        auto& c = dynamic_cast<capture::Route66Capture&>(model);
        c.show(1);
        ShowBox(desktop, capture::OcrVersion::V2002, capture::CoordinateBoxLines(52.08675, 4.5, true));
        c.keyPress('w');
        c.close();
    };
    ASSERT_TRUE(start());
    host.fakePrompts.fillDialog = [](host::DialogModel& model) {
        auto& c = dynamic_cast<capture::Route66Capture&>(model);
        c.show(1);
        c.close();
    };
    ASSERT_TRUE(start());
    std::string wpts = tree(ws.document.waypoints());
    EXPECT_EQ(wpts.find("wpt (R66)"), wpts.rfind("wpt (R66)")) << wpts;
}

TEST_F(CaptureCommandsTest, NoDesktopNoWindowButAClearMessage) {
    desktop.isAvailable = false;
    bool shown = false;
    host.fakePrompts.fillDialog = [&](host::DialogModel&) { shown = true; };
    EXPECT_FALSE(start());
    EXPECT_FALSE(shown);
    EXPECT_TRUE(mainVisible.empty());
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].severity, host::Severity::Error);
    EXPECT_NE(host.fakePrompts.asked[0].text.find("no display"), std::string::npos);
    EXPECT_EQ(tree(ws.document.trackpoints()), "");
}

TEST_F(CaptureCommandsTest, TablesFromTheDataDirectoryThenTheStartDirectory) {
    EXPECT_EQ(commands.tableFileFor(capture::ProfileOf(capture::OcrVersion::V2004)),
              std::string(PATHKEEP_DATA_DIR) + "/ocr2004.ini");
    Workspace bare{host, BuildPaths({"/nonexistent", dir.path(), "", "", dir.path(), "", "", ""})};
    CaptureCommands startOnly{bare, desktop, dir.path()};
    EXPECT_EQ(startOnly.tableFileFor(capture::ProfileOf(capture::OcrVersion::V2004)), "");
    dir.write("ocr2004.ini", "[ascii-48]\nlength=1\nkar=0\ns1=#\n");
    EXPECT_EQ(startOnly.tableFileFor(capture::ProfileOf(capture::OcrVersion::V2004)), dir.file("ocr2004.ini"));
}
