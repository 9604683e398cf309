#pragma once
// pathkeep-cli map: the map page's picture of a whole document, fitted to
// it, written as BMP or PNG; over web-map tiles when a tile server is named.

namespace cli {

extern const char* const kMapUsage;

// Runs the whole verb, argv[1] being "map"; returns the exit status. It
// makes its own application object, since drawing text needs the GUI one.
int MapVerb(int argc, char** argv);

}  // namespace cli
