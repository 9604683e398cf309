#pragma once
// What the readers of text files accept from a field, and how they quote a
// field in the message log. Values outside what any place on earth or any
// calendar date can have are absent, never garbage.

#include <optional>
#include <string>
#include <string_view>

namespace formats {

constexpr size_t kQuotedFieldChars = 200;  // characters of a field a log line shows
constexpr long double kMaxAltitudeMetres = 100000;
constexpr long double kMaxLatitude = 90;
constexpr long double kMaxLongitude = 360;

// The field as a log line quotes it: at most kQuotedFieldChars characters,
// "…" after a longer one. Control characters become blanks.
std::string QuoteField(std::string_view field);

// A latitude or longitude field as a number within range; none when it is no
// number or out of range.
std::optional<long double> ReadLatitude(std::string_view field);
std::optional<long double> ReadLongitude(std::string_view field);
// A metres value within ±kMaxAltitudeMetres; none otherwise.
bool AltitudeInRange(long double metres);
// A serial date-time within the years 1 to 9999.
bool SerialInRange(long double serial);

// Text for one field of a line-based file: CR, LF (and, where the file
// separates columns by it, TAB) become a blank, so a name cannot start a
// new record.
std::string OneLine(std::string_view text, bool tabsToo = false);

}  // namespace formats
