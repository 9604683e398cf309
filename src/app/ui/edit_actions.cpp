#include "app/ui/edit_actions.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/ui/tree_model.h"
#include "plot/ui/plot_page.h"

namespace app::ui {

using View = EditCommands::View;

namespace {

constexpr int kPointsPage = 0;
constexpr int kWaypointsPage = 1;

// Grid lines between the cells of a list view.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(210, 210, 210));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

QIcon sumIcon() {
    QPixmap pm(22, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.drawPolyline(QPolygonF({QPointF(16, 4), QPointF(5, 4), QPointF(11, 11), QPointF(5, 18), QPointF(16, 18)}));
    return QIcon(pm);
}

}  // namespace

EditActions::EditActions(QMainWindow& window, const EditTargets& targets, Workspace& ws, DocumentCommands& documents,
                         WaypointCommands& waypoints)
    : QObject(&window), window_(window), ws_(ws), documents_(documents), waypoints_(waypoints), commands_(ws),
      tree_(targets.tree), lv1_(targets.lv1), lv2_(targets.lv2), pages_(targets.pages), edit2_(targets.edit2),
      plotPage_(targets.plotPage) {
    commands_.showPage = [this](int page) {
        pages_->setCurrentIndex(page);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    buildListPanel();
    buildEditMenu();
    buildTreeMenu();
    buildListMenu();
    wireViews(targets);
    commands_.editingChanged.connect([this](bool editing) { setEditing(editing); });
}

EditActions::~EditActions() = default;

QTreeView* EditActions::viewOf(View view) const {
    switch (view) {
    case View::Tree: return tree_;
    case View::Points: return lv1_;
    case View::Waypoints: return lv2_;
    default: return nullptr;
    }
}

View EditActions::focusedView() const {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (w == tree_) return View::Tree;
        if (w == lv1_) return View::Points;
        if (w == lv2_) return View::Waypoints;
    }
    return View::None;
}

std::vector<size_t> EditActions::selectedRows(View view) const {
    std::vector<size_t> rows;
    QTreeView* v = viewOf(view);
    if (!v || view == View::Tree) return rows;
    for (const QItemSelectionRange& range : v->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(static_cast<size_t>(r));
    return rows;
}

View EditActions::listViewForCommand() const {
    if (menuView_ != View::None) return menuView_;
    if (pages_->currentIndex() == kPointsPage) return View::Points;
    if (pages_->currentIndex() == kWaypointsPage) return View::Waypoints;
    return View::None;
}

void EditActions::buildListPanel() {
    // Edit2 moves into the panel under LV1, which shows only while a list is edited.
    QWidget* page = lv1_->parentWidget();
    panel_ = new QWidget(page);
    panel_->setObjectName("Panel1");
    auto* row = new QHBoxLayout(panel_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edit2_, 1);
    auto* ok = new QPushButton("OK", panel_);
    ok->setObjectName("btOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", panel_);
    cancel->setObjectName("btCancel");
    row->addWidget(ok);
    row->addWidget(cancel);
    static_cast<QVBoxLayout*>(page->layout())->addWidget(panel_);
    panel_->hide();
    connect(ok, &QPushButton::clicked, this, [this] { commands_.btOKClick(edit2_->text().toStdString()); });
    connect(edit2_, &QLineEdit::returnPressed, this, [this] { commands_.btOKClick(edit2_->text().toStdString()); });
    connect(cancel, &QPushButton::clicked, this, [this] { commands_.btCancelClick(); });
}

void EditActions::setEditing(bool editing) {
    tree_->setEnabled(!editing);
    panel_->setVisible(editing);
    if (editing) lv1_->setFocus();
}

void EditActions::buildEditMenu() {
    QMenuBar* bar = window_.menuBar();
    editMenu_ = new QMenu("&Edit", &window_);
    editMenu_->setObjectName("Wijzigen1");
    // After the File menu, before whatever follows it.
    QList<QAction*> top = bar->actions();
    if (top.size() > 1)
        bar->insertMenu(top[1], editMenu_);
    else
        bar->addMenu(editMenu_);

    auto add = [this](const char* caption, const char* name, QKeySequence key, std::function<void()> fn) {
        QAction* a = editMenu_->addAction(caption, this, std::move(fn));
        a->setObjectName(name);
        if (!key.isEmpty()) a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        return a;
    };
    undo_ = add("&Undo", "Ongedaan1", QKeySequence::Undo, [this] { commands_.undo(); });
    redo_ = add("&Redo", "Opnieuw1", QKeySequence::Redo, [this] { commands_.redo(); });
    editMenu_->addSeparator();
    add("&Cut", "Knippen1", QKeySequence::Cut, [this] {
        View v = focusedView();
        commands_.Knippen1Click(v, selectedRows(v));
    });
    add("C&opy", "Kopieren1", QKeySequence::Copy, [this] {
        View v = focusedView();
        commands_.Kopieren1Click(v, selectedRows(v));
    });
    add("&Paste", "Plakken1", QKeySequence::Paste, [this] {
        View v = focusedView();
        commands_.Plakken1Click(v, selectedRows(v));
    });
    editMenu_->addSeparator();
    add("Select &all", "Allesselecteren1", QKeySequence::SelectAll, [this] {
        // The focused list; with none focused, the list the context menu
        // was last opened over, or the one on the page shown.
        View v = focusedView();
        if (v == View::Tree) return;
        if (v == View::None) v = listViewForCommand();
        if (QTreeView* view = viewOf(v)) view->selectAll();
    });
    add("&Reverse track", "Trackomkeren1", {}, [this] { commands_.Trackomkeren1Click(); });
    connect(editMenu_, &QMenu::aboutToShow, this, [this] {
        undo_->setEnabled(commands_.canUndo());
        redo_->setEnabled(commands_.canRedo());
    });
    // Shortcuts work only on enabled actions; the commands check for themselves.
    connect(editMenu_, &QMenu::aboutToHide, this, [this] {
        undo_->setEnabled(true);
        redo_->setEnabled(true);
    });
}

void EditActions::buildTreeMenu() {
    treeMenu_ = new QMenu(&window_);
    treeMenu_->setObjectName("PopupMenu1");
    auto add = [this](const char* caption, const char* name, std::function<void()> fn) {
        QAction* a = treeMenu_->addAction(caption, this, std::move(fn));
        a->setObjectName(name);
        return a;
    };
    add("Edit list of points", "mShowPoints", [this] { commands_.mShowPointsClick(); });
    add("Edit point", "mEditPoint", [this] { commands_.mEditPointClick(); });
    treeMenu_->addSeparator();
    add("Cut", "mCut", [this] { commands_.Knippen1Click(View::Tree, {}); })->setShortcut(QKeySequence::Cut);
    add("Copy", "mCopy", [this] { commands_.Kopieren1Click(View::Tree, {}); })->setShortcut(QKeySequence::Copy);
    add("Paste", "mPaste", [this] { commands_.Plakken1Click(View::Tree, {}); })->setShortcut(QKeySequence::Paste);
    treeMenu_->addSeparator();
    add("New track", "mNewTrack", [this] { commands_.mNewTrackClick(); });
    add("New route", "mNewRoute", [this] { commands_.mNewRouteClick(); });
    treeMenu_->addSeparator();
    const char* plots[] = {"Plot points", "Plot time/way diagram", "Plot time/height diagram",
                           "Plot time/speed diagram"};
    const char* names[] = {"mPlotPoints", "mPlotTimeWay", "mPlotTimeHeight", "mPlotTimeSpeed"};
    for (int i = 0; i < 4; ++i) {
        // The page shows itself and reports its own failures.
        add(plots[i], names[i], [this, i] {
            if (!ws_.busy()) (void)plotPage_->runCommand(static_cast<plot::ui::PlotPage::Command>(i));
        });
    }
    treeMenu_->addSeparator();
    add("Add to Waypoints", "mAddToWaypoints", [this] { waypoints_.mAddToWaypointsClick(); });
    saveTrack_ = add("Save points as...", "mSaveTrack", [this] {
        if (!ws_.busy()) documents_.mSaveTrackClick();
    });
}

void EditActions::prepareTreeMenu(QWidget* at, const QPoint& pos) {
    (void)at;
    QModelIndex index = tree_->indexAt(pos);
    if (index.isValid()) tree_->setCurrentIndex(index);
    core::Document& doc = ws_.document;
    core::NodeId node = doc.focused();
    bool noPoints = node == core::kNoNode || node == doc.routes() || doc.roleOf(node) == core::NodeRole::Metadata;
    saveTrack_->setEnabled(!noPoints);
}

void EditActions::buildListMenu() {
    listMenu_ = new QMenu(&window_);
    listMenu_->setObjectName("PopupMenu2");
    // The edit items carry the Edit menu's names: they share its captions in every language.
    auto add = [this](const char* caption, const char* name, std::function<void()> fn) {
        QAction* a = listMenu_->addAction(caption, this, std::move(fn));
        a->setObjectName(name);
        return a;
    };
    add("&Edit", "Bewerken1", [this] { commands_.PuntBewerken(menuView_, selectedRows(menuView_)); });
    listMenu_->addSeparator();
    add("&Cut", "Knippen1", [this] { commands_.Knippen1Click(menuView_, selectedRows(menuView_)); });
    add("C&opy", "Kopieren1", [this] { commands_.Kopieren1Click(menuView_, selectedRows(menuView_)); });
    add("&Paste", "Plakken1", [this] { commands_.Plakken1Click(menuView_, selectedRows(menuView_)); });
    add("Select &all", "Allesselecteren1", [this] {
        if (QTreeView* v = viewOf(listViewForCommand())) v->selectAll();
    });
    listMenu_->addSeparator();
    add("&Calculate distance", "Berekenafstand1", [this] { commands_.Berekenafstand1Click(menuView_); });
    moveClosest_ = add("&Move to closest point", "Verplaatsnaardichtsbijzijnde1",
                       [this] { commands_.Verplaatsnaardichtsbijzijnde1Click(menuView_, selectedRows(menuView_)); });
    timeAsName_ = add("&Use time as point name", "Gebruiktijdalspuntnaam1",
                      [this] { commands_.Gebruiktijdalspuntnaam1Click(menuView_); });
    listMenu_->addSeparator();
    copyToTree_ = add("C&opy to tree", "KopieerNaarBoom", [this] {
        waypoints_.KopieerNaarBoomClick(selectedRows(View::Waypoints));
    });
}

void EditActions::prepareListMenu(QTreeView* view) {
    menuView_ = view == lv1_ ? View::Points : View::Waypoints;
    bool overLv1 = menuView_ == View::Points;
    moveClosest_->setEnabled(overLv1);
    timeAsName_->setEnabled(overLv1);
    copyToTree_->setEnabled(!overLv1);
}

void EditActions::wireViews(const EditTargets& targets) {
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        prepareTreeMenu(tree_, pos);
        treeMenu_->exec(tree_->viewport()->mapToGlobal(pos));
    });
    for (QTreeView* view : {lv1_, lv2_}) {
        view->setItemDelegate(new GridDelegate(view));
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->installEventFilter(this);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
            prepareListMenu(view);
            listMenu_->exec(view->viewport()->mapToGlobal(pos));
        });
        View which = view == lv1_ ? View::Points : View::Waypoints;
        connect(view, &QAbstractItemView::doubleClicked, this, [this, which](const QModelIndex& index) {
            if (!index.isValid()) return;
            std::vector<size_t> rows = selectedRows(which);
            if (rows.empty()) rows.push_back(static_cast<size_t>(index.row()));
            commands_.PuntBewerken(which, rows);
        });
    }
    lv1_->header()->setSectionsClickable(false);
    lv2_->header()->setSectionsClickable(true);
    connect(lv2_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        commands_.LV2ColumnClick(section);
    });

    // The toolbar's sum button, just before the Google Earth button.
    if (QToolBar* bar = targets.toolBar) {
        auto* sum = new QAction(sumIcon(), "Calculate distance", &window_);
        sum->setObjectName("btSum");
        sum->setToolTip("Calculate distance");
        connect(sum, &QAction::triggered, this, [this] {
            int page = pages_->currentIndex();
            if (page == kPointsPage) commands_.Berekenafstand1Click(View::Points);
            if (page == kWaypointsPage) commands_.Berekenafstand1Click(View::Waypoints);
        });
        QAction* google = targets.google;
        if (google && bar->actions().contains(google)) {
            bar->insertAction(google, sum);
        } else {
            bar->addAction(sum);
        }
    }
}

bool EditActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier && !key->isAutoRepeat()) {
            View v = watched == lv1_ ? View::Points : View::Waypoints;
            commands_.PuntenVerwijderen(v, selectedRows(v));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace app::ui
