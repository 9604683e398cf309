#include "cli/nmea_log_verb.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/messages.h"
#include "nmea/log_tool.h"

namespace cli {

const char* const kNmeaLogUsage =
    "  nmea-log FILE [--check] [--split] [--remove-bad] [--rmc-only]\n"
    "                         process an NMEA log into new files beside it (FILE is\n"
    "                         never changed): --check counts the lines with a bad\n"
    "                         checksum (alone it writes nothing), --split writes one\n"
    "                         file per date, --remove-bad drops the lines with a bad\n"
    "                         checksum, --rmc-only keeps only $GPRMC lines; prints the\n"
    "                         files written and the errors\n";

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;

// Message-table texts break lines with carriage returns; a terminal wants line feeds.
std::string lines(std::string text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text;
}

int usage(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli: %s\n\nUsage:\n%s", message.c_str(), kNmeaLogUsage);
    return kExitUsage;
}

}  // namespace

int nmeaLogCommand(const std::vector<std::string>& args) {
    nmea::LogToolOptions options;
    std::vector<std::string> files;
    for (const auto& a : args) {
        if (a == "--check") options.check = true;
        else if (a == "--split") options.split = true;
        else if (a == "--remove-bad") options.removeBad = true;
        else if (a == "--rmc-only") options.rmcOnly = true;
        else if (a.rfind("--", 0) == 0) return usage("unknown option '" + a + "'");
        else files.push_back(a);
    }
    if (files.size() != 1) return usage("nmea-log needs exactly one FILE");
    // A check on its own only counts: nobody asked for a copy.
    options.countOnly = options.check && !options.split && !options.removeBad && !options.rmcOnly;
    app::MessageTable messages;
    if (!options.any()) {
        std::fprintf(stderr, "%s\n", lines(messages.GetDialogText(53)).c_str());
        return kExitFailed;
    }
    std::error_code ec;
    std::filesystem::path source = std::filesystem::absolute(files[0], ec);
    if (ec || !std::filesystem::is_regular_file(source, ec)) {
        std::fprintf(stderr, "%s\n", lines(messages.GetDialogText(54)).c_str());
        return kExitFailed;
    }
    // Progress on stderr, at most once a second.
    auto last = std::chrono::steady_clock::now();
    core::Operation operation({nullptr,
                               [&last](double fraction) {
                                   auto now = std::chrono::steady_clock::now();
                                   if (fraction < 0 || now - last < std::chrono::seconds(1)) return;
                                   last = now;
                                   std::fprintf(stderr, "%d %%\n", static_cast<int>(fraction * 100));
                               },
                               nullptr});
    nmea::LogToolResult r = nmea::RunLogTool(source.lexically_normal().string(), options, operation);
    if (!r.result.isDone()) {
        std::fprintf(stderr, "pathkeep-cli: %s\n", r.result.describe().c_str());
        return kExitFailed;
    }
    for (const auto& f : r.filesWritten) std::printf("Written: %s\n", f.c_str());
    std::printf("Errors: %ld\n", r.errors);
    return kExitOk;
}

}  // namespace cli
