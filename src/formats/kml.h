#pragma once
// KML for Google Earth: all waypoints and tracks out, placemarks in.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gpx.h"

namespace formats {

struct CoordinateTuple {
    std::string lat, lon, alt;
};

// Splits a coordinates text "lon,lat[,alt] lon,lat[,alt] ..." into tuples.
// Any white space separates tuples; empty tuples are skipped.
std::vector<CoordinateTuple> getCoordinates(std::string_view text);
// The same, one tuple at a time, for long tracks; stops when the function
// returns false.
void forEachCoordinate(std::string_view text, const std::function<bool(const CoordinateTuple&)>& f);

// All waypoints and tracks, whatever options.selectionOnly says; Google
// Earth looks first at options.view.
core::Result SaveAsKML(Env& env, const std::string& fileName, const SaveOptions& options);
core::Result KmlBestandInlezen(Env& env, const std::string& fileName);
// The same reading of a KML text in memory.
core::Result ReadKmlText(Env& env, std::string_view text);

}  // namespace formats
