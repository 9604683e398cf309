#pragma once
// GPX text of one part of the tree (the tree's Copy and Cut), and the
// Google Earth view of the whole document.

#include <string>

#include "formats/kml.h"

namespace formats {

// The GPX fragment of a node: a gpx element without declaration or
// namespace. Also put on the clipboard when one is given.
std::string createXmlFromNode(const core::Document& doc, core::NodeId node, host::Clipboard* clipboard);

struct GoogleEarthResult {
    WriteOutcome written;
    bool opened = false;
};

// Writes all waypoints and tracks as KML to kmlPath and asks the desktop to
// open it.
GoogleEarthResult btGoogleClick(Env& env, plot::PlotState& plotState, const std::string& kmlPath);

}  // namespace formats
