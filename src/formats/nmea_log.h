#pragma once
// NMEA logs: a text file of sentences, one a line, as the reception log or
// any GPS logger writes it. Its RMC positions become the track "ACTIVE LOG",
// each with the altitude of the last GGA sentence before it.

#include <optional>
#include <string>
#include <string_view>

#include "formats/gpx.h"

namespace formats {

struct NmeaLogOptions {
    // Also the talkers of other satellite systems ($GNRMC, $GLGGA ...), as
    // receivers sold today write them; off: only $GPRMC and $GPGGA.
    bool allTalkers = false;
};

// The position of a "ddmm.mmmm" / "dddmm.mmmm" field as degrees, taking at
// most four decimals of the minutes; the hemisphere letter S or W (or none)
// makes it negative.
long double NmeaLatitude(std::string_view field, std::string_view hemisphere);
long double NmeaLongitude(std::string_view field, std::string_view hemisphere);

// The RMC date ("ddmmyy") and time ("hhmmss.ss") as a serial number; none
// when either is missing or not a real date and time. Two-digit years fall
// in the hundred years that begin 50 years before `currentYear`.
std::optional<long double> NmeaDateTime(std::string_view date, std::string_view time, int currentYear,
                                        bool withMilliseconds);

core::Result NmeaBestandInlezen(Env& env, const std::string& fileName, const NmeaLogOptions& options);

}  // namespace formats
