#pragma once
// pathkeep-cli receive: live NMEA reception through the same channel and
// decoding code as the window, ending with the reception page's display.

#include <string>
#include <vector>

namespace cli {

extern const char* const kReceiveUsage;
// Exit 0 done, 1 the channel failed, 2 wrong usage.
int receiveCommand(const std::vector<std::string>& args);

}  // namespace cli
