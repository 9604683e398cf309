#pragma once
// The map's picture, drawn on a host canvas the size of the view: the
// tiles (or, where a tile is missing, a plain background with a degree
// grid), the tracks coloured by altitude as the point plot colours them,
// the routes and waypoints with their names, what is highlighted, the live
// position, and the tiles' attribution.

#include <optional>
#include <string>
#include <vector>

#include "host/host.h"
#include "map/map_data.h"
#include "map/map_view.h"
#include "map/tile_loader.h"
#include "plot/bounds.h"

namespace map {

namespace colours {
constexpr host::Rgb kBackground{236, 234, 226}, kGrid{178, 178, 168}, kGridText{80, 80, 80};
constexpr host::Rgb kRoute{140, 0, 170}, kWaypoint{0, 110, 0}, kHighlight{255, 220, 0};
constexpr host::Rgb kLive{220, 0, 0}, kWhite{255, 255, 255}, kBlack{0, 0, 0};
}  // namespace colours

constexpr int kTrackWidth = 3, kHaloWidth = 8, kRouteWidth = 2;
constexpr int kMarkRadius = 9;      // round a waypoint's own mark (5)
constexpr int kMaxLabels = 300;     // names on one picture; more are noise
constexpr size_t kMaxMarks = 5000;  // highlighted points on one picture

struct MapPicture {
    const MapView& view;
    MapData* data = nullptr;              // none: nothing of the document
    const TileImages* tiles = nullptr;    // none: the background with the grid
    plot::PlotState altitudes = {};       // the range the track colours span
    Highlight highlight = {};             // the focused node
    std::vector<WorldPoint> marked = {};  // rows selected in the lists
    std::optional<WorldPoint> live = {};  // the receiver's or simulation's position
    std::string attribution = {};         // shown over tiles
    char decimalSeparator = '.';
};

// The canvas must have the view's size.
void DrawMap(host::Canvas& canvas, MapPicture& picture);

// The grid's step in degrees at a zoom level: lines some 100 pixels apart.
double GridStepDeg(int zoom);
// A grid label: "52°", "5.25°" (as many decimals as the step has).
std::string GridLabelDeg(double degrees, double step, char decimalSeparator);

}  // namespace map
