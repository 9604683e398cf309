#include "formats/csv_import.h"

#include <algorithm>
#include <cmath>

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

void ImportWizardModel::leesVelden() {
    headings = {};
    std::string first;
    ForEachLine(preview, [&](std::string_view line) {
        first = core::AsciiLower(line);
        return false;
    });
    if (preview.empty()) return;
    auto fields = SplitCsvLine(first, separator);
    for (int k = 0; k < kCsvColumns; ++k) headings[static_cast<size_t>(k)] = fields[static_cast<size_t>(k + 1)];
}

int ImportWizardModel::kiesVeld(const std::string& heading) {
    auto has = [&](const char* part) { return heading.find(part) != std::string::npos; };
    int guess = kCsvSkip;
    // Later matches win; English and Dutch headings (breedte, lengte, tijd, hoogte).
    if (has("lat") || has("bre")) guess = kCsvLatitude;
    if (has("lon") || has("len")) guess = kCsvLongitude;
    if (has("tim") || has("tij")) guess = kCsvTime;
    if (has("hei") || has("hoo") || has("alt")) guess = kCsvAltitude;
    return guess;
}

void ImportWizardModel::next() {
    leesVelden();
    page = Page::Fields;
    for (int k = 0; k < kCsvColumns; ++k) {
        columnTypes[static_cast<size_t>(k)] = kiesVeld(headings[static_cast<size_t>(k)]);
        if (columnTypes[static_cast<size_t>(k)] != kCsvSkip) headerRow = true;  // a guess never unchecks it
    }
}

void ImportWizardModel::previous() {
    leesVelden();
    page = Page::Separator;
}

CsvSettings ImportWizardModel::storeSettings() const {
    CsvSettings s;
    s.separator = separator;
    s.headerRow = headerRow;
    // Left to right, so the rightmost list of a type wins.
    for (int k = 1; k <= kCsvColumns; ++k) {
        switch (columnTypes[static_cast<size_t>(k - 1)]) {
            case kCsvLatitude: s.latColumn = k; break;
            case kCsvLongitude: s.lonColumn = k; break;
            case kCsvTime: s.timeColumn = k; break;
            case kCsvAltitude: s.altColumn = k; break;
            default: break;
        }
    }
    return s;
}

std::array<std::string, kCsvMaxFields + 1> SplitCsvLine(std::string_view line, char separator) {
    std::array<std::string, kCsvMaxFields + 1> fields;
    size_t n = 1;
    for (char c : line) {
        if (c == separator) {
            if (n < kCsvMaxFields) ++n;
        } else {
            fields[n] += c;
        }
    }
    return fields;
}

std::optional<int> ParseTimeOfDay(std::string_view text) {
    text = core::Trim(text);
    int parts[3] = {0, 0, 0};
    int count = 0;
    size_t i = 0;
    while (count < 3) {
        size_t start = i;
        int v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3) v = v * 10 + (text[i++] - '0');
        if (i == start) return std::nullopt;
        parts[count++] = v;
        if (i == text.size()) break;
        if (text[i] != ':') return std::nullopt;
        ++i;
    }
    if (i != text.size() || count < 2) return std::nullopt;
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return (parts[0] * 60 + parts[1]) * 60 + parts[2];
}

core::Result ReadCsvText(const std::string& fileName, std::string& text) {
    std::string bytes, error;
    if (!ReadWholeFile(fileName, bytes, error)) return core::Result::failed(error);
    text = DecodeLegacyText(bytes);
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

core::Result CsvBestandInlezen(Env& env, const std::string& text, const CsvSettings& s) {
    env.report("Read CSV file");
    env.doc.NewTrack("ACTIVE LOG");
    const auto pointsBefore = env.doc.childCount(env.doc.currentSegment);
    env.doc.beginBulk();
    long double today = std::floor(static_cast<long double>(env.clock.nowSerial()));
    char sep = env.decimalSeparator();
    int lineNumber = 0, count = 0;
    bool going = true;
    ForEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        if (lineNumber == 1 && s.headerRow) return true;
        ++count;
        auto fields = SplitCsvLine(line, s.separator);
        auto field = [&](int column) { return std::string(core::Trim(fields[static_cast<size_t>(column)])); };
        std::string time = field(s.timeColumn);
        if (time.find(':') != std::string::npos) {
            std::optional<int> seconds = ParseTimeOfDay(time);
            if (!seconds) {
                env.warning("Line " + std::to_string(lineNumber) + " skipped: \"" + QuoteField(time) + "\" is not a time");
                return true;
            }
            time = core::ToLocalDecimal(core::FloatToStrGeneral(today + *seconds / 86400.0L), sep);
        }
        if (!(going = env.operation.stepLine(count, line))) return false;
        env.doc.AddTrackpoint(field(s.latColumn), field(s.lonColumn), field(s.altColumn), time);
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
