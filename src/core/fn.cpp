#include "core/fn.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host.h"

namespace core {

namespace {

constexpr long double kDegreesPerRadian = 57.295779513082320877L;
constexpr long double kEarthRadiusKm = 6378.137L;
constexpr long double kMsPerDay = 86400000.0L;
// Serial number of 1970-01-01: the civil-date algorithm below counts from there.
constexpr long long kUnixEpochSerial = 25569;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Howard Hinnant's days_from_civil / civil_from_days, proleptic Gregorian.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Appends value as exactly `width` digits (the value fits by construction).
void appendDigits(std::string& out, int value, int width) {
    char buf[8];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buf, static_cast<size_t>(width));
}

// Reads exactly `width` digits at text[pos].
bool readDigits(std::string_view text, size_t pos, size_t width, int& value) {
    if (pos + width > text.size()) return false;
    value = 0;
    for (size_t i = 0; i < width; ++i) {
        char c = text[pos + i];
        if (!isDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// A whole decimal integer with optional blanks before it and a sign.
std::optional<long long> parseInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}

long double clampCosine(long double c) { return c > 1 ? 1 : (c < -1 ? -1 : c); }

}  // namespace

std::string_view Trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

// Plain "[-]ddd[.ddd]" with at most 19 digits: mantissa and power of ten are
// both exact in extended precision, so one division rounds correctly, exactly
// as the general parser would. Files are full of these numbers.
static bool parseSimpleDecimal(std::string_view text, long double& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint64_t mantissa = 0;
    int digits = 0, decimals = -1;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (isDigit(c)) {
            if (++digits > 19) return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            if (decimals >= 0) ++decimals;
        } else if ((c == '.' || c == ',') && decimals < 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    value = ScaledDecimal(mantissa, decimals, negative);
    return true;
}

long double RoundHalfEven(long double value) {
    // Past 2^62 every value is whole already (and NaN stays NaN). Below it,
    // adding and taking away 1.5 * 2^63 leaves the nearest integer, ties to
    // even, as the sum's last bit is worth exactly one.
    if (!(std::fabs(value) < 0x1p62L)) return value;
    constexpr long double kMagic = 0x1.8p63L;
    return (value + kMagic) - kMagic;
}

long double ScaledDecimal(std::uint64_t mantissa, int decimals, bool negative) {
    static constexpr long double kPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                             1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                             1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
    long double value = static_cast<long double>(mantissa);
    if (decimals > 0) value /= kPow10[decimals];
    return negative ? -value : value;
}

long double StrToFloatAny(std::string_view text) { return ParseNumber(text).value_or(0); }

std::string ToLocalDecimal(std::string_view text, char decimalSeparator) {
    std::string out(text);
    for (char& c : out)
        if (c == '.' || c == ',') c = decimalSeparator;
    return out;
}

std::string CommaToPoint(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == ',') c = '.';
    return out;
}

long long EncodeDate(int year, int month, int day) {
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixEpochSerial;
}

DateTimeParts DecodeDateTime(long double serial) {
    DateTimeParts p;
    if (!std::isfinite(serial) || std::fabs(serial) > 3.0e6L) return p;  // outside years 0..9999
    long long days;
    long long ms;
    if (serial >= 0) {
        long long total = std::llround(serial * kMsPerDay);
        days = total / 86400000LL;
        ms = total % 86400000LL;
    } else {
        // Before 1899-12-30 the fraction still counts forward from midnight.
        days = static_cast<long long>(std::trunc(serial));
        ms = std::llround(std::fabs(serial - static_cast<long double>(days)) * kMsPerDay);
        if (ms >= 86400000LL) ms = 86400000LL - 1;
    }
    civilFromDays(days - kUnixEpochSerial, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.millisecond = static_cast<int>(ms % 1000);
    return p;
}

namespace {

constexpr long double kGeneralPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                         1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};

// The whole number nearest to a value in [0, 2^62) without floor() or a
// conversion to an integer type, both of which switch the x87 rounding mode
// (slow, and numbers are formatted by the million): added to 2^63, the
// value rounds to a whole number and the 64-bit significand is that number
// plus 2^63. False where long double has another layout.
bool nearestWhole(long double value, unsigned long long& out) {
#if (defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64
    if (!(value >= 0 && value < 0x1p62L)) return false;
    long double shifted = value + 0x1p63L;
    std::memcpy(&out, &shifted, sizeof out);
    out -= 1ULL << 63;
    return true;
#else
    (void)value;
    (void)out;
    return false;
#endif
}

// |value| as digits / 10^decimals with 15 significant digits, by scaling to
// an integer: exact unless the scaled value lies near a rounding tie, where
// the general path (printf) decides.
bool generalDigits(long double value, unsigned long long& digits, int& decimals) {
    long double a = std::fabs(value);
    if (!(a >= 1e-5L && a < 1e15L)) return false;
    int intDigits = a < 1 ? 0 : 1;
    while (intDigits < 15 && a >= kGeneralPow10[intDigits]) ++intDigits;
    decimals = 15 - intDigits;
    if (intDigits == 0) {  // 0.000ddd: leading zeros do not count
        long double b = a;
        while (b < 0.1L) {
            b *= 10;
            ++decimals;
        }
    }
    if (decimals > 19) return false;
    long double scaled = a * kGeneralPow10[decimals];
    unsigned long long nearest;
    if (!nearestWhole(scaled, nearest)) {
        long double whole = std::floor(scaled);
        long double frac = scaled - whole;
        if (std::fabs(frac - 0.5L) < 1e-3L) return false;
        digits = static_cast<unsigned long long>(whole) + (frac > 0.5L ? 1 : 0);
        return true;
    }
    // Near a tie only the exact digits of printf can tell.
    long double off = scaled - static_cast<long double>(nearest);  // in [-0.5, 0.5]
    long double frac = off >= 0 ? off : 1 + off;
    if (std::fabs(frac - 0.5L) < 1e-3L) return false;
    digits = nearest;
    return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The text of generalDigits: at least one digit before the point, no
// trailing zeros after it. Returns the length written. Numbers are written
// by the million, so the digits come two at a time.
size_t writeGeneral(bool negative, unsigned long long m, int decimals, char* out) {
    // The digits of m right-aligned, with zeros in front up to decimals + 1.
    char digits[24];
    char* const end = digits + sizeof digits;
    char* p = end;
    while (m >= 100) {
        unsigned pair = static_cast<unsigned>(m % 100);
        m /= 100;
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * pair, 2);
    }
    if (m >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * m, 2);
    } else if (m > 0) {
        *--p = static_cast<char>('0' + m);
    }
    while (end - p <= decimals) *--p = '0';
    char* const fraction = end - decimals;
    char* fractionEnd = end;
    while (fractionEnd > fraction && fractionEnd[-1] == '0') --fractionEnd;
    size_t size = 0;
    if (negative) out[size++] = '-';
    std::memcpy(out + size, p, static_cast<size_t>(fraction - p));
    size += static_cast<size_t>(fraction - p);
    if (fractionEnd > fraction) {
        out[size++] = '.';
        std::memcpy(out + size, fraction, static_cast<size_t>(fractionEnd - fraction));
        size += static_cast<size_t>(fractionEnd - fraction);
    }
    return size;
}

}  // namespace

bool ToGeneralText(long double value, GeneralNumber& out) {
    if (value == 0) {
        out.text[0] = '0';  // "-0" is written "0" too
        out.size = 1;
        return true;
    }
    unsigned long long m;
    int decimals;
    if (!generalDigits(value, m, decimals)) return false;
    out.size = writeGeneral(value < 0, m, decimals, out.text);
    return true;
}

bool ToGeneralNumber(long double value, GeneralNumber& out) {
    if (value == 0) {
        out.text[0] = '0';
        out.size = 1;
        out.value = 0;  // "-0" is written "0" and reads back as +0
        return true;
    }
    unsigned long long m;
    int decimals;
    // ParseNumber reads at most 19 digits itself, the leading "0." counted.
    if (!generalDigits(value, m, decimals) || decimals > 18) return false;
    out.size = writeGeneral(value < 0, m, decimals, out.text);
    // m / 10^decimals is the real number the text spells; the division
    // rounds it once, as the reading does.
    out.value = static_cast<long double>(m);
    if (decimals > 0) out.value /= kGeneralPow10[decimals];
    if (value < 0) out.value = -out.value;
    return true;
}

std::string FloatToStrGeneral(long double value) {
    if (!std::isfinite(value)) return value != value ? "NAN" : value > 0 ? "INF" : "-INF";
    if (GeneralNumber g; ToGeneralText(value, g)) return std::string(g.view());
    // The exact digits from printf, placed the general way: fixed from 1E-5
    // up to 1E15, "1.5E20" style outside that.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", std::fabs(value));
    std::string text = buf;
    size_t e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = value < 0 ? "-" : "";
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        } else {
            std::string whole = digits.substr(0, std::min(digits.size(), static_cast<size_t>(exponent) + 1));
            whole.append(static_cast<size_t>(exponent) + 1 - whole.size(), '0');
            out += whole;
            if (digits.size() > static_cast<size_t>(exponent) + 1) out += "." + digits.substr(static_cast<size_t>(exponent) + 1);
        }
        return out;
    }
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    return out + "E" + std::to_string(exponent);
}

std::optional<long double> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    long double simple;
    if (parseSimpleDecimal(text, simple)) return simple;
    char buf[64];
    if (text.size() >= sizeof buf) return std::nullopt;
    size_t n = 0, i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    // from_chars also takes "inf" and "nan", which are not numbers here.
    if (i >= text.size() || !(isDigit(text[i]) || text[i] == '.' || text[i] == ',')) return std::nullopt;
    for (; i < text.size(); ++i) buf[n++] = text[i] == ',' ? '.' : text[i];
    long double value = 0;
    auto [end, ec] = std::from_chars(buf, buf + n, value);
    if (ec != std::errc() || end != buf + n) return std::nullopt;
    return negative ? -value : value;
}

namespace {

// "yyyy-mm-dd" + between + "hh:nn:ss"
// Digits into a buffer, for the texts every point of a long track gets.
char* putDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

// "yyyy-mm-dd" + between + "hh:nn:ss"; returns the end.
char* putDateAndTime(char* out, const DateTimeParts& p, char between) {
    out = putDigits(out, p.year, 4);
    *out++ = '-';
    out = putDigits(out, p.month, 2);
    *out++ = '-';
    out = putDigits(out, p.day, 2);
    *out++ = between;
    out = putDigits(out, p.hour, 2);
    *out++ = ':';
    out = putDigits(out, p.minute, 2);
    *out++ = ':';
    return putDigits(out, p.second, 2);
}

std::string dateAndTime(const DateTimeParts& p, char between) {
    char buf[32];
    return std::string(buf, putDateAndTime(buf, p, between));
}

std::string formatXml(const DateTimeParts& p, int offsetMinutes) {
    char buf[48];
    char* end = putDateAndTime(buf, p, 'T');
    *end++ = '.';
    end = putDigits(end, p.millisecond, 3);
    if (offsetMinutes == 0) {
        *end++ = 'Z';
    } else {
        *end++ = offsetMinutes > 0 ? '+' : '-';
        int m = std::abs(offsetMinutes);
        end = putDigits(end, m / 60 % 100, 2);
        *end++ = ':';
        end = putDigits(end, m % 60, 2);
    }
    return std::string(buf, end);
}

}  // namespace

std::string DateTimeToXml(std::string_view serialText, const host::Clock& clock) {
    if (serialText.empty()) return {};
    return SerialToXml(StrToFloatAny(serialText), clock);
}

std::string SerialToXml(long double serial, const host::Clock& clock) {
    return formatXml(DecodeDateTime(serial), clock.utcOffsetMinutes());
}

std::string XmlToDateTime(std::string_view xml, const host::Clock& clock, char decimalSeparator) {
    std::optional<long double> value = XmlToSerial(xml, clock);
    return value ? ToLocalDecimal(FloatToStrGeneral(*value), decimalSeparator) : std::string();
}

namespace {

struct XmlDateTimeFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    long double fraction = 0;  // of a second
    int fractionDigits = 0;
    int milliseconds = 0;  // the fraction when it has at most three digits
    int offsetMinutes = 0;
};

// "yyyy-mm-dd[Thh:nn[:ss[.fff]]][Z|+hh:mm|-hh:mm]"; no offset means UTC.
bool parseXmlDateTime(std::string_view xml, XmlDateTimeFields& f) {
    std::string_view t = Trim(xml);
    if (!readDigits(t, 0, 4, f.year) || t.size() < 10 || t[4] != '-' || !readDigits(t, 5, 2, f.month) ||
        t[7] != '-' || !readDigits(t, 8, 2, f.day))
        return false;
    if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > daysInMonth(f.year, f.month)) return false;
    size_t pos = 10;
    if (pos < t.size() && (t[pos] == 'T' || t[pos] == 't')) {
        if (!readDigits(t, pos + 1, 2, f.hour) || pos + 3 >= t.size() || t[pos + 3] != ':' ||
            !readDigits(t, pos + 4, 2, f.minute))
            return false;
        pos += 6;
        if (pos < t.size() && t[pos] == ':') {
            if (!readDigits(t, pos + 1, 2, f.second)) return false;
            pos += 3;
            if (pos < t.size() && (t[pos] == '.' || t[pos] == ',')) {
                long double scale = 0.1L;
                ++pos;
                size_t start = pos;
                for (; pos < t.size() && isDigit(t[pos]); ++pos, scale /= 10) {
                    f.fraction += (t[pos] - '0') * scale;
                    if (++f.fractionDigits <= 3) f.milliseconds = f.milliseconds * 10 + (t[pos] - '0');
                }
                if (pos == start) return false;
                for (int d = f.fractionDigits; d < 3; ++d) f.milliseconds *= 10;
            }
        }
        if (f.hour > 24 || f.minute > 59 || f.second > 60) return false;
    }
    if (pos < t.size()) {
        char c = t[pos];
        if (c == 'Z' || c == 'z') {
            ++pos;
        } else if (c == '+' || c == '-') {
            int oh, om;
            if (!readDigits(t, pos + 1, 2, oh)) return false;
            size_t mPos = pos + 3;
            if (mPos < t.size() && t[mPos] == ':') ++mPos;
            if (!readDigits(t, mPos, 2, om) || oh > 14 || om > 59) return false;
            f.offsetMinutes = (oh * 60 + om) * (c == '-' ? -1 : 1);
            pos = mPos + 2;
        }
    }
    return pos == t.size();
}

}  // namespace

namespace {

std::optional<long double> serialOf(const XmlDateTimeFields& f, const host::Clock& clock) {
    long double days = static_cast<long double>(EncodeDate(f.year, f.month, f.day)) +
                       (f.hour * 3600.0L + f.minute * 60.0L + f.second + f.fraction) / 86400.0L +
                       (clock.utcOffsetMinutes() - f.offsetMinutes) / 1440.0L;
    if (days >= 0) return days;
    // Before 1899-12-30 the whole days count back but the fraction still
    // counts forward from midnight: 1899-12-29 06:00 is -1.25.
    long double day = std::floor(days);
    return day - (days - day);
}

}  // namespace

std::optional<long double> XmlToSerial(std::string_view xml, const host::Clock& clock) {
    XmlDateTimeFields f;
    if (!parseXmlDateTime(xml, f)) return std::nullopt;
    return serialOf(f, clock);
}

std::optional<long double> XmlFieldsToSerial(const XmlTimeFields& t, const host::Clock& clock) {
    // The checks and the arithmetic of reading the text those fields spell.
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour > 24 ||
        t.minute > 59 || t.second > 60 || t.millisecond > 999 ||
        std::abs(t.offsetMinutes) > 14 * 60 + 59)
        return std::nullopt;
    XmlDateTimeFields f;
    f.year = t.year;
    f.month = t.month;
    f.day = t.day;
    f.hour = t.hour;
    f.minute = t.minute;
    f.second = t.second;
    f.offsetMinutes = t.offsetMinutes;
    long double scale = 0.1L;
    for (int digit : {t.millisecond / 100, t.millisecond / 10 % 10, t.millisecond % 10}) {
        f.fraction += digit * scale;
        scale /= 10;
    }
    return serialOf(f, clock);
}

std::optional<std::string> XmlTimeToLocalXml(std::string_view xml, const host::Clock& clock) {
    XmlDateTimeFields f;
    if (!parseXmlDateTime(xml, f) || f.fractionDigits > 3) return std::nullopt;
    constexpr long long kMsPerDayInt = 86400000LL;
    long long ms = EncodeDate(f.year, f.month, f.day) * kMsPerDayInt +
                   ((f.hour * 60LL + f.minute) * 60 + f.second) * 1000 + f.milliseconds +
                   (clock.utcOffsetMinutes() - f.offsetMinutes) * 60000LL;
    // Where the text round trip keeps every millisecond: from 1899-12-30 on,
    // while the day count has fewer than seven digits.
    if (ms < 0 || ms >= 1000000 * kMsPerDayInt) return std::nullopt;
    DateTimeParts p;
    long long days = ms / kMsPerDayInt, rest = ms % kMsPerDayInt;
    civilFromDays(days - kUnixEpochSerial, p.year, p.month, p.day);
    p.hour = static_cast<int>(rest / 3600000);
    p.minute = static_cast<int>(rest / 60000 % 60);
    p.second = static_cast<int>(rest / 1000 % 60);
    p.millisecond = static_cast<int>(rest % 1000);
    return formatXml(p, clock.utcOffsetMinutes());
}

std::string TodayText(const host::Clock& clock) {
    DateTimeParts p = DecodeDateTime(clock.nowSerial());
    std::string out;
    appendDigits(out, p.day, 2);
    out += '-';
    appendDigits(out, p.month, 2);
    out += '-' + std::to_string(p.year);
    return out;
}

std::string NowText(const host::Clock& clock) { return TimeOfDayText(DecodeDateTime(clock.nowSerial())); }

std::string TimeOfDayText(const DateTimeParts& p) {
    char buf[16];
    char* end = putDigits(buf, p.hour, 2);
    *end++ = ':';
    end = putDigits(end, p.minute, 2);
    *end++ = ':';
    end = putDigits(end, p.second, 2);
    return std::string(buf, end);
}

std::string DateTimeText(long double serial) { return DateTimeText(DecodeDateTime(serial)); }

std::string DateTimeText(const DateTimeParts& parts) { return dateAndTime(parts, ' '); }

std::string ZeroPad(long long number, int width) {
    std::string s = std::to_string(number);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
    return s;
}

std::optional<std::string> DegToNmea(std::string_view degrees) {
    std::string text(degrees);
    if (auto comma = text.find(','); comma != std::string::npos) text[comma] = '.';
    return DegToNmea(degrees, StrToFloatAny(text));
}

namespace {

// The minutes DegToNmea writes after the degrees, for a value whose text
// has `whole` before its point: at most seven characters into m, their
// number returned.
constexpr size_t kMinuteChars = 7;
size_t nmeaMinutes(long long whole, long double value, char* m) {
    long double d = std::fabs(static_cast<long double>(whole));
    long double v = std::fabs(value);
    double minutes = static_cast<double>(static_cast<double>(v - d) * 60.0);
    GeneralNumber g;
    std::string slow;
    std::string_view text = ToGeneralText(minutes, g) ? g.view() : std::string_view(slow = FloatToStrGeneral(minutes));
    // Within a hair of a whole degree the general text has an exponent
    // ("6E-7"): cut to four decimals like any other, that is no minutes.
    if (text.find_first_of("Ee") != std::string_view::npos || minutes < 0) text = "0.0000";
    // "0" before minutes under 10, ".0" after whole minutes, cut to seven
    // characters: "05.1234".
    char buffer[kMinuteChars + 3];
    size_t n = 0;
    if (minutes < 10) buffer[n++] = '0';
    for (size_t i = 0; i < text.size() && n < kMinuteChars; ++i) buffer[n++] = text[i];
    if (text.find('.') == std::string_view::npos) {
        buffer[n++] = '.';
        buffer[n++] = '0';
    }
    n = std::min(n, kMinuteChars);
    std::memcpy(m, buffer, n);
    return n;
}

}  // namespace

std::optional<std::string> DegToNmea(std::string_view degrees, long double value) {
    // A whole number of degrees ("52") has no point; its integer part is all of it.
    size_t point = 0;
    while (point < degrees.size() && degrees[point] != '.' && degrees[point] != ',') ++point;
    std::string_view intPart = degrees.substr(0, point);
    auto whole = parseInteger(intPart);
    if (!whole) return std::nullopt;
    char m[kMinuteChars];
    size_t n = nmeaMinutes(*whole, value, m);
    std::string out;
    out.reserve(intPart.size() + kMinuteChars);
    out.append(intPart).append(m, n);
    return out;
}

bool DegToNmeaOfNumber(long double value, NmeaDegrees& out) {
    unsigned long long m = 0;
    int decimals = 0;
    if (value != 0 && (!generalDigits(value, m, decimals) || decimals > 18)) return false;
    // What ToGeneralNumber gives as the text's value, and the text's integer part.
    out.value = static_cast<long double>(m);
    if (decimals > 0) out.value /= kGeneralPow10[decimals];
    if (value < 0) out.value = -out.value;
    static constexpr unsigned long long kPow10[] = {1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL, 1000000ULL,
        10000000ULL, 100000000ULL, 1000000000ULL, 10000000000ULL, 100000000000ULL, 1000000000000ULL,
        10000000000000ULL, 100000000000000ULL, 1000000000000000ULL, 10000000000000000ULL,
        100000000000000000ULL, 1000000000000000000ULL};
    unsigned long long whole = m / kPow10[decimals];
    char digits[24];
    char* const end = digits + sizeof digits;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    size_t size = 0;
    if (value < 0) out.text[size++] = '-';
    long long wholeValue = 0;
    for (char* q = p; q < end; ++q) {
        out.text[size++] = *q;
        wholeValue = wholeValue * 10 + (*q - '0');
    }
    size += nmeaMinutes(wholeValue, out.value, out.text + size);
    out.size = size;
    return true;
}

std::string NmeaToDegText(std::string_view nmea) {
    if (nmea.empty()) return "-";
    std::string_view text = nmea;
    std::string prefix;
    switch (text.back()) {
        case 'N': prefix = "N "; break;
        case 'S': prefix = "Z "; break;
        case 'E': prefix = "O "; break;
        case 'W': prefix = "W "; break;
        default: break;
    }
    if (!prefix.empty()) text.remove_suffix(1);
    // Degrees and minutes split at the decimal point, so receivers that send
    // five decimals of minutes ("4636.00120") show as well as four.
    size_t point = text.find('.');
    if (point == std::string_view::npos) {
        point = 0;
        while (point < text.size() && text[point] >= '0' && text[point] <= '9') ++point;
    }
    size_t minutesAt = point >= 2 ? point - 2 : 0;
    std::string_view degrees = text.substr(0, minutesAt);
    if (degrees.size() == 3 && degrees[0] == '0') degrees.remove_prefix(1);  // "005" shows "05"
    std::string_view minutes = text.substr(minutesAt, point - minutesAt);
    std::string_view fraction = point < text.size() ? text.substr(point + 1, 4) : std::string_view();
    size_t digits = 0;
    while (digits < fraction.size() && fraction[digits] >= '0' && fraction[digits] <= '9') ++digits;
    fraction = fraction.substr(0, digits);
    std::string out;
    out.reserve(prefix.size() + degrees.size() + minutes.size() + fraction.size() + 6);
    out.append(prefix).append(degrees).append("\xC2\xB0 ").append(minutes).append("' ").append(fraction);
    return out;
}

std::string NmeaField(std::string_view sentence, int n) { return std::string(NmeaFieldView(sentence, n)); }

std::string_view NmeaFieldView(std::string_view sentence, int n) {
    if (sentence.empty()) return {};
    size_t pos = 0;
    for (int passed = 0; passed < n - 1; ++passed) {
        size_t comma = sentence.find(',', pos);
        if (comma == std::string_view::npos) return {};
        pos = comma + 1;
    }
    std::string_view field = sentence.substr(pos);
    field = field.substr(0, field.find(','));
    field = field.substr(0, field.find('*'));
    return Trim(field);
}

void NmeaFieldViews(std::string_view sentence, std::string_view* fields, int count) {
    size_t pos = sentence.empty() ? std::string_view::npos : 0;
    for (int i = 0; i < count; ++i) {
        if (pos == std::string_view::npos) {
            fields[i] = {};
            continue;
        }
        size_t comma = sentence.find(',', pos);
        std::string_view field = sentence.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
        fields[i] = Trim(field.substr(0, field.find('*')));
        pos = comma == std::string_view::npos ? comma : comma + 1;
    }
}

std::uint8_t NmeaChecksum(std::string_view sentence) {
    sentence = sentence.substr(0, sentence.find('*'));
    std::uint8_t sum = 0;
    for (size_t i = 1; i < sentence.size(); ++i) sum ^= static_cast<std::uint8_t>(sentence[i]);
    return sum;
}

bool CheckNmeaChecksum(std::string_view sentence) {
    size_t star = sentence.find('*');
    if (star == std::string_view::npos) return false;
    std::string_view digits = sentence.substr(star + 1, 2);
    unsigned value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) value = 255;
    return (value & 0xFF) == NmeaChecksum(sentence);
}

std::string BracketField(std::string_view row, int n) {
    if (row.empty()) return {};
    row.remove_prefix(1);
    for (int i = 1; i < n; ++i) {
        size_t sep = row.find(">,<");
        if (sep == std::string_view::npos) return {};
        row.remove_prefix(sep + 3);
    }
    size_t close = row.find('>');
    return close == std::string_view::npos ? std::string() : std::string(row.substr(0, close));
}

namespace {

struct SinCos {
    long double sin, cos;
};

// The sine and cosine of a latitude in radians. Beyond pi/4 the library
// first reduces the angle, which costs more than the sine itself; the
// co-function of the small remainder is as exact.
SinCos computeLatitudeSinCos(long double rad) {
    constexpr long double half = 1.5707963267948966192313216916397514L, quarter = half / 2;
    if (rad > quarter && rad <= half) return {std::cos(half - rad), std::sin(half - rad)};
    if (rad < -quarter && rad >= -half) return {-std::cos(-half - rad), -std::sin(-half - rad)};
    return {std::sin(rad), std::cos(rad)};
}

// Distances and courses are taken hop after hop along a track: a latitude
// comes back in the next few calls, and a hop whose length was just taken
// often has its course taken next. The last few latitudes and arcs are
// remembered, since the extended-precision sine of a latitude and the arc
// tangent each cost hundreds of instructions.
// A number's bits, for the look-ups below: equal bits are the same value
// with the same sign of zero, and comparing integers is cheaper than
// loading extended-precision numbers to compare them.
struct NumberBits {
    std::uint64_t significand = 0;
    std::uint16_t signAndExponent = 0;  // the x87 layout's last two bytes; none elsewhere
    NumberBits() = default;
    explicit NumberBits(long double x) {
        static_assert(sizeof(long double) >= sizeof significand);
        const char* bytes = reinterpret_cast<const char*>(&x);
        std::memcpy(&significand, bytes, sizeof significand);
        if constexpr (sizeof(long double) >= sizeof significand + sizeof signAndExponent)
            std::memcpy(&signAndExponent, bytes + sizeof significand, sizeof signAndExponent);
    }
    bool operator==(const NumberBits&) const = default;
};

SinCos latitudeSinCos(long double rad) {
    struct Memo {
        NumberBits rad{0.0L};
        SinCos value{0, 1};
    };
    constexpr int kRemembered = 4;
    thread_local Memo memo[kRemembered];
    thread_local int next = 0;
    NumberBits key(rad);
    for (const Memo& m : memo)
        if (m.rad == key) return m.value;
    Memo& m = memo[next];
    next = (next + 1) % kRemembered;
    m.rad = key;
    m.value = computeLatitudeSinCos(rad);
    return m.value;
}

struct Arc {
    NumberBits lat1, lon1, lat2, lon2;
    long double radians = 0;  // 0: none
};
// A playback takes the length of the hop ahead and then the course of the
// hop just made: two arcs.
thread_local Arc lastArcs[2];
thread_local int nextArc = 0;

void rememberArc(const Arc& arc) {
    lastArcs[nextArc] = arc;
    nextArc ^= 1;
}

bool knownArc(long double lat1, long double lon1, long double lat2, long double lon2, long double& radians) {
    NumberBits a1(lat1), o1(lon1), a2(lat2), o2(lon2);
    for (const Arc& a : lastArcs)
        if (a.radians != 0 && a.lat1 == a1 && a.lon1 == o1 && a.lat2 == a2 && a.lon2 == o2) {
            radians = a.radians;
            return true;
        }
    return false;
}

// The angle between two points seen from the earth's centre.
long double arcRadians(const SinCos& s1, const SinCos& s2, long double lonRad1, long double lonRad2) {
    long double c = clampCosine(s1.sin * s2.sin + s1.cos * s2.cos * std::cos(lonRad1 - lonRad2));
    return std::atan2(std::sqrt((1 + c) * (1 - c)), c);
}

}  // namespace

SphericalPoint ToSpherical(long double lat, long double lon) {
    SphericalPoint p;
    p.lat = lat;
    p.lon = lon;
    SinCos sc = latitudeSinCos(lat / kDegreesPerRadian);
    p.sinLat = sc.sin;
    p.cosLat = sc.cos;
    p.lonRad = lon / kDegreesPerRadian;
    return p;
}

long double DistanceKm(const SphericalPoint& a, const SphericalPoint& b) {
    if (a.lat == b.lat && a.lon == b.lon) return 0;
    long double d = arcRadians({a.sinLat, a.cosLat}, {b.sinLat, b.cosLat}, a.lonRad, b.lonRad);
    rememberArc({NumberBits(a.lat), NumberBits(a.lon), NumberBits(b.lat), NumberBits(b.lon), d});
    return d * kEarthRadiusKm;
}

long double DistanceKm(long double lat1, long double lon1, long double lat2, long double lon2) {
    return DistanceKm(ToSpherical(lat1, lon1), ToSpherical(lat2, lon2));
}

long double Bearing(long double lat1, long double lon1, long double lat2, long double lon2) {
    long double la1 = lat1 / kDegreesPerRadian, la2 = lat2 / kDegreesPerRadian;
    SinCos s1 = latitudeSinCos(la1), s2 = latitudeSinCos(la2);
    // The arc between the points; rounding would leave a few millimetres
    // between a point and itself.
    long double d = 0;
    if (lat1 == lat2 && lon1 == lon2) d = 0;
    else if (!knownArc(lat1, lon1, lat2, lon2, d))
        d = arcRadians(s1, s2, lon1 / kDegreesPerRadian, lon2 / kDegreesPerRadian);
    long double num = s2.sin - s1.sin * std::cos(d);
    long double den = s1.cos * std::sin(d);
    if (den == 0) den = 0.000001L;
    long double m = num / den;
    long double t = 1 - m * m;
    if (t < 0) t = 0.000001L;
    // t == 0 is a course exactly along a meridian: arccos m is then 0 or pi.
    long double a = t == 0 ? (m > 0 ? 0.0L : std::acos(-1.0L)) : std::atan(-m / std::sqrt(t)) + 2 * std::atan(1.0L);
    const long double pi = std::acos(-1.0L);
    // Only the sign of the sine of the longitude difference counts; well
    // inside (-pi, pi) it is the sign of the difference itself.
    long double dLon = (lon2 - lon1) / kDegreesPerRadian;
    bool east = std::fabs(dLon) < 3 ? dLon >= 0 : std::sin(dLon) >= 0;
    if (east) a = 2 * pi - a;
    long double result = 360 - a * kDegreesPerRadian;
    while (result > 360) result -= 360;
    return result;
}

}  // namespace core
