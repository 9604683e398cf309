#pragma once
// The program's own older text format, EasyGPS text exports, and the
// conversion of OziExplorer route files to GPX 1.0.

#include <string>

#include "formats/gpx.h"

namespace formats {

core::Result PathkeepBestandInlezen(Env& env, const std::string& fileName);
core::Result EasyGpsBestandInlezen(Env& env, const std::string& fileName);
// The same readings of a file's bytes in memory.
core::Result ReadPathkeepText(Env& env, std::string_view bytes);
core::Result ReadEasyGpsText(Env& env, std::string_view bytes);

struct RouteConversion {
    enum class Status { Done, NotARouteFile, Unreadable, Unwritable };
    Status status = Status::Done;
    std::string outputPath;
    std::string error;
    int waypoints = 0;
};
// Writes the route file's waypoints as a GPX 1.0 file beside it (".gpx").
RouteConversion ConvertRouteFile(const std::string& rteFile);

}  // namespace formats
