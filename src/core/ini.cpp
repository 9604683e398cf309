#include "core/ini.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "core/fn.h"
#include "core/text.h"

namespace core {

namespace {

bool sameName(std::string_view a, std::string_view b) { return AsciiLower(a) == AsciiLower(b); }

// "[Name]" -> Name; none for other lines.
std::optional<std::string> sectionOf(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return std::string(Trim(t.substr(1, close - 1)));
}

// "key=value" -> key and value; none for other lines.
bool keyOf(std::string_view line, std::string& key, std::string& value) {
    std::string_view t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = std::string(Trim(t.substr(0, eq)));
    value = std::string(Trim(t.substr(eq + 1)));
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
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back("");
        lines_.push_back("[" + section + "]");
        lines_.push_back(key + "=" + value);
        return;
    }
    // After the section's last key, before any blank lines that end it.
    size_t at = sectionEnd;
    while (at > sectionLine + 1 && Trim(lines_[at - 1]).empty()) --at;
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

}  // namespace core
