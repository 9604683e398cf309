// NMEA sentence decoder: any text decodes without a crash, with and without
// the other talkers, its fields are those of core::NmeaField, and the
// display keeps its invariants.

#include <cstdlib>
#include <string_view>

#include "core/fn.h"
#include "nmea/sentences.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // The one-pass splitter gives the fields of the shared helper.
    nmea::NmeaFields fields(text);
    for (int n = 1; n <= nmea::NmeaFields::kMaxFields; ++n)
        if (fields[n] != core::NmeaField(text, n)) std::abort();
    static nmea::GpsDisplay display;  // kept between inputs, as a live display is
    for (bool all : {false, true}) {
        nmea::DecodeOptions options;
        options.allTalkers = all;
        options.decimalSeparator = all ? ',' : '.';
        nmea::DecodeNMEA(text, options, display);
        if (display.nextSlot < 0 || display.nextSlot > nmea::kSatSlots) std::abort();
        for (const auto& s : display.Sats) {
            nmea::SatBar bar = nmea::GpsDisplay::BarOf(s.signal);
            if (bar.height < 0 || bar.height > 97 || bar.top < 0) std::abort();
        }
    }
    return 0;
}
