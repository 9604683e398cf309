#include "app/ui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>

#include "../../temp_dir.h"
#include "core/ui/tree_model.h"
#include "formats/ui/save_dialog.h"
#include "host/fake/fake_host.h"

namespace {

struct Window {
    host::FakeHost host;
    app::Workspace ws{host, app::BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_DATA_DIR, "", ""})};
    app::ui::MainWindow window{ws};
    Window() {
        window.show();
        QApplication::processEvents();
    }
    template <typename T>
    T* find(const char* name) {
        return window.findChild<T*>(name);
    }
};

}  // namespace

class MainWindowTest : public ::testing::Test {};

TEST_F(MainWindowTest, ArrangementAndControlNames) {
    Window w;
    EXPECT_EQ(w.window.windowTitle(), "Pathkeep");
    auto* tree = w.find<QTreeView>("VST");
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(w.find<QSplitter>("Splitter1"), nullptr);
    EXPECT_GE(tree->width(), 200);  // room for track names

    auto* pages = w.find<QTabWidget>("PageControl1");
    ASSERT_NE(pages, nullptr);
    QStringList captions;
    for (int i = 0; i < pages->count(); ++i) captions << pages->tabText(i);
    EXPECT_EQ(captions, QStringList({"Points", "Waypoints", "NMEA ontvangst", "NMEA simulation", "Message log",
                                     "Conversion", "Route planner", "Plotting points", "Map"}));
    EXPECT_EQ(pages->currentIndex(), 4);  // the message log page is selected at start

    auto* status = w.find<QStatusBar>("StatusBar1");
    ASSERT_NE(status, nullptr);
    int widths[] = {100, 200, 200};
    for (int i = 0; i < 3; ++i) {
        auto* panel = status->findChild<QLabel*>(QString("StatusPanel%1").arg(i));
        ASSERT_NE(panel, nullptr) << i;
        EXPECT_EQ(panel->width(), widths[i]) << i;
    }
    ASSERT_NE(w.find<QTreeView>("LV1"), nullptr);
    ASSERT_NE(w.find<QTreeView>("LV2"), nullptr);
    EXPECT_EQ(w.find<QTreeView>("LV1")->model()->columnCount(), 11);
    EXPECT_TRUE(w.find<QTreeView>("LV1")->isColumnHidden(4));  // Date/Time
}

TEST_F(MainWindowTest, TreeViewMirrorsTheDocument) {
    Window w;
    auto* tree = w.find<QTreeView>("VST");
    auto* model = tree->model();
    ASSERT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->index(0, 0).data().toString(), "metadata");
    EXPECT_EQ(model->index(3, 0).data().toString(), "trackpoints");

    auto& doc = w.ws.document;
    QModelIndex tracks = model->index(3, 0);
    tree->expand(tracks);
    doc.NewTrack("ACTIVE LOG");
    ASSERT_EQ(model->rowCount(tracks), 1);
    QModelIndex trk = model->index(0, 0, tracks);
    EXPECT_EQ(trk.data().toString(), "trk (ACTIVE LOG)");
    tree->expand(trk);
    QModelIndex seg = model->index(2, 0, trk);
    tree->expand(seg);
    doc.AddTrackpoint("51.5", "5.5", "", "");
    doc.AddTrackpoint("51.6", "5.6", "", "");
    ASSERT_EQ(model->rowCount(seg), 2);
    EXPECT_EQ(model->index(1, 0, seg).data().toString(), "trkpt (2)");
    EXPECT_EQ(model->index(1, 0, trk).data().toString(), "number = 2");
    EXPECT_EQ(model->parent(model->index(1, 0, seg)), seg);

    // Focus: the view follows the document, and a click reaches the document.
    auto* tm = static_cast<core::ui::TreeModel*>(model);
    doc.setFocused(tm->nodeOf(model->index(0, 0, seg)));
    EXPECT_EQ(tree->currentIndex(), model->index(0, 0, seg));
    tree->setCurrentIndex(model->index(1, 0, seg));
    EXPECT_EQ(doc.focused(), tm->nodeOf(model->index(1, 0, seg)));
    QModelIndex removedRow = model->index(1, 0, seg);
    EXPECT_TRUE(removedRow.isValid());

    doc.initTree();
    EXPECT_EQ(model->rowCount(model->index(3, 0)), 0);

    // A first child of a node the view never listed still shows up.
    EXPECT_FALSE(model->hasChildren(model->index(0, 0)));
    doc.appendNode(doc.metadata(), "bounds", core::kAttributeKind);
    EXPECT_TRUE(model->hasChildren(model->index(0, 0)));
    EXPECT_EQ(model->index(0, 0, model->index(0, 0)).data().toString(), "bounds");

    // After a bulk load the view shows the document's focus again.
    doc.beginBulk();
    doc.NewRoute("r");
    doc.setFocused(doc.currentRoute);
    doc.endBulk();
    EXPECT_EQ(tm->nodeOf(tree->currentIndex()), doc.currentRoute);
}

TEST_F(MainWindowTest, LogStatusAndEscape) {
    Window w;
    w.ws.report("Read user preferences");
    auto* log = w.find<QPlainTextEdit>("mBerichtenlog");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->toPlainText(), "13:05:09 Read user preferences");
    EXPECT_TRUE(log->font().fixedPitch() || log->font().styleHint() == QFont::TypeWriter ||
                log->font().family().contains("Mono", Qt::CaseInsensitive));

    // Hours of reception: the page keeps the log's bound and says what went.
    for (int i = 0; i < 12000; ++i) w.ws.report("line " + std::to_string(i));
    QStringList shown = log->toPlainText().split('\n');
    EXPECT_LE(shown.size(), static_cast<int>(app::MessageLog::kMaxLines) + 1);
    EXPECT_TRUE(shown.first().contains("earlier lines dropped")) << shown.first().toStdString();
    EXPECT_TRUE(shown.last().endsWith("line 11999"));

    w.ws.status("Reading...");
    EXPECT_EQ(w.find<QLabel>("StatusPanel2")->text(), "Reading...");

    // Escape while idle is dropped; during work it cancels that work only.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&w.window, &esc);
    app::Operations::Scope scope(w.ws.operations);
    EXPECT_FALSE(scope.operation().cancelled());
    QApplication::sendEvent(&w.window, &esc);
    EXPECT_TRUE(scope.operation().cancelled());
}

// The walk of the command map covers the menus' effects; what stays here is
// the log tool's fresh start, which the walk does not look into.
TEST_F(MainWindowTest, NmeaLogToolStartsAfreshAndTheConversionPageHasItsButton) {
    Window w;
    // The NMEA log file tool opens its dialog, reset.
    auto* logTool = w.window.findChild<QAction*>("NMEAlogfile1");
    ASSERT_NE(logTool, nullptr);
    w.window.nmeaFileCommands().logFileModel().path = "/left/over.log";
    logTool->trigger();
    ASSERT_FALSE(w.host.fakePrompts.asked.empty());
    EXPECT_EQ(w.host.fakePrompts.asked.back().text, "TfmNmeaLogFile");
    EXPECT_EQ(w.window.nmeaFileCommands().logFileModel().path, "");
    ASSERT_NE(w.window.findChild<QAction*>("Info2"), nullptr);
    EXPECT_TRUE(w.window.findChild<QAction*>("Info2")->isEnabled());
    auto* route = w.find<QPushButton>("Button6");
    ASSERT_NE(route, nullptr);
    EXPECT_EQ(route->text(), "Ozi Route file (rte) ==> EasyGPS file (gpx)");
}

TEST_F(MainWindowTest, SaveDialogFormatsAndExtensions) {
    formats::SaveDialogModel model;
    model.fileName = "/home/u/walk";
    formats::ui::SaveDialog dialog(model);
    EXPECT_EQ(dialog.windowTitle(), "Save points as");
    auto* group = dialog.findChild<QGroupBox*>("RadioGroup1");
    ASSERT_NE(group, nullptr);
    QStringList formats;
    for (auto* b : group->findChildren<QRadioButton*>()) formats << b->text();
    EXPECT_EQ(formats, QStringList({"GPX - GPS Exchange format", "KML - Keyhole Markup Language (Google Earth)",
                                    "PLT - Ozi Trackpoints", "WPT - Ozi Waypoints",
                                    "TXT - Text file (for AutoRoute import)"}));
    EXPECT_TRUE(group->findChildren<QRadioButton*>()[0]->isChecked());
    group->findChildren<QRadioButton*>()[2]->click();
    EXPECT_EQ(dialog.findChild<QLineEdit*>("Edit1")->text(), "/home/u/walk.plt");
    EXPECT_EQ(model.format(), formats::SaveFormat::Plt);
    ASSERT_NE(dialog.findChild<QPushButton*>("Button1"), nullptr);
}

// The whole main menu and tool bar against the program's command map:
// captions, order, separators and shortcuts. Undo and Redo stand before Cut.
TEST_F(MainWindowTest, MainMenuAndToolBarFollowTheCommandMap) {
    Window w;
    const std::vector<std::pair<QString, QStringList>> expected = {
        {"&File", {"&Open...", "&Save as...", "&Close", "-", "&Logging", "-", "&Exit"}},
        {"&Edit", {"&Undo", "&Redo", "-", "&Cut", "C&opy", "&Paste", "-", "Select &all", "&Reverse track"}},
        {"&Communication", {"Port &closed", "Port &open", "&Settings"}},
        {"&Extra",
         {"&Gramin communication", "&Language", "&Registrer GPX Extension", "-",
          "&Export application text strings for translation", "&NMEA log file functions..."}},
        {"&Help", {"&Readme file", "&Pathkeep Homepage", "&Check for updates", "-", "About..."}},
    };
    QList<QAction*> top = w.window.menuBar()->actions();
    ASSERT_EQ(top.size(), static_cast<qsizetype>(expected.size()));
    for (size_t m = 0; m < expected.size(); ++m) {
        EXPECT_EQ(top[static_cast<qsizetype>(m)]->text(), expected[m].first);
        QStringList items;
        for (QAction* a : top[static_cast<qsizetype>(m)]->menu()->actions()) items << (a->isSeparator() ? "-" : a->text());
        EXPECT_EQ(items, expected[m].second) << expected[m].first.toStdString();
    }
    auto shortcut = [&](const char* name) {
        auto* a = w.window.findChild<QAction*>(name);
        return a ? a->shortcut().toString() : QString("missing");
    };
    EXPECT_EQ(shortcut("Knippen1"), "Ctrl+X");
    EXPECT_EQ(shortcut("Kopieren1"), "Ctrl+C");
    EXPECT_EQ(shortcut("Plakken1"), "Ctrl+V");
    EXPECT_EQ(shortcut("Allesselecteren1"), "Ctrl+A");

    QStringList bar;
    for (QAction* a : w.find<QToolBar>("ToolBar1")->actions()) bar << (a->isSeparator() ? "-" : a->toolTip());
    EXPECT_EQ(bar, QStringList({"-", "Open", "Save", "-", "Transmit to Garmin", "Receive from Garmin", "-",
                                "Calculate distance", "Show in Google Earth", "-"}));
}

// The converter on the "Conversie" page starts converted and converts back.
TEST_F(MainWindowTest, ConverterBlockOnTheConversionPage) {
    Window w;
    auto text = [&](const char* name) { return w.find<QLineEdit>(name)->text(); };
    EXPECT_EQ(text("Edit5"), "52.15");
    EXPECT_EQ(text("Edit9") + " " + text("Edit10") + " " + text("Edit11") + " " + text("Edit13"), "52 9 0 N");
    EXPECT_EQ(text("Edit16") + " " + text("Edit17"), "5 9");
    w.find<QLineEdit>("Edit12")->setText("W");
    w.find<QPushButton>("SpeedButton10")->click();
    EXPECT_EQ(text("Edit4"), "-5.15");
    w.find<QLineEdit>("Edit14")->setText("x");
    w.find<QPushButton>("SpeedButton11")->click();
    ASSERT_FALSE(w.host.fakePrompts.asked.empty());
    EXPECT_EQ(w.host.fakePrompts.asked.back().text, "'x' is not a valid integer value");

    // "Zend als RMC bericht": today, now, standing still; from Garmin mode
    // the channel switches to NMEA first.
    w.ws.channels->setProtocol("Garmin");
    ASSERT_TRUE(w.find<QPushButton>("Button4")->isEnabled());
    w.find<QPushButton>("Button4")->click();
    EXPECT_EQ(w.ws.channels->Protocol(), "NMEA");
    const std::string& logged = w.ws.log.lines().back();
    EXPECT_EQ(logged.rfind("User> $GPRMC,130509,A,5209.0000,N,00509.0000,W,0.0,", 0), 0u) << logged;
    EXPECT_NE(logged.find(",010508,0.9,W,A*"), std::string::npos) << logged;
    EXPECT_EQ(text("Edit18"), "52.15");
    EXPECT_EQ(text("Edit19"), "-5.15");
}

// The simulation page plays a track of the document, the reception page
// shows what it sends, and closing the port stops it.
TEST_F(MainWindowTest, SimulationPagePlaysAndThePortStopsIt) {
    Window w;
    auto& doc = w.ws.document;
    doc.NewTrack("Ride");
    doc.AddTrackpoint("52.5", "5.25", "", "39515.5");
    doc.AddTrackpoint("52.6", "5.25", "", "39515.6");
    doc.AddTrackpoint("52.7", "5.25", "", "39515.7");
    auto* tracks = w.find<QComboBox>("cbTracks");
    ASSERT_EQ(tracks->count(), 1);
    tracks->setCurrentIndex(-1);
    tracks->setCurrentIndex(0);
    w.find<QRadioButton>("RadioButton2")->click();
    w.find<QPushButton>("btPlayPoints")->click();
    host::FakeTimer* tx = w.host.fakeTimers.find("TxTimer");
    ASSERT_TRUE(tx && tx->running());
    tx->tick();
    const std::string& logged = w.ws.log.lines().back();
    EXPECT_EQ(logged.rfind("User> $GPRMC,120000,A,5230.0000,N,00515.0000,E,", 0), 0u) << logged;
    EXPECT_EQ(w.find<QLabel>("lbBreedte")->text(), QString("N 52\u00b0 30' 0000"));
    w.window.findChild<QAction*>("Gesloten1")->trigger();  // "Port closed"
    EXPECT_FALSE(tx->running());
    EXPECT_EQ(w.ws.simulation->track().status, "gestopt");
}

// "Maak NMEA bestand" on the simulation page writes the chosen track as a
// log with the block's speed and interval and shows what it wrote in Memo3.
TEST_F(MainWindowTest, MaakNmeaBestandWritesTheChosenTrack) {
    Window w;
    TempDir dir;
    auto& doc = w.ws.document;
    doc.NewTrack("Ride");
    for (const char* lat : {"52.5", "52.501", "52.502", "52.503"}) doc.AddTrackpoint(lat, "5.25", "", "39515.5");
    auto* tracks = w.find<QComboBox>("cbTracks");
    tracks->setCurrentIndex(-1);
    tracks->setCurrentIndex(0);
    w.find<QRadioButton>("RadioButton2")->click();  // "Original date/time": 12:00:00
    auto* button = w.find<QPushButton>("btMaakNMEA");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    w.find<QLineEdit>("Edit25")->setText("20");
    w.host.fakePrompts.paths.push_back(dir.file("ride"));
    button->click();
    std::string text = readFile(dir.file("ride.log"));
    EXPECT_EQ(text.rfind("$GPRMC,120000,A,5230.0000,N,00515.0000,E,0.0,", 0), 0u) << text.substr(0, 80);
    // Two segments of 111 m up to the last point but one, 20 m a sentence.
    QStringList memo = w.find<QPlainTextEdit>("Memo3")->toPlainText().split('\n');
    EXPECT_EQ(memo.size(), 13);
    EXPECT_TRUE(memo.last().startsWith("3 : $GPRMC,120012,A,5230.1200,N,")) << memo.last().toStdString();
    EXPECT_EQ(w.host.fakePrompts.asked.back().text, "OK");
}
