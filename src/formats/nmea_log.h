#pragma once
// NMEA logs: a text file of sentences, one a line, as the reception log or
// any GPS logger writes it. Its RMC positions become the track "ACTIVE LOG",
// each with the altitude of the last GGA sentence before it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gpx.h"

namespace formats {

struct NmeaLogOptions {
    // Also the talkers of other satellite systems ($GNRMC, $GLGGA ...), as
    // receivers sold today write them; off: only $GPRMC and $GPGGA.
    bool allTalkers = true;
};

// The position of a "ddmm.mmmm" / "dddmm.mmmm" field as degrees, taking at
// most four decimals of the minutes; the hemisphere letter S or W (or none)
// makes it negative. None when a character other than a digit stands where
// the degrees, minutes or their decimals belong.
std::optional<long double> NmeaLatitude(std::string_view field, std::string_view hemisphere);
std::optional<long double> NmeaLongitude(std::string_view field, std::string_view hemisphere);

// The RMC date ("ddmmyy") and time ("hhmmss.ss") as a serial number; none
// when either is missing or not a real date and time. Two-digit years fall
// in the hundred years that begin 50 years before `currentYear`.
std::optional<long double> NmeaDateTime(std::string_view date, std::string_view time, int currentYear,
                                        bool withMilliseconds);

// The reading rules, fed one line at a time: a file streams through it with
// one fixed buffer, so memory grows with the points kept, not the file.
// A log without RMC positions gives its GGA positions instead, which carry
// the time of day but no date: the time becomes the point's name.
class NmeaLogReader {
public:
    NmeaLogReader(Env& env, const NmeaLogOptions& options);
    ~NmeaLogReader();
    NmeaLogReader(const NmeaLogReader&) = delete;
    NmeaLogReader& operator=(const NmeaLogReader&) = delete;

    // False once the operation is cancelled.
    bool line(std::string_view text);
    // A line too long to be a sentence (cut to its first part).
    bool overlongLine(std::string_view head);
    core::Result finish();

private:
    bool next(std::string_view& text);  // counts the line; drops a byte order mark
    void error(std::string_view text);

    Env& env_;
    NmeaLogOptions options_;
    std::string altitude_;      // of the last GGA sentence
    std::string altitudeField_; // the field it was made from
    struct GgaPoint {
        std::string lat, lon, ele, timeOfDay;
    };
    void keepGga(std::string_view text);
    std::vector<GgaPoint> ggaPoints_;  // until the first RMC position
    long rmcPoints_ = 0;
    long otherTalkers_ = 0;  // RMC and GGA sentences passed over without allTalkers
    int currentYear_;
    bool milliseconds_;
    long lineNumber_ = 0;
    bool going_ = true, finished_ = false;
};

core::Result NmeaBestandInlezen(Env& env, const std::string& fileName, const NmeaLogOptions& options);
// The same over a log held in memory.
core::Result NmeaLogInlezen(Env& env, std::string_view text, const NmeaLogOptions& options);

}  // namespace formats
