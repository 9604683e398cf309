// Route 66 capture against the test planner on a real (virtual) X server:
// the pointer is moved over the planner's map with XTest, the planner draws
// its co-ordinate box beside it, Space (a system-wide hot key, pressed as
// another program would) and W capture, and the points that closing adds to
// the document must be the positions the planner showed.
// Run by x11_tests.sh, which starts Xvfb, openbox and a D-Bus session.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "../core/tree_fixture.h"
#include "../temp_dir.h"
#include "capture/route66_capture.h"
#include "capture/ui/ocr_form.h"
#include "host/qt/qt_host.h"
#include "capture/x11/x11_desktop.h"
#include "x11_hands.h"
#include "x11_wait.h"

// Last: Xlib's macros would clash with the headers above.
#include <X11/Xlib.h>

using namespace capture;

namespace {

const std::string kMapTitle = "Route 66 \xE2\x80\x93 test";

// The window that has the keyboard focus, asked of the X server itself:
// typed keys go there, whatever the window manager says is active.
WindowId keyboardFocus() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    XCloseDisplay(display);
    return static_cast<WindowId>(focus);
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// "shown 52.083333 4.000000 |  | Breedtegraad: ... | Lengtegraad: ..."
struct Shown {
    double lat = 0, lon = 0;
    std::string latLine;
};
bool lastShown(const std::string& log, Shown& shown) {
    auto lines = readLines(log);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->rfind("shown ", 0) != 0) continue;
        std::istringstream in(it->substr(6));
        in >> shown.lat >> shown.lon;
        size_t bar = it->find(" | ");
        size_t second = it->find(" | ", bar + 3);
        size_t third = it->find(" | ", second + 3);
        shown.latLine = second == std::string::npos ? "" : it->substr(second + 3, third - second - 3);
        return true;
    }
    return false;
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The (lat, lon) attribute pairs of a subtree, in tree order.
void latLons(const core::Document& doc, core::NodeId node, std::vector<std::pair<double, double>>& out) {
    for (core::NodeId c = doc.firstChild(node); c != core::kNoNode; c = doc.nextSibling(c)) {
        std::string t = doc.getText(c);
        if (t.rfind("lat = ", 0) == 0) out.push_back({std::stod(t.substr(6)), 0});
        if (t.rfind("lon = ", 0) == 0 && !out.empty()) out.back().second = std::stod(t.substr(6));
        latLons(doc, c, out);
    }
}

class Route66X11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no DISPLAY: run through x11_tests.sh";
        desktop = OpenX11Desktop();
        ASSERT_TRUE(desktop->available()) << desktop->unavailableReason();
        desktop->setEventProcessor([] { QCoreApplication::processEvents(); });
        user = OpenX11Desktop();  // the user's keyboard, another client
        ASSERT_TRUE(hands.ok());
        log = dir.file("planner.log");
    }
    void TearDown() override {
        if (planner) {
            planner->kill();
            planner->waitForFinished(5000);
        }
    }
    bool startPlanner(QStringList extra) {
        planner = std::make_unique<QProcess>();
        planner->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        planner->start(ROUTE66_PLANNER_BIN, QStringList{"--log", QString::fromStdString(log)} + extra);
        planner->waitForStarted(5000);
        return waitFor([&] { return mapWindow() != 0 && !readLines(log).empty(); }, 15000);
    }
    WindowId mapWindow() {
        for (const auto& w : desktop->topLevelWindows())
            if (w.title == kMapTitle && w.visible) return w.id;
        return 0;
    }
    // Points at (x, y) of the map and waits until the box there reads as the
    // planner says it drew it.
    Shown pointAt(Route66Capture& capture, int x, int y) {
        auto [ox, oy] = hands.clientOrigin(mapWindow());
        hands.moveTo(ox + x, oy + y);
        Shown shown;
        EXPECT_TRUE(waitFor(
            [&] {
                if (!lastShown(log, shown)) return false;
                ScreenPoint p = desktop->pointer();
                const OcrProfile& pr = capture.profile();
                Image picture = desktop->grab({p.x + pr.offset.x, p.y + pr.offset.y, p.x + pr.offset.x + pr.width,
                                              p.y + pr.offset.y + pr.height});
                OcrTable table = capture.table();
                return trimmed(OcrBitmap(picture, pr, table).lines[1]) == shown.latLine;
            },
            5000))
            << "box at " << x << "," << y << " not read: " << shown.latLine;
        return shown;
    }

    void captureAndCompare(OcrVersion version) {
        host::FakeHost host;
        std::vector<std::string> reports;
        Route66Capture capture(
            *desktop, host, [](const OcrProfile& p) { return FindTableFile(p.tableFile, {PATHKEEP_DATA_DIR}); },
            [&](const std::string& s) { reports.push_back(s); });
        capture.show(0);
        capture.selectVersion(version);
        ASSERT_TRUE(user->registerHotKey(9, ' ') == false) << "Space is not held by the capture";

        // Boxes stay inside the 800 x 600 map: the 2004 box is 310 pixels wide.
        const std::pair<int, int> places[] = {{400, 300}, {473, 181}, {250, 420}, {130, 90}};
        std::vector<Shown> expected;
        std::vector<char> kinds;
        for (size_t i = 0; i < std::size(places); ++i) {
            Shown shown = pointAt(capture, places[i].first, places[i].second);
            size_t before = capture.results().size();
            if (i % 2 == 0) {
                user->sendKey(Key::of(' '), true);  // the hot key: a track point
                user->sendKey(Key::of(' '), false);
                ASSERT_TRUE(waitFor([&] { return capture.results().size() > before; }, 10000, desktop.get()))
                    << "Space did not capture";
                kinds.push_back('T');
            } else {
                capture.keyPress('w');
                kinds.push_back('W');
            }
            ASSERT_EQ(capture.results().size(), before + 1) << shown.latLine;
            expected.push_back(shown);
        }
        capture.close();
        EXPECT_TRUE(reports.empty());

        TreeFixture f;
        f.doc.initTree();
        AddRoute66Points(f.doc, capture.results());
        std::vector<std::pair<double, double>> tracks, waypoints;
        latLons(f.doc, f.doc.trackpoints(), tracks);
        latLons(f.doc, f.doc.waypoints(), waypoints);
        ASSERT_EQ(tracks.size(), 2u);
        ASSERT_EQ(waypoints.size(), 2u);
        size_t t = 0, w = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            auto got = kinds[i] == 'T' ? tracks[t++] : waypoints[w++];
            // The planner logs rounded to 6 decimals, the capture cuts after 6.
            EXPECT_NEAR(got.first, expected[i].lat, 1.01e-6) << i;
            EXPECT_NEAR(got.second, expected[i].lon, 1.01e-6) << i;
        }
    }

    TempDir dir;
    std::string log;
    std::unique_ptr<Desktop> desktop, user;
    Hands hands;
    std::unique_ptr<QProcess> planner;
};

}  // namespace

TEST_F(Route66X11Test, Release2002DutchLabels) {
    ASSERT_TRUE(startPlanner({"--version", "2002", "--map-at", "100,50"}));
    captureAndCompare(OcrVersion::V2002);
}

TEST_F(Route66X11Test, Release2004EnglishLabels) {
    ASSERT_TRUE(startPlanner({"--version", "2004", "--english", "--map-at", "100,50"}));
    captureAndCompare(OcrVersion::V2004);
}

// The capture window itself: it keeps itself in front while the pointer
// rests on the map, so a key typed goes to it and records the place.
TEST_F(Route66X11Test, TheCaptureWindowTakesTheKeysTypedOverTheMap) {
    ASSERT_TRUE(startPlanner({"--version", "2002", "--map-at", "420,80"}));
    host::QtHost host(true);
    Route66Capture capture(
        *desktop, host, [](const OcrProfile& p) { return FindTableFile(p.tableFile, {PATHKEEP_DATA_DIR}); },
        [](const std::string&) {});
    ui::TOcrForm form(capture);
    form.show();
    ASSERT_TRUE(waitFor([&] { return capture.shown() && form.isActiveWindow(); }, 15000));
    Shown shown = pointAt(capture, 300, 200);
    WindowId map = mapWindow(), self = static_cast<WindowId>(form.winId());
    desktop->activate(map);  // the planner takes the focus, as a click on the map would
    ASSERT_TRUE(waitFor([&] { return desktop->activeWindow() == map && !form.isActiveWindow(); }, 10000));
    // Within a second (ten preview ticks) the capture window is the active one again.
    ASSERT_TRUE(waitFor([&] { return desktop->activeWindow() == self && form.isActiveWindow(); }, 10000));
    ASSERT_TRUE(waitFor([&] { return keyboardFocus() == self; }, 10000));  // the keyboard follows the activation
    user->sendKey(Key::of('w'), true);
    user->sendKey(Key::of('w'), false);
    ASSERT_TRUE(waitFor([&] { return !capture.results().empty(); }, 10000, desktop.get()))
        << "read: \"" << capture.lines()[1] << "\" fields: \"" << capture.latitudeText << "\" focus: "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
    TreeFixture f;
    f.doc.initTree();
    AddRoute66Points(f.doc, capture.results());
    std::vector<std::pair<double, double>> waypoints;
    latLons(f.doc, f.doc.waypoints(), waypoints);
    ASSERT_EQ(waypoints.size(), 1u);
    EXPECT_NEAR(waypoints[0].first, shown.lat, 1.01e-6);
    EXPECT_NEAR(waypoints[0].second, shown.lon, 1.01e-6);
    form.accept();
}
