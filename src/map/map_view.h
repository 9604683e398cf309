#pragma once
// The part of the world the map shows: a whole zoom level and the point of
// the Mercator square at the middle of a picture of a given size. The
// square wraps round east to west, so the middle's x stays in [0, 1); north
// and south the picture stays on the square where the square is taller
// than the picture.

#include <vector>

#include "map/map_data.h"
#include "map/projection.h"

namespace map {

// A tile in a picture: which one, and where its top left corner goes.
struct PlacedTile {
    TileId tile;
    int left = 0, top = 0;
};

class MapView {
public:
    // A fit never zooms in deeper than this: a single point shows its streets.
    static constexpr int kFitMaxZoom = 16;
    static constexpr int kFitMarginPx = 20;

    void setSize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    int zoom() const { return zoom_; }
    WorldPoint center() const { return center_; }

    void setZoom(int zoom);
    void setCenter(WorldPoint center);

    // Picture pixels of a point on the square, and back; x as it stands,
    // not wrapped (a caller places the world's copies itself).
    double screenX(double worldX) const;
    double screenY(double worldY) const;
    WorldPoint worldAt(double x, double y) const;
    // The square's stretch the picture covers.
    WorldBox visible() const;

    // A drag by (dx, dy) pixels: the map moves with the pointer.
    void panBy(double dx, double dy);
    // Zooms by `steps` levels keeping the point under (x, y) where it is.
    void zoomAround(int steps, double x, double y);
    // The deepest level (at most kFitMaxZoom) that shows the box whole
    // with a margin, centred on it. An empty box changes nothing.
    void fit(const WorldBox& box);

    // The tiles the picture needs, those nearest its middle first. Where
    // the world is narrower than the picture, a tile may show twice.
    std::vector<PlacedTile> tiles() const;

private:
    void hold();

    int width_ = 1, height_ = 1;
    int zoom_ = 2;
    WorldPoint center_{0.5, 0.5};
};

}  // namespace map
