#include "cli/cli_host.h"

#include <filesystem>

#include <QCoreApplication>
#include <QDir>

#include <charconv>

#include <algorithm>
#include <cstdio>

#include "formats/csv_import.h"
#include "formats/text_codec.h"

namespace cli {

bool ToWholeNumber(const std::string& text, long long& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

app::ProgramPaths PathsBesideThisProgram() {
    return app::BuildPaths(
        app::PathEnv::fromProcess(QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString()));
}

bool ToHostAndPort(const std::string& text, std::string& hostName, int& port) {
    size_t colon = text.rfind(':');
    long long number = 0;
    if (colon == std::string::npos || colon == 0 || !ToWholeNumber(text.substr(colon + 1), number) || number < 1 ||
        number > 65535)
        return false;
    hostName = text.substr(0, colon);
    port = static_cast<int>(number);
    return true;
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

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

}  // namespace

host::Answer CliPrompts::askYesNo(const std::string& text, host::Severity) {
    print(text + " [No]");
    return host::Answer::No;
}

host::Answer CliPrompts::askYesNoCancel(const std::string& text, host::Severity) {
    print(text + " [Cancel]");
    return host::Answer::Cancel;
}

void CliPrompts::show(const std::string& text, host::Severity) { print(text); }

bool CliPrompts::show(host::DialogModel& dialog) {
    print(dialog.dialogName() + " [Cancel]");
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
        else if (p == "date") out.push_back(formats::kCsvDate);
        else if (p == "datetime") out.push_back(formats::kCsvDateTime);
        else if (p == "hemisphere") out.push_back(formats::kCsvHemisphere);
        else return std::nullopt;
    }
    if (out.empty() || out.size() > static_cast<size_t>(formats::kCsvMaxFields)) return std::nullopt;
    return out;
}

formats::CsvSettings CsvSettingsFromColumns(const std::vector<int>& columns, char separator, bool headerRow) {
    formats::ImportWizardModel wizard;
    wizard.separator = separator;
    wizard.headerRow = headerRow;
    for (size_t k = 0; k < columns.size() && k < wizard.columnTypes.size(); ++k) wizard.columnTypes[k] = columns[k];
    return wizard.storeSettings();
}

}  // namespace cli
