// The X11 desktop and the AutoRoute capture against the test planner on a
// real (virtual) X server with a window manager and an accessibility bus.
// Run by x11_tests.sh, which starts Xvfb, openbox and a D-Bus session.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "../temp_dir.h"
#include "capture/autoroute_capture.h"
#include "capture/ocr.h"
#include "capture/ui/locator_form.h"
#include "capture/x11/x11_desktop.h"
#include "host/fake/fake_host.h"
#include "host/qt/qt_host.h"
#include "x11_hands.h"
#include "x11_wait.h"

using capture::Desktop;
using capture::Key;

namespace {

const std::string kMapTitle = "Microsoft AutoRoute \xE2\x80\x93 test";
const std::string kDeg = "\xC2\xB0";

class Planner {
public:
    Planner(const std::string& log, QStringList extra, const char* program) {
        QStringList args{"--log", QString::fromStdString(log)};
        args += extra;
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, args);
        process_.waitForStarted(5000);
    }
    ~Planner() {
        process_.kill();
        process_.waitForFinished(5000);
    }

private:
    QProcess process_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool hasLine(const std::string& path, const std::string& line) {
    return ("\n" + readFile(path)).find("\n" + line + "\n") != std::string::npos;
}

class X11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no DISPLAY: run through x11_tests.sh";
        desktop = capture::OpenX11Desktop();
        ASSERT_TRUE(desktop->available()) << desktop->unavailableReason();
        desktop->setEventProcessor([] { QCoreApplication::processEvents(); });
        ASSERT_TRUE(hands.ok());
        log = dir.file("planner.log");
    }

    const capture::TopLevelWindow* window(const std::string& title) {
        windows = desktop->topLevelWindows();
        for (const auto& w : windows)
            if (w.title == title && w.visible) return &w;
        return nullptr;
    }
    int rank(const std::string& title) {
        windows = desktop->topLevelWindows();
        for (size_t i = 0; i < windows.size(); ++i)
            if (windows[i].title == title) return static_cast<int>(i);
        return -1;
    }
    bool startPlanner(QStringList extra = {}, const char* program = PLANNER_BIN) {
        planner = std::make_unique<Planner>(log, extra, program);
        return waitFor([&] { return window(kMapTitle) != nullptr && hasLine(log, "ready"); }, 15000);
    }
    // Points the pointer at (x, y) of the map window's client area.
    void pointAtMap(int x, int y) {
        const capture::TopLevelWindow* map = window(kMapTitle);
        ASSERT_NE(map, nullptr);
        auto [ox, oy] = hands.clientOrigin(map->id);
        hands.moveTo(ox + x, oy + y);
    }

    TempDir dir;
    std::string log;
    std::unique_ptr<Desktop> desktop;
    std::vector<capture::TopLevelWindow> windows;
    Hands hands;
    std::unique_ptr<Planner> planner;
};

TEST(X11Unavailable, NoDisplayIsExplained) {
    auto none = capture::OpenX11Desktop("");
    EXPECT_FALSE(none->available());
    EXPECT_EQ(none->unavailableReason(), "No X11 display: set DISPLAY (Wayland sessions need XWayland).");
    auto unreachable = capture::OpenX11Desktop(":4711");
    EXPECT_FALSE(unreachable->available());
    EXPECT_NE(unreachable->unavailableReason().find(":4711"), std::string::npos);
}

TEST_F(X11Test, WindowsPicturesKeysAndClosing) {
    ASSERT_TRUE(startPlanner());
    ASSERT_TRUE(waitFor([&] { return window("Location sensor") != nullptr; }, 15000));

    // Topmost first, as the window manager stacks them.
    desktop->activate(window("Location sensor")->id);
    EXPECT_TRUE(waitFor([&] { return rank("Location sensor") >= 0 && rank("Location sensor") < rank(kMapTitle); }, 10000));
    capture::WindowId map = window(kMapTitle)->id;
    desktop->activate(map);
    EXPECT_TRUE(waitFor([&] { return rank(kMapTitle) < rank("Location sensor"); }, 10000));
    EXPECT_TRUE(waitFor([&] { return desktop->activeWindow() == map; }, 10000));

    capture::ScreenRect work = desktop->workArea();
    EXPECT_GT(work.width(), 0);
    EXPECT_GT(work.height(), 0);

    // The map is painted (200, 230, 200); beyond the screen's edge is black.
    auto [ox, oy] = hands.clientOrigin(map);
    capture::Image inside = desktop->grab({ox + 50, oy + 60, ox + 60, oy + 66});
    ASSERT_EQ(inside.width, 10);
    ASSERT_EQ(inside.height, 6);
    EXPECT_TRUE(waitFor([&] { return desktop->grab({ox + 50, oy + 60, ox + 51, oy + 61}).at(0, 0) == 0xC8E6C8u; }, 10000));
    capture::Image edge = desktop->grab({-5, -5, 5, 5});
    EXPECT_EQ(edge.at(0, 0), 0x000000u);

    // Pointer and synthesized keys.
    hands.moveTo(ox + 20, oy + 30);
    EXPECT_EQ(desktop->pointer().x, ox + 20);
    EXPECT_EQ(desktop->pointer().y, oy + 30);
    desktop->sendKey(Key::of('q'), true);
    desktop->sendKey(Key::of('q'), false);
    EXPECT_TRUE(waitFor([&] { return hasLine(log, "key Q"); }, 10000)) << readFile(log);

    // Ctrl+F opens the Find dialog; asking it to close closes it.
    desktop->sendKey(Key::named(Key::Kind::Control), true);
    desktop->sendKey(Key::of('F'), true);
    desktop->sendKey(Key::named(Key::Kind::Control), false);
    ASSERT_TRUE(waitFor([&] { return window("Find") != nullptr; }, 10000)) << readFile(log);
    desktop->requestClose(window("Find")->id);
    EXPECT_TRUE(waitFor([&] { return hasLine(log, "find closed"); }, 10000)) << readFile(log);
}

TEST_F(X11Test, HotKeysAreOneProgramsAtATime) {
    std::vector<int> pressed;
    desktop->onHotKey([&](int id) { pressed.push_back(id); });
    ASSERT_TRUE(desktop->registerHotKey(1, 't'));
    auto other = capture::OpenX11Desktop();
    EXPECT_FALSE(other->registerHotKey(7, 't'));  // held by the first
    EXPECT_TRUE(other->registerHotKey(8, 'w'));
    EXPECT_FALSE(desktop->registerHotKey(2, 'w'));

    other->sendKey(Key::of('t'), true);
    other->sendKey(Key::of('t'), false);
    EXPECT_TRUE(waitFor([&] { return !pressed.empty(); }, 10000, desktop.get()));
    EXPECT_EQ(pressed, std::vector<int>{1});

    desktop->unregisterHotKey(1);
    EXPECT_TRUE(other->registerHotKey(7, 't'));
}

TEST_F(X11Test, TextsUnderThePointComeFromTheAccessibilityTree) {
    ASSERT_TRUE(startPlanner());
    ASSERT_TRUE(waitFor([&] { return window("Location sensor") != nullptr; }, 15000));
    pointAtMap(400, 100);  // 25° North, 12.5° East
    const capture::TopLevelWindow sensor = *window("Location sensor");
    int labelX = sensor.frame.left + sensor.frame.width() / 5;
    int valueX = sensor.frame.left + sensor.frame.width() / 2;
    std::string labels, values;
    bool read = waitFor([&] {
        labels.clear();
        values.clear();
        for (int y = sensor.frame.top; y < sensor.frame.bottom; y += 2) {
            capture::PointedObject label = desktop->objectAt({labelX, y});
            if (label.text == "Latitude:" || label.text == "Longitude:") {
                if (labels.find(label.text) == std::string::npos) labels += label.text;
                std::string value = desktop->objectAt({valueX, y}).text;
                if (values.find(value) == std::string::npos) values += value + "|";
            }
        }
        return values == "25" + kDeg + " North|12.5" + kDeg + " East|";
    }, 10000);
    EXPECT_TRUE(read) << "labels: " << labels << " values: " << values;
    EXPECT_EQ(labels, "Latitude:Longitude:");
    // Where no control lies, the window itself.
    capture::PointedObject itself = desktop->objectAt({labelX, sensor.frame.bottom - 12});
    EXPECT_EQ(itself.text, "Location sensor");
}

// The line of the planner's log that shows `prefix`; empty when none.
std::string logLine(const std::string& path, const std::string& prefix) {
    std::istringstream in(readFile(path));
    std::string line, found;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) found = line;
    return found;
}

// The Route 66 stand-in's box, grabbed where the capture looks and read
// with the character tables it was drawn from.
TEST_F(X11Test, CoordinateBoxIsGrabbedAndReadBack) {
    struct Case {
        const char* name;
        capture::OcrVersion version;
        QStringList args;
    } cases[] = {{"2002 Dutch", capture::OcrVersion::V2002, {"--version", "2002"}},
                 {"2004 English", capture::OcrVersion::V2004, {"--version", "2004", "--english"}}};
    const std::string title = "Route 66 \xE2\x80\x93 test";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(log.c_str());
        planner = std::make_unique<Planner>(log, c.args, ROUTE66_PLANNER_BIN);
        ASSERT_TRUE(waitFor([&] { return window(title) != nullptr && hasLine(log, "ready"); }, 15000)) << readFile(log);
        const capture::OcrProfile& profile = capture::ProfileOf(c.version);
        capture::OcrTable table = capture::ReadOcrTable(std::string(PATHKEEP_DATA_DIR) + "/" + profile.tableFile);
        ASSERT_GT(table.entryCount(), 0);
        auto [ox, oy] = hands.clientOrigin(window(title)->id);
        // (437, 211): 52 + 89/120 = 52.741667 = N 52° 44' 30"; 4 + 37/120 = 4.308333 = E 4° 18' 30".
        hands.moveTo(ox + 437, oy + 211);
        ASSERT_TRUE(waitFor([&] { return !logLine(log, "shown 52.741667 4.308333").empty(); }, 15000)) << readFile(log);
        std::string shown = logLine(log, "shown 52.741667 4.308333");
        EXPECT_EQ(shown.find("missing"), std::string::npos) << shown;

        capture::ScreenPoint p = desktop->pointer();
        capture::ScreenRect rect{p.x + profile.offset.x, p.y + profile.offset.y, p.x + profile.offset.x + profile.width,
                                 p.y + profile.offset.y + profile.height};
        std::string read;
        bool same = waitFor([&] {
            capture::OcrResult r = capture::OcrBitmap(desktop->grab(rect), profile, table);
            // White columns read as blanks; the capture trims them.
            auto trimmed = [](std::string t) { return t.erase(t.find_last_not_of(' ') + 1); };
            read = "shown 52.741667 4.308333 | " + trimmed(r.lines[0]) + " | " + trimmed(r.lines[1]) + " | " +
                   trimmed(r.lines[2]);
            return read == shown;
        }, 10000);
        EXPECT_TRUE(same) << "read:  " << read << "\nshown: " << shown;
        planner.reset();
    }
}

class CaptureEndToEnd : public X11Test {
protected:
    void makeCapture() { cap = std::make_unique<capture::AutoRouteCapture>(env()); }
    capture::AutoRouteEnv env() {
        return capture::AutoRouteEnv{
            *desktop,
            qt.timers(),
            prompts,
            qt.eventPump(),
            locale,
            [](int n) { return n == 21 ? std::string("Distance:") : "message " + std::to_string(n); },
            "Name",
            [this](const std::string& lon, const std::string& lat) { sent.emplace_back(lon, lat); },
            [this] { ++stops; },
            nullptr};
    }
    void press(char c) {
        desktop->sendKey(Key::of(c), true);
        desktop->sendKey(Key::of(c), false);
    }

    host::QtHost qt{true};
    host::FakePrompts prompts;
    host::FakeLocale locale;
    std::vector<std::pair<std::string, std::string>> sent;
    int stops = 0;
    std::unique_ptr<capture::AutoRouteCapture> cap;
};

TEST_F(CaptureEndToEnd, SensorHotKeysPushpinsAndRmc) {
    ASSERT_TRUE(startPlanner());
    makeCapture();
    pointAtMap(400, 100);  // 25° North, 12.5° East
    cap->FormShow();
    // The sensor's two texts are read one after the other while the
    // planner may still be redrawing them: wait for both.
    ASSERT_TRUE(waitFor(
        [&] {
            return cap->longitudeLabel == "longitude: 12.5" + kDeg + " east" &&
                   cap->latitudeLabel == "latitude: 25" + kDeg + " north";
        },
        10000))
        << cap->latitudeLabel << " / " << cap->longitudeLabel;
    EXPECT_EQ(cap->autoRouteWindow(), window(kMapTitle)->id);
    // How long one look at the sensor takes (AT-SPI round trips), for the record.
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) cap->FindLocator();
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / 10;
    std::printf("one sensor read: %.1f ms\n", ms);
    RecordProperty("sensor_read_ms", std::to_string(ms));

    // T as a hot key, wherever the focus is.
    press('t');
    ASSERT_TRUE(waitFor([&] { return cap->lines.size() == 1; }, 10000, desktop.get()));
    EXPECT_EQ(cap->lines[0], "T B: 25.000000000 L: 12.500000000 D: TP");

    // With pushpins: the planner's Find dialog gets the position.
    cap->makePushpins = true;
    pointAtMap(100, 250);  // 12.5° South, 25° West
    ASSERT_TRUE(waitFor([&] { return cap->longitudeLabel == "longitude: 25" + kDeg + " west"; }, 15000));
    press('t');
    ASSERT_TRUE(waitFor([&] { return cap->lines.size() == 2; }, 10000, desktop.get()));
    EXPECT_EQ(cap->lines[1], "T B: -12.50000000 L: -25.00000000 D: TP");
    EXPECT_TRUE(waitFor([&] { return hasLine(log, "pushpin -12.5 -25"); }, 10000)) << readFile(log);
    EXPECT_TRUE(waitFor([&] { return hasLine(log, "key F8"); }, 10000)) << readFile(log);
    EXPECT_TRUE(waitFor([&] { return hasLine(log, "find closed"); }, 10000)) << readFile(log);

    // W asks for the name; the answer names the waypoint.
    cap->makePushpins = false;
    prompts.paths = {std::string("Depot")};
    press('w');
    ASSERT_TRUE(waitFor([&] { return cap->lines.size() == 3; }, 10000, desktop.get()));
    EXPECT_EQ(cap->lines[2], "W B: -12.50000000 L: -25.00000000 D: Depot");

    // The last position goes out every 600 ms while sending is on.
    cap->sendAsRmc = true;
    EXPECT_TRUE(waitFor([&] { return sent.size() >= 2; }, 10000, desktop.get()));
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), std::make_pair(std::string("-25.00000000"), std::string("-12.50000000")));
    cap->BitBtn1Click();
    cap->FormClose();
    EXPECT_EQ(stops, 1);
    size_t after = sent.size();
    waitFor([] { return false; }, 800);
    EXPECT_EQ(sent.size(), after);
}

TEST_F(CaptureEndToEnd, MissingSensorIsOpenedInThePlanner) {
    ASSERT_TRUE(startPlanner({"--no-sensor"}));
    makeCapture();
    prompts.answers = {host::Answer::Yes};
    pointAtMap(400, 100);
    cap->FormShow();
    ASSERT_GE(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].text, "message 37");
    EXPECT_TRUE(waitFor([&] { return hasLine(log, "sensor opened"); }, 15000)) << readFile(log);
    EXPECT_TRUE(waitFor([&] { return cap->latitudeLabel == "latitude: 25" + kDeg + " north"; }, 10000))
        << cap->latitudeLabel;
    cap->FormClose();
}

TEST_F(CaptureEndToEnd, TheCaptureWindowTakesItselfTheKeys) {
    ASSERT_TRUE(startPlanner());
    capture::ui::TLocatorForm form(env());
    pointAtMap(400, 100);  // 25° North, 12.5° East
    form.show();
    ASSERT_TRUE(waitFor([&] { return form.capture().latitudeLabel == "latitude: 25" + kDeg + " north"; }, 10000));
    // Every tenth sensor tick brings the window to the front.
    desktop->activate(window(kMapTitle)->id);
    ASSERT_TRUE(waitFor(
        [&] { return desktop->activeWindow() == static_cast<capture::WindowId>(form.winId()) && form.isActiveWindow(); },
        15000));
    // On a loaded machine the window manager may still be moving the focus
    // when the first key goes out: a key that got lost is typed again.
    bool captured = false;
    for (int attempt = 0; attempt < 5 && !captured; ++attempt) {
        waitFor([] { return false; }, 100);  // the keyboard follows the activation
        press('r');
        captured = waitFor([&] { return !form.capture().lines.empty(); }, 3000, desktop.get());
    }
    ASSERT_TRUE(captured);
    std::string memo = form.findChild<QPlainTextEdit*>("Memo1")->toPlainText().toStdString();
    EXPECT_EQ(memo.substr(0, memo.find('\n')), "R B: 25.000000000 L: 12.500000000 D: TP");
    form.findChild<QPushButton*>("BitBtn1")->click();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
