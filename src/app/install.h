#pragma once
// The commands that tie Pathkeep to the desktop: GPX files opened by
// Pathkeep, the first-run question, the update check, the read-me file, the
// home page and the About box.
//
// The GPX association is made the freedesktop way: a desktop entry in the
// user's applications folder that runs the executable with "%f" for the GPX
// MIME type, made the default for that type in the user's mimeapps.list.

#include <string>

#include "app/paths.h"
#include "core/result.h"

namespace host {
class Http;
class Prompts;
class Shell;
}  // namespace host

namespace app {

class MessageLog;
class MessageTable;

constexpr const char* kGpxMimeType = "application/gpx+xml";
constexpr const char* kFileClass = "Pathkeep.FileType";
constexpr const char* kFileClassDescription = "Pathkeep File";
constexpr const char* kHomePage = "https://pathkeep.org/";
constexpr const char* kVersionFileUrl = "https://pathkeep.org/version.dat";
constexpr const char* kContactAddress = "info@pathkeep.org";
constexpr const char* kMakerNotice = "Pathkeep, free software by the Pathkeep developers";

// The desktop entry's Exec value for the executable: the path quoted and
// escaped as desktop entries require, then "%f" for the file to open.
std::string ExecCommand(const std::string& executablePath);
// The whole desktop entry written for the executable.
std::string DesktopEntryText(const std::string& executablePath);

// `InstallationCheck`: when the desktop entry already runs this executable,
// nothing is written (NothingToDo); otherwise the entry is written and made
// the default for GPX files. Failed names the file that could not be written.
core::Result InstallationCheck(const ProgramPaths& paths, const std::string& executablePath);

// "&Registrer GPX Extension": registers, then shows "OK" (or the error).
core::Result GPXExtensiekoppelen1Click(const ProgramPaths& paths, const std::string& executablePath,
                                       host::Prompts& prompts);

// The first start after installation: with the first-run marker present,
// asks message 56 and registers on Yes; the marker goes whatever the answer.
// Returns whether the marker was there.
bool FirstRunQuestion(const ProgramPaths& paths, const std::string& executablePath, const MessageTable& messages,
                      host::Prompts& prompts);

// The version file's address: $PATHKEEP_UPDATE_URL when set (tests, mirrors),
// otherwise the product web site's.
std::string UpdateUrl();

// Plain character comparison, as the version file has always been read:
// "4.1" is newer than "4.03"; an empty version is never newer.
bool IsNewerVersion(const std::string& latest, const std::string& ours);

// What the version file on the web site says.
struct VersionInfo {
    std::string latest;    // "currentversion"
    std::string released;  // "releasedate"
    bool newer = false;    // latest is newer than this program
};
// Downloads the version file to `versionFile` and reads it; Failed (with
// the reason) when the download failed, leaving an earlier copy in place.
core::Result FetchVersionInfo(host::Http& http, const std::string& url, const std::string& versionFile,
                              VersionInfo& info);

// "&Check for updates": asks message 49, downloads the version file and
// compares; messages 50, 51 and 52 tell the outcome.
core::Result mCheckUpdatesClick(host::Http& http, host::Prompts& prompts, const MessageTable& messages,
                                MessageLog& log, const std::string& url, const std::string& versionFile);

// "&Readme file": opens the read-me when it exists; false when it does not
// or the desktop could not open it.
bool Readmefile1Click(const std::string& readmePath, host::Shell& shell);
bool PathkeepHomepage1Click(host::Shell& shell);

// "About...": message 13, the version and the contact lines.
std::string AboutText(const MessageTable& messages);
void Info2Click(const MessageTable& messages, host::Prompts& prompts);

}  // namespace app
