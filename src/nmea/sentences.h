#pragma once
// NMEA 0183 sentence decoding, the layer between the line framer and the
// display state (as gpsd's driver_nmea0183.c sits between packet.c and the
// session). Input: one sentence without its line end, checksum already
// checked by the caller. Output: the GpsDisplay fields.
//
// Understood: RMC, GGA, GLL, GSA and GSV of the GPS talker ("$GP"), and with
// `allTalkers` of the multi-constellation talkers GN, GL, GA, GB, BD and GQ.
// Everything else is ignored; the table lists the common sentences that are
// ignored on purpose, so a reader sees they were not forgotten.
//
// Limits: only the first kMaxFields fields are looked at (later ones read as
// empty, which no decoder uses). Sentences shorter than their row's minimum
// field count are ignored.
// Known gaps: fix quality (GGA field 7), RMC status and the variation value
// are not shown; VTG, ZDA and the like are not decoded.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "nmea/gps_display.h"

namespace nmea {

// The comma-separated fields of a sentence, split once. Field 1 is the
// sentence type, a "*" and what follows are cut from each field, blanks and
// control characters trimmed: the same fields as core::NmeaField.
class NmeaFields {
public:
    static constexpr int kMaxFields = 32;
    explicit NmeaFields(std::string_view sentence);
    // Field n (1-based); empty past the last one.
    std::string_view operator[](int n) const {
        return n >= 1 && n <= count_ ? fields_[static_cast<size_t>(n - 1)] : std::string_view();
    }
    // Fields present, counting every comma even past kMaxFields.
    int count() const { return total_; }

private:
    std::array<std::string_view, kMaxFields> fields_{};
    int count_ = 0;
    int total_ = 0;
};

// The message-table texts the decoders show (messages 5 to 9).
struct DecodeTexts {
    std::string east = "East";
    std::string west = "West";
    std::string noFix = "Position fix not possible";
    std::string fix2d = "2D position fixing";
    std::string fix3d = "3D position fixing";
};

struct DecodeOptions {
    char decimalSeparator = '.';  // of the numbers shown
    bool allTalkers = true;       // also GN, GL, GA, GB, BD and GQ
    DecodeTexts texts;
};

enum class DecodeStatus {
    Decoded,    // a decoder ran and updated the display
    Ignored,    // a sentence we know and leave alone, or a GLL without a valid fix
    Unknown,    // no row in the table (other talker, proprietary, garbage)
    TooShort,   // fewer fields than the row's minimum
    BadNumber,  // a GSV signal value that is not an integer; the rest of the sentence was skipped
};

struct DecodeResult {
    DecodeStatus status = DecodeStatus::Unknown;
    std::string error;  // for BadNumber: "'x' is not a valid integer value"
};

using SentenceDecoder = DecodeResult (*)(const NmeaFields&, const DecodeOptions&, GpsDisplay&);

// One row per sentence type; `decode` is null for sentences ignored on purpose.
struct SentenceRow {
    const char* type;  // "RMC"
    int minFields;     // counting the type itself
    SentenceDecoder decode;
};
const std::array<SentenceRow, 12>& SentenceTable();

// The entry point: "$GPRMC,..." -> the matching decoder. Fires
// display.infoChanged after a decoded sentence.
DecodeResult DecodeNMEA(std::string_view sentence, const DecodeOptions& options, GpsDisplay& display);

DecodeResult DecodeRMC(const NmeaFields& f, const DecodeOptions& o, GpsDisplay& d);
DecodeResult DecodeGGA(const NmeaFields& f, const DecodeOptions& o, GpsDisplay& d);
DecodeResult DecodeGLL(const NmeaFields& f, const DecodeOptions& o, GpsDisplay& d);
DecodeResult DecodeGSA(const NmeaFields& f, const DecodeOptions& o, GpsDisplay& d);
DecodeResult DecodeGSV(const NmeaFields& f, const DecodeOptions& o, GpsDisplay& d);

// The integer conversion of a GSV signal field: an optional sign and decimal
// digits that fit 32 bits; none for anything else.
bool ParseNmeaInteger(std::string_view text, std::int32_t& value);

}  // namespace nmea
