#pragma once
// What the map draws of the document: every track, route and waypoint
// placed on the Mercator square once, so panning and zooming never go back
// to the tree. Tracks keep each point's significance (simplify.h) and, per
// zoom level, the points that level draws, worked out when first drawn.
// The whole is rebuilt when the document changes.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/document.h"
#include "core/point_list.h"
#include "map/projection.h"

namespace map {

struct WorldBox {
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    bool empty() const { return minX > maxX; }
    void add(WorldPoint p);
    void add(const WorldBox& b);
    bool intersects(const WorldBox& b) const;
};

// Consecutive kept points of one zoom level in runs of this many, each
// with its box, so a view far into a long track skips most of it unread.
constexpr size_t kChunkPoints = 256;

struct TrackLine {
    core::NodeId node = core::kNoNode;
    // Longitudes are unwrapped along the line: a track across 180° runs on
    // past x = 1 (or below 0) instead of jumping across the square.
    std::vector<WorldPoint> points;
    std::vector<float> altitudeM;
    std::vector<float> significance;
    WorldBox box;

    struct Kept {
        std::vector<std::uint32_t> index;
        std::vector<WorldBox> chunks;  // chunk c: index[c*kChunkPoints .. (c+1)*kChunkPoints]
    };
    // The points zoom level `zoom` draws.
    const Kept& keptAt(int zoom);

private:
    std::array<Kept, kMaxZoom + 1> kept_;
    std::array<bool, kMaxZoom + 1> known_{};
};

struct NamedPoint {
    WorldPoint at;
    std::string name;
};

struct RouteLine {
    core::NodeId node = core::kNoNode;
    std::vector<NamedPoint> points;  // unwrapped as track points are
    WorldBox box;
};

struct MapData {
    std::vector<TrackLine> tracks;
    std::vector<RouteLine> routes;
    std::vector<NamedPoint> waypoints;
    WorldBox box;  // all of it
};

// Reads the whole document; false when the loader's operation was
// cancelled (the data is then incomplete).
bool LoadMapData(MapData& data, const core::Document& doc, core::PointLoader& loader);

// The part of the map a tree node stands for: a track (also for its
// segment), a route, a point, one of the containers, or for anything else
// (the metadata, a value line outside a point) everything.
WorldBox NodeExtent(const MapData& data, const core::Document& doc, const core::PointLoader& loader, core::NodeId node);

// What the map marks out: the focused node's track or route, and points
// (the focused point, the rows selected in the lists).
struct Highlight {
    int track = -1, route = -1;  // index in MapData, -1 for none
    std::vector<WorldPoint> points;
};
Highlight HighlightOf(const MapData& data, const core::Document& doc, const core::PointLoader& loader,
                      core::NodeId focused);

}  // namespace map
