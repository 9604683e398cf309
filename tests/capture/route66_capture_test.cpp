#include "capture/route66_capture.h"

#include <gtest/gtest.h>

#include "../core/tree_fixture.h"
#include "box_screen.h"

using namespace capture;

namespace {

// Boxes show seconds to a tenth: 52° 05' 12.3" = 52.08675 exactly and
// 4° 30' 0.0" = 4.5 (the example result line of the capture's rules).
struct Place {
    const char* name;
    double lat, lon;
    bool dutch;
    const char* expected;  // the result line for key T, worked by hand
};

class Route66Test : public ::testing::Test {
protected:
    host::FakeHost host;
    FakeDesktop desktop;
    std::vector<std::string> reports;
    Route66Capture capture{desktop, host,
                           [](const OcrProfile& p) {
                               return FindTableFile(p.tableFile, {PATHKEEP_DATA_DIR});
                           },
                           [this](const std::string& s) { reports.push_back(s); }};

    void SetUp() override {
        desktop.pointerAt = {300, 200};
        desktop.active = 77;
    }
    void boxAt(double lat, double lon, bool dutch, OcrVersion v = OcrVersion::V2002,
               std::vector<std::string> top = {""}) {
        ShowBox(desktop, v, CoordinateBoxLines(lat, lon, dutch, top));
    }
};

}  // namespace

TEST_F(Route66Test, ShowingSelects2002TakesSpaceAndStartsThePreview) {
    capture.show(77);
    EXPECT_EQ(capture.version(), OcrVersion::V2002);
    EXPECT_EQ(capture.offset().x, -1);
    EXPECT_EQ(capture.offset().y, 20);
    EXPECT_GT(capture.table().entryCount(), 90);
    EXPECT_EQ(desktop.hotKeys.at(kSpaceHotKey), ' ');
    ASSERT_NE(host.fakeTimers.find("Timer1"), nullptr);
    EXPECT_TRUE(host.fakeTimers.find("Timer1")->running());
    EXPECT_EQ(host.fakeTimers.find("Timer1")->intervalMs(), 100);
    EXPECT_TRUE(host.fakePrompts.asked.empty());
    capture.close();
    EXPECT_FALSE(host.fakeTimers.find("Timer1")->running());
    EXPECT_TRUE(desktop.hotKeys.empty());
}

TEST_F(Route66Test, TakenSpaceIsSaidAndTypedKeysStillWork) {
    desktop.takenHotKeys = {' '};
    capture.show(77);
    ASSERT_EQ(host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(host.fakePrompts.asked[0].text, "Unable to assign <Space> as hotkey.");
    boxAt(52.08675, 4.5, true);
    capture.keyPress('t');
    EXPECT_EQ(capture.results().size(), 1u);
}

TEST_F(Route66Test, KeysMakeResultLines) {
    const Place places[] = {
        {"Dutch labels", 52.08675, 4.5, true, "T B: 52.086750000 L: 4.5000000000"},
        {"padding", 52.5, 5.25, true, "T B: 52.500000000 L: 5.2500000000"},
        {"Z south, W west", -33.925, -151.0525, true, "T B: -33.92500000 L: -151.0525000"},
        {"S south, E east", -33.925, 151.0525, false, "T B: -33.92500000 L: 151.05250000"},
        // 40° 42' 46.1" = 40.7128055...: cut after six decimals, not rounded.
        {"N and W in English", 40.7128, -74.006, false, "T B: 40.712805000 L: -74.00600000"},
        // A whole number of degrees still gets its decimal point.
        {"whole degrees", 52, -4, true, "T B: 52.000000000 L: -4.000000000"},
    };
    capture.show(77);
    for (const Place& p : places) {
        boxAt(p.lat, p.lon, p.dutch);
        capture.keyPress('t');
        ASSERT_FALSE(capture.results().empty()) << p.name;
        EXPECT_EQ(capture.results().back(), p.expected) << p.name;
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(Route66Test, WaypointTrackAndOtherKeys) {
    capture.show(77);
    boxAt(52.08675, 4.5, true);
    capture.keyPress('W');
    capture.keyPress('r');
    capture.keyPress('x');  // only refreshes the preview
    capture.keyPress('T');
    ASSERT_EQ(capture.results().size(), 3u);
    EXPECT_EQ(capture.results()[0].substr(0, 4), "W B:");
    EXPECT_EQ(capture.results()[1].substr(0, 4), "R B:");
    EXPECT_EQ(capture.results()[2].substr(0, 4), "T B:");
    EXPECT_EQ(capture.latitudeText, "N 52\u00B0 05' 12.3\"");
    EXPECT_EQ(capture.longitudeText, "O 4\u00B0 30' 0.0\"");

    // The other key grabbed the screen but read nothing.
    boxAt(10, 10, true);
    capture.keyPress('q');
    EXPECT_EQ(capture.preview().width, 156);
    EXPECT_EQ(capture.latitudeText, "N 52\u00B0 05' 12.3\"");
    EXPECT_EQ(capture.results().size(), 3u);
}

TEST_F(Route66Test, SpaceHotKeyIsTheTKey) {
    capture.show(77);
    boxAt(52.08675, 4.5, true);
    ASSERT_TRUE(desktop.pressHotKey(kSpaceHotKey));
    ASSERT_EQ(capture.results().size(), 1u);
    EXPECT_EQ(capture.results()[0], "T B: 52.086750000 L: 4.5000000000");
}

TEST_F(Route66Test, LabelsOnLinesThreeAndFourAndThe2004Box) {
    capture.show(77);
    boxAt(52.08675, 4.5, true, OcrVersion::V2002, {"Gouda", "Zuid-Holland"});
    capture.keyPress('t');
    boxAt(52.08675, 4.5, false, OcrVersion::V2002, {"Gouda", "South Holland"});
    capture.keyPress('t');
    capture.selectVersion(OcrVersion::V2004);
    EXPECT_EQ(capture.offset().y, 17);
    boxAt(-33.925, 151.0525, false, OcrVersion::V2004);
    capture.keyPress('t');
    ASSERT_EQ(capture.results().size(), 3u);
    EXPECT_EQ(capture.results()[0], "T B: 52.086750000 L: 4.5000000000");
    EXPECT_EQ(capture.results()[1], "T B: 52.086750000 L: 4.5000000000");
    EXPECT_EQ(capture.results()[2], "T B: -33.92500000 L: 151.05250000");
}

TEST_F(Route66Test, CommaLocaleStillWritesAPoint) {
    host.fakeLocale.separator = ',';
    capture.show(77);
    boxAt(52.08675, 4.5, true);
    capture.keyPress('t');
    ASSERT_EQ(capture.results().size(), 1u);
    EXPECT_EQ(capture.results()[0], "T B: 52.086750000 L: 4.5000000000");
}

TEST_F(Route66Test, NoLabelNoLineGarbledOrCoveredNumberNoLineButALogLine) {
    capture.show(77);
    ShowBox(desktop, OcrVersion::V2002, {"", "Hoogte: 12 m", "Afstand: 3 km"});
    capture.keyPress('t');
    EXPECT_TRUE(capture.results().empty());
    EXPECT_TRUE(reports.empty());

    struct Box {
        std::vector<std::string> lines;
        int covered = -1;  // a character of the latitude line painted over
    };
    const std::vector<Box> garbled = {
        {{"", "Breedtegraad: N 52\u00B0 O5' 12.3\"", "Lengtegraad: O 4\u00B0 30' 00.0\""}},   // letter O for zero
        {{"", "Breedtegraad: N 52\u00B0 05' 12.3\"", "Lengtegraad: O 4\u00B0 30 00.0\""}},    // a sign missing
        {{"", "Breedtegraad: N 52\u00B0 05' 1.2.3\"", "Lengtegraad: O 4\u00B0 30' 00.0\""}},  // two points
        {{"", "Breedtegraad: N 52\u00B0 75' 12.3\"", "Lengtegraad: O 4\u00B0 30' 00.0\""}},   // 75 minutes
        {{"", "Breedtegraad: X 52\u00B0 05' 12.3\"", "Lengtegraad: O 4\u00B0 30' 00.0\""}},   // no hemisphere
        {{"", "Breedtegraad: N 152\u00B0 05' 12.3\"", "Lengtegraad: O 4\u00B0 30' 00.0\""}},  // past the pole
        // The 5 painted over: the box once read as N 3° 24' 30.0" = 3.408333.
        {{"", "Breedtegraad: N 53\u00B0 24' 30.0\"", "Lengtegraad: O 4\u00B0 30' 00.0\""}, 16},
    };
    for (const auto& [lines, covered] : garbled) {
        reports.clear();
        ShowBox(desktop, OcrVersion::V2002, lines);
        if (covered >= 0) CoverCharacter(desktop, OcrVersion::V2002, lines, 1, static_cast<size_t>(covered));
        capture.keyPress('t');
        EXPECT_TRUE(capture.results().empty()) << lines[1];
        ASSERT_EQ(reports.size(), 1u) << lines[1];
        EXPECT_NE(reports[0].find("no point kept"), std::string::npos);
        EXPECT_FALSE(capture.latitudeText.empty());  // the fields still show what was read
    }
}

TEST_F(Route66Test, PreviewFollowsThePointerAndKeepsTheWindowInFront) {
    capture.show(77);
    host::FakeTimer* timer = host.fakeTimers.find("Timer1");
    desktop.screen.set(300 - 1, 200 + 20, 0x123456);  // the capture's top-left pixel
    timer->tick();
    EXPECT_EQ(capture.preview().at(0, 0), 0x123456u);
    EXPECT_EQ(capture.ticks(), 1);
    desktop.active = 5;  // the planner took the focus
    for (int i = 0; i < 8; ++i) timer->tick();
    EXPECT_TRUE(desktop.activations.empty());
    timer->tick();
    ASSERT_EQ(desktop.activations, std::vector<WindowId>{77});
    for (int i = 0; i < 10; ++i) timer->tick();  // in front already
    EXPECT_EQ(desktop.activations.size(), 1u);

    // The offset bars: dx = bar - 1, dy = bar + 20 (2002) or + 17 (2004).
    capture.setOffsetBars(5, -3);
    EXPECT_EQ(capture.offset().x, 4);
    EXPECT_EQ(capture.offset().y, 17);
    capture.setOffsetBars(99, -99);
    EXPECT_EQ(capture.horizontalBar(), 50);
    EXPECT_EQ(capture.offset().y, -30);
    capture.selectVersion(OcrVersion::V2004);
    capture.setOffsetBars(0, 0);
    EXPECT_EQ(capture.offset().y, 17);
}

TEST_F(Route66Test, RecognitionPausesThePreviewAndDebugKeepsResultsApart) {
    capture.show(77);
    capture.debug = true;
    boxAt(52.08675, 4.5, true);
    capture.keyPress('t');
    capture.keyPress('w');
    EXPECT_TRUE(host.fakeTimers.find("Timer1")->running());
    ASSERT_EQ(capture.dump().size(), 52u);
    EXPECT_EQ(capture.dump()[0].size(), 156u);
    EXPECT_EQ(capture.results().size(), 2u);  // the second dump did not wipe the first result
    auto memo = capture.memoLines();
    ASSERT_EQ(memo.size(), 54u);
    EXPECT_EQ(memo[52].substr(0, 2), "T ");
}

TEST_F(Route66Test, ShowingAgainStartsAnEmptyList) {
    capture.show(77);
    boxAt(52.08675, 4.5, true);
    capture.keyPress('t');
    capture.close();
    ASSERT_EQ(capture.results().size(), 1u);
    capture.show(77);
    EXPECT_TRUE(capture.results().empty());
}

TEST(Route66Points, LinesBecomeWaypointsAndTrackPoints) {
    TreeFixture f;
    f.doc.initTree();
    int added = AddRoute66Points(f.doc, {"T B: 52.086750000 L: 4.5000000000", "W B: -33.92500000 L: 151.0525000",
                                         "R B: 1.0000000000 L: 2.0000000000", "0000....0000", ""});
    EXPECT_EQ(added, 3);
    std::string wpts = f.dump(f.doc.waypoints()), trks = f.dump(f.doc.trackpoints());
    EXPECT_NE(wpts.find("wpt (R66)"), std::string::npos) << wpts;
    EXPECT_NE(wpts.find("lat = -33.92500000"), std::string::npos) << wpts;
    EXPECT_NE(trks.find("trk (ACTIVE LOG)"), std::string::npos) << trks;
    EXPECT_NE(trks.find("lat = 52.086750000"), std::string::npos) << trks;
    EXPECT_NE(trks.find("lon = 2.0000000000"), std::string::npos) << trks;
    EXPECT_EQ(trks.find("0000...."), std::string::npos) << trks;
    // No line at all still makes the track.
    TreeFixture g;
    g.doc.initTree();
    EXPECT_EQ(AddRoute66Points(g.doc, {}), 0);
    EXPECT_NE(g.dump(g.doc.trackpoints()).find("ACTIVE LOG"), std::string::npos);
}

TEST(Route66Rules, PaddingAndSplitting) {
    EXPECT_EQ(Pad12("52.5"), "52.500000000");
    EXPECT_EQ(Pad12("4,5"), "4.5000000000");
    EXPECT_EQ(Pad12("-151.052512"), "-151.0525120");
    EXPECT_EQ(Pad12("7"), "7.0000000000");
    EXPECT_EQ(ResultLine('w', "a", "b"), "W B: a L: b");
    DmsText d;
    ASSERT_TRUE(SplitDms("z 33\u00B0 55' 30,5\"", d));
    EXPECT_EQ(d.hemisphere, "Z");
    EXPECT_EQ(d.degrees, "33");
    EXPECT_EQ(d.minutes, "55");
    EXPECT_EQ(d.seconds, "30,5");
    EXPECT_TRUE(SplitDms("N:52\u00B0 05' 12\"", d));  // another separator character
    EXPECT_FALSE(SplitDms("N 52 05' 12\"", d));
    EXPECT_FALSE(SplitDms("N", d));
    EXPECT_FALSE(SplitDms("N 5x\u00B0 05' 12\"", d));
}
