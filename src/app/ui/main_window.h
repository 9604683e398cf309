#pragma once
// TMainForm: the document tree on the left, the nine pages on the right,
// the status bar below. Shows workspace state and forwards user actions.

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "app/capture_commands.h"
#include "app/document_commands.h"
#include "app/nmea_file_commands.h"
#include "capture/desktop_factory.h"
#include "app/waypoint_commands.h"
#include "garmin/commands.h"
#include "garmin/transport.h"
#include "nmea/settings_model.h"
#include "app/workspace.h"

class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTreeView;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QToolBar;
class QMenu;
class QAction;
class QTimer;
class QSplitter;

namespace core::ui {
class TreeModel;
class ListModel;
}  // namespace core::ui

namespace nmea::ui {
class SimulationPage;
}
namespace plot::ui {
class PlotPage;
class TrackStatsPanel;
}  // namespace plot::ui

namespace garmin::ui {
class TGarminForm;
}

namespace map::ui {
class MapPage;
}

namespace host {
class QtHttpFetch;
}

namespace app {
struct LanguageTexts;
}

namespace capture {
class Desktop;
}

namespace capture::ui {
class TCaptureHint;
class TLocatorForm;
class DesktopEvents;
}  // namespace capture::ui

namespace app::ui {

class EditActions;

class MainWindow : public QMainWindow {
public:
    enum Page { kPointsPage, kWaypointsPage, kReceptionPage, kSimulationPage, kMessageLogPage, kConversionPage,
                kRoutePlannerPage, kPlotPage, kMapPage, kPageCount };

    explicit MainWindow(Workspace& ws, QWidget* parent = nullptr);
    ~MainWindow() override;

    core::ui::TreeModel* treeModel() const { return treeModel_; }
    DocumentCommands& commands() { return commands_; }
    WaypointCommands& waypointCommands() { return waypoints_; }
    NmeaFileCommands& nmeaFileCommands() { return nmeaFiles_; }
    EditActions& editActions() { return *editActions_; }

    // Start-up steps of the shown window; then the file named on the
    // command line, if any, is opened.
    void startUp(const std::string& startupFile);
    plot::ui::PlotPage* plotPage() const { return plotPage_; }
    nmea::ui::SimulationPage* simulationPage() const { return simulationPage_; }
    map::ui::MapPage* mapPage() const { return mapPage_; }

    // The desktop the route-planner captures work on; opened when first
    // needed. Tests put in their own before that.
    capture::Desktop& desktop();
    void setDesktop(std::unique_ptr<capture::Desktop> desktop);
    // "Start AutoRoute Capture".
    void Button22Click();
    capture::ui::TLocatorForm* locatorForm();
    // Sends one RMC sentence for a captured position (texts in the user's
    // decimal notation, longitude first). Tests put their own here; without
    // one the simulation sends it on the NMEA channel.
    std::function<void(const std::string& lon, const std::string& lat)> sendRmc;
    // The route planner page's Route 66 capture command, on desktop().
    CaptureCommands& captureCommands();
    // Puts the language last applied on a window made later (the capture window).
    void applyCurrentLanguage(QWidget* window) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPages();
    QWidget* buildListPage(const char* viewName, core::ui::ListModel* model, bool withNameField, QTreeView*& view);
    void buildStatusBar();
    void buildMenusAndToolBar();
    void connectWorkspace();
    void applyLanguage(const LanguageTexts& texts);
    void buildHelpAndLanguageMenus();
    QWidget* buildRoutePlannerPage();
    void comingLater(QAction* action, const char* objectName);
    void showTitle();
    void applyWindowSize();
    void keepExpansion();

    Workspace& ws_;
    DocumentCommands commands_;
    WaypointCommands waypoints_;
    NmeaFileCommands nmeaFiles_;
    QProgressBar* progress_ = nullptr;
    bool closing_ = false;
    QSplitter* splitter_ = nullptr;
    QTreeView* tree_ = nullptr;
    QTreeView* lv1_ = nullptr;
    QTreeView* lv2_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QAction* google_ = nullptr;
    QAction* logging_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QTimer* titleTimer_ = nullptr;
    size_t logDroppedShown_ = 0;  // the message log's dropped lines the page shows
    QPlainTextEdit* log_ = nullptr;
    nmea::ui::SimulationPage* simulationPage_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    nmea::CommunicationSettings communicationSettings_;
    // The Garmin window, made when first needed, and its channel.
    garmin::ui::TGarminForm* garminWindow();
    garmin::ui::TGarminForm* garminWindow_ = nullptr;
    garmin::CommDialogModel commDialog_;
    plot::ui::PlotPage* plotPage_ = nullptr;
    plot::ui::TrackStatsPanel* statsPanel_ = nullptr;
    // The map's tile requests; the page uses it until it goes.
    std::unique_ptr<host::QtHttpFetch> tileFetch_;
    map::ui::MapPage* mapPage_ = nullptr;
    QLineEdit* listName_ = nullptr;
    std::array<QLabel*, StatusLine::kPanels> panels_{};
    core::ui::TreeModel* treeModel_ = nullptr;
    core::ui::ListModel* pointModel_ = nullptr;
    core::ui::ListModel* waypointModel_ = nullptr;
    EditActions* editActions_ = nullptr;  // the Edit menu, context menus and list editing
    std::unique_ptr<capture::ui::TCaptureHint> locatorHint_;  // outlives the form that shows it
    std::unique_ptr<capture::Desktop> desktop_;
    capture::ui::DesktopEvents* desktopEvents_ = nullptr;
    std::unique_ptr<capture::ui::TLocatorForm> locatorForm_;
    std::vector<core::ScopedConnection> connections_;
    std::string startDirectory_;  // where the program started: the character tables' second home
    std::unique_ptr<CaptureCommands> captureCommands_;
    std::unique_ptr<LanguageTexts> language_;  // the last one applied  // goes before the desktop it works on
};

}  // namespace app::ui
