#include "core/symbols.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "core/fn.h"
#include "core/text.h"

namespace core {

SymbolTable::SymbolTable() { finish(); }

bool SymbolTable::LoadSymbolTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        loadFromText({});
        return false;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    loadFromText(ss.str());
    return true;
}

void SymbolTable::loadFromText(std::string_view text) {
    entries_.clear();
    size_t pos = 0;
    while (pos < text.size() && entries_.size() < kSize) {
        size_t eol = text.find('\n', pos);
        std::string_view line = Trim(text.substr(pos, eol == std::string_view::npos ? eol : eol - pos));
        pos = eol == std::string_view::npos ? text.size() : eol + 1;
        if (line.empty()) continue;
        size_t tab = line.find('\t');
        if (tab == std::string_view::npos) break;
        std::string_view numberText = line.substr(0, tab);
        // from_chars takes "-5" but not "+5", which some editors write.
        if (numberText.size() > 1 && numberText[0] == '+' && numberText[1] != '-') numberText.remove_prefix(1);
        long value = 0;
        auto [end, ec] = std::from_chars(numberText.data(), numberText.data() + numberText.size(), value);
        if (ec != std::errc() || end != numberText.data() + numberText.size()) break;
        // The number is a 16-bit field; larger values wrap as they do on the receiver.
        entries_.push_back({static_cast<unsigned short>(value), Utf8Left(Trim(line.substr(tab + 1)), kMaxNameChars)});
    }
    finish();
}

void SymbolTable::finish() {
    entries_.resize(kSize);
    // Stable: equal numbers keep file order, so empty slots follow a real symbol 0.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.number < b.number; });
    byNumberText_.clear();
    byName_.clear();
    byFoldedName_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) {
        byNumberText_.try_emplace(std::to_string(entries_[i].number), i);
        if (entries_[i].name.empty()) continue;
        byName_.try_emplace(entries_[i].name, i);
        byFoldedName_.try_emplace(AsciiLower(entries_[i].name), i);
    }
}

std::string SymbolTable::NumToSym(std::string_view numberText) const {
    auto it = byNumberText_.find(std::string(numberText));
    return it == byNumberText_.end() ? std::string() : entries_[it->second].name;
}

const SymbolTable::Entry* SymbolTable::findByName(std::string_view name) const {
    if (name.empty()) return nullptr;
    if (auto it = byName_.find(std::string(name)); it != byName_.end()) return &entries_[it->second];
    if (auto it = byFoldedName_.find(AsciiLower(name)); it != byFoldedName_.end()) return &entries_[it->second];
    return nullptr;
}

std::string SymbolTable::SymToNum(std::string_view name) const {
    if (name.empty()) return "0";
    const Entry* e = findByName(name);
    return e ? std::to_string(e->number) : std::string(name);
}

std::string SymbolTable::resolveName(std::string_view name) const {
    const Entry* e = findByName(name);
    return e ? e->name : std::string(name);
}

std::optional<unsigned short> SymbolTable::numberOf(std::string_view name) const {
    const Entry* e = findByName(name);
    if (!e) return std::nullopt;
    return e->number;
}

std::vector<std::string> SymbolTable::names() const {
    std::vector<std::string> out;
    for (const auto& e : entries_)
        if (!e.name.empty()) out.push_back(e.name);
    return out;
}

}  // namespace core
