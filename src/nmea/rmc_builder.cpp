#include "nmea/rmc_builder.h"

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
bool coordinateField(std::string_view degrees, size_t width, char positive, char negative, std::string& field,
                     char& hemisphere) {
    std::optional<std::string> t = core::DegToNmea(degrees);
    if (!t) {
        // A number in another spelling ("1E-6", "+5") still is a position:
        // write it out in fixed notation and try again.
        std::optional<long double> value = core::ParseNumber(degrees);
        if (!value || !std::isfinite(*value)) return false;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.12Lf", *value);
        t = core::DegToNmea(buf);
        if (!t) return false;
    }
    hemisphere = positive;
    if (!t->empty() && (*t)[0] == '-') {
        t->erase(0, 1);
        hemisphere = negative;
    }
    // The point's 1-based position must reach width - 4; without a point
    // the length bound ends the loop.
    auto pointPos = [&] {
        size_t p = t->find('.');
        return p == std::string::npos ? 0 : p + 1;
    };
    while (pointPos() <= width - 5 && t->size() <= width) t->insert(0, "0");
    t->append(width, '0');
    t->resize(width);
    field = *t;
    return true;
}

// The run of digits at `pos`; pos moves past it.
std::string digitRun(std::string_view text, size_t& pos) {
    size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    return std::string(text.substr(start, pos - start));
}

std::string padOne(std::string part) { return part.size() < 2 ? "0" + part : part; }

}  // namespace

bool RmcLatitudeField(std::string_view lat, std::string& field, char& hemisphere) {
    return coordinateField(lat, 9, 'N', 'S', field, hemisphere);
}

bool RmcLongitudeField(std::string_view lon, std::string& field, char& hemisphere) {
    return coordinateField(lon, 10, 'E', 'W', field, hemisphere);
}

std::string RmcDateField(std::string_view date) {
    size_t pos = 0;
    std::string day = digitRun(date, pos);
    ++pos;  // the separator
    std::string month = pos <= date.size() ? digitRun(date, pos) : std::string();
    ++pos;
    std::string year = pos <= date.size() ? digitRun(date, pos) : std::string();
    if (year.size() == 4) year.erase(0, 2);
    return padOne(day) + padOne(month) + padOne(year);
}

std::string RmcTimeField(std::string_view time) {
    std::string parts[3];
    size_t pos = 0;
    for (int i = 0; i < 3 && pos <= time.size(); ++i) {
        size_t colon = time.find(':', pos);
        size_t end = colon == std::string_view::npos ? time.size() : colon;
        parts[i] = std::string(time.substr(pos, end - pos));
        pos = end + 1;
    }
    return padOne(parts[0]) + padOne(parts[1]) + padOne(parts[2]);
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
    static const char kHex[] = "0123456789ABCDEF";
    std::uint8_t sum = core::NmeaChecksum(body);
    body += kHex[sum >> 4];
    body += kHex[sum & 0x0F];
    return body;
}

RmcResult RmcBuilder::MaakRMC(std::string_view lon, std::string_view lat, std::string_view date,
                              std::string_view time, std::string_view speed) {
    RmcResult r;
    // Checked before anything changes, so a bad position leaves the panel
    // and the previous position as they were.
    std::string latField, lonField;
    char ns = 'N', ew = 'E';
    if (!RmcLatitudeField(lat, latField, ns)) {
        r.error = "'" + std::string(lat) + "' is not a valid latitude";
        r.panel = panel_;
        return r;
    }
    if (!RmcLongitudeField(lon, lonField, ew)) {
        r.error = "'" + std::string(lon) + "' is not a valid longitude";
        r.panel = panel_;
        return r;
    }
    long double lonValue = core::StrToFloatAny(lon), latValue = core::StrToFloatAny(lat);
    std::string speedText = core::CommaToPoint(speed).substr(0, kSpeedChars);

    std::string course;
    if (latValue != prevLat_ || lonValue != prevLon_) {
        r.moved = true;
        long double bearing = core::Bearing(prevLat_, prevLon_, latValue, lonValue);
        course = RmcCourseText(bearing);
        panel_.compassDeg = static_cast<int>(std::trunc(bearing));
        if (panelShown_) {
            panel_.Edit18 = std::string(lat.substr(0, kPanelCoordinateChars));
            panel_.Edit19 = std::string(lon.substr(0, kPanelCoordinateChars));
            panel_.Edit21 = core::ToLocalDecimal(core::FloatToStrGeneral(latValue - prevLat_), separator_);
            panel_.Edit22 = core::ToLocalDecimal(core::FloatToStrGeneral(lonValue - prevLon_), separator_);
            long double metres = core::DistanceKm(prevLat_, prevLon_, latValue, lonValue) * 1000;
            panel_.Edit23 = core::FloatToStrGeneral(std::nearbyint(metres)) + " m";
            panel_.Edit20 = course;
        }
    } else {
        course = prevCourse_;
        if (panelShown_) {
            panel_.Edit21 = "0";
            panel_.Edit22 = "0";
            panel_.Edit23 = "0 m";
        }
    }
    prevCourse_ = course;
    prevLat_ = latValue;
    prevLon_ = lonValue;

    std::string body = "$GPRMC,";
    body.reserve(80);
    body += RmcTimeField(time);
    body += ",A,";
    body += latField;
    body += ',';
    body += ns;
    body += ',';
    body += lonField;
    body += ',';
    body += ew;
    body += ',';
    body += speedText;
    body += ',';
    body += course;
    body += ',';
    body += RmcDateField(date);
    body += ",0.9,W,A*";
    r.ok = true;
    r.sentence = WithNmeaChecksum(std::move(body));
    r.panel = panel_;
    return r;
}

}  // namespace nmea
