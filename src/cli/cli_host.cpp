#include "cli/cli_host.h"

#include <algorithm>
#include <cstdio>

#include "formats/csv_import.h"
#include "formats/text_codec.h"
#include "formats/text_export.h"

namespace cli {

namespace {

void print(const std::string& text) {
    std::string t = text;
    std::replace(t.begin(), t.end(), '\r', '\n');
    std::fprintf(stderr, "%s\n", t.c_str());
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (true) {
        size_t next = text.find(sep, pos);
        parts.push_back(text.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
        if (next == std::string::npos) return parts;
        pos = next + 1;
    }
}

// The separator a person would pick: the one the first line has most of.
char guessSeparator(const std::string& text) {
    std::string first;
    formats::ForEachLine(text, [&](std::string_view l) {
        first = std::string(l);
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

}  // namespace

host::Answer CliPrompts::askYesNo(const std::string& text, host::Severity) {
    if (text == answers_.message40) return answers_.exportTracks ? host::Answer::Yes : host::Answer::No;
    print(text + " [No]");
    return host::Answer::No;
}

host::Answer CliPrompts::askYesNoCancel(const std::string& text, host::Severity) {
    print(text + " [Cancel]");
    return host::Answer::Cancel;
}

void CliPrompts::show(const std::string& text, host::Severity severity) {
    if (severity == host::Severity::Information && text == "OK") return;  // the text export's "done"
    print(text);
}

bool CliPrompts::show(host::DialogModel& dialog) {
    if (auto* fields = dynamic_cast<formats::FieldSelectionModel*>(&dialog)) {
        fields->chosen.clear();
        if (!answers_.fields.empty()) {
            for (int f : answers_.fields) fields->chosen.push_back(formats::FieldSelectionModel::entryOf(f));
        } else if (!answers_.savedFields.empty()) {
            fields->chosen = answers_.savedFields;
        } else {
            for (int f = 1; f <= 11; ++f) fields->chosen.push_back(formats::FieldSelectionModel::entryOf(f));
        }
        return true;
    }
    if (auto* wizard = dynamic_cast<formats::ImportWizardModel*>(&dialog)) {
        wizard->separator = answers_.csvSeparator.value_or(guessSeparator(wizard->preview));
        wizard->next();  // the wizard's own guesses from the headings
        if (answers_.csvColumns) {
            wizard->columnTypes = {};
            for (size_t k = 0; k < answers_.csvColumns->size() && k < wizard->columnTypes.size(); ++k)
                wizard->columnTypes[k] = (*answers_.csvColumns)[k];
        }
        if (answers_.csvHeader) wizard->headerRow = *answers_.csvHeader;
        wizard->finish();
        return true;
    }
    return false;
}

std::optional<std::vector<int>> ParseFieldList(const std::string& text) {
    std::vector<int> out;
    for (const auto& p : split(text, ',')) {
        if (p.empty() || p.size() > 2 || p.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
        int f = std::stoi(p);
        if (f < 1 || f > 11) return std::nullopt;
        out.push_back(f);
    }
    return out;
}

std::optional<std::vector<int>> ParseCsvColumns(const std::string& text) {
    std::vector<int> out;
    for (const auto& p : split(text, ',')) {
        if (p == "skip") out.push_back(formats::kCsvSkip);
        else if (p == "lat") out.push_back(formats::kCsvLatitude);
        else if (p == "lon") out.push_back(formats::kCsvLongitude);
        else if (p == "time") out.push_back(formats::kCsvTime);
        else if (p == "alt") out.push_back(formats::kCsvAltitude);
        else return std::nullopt;
    }
    if (out.empty() || out.size() > static_cast<size_t>(formats::kCsvColumns)) return std::nullopt;
    return out;
}

}  // namespace cli
