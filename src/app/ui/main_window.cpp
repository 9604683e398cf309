#include "app/ui/main_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDir>
#include <QComboBox>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QTabBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/ui/list_model.h"
#include "core/ui/tree_model.h"
#include "app/install.h"
#include "app/lifecycle.h"
#include "app/ui/language_apply.h"
#include "host/qt/qt_http.h"
#include "garmin/ui/garmin_window.h"
#include "nmea/ui/converter_block.h"
#include "nmea/ui/reception_page.h"
#include "nmea/ui/simulation_page.h"
#include "core/fn.h"
#include "core/ui/list_view.h"
#include "map/ui/map_page.h"
#include "plot/ui/plot_page.h"
#include "plot/ui/track_stats_panel.h"
#include "app/ui/edit_actions.h"
#include "capture/autoroute_capture.h"
#include "capture/desktop_factory.h"
#include "capture/ui/capture_hint.h"
#include "capture/ui/desktop_events.h"
#include "capture/ui/locator_form.h"
#include "capture/ui/route_planner_page.h"

namespace app::ui {

namespace {

constexpr int kTreeWidth = 260;  // wide enough for "trk (" and a track's name
constexpr int kWindowHeight = 680;
constexpr int kSplitterWidth = 4;
constexpr std::array<int, StatusLine::kPanels> kPanelWidths = {100, 200, 200};

// English page captions; "NMEA ontvangst" keeps its Dutch name in the English set.
constexpr std::array<const char*, MainWindow::kPageCount> kPageCaptions = {
    "Points", "Waypoints", "NMEA ontvangst", "NMEA simulation", "Message log", "Conversion", "Route planner",
    "Plotting points", "Map"};

}  // namespace

MainWindow::MainWindow(Workspace& ws, QWidget* parent)
    : QMainWindow(parent), ws_(ws), commands_(ws), waypoints_(ws), nmeaFiles_(ws),
      startDirectory_(QDir::currentPath().toStdString()) {
    setObjectName("MainForm");
    setWindowTitle(kProgramName);
    resize(789, 510);

    auto* splitter = splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName("Splitter1");
    splitter->setHandleWidth(kSplitterWidth);
    splitter->setChildrenCollapsible(false);

    // The tree above, the statistics of what it has in focus below.
    auto* left = new QSplitter(Qt::Vertical, splitter);
    left->setObjectName("spTreeStats");
    left->setHandleWidth(kSplitterWidth);
    tree_ = new QTreeView(left);
    tree_->setObjectName("VST");
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);  // keeps million-point segments quick to scroll
    treeModel_ = new core::ui::TreeModel(ws_.document, this);
    tree_->setModel(treeModel_);
    auto* statsScroll = new QScrollArea(left);
    statsScroll->setWidgetResizable(true);
    statsScroll->setFrameShape(QFrame::NoFrame);
    statsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statsPanel_ = new plot::ui::TrackStatsPanel(ws_, statsScroll);
    statsScroll->setWidget(statsPanel_);
    left->addWidget(tree_);
    left->addWidget(statsScroll);
    left->setStretchFactor(0, 1);

    pages_ = new QTabWidget(splitter);
    pages_->setObjectName("PageControl1");
    connect(pages_, &QTabWidget::currentChanged, this,
            [this](int page) { statsPanel_->setListInView(page == kPointsPage); });
    splitter->addWidget(left);
    splitter->addWidget(pages_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kTreeWidth, 789 - kTreeWidth - kSplitterWidth});
    setCentralWidget(splitter);

    ws_.openChannels();
    buildPages();
    buildStatusBar();
    buildMenusAndToolBar();
    EditTargets targets{tree_, lv1_, lv2_, pages_, listName_, toolBar_, google_, plotPage_};
    editActions_ = new EditActions(*this, targets, ws_, commands_, waypoints_);
    connectWorkspace();

    ws_.create();
    pages_->setCurrentIndex(kMessageLogPage);
}

MainWindow::~MainWindow() {
    // The capture window uses the desktop: it goes first.
    locatorForm_.reset();
    delete desktopEvents_;
    // The map's requests are cancelled through the fetcher, which goes with the members.
    delete mapPage_;
}

void MainWindow::applyCurrentLanguage(QWidget* window) const {
    if (language_) ApplyLanguage(window, *language_);
}

CaptureCommands& MainWindow::captureCommands() {
    if (!captureCommands_) captureCommands_ = std::make_unique<CaptureCommands>(ws_, desktop(), startDirectory_);
    return *captureCommands_;
}

QWidget* MainWindow::buildListPage(const char* viewName, core::ui::ListModel* model, bool withNameField,
                                   QTreeView*& view) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    if (withNameField) {
        listName_ = new QLineEdit(page);
        listName_->setObjectName("Edit2");
        layout->addWidget(listName_);
    }
    view = new core::ui::ListView(page);
    view->setObjectName(viewName);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setModel(model);
    // Wide enough for the longest value a column usually holds and for its
    // caption: a seven-digit number, a full date, a negative altitude.
    const std::string date = ws_.host.locale().formatShortDate(2026, 12, 31);
    const std::array<QString, core::kColumnCount> samples = {
        "8888888", "-88.8888888", "-188.8888888", "-8888.8", "", QString::fromStdString(date), "88:88:88",
        "", "Flag, Green", "", ""};
    QFontMetrics metrics(view->font());
    for (int c = 0; c < core::kColumnCount; ++c) {
        int width = core::kListColumns[static_cast<size_t>(c)].width;
        if (width == 0) {
            view->setColumnHidden(c, true);
            continue;
        }
        QString caption = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        int needed = std::max(metrics.horizontalAdvance(samples[static_cast<size_t>(c)]),
                              metrics.horizontalAdvance(caption)) + 16;
        view->setColumnWidth(c, std::max(width, needed));
    }
    layout->addWidget(view);
    return page;
}

void MainWindow::buildPages() {
    pointModel_ = new core::ui::ListModel(ws_.pointRows, this);
    waypointModel_ = new core::ui::ListModel(ws_.waypointRows, this);
    std::array<QWidget*, kPageCount> pages{};
    pages[kPointsPage] = buildListPage("LV1", pointModel_, true, lv1_);
    pages[kWaypointsPage] = buildListPage("LV2", waypointModel_, false, lv2_);

    auto* logPage = new QWidget;
    auto* logLayout = new QVBoxLayout(logPage);
    logLayout->setContentsMargins(2, 2, 2, 2);
    log_ = new QPlainTextEdit(logPage);
    log_->setObjectName("mBerichtenlog");
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(static_cast<int>(MessageLog::kMaxLines) + 1);
    log_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    logLayout->addWidget(log_);
    pages[kMessageLogPage] = logPage;

    simulationPage_ = new nmea::ui::SimulationPage(*ws_.simulation, ws_.document.cbTracks);
    // Wider than a small window: it scrolls, the tree keeps its width.
    auto* simulationScroll = new QScrollArea;
    simulationScroll->setWidget(simulationPage_);
    simulationScroll->setWidgetResizable(true);
    simulationScroll->setFrameShape(QFrame::NoFrame);
    pages[kSimulationPage] = simulationScroll;
    // "Maak NMEA bestand": the chosen track becomes the simulation's, then
    // the file is made along it at the block's speed and interval.
    simulationPage_->setMaakNmeaHandler([this] {
        if (ws_.busy()) return;
        nmea::Simulation& sim = *ws_.simulation;
        NmeaFileForm form{sim.trackName(), simulationPage_->Edit25()->text().toStdString(),
                          simulationPage_->Edit26()->text().toStdString(), sim.timeOption(), sim.meDate(),
                          sim.meTime()};
        if (!form.track.empty()) sim.cbTracksChange(form.track);
        QPlainTextEdit* memo = simulationPage_->Memo3();
        (void)nmeaFiles_.btMaakNMEAClick(form, sim.builder(),
                                   {[memo] { memo->clear(); },
                                    [memo](const std::string& line) { memo->appendPlainText(QString::fromStdString(line)); }});
    });

    auto* conversionPage = new QWidget;
    auto* conversionLayout = new QVBoxLayout(conversionPage);
    auto* routeButton = new QPushButton("Ozi Route file (rte) ==> EasyGPS file (gpx)", conversionPage);
    routeButton->setObjectName("Button6");
    connect(routeButton, &QPushButton::clicked, this, [this] {
        if (!ws_.busy()) commands_.ConvertRouteFileClick();
    });
    auto* converter = new nmea::ui::ConverterBlock(
        ws_.host.locale().decimalSeparator(),
        [this](const std::string& error) { ws_.host.prompts().show(error, host::Severity::Error); }, conversionPage);
    converter->sendButton()->setEnabled(true);
    connect(converter->sendButton(), &QPushButton::clicked, this, [this, converter] {
        // "Zend als RMC bericht": the position as it stands, now, standing still.
        const host::Clock& clock = ws_.host.clock();
        nmea::RmcResult r = ws_.simulation->VerzendRMC(converter->decimalLongitude(), converter->decimalLatitude(),
                                                       core::TodayText(clock), core::NowText(clock), "0.0");
        if (!r.ok) ws_.host.prompts().show(r.error, host::Severity::Error);
    });
    conversionLayout->addWidget(converter);
    conversionLayout->addWidget(routeButton, 0, Qt::AlignLeft);
    conversionLayout->addStretch();
    // The converter is wider than a small window: it scrolls, the tree keeps its width.
    auto* conversionScroll = new QScrollArea;
    conversionScroll->setWidget(conversionPage);
    conversionScroll->setWidgetResizable(true);
    conversionScroll->setFrameShape(QFrame::NoFrame);
    pages[kConversionPage] = conversionScroll;

    pages[kReceptionPage] = new nmea::ui::ReceptionPage(ws_.display, *ws_.channels);

    pages[kRoutePlannerPage] = buildRoutePlannerPage();

    plotPage_ = new plot::ui::PlotPage(ws_);
    plotPage_->showPage = [this] { pages_->setCurrentIndex(kPlotPage); };
    plotPage_->setCompas(simulationPage_->compas(), simulationPage_->compasBackground());
    pages[kPlotPage] = plotPage_;

    tileFetch_ = std::make_unique<host::QtHttpFetch>();
    mapPage_ = new map::ui::MapPage(ws_, *tileFetch_);
    mapPage_->setListSelections(lv1_->selectionModel(), lv2_->selectionModel());
    pages[kMapPage] = mapPage_;

    for (int i = 0; i < kPageCount; ++i) {
        QWidget* page = pages[static_cast<size_t>(i)] ? pages[static_cast<size_t>(i)] : new QWidget;
        page->setObjectName(QString("TabSheet%1").arg(i + 1));
        pages_->addTab(page, kPageCaptions[static_cast<size_t>(i)]);
    }
}

QWidget* MainWindow::buildRoutePlannerPage() {
    auto* page = new capture::ui::RoutePlannerPage;
    connect(page->route66Button(), &QPushButton::clicked, this, [this] {
        captureCommands().Button11Click([this](bool visible) { setVisible(visible); });
    });
    connect(page->autoRouteButton(), &QPushButton::clicked, this, [this] { Button22Click(); });
    return page;
}

capture::Desktop& MainWindow::desktop() {
    if (!desktop_) setDesktop(capture::OpenDesktop());
    return *desktop_;
}

void MainWindow::setDesktop(std::unique_ptr<capture::Desktop> desktop) {
    captureCommands_.reset();
    locatorForm_.reset();
    delete desktopEvents_;
    desktop_ = std::move(desktop);
    desktopEvents_ = new capture::ui::DesktopEvents(*desktop_, this);
}

capture::ui::TLocatorForm* MainWindow::locatorForm() {
    if (locatorForm_) return locatorForm_.get();
    // The window brings itself to the foreground (foregroundSelf left empty).
    capture::AutoRouteEnv env{
        desktop(),
        ws_.host.timers(),
        ws_.host.prompts(),
        ws_.host.eventPump(),
        ws_.host.locale(),
        [this](int n) { return ws_.message(n); },
        pointModel_->headerData(core::kColName, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(),
        [this](const std::string& lon, const std::string& lat) {
            if (sendRmc) {
                sendRmc(lon, lat);
                return;
            }
            // A planner position carries no time: date and time go out empty.
            nmea::RmcResult r = ws_.simulation->VerzendRMC(lon, lat, "", "", "0.0");
            if (!r.ok) ws_.report("AutoRoute position not sent: " + r.error);
        },
        [this] { ws_.channels->StopCommunication1(); },
        nullptr};
    locatorForm_ = std::make_unique<capture::ui::TLocatorForm>(std::move(env));
    if (!locatorHint_) locatorHint_ = std::make_unique<capture::ui::TCaptureHint>();
    capture::ScreenRect work = desktop().workArea();
    locatorHint_->prepare(QString::fromStdString(ws_.message(28)),
                          QRect(work.left, work.top, work.width(), work.height()));
    locatorForm_->setCaptureHint(locatorHint_.get());
    applyCurrentLanguage(locatorForm_.get());
    return locatorForm_.get();
}

void MainWindow::Button22Click() {
    if (ws_.busy()) return;
    ws_.report("Start AutoRoute capture");
    capture::Desktop& d = desktop();
    if (!d.available()) {
        ws_.report("AutoRoute capture: " + d.unavailableReason());
        ws_.host.prompts().show("AutoRoute capture needs the desktop's windows.\r" + d.unavailableReason(),
                                host::Severity::Error);
        return;
    }
    capture::ui::TLocatorForm* form = locatorForm();
    hide();
    form->exec();
    show();
    capture::AddCapturedLines(ws_.document, form->capture().lines);
    {
        Operations::Scope scope(ws_.operations);
        core::PointLoader loader = ws_.loader(&scope.operation());
        plot::DetermineBounds(ws_.plot, ws_.document, loader, ws_.points,
                              [this](const std::string& s) { ws_.report(s); });
    }
    ws_.document.plotMode = 0;
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
    progress_ = new QProgressBar(bar);
    progress_->setObjectName("ProgressBar1");
    progress_->setRange(0, 1000);
    progress_->setMaximumWidth(200);
    progress_->hide();
    bar->addWidget(progress_);
    setStatusBar(bar);
}

namespace {

// A small globe for the Google Earth button.
QIcon globeIcon() {
    QPixmap pm(22, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 70, 150), 1.5));
    p.setBrush(QColor(120, 180, 240));
    p.drawEllipse(QRectF(2, 2, 18, 18));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(7, 2, 8, 18));
    p.drawLine(QPointF(2, 11), QPointF(20, 11));
    return QIcon(pm);
}

}  // namespace

// Commands of subsystems still to come: in their place, greyed out.
void MainWindow::comingLater(QAction* action, const char* objectName) {
    action->setObjectName(objectName);
    action->setToolTip(action->text());
    action->setEnabled(false);
}

void MainWindow::buildHelpAndLanguageMenus() {
    QMenu* communication = menuBar()->addMenu("&Communication");
    communication->setObjectName("Communicatie1");
    QAction* closed = communication->addAction("Port &closed", this, [this] { ws_.channels->StopCommunication1(); });
    closed->setObjectName("Gesloten1");
    QAction* opened = communication->addAction("Port &open", this, [this] { ws_.channels->StartCommunication1(); });
    opened->setObjectName("Openen2");
    for (QAction* a : {closed, opened}) a->setCheckable(true);
    communication->addAction("&Settings", this, [this] {
        communicationSettings_.Instellingen2Click(*ws_.channels, ws_.host.prompts());
    })->setObjectName("Instellingen2");
    // The check marks follow the channel, whoever changed it.
    auto showChannel = [this, closed, opened] {
        const nmea::ChannelIndicators& i = ws_.channels->indicators();
        opened->setChecked(i.portOpenChecked);
        closed->setChecked(i.portClosedChecked);
        if (logging_) logging_->setChecked(i.loggingChecked);
    };
    connections_.push_back(ws_.channels->indicatorsChanged.scoped(showChannel));
    showChannel();

    QMenu* extra = menuBar()->addMenu("&Extra");
    extra->setObjectName("Extra1");
    extra->addAction("&Gramin communication", this, [this] {
        garmin::ui::TGarminForm* form = garminWindow();
        form->show();
        form->raise();
    })->setObjectName("GarminCommunicatie");
    languageMenu_ = extra->addMenu("&Language");
    languageMenu_->setObjectName("Taal1");
    IniFile product = IniFile::load(ws_.paths.productSettings);
    FillLanguageMenu(languageMenu_, LanguageMenu(product), [this](int position) {
        LanguageTexts texts = SelecteerTaal(ws_.paths.productSettings, position, ws_.settings.currentLanguage,
                                            ws_.messages, ws_.log);
        applyLanguage(texts);
    });
    extra->addAction("&Registrer GPX Extension", this, [this] {
        (void)GPXExtensiekoppelen1Click(ws_.paths, QCoreApplication::applicationFilePath().toStdString(),
                                        ws_.host.prompts());
    })->setObjectName("GPXExtensiekoppelen1");
    extra->addSeparator();
    extra->addAction("&Export application text strings for translation", this, [this] {
        (void)ExportTextstrings1Click(ws_.paths.productSettings, ws_.paths.translationExport, ws_.host.prompts(),
                                      ws_.log);
    })->setObjectName("ExportTextstrings1");
    extra->addAction("&NMEA log file functions...", this, [this] { nmeaFiles_.NMEAlogfile1Click(); })
        ->setObjectName("NMEAlogfile1");

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    help->addAction("&Readme file", this, [this] { Readmefile1Click(ws_.paths.readme, ws_.host.shell()); })
        ->setObjectName("Readmefile1");
    help->addAction("&Pathkeep Homepage", this, [this] { PathkeepHomepage1Click(ws_.host.shell()); })
        ->setObjectName("PathkeepHomepage1");
    help->addAction("&Check for updates", this, [this] {
        host::QtHttp http;
        (void)mCheckUpdatesClick(http, ws_.host.prompts(), ws_.messages, ws_.log, UpdateUrl(), ws_.paths.versionFile);
    })->setObjectName("mCheckUpdates");
    help->addSeparator();
    help->addAction("About...", this, [this] { Info2Click(ws_.messages, ws_.host.prompts()); })
        ->setObjectName("Info2");
}

void MainWindow::buildMenusAndToolBar() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("Bestand1");
    QAction* open = file->addAction("&Open...", this, [this] { commands_.acOpenenExecute(); });
    open->setObjectName("acOpenen");
    open->setShortcut(QKeySequence::Open);
    open->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    open->setToolTip("Open");
    QAction* save = file->addAction("&Save as...", this, [this] { commands_.acOpslaanExecute(); });
    save->setObjectName("acOpslaan");
    save->setShortcut(QKeySequence::Save);
    save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    save->setToolTip("Save");
    file->addAction("&Close", this, [this] {
        if (!ws_.busy()) commands_.Sluiten1Click();
    })->setObjectName("Sluiten1");
    file->addSeparator();
    logging_ = file->addAction("&Logging", this, [this] { ws_.channels->Startloggen1Click(ws_.host.prompts()); });
    logging_->setObjectName("Startloggen1");
    logging_->setCheckable(true);
    file->addSeparator();
    QAction* exit = file->addAction("&Exit", this, [this] { close(); });
    exit->setObjectName("Afsluiten1");
    exit->setShortcut(QKeySequence::Quit);

    buildHelpAndLanguageMenus();

    google_ = new QAction(globeIcon(), "Show in Google Earth", this);
    google_->setObjectName("btGoogle");
    google_->setToolTip("Show in Google Earth");
    connect(google_, &QAction::triggered, this, [this] { commands_.btGoogleClick(); });

    auto* bar = toolBar_ = addToolBar("ToolBar1");
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    bar->addSeparator();
    bar->addAction(open);
    bar->addAction(save);
    bar->addSeparator();
    QAction* transmit = bar->addAction(style()->standardIcon(QStyle::SP_ArrowUp), "Transmit to Garmin", this, [this] {
        (void)garmin::acVerzendenExecute(ws_.host.prompts(), commDialog_, ws_.message(46), garminWindow()->session());
    });
    transmit->setObjectName("acVerzenden");
    transmit->setToolTip("Transmit to Garmin");
    QAction* receive = bar->addAction(style()->standardIcon(QStyle::SP_ArrowDown), "Receive from Garmin", this, [this] {
        (void)garmin::acOntvangenExecute(ws_.host.prompts(), commDialog_, ws_.message(47), garminWindow()->session());
    });
    receive->setObjectName("acOntvangen");
    receive->setToolTip("Receive from Garmin");
    bar->addSeparator();
    bar->addAction(google_);
    bar->addSeparator();

    // Escape stops long work over points, whichever control has the focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { ws_.operations.requestCancel(); });
}

// The size it had when it last closed, or one that shows every page's tab
// in the language chosen; never more than the screen.
void MainWindow::applyWindowSize() {
    const UserSettings& s = ws_.settings;
    int tree = s.treeWidth > 0 ? s.treeWidth : kTreeWidth;
    QSize size(s.windowWidth, s.windowHeight);
    if (size.width() <= 0 || size.height() <= 0)
        size = QSize(tree + kSplitterWidth + pages_->tabBar()->sizeHint().width() + 24, kWindowHeight);
    if (QScreen* shown = screen()) size = size.boundedTo(shown->availableGeometry().size());
    size = size.expandedTo(QSize(480, 320));
    resize(size);
    splitter_->setSizes({tree, std::max(100, size.width() - tree - kSplitterWidth)});
}

void MainWindow::startUp(const std::string& startupFile) {
    StartUpSteps steps;
    steps.startupFile = startupFile;
    steps.executablePath = QCoreApplication::applicationFilePath().toStdString();
    steps.applyLanguage = [this](const LanguageTexts& texts) { applyLanguage(texts); };
    StartUp(ws_, commands_, waypoints_, steps);
    applyWindowSize();
}

garmin::ui::TGarminForm* MainWindow::garminWindow() {
    if (garminWindow_) return garminWindow_;
    // The receiver hangs on the channel in Garmin mode (record 1), opened
    // as the settings stand when a transfer starts.
    auto transport = [this]() -> garmin::ByteTransport* { return ws_.garminChannel.get(); };
    garmin::ui::GarminWindowEnv env{
        garmin::DocumentAccess{ws_.document, ws_.symbols, ws_.host.clock(), [this] { return ws_.loader(); }},
        ws_.host.locale(),
        ws_.host.timers(),
        ws_.host.prompts(),
        [this](int n) { return ws_.message(n); },
        [this](std::function<void()> work) { ws_.operations.whenIdle(std::move(work)); },
        [this] {
            Operations::Scope scope(ws_.operations);
            core::PointLoader loader = ws_.loader(&scope.operation());
            plot::DetermineBounds(ws_.plot, ws_.document, loader, ws_.points,
                                  [this](const std::string& s) { ws_.report(s); });
        },
        transport,
        [this] { ws_.garminChannel->linkIdle(); }};
    garminWindow_ = new garmin::ui::TGarminForm(std::move(env), this);
    garminWindow_->setWindowFlags(Qt::Window);
    garminWindow_->showChannelState(ws_.statusLine.panel(0));
    connections_.push_back(ws_.statusLine.changed.scoped([this](int panel, const std::string& text) {
        if (panel == 0 && garminWindow_) garminWindow_->showChannelState(text);
    }));
    return garminWindow_;
}

void MainWindow::applyLanguage(const LanguageTexts& texts) {
    ApplyLanguageToAllWindows(texts);
    language_ = std::make_unique<LanguageTexts>(texts);
    if (languageMenu_) CheckLanguage(languageMenu_, texts.language);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (ws_.busy()) {
        // A long command is still running; stop it first.
        ws_.operations.requestCancel();
        event->ignore();
        return;
    }
    if (!closing_) {
        ws_.settings.windowWidth = width();
        ws_.settings.windowHeight = height();
        ws_.settings.treeWidth = tree_->width();
        if (!ShutDown(ws_, commands_, waypoints_)) {
            event->ignore();  // the user kept the document
            return;
        }
        closing_ = true;
    }
    event->accept();
}

void MainWindow::connectWorkspace() {
    connections_.push_back(ws_.log.lineAdded.scoped([this](const std::string& line) {
        if (ws_.log.droppedLines() == logDroppedShown_) {
            log_->appendPlainText(QString::fromStdString(line));
            return;
        }
        // The log let its oldest lines go (a tenth at a time, with a first
        // line that counts them): the page shows the same lines.
        logDroppedShown_ = ws_.log.droppedLines();
        QStringList lines;
        for (const std::string& l : ws_.log.lines()) lines << QString::fromStdString(l);
        log_->setPlainText(lines.join('\n'));
        log_->moveCursor(QTextCursor::End);
    }));
    connections_.push_back(ws_.log.cleared.scoped([this] {
        log_->clear();
        logDroppedShown_ = ws_.log.droppedLines();
    }));
    connections_.push_back(ws_.statusLine.changed.scoped([this](int panel, const std::string& text) {
        QLabel* label = panels_.at(static_cast<size_t>(panel));
        // Painted at the next turn of the event loop, which long work gives
        // fifty times a second: painting at once for every hundred points
        // cost a third of a long pass.
        label->setText(QString::fromStdString(text));
        label->update();
    }));
    // The title says when the document has unsaved changes. The flag has no
    // signal of its own: the title is looked at once the event that may
    // have changed it is done.
    titleTimer_ = new QTimer(this);
    titleTimer_->setSingleShot(true);
    titleTimer_->setInterval(0);
    connect(titleTimer_, &QTimer::timeout, this, [this] { showTitle(); });
    auto titleMayChange = [this] { titleTimer_->start(); };
    connections_.push_back(ws_.captionChanged.scoped([this](const std::string&) { showTitle(); }));
    core::Document& doc = ws_.document;
    connections_.push_back(doc.reset.scoped(titleMayChange));
    connections_.push_back(doc.inserted.scoped([titleMayChange](core::NodeId, core::NodeId) { titleMayChange(); }));
    connections_.push_back(doc.removed.scoped([titleMayChange](core::NodeId) { titleMayChange(); }));
    connections_.push_back(doc.childrenRemoved.scoped([titleMayChange](core::NodeId) { titleMayChange(); }));
    connections_.push_back(doc.moved.scoped([titleMayChange](core::NodeId) { titleMayChange(); }));
    connections_.push_back(doc.textChanged.scoped([titleMayChange](core::NodeId) { titleMayChange(); }));
    for (QAbstractItemModel* m : {static_cast<QAbstractItemModel*>(pointModel_), static_cast<QAbstractItemModel*>(waypointModel_)}) {
        connect(m, &QAbstractItemModel::rowsRemoved, this, titleMayChange);
        connect(m, &QAbstractItemModel::rowsInserted, this, titleMayChange);
        connect(m, &QAbstractItemModel::dataChanged, this, titleMayChange);
        connect(m, &QAbstractItemModel::layoutChanged, this, titleMayChange);
        connect(m, &QAbstractItemModel::modelReset, this, titleMayChange);
    }
    connect(menuBar(), &QMenuBar::triggered, this, titleMayChange);
    connect(editActions_->treeMenu(), &QMenu::triggered, this, titleMayChange);
    connect(editActions_->listMenu(), &QMenu::triggered, this, titleMayChange);
    keepExpansion();
    connections_.push_back(ws_.progress.scoped([this](double fraction) {
        if (fraction < 0) {
            progress_->hide();
            return;
        }
        progress_->show();
        progress_->setValue(static_cast<int>(fraction * 1000));
    }));
    connections_.push_back(ws_.listNameChanged.scoped(
        [this](const std::string& name) {
            listName_->setText(QString::fromStdString(name));
            listName_->repaint();
        }));

    // The focused node is the document's; the view follows it and reports clicks.
    connections_.push_back(ws_.document.reset.scoped([this] {
        tree_->setCurrentIndex(treeModel_->indexOf(ws_.document.focused()));
    }));
    connections_.push_back(ws_.document.focusChanged.scoped([this](core::NodeId node) {
        QModelIndex i = treeModel_->indexOf(node);
        if (i != tree_->currentIndex()) tree_->setCurrentIndex(i);
    }));
    // An opened file with something to draw is shown on the map, unless the
    // user has gone to another page than the log the start shows.
    connections_.push_back(ws_.documentOpened.scoped([this] {
        const core::Document& doc = ws_.document;
        const bool drawable = doc.firstChild(doc.trackpoints()) != core::kNoNode ||
                              doc.firstChild(doc.routes()) != core::kNoNode ||
                              doc.firstChild(doc.waypoints()) != core::kNoNode;
        if (drawable && pages_->currentIndex() == kMessageLogPage) pages_->setCurrentIndex(kMapPage);
    }));
    // A double click shows the node on the map.
    connect(tree_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { mapPage_->fitTo(treeModel_->nodeOf(index)); });
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                core::NodeId n = treeModel_->nodeOf(current);
                ws_.document.setFocused(current.isValid() ? n : core::kNoNode);
            });
}

// An undo, a redo or a paste rebuilds the tree view from the document; the
// nodes the user had opened stay open when they are still there.
void MainWindow::keepExpansion() {
    auto expanded = std::make_shared<std::vector<std::pair<core::NodeId, std::string>>>();
    connect(treeModel_, &QAbstractItemModel::modelAboutToBeReset, this, [this, expanded] {
        expanded->clear();
        std::vector<QModelIndex> open{QModelIndex()};
        while (!open.empty()) {
            QModelIndex parent = open.back();
            open.pop_back();
            for (int r = 0, n = treeModel_->rowCount(parent); r < n; ++r) {
                QModelIndex i = treeModel_->index(r, 0, parent);
                if (!tree_->isExpanded(i)) continue;
                core::NodeId node = treeModel_->nodeOf(i);
                expanded->emplace_back(node, ws_.document.getText(node));
                open.push_back(i);
            }
        }
    });
    connect(treeModel_, &QAbstractItemModel::modelReset, this, [this, expanded] {
        // A new document reuses node numbers: a node counts as the same one
        // only with the same text.
        for (const auto& [node, text] : *expanded)
            if (ws_.document.alive(node) && ws_.document.inTree(node) && ws_.document.getText(node) == text)
                tree_->expand(treeModel_->indexOf(node));
        expanded->clear();
    });
}

void MainWindow::showTitle() {
    QString title = QString::fromStdString(ws_.caption());
    if (ws_.document.documentModified) title += " *";
    if (title != windowTitle()) setWindowTitle(title);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) ws_.operations.requestCancel();
    QMainWindow::keyPressEvent(event);
}

}  // namespace app::ui
