#pragma once
// pathkeep-cli garmin: transfers with a Garmin receiver.

#include <string>
#include <vector>

// The verb's lines of the program's usage text (a literal, so the usage stays one).
#define PATHKEEP_GARMIN_USAGE                                                              \
    "  garmin (--serial DEV [--speed N] | --tcp HOST:PORT) ACTION\n"                       \
    "                         transfers with a Garmin receiver; ACTION is one of\n"       \
    "      info                                  identify the receiver\n"                 \
    "      download [tracks,waypoints,routes] OUT.gpx\n"                                  \
    "      upload IN.gpx [tracks,waypoints,routes] [--power-off]\n"                       \
    "                                            (default: all three kinds)\n"

namespace cli {

int garminCommand(const std::vector<std::string>& args);

}  // namespace cli
