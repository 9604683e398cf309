#include "map/map_view.h"

#include <algorithm>
#include <cmath>

namespace map {

void MapView::setSize(int width, int height) {
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
    hold();
}

void MapView::setZoom(int zoom) {
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    hold();
}

void MapView::setCenter(WorldPoint center) {
    center_ = center;
    hold();
}

void MapView::hold() {
    if (!std::isfinite(center_.x) || !std::isfinite(center_.y)) center_ = {0.5, 0.5};
    center_.x -= std::floor(center_.x);
    const double half = height_ / 2.0 / WorldPixels(zoom_);
    center_.y = half >= 0.5 ? 0.5 : std::clamp(center_.y, half, 1 - half);
}

double MapView::screenX(double worldX) const { return (worldX - center_.x) * WorldPixels(zoom_) + width_ / 2.0; }

double MapView::screenY(double worldY) const { return (worldY - center_.y) * WorldPixels(zoom_) + height_ / 2.0; }

WorldPoint MapView::worldAt(double x, double y) const {
    const double size = WorldPixels(zoom_);
    return {center_.x + (x - width_ / 2.0) / size, center_.y + (y - height_ / 2.0) / size};
}

WorldBox MapView::visible() const {
    WorldBox b;
    b.add(worldAt(0, 0));
    b.add(worldAt(width_, height_));
    return b;
}

void MapView::panBy(double dx, double dy) {
    const double size = WorldPixels(zoom_);
    setCenter({center_.x - dx / size, center_.y - dy / size});
}

void MapView::zoomAround(int steps, double x, double y) {
    const WorldPoint under = worldAt(x, y);
    zoom_ = std::clamp(zoom_ + steps, kMinZoom, kMaxZoom);
    const double size = WorldPixels(zoom_);
    setCenter({under.x - (x - width_ / 2.0) / size, under.y - (y - height_ / 2.0) / size});
}

void MapView::fit(const WorldBox& box) {
    if (box.empty()) return;
    const double w = std::max(width_ - 2.0 * kFitMarginPx, 1.0), h = std::max(height_ - 2.0 * kFitMarginPx, 1.0);
    int zoom = kFitMaxZoom;
    while (zoom > kMinZoom &&
           ((box.maxX - box.minX) * WorldPixels(zoom) > w || (box.maxY - box.minY) * WorldPixels(zoom) > h))
        --zoom;
    zoom_ = zoom;
    setCenter({(box.minX + box.maxX) / 2, (box.minY + box.maxY) / 2});
}

std::vector<PlacedTile> MapView::tiles() const {
    const double size = WorldPixels(zoom_);
    const long long rows = 1LL << zoom_;
    // Tile columns and rows by the square's pixels, unwrapped.
    const double left = center_.x * size - width_ / 2.0, top = center_.y * size - height_ / 2.0;
    const long long firstColumn = static_cast<long long>(std::floor(left / kTileSize));
    const long long lastColumn = static_cast<long long>(std::floor((left + width_ - 1) / kTileSize));
    const long long firstRow = std::max(0LL, static_cast<long long>(std::floor(top / kTileSize)));
    const long long lastRow = std::min(rows - 1, static_cast<long long>(std::floor((top + height_ - 1) / kTileSize)));
    std::vector<PlacedTile> out;
    for (long long row = firstRow; row <= lastRow; ++row)
        for (long long column = firstColumn; column <= lastColumn; ++column)
            out.push_back({{zoom_, WrapTileX(column, zoom_), static_cast<int>(row)},
                           static_cast<int>(std::lround(column * kTileSize - left)),
                           static_cast<int>(std::lround(row * kTileSize - top))});
    const double midX = width_ / 2.0 - kTileSize / 2.0, midY = height_ / 2.0 - kTileSize / 2.0;
    std::stable_sort(out.begin(), out.end(), [&](const PlacedTile& a, const PlacedTile& b) {
        return std::hypot(a.left - midX, a.top - midY) < std::hypot(b.left - midX, b.top - midY);
    });
    return out;
}

}  // namespace map
