// The NMEA log file tool's line rules over any lines, from memory: the
// first byte chooses the options. The error count is exactly the lines
// without a valid checksum, empty lines are never written, and an output
// name made from whatever date a line carries stays in the source's folder.

#include <cstdlib>
#include <string>

#include "core/fn.h"
#include "formats/text_codec.h"
#include "nmea/log_tool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    nmea::LogToolOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0, (data[0] & 8) != 0};
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string first;
    formats::ForEachLine(text, [&](std::string_view line) {
        std::string_view d = nmea::RmcDateOf(line);
        if (!d.empty()) first = d;
        return d.empty();
    });
    nmea::LogLineRules rules(options, first);
    long invalid = 0;
    formats::ForEachLine(text, [&](std::string_view line) {
        nmea::LineDecision d = rules.take(line);
        if (d.valid != core::CheckNmeaChecksum(line)) std::abort();
        invalid += !d.valid;
        if (line.empty() && d.write) std::abort();
        if (d.newFile) {
            if (!options.split || rules.currentDate().empty()) std::abort();
            std::string name = nmea::LogOutputName("/logs/trip.log", &rules.currentDate(),
                                                   [](const std::string&) { return false; });
            if (name.rfind("/logs/trip (", 0) != 0 || name.find('/', 6) != std::string::npos) std::abort();
        }
        return true;
    });
    if (rules.errors() != invalid) std::abort();
    return 0;
}
