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
class QToolBar;
class QMainWindow;
class QMenu;
class QPushButton;
class QTabWidget;
class QTreeView;
class QWidget;

namespace plot::ui {
class PlotPage;
}

namespace app::ui {

// The controls of the main window the editing commands work on.
struct EditTargets {
    QTreeView* tree = nullptr;  // VST
    QTreeView* lv1 = nullptr;
    QTreeView* lv2 = nullptr;
    QTabWidget* pages = nullptr;  // PageControl1
    QLineEdit* edit2 = nullptr;
    QToolBar* toolBar = nullptr;
    QAction* google = nullptr;  // the sum button goes before it
    plot::ui::PlotPage* plotPage = nullptr;
};

class EditActions : public QObject {
public:
    EditActions(QMainWindow& window, const EditTargets& targets, Workspace& ws, DocumentCommands& documents,
                WaypointCommands& waypoints);
    ~EditActions() override;

    EditCommands& commands() { return commands_; }

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
    void wireViews(const EditTargets& targets);
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
    plot::ui::PlotPage* plotPage_ = nullptr;
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
    // The list the list menu was last opened over; None before it ever was.
    EditCommands::View menuView_ = EditCommands::View::None;
};

}  // namespace app::ui
