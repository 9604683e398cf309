#pragma once
// TMainForm: the document tree on the left, the eight pages on the right,
// the status bar below. Shows workspace state and forwards user actions.

#include <QMainWindow>
#include <array>
#include <memory>

#include "app/document_commands.h"
#include "app/nmea_file_commands.h"
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

namespace core::ui {
class TreeModel;
class ListModel;
}  // namespace core::ui

namespace nmea::ui {
class SimulationPage;
}
namespace plot::ui {
class PlotPage;
}

namespace garmin::ui {
class TGarminForm;
}

namespace app {
struct LanguageTexts;
}

namespace app::ui {

class EditActions;

class MainWindow : public QMainWindow {
public:
    enum Page { kPointsPage, kWaypointsPage, kReceptionPage, kSimulationPage, kMessageLogPage, kConversionPage,
                kRoutePlannerPage, kPlotPage, kPageCount };

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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPages();
    QWidget* buildListPage(const char* viewName, core::ui::ListModel* model, bool withNameField);
    void buildStatusBar();
    void buildMenusAndToolBar();
    void connectWorkspace();
    void applyLanguage(const LanguageTexts& texts);
    void buildHelpAndLanguageMenus();
    void comingLater(QAction* action, const char* objectName);

    Workspace& ws_;
    DocumentCommands commands_;
    WaypointCommands waypoints_;
    NmeaFileCommands nmeaFiles_;
    QProgressBar* progress_ = nullptr;
    bool closing_ = false;
    QTreeView* tree_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    nmea::ui::SimulationPage* simulationPage_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    nmea::CommunicationSettings communicationSettings_;
    // The Garmin window, made when first needed, and its channel.
    garmin::ui::TGarminForm* garminWindow();
    garmin::ui::TGarminForm* garminWindow_ = nullptr;
    std::unique_ptr<garmin::ByteTransport> garminTransport_;
    garmin::CommDialogModel commDialog_;
    plot::ui::PlotPage* plotPage_ = nullptr;
    QLineEdit* listName_ = nullptr;
    std::array<QLabel*, StatusLine::kPanels> panels_{};
    core::ui::TreeModel* treeModel_ = nullptr;
    core::ui::ListModel* pointModel_ = nullptr;
    core::ui::ListModel* waypointModel_ = nullptr;
    EditActions* editActions_ = nullptr;  // the Edit menu, context menus and list editing
    std::vector<core::ScopedConnection> connections_;
};

}  // namespace app::ui
