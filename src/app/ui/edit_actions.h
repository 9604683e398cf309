#pragma once
// The window's editing controls around the tree VST and the lists LV1 and
// LV2: the "&Edit" menu with its shortcuts (acting on whichever of the
// three has the focus), both context menus, the list editing panel with
// Edit2, "OK" and "Cancel", double click, Delete, header sorting and the
// toolbar's sum button. Everything it does goes through app::EditCommands.

#include <QObject>
#include <functional>
#include <vector>

#include "app/document_commands.h"
#include "app/edit_commands.h"
#include "app/waypoint_commands.h"

class QAction;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QTabWidget;
class QTreeView;
class QWidget;

namespace app::ui {

class EditActions : public QObject {
public:
    // The plot commands of the tree menu, in menu order (points, time/way,
    // time/height, time/speed).
    using PlotRunner = std::function<void(int command)>;

    EditActions(QMainWindow& window, Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints);
    ~EditActions() override;

    EditCommands& commands() { return commands_; }
    // Until a runner is given the four plot items stay disabled.
    void setPlotRunner(PlotRunner runner);

    QMenu* treeMenu() const { return treeMenu_; }
    QMenu* listMenu() const { return listMenu_; }
    QMenu* editMenu() const { return editMenu_; }
    // Opens a context menu as a right click would, without showing it when
    // `exec` is false (tests look at the enabled items).
    void prepareTreeMenu(QWidget* at, const QPoint& pos);
    void prepareListMenu(QTreeView* view);

    EditCommands::View focusedView() const;
    std::vector<size_t> selectedRows(EditCommands::View view) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildEditMenu();
    void buildTreeMenu();
    void buildListMenu();
    void buildListPanel();
    void wireViews();
    QTreeView* viewOf(EditCommands::View view) const;
    EditCommands::View listViewForCommand() const;
    void setEditing(bool editing);

    QMainWindow& window_;
    Workspace& ws_;
    DocumentCommands& documents_;
    WaypointCommands& waypoints_;
    EditCommands commands_;
    QTreeView* tree_ = nullptr;
    QTreeView* lv1_ = nullptr;
    QTreeView* lv2_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    QWidget* panel_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* treeMenu_ = nullptr;
    QMenu* listMenu_ = nullptr;
    QAction* saveTrack_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* moveClosest_ = nullptr;
    QAction* timeAsName_ = nullptr;
    QAction* copyToTree_ = nullptr;
    std::vector<QAction*> plotActions_;
    PlotRunner plot_;
    // The list the list menu was last opened over; None before it ever was.
    EditCommands::View menuView_ = EditCommands::View::None;
};

}  // namespace app::ui
