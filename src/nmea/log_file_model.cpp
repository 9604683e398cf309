#include "nmea/log_file_model.h"

#include <filesystem>
#include <system_error>

namespace nmea {

namespace {
constexpr int kBrowseTitle = 14;
constexpr int kSelectAnOption = 53;
constexpr int kFileMissing = 54;
constexpr int kErrorsFound = 55;
}  // namespace

void NmeaLogFileModel::FormShow() {
    path.clear();
    options = LogToolOptions{.check = true};
}

void NmeaLogFileModel::btBrowseClick() {
    std::string directory = path.empty() ? std::string() : std::filesystem::path(path).parent_path().string();
    auto chosen = env_.prompts.openFile(env_.message(kBrowseTitle), directory, {{"NMEA log file", {"*.*"}}});
    if (chosen) path = *chosen;
}

LogToolResult NmeaLogFileModel::btStartClick() {
    if (!options.any()) {
        env_.prompts.show(env_.message(kSelectAnOption), host::Severity::Information);
        return {};
    }
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (path.empty() || ec || !std::filesystem::is_regular_file(full, ec)) {
        env_.prompts.show(env_.message(kFileMissing), host::Severity::Error);
        return {};
    }
    LogToolResult r = env_.run(full.lexically_normal().string(), options);
    for (const auto& f : r.filesWritten) env_.report("Written: " + f);
    if (r.result.isFailed()) {
        env_.report(r.result.describe());
        env_.prompts.show(r.result.describe(), host::Severity::Error);
    } else if (r.result.isDone()) {
        env_.prompts.show(env_.message(kErrorsFound) + "\r" + std::to_string(r.errors), host::Severity::Information);
    }
    return r;
}

}  // namespace nmea
