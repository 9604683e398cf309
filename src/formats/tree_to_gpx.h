#pragma once
// GPX text of one part of the tree (the tree's Copy and Cut).

#include <string>

#include "formats/kml.h"

namespace formats {

// The GPX fragment of a node: a gpx element without declaration or
// namespace. Also put on the clipboard when one is given.
std::string createXmlFromNode(const core::Document& doc, core::NodeId node, host::Clipboard* clipboard);

}  // namespace formats
