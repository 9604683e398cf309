#pragma once
// The texts the NMEA channels add to the message log for situations the
// numbered message table has no entry for, all in one place. "%1" and "%2"
// stand for the values filled in.

#include <initializer_list>
#include <string>

namespace nmea {

enum class ChannelText {
    LineTooLong,    // %1 the limit in bytes
    LinesDropped,   // %1 lines dropped, %2 the queue's capacity
    LogFileFailed,  // %1 the path, %2 the system's reason
    DeviceGone,     // %1 "COM3 (/dev/ttyUSB0)"
    ClientRefused,  // %1 the peer, %2 the most clients
    ListenFailed,   // %1 the port, %2 the reason
    UnsentLines,    // %1 lines lost while the log file could not be written
};

std::string ChannelMessage(ChannelText text, std::initializer_list<std::string> values = {});

}  // namespace nmea
