#pragma once
// pathkeep-cli nmea-log: the NMEA log file tool of the Extra menu.

#include <string>
#include <vector>

namespace cli {

extern const char* const kNmeaLogUsage;
// Prints each file written and the error count. Exit 0 done, 1 no option,
// a missing source or a failed run, 2 wrong usage.
int nmeaLogCommand(const std::vector<std::string>& args);

}  // namespace cli
