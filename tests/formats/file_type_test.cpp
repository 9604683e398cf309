#include "formats/file_type.h"

#include <gtest/gtest.h>

#include "formats/save_dialog_model.h"

using namespace formats;

TEST(DetectFileType, FirstTestThatHoldsWins) {
    struct Row {
        const char* name;
        const char* text;
        const char* ext;
        FileType expected;
    } rows[] = {
        {"own format", "Pathkeep File\r\nx", ".txt", FileType::PathkeepOwn},
        {"ozi waypoints", "OziExplorer Waypoint File Version 1.1\r\nWGS 84\r\n", ".wpt", FileType::OziWaypoint},
        {"ozi track", "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\n", ".plt", FileType::OziTrack},
        {"nmea", "$GPRMC,1*00\r\n", ".log", FileType::NmeaLog},
        {"nmea after empty first line", "\r\n$GPRMC,1*00\r\n", ".log", FileType::NmeaLog},
        {"nmea after a blank is not nmea", " $GPRMC,1*00\r\n", ".log", FileType::Unknown},
        // gpsd's receiver captures open with comment lines.
        {"nmea after comments", "# Name: neo-m8n\n# SPDX-License-Identifier: BSD-2-clause\n\n$GNRMC,1*00\n", ".log",
         FileType::NmeaLog},
        {"comments then prose", "# a note\nA simple NMEA file\n$GPRMC,1*00\n", ".log", FileType::Unknown},
        {"easygps any case", "DaTuM,WGS84,WGS84,0,0,0,0,0\r\n", ".txt", FileType::EasyGps},
        {"gpx", "<?xml version=\"1.0\"?>\n<GPX version=\"1.1\">", ".xml", FileType::Gpx},
        {"kml", "<?xml version=\"1.0\"?>\n<kml xmlns=\"x\">", ".kml", FileType::Kml},
        {"csv by extension", "lat,lon\n1,2\n", ".csv", FileType::Csv},
        {"csv that looks like nmea", "$GPRMC\n", ".csv", FileType::NmeaLog},
        {"unknown", "hello\nworld\n", ".dat", FileType::Unknown},
        {"empty", "", "", FileType::Unknown},
        // Garmin namespace lines name "WaypointExtension": still GPX.
        {"garmin gpx", "<?xml version=\"1.0\"?><gpx xmlns:wptx1=\"http://www.garmin.com/xmlschemas/WaypointExtension/v1\">",
         ".gpx", FileType::Gpx},
        {"gpx with creator Waypoint", "<gpx creator=\"Waypoint+\">\n", ".gpx", FileType::Gpx},
        {"kml with Track Point", "<?xml version=\"1.0\"?>\n<kml><!-- Track Point -->", ".kml", FileType::Kml},
        // Root tag past line two: found in the first 4 KiB.
        {"gpx after a comment", "<?xml version=\"1.0\"?>\n<!-- made by hand -->\n\n<gpx>", ".gpx", FileType::Gpx},
        {"kml without declaration", "\n\n\n<!-- c -->\n<kml>", ".kml", FileType::Kml},
        {"byte order mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?><gpx creator=\"Waypoint\">", ".gpx", FileType::Gpx},
    };
    for (const auto& r : rows) EXPECT_EQ(DetectFileType(HeadOfText(r.text), r.ext), r.expected) << r.name;
}

TEST(DetectFileType, RootTagPastFourKilobytesIsNotSearched) {
    std::string text = "<?xml version=\"1.0\"?>\n<!--" + std::string(5000, ' ') + "-->\n<gpx>";
    EXPECT_EQ(DetectFileType(HeadOfText(text), ".gpx"), FileType::Unknown);
}

TEST(FileNames, ExtensionsAndDirectories) {
    EXPECT_EQ(ExtensionOf("/a/b/Track.PLT"), ".plt");
    EXPECT_EQ(ExtensionOf("/a.b/track"), "");
    EXPECT_EQ(ReplaceExtension("/a/b/Track.PLT", ".kml"), "/a/b/Track.kml");
    EXPECT_EQ(ReplaceExtension("/a.b/track", ".gpx"), "/a.b/track.gpx");
    EXPECT_EQ(ReplaceExtension("", ".gpx"), ".gpx");
    EXPECT_EQ(FileNameOf("/a/b/c.gpx"), "c.gpx");
    EXPECT_EQ(DirectoryOf("/a/b/c.gpx"), "/a/b/");
    EXPECT_EQ(DirectoryOf("c.gpx"), "");
}

TEST(SaveDialogModel, FormatChoiceSetsTheExtension) {
    SaveDialogModel m;
    m.chooseFormat(1);
    EXPECT_EQ(m.fileName, "");  // an empty field stays empty
    m.fileName = "/home/u/walk";
    m.chooseFormat(2);
    EXPECT_EQ(m.fileName, "/home/u/walk.plt");
    m.chooseFormat(4);
    EXPECT_EQ(m.fileName, "/home/u/walk.txt");
    EXPECT_EQ(m.format(), SaveFormat::Txt);
    EXPECT_EQ(m.browseProposal(), "*.txt");
    m.currentFileName = "/home/u/walk.gpx";
    EXPECT_EQ(m.browseProposal(), "/home/u/walk.txt");
    EXPECT_EQ(m.browseDirectory("/cwd"), "/cwd");
    m.currentDirectory = "/home/u/";
    EXPECT_EQ(m.browseDirectory("/cwd"), "/home/u/");
    EXPECT_EQ(SaveFormatForExtension(".kml"), SaveFormat::Kml);
    EXPECT_EQ(SaveFormatForExtension(".csv"), SaveFormat::Gpx);
}
