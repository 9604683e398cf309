#pragma once
// Web Mercator and the tiles of web maps: the world as a square that a
// zoom level cuts into 2^zoom x 2^zoom tiles of 256 x 256 pixels, numbered
// from the top left corner (the "XYZ" scheme of OpenStreetMap and most tile
// servers). Latitudes beyond ±85.0511° (where the square ends) are held to
// that limit; longitudes wrap round, so tile columns do too.

#include <compare>
#include <cstdint>
#include <string>

namespace map {

constexpr int kTileSize = 256;  // pixels of a tile's side
constexpr int kMinZoom = 0;
constexpr int kMaxZoom = 19;  // the deepest level public tile servers serve
// Where the square ends: atan(sinh(pi)) in degrees.
constexpr double kMaxLatDeg = 85.0511287798066;

// A place on the Mercator square: x from 0 at 180° W to 1 at 180° E, y from
// 0 at the top (kMaxLatDeg north) to 1 at the bottom.
struct WorldPoint {
    double x = 0, y = 0;
    friend bool operator==(const WorldPoint&, const WorldPoint&) = default;
};

struct LatLon {
    double latDeg = 0, lonDeg = 0;
};

WorldPoint Project(double latDeg, double lonDeg);
// Longitude in [-180, 180): x is taken round the world first.
LatLon Unproject(WorldPoint p);

// Pixels across the whole world at a zoom level: 256 * 2^zoom.
double WorldPixels(int zoom);

struct TileId {
    int zoom = 0, x = 0, y = 0;
    friend auto operator<=>(const TileId&, const TileId&) = default;
};

// A tile column taken round the world into 0 .. 2^zoom - 1.
int WrapTileX(long long x, int zoom);
// The tile that holds a point: the column wraps round, the row is held to
// the square.
TileId TileAt(WorldPoint p, int zoom);
// The top left corner of a tile on the square.
WorldPoint TileCorner(TileId tile);

// The tile's address from a template where {z}, {x} and {y} stand for the
// tile ("https://tile.openstreetmap.org/{z}/{x}/{y}.png").
std::string TileUrl(const std::string& urlTemplate, TileId tile);
// Whether a template names all three; one that does not would ask every
// tile at the same address.
bool IsTileTemplate(const std::string& urlTemplate);

}  // namespace map
