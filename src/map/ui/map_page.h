#pragma once
// The "Map" page: the document drawn over web-map tiles. Drag to pan, the
// wheel zooms around the pointer, + and - around the middle. The map fits
// the document when a file is opened and a node when it is double-clicked
// in the tree; it marks the focused node, the rows selected in the two
// lists and the live position of the receiver or the simulation, which it
// follows. Everything it draws comes from map/ (map_picture.h).

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "app/workspace.h"
#include "host/qt/qt_canvas.h"
#include "map/map_data.h"
#include "map/map_view.h"
#include "map/tile_cache.h"
#include "map/tile_loader.h"

class QItemSelectionModel;

namespace map::ui {

class MapPage : public QWidget {
public:
    // Tiles come through `fetch`, which must outlive the page.
    MapPage(app::Workspace& ws, host::HttpFetch& fetch, QWidget* parent = nullptr);
    ~MapPage() override;

    // The selections of LV1 (points) and LV2 (waypoints), whose rows the map marks.
    void setListSelections(QItemSelectionModel* points, QItemSelectionModel* waypoints);
    // Shows the part of the map a tree node stands for.
    void fitTo(core::NodeId node);

    const MapView& view() const { return view_; }
    const host::QtCanvas& canvas() const { return canvas_; }
    // None until the page is first shown, and when no tile server is set.
    const TileLoader* tiles() const { return loader_.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void documentChanged();
    void rebuild();
    void startTiles();
    void requestTiles();
    void viewChanged();
    void showFocus();
    void showSelections();
    void showLivePosition();

    app::Workspace& ws_;
    host::HttpFetch& fetch_;
    host::QtCanvasFactory canvases_;
    host::QtCanvas canvas_{1, 1};
    MapView view_;
    MapData data_;
    bool dirty_ = true;  // data_ is behind the document
    bool rebuildQueued_ = false;
    bool fitPending_ = false;  // a file was opened: fit once the data is there
    // What the view was fitted to, until the user moves it: a new size of
    // the page (the window laid out after the open) fits it again.
    std::optional<WorldBox> fitted_;
    core::NodeId fitNode_ = core::kNoNode;
    Highlight highlight_;
    std::vector<WorldPoint> marked_;
    std::optional<WorldPoint> live_;
    std::unique_ptr<TileCache> cache_;
    std::unique_ptr<TileLoader> loader_;
    bool tilesStarted_ = false;
    QItemSelectionModel* pointSelection_ = nullptr;
    QItemSelectionModel* waypointSelection_ = nullptr;
    std::optional<QPoint> dragFrom_;
    int wheelRest_ = 0;  // eighths of a degree not yet turned into a zoom step
    std::vector<core::ScopedConnection> connections_;
};

}  // namespace map::ui
