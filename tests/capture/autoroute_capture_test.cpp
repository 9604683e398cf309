#include "capture/autoroute_capture.h"

#include <gtest/gtest.h>

#include "../core/tree_fixture.h"
#include "capture/fake/fake_desktop.h"

using capture::AutoRouteCapture;
using capture::FakeDesktop;
using capture::Key;
using Kind = capture::Key::Kind;

namespace {

const std::string kDeg = "\xC2\xB0";

constexpr capture::WindowId kAutoRoute = 10, kSensor = 20, kFind = 30, kNamePrompt = 40;
constexpr std::uint64_t kLatLabel = 21, kLatValue = 22, kLonLabel = 23, kLonValue = 24;

// Remembers what the name box was asked with.
struct NamePrompts : host::FakePrompts {
    struct Input {
        std::string title, prompt, initial;
    };
    std::vector<Input> inputs;
    std::function<void()> whileOpen;
    std::optional<std::string> inputText(const std::string& title, const std::string& prompt,
                                         const std::string& initial) override {
        inputs.push_back({title, prompt, initial});
        if (whileOpen) whileOpen();
        return FakePrompts::inputText(title, prompt, initial);
    }
};

// A desktop whose waits can play the user meanwhile.
struct ScriptedDesktop : FakeDesktop {
    std::function<void(int)> duringWait;
    void wait(int ms) override {
        FakeDesktop::wait(ms);
        if (duringWait) {
            auto f = std::move(duringWait);
            f(ms);
        }
    }
};

class AutoRouteTest : public ::testing::Test {
protected:
    host::FakeHost host;
    NamePrompts prompts;
    ScriptedDesktop desktop;
    std::vector<std::pair<std::string, std::string>> sent;  // lon, lat
    int stops = 0, foregrounds = 0;
    std::string latValue = "52.08675" + kDeg + " North", lonValue = "4.5" + kDeg + " East";
    std::unique_ptr<AutoRouteCapture> cap;

    void SetUp() override {
        capture::AutoRouteEnv env{
            desktop,
            host.fakeTimers,
            prompts,
            host.fakePump,
            host.fakeLocale,
            [](int n) { return n == 21 ? std::string("Distance:") : "message " + std::to_string(n); },
            "Name",
            [this](const std::string& lon, const std::string& lat) { sent.emplace_back(lon, lat); },
            [this] { ++stops; },
            [this] { ++foregrounds; }};
        cap = std::make_unique<AutoRouteCapture>(env);
        withAutoRoute(true);
    }

    // AutoRoute, and its sensor window at (100,100)-(300,160): labels at
    // x 140, values at x 200; latitude rows 110-119, longitude rows 130-139.
    void withAutoRoute(bool sensor) {
        desktop.windows = {{kAutoRoute, "Microsoft AutoRoute - Europe", {0, 0, 800, 600}, true}};
        if (sensor) desktop.windows.insert(desktop.windows.begin(), {kSensor, "Location sensor", {100, 100, 300, 160}, true});
        desktop.objectAtPoint = [this](capture::ScreenPoint p) -> capture::PointedObject {
            bool label = p.x == 140;
            if (p.y >= 110 && p.y < 120) return label ? capture::PointedObject{kLatLabel, "Latitude:"} : capture::PointedObject{kLatValue, latValue};
            if (p.y >= 130 && p.y < 140) return label ? capture::PointedObject{kLonLabel, "Longitude:"} : capture::PointedObject{kLonValue, lonValue};
            return {kSensor, "Location sensor"};
        };
    }

    host::FakeTimer& timer(const char* name) { return *host.fakeTimers.find(name); }

    void capture(char key, std::string lat, std::string lon) {
        latValue = std::move(lat);
        lonValue = std::move(lon);
        cap->FindLocator();
        cap->FormKeyPress(key);
    }

    std::vector<FakeDesktop::SentKey> keysTyped(const std::string& text) {
        std::vector<FakeDesktop::SentKey> out;
        for (char c : text) {
            Key k = c == '\t' ? Key::named(Kind::Tab) : c == '\r' ? Key::named(Kind::Return) : Key::of(c);
            out.push_back({k, true});
        }
        return out;
    }
};

TEST_F(AutoRouteTest, SensorTextsAndResultLines) {
    cap->FormShow();
    EXPECT_EQ(cap->latitudeLabel, "latitude: 52.08675" + kDeg + " north");
    EXPECT_EQ(cap->longitudeLabel, "longitude: 4.5" + kDeg + " east");
    EXPECT_EQ(cap->autoRouteWindow(), kAutoRoute);
    EXPECT_TRUE(timer("Timer1").running());

    cap->FormKeyPress('t');
    capture('R', "52,08675" + kDeg + " South", "4,5" + kDeg + " West");
    // No degree sign: an unread value becomes zeros.
    capture('t', "52.1 north", "4.5" + kDeg + " east");
    // A key other than T, R, W keeps nothing.
    capture('x', "53" + kDeg + " north", "5" + kDeg + " east");
    EXPECT_EQ(cap->lines, (std::vector<std::string>{"T B: 52.086750000 L: 4.5000000000 D: TP",
                                                    "R B: -52.08675000 L: -4.500000000 D: TP",
                                                    "T B: 000000000000 L: 4.5000000000 D: TP"}));
    EXPECT_EQ(cap->lastLatitude, "000000000000");

    // A whole degree keeps its decimal point.
    capture('w', "52" + kDeg + " north", "5" + kDeg + " west");
    EXPECT_EQ(cap->lines.back(), "W B: 52.000000000 L: -5.000000000 D: WP1");

    // Empty sensor labels: a key does nothing at all.
    cap->latitudeLabel.clear();
    cap->FormKeyPress('t');
    EXPECT_EQ(cap->lines.size(), 4u);
}

TEST_F(AutoRouteTest, WaypointNamesCountFromOneEachShowing) {
    prompts.paths = {std::nullopt, std::string("Home"), std::nullopt};
    cap->FormShow();
    prompts.whileOpen = [this] {
        // The hot keys are free while the user types the name.
        EXPECT_TRUE(desktop.hotKeys.empty());
    };
    cap->FormKeyPress('w');
    cap->FormKeyPress('W');
    ASSERT_EQ(prompts.inputs.size(), 2u);
    EXPECT_EQ(prompts.inputs[0].title, "Waypoint identification");
    EXPECT_EQ(prompts.inputs[0].prompt, "Name");
    EXPECT_EQ(prompts.inputs[0].initial, "WP1");
    EXPECT_EQ(prompts.inputs[1].initial, "WP2");
    EXPECT_EQ(cap->lines[0], "W B: 52.086750000 L: 4.5000000000 D: WP1");  // cancelled: the proposal stays
    EXPECT_EQ(cap->lines[1], "W B: 52.086750000 L: 4.5000000000 D: Home");
    EXPECT_EQ(desktop.hotKeys.size(), 2u);  // registered again

    cap->FormClose();
    EXPECT_TRUE(desktop.hotKeys.empty());
    cap->FormShow();
    EXPECT_TRUE(cap->lines.empty());
    cap->FormKeyPress('w');
    EXPECT_EQ(prompts.inputs.back().initial, "WP1");
}

TEST_F(AutoRouteTest, DistanceCountsTrackPointChainsOnly) {
    cap->FormShow();
    // Expected distances from an independent haversine on R = 6378.137 km:
    // (52,4)-(52,5) = 68.5346 km, (52,5)-(52,6) = 68.5346 km.
    capture('t', "52" + kDeg + " north", "4" + kDeg + " east");
    capture('w', "53" + kDeg + " north", "9" + kDeg + " east");
    capture('r', "50" + kDeg + " north", "9" + kDeg + " east");
    capture('t', "52" + kDeg + " north", "5" + kDeg + " east");
    EXPECT_EQ(cap->distanceText, "Distance: 68.53 km");

    // An unread point breaks the chain on both sides.
    capture('t', "0" + kDeg + " north", "5" + kDeg + " east");
    capture('t', "52" + kDeg + " north", "5" + kDeg + " east");
    EXPECT_EQ(cap->distanceText, "Distance: 68.53 km");
    capture('t', "52" + kDeg + " north", "6" + kDeg + " east");
    EXPECT_EQ(cap->distanceText, "Distance: 137.07 km");

    host.fakeLocale.separator = ',';
    cap->SpeedButton2Click();  // "Wis alles"
    EXPECT_TRUE(cap->lines.empty());
    EXPECT_EQ(cap->distanceText, "Distance: 0,00 km");
}

TEST_F(AutoRouteTest, DeleteLastPointNeverReadsOutsideTheList) {
    cap->FormShow();
    capture('t', "52" + kDeg + " north", "4" + kDeg + " east");
    capture('t', "53" + kDeg + " north", "5" + kDeg + " east");
    cap->SpeedButton1Click();
    EXPECT_EQ(cap->lines.size(), 1u);
    EXPECT_EQ(cap->lastLatitude, "52.000000000");
    EXPECT_EQ(cap->lastLongitude, "4.0000000000");

    cap->sendAsRmc = true;
    timer("Timer2").tick();
    EXPECT_EQ(sent.size(), 1u);
    cap->SpeedButton1Click();  // the last line goes: no position is left to send
    EXPECT_TRUE(cap->lines.empty());
    EXPECT_EQ(cap->lastLatitude, "");
    EXPECT_EQ(cap->positionText, "");
    cap->SpeedButton1Click();  // nothing left at all
    timer("Timer2").tick();
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_TRUE(timer("Timer2").running());
}

TEST_F(AutoRouteTest, PositionTimerSendsEveryTickWhileChecked) {
    cap->FormShow();
    timer("Timer2").tick();
    EXPECT_TRUE(sent.empty());  // no position yet
    cap->FormKeyPress('t');
    timer("Timer2").tick();
    EXPECT_TRUE(sent.empty());  // not checked: the label only
    EXPECT_EQ(cap->positionText, "4.5000000000  52.086750000");

    cap->sendAsRmc = true;
    host.fakeLocale.separator = ',';
    timer("Timer2").tick();
    timer("Timer2").tick();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1], std::make_pair(std::string("4,5000000000"), std::string("52,086750000")));
    EXPECT_TRUE(timer("Timer2").running());

    // An unread position is never sent.
    capture('t', "52 north", "4" + kDeg + " east");
    timer("Timer2").tick();
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(AutoRouteTest, KlaarWithSendingCheckedStopsCommunication) {
    cap->FormShow();
    cap->BitBtn1Click();
    EXPECT_EQ(stops, 0);
    cap->FormShow();
    cap->sendAsRmc = true;
    cap->BitBtn1Click();
    EXPECT_FALSE(cap->sendAsRmc);
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(timer("Timer1").running());
    EXPECT_FALSE(timer("Timer2").running());
    cap->FormClose();
    EXPECT_TRUE(desktop.hotKeys.empty());
}

TEST_F(AutoRouteTest, PushpinKeySequenceAndWaits) {
    cap->FormShow();
    cap->makePushpins = true;
    desktop.windows.insert(desktop.windows.begin(), {kFind, "Find", {0, 0, 10, 10}, true});
    desktop.windows.push_back({99, "Find another", {0, 0, 10, 10}, true});
    latValue = "52.08675" + kDeg + " south";
    cap->FindLocator();
    desktop.waits.clear();
    cap->FormKeyPress('t');

    std::vector<FakeDesktop::SentKey> expected = {{Key::named(Kind::Control), true}, {Key::of('F'), true},
                                                  {Key::named(Kind::Tab), true},     {Key::named(Kind::Tab), true},
                                                  {Key::named(Kind::Control), false}};
    for (const auto& k : keysTyped("-52.08675\t4.5\r\r")) expected.push_back(k);
    expected.push_back({Key::named(Kind::F8), true});
    expected.push_back({Key::named(Kind::F8), false});
    EXPECT_EQ(desktop.keys, expected);
    // The first pushpin waits longer for the dialog.
    EXPECT_EQ(desktop.waits, (std::vector<int>{50, 500, 100, 100, 30, 15, 15, 15, 15}));
    EXPECT_EQ(desktop.activations.back(), kAutoRoute);
    EXPECT_EQ(desktop.closeRequests, (std::vector<capture::WindowId>{kFind}));  // the topmost only
    EXPECT_TRUE(timer("Timer1").running());
    EXPECT_EQ(cap->lines.size(), 1u);

    // Later pushpins: the short waits; a decimal comma machine types commas.
    host.fakeLocale.separator = ',';
    desktop.keys.clear();
    desktop.waits.clear();
    cap->FormKeyPress('r');
    EXPECT_EQ(desktop.waits, (std::vector<int>{50, 200, 30, 15, 15, 15, 15}));
    std::vector<FakeDesktop::SentKey> typed(desktop.keys.begin() + 5, desktop.keys.end() - 2);
    EXPECT_EQ(typed, keysTyped("-52,08675\t4,5\r\r"));
}

TEST_F(AutoRouteTest, PushpinNeedsAutoRouteAndIsNeverMadeTwiceAtOnce) {
    cap->FormShow();
    cap->makePushpins = true;
    // A hot key pressed during the pushpin's waits keeps its line but makes
    // no second pushpin.
    desktop.duringWait = [this](int) { cap->FormKeyPress('t'); };
    cap->FormKeyPress('t');
    EXPECT_EQ(cap->lines.size(), 2u);
    int ctrlDowns = 0;
    for (const auto& k : desktop.keys) ctrlDowns += k == FakeDesktop::SentKey{Key::named(Kind::Control), true};
    EXPECT_EQ(ctrlDowns, 1);

    // Without AutoRoute no key is sent, a line is still kept.
    desktop.keys.clear();
    desktop.windows.erase(desktop.windows.begin() + 1);
    cap->FormShow();
    cap->makePushpins = true;
    cap->FormKeyPress('t');
    EXPECT_TRUE(desktop.keys.empty());
    EXPECT_EQ(cap->lines.size(), 1u);
}

TEST_F(AutoRouteTest, MissingSensorAsksMessage37) {
    withAutoRoute(false);
    prompts.answers = {host::Answer::Yes};
    cap->FormShow();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].kind, "yesnocancel");
    EXPECT_EQ(prompts.asked[0].text, "message 37");
    EXPECT_EQ(prompts.asked[0].severity, host::Severity::Warning);
    EXPECT_EQ(foregrounds, 1);
    // Yes: Alt+T, L in AutoRoute opens the sensor.
    EXPECT_EQ(desktop.keys, (std::vector<FakeDesktop::SentKey>{{Key::named(Kind::Alt), true},
                                                              {Key::of('T'), true},
                                                              {Key::of('L'), true},
                                                              {Key::named(Kind::Alt), false}}));
    EXPECT_EQ(desktop.waits, (std::vector<int>{100, 100, 500}));
    EXPECT_EQ(desktop.activations, (std::vector<capture::WindowId>{kAutoRoute}));
    EXPECT_TRUE(timer("Timer1").running());

    // No: asked again on the next tick.
    prompts.answers = {host::Answer::No, host::Answer::Cancel};
    timer("Timer1").tick();
    EXPECT_EQ(prompts.asked.size(), 2u);
    EXPECT_TRUE(timer("Timer1").running());
    // Cancel: the timer stays stopped, so no more questions.
    timer("Timer1").tick();
    EXPECT_EQ(prompts.asked.size(), 3u);
    EXPECT_FALSE(timer("Timer1").running());
    EXPECT_EQ(desktop.keys.size(), 4u);  // only Yes sent keys
}

TEST_F(AutoRouteTest, NoAutoRouteNoQuestion) {
    desktop.windows.clear();
    cap->FormShow();
    for (int i = 0; i < 20; ++i) timer("Timer1").tick();
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_TRUE(timer("Timer1").running());
    cap->FormKeyPress('t');  // empty sensor labels: nothing
    EXPECT_TRUE(cap->lines.empty());
    // An invisible AutoRoute is not AutoRoute.
    desktop.windows = {{kAutoRoute, "Microsoft AutoRoute", {0, 0, 10, 10}, false}};
    timer("Timer1").tick();
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(AutoRouteTest, EveryTenthSensorTickActivatesTheNamePromptOrTheWindow) {
    cap->FormShow();
    for (int i = 0; i < 9; ++i) timer("Timer1").tick();
    EXPECT_EQ(foregrounds, 0);
    timer("Timer1").tick();
    EXPECT_EQ(foregrounds, 1);
    desktop.windows.push_back({kNamePrompt, "Waypoint identification", {0, 0, 10, 10}, true});
    for (int i = 0; i < 10; ++i) timer("Timer1").tick();
    EXPECT_EQ(foregrounds, 1);
    EXPECT_EQ(desktop.activations, (std::vector<capture::WindowId>{kNamePrompt}));

    // A closed window restarts no timer.
    cap->FormClose();
    EXPECT_FALSE(timer("Timer1").running());
    cap->Timer1Timer();
    EXPECT_FALSE(timer("Timer1").running());
}

TEST_F(AutoRouteTest, HotKeysActAsTypedKeysAndFailuresAreReported) {
    desktop.takenHotKeys = {'w'};
    cap->FormShow();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "message 36");
    EXPECT_TRUE(desktop.pressHotKey(AutoRouteCapture::kHotKeyT));
    EXPECT_EQ(cap->lines, (std::vector<std::string>{"T B: 52.086750000 L: 4.5000000000 D: TP"}));
    cap->FormClose();
    EXPECT_FALSE(desktop.pressHotKey(AutoRouteCapture::kHotKeyT));
}

// The Route 66 capture window takes the desktop's one hot key handler while
// it shows; the AutoRoute window's keys work again when it shows next.
TEST_F(AutoRouteTest, HotKeysWorkAfterAnotherCaptureWindowHadTheDesktop) {
    cap->FormShow();
    cap->FormClose();
    int other = 0;
    desktop.onHotKey([&](int) { ++other; });
    desktop.onHotKey(nullptr);
    cap->FormShow();
    EXPECT_TRUE(desktop.pressHotKey(AutoRouteCapture::kHotKeyT));
    EXPECT_EQ(cap->lines.size(), 1u);
    EXPECT_EQ(other, 0);
    cap->FormClose();
}

TEST_F(AutoRouteTest, SensorReadSkipsTheWindowItselfAndOtherTexts) {
    int valueProbes = 0;
    desktop.objectAtPoint = [&](capture::ScreenPoint p) -> capture::PointedObject {
        if (p.x == 200) ++valueProbes;
        if (p.y == 105) return p.x == 140 ? capture::PointedObject{50, "Latitude"} : capture::PointedObject{51, "1"};
        if (p.y >= 110 && p.y < 120) return p.x == 140 ? capture::PointedObject{kLatLabel, "LATITUDE:"} : capture::PointedObject{kLatValue, "1" + kDeg + " NORTH"};
        return {kSensor, "latitude:"};  // the window's own text is never a label
    };
    cap->WindowsFromWindow(desktop.windows[0]);
    EXPECT_EQ(cap->latitudeLabel, "latitude: 1" + kDeg + " north");
    EXPECT_EQ(valueProbes, 1);  // read once per label, not once per row
}

class CapturedLinesTest : public ::testing::Test, public TreeFixture {};

TEST_F(CapturedLinesTest, LinesBecomeActiveLogPointsAndWaypoints) {
    capture::AddCapturedLines(doc, {"T B: 52.086750000 L: 4.5000000000 D: TP", "W B: 52.100000000 L: 4.6000000000 D: Home",
                                    "R B: -52.08675000 L: -4.500000000 D: TP", "W B: 1.0000000000 L: 2.0000000000"});
    EXPECT_EQ(dump(doc.trackpoints()),
              "trk (ACTIVE LOG)\n  name = ACTIVE LOG\n  number = 2\n  trkseg\n"
              "    trkpt (1)\n      lat = 52.086750000\n      lon = 4.5000000000\n"
              "    trkpt (2)\n      lat = -52.08675000\n      lon = -4.500000000\n");
    EXPECT_EQ(dump(doc.waypoints()),
              "wpt (Home)\n  lat = 52.100000000\n  lon = 4.6000000000\n  name = Home\n"
              "wpt (AR)\n  lat = 1.0000000000\n  lon = 2.0000000000\n  name = AR\n");
    // Even nothing captured makes the track.
    capture::AddCapturedLines(doc, {});
    EXPECT_EQ(doc.childCount(doc.trackpoints()), 1u);
}

}  // namespace
