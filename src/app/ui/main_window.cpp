#include "app/ui/main_window.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/ui/list_model.h"
#include "core/ui/tree_model.h"

namespace app::ui {

namespace {

constexpr int kTreeWidth = 200;
constexpr int kSplitterWidth = 4;
constexpr std::array<int, StatusLine::kPanels> kPanelWidths = {100, 200, 200};

// English page captions; "NMEA ontvangst" keeps its Dutch name in the English set.
constexpr std::array<const char*, MainWindow::kPageCount> kPageCaptions = {
    "Points", "Waypoints", "NMEA ontvangst", "NMEA simulation", "Message log", "Conversion", "Route planner",
    "Plotting points"};

}  // namespace

MainWindow::MainWindow(Workspace& ws, QWidget* parent) : QMainWindow(parent), ws_(ws) {
    setObjectName("MainForm");
    setWindowTitle(kProgramName);
    resize(789, 510);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName("Splitter1");
    splitter->setHandleWidth(kSplitterWidth);
    splitter->setChildrenCollapsible(false);

    tree_ = new QTreeView(splitter);
    tree_->setObjectName("VST");
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);  // keeps million-point segments quick to scroll
    treeModel_ = new core::ui::TreeModel(ws_.document, this);
    tree_->setModel(treeModel_);

    pages_ = new QTabWidget(splitter);
    pages_->setObjectName("PageControl1");
    splitter->addWidget(tree_);
    splitter->addWidget(pages_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kTreeWidth, 789 - kTreeWidth - kSplitterWidth});
    setCentralWidget(splitter);

    buildPages();
    buildStatusBar();
    connectWorkspace();

    ws_.create();
    pages_->setCurrentIndex(kMessageLogPage);
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildListPage(const char* viewName, core::ui::ListModel* model, bool withNameField) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    if (withNameField) {
        listName_ = new QLineEdit(page);
        listName_->setObjectName("Edit2");
        layout->addWidget(listName_);
    }
    auto* view = new QTreeView(page);
    view->setObjectName(viewName);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setModel(model);
    for (int c = 0; c < core::kColumnCount; ++c) {
        int width = core::kListColumns[static_cast<size_t>(c)].width;
        if (width == 0)
            view->setColumnHidden(c, true);
        else
            view->setColumnWidth(c, width);
    }
    layout->addWidget(view);
    return page;
}

void MainWindow::buildPages() {
    pointModel_ = new core::ui::ListModel(ws_.pointRows, this);
    waypointModel_ = new core::ui::ListModel(ws_.waypointRows, this);
    std::array<QWidget*, kPageCount> pages{};
    pages[kPointsPage] = buildListPage("LV1", pointModel_, true);
    pages[kWaypointsPage] = buildListPage("LV2", waypointModel_, false);

    auto* logPage = new QWidget;
    auto* logLayout = new QVBoxLayout(logPage);
    logLayout->setContentsMargins(2, 2, 2, 2);
    log_ = new QPlainTextEdit(logPage);
    log_->setObjectName("mBerichtenlog");
    log_->setReadOnly(true);
    log_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    logLayout->addWidget(log_);
    pages[kMessageLogPage] = logPage;

    auto* simPage = new QWidget;
    auto* simLayout = new QVBoxLayout(simPage);
    trackChoice_ = new QComboBox(simPage);
    trackChoice_->setObjectName("cbTracks");
    simLayout->addWidget(trackChoice_);
    simLayout->addStretch();
    pages[kSimulationPage] = simPage;

    for (int i = 0; i < kPageCount; ++i) {
        QWidget* page = pages[static_cast<size_t>(i)] ? pages[static_cast<size_t>(i)] : new QWidget;
        page->setObjectName(QString("TabSheet%1").arg(i + 1));
        pages_->addTab(page, kPageCaptions[static_cast<size_t>(i)]);
    }
}

void MainWindow::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName("StatusBar1");
    for (int i = 0; i < StatusLine::kPanels; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString("StatusPanel%1").arg(i));
        label->setFixedWidth(kPanelWidths[static_cast<size_t>(i)]);
        label->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(label);
        panels_[static_cast<size_t>(i)] = label;
    }
    setStatusBar(bar);
}

void MainWindow::connectWorkspace() {
    connections_.push_back(ws_.log.lineAdded.scoped(
        [this](const std::string& line) { log_->appendPlainText(QString::fromStdString(line)); }));
    connections_.push_back(ws_.log.cleared.scoped([this] { log_->clear(); }));
    connections_.push_back(ws_.statusLine.changed.scoped([this](int panel, const std::string& text) {
        QLabel* label = panels_.at(static_cast<size_t>(panel));
        label->setText(QString::fromStdString(text));
        label->repaint();
    }));
    connections_.push_back(ws_.document.cbTracks.changed.scoped([this] { syncTrackChoices(); }));
    connections_.push_back(ws_.listNameChanged.scoped(
        [this](const std::string& name) {
            listName_->setText(QString::fromStdString(name));
            listName_->repaint();
        }));

    // The focused node is the document's; the view follows it and reports clicks.
    connections_.push_back(ws_.document.focusChanged.scoped([this](core::NodeId node) {
        QModelIndex i = treeModel_->indexOf(node);
        if (i != tree_->currentIndex()) tree_->setCurrentIndex(i);
    }));
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                core::NodeId n = treeModel_->nodeOf(current);
                ws_.document.setFocused(current.isValid() ? n : core::kNoNode);
            });
}

void MainWindow::syncTrackChoices() {
    const auto& choices = ws_.document.cbTracks;
    QSignalBlocker block(trackChoice_);
    trackChoice_->clear();
    for (const auto& item : choices.items) trackChoice_->addItem(QString::fromStdString(item));
    trackChoice_->setCurrentIndex(choices.selected);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) ws_.document.cancelRequested = true;
    QMainWindow::keyPressEvent(event);
}

}  // namespace app::ui
