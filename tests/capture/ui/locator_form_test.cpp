#include "capture/ui/locator_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "app/ui/main_window.h"
#include "capture/fake/fake_desktop.h"
#include "capture/ui/capture_hint.h"
#include "host/fake/fake_host.h"

namespace {

const std::string kDeg = "\xC2\xB0";

// AutoRoute with its sensor showing 52.08675° North, 4.5° East.
void scriptAutoRoute(capture::FakeDesktop& d) {
    d.windows = {{20, "Location sensor", {100, 100, 300, 160}, true},
                 {10, "Microsoft AutoRoute", {0, 0, 800, 600}, true}};
    d.objectAtPoint = [](capture::ScreenPoint p) -> capture::PointedObject {
        bool label = p.x == 140;
        if (p.y >= 110 && p.y < 120) return {label ? 21u : 22u, label ? "Latitude:" : "52.08675" + kDeg + " North"};
        if (p.y >= 130 && p.y < 140) return {label ? 23u : 24u, label ? "Longitude:" : "4.5" + kDeg + " East"};
        return {20, "Location sensor"};
    };
}

struct Form {
    host::FakeHost host;
    capture::FakeDesktop desktop;
    int stops = 0;
    capture::ui::TLocatorForm form{capture::AutoRouteEnv{
        desktop, host.fakeTimers, host.fakePrompts, host.fakePump, host.fakeLocale,
        [](int n) { return n == 21 ? std::string("Distance:") : "message " + std::to_string(n); }, "Name",
        [](const std::string&, const std::string&) {}, [this] { ++stops; }, nullptr}};
    Form() { scriptAutoRoute(desktop); }
    template <typename T>
    T* find(const char* name) {
        return form.findChild<T*>(name);
    }
};

}  // namespace

TEST(LocatorFormTest, ControlsAndShape) {
    Form f;
    EXPECT_EQ(f.form.width(), 176);
    EXPECT_TRUE(f.form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.form.windowFlags() & Qt::Tool, Qt::Tool);
    ASSERT_NE(f.find<QPushButton>("BitBtn1"), nullptr);
    EXPECT_TRUE(f.find<QPlainTextEdit>("Memo1")->isReadOnly());
    for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) EXPECT_NE(f.find<QLabel>(name), nullptr) << name;
}

TEST(LocatorFormTest, KeysLinesAndKlaar) {
    Form f;
    f.form.show();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(f.form.capture().shown());
    EXPECT_TRUE(f.form.hint().isVisible());
    EXPECT_EQ(f.form.hint().text(), "message 28");
    EXPECT_EQ(f.find<QLabel>("Label1")->text().toStdString(), "latitude: 52.08675" + kDeg + " north");
    // Placed at the left edge, its bottom on the work area's bottom.
    EXPECT_EQ(f.form.frameGeometry().left(), QApplication::primaryScreen()->availableGeometry().left());
    EXPECT_EQ(f.form.frameGeometry().bottom(), QApplication::primaryScreen()->availableGeometry().bottom());

    QTest::keyClick(&f.form, Qt::Key_T, Qt::NoModifier);
    QTest::keyClick(f.find<QPlainTextEdit>("Memo1"), Qt::Key_R, Qt::NoModifier);  // typed anywhere in the window
    EXPECT_EQ(f.find<QPlainTextEdit>("Memo1")->toPlainText().toStdString(),
              "T B: 52.086750000 L: 4.5000000000 D: TP\nR B: 52.086750000 L: 4.5000000000 D: TP");
    EXPECT_EQ(f.find<QLabel>("Label4")->text(), "Distance: 0.00 km");
    f.find<QPushButton>("SpeedButton1")->click();
    EXPECT_EQ(f.find<QPlainTextEdit>("Memo1")->toPlainText().count('\n'), 0);

    f.find<QCheckBox>("CheckBox1")->setChecked(true);
    EXPECT_TRUE(f.form.capture().sendAsRmc);
    f.find<QPushButton>("BitBtn1")->click();
    EXPECT_FALSE(f.find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(f.stops, 1);
    EXPECT_FALSE(f.form.isVisible());
    EXPECT_FALSE(f.form.capture().shown());
    EXPECT_FALSE(f.form.hint().isVisible());
    EXPECT_TRUE(f.desktop.hotKeys.empty());
}

namespace {

struct Window {
    host::FakeHost host;
    app::Workspace ws{host, app::BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_DATA_DIR, "", ""})};
    app::ui::MainWindow window{ws};
    capture::FakeDesktop* desktop = nullptr;
    Window() {
        auto d = std::make_unique<capture::FakeDesktop>();
        desktop = d.get();
        window.setDesktop(std::move(d));
        window.show();
        QApplication::processEvents();
    }
    QPushButton* button() { return window.findChild<QPushButton*>("Button22"); }
    bool logHas(const std::string& text) {
        for (const auto& line : ws.log.lines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};

}  // namespace

TEST(AutoRouteCommandTest, UnavailableDesktopIsExplained) {
    Window w;
    w.desktop->isAvailable = false;
    ASSERT_NE(w.button(), nullptr);
    EXPECT_EQ(w.button()->text(), "Start AutoRoute Capture");
    auto* pages = w.window.findChild<QTabWidget*>("PageControl1");
    EXPECT_TRUE(pages->widget(6)->isAncestorOf(w.button()));  // the "Route planner" page
    w.button()->click();
    EXPECT_TRUE(w.logHas("Start AutoRoute capture"));
    ASSERT_EQ(w.host.fakePrompts.asked.size(), 1u);
    EXPECT_EQ(w.host.fakePrompts.asked[0].severity, host::Severity::Error);
    EXPECT_NE(w.host.fakePrompts.asked[0].text.find("no display"), std::string::npos);
    EXPECT_EQ(w.ws.document.childCount(w.ws.document.trackpoints()), 0u);
}

TEST(AutoRouteCommandTest, CapturedLinesBecomePointsAfterTheWindowCloses) {
    Window w;
    scriptAutoRoute(*w.desktop);
    bool mainHidden = false;
    QTimer::singleShot(50, [&] {
        mainHidden = !w.window.isVisible();
        auto* form = w.window.locatorForm();
        QTest::keyClick(form, Qt::Key_T);
        w.desktop->pressHotKey(capture::AutoRouteCapture::kHotKeyT);
        form->findChild<QPushButton*>("BitBtn1")->click();
    });
    w.button()->click();
    EXPECT_TRUE(mainHidden);
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_EQ(w.ws.document.trackPointCount(), 2);
    EXPECT_EQ(w.ws.document.plotMode, 0);
    EXPECT_TRUE(w.logHas("Start AutoRoute capture"));
}
