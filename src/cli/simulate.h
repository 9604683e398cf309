#pragma once
// pathkeep-cli simulate: a track of a file played back as NMEA RMC
// sentences by the simulation of the page "NMEA simuleren", onto a serial
// device, a TCP server, TCP clients of our own, or stdout.

#include <string>
#include <vector>

namespace cli {

extern const char* const kSimulateUsage;
// Exit 0 done, 1 the file, track, time or output failed, 2 wrong usage.
int simulateCommand(const std::vector<std::string>& args);

}  // namespace cli
