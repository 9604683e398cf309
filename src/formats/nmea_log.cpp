#include "formats/nmea_log.h"

#include <cmath>

#include "core/fn.h"
#include "core/text.h"
#include "formats/text_codec.h"

namespace formats {

namespace {

// "$GPRMC" and, with all talkers, the same sentence from any satellite system.
bool isSentence(std::string_view line, std::string_view type, bool allTalkers) {
    if (line.size() < 6 || line[0] != '$' || line.substr(3, 3) != type) return false;
    std::string_view talker = line.substr(1, 2);
    if (talker == "GP") return true;
    return allTalkers && (talker == "GN" || talker == "GL" || talker == "GA" || talker == "GB" || talker == "BD" ||
                          talker == "GQ");
}

int digitsAt(std::string_view s, size_t pos, size_t n) {
    if (pos + n > s.size()) return -1;
    int v = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

// Degrees from the first `degreeDigits` characters, minutes from the two
// after them and at most four decimals after the point.
long double coordinate(std::string_view field, size_t degreeDigits, std::string_view hemisphere, char positive) {
    std::string degrees(field.substr(0, degreeDigits));
    std::string minutes(field.substr(std::min(field.size(), degreeDigits), 2));
    size_t point = degreeDigits + 2;
    if (field.size() > point + 1) minutes += "." + std::string(field.substr(point + 1, 4));
    long double value = core::StrToFloatAny(degrees) + core::StrToFloatAny(minutes) / 60;
    bool positiveSide = !hemisphere.empty() && std::toupper(static_cast<unsigned char>(hemisphere[0])) == positive;
    return positiveSide ? value : -value;
}

}  // namespace

long double NmeaLatitude(std::string_view field, std::string_view hemisphere) {
    return coordinate(field, 2, hemisphere, 'N');
}

long double NmeaLongitude(std::string_view field, std::string_view hemisphere) {
    return coordinate(field, 3, hemisphere, 'E');
}

std::optional<long double> NmeaDateTime(std::string_view date, std::string_view time, int currentYear,
                                        bool withMilliseconds) {
    int day = digitsAt(date, 0, 2), month = digitsAt(date, 2, 2), year = digitsAt(date, 4, 2);
    int hour = digitsAt(time, 0, 2), minute = digitsAt(time, 2, 2), second = digitsAt(time, 4, 2);
    if (date.size() != 6 || day < 1 || month < 1 || month > 12 || year < 0 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    int windowStart = currentYear - 50;
    int fullYear = windowStart - windowStart % 100 + year;
    if (fullYear < windowStart) fullYear += 100;
    long long days = core::EncodeDate(fullYear, month, day);
    if (core::DecodeDateTime(static_cast<long double>(days)).day != day) return std::nullopt;  // 31 June
    long double milliseconds = 0;
    if (withMilliseconds && time.size() > 7 && time[6] == '.') {
        std::string fraction(time.substr(7, 3));
        while (fraction.size() < 3) fraction += '0';
        int ms = digitsAt(fraction, 0, 3);
        if (ms < 0) return std::nullopt;
        milliseconds = ms;
    }
    return static_cast<long double>(days) +
           (hour * 3600.0L + minute * 60.0L + second + milliseconds / 1000) / 86400.0L;
}

core::Result NmeaBestandInlezen(Env& env, const std::string& fileName, const NmeaLogOptions& options) {
    env.report("Read NMEA logfile");
    std::string bytes, error;
    if (!ReadWholeFile(fileName, bytes, error)) return core::Result::failed(error);
    std::string text = DecodeLegacyText(bytes);
    bytes.clear();
    std::string altitude;  // of the last GGA sentence
    env.doc.NewTrack("ACTIVE LOG");
    env.doc.beginBulk();
    int currentYear = core::DecodeDateTime(env.clock.nowSerial()).year;
    bool milliseconds = env.decimalSeparator() == '.';
    long lineNumber = 0;
    bool going = true;
    ForEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        if (!(going = env.operation.stepLine(lineNumber, line))) return false;
        if (isSentence(line, "GGA", options.allTalkers)) {
            std::string field = core::NmeaField(line, 10);
            altitude = field.empty() ? std::string() : core::FloatToStrGeneral(core::StrToFloatAny(field));
            return true;
        }
        if (!isSentence(line, "RMC", options.allTalkers)) return true;
        if (!core::CheckNmeaChecksum(line)) {
            env.warning("Error> line " + std::to_string(lineNumber) + ": " + std::string(line));
            return true;
        }
        // Without a date the point has no time (not 30 December 1899).
        std::string timeText;
        std::string date = core::NmeaField(line, 10), time = core::NmeaField(line, 2);
        if (!date.empty() && !time.empty()) {
            std::optional<long double> when = NmeaDateTime(date, time, currentYear, milliseconds);
            // A bad date or time costs its line only; the rest of the log is read.
            if (!when) {
                env.warning("Error> line " + std::to_string(lineNumber) + ": " + std::string(line));
                return true;
            }
            timeText = core::FloatToStrGeneral(*when);
        }
        std::string lat = core::NmeaField(line, 4), lon = core::NmeaField(line, 6);
        if (lat.empty() || lon.empty()) return true;
        env.doc.AddTrackpoint(core::FloatToStrGeneral(NmeaLatitude(lat, core::NmeaField(line, 5))),
                              core::FloatToStrGeneral(NmeaLongitude(lon, core::NmeaField(line, 7))), altitude,
                              timeText);
        return true;
    });
    env.doc.endBulk();
    env.status("");
    return going ? core::Result::done() : core::Result::cancelled();
}

}  // namespace formats
