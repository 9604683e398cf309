#include "app/ini.h"

#include <variant>

#include "core/text.h"
#include "formats/atomic_file.h"

namespace app {

bool IniFile::save(const std::string& path, std::string& error) const {
    formats::AtomicFile file(path);
    if (!file.open() || !file.write(text()) || !file.commit()) {
        error = file.error();
        return false;
    }
    return true;
}

// --- the table of user settings --------------------------------------------

namespace {

using IntField = int& (*)(UserSettings&);
using BoolField = bool& (*)(UserSettings&);
using TextField = std::string& (*)(UserSettings&);

struct SettingRow {
    const char* section;
    const char* key;
    std::variant<IntField, BoolField, TextField> field;
};

// Every key of the sections the window writes at close, in the order they are written.
const std::vector<SettingRow>& settingRows() {
    static const std::vector<SettingRow> rows = {
        {"General", "port1", IntField([](UserSettings& s) -> int& { return s.channel1.port; })},
        {"General", "speed1", IntField([](UserSettings& s) -> int& { return s.channel1.speed; })},
        {"General", "bits1", IntField([](UserSettings& s) -> int& { return s.channel1.bits; })},
        {"General", "parity1", TextField([](UserSettings& s) -> std::string& { return s.channel1.parity; })},
        {"General", "stop1", TextField([](UserSettings& s) -> std::string& { return s.channel1.stop; })},
        {"General", "port2", IntField([](UserSettings& s) -> int& { return s.channel2.port; })},
        {"General", "speed2", IntField([](UserSettings& s) -> int& { return s.channel2.speed; })},
        {"General", "bits2", IntField([](UserSettings& s) -> int& { return s.channel2.bits; })},
        {"General", "parity2", TextField([](UserSettings& s) -> std::string& { return s.channel2.parity; })},
        {"General", "stop2", TextField([](UserSettings& s) -> std::string& { return s.channel2.stop; })},
        {"General", "SocketC1", BoolField([](UserSettings& s) -> bool& { return s.channel1.socket; })},
        {"General", "IpAddressC1", TextField([](UserSettings& s) -> std::string& { return s.channel1.ipAddress; })},
        {"General", "IpPortC1", IntField([](UserSettings& s) -> int& { return s.channel1.ipPort; })},
        {"General", "SocketC2", BoolField([](UserSettings& s) -> bool& { return s.channel2.socket; })},
        {"General", "IpAddressC2", TextField([](UserSettings& s) -> std::string& { return s.channel2.ipAddress; })},
        {"General", "IpPortC2", IntField([](UserSettings& s) -> int& { return s.channel2.ipPort; })},
        {"General", "SocketS", BoolField([](UserSettings& s) -> bool& { return s.serverSocket; })},
        {"General", "IpPortS", IntField([](UserSettings& s) -> int& { return s.serverPort; })},
        {"General", "SocketSAll", BoolField([](UserSettings& s) -> bool& { return s.serverSocketAll; })},
        {"General", "AllTalkers", BoolField([](UserSettings& s) -> bool& { return s.allTalkers; })},
        {"General", "LastPath", TextField([](UserSettings& s) -> std::string& { return s.lastPath; })},
        {"Languages", "CurrentLanguage", IntField([](UserSettings& s) -> int& { return s.currentLanguage; })},
        {"Window", "Width", IntField([](UserSettings& s) -> int& { return s.windowWidth; })},
        {"Window", "Height", IntField([](UserSettings& s) -> int& { return s.windowHeight; })},
        {"Window", "TreeWidth", IntField([](UserSettings& s) -> int& { return s.treeWidth; })},
        {"Map", "TileUrl", TextField([](UserSettings& s) -> std::string& { return s.mapTileUrl; })},
        {"Map", "Attribution", TextField([](UserSettings& s) -> std::string& { return s.mapAttribution; })},
        {"Map", "CacheMB", IntField([](UserSettings& s) -> int& { return s.mapCacheMB; })},
    };
    return rows;
}

}  // namespace

UserSettings UserSettings::read(const IniFile& ini) {
    UserSettings s;  // the defaults
    for (const auto& row : settingRows()) {
        if (auto f = std::get_if<IntField>(&row.field)) (*f)(s) = ini.readInteger(row.section, row.key, (*f)(s));
        if (auto f = std::get_if<BoolField>(&row.field)) (*f)(s) = ini.readBool(row.section, row.key, (*f)(s));
        if (auto f = std::get_if<TextField>(&row.field)) (*f)(s) = ini.readString(row.section, row.key, (*f)(s));
    }
    s.channel1.parity = core::AsciiLower(s.channel1.parity);
    s.channel2.parity = core::AsciiLower(s.channel2.parity);
    // "count" bounds the list; a missing "fnI" is the number itself.
    int count = ini.readInteger("Fields", "count", 0);
    for (int i = 0; i < count && i < 1000; ++i)
        s.fields.push_back(ini.readString("Fields", "fn" + std::to_string(i), std::to_string(i)));
    return s;
}

void UserSettings::writeGeneral(IniFile& ini) const {
    UserSettings copy = *this;
    for (const auto& row : settingRows()) {
        if (auto f = std::get_if<IntField>(&row.field)) ini.writeInteger(row.section, row.key, (*f)(copy));
        if (auto f = std::get_if<BoolField>(&row.field)) ini.writeBool(row.section, row.key, (*f)(copy));
        if (auto f = std::get_if<TextField>(&row.field)) ini.set(row.section, row.key, (*f)(copy));
    }
}

void UserSettings::writeFields(IniFile& ini) const {
    ini.writeInteger("Fields", "count", static_cast<int>(fields.size()));
    for (size_t i = 0; i < fields.size(); ++i) ini.set("Fields", "fn" + std::to_string(i), fields[i]);
}

}  // namespace app
