#pragma once
// Windows private-profile INI files: "[Section]" lines and "key=value" lines,
// section and key names matched without regard to letter case. Writing a key
// changes only its own line (or adds one); every other line stays as it was.
// Shared by the program's settings and the character tables of the screen
// reader; saving lives with the application, which owns atomic writing.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace core {

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

}  // namespace core
