#include "app/paths.h"

#include <gtest/gtest.h>

using namespace app;

TEST(Paths, UserFilesInXdgFoldersAndDataBesideTheSources) {
    PathEnv e{"/opt/build/bin", "/home/u", "", "", "", "/src/pathkeep/data", "", ""};
    ProgramPaths p = BuildPaths(e);
    EXPECT_EQ(p.symbolNames, "/src/pathkeep/data/symbol_types.dat");
    EXPECT_EQ(p.userSettings, "/home/u/.config/pathkeep/UserData.ini");
    EXPECT_EQ(p.waypointDatabase, "/home/u/.local/share/pathkeep/ZeRodedorar.gpx");
    EXPECT_EQ(p.firstRunMarker, "/home/u/.local/share/pathkeep/NewInstall.dat");
    EXPECT_EQ(p.tileCacheDir, "/home/u/.cache/pathkeep/tiles");

    e.xdgConfigHome = "/cfg";
    e.xdgDataHome = "/dat";
    e.xdgCacheHome = "/cache";
    p = BuildPaths(e);
    EXPECT_EQ(p.userSettings, "/cfg/pathkeep/UserData.ini");
    EXPECT_EQ(p.messageLogFile, "/dat/pathkeep/NmeaLog.log");
    EXPECT_EQ(p.tileCacheDir, "/cache/pathkeep/tiles");
}

TEST(Paths, PathkeepHomeTakesEverything) {
    PathEnv e{"/opt/build/bin", "/home/u", "/cfg", "/dat", "/tmp/pk", "/src/pathkeep/data", "", "", "/cache"};
    ProgramPaths p = BuildPaths(e);
    EXPECT_EQ(p.userSettings, "/tmp/pk/UserData.ini");
    EXPECT_EQ(p.tileCacheDir, "/tmp/pk/tiles");
    EXPECT_EQ(p.waypointDatabase, "/tmp/pk/ZeRodedorar.gpx");
    EXPECT_EQ(p.symbolNames, "/src/pathkeep/data/symbol_types.dat");  // unless it holds its own copy
}
