#pragma once
// The program's INI files (core::IniFile) and the user settings kept in
// UserData.ini.

#include <string>
#include <utility>
#include <vector>

#include "core/ini.h"

namespace app {

// The INI files the application writes: the shared reader plus an atomic save.
class IniFile : public core::IniFile {
public:
    IniFile() = default;
    IniFile(core::IniFile ini) : core::IniFile(std::move(ini)) {}
    // Reads the file; a missing file is an empty one.
    static IniFile load(const std::string& path) { return core::IniFile::load(path); }
    static IniFile fromText(const std::string& text) { return core::IniFile::fromText(text); }

    // Writes atomically; false with a message when the file could not be written.
    bool save(const std::string& path, std::string& error) const;
};

// The user settings of UserData.ini that this program keeps, each listed once
// with its section, type and default; reading and writing walk the table.
struct UserSettings {
    struct Channel {
        int port = 1;
        int speed = 9600;
        int bits = 8;
        std::string parity = "none";
        std::string stop = "1";
        bool socket = false;
        std::string ipAddress = "127.0.0.1";
        int ipPort = 7000;
    };
    Channel channel1;
    Channel channel2{1, 4800, 8, "none", "1", false, "127.0.0.1", 7000};
    bool serverSocket = false;
    int serverPort = 7000;
    bool serverSocketAll = false;  // the listener on every interface, not only loopback
    bool allTalkers = true;        // decode GN, GL, GA, GB, BD and GQ sentences too: receivers of today talk GN
    std::string lastPath;
    int currentLanguage = 2;
    // The main window's size and the tree's width when it last closed; 0
    // until then (the window then picks a size that shows all its pages).
    int windowWidth = 0, windowHeight = 0, treeWidth = 0;
    std::vector<std::string> fields;  // the text export's chosen fields
    // The map page's web map: where its tiles come from ({z}/{x}/{y} stand
    // for the tile), the credit the tiles' owner asks to be shown, and how
    // many megabytes of tiles the cache keeps.
    std::string mapTileUrl = "https://tile.openstreetmap.org/{z}/{x}/{y}.png";
    std::string mapAttribution = "\xC2\xA9 OpenStreetMap contributors";
    int mapCacheMB = 200;

    static UserSettings read(const IniFile& ini);
    // Sections "General", "Languages", "Window" and "Map", as the main window writes at close.
    void writeGeneral(IniFile& ini) const;
    // Section "Fields", as "Save as default" writes.
    void writeFields(IniFile& ini) const;
};

}  // namespace app
