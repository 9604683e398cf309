#include "formats/field_checks.h"

#include <cmath>

#include "core/fn.h"
#include "core/text.h"

namespace formats {

namespace {
// 0001-01-01 and 9999-12-31 23:59:59.999 as serial numbers (days since 1899-12-30).
constexpr long double kFirstSerial = -693593;
constexpr long double kLastSerial = 2958466;
}  // namespace

std::string QuoteField(std::string_view field) {
    std::string out = core::Utf8Left(field, kQuotedFieldChars);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (out.size() < field.size()) out += "\xE2\x80\xA6";  // …
    return out;
}

std::optional<long double> ReadLatitude(std::string_view field) {
    std::optional<long double> v = core::ParseNumber(field);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > kMaxLatitude) return std::nullopt;
    return v;
}

std::optional<long double> ReadLongitude(std::string_view field) {
    std::optional<long double> v = core::ParseNumber(field);
    if (!v || !std::isfinite(*v) || std::fabs(*v) > kMaxLongitude) return std::nullopt;
    return v;
}

bool AltitudeInRange(long double metres) { return std::isfinite(metres) && std::fabs(metres) <= kMaxAltitudeMetres; }

bool SerialInRange(long double serial) {
    return std::isfinite(serial) && serial >= kFirstSerial - 1 && serial < kLastSerial;
}

std::string OneLine(std::string_view text, bool tabsToo) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n' || (tabsToo && c == '\t')) c = ' ';
    return out;
}

}  // namespace formats
