// The RMC builder with any texts for its five arguments (the converter's
// fields are typed by hand): no crash, and every sentence it builds has the
// fixed field widths and a checksum that checks.

#include <cstdlib>
#include <string_view>

#include "core/fn.h"
#include "nmea/rmc_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // Five texts separated by NUL bytes: lon, lat, date, time, speed.
    std::string_view parts[5];
    for (auto& part : parts) {
        size_t end = text.find('\0');
        part = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    static nmea::RmcBuilder builder;  // kept between inputs, as the page's is
    nmea::RmcResult r = builder.MaakRMC(parts[0], parts[1], parts[2], parts[3], parts[4]);
    if (!r.ok) return 0;
    if (!core::CheckNmeaChecksum(r.sentence)) std::abort();
    if (core::NmeaField(r.sentence, 4).size() != 9 || core::NmeaField(r.sentence, 6).size() != 10) std::abort();
    std::string ns = core::NmeaField(r.sentence, 5), ew = core::NmeaField(r.sentence, 7);
    if ((ns != "N" && ns != "S") || (ew != "E" && ew != "W")) std::abort();
    return 0;
}
