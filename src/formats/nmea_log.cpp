#include "formats/nmea_log.h"

#include <array>
#include <cmath>

#include "core/fn.h"
#include "core/text.h"
#include "formats/line_reader.h"
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

// Digits as a whole number; none when a character is no digit. Empty is 0.
std::optional<long> digitsValue(std::string_view s) {
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

// Degrees from the first `degreeDigits` characters, minutes from the two
// after them and at most four decimals after the point (the character
// between them is passed over).
std::optional<long double> coordinate(std::string_view field, size_t degreeDigits, std::string_view hemisphere,
                                      char positive) {
    std::string_view degrees = field.substr(0, degreeDigits);
    std::string_view minutes = field.substr(std::min(field.size(), degreeDigits), 2);
    size_t point = degreeDigits + 2;
    std::string_view fraction = field.size() > point + 1 ? field.substr(point + 1, 4) : std::string_view();
    std::optional<long> d = digitsValue(degrees), m = digitsValue(minutes), f = digitsValue(fraction);
    if (!d || !m || !f) return std::nullopt;
    static constexpr long double kScale[] = {1, 10, 100, 1000, 10000};
    long double value = *d + (*m + *f / kScale[fraction.size()]) / 60;
    bool positiveSide = !hemisphere.empty() && std::toupper(static_cast<unsigned char>(hemisphere[0])) == positive;
    return positiveSide ? value : -value;
}

}  // namespace

std::optional<long double> NmeaLatitude(std::string_view field, std::string_view hemisphere) {
    return coordinate(field, 2, hemisphere, 'N');
}

std::optional<long double> NmeaLongitude(std::string_view field, std::string_view hemisphere) {
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

namespace {

// The comma-separated fields of a sentence, split once; field 1 is the
// sentence type. Like NmeaField, a field ends at a "*" and is trimmed;
// fields past the last one read as empty.
class Fields {
public:
    static constexpr size_t kMax = 16;  // RMC and GGA use up to field 10

    explicit Fields(std::string_view line) {
        size_t pos = 0;
        while (count_ < kMax) {
            size_t comma = line.find(',', pos);
            std::string_view f = line.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
            fields_[count_++] = core::Trim(f.substr(0, f.find('*')));
            if (comma == std::string_view::npos) break;
            pos = comma + 1;
        }
    }
    std::string_view operator[](size_t n) const { return n >= 1 && n <= count_ ? fields_[n - 1] : std::string_view(); }

private:
    std::array<std::string_view, kMax> fields_{};
    size_t count_ = 0;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

NmeaLogReader::NmeaLogReader(Env& env, const NmeaLogOptions& options)
    : env_(env),
      options_(options),
      currentYear_(core::DecodeDateTime(env.clock.nowSerial()).year),
      milliseconds_(env.decimalSeparator() == '.') {
    env_.doc.NewTrack("ACTIVE LOG");
    env_.doc.beginBulk();
}

NmeaLogReader::~NmeaLogReader() {
    if (!finished_) env_.doc.endBulk();
}

void NmeaLogReader::error(std::string_view text) {
    env_.warning("Error> line " + std::to_string(lineNumber_) + ": " + DecodeLegacyText(text));
}

bool NmeaLogReader::next(std::string_view& text) {
    ++lineNumber_;
    if (lineNumber_ == 1 && text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    going_ = env_.operation.stepLine(lineNumber_, text);
    return going_;
}

bool NmeaLogReader::overlongLine(std::string_view head) {
    if (!next(head)) return false;
    error(head.substr(0, 82));  // no sentence is longer
    return true;
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
// time of day, lat, N/S, lon, E/W, fix quality (0: none), satellites,
// HDOP, altitude. Kept only while the log has given no RMC position.
void NmeaLogReader::keepGga(std::string_view text) {
    if (rmcPoints_ > 0 || !core::CheckNmeaChecksum(text)) return;
    Fields f(text);
    if (f[7].empty() || f[7] == "0" || f[3].empty() || f[5].empty()) return;
    std::optional<long double> lat = NmeaLatitude(f[3], f[4]), lon = NmeaLongitude(f[5], f[6]);
    std::string_view t = f[2];
    if (!lat || !lon || digitsAt(t, 0, 6) < 0) return;
    ggaPoints_.push_back({core::FloatToStrGeneral(*lat), core::FloatToStrGeneral(*lon), altitude_,
                          std::string(t.substr(0, 2)) + ":" + std::string(t.substr(2, 2)) + ":" +
                              std::string(t.substr(4, 2))});
}

bool NmeaLogReader::line(std::string_view text) {
    if (!next(text)) return false;
    if (!options_.allTalkers && (isSentence(text, "GGA", true) || isSentence(text, "RMC", true)) &&
        !isSentence(text, "GGA", false) && !isSentence(text, "RMC", false))
        ++otherTalkers_;
    if (isSentence(text, "GGA", options_.allTalkers)) {
        std::string_view field = Fields(text)[10];
        // Receivers repeat the altitude: its text is made once per change.
        if (field != altitudeField_) {
            altitudeField_ = field;
            altitude_ = field.empty() ? std::string() : core::FloatToStrGeneral(core::StrToFloatAny(field));
        }
        keepGga(text);
        return true;
    }
    if (!isSentence(text, "RMC", options_.allTalkers)) return true;
    if (!core::CheckNmeaChecksum(text)) {
        error(text);
        return true;
    }
    Fields f(text);
    // Without a date the point has no time (not 30 December 1899).
    std::string timeText;
    std::string_view date = f[10], time = f[2];
    if (!date.empty() && !time.empty()) {
        std::optional<long double> when = NmeaDateTime(date, time, currentYear_, milliseconds_);
        // A bad date or time costs its line only; the rest of the log is read.
        if (!when) {
            error(text);
            return true;
        }
        // Sentences carry UTC; the document takes the machine's local time.
        timeText = core::FloatToStrGeneral(*when + env_.clock.utcOffsetMinutes() / (24.0L * 60));
    }
    std::string_view latField = f[4], lonField = f[6];
    if (latField.empty() || lonField.empty()) return true;
    std::optional<long double> lat = NmeaLatitude(latField, f[5]), lon = NmeaLongitude(lonField, f[7]);
    // Letters where digits belong: the line is skipped, not read as 0.
    if (!lat || !lon) {
        error(text);
        return true;
    }
    env_.doc.AddTrackpoint(core::FloatToStrGeneral(*lat), core::FloatToStrGeneral(*lon), altitude_, timeText);
    if (++rmcPoints_ == 1) ggaPoints_ = {};
    return true;
}

core::Result NmeaLogReader::finish() {
    if (rmcPoints_ == 0 && !ggaPoints_.empty()) {
        for (const GgaPoint& p : ggaPoints_) env_.doc.AddTrackpoint(p.lat, p.lon, p.ele, "", {p.timeOfDay, {}, {}, {}, {}});
        env_.warning("No RMC positions: " + std::to_string(ggaPoints_.size()) +
                     " GGA positions were read, with the time of day as their name and no date");
    }
    if (rmcPoints_ == 0 && ggaPoints_.empty() && otherTalkers_ > 0)
        env_.warning(std::to_string(otherTalkers_) +
                     " sentences of other satellite systems were passed over; \"Decode all satellite systems\" reads them");
    ggaPoints_ = {};
    finished_ = true;
    env_.doc.endBulk();
    env_.status("");
    return going_ ? core::Result::done() : core::Result::cancelled();
}

core::Result NmeaBestandInlezen(Env& env, const std::string& fileName, const NmeaLogOptions& options) {
    env.report("Read NMEA logfile");
    LineReader in(fileName);
    if (!in.open()) return core::Result::failed(in.error());
    NmeaLogReader reader(env, options);
    std::string_view line;
    while (in.next(line))
        if (!(in.overlong() ? reader.overlongLine(line) : reader.line(line))) break;
    core::Result r = reader.finish();
    if (in.failed()) return core::Result::failed(in.error());
    return r;
}

core::Result NmeaLogInlezen(Env& env, std::string_view text, const NmeaLogOptions& options) {
    env.report("Read NMEA logfile");
    NmeaLogReader reader(env, options);
    ForEachLine(text, [&](std::string_view line) { return reader.line(line); });
    return reader.finish();
}

}  // namespace formats
