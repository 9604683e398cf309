#include "nmea/sentences.h"

#include <algorithm>

#include "core/fn.h"
#include "formats/nmea_log.h"

namespace nmea {

namespace {

// The talkers of multi-constellation receivers, accepted with allTalkers.
constexpr std::string_view kOtherTalkers[] = {"GN", "GL", "GA", "GB", "BD", "GQ"};
constexpr double kKmhPerKnot = 1.852;

std::string_view sub(std::string_view s, size_t from, size_t count) {
    return from < s.size() ? s.substr(from, count) : std::string_view();
}

// The general decimal text of a number, with the user's separator.
std::string numberText(std::string_view field, char separator) {
    std::string text = core::FloatToStrGeneral(core::StrToFloatAny(field));
    if (separator != '.') std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

std::string coordinate(std::string_view value, std::string_view hemisphere) {
    std::string joined;
    joined.reserve(value.size() + hemisphere.size());
    joined.append(value).append(hemisphere);
    return core::NmeaToDegText(joined);
}

DecodeResult decoded() { return {DecodeStatus::Decoded, {}}; }

// The labels and the numbers of one position, from its four fields.
void setPosition(GpsDisplay& d, std::string_view lat, std::string_view ns, std::string_view lon,
                 std::string_view ew) {
    d.lbBreedte = coordinate(lat, ns);
    d.lbLengte = coordinate(lon, ew);
    std::optional<long double> latDeg = lat.empty() ? std::nullopt : formats::NmeaLatitude(lat, ns);
    std::optional<long double> lonDeg = lon.empty() ? std::nullopt : formats::NmeaLongitude(lon, ew);
    if (latDeg && lonDeg && *latDeg >= -90 && *latDeg <= 90 && *lonDeg >= -180 && *lonDeg <= 180)
        d.position = GpsDisplay::Position{*latDeg, *lonDeg};
    else
        d.position.reset();
}

}  // namespace

NmeaFields::NmeaFields(std::string_view sentence) {
    if (sentence.empty()) return;
    // One pass over the characters: this runs for every received sentence.
    const char* p = sentence.data();
    const char* const end = p + sentence.size();
    const char* start = p;
    const char* star = nullptr;
    for (;; ++p) {
        if (p == end || *p == ',') {
            ++total_;
            if (count_ < kMaxFields) {
                const char* b = start;
                const char* e = star ? star : p;
                while (b < e && static_cast<unsigned char>(*b) <= ' ') ++b;
                while (e > b && static_cast<unsigned char>(e[-1]) <= ' ') --e;
                fields_[static_cast<size_t>(count_++)] = std::string_view(b, static_cast<size_t>(e - b));
            }
            if (p == end) break;
            start = p + 1;
            star = nullptr;
        } else if (*p == '*' && !star) {
            star = p;
        }
    }
}

bool ParseNmeaInteger(std::string_view text, std::int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//   2 time hhmmss.ss, 3 status (not examined), 4/5 latitude, 6/7 longitude,
//   8 speed in knots, 9 course in degrees, 10 date ddmmyy, 11 variation
//   (not shown), 12 variation direction.
DecodeResult DecodeRMC(const NmeaFields& f, const DecodeOptions& o, GpsDisplay& d) {
    // Built in place: the labels keep their capacity from sentence to sentence.
    std::string& time = d.lbTijd;
    time.clear();
    std::string_view date = f[10];
    if (date.empty()) time.push_back('-');
    else time.append(sub(date, 0, 2)).append("-").append(sub(date, 2, 2)).append("-").append(sub(date, 4, 2)).append("  ");
    std::string_view clock = f[2];
    if (!clock.empty())
        time.append(sub(clock, 0, 2)).append(":").append(sub(clock, 2, 2)).append(":").append(sub(clock, 4, 5));
    setPosition(d, f[4], f[5], f[6], f[7]);
    if (f[8].empty()) {
        d.lbSnelheid = "-";
    } else {
        std::string kmh = core::FloatToStrGeneral(core::StrToFloatAny(f[8]) * static_cast<long double>(kKmhPerKnot));
        if (o.decimalSeparator != '.') std::replace(kmh.begin(), kmh.end(), '.', o.decimalSeparator);
        d.lbSnelheid.assign(kmh, 0, 6).append(" km/h");
    }
    d.lbRichting = f[9].empty() ? std::string("-") : core::ToLocalDecimal(f[9], o.decimalSeparator);
    std::string_view variation = f[12];
    d.lbDeclination = variation == "E" ? o.texts.east : variation == "W" ? o.texts.west : std::string("-");
    return decoded();
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//   3/4 latitude, 5/6 longitude, 7 fix quality (not examined), 8 satellites
//   used, 10 altitude in metres, 12 geoid separation in metres.
DecodeResult DecodeGGA(const NmeaFields& f, const DecodeOptions& o, GpsDisplay& d) {
    setPosition(d, f[3], f[4], f[5], f[6]);
    std::string height = "-";
    if (!f[10].empty()) height = numberText(f[10], o.decimalSeparator) + " m";
    if (!f[12].empty()) height += ", " + numberText(f[12], o.decimalSeparator) + " m";
    d.lbHoogte = std::move(height);
    d.lbSat = f[8].empty() ? std::string("-") : std::string(f[8]);
    return decoded();
}

// $GPGLL,4916.45,N,12311.12,W,225444,A*31
//   2/3 latitude, 4/5 longitude, 6 time, 7 status: only "A" (valid) is shown.
DecodeResult DecodeGLL(const NmeaFields& f, const DecodeOptions&, GpsDisplay& d) {
    if (f[7] != "A") return {DecodeStatus::Ignored, {}};
    setPosition(d, f[2], f[3], f[4], f[5]);
    return decoded();
}

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
//   2 selection mode, 3 fix mode: 1 none, 2 2D, 3 3D; the rest not shown.
DecodeResult DecodeGSA(const NmeaFields& f, const DecodeOptions& o, GpsDisplay& d) {
    std::string_view mode = f[3];
    if (mode.empty() || mode == "1") d.lbStatus = o.texts.noFix;
    else if (mode == "2") d.lbStatus = o.texts.fix2d;
    else if (mode == "3") d.lbStatus = o.texts.fix3d;
    d.UpdateSats();
    return decoded();
}

// $GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75
//   2 messages in this report, 3 message number, 4 satellites in view, then
//   four groups of satellite number, elevation, azimuth and signal (dB) in
//   fields 5-8, 9-12, 13-16 and 17-20.
// Message 1 starts filling at slot 1; each group fills the next slot, empty
// or not. A report of more than twelve satellites, or messages before any
// message 1, find no slot and are dropped.
DecodeResult DecodeGSV(const NmeaFields& f, const DecodeOptions&, GpsDisplay& d) {
    if (f[3] == "1") d.nextSlot = 1;
    // NMEA 4.10 adds a signal ID after the last group ("...,40,1*hh"): one
    // field more than whole groups give. It is no satellite number.
    const int signalIdField = f.count() > 4 && (f.count() - 4) % 4 == 1 ? f.count() : 0;
    for (int k = 1; k <= 4; ++k) {
        if (d.nextSlot < 1 || d.nextSlot > kSatSlots) break;
        TSats& slot = d.Sats[static_cast<size_t>(d.nextSlot - 1)];
        slot.number = 4 * k + 1 == signalIdField ? std::string() : std::string(f[4 * k + 1]);
        std::string_view signal = f[4 * k + 4];
        if (!signal.empty()) {
            std::int32_t value = 0;
            if (!ParseNmeaInteger(signal, value))
                return {DecodeStatus::BadNumber, "'" + std::string(signal) + "' is not a valid integer value"};
            slot.signal = value;
        }
        if (slot.signal == 0) slot.signal = 1;
        d.nextSlot = d.nextSlot == kSatSlots ? 0 : d.nextSlot + 1;
    }
    d.UpdateSats();
    return decoded();
}

const std::array<SentenceRow, 12>& SentenceTable() {
    // Minimum field counts: a bare type would only blank the display (RMC,
    // GGA); a GLL without its status field (NMEA 1.5) says nothing valid.
    // Otherwise missing fields read as empty, and the decoders say what an
    // empty field shows. (A sentence cut off in transit fails its checksum
    // before it gets here.)
    static const std::array<SentenceRow, 12> table = {{
        {"RMC", 2, DecodeRMC},
        {"GGA", 2, DecodeGGA},
        {"GLL", 7, DecodeGLL},
        {"GSA", 1, DecodeGSA},
        {"GSV", 1, DecodeGSV},
        // Known and ignored on purpose.
        {"VTG", 1, nullptr},
        {"ZDA", 1, nullptr},
        {"GST", 1, nullptr},
        {"GBS", 1, nullptr},
        {"GNS", 1, nullptr},
        {"TXT", 1, nullptr},
        {"DTM", 1, nullptr},
    }};
    return table;
}

DecodeResult DecodeNMEA(std::string_view sentence, const DecodeOptions& options, GpsDisplay& display) {
    // "$", a two-letter talker and the three-letter type, compared exactly.
    if (sentence.size() < 6 || sentence[0] != '$') return {DecodeStatus::Unknown, {}};
    std::string_view talker = sentence.substr(1, 2), type = sentence.substr(3, 3);
    bool known = talker == "GP" || (options.allTalkers && std::find(std::begin(kOtherTalkers),
                                                                    std::end(kOtherTalkers),
                                                                    talker) != std::end(kOtherTalkers));
    if (!known) return {DecodeStatus::Unknown, {}};
    for (const SentenceRow& row : SentenceTable()) {
        if (type != row.type) continue;
        if (!row.decode) return {DecodeStatus::Ignored, {}};
        NmeaFields fields(sentence);
        if (fields.count() < row.minFields) return {DecodeStatus::TooShort, {}};
        DecodeResult result = row.decode(fields, options, display);
        if (result.status == DecodeStatus::Decoded) display.infoChanged();
        return result;
    }
    return {DecodeStatus::Unknown, {}};
}

}  // namespace nmea
