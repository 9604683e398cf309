#pragma once
// The "Plot points" command: points of the point list drawn to scale as a
// simple map, track points as squares coloured by altitude and joined by
// lines, marked points as green dots, and a compass showing the direction of
// the last step.

#include <memory>

#include "plot/plot_canvas.h"

namespace plot {

constexpr int kCompassSize = 49;  // the compas picture of the simulation page

// A fresh compass bitmap with the needle at `bearingDeg` degrees clockwise
// from north; its corners are yellow, the colour to leave out when drawing it.
std::unique_ptr<host::Canvas> MakeCompass(host::CanvasFactory& canvases, int bearingDeg);

// Shows the compass on the simulation page's compas picture, over its
// background colour, and at the top right of the plot image; either may be
// left out.
void ShowDirection(int bearingDeg, host::CanvasFactory& canvases, host::Canvas* compas,
                   host::Rgb compasBackground, host::Canvas* plotImage);

// Draws records 1..count of the point list over what the canvas holds.
core::Result PlotTrack(const core::PointList& points, PlotState& state, const PlotControls& controls,
                       PlotEnv& env);

// The command: plots the focused track, all tracks, the focused route or
// all waypoints, over the canvas while the point plot is showing.
core::Result mPlotpointsClick(PlotData& data, PlotEnv& env);

}  // namespace plot
