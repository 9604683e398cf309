#include "nmea/channel_texts.h"

namespace nmea {

namespace {

const char* pattern(ChannelText text) {
    switch (text) {
        case ChannelText::LineTooLong: return "A received line longer than %1 bytes was dropped.";
        case ChannelText::LinesDropped: return "%1 received lines were dropped: more than %2 lines were waiting.";
        case ChannelText::LogFileFailed: return "The NMEA log file could not be written: %1: %2";
        case ChannelText::DeviceGone: return "%1: the device is gone.";
        case ChannelText::ClientRefused: return "ServerSocket: connection from %1 refused: at most %2 clients.";
        case ChannelText::ListenFailed: return "The port listener could not listen on port %1: %2";
        case ChannelText::UnsentLines: return "$ --- %1 lines lost: the log file could not be written ---";
    }
    return "";
}

}  // namespace

std::string ChannelMessage(ChannelText text, std::initializer_list<std::string> values) {
    std::string out;
    for (const char* p = pattern(text); *p; ++p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
            size_t k = static_cast<size_t>(p[1] - '1');
            if (k < values.size()) out += *(values.begin() + k);
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace nmea
