// Every command of the main menu, the tool bar and the three context menus,
// triggered the way a user triggers it in the real window on the demo
// document, with what the user then sees.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>

#include "app/ui/edit_actions.h"
#include "app/ui/main_window.h"
#include "real_window.h"

using walk::Answers;
using walk::RealWindow;

namespace {

const std::string kDemo = std::string(PATHKEEP_DATA_DIR) + "/demo.gpx";
const std::string kTestData = PATHKEEP_TEST_DATA_DIR;

int Page(RealWindow& w) { return w.find<QTabWidget>("PageControl1")->currentIndex(); }
int Rows(RealWindow& w, const char* list) { return w.find<QTreeView>(list)->model()->rowCount(); }
std::string Clipboard(RealWindow& w) { return w.host.clipboard().text(); }
std::string Slurp(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}
core::NodeId FirstTrack(RealWindow& w) { return w.child(w.doc().trackpoints(), 0); }
core::NodeId FirstWaypoint(RealWindow& w) { return w.child(w.doc().waypoints(), 0); }

// The pixels of Image1 that are neither white nor the page's background.
int Ink(RealWindow& w) {
    QImage image = w.find<QWidget>("Image1")->grab().toImage();
    int ink = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixelColor(x, y) != Qt::white) ++ink;
    return ink;
}

// Lists the first track in LV1, as "Edit list of points" does.
void ListFirstTrack(RealWindow& w) {
    w.treeMenu(FirstTrack(w), "mShowPoints");
    ASSERT_GT(Rows(w, "LV1"), 2);
}

// Selects a row of LV1 and presses Delete, as a user does.
void DeleteListedRow(RealWindow& w, int row) {
    auto* lv1 = w.find<QTreeView>("LV1");
    lv1->selectionModel()->select(lv1->model()->index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lv1->setFocus();
    QTest::keyClick(lv1, Qt::Key_Delete);
}

// Copies the demo's waypoints into LV2.
void FillWaypointList(RealWindow& w) {
    w.treeMenu(w.doc().waypoints(), "mAddToWaypoints");
    ASSERT_GT(Rows(w, "LV2"), 0);
}

void PlotRow(RealWindow& w, const char* item) {
    w.treeMenu(FirstTrack(w), item);
    EXPECT_EQ(Page(w), app::ui::MainWindow::kPlotPage);
    EXPECT_GT(Ink(w), 200) << "nothing drawn on Image1";
}

struct Row {
    const char* name;
    std::function<void(RealWindow&)> run;
};

const std::vector<Row>& Walk() {
    static const std::vector<Row> rows = {
        // --- File ---
        {"FileOpen", [](RealWindow& w) {
             w.answers.expect("file", Answers::choose(kTestData + "/gpx/basecamp.gpx"));
             w.menu("acOpenen");
             EXPECT_EQ(w.window->windowTitle().toStdString(), "Pathkeep - basecamp.gpx");
             EXPECT_GT(w.doc().childCount(w.doc().waypoints()), 0u);
         }},
        {"FileOpenCancelledKeepsTheDocument", [](RealWindow& w) {
             w.answers.expect("file", Answers::reject());
             w.menu("acOpenen");
             EXPECT_GT(w.doc().childCount(w.doc().trackpoints()), 0u);
         }},
        {"FileSaveAs", [](RealWindow& w) {
             std::string out = w.home.file("saved");
             w.answers.expect("TfmSave", [out](QWidget* d) {
                 d->findChild<QRadioButton*>("RadioFormat0")->click();
                 d->findChild<QLineEdit*>("Edit1")->setText(QString::fromStdString(out));
                 static_cast<QDialog*>(d)->accept();
             });
             w.menu("acOpslaan");
             EXPECT_NE(Slurp(out + ".gpx").find("<trkpt"), std::string::npos);
         }},
        {"FileClose", [](RealWindow& w) {
             w.menu("Sluiten1");
             EXPECT_EQ(w.doc().childCount(w.doc().trackpoints()), 0u);
             EXPECT_EQ(w.window->windowTitle(), "Pathkeep");
         }},
        {"FileLogging", [](RealWindow& w) {
             w.answers.expect("file", Answers::choose(w.home.file("trip.log")));
             w.menu("Startloggen1");
             EXPECT_TRUE(w.find<QAction>("Startloggen1")->isChecked());
             EXPECT_FALSE(w.find<QLabel>("StatusPanel1")->text().isEmpty());
             w.menu("Startloggen1");
             EXPECT_FALSE(w.find<QAction>("Startloggen1")->isChecked());
         }},
        {"FileExitAsksForAChangedDocument", [](RealWindow& w) {
             w.treeMenu(w.doc().trackpoints(), "mNewTrack");
             w.answers.expect("message", Answers::button(QMessageBox::No));
             w.menu("Afsluiten1");
             EXPECT_FALSE(w.window->isVisible());
         }},
        // --- Edit ---
        {"EditUndoRedoOfNewTrack", [](RealWindow& w) {
             uint32_t tracks = w.doc().childCount(w.doc().trackpoints());
             w.treeMenu(w.doc().trackpoints(), "mNewTrack");
             EXPECT_EQ(w.doc().childCount(w.doc().trackpoints()), tracks + 1);
             w.menu("Ongedaan1");
             EXPECT_EQ(w.doc().childCount(w.doc().trackpoints()), tracks);
             w.menu("Opnieuw1");
             EXPECT_EQ(w.doc().childCount(w.doc().trackpoints()), tracks + 1);
         }},
        {"EditUndoOfAListKeepsTheTreeOpenAndItsCount", [](RealWindow& w) {
             core::NodeId track = FirstTrack(w);
             auto* tree = w.find<QTreeView>("VST");
             tree->expand(w.window->treeModel()->indexOf(track));
             std::string count = w.doc().getText(w.doc().countLineOf(track));
             ListFirstTrack(w);
             DeleteListedRow(w, 1);
             QTest::mouseClick(w.find<QPushButton>("btOK"), Qt::LeftButton);
             EXPECT_NE(w.doc().getText(w.doc().countLineOf(track)), count);
             w.menu("Ongedaan1");
             EXPECT_EQ(w.doc().getText(w.doc().countLineOf(track)), count);
             EXPECT_TRUE(tree->isExpanded(w.window->treeModel()->indexOf(track)));
         }},
        {"EditCutCopyPasteOnTheTree", [](RealWindow& w) {
             uint32_t count = w.doc().childCount(w.doc().waypoints());
             w.doc().setFocused(FirstWaypoint(w));
             w.find<QTreeView>("VST")->setFocus();
             w.menu("Kopieren1");
             EXPECT_NE(Clipboard(w).find("<wpt"), std::string::npos);
             w.menu("Knippen1");
             EXPECT_EQ(w.doc().childCount(w.doc().waypoints()), count - 1);
             w.doc().setFocused(w.doc().waypoints());
             w.find<QTreeView>("VST")->setFocus();
             w.menu("Plakken1");
             EXPECT_EQ(w.doc().childCount(w.doc().waypoints()), count);
         }},
        {"EditSelectAllInAList", [](RealWindow& w) {
             FillWaypointList(w);
             w.find<QTreeView>("LV2")->setFocus();
             w.menu("Allesselecteren1");
             EXPECT_EQ(w.find<QTreeView>("LV2")->selectionModel()->selectedRows().size(), Rows(w, "LV2"));
         }},
        {"EditReverseTrackOfTheFocusedTrack", [](RealWindow& w) {
             core::NodeId segment = w.doc().segmentOf(FirstTrack(w));
             std::string first = w.doc().getText(w.doc().firstChild(w.doc().firstChild(segment)));
             w.doc().setFocused(FirstTrack(w));
             w.find<QTreeView>("VST")->setFocus();
             w.menu("Trackomkeren1");
             std::string now = w.doc().getText(w.doc().firstChild(w.doc().firstChild(segment)));
             EXPECT_NE(now, first) << w.logText().toStdString();
         }},
        // --- Communication ---
        {"CommunicationPortOpenAndClosed", [](RealWindow& w) {
             // The NMEA channel of this run's settings is a receiver on loopback.
             QTcpServer receiver;
             ASSERT_TRUE(receiver.listen(QHostAddress::LocalHost));
             w.ws->settings.channel2.socket = true;
             w.ws->settings.channel2.ipAddress = "127.0.0.1";
             w.ws->settings.channel2.ipPort = receiver.serverPort();
             w.ws->applyChannelSettings();
             w.menu("Openen2");
             EXPECT_TRUE(walk::waitFor([&] { return receiver.hasPendingConnections(); }));
             EXPECT_TRUE(w.find<QAction>("Openen2")->isChecked());
             w.menu("Gesloten1");
             EXPECT_TRUE(w.find<QAction>("Gesloten1")->isChecked());
             EXPECT_FALSE(w.find<QAction>("Openen2")->isChecked());
         }},
        {"CommunicationSettings", [](RealWindow& w) {
             w.answers.expect("TfmSettings", Answers::reject());
             w.menu("Instellingen2");
         }},
        // --- Extra ---
        {"ExtraGarminWindow", [](RealWindow& w) {
             w.menu("GarminCommunicatie");
             QWidget* garmin = w.window->findChild<QWidget*>("TGarminForm");
             ASSERT_NE(garmin, nullptr);
             EXPECT_TRUE(garmin->isVisible());
         }},
        {"ExtraLanguage", [](RealWindow& w) {
             w.menu("Language3");
             EXPECT_EQ(w.find<QMenu>("Bestand1")->title(), "&Datei");
             EXPECT_TRUE(w.find<QAction>("Language3")->isChecked());
             EXPECT_FALSE(w.find<QAction>("Language2")->isChecked());
             EXPECT_EQ(w.ws->settings.currentLanguage, 3);
         }},
        {"ExtraRegisterGpx", [](RealWindow& w) {
             w.answers.expect("message", Answers::ok());
             w.menu("GPXExtensiekoppelen1");
             EXPECT_NE(Slurp(w.ws->paths.mimeApps).find("application/gpx+xml"), std::string::npos)
                 << w.answers.shown.join("; ").toStdString();
         }},
        {"ExtraExportTexts", [](RealWindow& w) {
             w.answers.expect("message", Answers::ok());
             w.menu("ExportTextstrings1");
             EXPECT_NE(Slurp(w.ws->paths.translationExport).find("Menus;gb1;&File;"), std::string::npos);
         }},
        {"ExtraNmeaLogFile", [](RealWindow& w) {
             w.answers.expect("TfmNmeaLogFile", Answers::reject());
             w.menu("NMEAlogfile1");
         }},
        // --- Help ---
        {"HelpReadme", [](RealWindow& w) {
             w.menu("Readmefile1");
             ASSERT_EQ(w.host.shell_.opened.size(), 1u);
             EXPECT_EQ(w.host.shell_.opened[0], w.ws->paths.readme);
         }},
        {"HelpHomepage", [](RealWindow& w) {
             w.menu("PathkeepHomepage1");
             ASSERT_EQ(w.host.shell_.opened.size(), 1u);
             EXPECT_EQ(w.host.shell_.opened[0].rfind("http", 0), 0u);
         }},
        {"HelpCheckForUpdatesComparesNumbers", [](RealWindow& w) {
             std::string site = w.home.write("site.dat", "[General]\ncurrentversion=10.0\nreleasedate=1-1-2027\n");
             qputenv("PATHKEEP_UPDATE_URL", QUrl::fromLocalFile(QString::fromStdString(site)).toString().toUtf8());
             w.answers.expect("message", Answers::button(QMessageBox::Yes));  // "requires an internet connection"
             w.answers.expect("message", Answers::dismiss());
             w.menu("mCheckUpdates");
             qunsetenv("PATHKEEP_UPDATE_URL");
             ASSERT_EQ(w.answers.shown.size(), 2);
             EXPECT_TRUE(w.answers.shown[1].contains("10.0")) << w.answers.shown[1].toStdString();
         }},
        {"HelpAbout", [](RealWindow& w) {
             w.answers.expect("message", Answers::ok());
             w.menu("Info2");
             ASSERT_EQ(w.answers.shown.size(), 1);
             EXPECT_TRUE(w.answers.shown[0].contains(app::kVersion));
         }},
        // --- Tool bar ---
        {"ToolBarOpen", [](RealWindow& w) {
             w.answers.expect("file", Answers::choose(kTestData + "/plt/ozi1.plt"));
             w.toolButton("acOpenen");
             EXPECT_EQ(w.window->windowTitle().toStdString(), "Pathkeep - ozi1.plt");
         }},
        {"ToolBarSave", [](RealWindow& w) {
             w.answers.expect("TfmSave", Answers::reject());
             w.toolButton("acOpslaan");
         }},
        {"ToolBarTransmitToGarmin", [](RealWindow& w) {
             w.answers.expect("TfmCommDialog", Answers::reject());
             w.toolButton("acVerzenden");
         }},
        {"ToolBarReceiveFromGarmin", [](RealWindow& w) {
             w.answers.expect("TfmCommDialog", Answers::reject());
             w.toolButton("acOntvangen");
         }},
        {"ToolBarReceiveFromGarminThroughTheChannel", [](RealWindow& w) {
             // A receiver on the Garmin channel's socket, and an NMEA source
             // that was open before: the transfer borrows the channel.
             QProcess receiver;
             receiver.start(PATHKEEP_GARMIN_SIM, {"--tcp", "0", "--load", QString::fromStdString(kTestData + "/garmin/receiver.gpx")});
             ASSERT_TRUE(walk::waitFor([&] { return receiver.canReadLine(); }, 10000));
             int port = receiver.readLine().trimmed().toInt();
             QTcpServer nmea;
             ASSERT_TRUE(nmea.listen(QHostAddress::LocalHost));
             auto& s = w.ws->settings;
             s.channel1.socket = s.channel2.socket = true;
             s.channel1.ipAddress = s.channel2.ipAddress = "127.0.0.1";
             s.channel1.ipPort = port;
             s.channel2.ipPort = nmea.serverPort();
             w.ws->applyChannelSettings();
             w.menu("Openen2");
             ASSERT_TRUE(walk::waitFor([&] { return nmea.hasPendingConnections(); }));
             QTcpSocket* source = nmea.nextPendingConnection();  // kept open: the channel stays up
             uint32_t before = w.doc().childCount(w.doc().waypoints());
             w.answers.expect("TfmCommDialog", [](QWidget* d) {
                 d->findChild<QCheckBox*>("cbWaypoints")->setChecked(true);
                 d->findChild<QCheckBox*>("cbTrackpoints")->setChecked(false);
                 d->findChild<QCheckBox*>("cbRoutes")->setChecked(false);
                 static_cast<QDialog*>(d)->accept();
             });
             w.toolButton("acOntvangen");
             EXPECT_TRUE(walk::waitFor([&] { return w.doc().childCount(w.doc().waypoints()) > before; }, 30000))
                 << w.logText().toStdString();
             // Done, the channel is NMEA's again and its source reconnected.
             EXPECT_TRUE(walk::waitFor([&] { return w.ws->channels->Protocol() == "NMEA"; }, 15000));
             EXPECT_TRUE(walk::waitFor([&] { return nmea.hasPendingConnections(); }));
             EXPECT_TRUE(w.find<QAction>("Openen2")->isChecked());
             EXPECT_EQ(source->state(), QAbstractSocket::UnconnectedState);  // closed for the transfer
             receiver.terminate();
             receiver.waitForFinished();
         }},
        {"ToolBarCalculateDistance", [](RealWindow& w) {
             ListFirstTrack(w);
             w.answers.expect("message", Answers::ok());
             w.toolButton("btSum");
             ASSERT_EQ(w.answers.shown.size(), 1);
             EXPECT_TRUE(w.answers.shown[0].contains("km")) << w.answers.shown[0].toStdString();
         }},
        {"ToolBarGoogleEarth", [](RealWindow& w) {
             w.toolButton("btGoogle");
             ASSERT_EQ(w.host.shell_.opened.size(), 1u);
             EXPECT_NE(Slurp(w.host.shell_.opened[0]).find("<kml"), std::string::npos);
         }},
        // --- the tree's menu, on each kind of node ---
        {"TreeEditListOfATrack", [](RealWindow& w) {
             w.treeMenu(FirstTrack(w), "mShowPoints");
             EXPECT_EQ(Page(w), app::ui::MainWindow::kPointsPage);
             EXPECT_EQ(static_cast<uint32_t>(Rows(w, "LV1")), w.doc().childCount(w.doc().segmentOf(FirstTrack(w))));
             EXPECT_EQ(w.find<QLineEdit>("Edit2")->text().toStdString(), w.doc().nameOf(FirstTrack(w)));
         }},
        {"TreeEditListOfAllTracksAddsAllTracks", [](RealWindow& w) {
             uint32_t tracks = w.doc().childCount(w.doc().trackpoints());
             w.treeMenu(w.doc().trackpoints(), "mShowPoints");
             EXPECT_EQ(w.find<QLineEdit>("Edit2")->text(), "All Tracks");
             QTest::mouseClick(w.find<QPushButton>("btOK"), Qt::LeftButton);
             EXPECT_EQ(w.doc().childCount(w.doc().trackpoints()), tracks + 1);
             EXPECT_NE(w.childNamed(w.doc().trackpoints(), "trk (All Tracks)"), core::kNoNode);
         }},
        {"TreeEditListOfWaypointsAndARoute", [](RealWindow& w) {
             w.treeMenu(w.doc().waypoints(), "mShowPoints");
             EXPECT_EQ(static_cast<uint32_t>(Rows(w, "LV1")), w.doc().childCount(w.doc().waypoints()));
             QTest::mouseClick(w.find<QPushButton>("btCancel"), Qt::LeftButton);
             w.treeMenu(w.child(w.doc().routes(), 0), "mShowPoints");
             EXPECT_GT(Rows(w, "LV1"), 0);
         }},
        {"TreeEditPoint", [](RealWindow& w) {
             w.answers.expect("TPointEditor", Answers::reject());
             w.treeMenu(FirstWaypoint(w), "mEditPoint");
         }},
        {"TreeCutCopyPaste", [](RealWindow& w) {
             uint32_t count = w.doc().childCount(w.doc().waypoints());
             w.treeMenu(FirstWaypoint(w), "mCopy");
             EXPECT_NE(Clipboard(w).find("<wpt"), std::string::npos);
             w.treeMenu(w.doc().waypoints(), "mPaste");
             EXPECT_EQ(w.doc().childCount(w.doc().waypoints()), count + 1);
             w.treeMenu(FirstWaypoint(w), "mCut");
             EXPECT_EQ(w.doc().childCount(w.doc().waypoints()), count);
         }},
        {"TreeNewTrackAndRoute", [](RealWindow& w) {
             uint32_t tracks = w.doc().childCount(w.doc().trackpoints());
             uint32_t routes = w.doc().childCount(w.doc().routes());
             w.treeMenu(w.doc().trackpoints(), "mNewTrack");
             w.treeMenu(w.doc().routes(), "mNewRoute");
             EXPECT_EQ(w.doc().childCount(w.doc().trackpoints()), tracks + 1);
             EXPECT_EQ(w.doc().childCount(w.doc().routes()), routes + 1);
             EXPECT_TRUE(w.window->windowTitle().endsWith("*"));
         }},
        {"TreePlotPoints", [](RealWindow& w) { PlotRow(w, "mPlotPoints"); }},
        {"TreePlotTimeWay", [](RealWindow& w) { PlotRow(w, "mPlotTimeWay"); }},
        {"TreePlotTimeHeight", [](RealWindow& w) { PlotRow(w, "mPlotTimeHeight"); }},
        {"TreePlotTimeSpeed", [](RealWindow& w) { PlotRow(w, "mPlotTimeSpeed"); }},
        {"TreeAddToWaypoints", [](RealWindow& w) {
             int before = Rows(w, "LV2");
             w.treeMenu(FirstWaypoint(w), "mAddToWaypoints");
             EXPECT_EQ(Rows(w, "LV2"), before + 1);
         }},
        {"TreeSavePointsOfATrack", [](RealWindow& w) {
             std::string out = w.home.file("one-track");
             w.answers.expect("TfmSave", [out](QWidget* d) {
                 d->findChild<QRadioButton*>("RadioFormat2")->click();  // PLT
                 d->findChild<QLineEdit*>("Edit1")->setText(QString::fromStdString(out));
                 static_cast<QDialog*>(d)->accept();
             });
             w.treeMenu(FirstTrack(w), "mSaveTrack");
             EXPECT_NE(Slurp(out + ".plt").find("OziExplorer Track Point File"), std::string::npos);
         }},
        // --- the lists' menu ---
        {"ListEditRow", [](RealWindow& w) {
             ListFirstTrack(w);
             w.answers.expect("TPointEditor", Answers::reject());
             w.listMenu("LV1", 1, "Bewerken1");
         }},
        {"ListCutCopyPaste", [](RealWindow& w) {
             ListFirstTrack(w);
             int rows = Rows(w, "LV1");
             w.listMenu("LV1", 1, "Kopieren1");
             EXPECT_FALSE(Clipboard(w).empty());
             w.listMenu("LV1", 1, "Plakken1");
             EXPECT_EQ(Rows(w, "LV1"), rows + 1);
             w.listMenu("LV1", 1, "Knippen1");
             EXPECT_EQ(Rows(w, "LV1"), rows);
         }},
        {"ListSelectAll", [](RealWindow& w) {
             ListFirstTrack(w);
             w.listMenu("LV1", 0, "Allesselecteren1");
             EXPECT_EQ(w.find<QTreeView>("LV1")->selectionModel()->selectedRows().size(), Rows(w, "LV1"));
         }},
        {"ListCalculateDistance", [](RealWindow& w) {
             ListFirstTrack(w);
             w.answers.expect("message", Answers::ok());
             w.listMenu("LV1", 0, "Berekenafstand1");
             ASSERT_EQ(w.answers.shown.size(), 1);
             EXPECT_TRUE(w.answers.shown[0].contains("km"));
         }},
        {"ListMoveToClosestPoint", [](RealWindow& w) {
             ListFirstTrack(w);
             w.listMenu("LV1", 2, "Verplaatsnaardichtsbijzijnde1");
             EXPECT_TRUE(w.logText().size() > 0);
         }},
        {"ListUseTimeAsName", [](RealWindow& w) {
             ListFirstTrack(w);
             QAbstractItemModel* m = w.find<QTreeView>("LV1")->model();
             w.listMenu("LV1", 0, "Gebruiktijdalspuntnaam1");
             EXPECT_FALSE(m->index(0, core::kColName).data().toString().isEmpty());
             EXPECT_EQ(m->index(0, core::kColName).data().toString(),
                       m->index(0, core::kColTime).data().toString().remove(':'));
         }},
        {"ListCopyToTree", [](RealWindow& w) {
             FillWaypointList(w);
             uint32_t count = w.doc().childCount(w.doc().waypoints());
             w.listMenu("LV2", 0, "KopieerNaarBoom");
             EXPECT_EQ(w.doc().childCount(w.doc().waypoints()), count + 1);
         }},
    };
    return rows;
}

class CommandWalk : public ::testing::TestWithParam<size_t> {};

TEST_P(CommandWalk, DoesWhatItSays) {
    const Row& row = Walk()[GetParam()];
    RealWindow w(kDemo);
    row.run(w);
    QApplication::processEvents();
    EXPECT_TRUE(w.answers.unexpected.isEmpty()) << w.answers.unexpected.join("; ").toStdString();
    EXPECT_TRUE(w.answers.allUsed()) << "a dialog the command should show did not appear; shown: "
                                     << w.answers.shown.join("; ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Window, CommandWalk, ::testing::Range<size_t>(0, Walk().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return Walk()[info.param].name; });

// The statistics under the tree follow what the user looks at, with no
// command: a track clicked in the tree, the list of points while it is
// edited, a route (no times).
TEST(StatisticsPanel, FollowsTheFocusAndTheList) {
    RealWindow w(kDemo);
    auto shown = [&w](const char* label) { return w.find<QLabel>(label)->text().toStdString(); };
    auto* tree = w.find<QTreeView>("VST");
    tree->setCurrentIndex(w.window->treeModel()->indexOf(FirstTrack(w)));
    EXPECT_TRUE(walk::waitFor([&] { return shown("lbStatsPointsValue") == "240"; })) << shown("lbStatsPointsValue");
    EXPECT_NE(shown("lbStatsDurationValue"), "-");

    ListFirstTrack(w);
    DeleteListedRow(w, 1);
    EXPECT_TRUE(walk::waitFor([&] { return shown("lbStatsPointsValue") == "239"; })) << shown("lbStatsPointsValue");

    w.find<QTabWidget>("PageControl1")->setCurrentIndex(app::ui::MainWindow::kMessageLogPage);
    tree->setCurrentIndex(w.window->treeModel()->indexOf(w.child(w.doc().routes(), 0)));
    EXPECT_TRUE(walk::waitFor([&] { return shown("lbStatsPointsValue") == "4"; })) << shown("lbStatsPointsValue");
    EXPECT_EQ(shown("lbStatsDurationValue"), "-");
    EXPECT_EQ(shown("lbStatsSubject"), w.doc().getText(w.child(w.doc().routes(), 0)));
}

}  // namespace
