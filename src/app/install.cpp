#include "app/install.h"

#include <vector>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/ini.h"
#include "app/messages.h"
#include "app/workspace.h"
#include "formats/atomic_file.h"
#include "host/host.h"

namespace app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEntrySection = "Desktop Entry";
constexpr const char* kDefaultsSection = "Default Applications";
constexpr const char* kAddedSection = "Added Associations";

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

core::Result writeFile(const std::string& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    formats::AtomicFile file(path);
    if (!file.open() || !file.write(text) || !file.commit()) return core::Result::failed(path + ": " + file.error());
    return core::Result::done(path);
}

// "a.desktop;b.desktop;" with `id` moved to the front.
std::string withFirst(const std::string& list, const std::string& id) {
    std::string out = id + ";";
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ';'))
        if (!item.empty() && item != id) out += item + ";";
    return out;
}

core::Result makeDefaultForGpx(const std::string& mimeAppsPath, const std::string& entryId) {
    std::string text = readText(mimeAppsPath);
    // A new or one-line file is written with plain line feeds, as the desktop expects.
    if (text.find('\n') == std::string::npos) text += "\n";
    IniFile list = IniFile::fromText(text);
    list.set(kDefaultsSection, kGpxMimeType, entryId + ";");
    list.set(kAddedSection, kGpxMimeType, withFirst(list.readString(kAddedSection, kGpxMimeType, ""), entryId));
    return writeFile(mimeAppsPath, list.text());
}

}  // namespace

std::string ExecCommand(const std::string& executablePath) {
    // Inside a quoted argument ", `, $ and \ take a backslash; % doubles.
    std::string quoted = "\"";
    for (char c : executablePath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += "\" %f";
    // The entry's value syntax escapes every backslash once more.
    std::string value;
    for (char c : quoted) value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

std::string DesktopEntryText(const std::string& executablePath) {
    std::string text;
    text += std::string("[") + kEntrySection + "]\n";
    text += "Type=Application\n";
    text += "Name=Pathkeep\n";
    text += std::string("Comment=") + kFileClassDescription + "\n";
    text += "Exec=" + ExecCommand(executablePath) + "\n";
    text += "Icon=pathkeep\n";
    text += std::string("MimeType=") + kGpxMimeType + ";\n";
    text += "Terminal=false\n";
    // Only the opener of GPX files; the application menu has its own entry.
    text += "NoDisplay=true\n";
    text += std::string("X-Pathkeep-Class=") + kFileClass + "\n";
    return text;
}

core::Result InstallationCheck(const ProgramPaths& paths, const std::string& executablePath) {
    if (executablePath.empty() || executablePath.find_first_of("\r\n") != std::string::npos)
        return core::Result::failed("Not a usable program path: " + executablePath);
    IniFile current = IniFile::fromText(readText(paths.desktopEntry));
    if (current.get(kEntrySection, "Exec") == ExecCommand(executablePath)) return core::Result::nothingToDo();
    // The entry goes last: it is what the check above looks at, so a
    // registration cut short by an error is completed on the next attempt.
    core::Result list = makeDefaultForGpx(paths.mimeApps, fs::path(paths.desktopEntry).filename().string());
    if (!list.isDone()) return list;
    return writeFile(paths.desktopEntry, DesktopEntryText(executablePath));
}

core::Result GPXExtensiekoppelen1Click(const ProgramPaths& paths, const std::string& executablePath,
                                       host::Prompts& prompts) {
    core::Result r = InstallationCheck(paths, executablePath);
    if (r.isFailed())
        prompts.show(r.message(), host::Severity::Error);
    else
        prompts.show("OK", host::Severity::Information);
    return r;
}

bool FirstRunQuestion(const ProgramPaths& paths, const std::string& executablePath, const MessageTable& messages,
                      host::Prompts& prompts) {
    std::error_code ec;
    if (!fs::exists(paths.firstRunMarker, ec)) return false;
    if (prompts.askYesNo(messages.GetDialogText(56), host::Severity::Information) == host::Answer::Yes) {
        core::Result r = GPXExtensiekoppelen1Click(paths, executablePath, prompts);
        (void)r;  // shown to the user already
    }
    fs::remove(paths.firstRunMarker, ec);
    return true;
}

std::string UpdateUrl() {
    const char* url = std::getenv("PATHKEEP_UPDATE_URL");
    return url && *url ? url : kVersionFileUrl;
}

namespace {

struct VersionPart {
    std::string digits;  // the part's leading digits
    std::string rest;    // what follows them ("b" of "4.03b")
};

std::vector<VersionPart> VersionParts(const std::string& v) {
    std::vector<VersionPart> parts;
    size_t i = 0;
    while (true) {
        size_t dot = v.find('.', i);
        std::string part = v.substr(i, dot == std::string::npos ? std::string::npos : dot - i);
        size_t n = 0;
        while (n < part.size() && part[n] >= '0' && part[n] <= '9') ++n;
        parts.push_back({part.substr(0, n), part.substr(n)});
        if (dot == std::string::npos) return parts;
        i = dot + 1;
    }
}

// Whole numbers by value: "10" > "9".
int CompareWhole(std::string a, std::string b) {
    a.erase(0, std::min(a.find_first_not_of('0'), a.size()));
    b.erase(0, std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

// Decimals by value: ".1" > ".03", ".030" == ".03".
int CompareFraction(std::string a, std::string b) {
    size_t n = std::max(a.size(), b.size());
    a.resize(n, '0');
    b.resize(n, '0');
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

}  // namespace

bool IsNewerVersion(const std::string& latest, const std::string& ours) {
    // Versions read as numbers: "10.0" is newer than "4.03", "4.1" newer
    // than "4.03" (the first two parts are a decimal number, as this
    // program numbers its versions), and "4.03.2" newer than "4.03". What
    // follows a part's digits decides only between equal numbers.
    if (latest.empty()) return false;
    std::vector<VersionPart> a = VersionParts(latest), b = VersionParts(ours);
    a.resize(std::max(a.size(), b.size()));
    b.resize(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        int c = i == 1 ? CompareFraction(a[i].digits, b[i].digits) : CompareWhole(a[i].digits, b[i].digits);
        if (c == 0) c = a[i].rest.compare(b[i].rest);
        if (c != 0) return c > 0;
    }
    return false;
}

core::Result FetchVersionInfo(host::Http& http, const std::string& url, const std::string& versionFile,
                              VersionInfo& info) {
    std::error_code ec;
    fs::create_directories(fs::path(versionFile).parent_path(), ec);
    std::string error;
    if (!http.download(url, versionFile, error)) return core::Result::failed(error);
    IniFile version = IniFile::load(versionFile);
    info.latest = version.readString("General", "currentversion", "");
    info.released = version.readString("General", "releasedate", "");
    info.newer = IsNewerVersion(info.latest, kVersion);
    return core::Result::done(info.latest);
}

core::Result mCheckUpdatesClick(host::Http& http, host::Prompts& prompts, const MessageTable& messages,
                                MessageLog& log, const std::string& url, const std::string& versionFile) {
    if (prompts.askYesNo(messages.GetDialogText(49), host::Severity::Information) != host::Answer::Yes)
        return core::Result::cancelled();
    VersionInfo info;
    core::Result r = FetchVersionInfo(http, url, versionFile, info);
    if (!r.isDone()) {
        prompts.show(messages.GetDialogText(50), host::Severity::Error);
        return r;
    }
    log.Report(std::string("Your version: ") + kVersion);
    log.Report("Latest version: " + info.latest + "  " + info.released);
    if (info.newer)
        prompts.show(messages.GetDialogText(52) + "\rRelease date: " + info.released + "\rVersion: " + info.latest,
                     host::Severity::Information);
    else
        prompts.show(messages.GetDialogText(51), host::Severity::Information);
    return r;
}

bool Readmefile1Click(const std::string& readmePath, host::Shell& shell) {
    std::error_code ec;
    return fs::is_regular_file(readmePath, ec) && shell.openDocument(readmePath);
}

bool PathkeepHomepage1Click(host::Shell& shell) { return shell.openDocument(kHomePage); }

std::string AboutText(const MessageTable& messages) {
    return messages.GetDialogText(13) + " " + kVersion + "\r\r" + kMakerNotice + "\r\rE-mail: " + kContactAddress +
           "\rURL: " + kHomePage + "\r";
}

void Info2Click(const MessageTable& messages, host::Prompts& prompts) {
    prompts.show(AboutText(messages), host::Severity::Information);
}

}  // namespace app
