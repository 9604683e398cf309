#pragma once
// pathkeep-cli plot: draws what a plot command of the tree's context menu
// would draw for one node, and writes the picture as BMP or PNG.

namespace cli {

// Runs the whole verb, argv[1] being "plot"; returns the exit status. It
// makes its own application object, since drawing text needs the GUI one.
int PlotVerb(int argc, char** argv);

}  // namespace cli
