#pragma once
// OziExplorer track (.plt) and waypoint (.wpt) files: comma-separated text
// lines, CR LF, Windows-1252, altitudes in feet, dates as day numbers.

#include <string>
#include <string_view>

#include "formats/gpx.h"

namespace formats {

core::Result PltBestandInlezen(Env& env, const std::string& fileName);
core::Result WptBestandInlezen(Env& env, const std::string& fileName);
// The same reading of a file's bytes in memory.
core::Result ReadPltText(Env& env, std::string_view bytes);
core::Result ReadWptText(Env& env, std::string_view bytes);
// With selectionOnly the points of the focused node; nothing to do when
// nothing is focused. A waypoint file holds the first kMaxWaypoints.
core::Result SaveAsPLT(Env& env, const std::string& fileName, const SaveOptions& options);
core::Result SaveAsWPT(Env& env, const std::string& fileName, const SaveOptions& options);

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

// The points a points-only writer (OziExplorer, text export) saves: all
// tracks or all waypoints; with selectionOnly those of the focused
// "waypoints", "trackpoints" or track. None when nothing is focused.
struct PointsToSave {
    bool waypoints = false;
    core::NodeId track = core::kNoNode;  // one track, else all
    bool none = false;                   // a focus that names no points
    long total = 0;                      // for progress

    static std::optional<PointsToSave> of(Env& env, const SaveOptions& options, WholeDocument whole);
    // False when the operation was cancelled part-way.
    bool walk(Env& env, const core::PointLoader::Sink& sink) const;
};

}  // namespace formats
