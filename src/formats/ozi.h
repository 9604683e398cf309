#pragma once
// OziExplorer track (.plt) and waypoint (.wpt) files: comma-separated text
// lines, CR LF, Windows-1252, altitudes in feet, dates as day numbers.

#include <string>
#include <string_view>

#include "formats/gpx.h"

namespace formats {

ReadOutcome PltBestandInlezen(Env& env, const std::string& fileName);
ReadOutcome WptBestandInlezen(Env& env, const std::string& fileName);
WriteOutcome SaveAsPLT(Env& env, const std::string& fileName, bool saveSelectionOnly);
WriteOutcome SaveAsWPT(Env& env, const std::string& fileName, bool saveSelectionOnly);

namespace ozi {

constexpr int kMissingAltitude = -777;  // "no altitude" in OziExplorer files
constexpr int kMaxWaypoints = 1000;     // what a waypoint file holds

// An altitude field in feet as the metres to store: "-777" passes unchanged,
// a number of feet becomes whole metres; none when it is no number at all.
std::optional<std::string> AltitudeFieldToMetres(std::string_view feetField);
// Stored metres as whole feet for a file; -777 stays -777.
std::string MetresToFeetField(long double metres);
// OziExplorer writes character 209 for a comma inside a text field.
std::string CommasToOzi(std::string_view text);
std::string CommasFromOzi(std::string_view text);

}  // namespace ozi

// Fills the point list for a writer that saves points, as the OziExplorer
// and text writers do: with saveSelectionOnly from the focused node
// ("waypoints", "trackpoints" or "trk"); false when nothing is focused.
enum class WholeDocument { Tracks, Waypoints };
bool FillPointList(Env& env, bool saveSelectionOnly, WholeDocument whole);

}  // namespace formats
