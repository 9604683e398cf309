#pragma once
// The plot state every picture of a document shares: the ranges of all track
// points, the total track length and the scale. The latitude and longitude
// ranges are mirrored into the tree as the "bounds" metadata node.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/document.h"
#include "core/point_list.h"

namespace plot {

struct PlotState {
    long double minLat = 0, maxLat = 0, minLon = 0, maxLon = 0;  // degrees; minLon > maxLon across 180°
    int minAlt = 0, maxAlt = 0;                                  // whole metres
    long double minTime = 0, maxTime = 0;                        // serial numbers
    // km; none until asked for (TotalDistanceKm): only plots need it.
    std::optional<long double> totalDistance;
    long double plotScale = 0;                                   // degrees per pixel

    // The tree revision the ranges were determined for; 0 when anything else
    // changed them since. Every change outside DetermineBounds clears it.
    std::uint64_t determinedAt = 0;

    void resetBounds() { *this = PlotState{}; }
};

using ReportFn = std::function<void(const std::string&)>;

// Recomputes the state from all tracks and leaves every track point in the
// point list; with no track point the state stays as it was. False when
// the loader's operation was cancelled (the state is then unchanged).
bool DetermineBounds(PlotState& state, core::Document& doc, core::PointLoader& loader, core::PointList& points,
                     const ReportFn& report);
// The same for callers that need only the ranges and the bounds node (a KML
// save): the point list is not touched and no point is kept.
bool DetermineRanges(PlotState& state, core::Document& doc, core::PointLoader& loader, const ReportFn& report);
// Widens the state to take in one point given as texts.
void UpdateBounds(PlotState& state, const std::string& lat, const std::string& lon, const std::string& ele,
                  const std::string& time, const ReportFn& report);
void StoreBounds(const PlotState& state, core::Document& doc, const ReportFn& report);
// The length of all tracks together, point after point across tracks as the
// bounds pass walks them: worked out on the first call after DetermineBounds
// and kept in the state. A cancelled walk gives the length so far, not kept.
long double TotalDistanceKm(PlotState& state, core::PointLoader& loader);

}  // namespace plot
