#pragma once
// Lines with fewer points that keep their shape on screen: Douglas–Peucker
// run once over a whole line down to the finest tolerance any zoom level
// needs, remembering for each point the largest tolerance it survives.
// The line for one zoom level is then a single pass picking the points
// whose significance beats that level's tolerance: every point left out
// lies within the tolerance of the segment drawn in its place. It is the
// line Douglas–Peucker would give, except that a long range whose farthest
// point lies next to one of its ends is split in its middle, which keeps
// the work near n log n for zigzags and laps of one course.

#include <cstdint>
#include <span>
#include <vector>

#include "map/projection.h"

namespace map {

// How close to the drawn line every point stays, in screen pixels. Half a
// pixel leaves room for rounding the line's ends to whole pixels.
constexpr double kKeepWithinPx = 0.5;

// The tolerance of a zoom level on the Mercator square.
double ToleranceAt(int zoom);

// Each point's significance on the Mercator square: the first and last
// point never go (infinity); a point no tolerance down to `finest` keeps
// gets 0.
std::vector<float> Significance(std::span<const WorldPoint> line, double finest);

// The indices of the points a tolerance keeps, in order.
std::vector<std::uint32_t> KeptAt(std::span<const float> significance, double tolerance);

}  // namespace map
