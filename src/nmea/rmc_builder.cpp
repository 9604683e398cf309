#include "nmea/rmc_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "core/fn.h"

namespace nmea {

namespace {

constexpr size_t kSpeedChars = 6;
constexpr size_t kPanelCoordinateChars = 12;

// Degrees and decimal minutes padded to a fixed width: ddmm.mmmm for a
// latitude (width 9, point at 5), dddmm.mmmm for a longitude (width 10,
// point at 6). The sign becomes the hemisphere letter.
// `known` is the number the text reads as, when the caller has it.
using CoordinateField = RmcCoordinateField;

void padField(std::string_view digits, size_t width, char positive, char negative, CoordinateField& field,
              char& hemisphere);

bool coordinateField(std::string_view degrees, std::optional<long double> known, size_t width, long double limit,
                     char positive, char negative, CoordinateField& field, char& hemisphere, long double& value) {
    // Only a number within the hemisphere's range becomes a position; a text
    // with stray characters would otherwise pass as 0 into the minutes.
    degrees = core::Trim(degrees);  // a blank typed before the number would land in the field
    std::optional<long double> number = known ? known : core::ParseNumber(degrees);
    if (!number || !(std::fabs(*number) <= limit)) return false;
    value = *number;
    // DegToNmea takes the digits before the point as the degrees, which in
    // "1.5E-6" would be 1: a number with an exponent goes the fixed way.
    bool exponent = std::any_of(degrees.begin(), degrees.end(), [](char c) { return c == 'e' || c == 'E'; });
    std::optional<std::string> t = exponent ? std::nullopt : core::DegToNmea(degrees, *number);
    if (!t) {
        // A number in another spelling ("1E-6", "+5") still is a position:
        // write it out in fixed notation and try again.
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.12Lf", *number);
        t = core::DegToNmea(buf);
        if (!t) return false;
    }
    padField(*t, width, positive, negative, field, hemisphere);
    return true;
}

// DegToNmea's text padded to the field's width, its sign the hemisphere.
void padField(std::string_view digits, size_t width, char positive, char negative, CoordinateField& field,
              char& hemisphere) {
    hemisphere = positive;
    if (!digits.empty() && digits[0] == '-') {
        digits.remove_prefix(1);
        hemisphere = negative;
    }
    // Zeros in front until the point's 1-based position reaches width - 4
    // (without a point, until the text is longer than the field), then
    // zeros behind, all cut to the width.
    size_t point = digits.find('.');
    size_t zeros = point == std::string_view::npos ? 0 : (width - 4 > point + 1 ? width - 4 - (point + 1) : 0);
    size_t lengthBound = digits.size() <= width ? width + 1 - digits.size() : 0;
    if (point == std::string_view::npos || zeros > lengthBound) zeros = lengthBound;
    size_t n = 0;
    for (; n < zeros && n < width; ++n) field.text[n] = '0';
    for (size_t i = 0; i < digits.size() && n < width; ++i) field.text[n++] = digits[i];
    for (; n < width; ++n) field.text[n] = '0';
    field.size = width;
}

// The run of digits at `pos`; pos moves past it.
std::string_view digitRun(std::string_view text, size_t& pos) {
    size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    return text.substr(start, pos - start);
}

// A part of at least two characters: "7" -> "07".
void appendPadded(std::string& out, std::string_view part) {
    if (part.size() < 2) out += '0';
    out += part;
}

// A field text as it goes into the sentence: the characters that would
// break its framing (field and checksum separators, line ends, controls)
// are left out.
bool keptInField(char c) { return static_cast<unsigned char>(c) > ' ' && c != ',' && c != '*' && c != '$' && c != 0x7F; }

void appendFieldText(std::string& out, std::string_view text) {
    for (char c : text)
        if (keptInField(c)) out += c;
}

void appendDateField(std::string& out, std::string_view date) {
    size_t pos = 0;
    std::string_view day = digitRun(date, pos);
    ++pos;  // the separator
    std::string_view month = pos <= date.size() ? digitRun(date, pos) : std::string_view();
    ++pos;
    std::string_view year = pos <= date.size() ? digitRun(date, pos) : std::string_view();
    if (year.size() == 4) year.remove_prefix(2);
    appendPadded(out, day);
    appendPadded(out, month);
    appendPadded(out, year);
}

void appendTimeField(std::string& out, std::string_view time) {
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        std::string_view part;
        if (pos <= time.size()) {
            size_t end = pos;
            while (end < time.size() && time[end] != ':') ++end;
            part = time.substr(pos, end - pos);
            pos = end + 1;
        }
        // The padding zero first, so a part left empty by the filter still
        // takes its place.
        if (part.size() < 2) out += '0';
        appendFieldText(out, part);
    }
}

void appendSpeedField(std::string& out, std::string_view speed) {
    for (char c : speed.substr(0, kSpeedChars)) {
        if (c == ',') c = '.';  // a decimal comma
        if (keptInField(c)) out += c;
    }
}

// The two hexadecimal digits of the checksum of everything before the '*'.
void appendChecksum(std::string& body) {
    static const char kHex[] = "0123456789ABCDEF";
    std::uint8_t sum = core::NmeaChecksum(body);
    body += kHex[sum >> 4];
    body += kHex[sum & 0x0F];
}

// A number as the general text a caller would have written for it, with the
// value that text reads back as when that is known without reading it.
struct GeneralText {
    explicit GeneralText(long double x) {
        if (core::ToGeneralNumber(x, number)) {
            text = number.view();
            value = number.value;
        } else {
            slow = core::FloatToStrGeneral(x);
            text = slow;
        }
    }
    GeneralText(const GeneralText&) = delete;
    GeneralText& operator=(const GeneralText&) = delete;

    core::GeneralNumber number;
    std::string slow;
    std::string_view text;
    std::optional<long double> value;
};

}  // namespace

bool RmcLatitudeField(std::string_view lat, std::string& field, char& hemisphere) {
    long double value;
    CoordinateField f;
    if (!coordinateField(lat, std::nullopt, 9, 90, 'N', 'S', f, hemisphere, value)) return false;
    field.assign(f.view());
    return true;
}

bool RmcLongitudeField(std::string_view lon, std::string& field, char& hemisphere) {
    long double value;
    CoordinateField f;
    if (!coordinateField(lon, std::nullopt, 10, 180, 'E', 'W', f, hemisphere, value)) return false;
    field.assign(f.view());
    return true;
}

std::string RmcDateField(std::string_view date) {
    std::string out;
    appendDateField(out, date);
    return out;
}

std::string RmcTimeField(std::string_view time) {
    std::string out;
    appendTimeField(out, time);
    return out;
}

std::string RmcCourseText(long double courseDeg) {
    // Three significant digits and at most one decimal, whichever rounds
    // more: tenths below 99.95, whole degrees from there.
    long double a = std::fabs(courseDeg);
    long long tenths = a >= 99.95L ? std::llround(a) * 10 : std::llround(a * 10);
    std::string out = courseDeg < 0 && tenths != 0 ? "-" : "";
    out += std::to_string(tenths / 10);
    out += '.';
    out += static_cast<char>('0' + tenths % 10);
    return out;
}

std::string WithNmeaChecksum(std::string body) {
    appendChecksum(body);
    return body;
}

RmcResult RmcBuilder::MaakRMC(std::string_view lon, std::string_view lat, std::string_view date,
                              std::string_view time, std::string_view speed) {
    RmcResult r;
    build({lon, std::nullopt}, {lat, std::nullopt}, date, time, speed, r);
    return r;
}

RmcResult RmcBuilder::MaakRMC(long double lon, long double lat, std::string_view date, std::string_view time,
                              long double knots) {
    RmcResult r;
    MaakRMC(lon, lat, date, time, knots, r);
    return r;
}

void RmcBuilder::MaakRMC(long double lon, long double lat, std::string_view date, std::string_view time,
                         long double knots, RmcResult& into) {
    core::GeneralNumber speed;  // only its text counts
    std::string slowSpeed;
    std::string_view speedText = core::ToGeneralText(knots, speed) ? speed.view()
                                                                  : std::string_view(slowSpeed = core::FloatToStrGeneral(knots));
    // Without a panel to show the coordinates' texts, the fields come
    // straight from the numbers; the same fields as through the texts.
    core::NmeaDegrees latDegrees, lonDegrees;
    if (!panelShown_ && core::DegToNmeaOfNumber(lat, latDegrees) && core::DegToNmeaOfNumber(lon, lonDegrees) &&
        std::fabs(latDegrees.value) <= 90 && std::fabs(lonDegrees.value) <= 180) {
        Fields f;
        padField(latDegrees.view(), 9, 'N', 'S', f.lat, f.ns);
        padField(lonDegrees.view(), 10, 'E', 'W', f.lon, f.ew);
        f.latValue = latDegrees.value;
        f.lonValue = lonDegrees.value;
        assemble(f, {}, {}, date, time, speedText, into);
        return;
    }
    GeneralText lonText(lon), latText(lat);
    build({lonText.text, lonText.value}, {latText.text, latText.value}, date, time, speedText, into);
}

void RmcBuilder::build(Degrees lon, Degrees lat, std::string_view date, std::string_view time,
                       std::string_view speed, RmcResult& r) {
    // Checked before anything changes, so a bad position leaves the panel
    // and the previous position as they were.
    Fields f;
    if (!coordinateField(lat.text, lat.value, 9, 90, 'N', 'S', f.lat, f.ns, f.latValue)) {
        r = RmcResult();
        r.error = "'" + std::string(lat.text) + "' is not a valid latitude (-90 to 90 degrees)";
        r.panel = panel_;
        return;
    }
    if (!coordinateField(lon.text, lon.value, 10, 180, 'E', 'W', f.lon, f.ew, f.lonValue)) {
        r = RmcResult();
        r.error = "'" + std::string(lon.text) + "' is not a valid longitude (-180 to 180 degrees)";
        r.panel = panel_;
        return;
    }
    assemble(f, lat.text, lon.text, date, time, speed, r);
}

void RmcBuilder::assemble(const Fields& f, std::string_view latText, std::string_view lonText, std::string_view date,
                          std::string_view time, std::string_view speed, RmcResult& r) {
    r.ok = false;
    r.moved = false;
    r.sentence.clear();
    r.error.clear();
    long double latValue = f.latValue, lonValue = f.lonValue;

    if (latValue != prevLat_ || lonValue != prevLon_) {
        r.moved = true;
        long double bearing = core::Bearing(prevLat_, prevLon_, latValue, lonValue);
        prevCourse_ = RmcCourseText(bearing);
        panel_.compassDeg = static_cast<int>(std::trunc(bearing));
        if (panelShown_) {
            panel_.Edit18 = std::string(latText.substr(0, kPanelCoordinateChars));
            panel_.Edit19 = std::string(lonText.substr(0, kPanelCoordinateChars));
            panel_.Edit21 = core::ToLocalDecimal(core::FloatToStrGeneral(latValue - prevLat_), separator_);
            panel_.Edit22 = core::ToLocalDecimal(core::FloatToStrGeneral(lonValue - prevLon_), separator_);
            long double metres = core::DistanceKm(prevLat_, prevLon_, latValue, lonValue) * 1000;
            panel_.Edit23 = core::FloatToStrGeneral(std::nearbyint(metres)) + " m";
            panel_.Edit20 = prevCourse_;
        }
    } else if (panelShown_) {
        // The course stays as it was.
        panel_.Edit21 = "0";
        panel_.Edit22 = "0";
        panel_.Edit23 = "0 m";
    }
    prevLat_ = latValue;
    prevLon_ = lonValue;

    std::string& body = r.sentence;
    body.reserve(80);
    body += "$GPRMC,";
    appendTimeField(body, time);
    body += ",A,";
    body += f.lat.view();
    body += ',';
    body += f.ns;
    body += ',';
    body += f.lon.view();
    body += ',';
    body += f.ew;
    body += ',';
    appendSpeedField(body, speed);
    body += ',';
    body += prevCourse_;
    body += ',';
    appendDateField(body, date);
    body += ",0.9,W,A*";
    appendChecksum(body);
    r.ok = true;
    r.panel = panel_;
}

}  // namespace nmea
