#include "formats/csv_import.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "core/fn.h"
#include "core/text.h"
#include "formats/field_checks.h"
#include "formats/text_codec.h"

namespace formats {

void ImportWizardModel::initForm() {
    separator = '\t';
    headings = {};
    page = Page::Separator;
    result = Result::None;
}

const std::array<const char*, kCsvTypeCount> kCsvTypeNames = {
    "<skip>", "Latitude", "Longitude", "Time", "Altitude", "Date", "Date and time", "Hemisphere"};

void ImportWizardModel::leesVelden() {
    headings = {};
    columnCount = kCsvColumns;
    std::string first;
    ForEachLine(preview, [&](std::string_view line) {
        first = core::AsciiLower(line);
        return false;
    });
    if (preview.empty()) return;
    auto fields = SplitCsvLine(first, separator);
    int count = 1 + static_cast<int>(std::count(first.begin(), first.end(), separator));
    columnCount = std::clamp(count, kCsvColumns, kCsvMaxFields);
    for (int k = 0; k < kCsvMaxFields; ++k) headings[static_cast<size_t>(k)] = fields[static_cast<size_t>(k + 1)];
}

int ImportWizardModel::kiesVeld(const std::string& heading) {
    auto has = [&](const char* part) { return heading.find(part) != std::string::npos; };
    int guess = kCsvSkip;
    // Later matches win; English and Dutch headings (breedte, lengte, tijd, hoogte, datum).
    if (has("lat") || has("bre")) guess = kCsvLatitude;
    if (has("lon") || has("len")) guess = kCsvLongitude;
    if (has("tim") || has("tij")) guess = kCsvTime;
    if (has("hei") || has("hoo") || has("alt")) guess = kCsvAltitude;
    if (has("date") || has("datum")) guess = has("tim") || has("tij") ? kCsvDateTime : kCsvDate;
    // A column of its own for the letters; "latitude n/s" holds the letter in the number.
    std::string_view h = core::Trim(heading);
    if (h == "n/s" || h == "e/w" || h == "ns" || h == "ew") guess = kCsvHemisphere;
    return guess;
}

void ImportWizardModel::next() {
    leesVelden();
    page = Page::Fields;
    for (int k = 0; k < columnCount; ++k) {
        columnTypes[static_cast<size_t>(k)] = kiesVeld(headings[static_cast<size_t>(k)]);
        if (columnTypes[static_cast<size_t>(k)] != kCsvSkip) headerRow = true;  // a guess never unchecks it
    }
    for (int k = columnCount; k < kCsvMaxFields; ++k) columnTypes[static_cast<size_t>(k)] = kCsvSkip;
}

void ImportWizardModel::previous() {
    leesVelden();
    page = Page::Separator;
}

CsvSettings ImportWizardModel::storeSettings() const {
    CsvSettings s;
    s.separator = separator;
    s.headerRow = headerRow;
    ForEachLine(preview, [&](std::string_view line) {
        s.yearFirstDates = separator == ',' && ColumbusHeading(line);
        return false;
    });
    // Left to right, so the rightmost list of a type wins.
    for (int k = 1; k <= kCsvMaxFields; ++k) {
        switch (columnTypes[static_cast<size_t>(k - 1)]) {
            case kCsvLatitude: s.latColumn = k; break;
            case kCsvLongitude: s.lonColumn = k; break;
            case kCsvTime: s.timeColumn = k; break;
            case kCsvAltitude: s.altColumn = k; break;
            case kCsvDate: s.dateColumn = k; break;
            case kCsvDateTime: s.dateTimeColumn = k; break;
            case kCsvHemisphere: s.hemisphereColumns.push_back(k); break;
            default: break;
        }
    }
    return s;
}

CsvLineFields::CsvLineFields(std::string_view line, char separator) {
    size_t n = 1, start = 0;
    for (size_t i = 0; i < line.size() && n < kCsvMaxFields; ++i) {
        if (line[i] != separator) continue;
        fields_[n++] = line.substr(start, i - start);
        start = i + 1;
    }
    std::string_view rest = line.substr(std::min(start, line.size()));
    // The last field takes the rest of the line without its separators.
    if (rest.find(separator) != std::string_view::npos) {
        for (char c : rest)
            if (c != separator) last_ += c;
        rest = last_;
    }
    fields_[n] = rest;
}

std::array<std::string, kCsvMaxFields + 1> SplitCsvLine(std::string_view line, char separator) {
    CsvLineFields views(line, separator);
    std::array<std::string, kCsvMaxFields + 1> fields;
    for (int k = 1; k <= kCsvMaxFields; ++k) fields[static_cast<size_t>(k)] = std::string(views[k]);
    return fields;
}

namespace {

bool digitsAt(std::string_view t, size_t at, size_t n, int& value) {
    if (at + n > t.size()) return false;
    value = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        value = value * 10 + (t[i] - '0');
    }
    return true;
}

// ".fff" at the end of a time: the fraction of a second; none when it is not one.
std::optional<long double> fractionOf(std::string_view rest) {
    if (rest.empty()) return 0.0L;
    if ((rest[0] != '.' && rest[0] != ',') || rest.size() < 2 || rest.size() > 10) return std::nullopt;
    long double f = 0, scale = 0.1L;
    for (char c : rest.substr(1)) {
        if (c < '0' || c > '9') return std::nullopt;
        f += (c - '0') * scale;
        scale /= 10;
    }
    return f;
}

bool isHemisphere(char c, bool latitude) {
    c = static_cast<char>(c & ~0x20);  // upper case
    return latitude ? c == 'N' || c == 'S' : c == 'E' || c == 'W';
}

}  // namespace

std::optional<long double> ParseTimeOfDay(std::string_view text, bool compact) {
    text = core::Trim(text);
    if (!text.empty() && (text.back() == 'Z' || text.back() == 'z')) text.remove_suffix(1);
    int parts[3] = {0, 0, 0};
    size_t end;
    if (compact && text.find(':') == std::string_view::npos) {
        // "hhmmss" as loggers write it next to a "ddmmyy" date
        if (!digitsAt(text, 0, 2, parts[0]) || !digitsAt(text, 2, 2, parts[1]) || !digitsAt(text, 4, 2, parts[2]))
            return std::nullopt;
        end = 6;
    } else {
        int count = 0;
        size_t i = 0;
        while (count < 3) {
            size_t start = i;
            int v = 0;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3)
                v = v * 10 + (text[i++] - '0');
            if (i == start) return std::nullopt;
            parts[count++] = v;
            if (i == text.size() || text[i] != ':') break;
            ++i;
        }
        if (count < 2 || (count == 2 && i < text.size())) return std::nullopt;
        end = i;
    }
    std::optional<long double> fraction = fractionOf(text.substr(end));
    if (!fraction) return std::nullopt;
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return (parts[0] * 60 + parts[1]) * 60 + parts[2] + *fraction;
}

std::optional<long> ParseCsvDate(std::string_view text, bool yearFirst) {
    text = core::Trim(text);
    int y = 0, m = 0, d = 0;
    if (text.size() == 10 && (text[4] == '/' || text[4] == '-') && text[7] == text[4]) {
        if (!digitsAt(text, 0, 4, y) || !digitsAt(text, 5, 2, m) || !digitsAt(text, 8, 2, d)) return std::nullopt;
    } else if (text.size() == 10 && text[2] == '-' && text[5] == '-') {
        if (!digitsAt(text, 0, 2, d) || !digitsAt(text, 3, 2, m) || !digitsAt(text, 6, 4, y)) return std::nullopt;
    } else if (text.size() == 6) {
        if (!digitsAt(text, 0, 2, yearFirst ? y : d) || !digitsAt(text, 2, 2, m) ||
            !digitsAt(text, 4, 2, yearFirst ? d : y))
            return std::nullopt;
        y += 2000;
    } else {
        return std::nullopt;
    }
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return std::nullopt;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (m == 2 && d == 29 && !leap) return std::nullopt;
    return static_cast<long>(core::EncodeDate(y, m, d));
}

bool ColumbusHeading(std::string_view firstLine) {
    std::array<std::string, kCsvMaxFields + 1> f = SplitCsvLine(firstLine, ',');
    auto is = [&](int k, const char* name) { return core::AsciiLower(core::Trim(f[static_cast<size_t>(k)])) == name; };
    return is(1, "index") && is(2, "tag") && is(3, "date") && is(4, "time");
}

std::optional<std::string> CsvMetres(std::string_view text) {
    // Loggers pad their fields with NUL bytes.
    while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) text.remove_suffix(1);
    text = core::Trim(text);
    static constexpr std::pair<std::string_view, long double> kUnits[] = {
        {"m", 1}, {"meters", 1}, {"metres", 1}, {"ft", 0.3048L}, {"feet", 0.3048L}};
    long double factor = 1;
    for (auto [unit, f] : kUnits) {
        if (text.size() <= unit.size() || core::AsciiLower(text.substr(text.size() - unit.size())) != unit) continue;
        std::string_view number = core::Trim(text.substr(0, text.size() - unit.size()));
        char last = number.empty() ? ' ' : number.back();
        if (last != '.' && (last < '0' || last > '9')) continue;  // "km", "m/s": another unit
        text = number;
        factor = f;
        break;
    }
    std::optional<long double> value = core::ParseNumber(text);
    if (!value) return std::nullopt;
    return factor == 1 ? std::string(text) : core::FloatToStrGeneral(*value * factor);
}

std::optional<long double> ParseCsvDateTime(std::string_view text) {
    text = core::Trim(text);
    size_t split = text.find_first_of(" T");
    if (split == std::string_view::npos) return std::nullopt;
    std::optional<long> day = ParseCsvDate(text.substr(0, split));
    std::optional<long double> seconds = ParseTimeOfDay(text.substr(split + 1));
    if (!day || !seconds) return std::nullopt;
    // Before 1899-12-30 the time of day still counts forward from midnight.
    long double fraction = *seconds / 86400.0L;
    return *day >= 0 ? *day + fraction : *day - fraction;
}

std::optional<std::string> ParseCsvCoordinate(std::string_view text, bool latitude) {
    text = core::Trim(text);
    bool negative = false;
    auto letter = [&](char c) {
        if (!isHemisphere(c, latitude)) return false;
        negative = (c & ~0x20) == 'S' || (c & ~0x20) == 'W';
        return true;
    };
    if (!text.empty() && letter(text.back()))
        text = core::Trim(text.substr(0, text.size() - 1));
    else if (!text.empty() && letter(text.front()))
        text = core::Trim(text.substr(1));
    std::optional<long double> v = latitude ? ReadLatitude(text) : ReadLongitude(text);
    if (!v) return std::nullopt;
    std::string out(text);
    if (negative && *v > 0) out = "-" + out;
    return out;
}

core::Result ReadCsvText(const std::string& fileName, std::string& text) {
    std::string error;
    if (!ReadWholeFile(fileName, text, error)) return core::Result::failed(error);
    // Most files are UTF-8 (or ASCII) already: no copy of them is made.
    std::string decoded;
    std::string_view view = DecodeLegacyTextView(text, decoded);
    if (view.data() != text.data()) text = std::string(view);
    return core::Result::done();
}

char GuessCsvSeparator(std::string_view text) {
    std::string_view first;
    ForEachLine(text, [&](std::string_view l) {
        first = l;
        return false;
    });
    char best = '\t';
    long most = std::count(first.begin(), first.end(), '\t');
    for (char c : {';', ','}) {
        long n = std::count(first.begin(), first.end(), c);
        if (n > most) {
            most = n;
            best = c;
        }
    }
    return best;
}

CsvSettings GuessCsvSettings(const std::string& text, char separator) {
    ImportWizardModel wizard;
    wizard.preview = text;
    wizard.initForm();
    wizard.separator = separator;
    wizard.next();
    return wizard.storeSettings();
}

namespace {

// The time of a line as the serial-number text the document takes; none
// when the line is to be skipped (with a log line), "" for no time.
template <typename Field>
std::optional<std::string> lineTime(Env& env, int lineNumber, const CsvSettings& s, const Field& field,
                                    long double today) {
    auto skipped = [&](const std::string& value, const char* what) -> std::optional<std::string> {
        env.warning("Line " + std::to_string(lineNumber) + " skipped: \"" + QuoteField(value) + "\" is not a " + what);
        return std::nullopt;
    };
    auto serialText = [&](long double serial) -> std::optional<std::string> {
        if (!SerialInRange(serial)) return std::string();
        return core::ToLocalDecimal(core::FloatToStrGeneral(serial), env.decimalSeparator());
    };
    if (s.dateTimeColumn > 0) {
        std::string both(field(s.dateTimeColumn));
        if (both.empty()) return std::string();
        std::optional<long double> serial = ParseCsvDateTime(both);
        if (!serial) return skipped(both, "date and time");
        return serialText(*serial);
    }
    std::string time(field(s.timeColumn));
    std::optional<long> day;
    if (s.dateColumn > 0) {
        std::string date(field(s.dateColumn));
        if (!date.empty() && !(day = ParseCsvDate(date, s.yearFirstDates))) return skipped(date, "date");
    }
    if (time.find(':') != std::string::npos || (day && !time.empty())) {
        std::optional<long double> seconds = ParseTimeOfDay(time, day.has_value());
        if (!seconds) return skipped(time, "time");
        long double base = day ? static_cast<long double>(*day) : today;
        return serialText(base >= 0 ? base + *seconds / 86400.0L : base - *seconds / 86400.0L);
    }
    if (day) return serialText(static_cast<long double>(*day));
    if (time.empty()) return time;
    // A bare number is a serial date-time.
    std::optional<long double> serial = core::ParseNumber(time);
    if (!serial) return skipped(time, "time");
    return SerialInRange(*serial) ? time : std::string();
}

}  // namespace

core::Result CsvBestandInlezen(Env& env, std::string_view text, const CsvSettings& s) {
    env.report("Read CSV file");
    env.doc.NewTrack("ACTIVE LOG");
    const auto pointsBefore = env.doc.childCount(env.doc.currentSegment);
    env.doc.beginBulk();
    long double today = std::floor(static_cast<long double>(env.clock.nowSerial()));
    int lineNumber = 0, count = 0;
    bool going = true;
    ForEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        if (lineNumber == 1 && s.headerRow) return true;
        ++count;
        CsvLineFields fields(line, s.separator);
        auto field = [&](int column) { return core::Trim(fields[column]); };
        std::optional<std::string> time = lineTime(env, lineNumber, s, field, today);
        if (!time) return true;
        std::string lat(field(s.latColumn)), lon(field(s.lonColumn));
        if (!lat.empty() || !lon.empty()) {
            std::optional<std::string> la = ParseCsvCoordinate(lat, true), lo = ParseCsvCoordinate(lon, false);
            if (!la || !lo) {
                env.warning("Line " + std::to_string(lineNumber) + " skipped: \"" + QuoteField(la ? lon : lat) +
                            "\" is not a " + (la ? "longitude" : "latitude"));
                return true;
            }
            lat = *la;
            lon = *lo;
            auto negate = [](std::string& v) {
                if (!v.empty() && v[0] != '-') v = "-" + v;
            };
            for (int h : s.hemisphereColumns) {
                std::string_view letter = field(h);
                if (letter == "S" || letter == "s") negate(lat);
                if (letter == "W" || letter == "w") negate(lon);
            }
        }
        std::string alt;
        if (std::string_view given = field(s.altColumn); !given.empty()) {
            // Never text in a numeric element: what is no number after its unit is left out.
            std::optional<std::string> metres = CsvMetres(given);
            if (!metres)
                env.warning("Line " + std::to_string(lineNumber) + ": altitude \"" + QuoteField(std::string(given)) +
                            "\" is no number and was left out");
            else if (AltitudeInRange(core::StrToFloatAny(*metres)))
                alt = *metres;
        }
        if (!(going = env.operation.stepLine(count, line))) return false;
        env.doc.AddTrackpoint(lat, lon, alt, *time);
        return true;
    });
    env.doc.endBulk();
    if (!going) return core::Result::cancelled();
    // An import that gives nothing says so: most likely the columns were chosen wrongly.
    if (env.doc.childCount(env.doc.currentSegment) == pointsBefore)
        return core::Result::failed("No point could be read with the chosen columns");
    return core::Result::done();
}

}  // namespace formats
