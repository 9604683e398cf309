#pragma once
// pathkeep-cli plot: draws what a plot command of the tree's context menu
// would draw for one node, and writes the picture as BMP or PNG.

#include <string>

#include "host/host.h"

namespace cli {

// "WxH", each side 1 to 16000 pixels and 64 million pixels at most; false
// for anything else.
bool ParseImageSize(const std::string& text, int& width, int& height);
extern const char* const kImageSizeRule;  // the rule above, for usage messages
// PNG when the name ends in ".png" (any case), else BMP.
host::ImageFormat ImageFormatOf(const std::string& path);

// Runs the whole verb, argv[1] being "plot"; returns the exit status. It
// makes its own application object, since drawing text needs the GUI one.
int PlotVerb(int argc, char** argv);

}  // namespace cli
