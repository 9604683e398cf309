#pragma once
// The time/way, time/height and time/speed diagrams: distance travelled to
// the right, elapsed time, altitude or smoothed speed upward, with a summary
// in the top left corner.

#include "plot/plot_canvas.h"

namespace plot {

constexpr int kHeightOffset = 50;  // metres drawn below 0 m in the time/height diagram

// Each draws records 1..count of the point list on a prepared canvas. With
// no points they draw nothing and answer "nothing to do" with message 20.
core::Result PlotTimeWay(const core::PointList& points, PlotState& state, const PlotControls& controls,
                         PlotEnv& env);
core::Result PlotTimeHeight(const core::PointList& points, PlotState& state, PlotControls& controls,
                            PlotEnv& env);
core::Result PlotTimeSpeed(const core::PointList& points, PlotState& state, const PlotControls& controls,
                           PlotEnv& env);

// The three commands of the tree's context menu: the focused track, or all
// tracks, on a fresh canvas.
core::Result mPlotTimeWayClick(PlotData& data, PlotEnv& env);
core::Result mPlotTimeHeightClick(PlotData& data, PlotEnv& env);
core::Result mPlotTimeSpeedClick(PlotData& data, PlotEnv& env);

// Records 1..count in time order; records of equal time keep their order.
void SortPointsByTime(core::PointList& points);

}  // namespace plot
