#include "map/projection.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>

namespace map {

WorldPoint Project(double latDeg, double lonDeg) {
    const double lat = std::clamp(latDeg, -kMaxLatDeg, kMaxLatDeg) * std::numbers::pi / 180;
    // asinh(tan(lat)) written as one sine and one logarithm: the same value,
    // at half the cost for the million points of a long track.
    const double s = std::sin(lat);
    return {(lonDeg + 180) / 360, (1 - 0.5 * std::log((1 + s) / (1 - s)) / std::numbers::pi) / 2};
}

LatLon Unproject(WorldPoint p) {
    double x = p.x - std::floor(p.x);
    return {std::atan(std::sinh(std::numbers::pi * (1 - 2 * p.y))) * 180 / std::numbers::pi, x * 360 - 180};
}

double WorldPixels(int zoom) { return std::ldexp(static_cast<double>(kTileSize), zoom); }

int WrapTileX(long long x, int zoom) {
    const long long n = 1LL << zoom;
    return static_cast<int>(((x % n) + n) % n);
}

TileId TileAt(WorldPoint p, int zoom) {
    const double n = std::ldexp(1.0, zoom);
    const long long column = static_cast<long long>(std::floor(p.x * n));
    const long long row = std::clamp(static_cast<long long>(std::floor(p.y * n)), 0LL, (1LL << zoom) - 1);
    return {zoom, WrapTileX(column, zoom), static_cast<int>(row)};
}

WorldPoint TileCorner(TileId t) {
    const double n = std::ldexp(1.0, t.zoom);
    return {t.x / n, t.y / n};
}

std::string TileUrl(const std::string& urlTemplate, TileId tile) {
    std::string url;
    url.reserve(urlTemplate.size() + 16);
    for (size_t i = 0; i < urlTemplate.size(); ++i) {
        std::string_view rest = std::string_view(urlTemplate).substr(i);
        if (rest.starts_with("{z}"))
            url += std::to_string(tile.zoom);
        else if (rest.starts_with("{x}"))
            url += std::to_string(tile.x);
        else if (rest.starts_with("{y}"))
            url += std::to_string(tile.y);
        else {
            url += urlTemplate[i];
            continue;
        }
        i += 2;
    }
    return url;
}

bool IsTileTemplate(const std::string& t) {
    return t.find("{z}") != std::string::npos && t.find("{x}") != std::string::npos &&
           t.find("{y}") != std::string::npos;
}

}  // namespace map
