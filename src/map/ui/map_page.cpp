#include "map/ui/map_page.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>

#include "map/map_picture.h"

namespace map::ui {

namespace {

constexpr int kWheelStep = 120;  // eighths of a degree: one notch of a common wheel
constexpr long long kBytesPerMB = 1LL << 20;
// The live position stays within this share of the picture round its middle;
// beyond it the map moves to put the position back in the middle.
constexpr double kFollowInside = 0.8;

}  // namespace

MapPage::MapPage(app::Workspace& ws, host::HttpFetch& fetch, QWidget* parent)
    : QWidget(parent), ws_(ws), fetch_(fetch) {
    setObjectName("MapPage");
    setFocusPolicy(Qt::WheelFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 100);
    core::Document& doc = ws_.document;
    auto changed = [this] { documentChanged(); };
    connections_.push_back(doc.reset.scoped(changed));
    connections_.push_back(doc.inserted.scoped([changed](core::NodeId, core::NodeId) { changed(); }));
    connections_.push_back(doc.removed.scoped([changed](core::NodeId) { changed(); }));
    connections_.push_back(doc.childrenRemoved.scoped([changed](core::NodeId) { changed(); }));
    connections_.push_back(doc.moved.scoped([changed](core::NodeId) { changed(); }));
    connections_.push_back(doc.textChanged.scoped([changed](core::NodeId) { changed(); }));
    connections_.push_back(doc.focusChanged.scoped([this](core::NodeId) { showFocus(); }));
    connections_.push_back(ws_.documentOpened.scoped([this] {
        fitPending_ = true;
        documentChanged();
    }));
    connections_.push_back(ws_.pointRows.changed.scoped([this] { showSelections(); }));
    connections_.push_back(ws_.waypointRows.changed.scoped([this] { showSelections(); }));
    connections_.push_back(ws_.display.infoChanged.scoped([this] { showLivePosition(); }));
}

MapPage::~MapPage() = default;

void MapPage::setListSelections(QItemSelectionModel* points, QItemSelectionModel* waypoints) {
    pointSelection_ = points;
    waypointSelection_ = waypoints;
    for (QItemSelectionModel* s : {points, waypoints})
        if (s) connect(s, &QItemSelectionModel::selectionChanged, this, [this] { showSelections(); });
}

void MapPage::fitTo(core::NodeId node) {
    fitNode_ = node;
    if (dirty_) {
        documentChanged();
        return;
    }
    const core::PointLoader loader(ws_.document, ws_.symbols, {ws_.host.clock(), ws_.host.locale(), nullptr, {}});
    fitted_ = NodeExtent(data_, ws_.document, loader, node);
    view_.fit(*fitted_);
    fitNode_ = core::kNoNode;
    viewChanged();
}

// --- the document -------------------------------------------------------------

void MapPage::documentChanged() {
    dirty_ = true;
    // One rebuild for a burst of changes, after the command that made them.
    if (!isVisible() || rebuildQueued_) return;
    rebuildQueued_ = true;
    QPointer<MapPage> self(this);
    QTimer::singleShot(0, this, [this, self] {
        rebuildQueued_ = false;
        ws_.operations.whenIdle([self] {
            if (self) self->rebuild();
        });
    });
}

void MapPage::rebuild() {
    if (!dirty_ || !isVisible()) return;
    dirty_ = false;
    MapData fresh;
    {
        // A long track shows progress and Escape stops it; what was read is drawn.
        app::Operations::Scope scope(ws_.operations);
        core::PointLoader loader(ws_.document, ws_.symbols,
                                 {ws_.host.clock(), ws_.host.locale(), &scope.operation(), {}});
        (void)LoadMapData(fresh, ws_.document, loader);
    }
    ws_.status("");  // the count of points read means nothing once the map is drawn
    data_ = std::move(fresh);
    if (fitPending_) {
        view_.fit(data_.box);
        fitted_ = data_.box;
    }
    fitPending_ = false;
    showFocus();
    showSelections();
    if (fitNode_ != core::kNoNode) fitTo(fitNode_);
    viewChanged();
}

void MapPage::showFocus() {
    const core::PointLoader loader(ws_.document, ws_.symbols, {ws_.host.clock(), ws_.host.locale(), nullptr, {}});
    highlight_ = HighlightOf(data_, ws_.document, loader, ws_.document.focused());
    update();
}

void MapPage::showSelections() {
    marked_.clear();
    const std::pair<QItemSelectionModel*, const core::ListRows*> lists[] = {{pointSelection_, &ws_.pointRows},
                                                                            {waypointSelection_, &ws_.waypointRows}};
    for (const auto& [selection, rows] : lists) {
        if (!selection) continue;
        // By ranges: a whole list of a million rows may be selected.
        for (const QItemSelectionRange& range : selection->selection())
            for (int r = range.top(); r <= range.bottom() && marked_.size() < kMaxMarks; ++r) {
                if (r < 0 || static_cast<size_t>(r) >= rows->size()) continue;
                const core::RowValues v = rows->values(static_cast<size_t>(r));
                marked_.push_back(Project(static_cast<double>(v.lat), static_cast<double>(v.lon)));
            }
    }
    update();
}

void MapPage::showLivePosition() {
    const auto& position = ws_.display.position;
    if (!position) {
        if (live_) update();
        live_.reset();
        return;
    }
    WorldPoint at = Project(static_cast<double>(position->latDeg), static_cast<double>(position->lonDeg));
    live_ = at;
    // The copy of the world nearest the middle.
    at.x -= std::round(at.x - view_.center().x);
    const double x = view_.screenX(at.x), y = view_.screenY(at.y);
    const double marginX = width() * (1 - kFollowInside) / 2, marginY = height() * (1 - kFollowInside) / 2;
    if (x < marginX || x > width() - marginX || y < marginY || y > height() - marginY) {
        view_.setCenter(at);
        fitted_.reset();
        viewChanged();
        return;
    }
    update();
}

// --- tiles ----------------------------------------------------------------------

void MapPage::startTiles() {
    if (tilesStarted_) return;
    tilesStarted_ = true;
    const app::UserSettings& s = ws_.settings;
    if (s.mapTileUrl.empty()) return;  // a map without tiles, by choice
    if (!IsTileTemplate(s.mapTileUrl)) {
        ws_.report("Map: the tile address " + s.mapTileUrl + " lacks {z}, {x} or {y}; no tiles are fetched");
        return;
    }
    cache_ = std::make_unique<TileCache>(ws_.paths.tileCacheDir, std::max(1, s.mapCacheMB) * kBytesPerMB);
    loader_ = std::make_unique<TileLoader>(
        fetch_, canvases_, ws_.host.timers(), cache_.get(),
        TileSourceSettings{s.mapTileUrl, std::string(app::kProgramName) + "/" + app::kVersion});
    connections_.push_back(loader_->changed.scoped([this] { update(); }));
}

void MapPage::requestTiles() {
    // While the data is behind, the view may be about to move (a file was
    // opened): the rebuild asks for the tiles once it is done.
    if (!loader_ || !isVisible() || dirty_) return;
    std::vector<TileId> tiles;
    for (const PlacedTile& t : view_.tiles()) tiles.push_back(t.tile);
    loader_->want(tiles);
}

void MapPage::viewChanged() {
    requestTiles();
    update();
}

// --- the widget -------------------------------------------------------------------

void MapPage::paintEvent(QPaintEvent*) {
    if (canvas_.width() != width() || canvas_.height() != height()) canvas_.resize(width(), height());
    MapPicture picture{view_};
    picture.data = &data_;
    picture.tiles = loader_.get();
    picture.altitudes = ws_.plot;
    picture.highlight = highlight_;
    picture.marked = marked_;
    picture.live = live_;
    picture.attribution = ws_.settings.mapAttribution;
    picture.decimalSeparator = ws_.host.locale().decimalSeparator();
    DrawMap(canvas_, picture);
    QPainter(this).drawImage(0, 0, canvas_.image());
}

void MapPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_.setSize(width(), height());
    if (fitted_) view_.fit(*fitted_);
    requestTiles();
}

void MapPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    view_.setSize(width(), height());
    startTiles();
    if (dirty_) documentChanged();
    viewChanged();
}

void MapPage::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Out of sight nothing is in view: the waiting tiles are dropped.
    if (loader_) loader_->want({});
    dragFrom_.reset();
}

void MapPage::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    dragFrom_ = event->position().toPoint();
    setCursor(Qt::ClosedHandCursor);
}

void MapPage::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_ || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    view_.panBy(at.x() - dragFrom_->x(), at.y() - dragFrom_->y());
    fitted_.reset();
    dragFrom_ = at;
    viewChanged();
}

void MapPage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    dragFrom_.reset();
    unsetCursor();
}

void MapPage::wheelEvent(QWheelEvent* event) {
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / kWheelStep;
    wheelRest_ -= steps * kWheelStep;
    if (steps != 0) {
        view_.zoomAround(steps, event->position().x(), event->position().y());
        fitted_.reset();
        viewChanged();
    }
    event->accept();
}

void MapPage::keyPressEvent(QKeyEvent* event) {
    int steps = 0;
    if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal)
        steps = 1;
    else if (event->key() == Qt::Key_Minus)
        steps = -1;
    if (steps == 0) return QWidget::keyPressEvent(event);
    view_.zoomAround(steps, width() / 2.0, height() / 2.0);
    fitted_.reset();
    viewChanged();
}

}  // namespace map::ui
