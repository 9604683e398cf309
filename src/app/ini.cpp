#include "app/ini.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <variant>

#include "core/fn.h"
#include "core/text.h"
#include "formats/atomic_file.h"

namespace app {

namespace {

bool sameName(std::string_view a, std::string_view b) { return core::AsciiLower(a) == core::AsciiLower(b); }

// "[Name]" -> Name; none for other lines.
std::optional<std::string> sectionOf(std::string_view line) {
    std::string_view t = core::Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return std::string(core::Trim(t.substr(1, close - 1)));
}

// "key=value" -> key and value; none for other lines.
bool keyOf(std::string_view line, std::string& key, std::string& value) {
    std::string_view t = core::Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = std::string(core::Trim(t.substr(0, eq)));
    value = std::string(core::Trim(t.substr(eq + 1)));
    return !key.empty();
}

}  // namespace

IniFile IniFile::fromText(const std::string& text) {
    IniFile ini;
    ini.crlf_ = text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        std::string line = text.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ini.lines_.push_back(line);
        if (eol == std::string::npos) break;
        pos = eol + 1;
    }
    return ini;
}

IniFile IniFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return fromText(ss.str());
}

std::optional<std::string> IniFile::get(const std::string& section, const std::string& key) const {
    for (const auto& [k, v] : entries(section))
        if (sameName(k, key)) return v;
    return std::nullopt;
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    return get(section, key).value_or(fallback);
}

int IniFile::readInteger(const std::string& section, const std::string& key, int fallback) const {
    auto v = get(section, key);
    if (!v) return fallback;
    int value = 0;
    const char* b = v->data();
    const char* e = b + v->size();
    if (b != e && *b == '+') ++b;
    auto [end, ec] = std::from_chars(b, e, value);
    return ec == std::errc() && end == e && b != e ? value : fallback;
}

bool IniFile::readBool(const std::string& section, const std::string& key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value) {
    bool inSection = false;
    size_t sectionEnd = lines_.size(), sectionLine = lines_.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (auto s = sectionOf(lines_[i])) {
            if (inSection) {
                sectionEnd = i;
                break;
            }
            inSection = sameName(*s, section);
            if (inSection) sectionLine = i;
            continue;
        }
        std::string k, v;
        if (inSection && keyOf(lines_[i], k, v) && sameName(k, key)) {
            lines_[i] = k + "=" + value;
            return;
        }
    }
    if (sectionLine == lines_.size()) {
        if (!lines_.empty() && !core::Trim(lines_.back()).empty()) lines_.push_back("");
        lines_.push_back("[" + section + "]");
        lines_.push_back(key + "=" + value);
        return;
    }
    // After the section's last key, before any blank lines that end it.
    size_t at = sectionEnd;
    while (at > sectionLine + 1 && core::Trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<long>(at), key + "=" + value);
}

void IniFile::writeInteger(const std::string& section, const std::string& key, int value) {
    set(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string& section, const std::string& key, bool value) {
    set(section, key, value ? "1" : "0");
}

std::string IniFile::text() const {
    std::string out;
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (const auto& l : lines_) out += l + eol;
    return out;
}

bool IniFile::save(const std::string& path, std::string& error) const {
    formats::AtomicFile file(path);
    if (!file.open() || !file.write(text()) || !file.commit()) {
        error = file.error();
        return false;
    }
    return true;
}

void IniFile::visit(const std::function<void(const std::string&, const std::string&, const std::string&)>& line)
    const {
    std::string section;
    for (const auto& l : lines_) {
        if (auto s = sectionOf(l)) {
            section = *s;
            line(section, "", "");
            continue;
        }
        std::string k, v;
        if (keyOf(l, k, v)) line(section, k, v);
    }
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> out;
    for (const auto& l : lines_)
        if (auto s = sectionOf(l)) out.push_back(*s);
    return out;
}

std::vector<std::pair<std::string, std::string>> IniFile::entries(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> out;
    bool inSection = false;
    for (const auto& line : lines_) {
        if (auto s = sectionOf(line)) {
            inSection = sameName(*s, section);
            continue;
        }
        std::string k, v;
        if (inSection && keyOf(line, k, v)) out.emplace_back(k, v);
    }
    return out;
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

// Every key of sections "General" and "Languages", in the order they are written.
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
