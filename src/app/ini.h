#pragma once
// Windows private-profile INI files: "[Section]" lines and "key=value" lines,
// section and key names matched without regard to letter case. Writing a key
// changes only its own line (or adds one); every other line stays as it was.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

class IniFile {
public:
    // Reads the file; a missing file is an empty one.
    static IniFile load(const std::string& path);
    static IniFile fromText(const std::string& text);

    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    std::string readString(const std::string& section, const std::string& key, const std::string& fallback) const;
    // A missing key or one that is not a whole number gives the fallback.
    int readInteger(const std::string& section, const std::string& key, int fallback) const;
    bool readBool(const std::string& section, const std::string& key, bool fallback) const;

    void set(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int value);
    void writeBool(const std::string& section, const std::string& key, bool value);

    std::string text() const;
    // Writes atomically; false with a message when the file could not be written.
    bool save(const std::string& path, std::string& error) const;

    // Every section line and key line in one pass, in file order: `key` is
    // empty for the section line itself. Keys before any section have an
    // empty section.
    void visit(const std::function<void(const std::string& section, const std::string& key,
                                        const std::string& value)>& line) const;

    // Section names in file order, and the keys of one, for the translation export.
    std::vector<std::string> sections() const;
    std::vector<std::pair<std::string, std::string>> entries(const std::string& section) const;

private:
    std::vector<std::string> lines_;
    bool crlf_ = true;
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
    bool allTalkers = false;       // decode GN, GL, GA, GB, BD and GQ sentences too
    std::string lastPath;
    int currentLanguage = 2;
    std::vector<std::string> fields;  // the text export's chosen fields

    static UserSettings read(const IniFile& ini);
    // Section "General" and "Languages", as the main window writes at close.
    void writeGeneral(IniFile& ini) const;
    // Section "Fields", as "Save as default" writes.
    void writeFields(IniFile& ini) const;
};

}  // namespace app
