#include "nmea/coordinate_conversion.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "core/fn.h"

namespace nmea {

namespace {

std::string general(long double value, char separator) {
    return core::ToLocalDecimal(core::FloatToStrGeneral(value), separator);
}

std::string firstChars(const std::string& text, size_t n) { return text.substr(0, n); }

// A whole number as the integer conversion reads it: optional sign, digits.
std::optional<long long> integer(const std::string& text) {
    std::string t(core::Trim(text));
    if (t.empty() || t.size() > 18) return std::nullopt;
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size()) return std::nullopt;
    for (size_t k = i; k < t.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(t[k]))) return std::nullopt;
    return std::strtoll(t.c_str(), nullptr, 10);
}

std::string notInteger(const std::string& text) { return "'" + text + "' is not a valid integer value"; }

bool negativeText(const std::string& text) {
    std::string_view t = core::Trim(text);
    return !t.empty() && t[0] == '-';
}

char positiveLetter(Axis axis) { return axis == Axis::Latitude ? 'N' : 'E'; }
char negativeLetter(Axis axis) { return axis == Axis::Latitude ? 'S' : 'W'; }

// "S" or "Z" (zuid) south of the equator, "W" west of Greenwich, as typed.
bool negativeDirection(const std::string& direction, Axis axis) {
    if (axis == Axis::Longitude) return direction == "W";
    return direction == "S" || direction == "Z";
}

}  // namespace

std::string SpeedButton9(CoordinateFields& f, Axis axis, char separator) {
    std::string cleaned;
    for (char c : core::Trim(f.decimal)) {
        if (c == '.' || c == ',')
            cleaned += separator;
        else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+')
            cleaned += c;
    }
    f.decimal = cleaned;
    size_t point = cleaned.find(separator);
    std::string whole = cleaned.substr(0, point);
    long double fraction =
        point == std::string::npos ? 0 : core::StrToFloatAny("0" + std::string(1, separator) + cleaned.substr(point + 1));
    std::optional<long long> degrees = integer(whole);
    if (!degrees) return notInteger(whole);
    f.degrees = std::to_string(std::llabs(*degrees));
    f.direction = std::string(1, negativeText(cleaned) ? negativeLetter(axis) : positiveLetter(axis));
    long double minutes = fraction * 60;
    long double wholeMinutes = std::floor(minutes);
    f.minutes = general(wholeMinutes, separator);
    f.seconds = firstChars(general((minutes - wholeMinutes) * 60, separator), 5);
    f.dmDegrees = whole;
    f.dmMinutes = firstChars(general(minutes, separator), 7);
    return {};
}

std::string SpeedButton10(CoordinateFields& f, Axis axis, char separator) {
    f.seconds = core::ToLocalDecimal(f.seconds, separator);
    long long degrees = integer(f.degrees).value_or(0);  // this button reads a bad degrees field as 0
    std::optional<long long> minutes = integer(f.minutes);
    if (!minutes) return notInteger(f.minutes);
    long double value = degrees + (*minutes + core::StrToFloatAny(f.seconds) / 60) / 60;
    std::string text = general(value, separator);
    if (negativeDirection(f.direction, axis)) text = "-" + text;
    size_t point = text.find(separator);
    f.decimal = point == std::string::npos ? firstChars(text, 6) : firstChars(text, point + 1 + 6);
    return {};
}

std::string SpeedButton11(CoordinateFields& f, Axis, char separator) {
    f.dmMinutes = core::ToLocalDecimal(f.dmMinutes, separator);
    std::optional<long long> degrees = integer(f.dmDegrees);
    if (!degrees) return notInteger(f.dmDegrees);
    long double minutes = core::StrToFloatAny(f.dmMinutes);
    long double value = negativeText(f.dmDegrees) ? -(std::llabs(*degrees) + minutes / 60) : *degrees + minutes / 60;
    f.decimal = general(value, separator);
    return {};
}

std::string SpeedButton12(CoordinateFields& f, Axis axis, char separator) {
    for (char& c : f.direction) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    f.dmDegrees = (negativeDirection(f.direction, axis) ? "-" : "") + f.degrees;
    f.seconds = core::ToLocalDecimal(f.seconds, separator);
    std::optional<long long> minutes = integer(f.minutes);
    if (!minutes) return notInteger(f.minutes);
    f.dmMinutes = firstChars(general(*minutes + core::StrToFloatAny(f.seconds) / 60, separator), 7);
    return {};
}

std::string SpeedButton13(CoordinateFields& f, Axis axis, char separator) {
    std::optional<long long> degrees = integer(f.dmDegrees);
    if (!degrees) return notInteger(f.dmDegrees);
    f.degrees = std::to_string(std::llabs(*degrees));
    f.direction = std::string(1, negativeText(f.dmDegrees) ? negativeLetter(axis) : positiveLetter(axis));
    f.dmMinutes = core::ToLocalDecimal(f.dmMinutes, separator);
    long double minutes = core::StrToFloatAny(f.dmMinutes);
    long double whole = std::floor(minutes);
    f.minutes = general(whole, separator);
    f.seconds = firstChars(general((minutes - whole) * 60, separator), 5);
    return {};
}

}  // namespace nmea
