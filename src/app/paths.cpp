#include "app/paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#ifndef PATHKEEP_SOURCE_DATA_DIR
#define PATHKEEP_SOURCE_DATA_DIR ""
#endif

namespace app {

namespace fs = std::filesystem;

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string join(const std::string& dir, const char* name) { return (fs::path(dir) / name).lexically_normal().string(); }

}  // namespace

PathEnv PathEnv::fromProcess(const std::string& exeDir) {
    return {exeDir,
            env("HOME"),
            env("XDG_CONFIG_HOME"),
            env("XDG_DATA_HOME"),
            env("PATHKEEP_HOME"),
            PATHKEEP_SOURCE_DATA_DIR,
            env("TEMP"),
            env("TMPDIR"),
            env("XDG_CACHE_HOME")};
}

ProgramPaths BuildPaths(const PathEnv& e) {
    ProgramPaths p;
    // Installed: <prefix>/bin/pathkeep reads <prefix>/share/pathkeep.
    std::string installed = join(e.exeDir, "../share/pathkeep");
    std::error_code ec;
    p.dataDir = fs::exists(fs::path(installed) / "symbol_types.dat", ec) || e.sourceDataDir.empty()
                    ? installed
                    : fs::path(e.sourceDataDir).lexically_normal().string();
    if (!e.pathkeepHome.empty()) {
        p.dataDir = fs::exists(fs::path(e.pathkeepHome) / "symbol_types.dat", ec) ? e.pathkeepHome : p.dataDir;
        p.configDir = p.userDataDir = e.pathkeepHome;
        p.tileCacheDir = join(e.pathkeepHome, "tiles");
    } else {
        p.configDir = join(e.xdgConfigHome.empty() ? join(e.home, ".config") : e.xdgConfigHome, "pathkeep");
        p.userDataDir = join(e.xdgDataHome.empty() ? join(e.home, ".local/share") : e.xdgDataHome, "pathkeep");
        p.tileCacheDir = join(join(e.xdgCacheHome.empty() ? join(e.home, ".cache") : e.xdgCacheHome, "pathkeep"),
                              "tiles");
    }
    p.productSettings = join(p.dataDir, "Pathkeep.ini");
    p.symbolNames = join(p.dataDir, "symbol_types.dat");
    p.readme = join(p.dataDir, "readme.html");
    p.ocr2002 = join(p.dataDir, "ocr2002.ini");
    p.ocr2004 = join(p.dataDir, "ocr2004.ini");
    p.userSettings = join(p.configDir, "UserData.ini");
    p.waypointDatabase = join(p.userDataDir, "ZeRodedorar.gpx");
    p.messageLogFile = join(p.userDataDir, "NmeaLog.log");
    p.versionFile = join(p.userDataDir, "version.dat");
    p.translationExport = join(p.userDataDir, "translation.csv");
    p.firstRunMarker = join(p.userDataDir, "NewInstall.dat");
    std::string temp = !e.temp.empty() ? e.temp : !e.tmpdir.empty() ? e.tmpdir : "/tmp";
    p.googleEarthFile = join(temp, "PathkeepPoints.kml");
    std::string xdgData = e.xdgDataHome.empty() ? join(e.home, ".local/share") : e.xdgDataHome;
    std::string xdgConfig = e.xdgConfigHome.empty() ? join(e.home, ".config") : e.xdgConfigHome;
    p.desktopEntry = join(join(xdgData, "applications"), "Pathkeep.FileType.desktop");
    p.mimeApps = join(xdgConfig, "mimeapps.list");
    return p;
}

bool EnsureUserDirectories(const ProgramPaths& p) {
    std::error_code ec;
    // Asked before anything is made: with PATHKEEP_HOME both are one folder.
    bool firstRun = !fs::exists(p.userDataDir, ec);
    fs::create_directories(p.configDir, ec);
    fs::create_directories(p.userDataDir, ec);
    if (firstRun && fs::exists(p.userDataDir, ec)) {
        FILE* marker = std::fopen(p.firstRunMarker.c_str(), "w");
        if (marker) std::fclose(marker);
    }
    return fs::is_directory(p.configDir, ec) && fs::is_directory(p.userDataDir, ec);
}

}  // namespace app
