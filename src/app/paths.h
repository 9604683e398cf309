#pragma once
// Where Pathkeep's files live. The program's own read-only data comes from
// its data directory; what it writes lives in the user's directories, or all
// of it in $PATHKEEP_HOME when that is set. Nothing else builds these paths.

#include <string>

namespace app {

struct PathEnv {
    std::string exeDir;         // directory of the running program
    std::string home;           // $HOME
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME, may be empty
    std::string xdgDataHome;    // $XDG_DATA_HOME, may be empty
    std::string pathkeepHome;   // $PATHKEEP_HOME, may be empty
    std::string sourceDataDir;  // data/ of the source tree, for runs from a build folder
    std::string temp, tmpdir;   // $TEMP, $TMPDIR
    std::string xdgCacheHome = {};  // $XDG_CACHE_HOME, may be empty

    static PathEnv fromProcess(const std::string& exeDir);
};

struct ProgramPaths {
    std::string dataDir;
    std::string productSettings;  // Pathkeep.ini
    std::string symbolNames;      // symbol_types.dat
    std::string readme;
    std::string ocr2002, ocr2004;

    std::string configDir, userDataDir;
    std::string userSettings;       // UserData.ini
    std::string waypointDatabase;   // ZeRodedorar.gpx
    std::string messageLogFile;     // NmeaLog.log
    std::string versionFile;        // version.dat
    std::string translationExport;  // translation.csv
    std::string firstRunMarker;     // NewInstall.dat
    // Map tiles kept for later views: a cache the program may empty at will,
    // so it lives in the user's cache folder, not with their data.
    std::string tileCacheDir;       // pathkeep/tiles

    std::string googleEarthFile;  // PathkeepPoints.kml in the temporary folder

    // The desktop's own files for the GPX association; they stay in the
    // user's XDG folders even with $PATHKEEP_HOME, which only moves our files.
    std::string desktopEntry;  // applications/Pathkeep.FileType.desktop
    std::string mimeApps;      // mimeapps.list, the user's default programs
};

ProgramPaths BuildPaths(const PathEnv& env);

// Creates the folders the program writes to. When the data folder is made
// for the first time the first-run marker is left in it.
bool EnsureUserDirectories(const ProgramPaths& paths);

}  // namespace app
