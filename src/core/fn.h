#pragma once
// Number, date-time, NMEA, list-row and spherical-earth helpers that every
// subsystem uses. All are pure functions of their arguments; the few that need
// the time of day or the machine's UTC offset take a host::Clock.
//
// Texts are UTF-8. Date-time values are serial numbers: days since
// 1899-12-30 00:00 local time, the fraction being the time of day.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host {
class Clock;
}

namespace core {

// Reads a decimal number written with "." or ","; blanks around it, a sign and
// an exponent are accepted. Empty or unreadable text gives 0.
long double StrToFloatAny(std::string_view text);
// The same, but none instead of 0 for text that is no number.
std::optional<long double> ParseNumber(std::string_view text);
// mantissa / 10^decimals with the sign: how ParseNumber finishes a plain
// decimal of at most 19 digits, for readers that gather the digits themselves.
long double ScaledDecimal(std::uint64_t mantissa, int decimals, bool negative);
// The nearest whole number, ties to even: std::nearbyint in the default
// rounding mode, at a fraction of its cost (files hold millions of values).
long double RoundHalfEven(long double value);
// Every "." and "," replaced by the given decimal separator.
std::string ToLocalDecimal(std::string_view text, char decimalSeparator);
std::string CommaToPoint(std::string_view text);

// Serial number text -> "yyyy-mm-ddThh:nn:ss.zzz" plus the machine's current
// UTC offset ("Z" or "+hh:mm"). Empty text gives empty text.
std::string DateTimeToXml(std::string_view serialText, const host::Clock& clock);
// The same for a serial number already read.
std::string SerialToXml(long double serial, const host::Clock& clock);
// XML Schema date-time -> serial number text in local time (the machine's
// current offset), written with the given decimal separator. Empty on failure.
std::string XmlToDateTime(std::string_view xml, const host::Clock& clock, char decimalSeparator);
// The same as a number; none when the text is no date-time.
std::optional<long double> XmlToSerial(std::string_view xml, const host::Clock& clock);
// The fields of a date-time written "yyyy-mm-ddThh:nn:ss.zzz" with "Z" or
// an offset, for readers that hold them apart; XmlToSerial of that text.
struct XmlTimeFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0, offsetMinutes = 0;
};
std::optional<long double> XmlFieldsToSerial(const XmlTimeFields& fields, const host::Clock& clock);
// DateTimeToXml(XmlToDateTime(xml)) in one step, for the times of long
// tracks; none where only the two steps give the exact result (more than
// three decimals of a second, dates before 1899-12-30 or after 4637).
std::optional<std::string> XmlTimeToLocalXml(std::string_view xml, const host::Clock& clock);

std::string TodayText(const host::Clock& clock);  // "dd-mm-yyyy"
std::string NowText(const host::Clock& clock);    // "hh:mm:ss"
std::string DateTimeText(long double serial);     // "yyyy-mm-dd hh:nn:ss"
std::string ZeroPad(long long number, int width);

// Decimal degrees -> NMEA degrees and minutes without padding or hemisphere
// ("52.5" -> "5230.0"). Empty when the degrees before the point are not an
// integer.
std::optional<std::string> DegToNmea(std::string_view degrees);
// The same for a caller that has already read the text as `value`.
std::optional<std::string> DegToNmea(std::string_view degrees, long double value);
// DegToNmea of a number's general text (FloatToStrGeneral), without writing
// that text, with the number the text reads back as. False where the text
// would not be a plain decimal: the caller then goes by the text.
struct NmeaDegrees {
    char text[48];
    size_t size = 0;
    long double value = 0;
    std::string_view view() const { return {text, size}; }
};
bool DegToNmeaOfNumber(long double value, NmeaDegrees& out);
// "5212.3456N" -> "N 52° 12' 3456" (Dutch compass letters: Z for south, O for east).
std::string NmeaToDegText(std::string_view nmea);
// The n-th comma-separated field; the sentence type is field 1.
std::string NmeaField(std::string_view sentence, int n);
// The same without copying: a view into the sentence.
std::string_view NmeaFieldView(std::string_view sentence, int n);
// Fields 1..count at once, each as NmeaFieldView gives it: one pass over a line.
void NmeaFieldViews(std::string_view sentence, std::string_view* fields, int count);
std::uint8_t NmeaChecksum(std::string_view sentence);
bool CheckNmeaChecksum(std::string_view sentence);
// Field n of a clipboard row "<f1>,<f2>,...,<f11>".
std::string BracketField(std::string_view row, int n);

// Great-circle distance on a sphere of radius 6378.137 km.
long double DistanceKm(long double lat1, long double lon1, long double lat2, long double lon2);
// A point with its latitude's sine and cosine worked out once, for loops
// that measure a polyline point after point.
struct SphericalPoint {
    long double lat = 0, lon = 0;  // degrees
    long double sinLat = 0, cosLat = 1, lonRad = 0;
};
SphericalPoint ToSpherical(long double lat, long double lon);
long double DistanceKm(const SphericalPoint& a, const SphericalPoint& b);
// Initial course from point 1 to point 2 in degrees clockwise from north.
long double Bearing(long double lat1, long double lon1, long double lat2, long double lon2);

// --- shared building blocks of the helpers above -------------------------

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Splits a serial number into calendar fields, rounding to the millisecond.
DateTimeParts DecodeDateTime(long double serial);
// "hh:mm:ss" of a decoded date-time.
std::string TimeOfDayText(const DateTimeParts& parts);
std::string DateTimeText(const DateTimeParts& parts);  // "yyyy-mm-dd hh:nn:ss"
// Days since 1899-12-30 of a calendar date (proleptic Gregorian).
long long EncodeDate(int year, int month, int day);
// General decimal form with up to 15 significant digits and ".": fixed from
// 0.00001 up to 10^15 ("52.5", "0.00001"), else with an exponent ("1E-6").
std::string FloatToStrGeneral(long double value);
// The same text in a fixed buffer together with the number ParseNumber reads
// back from it, for callers that would otherwise write the text only to
// read it again. Plain decimals only (0, or 0.00001 <= |value| < 10^15 away
// from a rounding tie); false otherwise, and the caller takes the text route.
inline constexpr size_t kGeneralNumberChars = 32;
struct GeneralNumber {
    char text[kGeneralNumberChars];
    size_t size = 0;
    long double value = 0;
    std::string_view view() const { return {text, size}; }
};
bool ToGeneralNumber(long double value, GeneralNumber& out);
// The text alone, for callers that do not read the number back (out.value
// is left as it was); false where FloatToStrGeneral takes its slow path.
bool ToGeneralText(long double value, GeneralNumber& out);
// Trims blanks and control characters from both ends.
std::string_view Trim(std::string_view text);

}  // namespace core
