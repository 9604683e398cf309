#include "capture/ocr_table.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/ini.h"
#include "core/text.h"

namespace capture {

namespace {

// Longest INI file the reader takes: a full table is about 30 KB.
constexpr std::streamsize kMaxTableFileBytes = 4 << 20;

// The code point of a one-character text; -1 for anything else.
int codePointOf(std::string_view text) {
    auto chars = Utf8Characters(text);
    if (chars.size() != 1) return -1;
    const auto* b = reinterpret_cast<const unsigned char*>(chars[0].data());
    switch (chars[0].size()) {
    case 1: return b[0];
    case 2: return ((b[0] & 0x1F) << 6) | (b[1] & 0x3F);
    default: return -1;  // nothing above U+07FF fits a table code
    }
}

}  // namespace

std::vector<std::string> Utf8Characters(std::string_view text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        size_t n = 1;
        while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
        out.emplace_back(text.substr(i, n));
        i += n;
    }
    return out;
}

int OcrTable::entryCount() const {
    int n = 0;
    for (const auto& e : entries) n += e.empty() ? 0 : 1;
    return n;
}

int OcrTable::codeFor(std::string_view text) const {
    int own = codePointOf(text);
    if (own >= kFirstOcrCode && own <= kLastOcrCode && !entries[static_cast<size_t>(own)].empty() &&
        entries[static_cast<size_t>(own)].text == text)
        return own;
    for (int code = kFirstOcrCode; code <= kLastOcrCode; ++code)
        if (!entries[static_cast<size_t>(code)].empty() && entries[static_cast<size_t>(code)].text == text) return code;
    return -1;
}

OcrTable ParseOcrTable(const std::string& iniText) {
    OcrTable table;
    core::IniFile ini = core::IniFile::fromText(iniText);
    for (int code = kFirstOcrCode; code <= kLastOcrCode; ++code) {
        std::string section = "ascii-" + std::to_string(code);
        int length = ini.readInteger(section, "length", 0);
        if (length <= 0) continue;  // empty; a negative width is no width either
        OcrEntry& e = table.entries[static_cast<size_t>(code)];
        e.length = length;
        e.text = code == ' ' ? " " : core::Utf8Left(ini.readString(section, "kar", ""), kMaxOcrTextChars);
        for (int k = 0; k < kMaxOcrColumns; ++k)
            e.columns[static_cast<size_t>(k)] =
                ini.readString(section, "s" + std::to_string(k + 1), "").substr(0, kMaxColumnSymbols);
    }
    return table;
}

OcrTable ReadOcrTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text(static_cast<size_t>(kMaxTableFileBytes), '\0');
    in.read(text.data(), kMaxTableFileBytes);
    text.resize(static_cast<size_t>(in.gcount()));
    return ParseOcrTable(text);
}

std::vector<std::string> DumpBlock(const std::vector<std::string>& dump, int beginX, int beginY, int width,
                                   int height) {
    std::vector<std::string> block;
    for (int y = beginY - height + 1; y <= beginY; ++y) {
        if (y < 0 || y >= static_cast<int>(dump.size())) continue;
        const std::string& row = dump[static_cast<size_t>(y)];
        std::string part;
        for (int x = beginX; x < beginX + width; ++x)
            if (x >= 1 && x <= static_cast<int>(row.size())) part += row[static_cast<size_t>(x - 1)];
        block.push_back(part);
    }
    return block;
}

std::vector<std::string> BlockColumns(const std::vector<std::string>& block) {
    size_t width = 0;
    for (const auto& row : block) width = std::max(width, row.size());
    std::vector<std::string> columns(width);
    for (size_t k = 0; k < width; ++k)
        for (auto row = block.rbegin(); row != block.rend(); ++row)
            if (k < row->size()) columns[k] += (*row)[k];
    return columns;
}

std::string FindTableFile(const std::string& fileName, const std::vector<std::string>& folders) {
    std::error_code ec;
    for (const auto& folder : folders) {
        if (folder.empty()) continue;
        std::filesystem::path p = std::filesystem::path(folder) / fileName;
        if (std::filesystem::is_regular_file(p, ec)) return p.string();
    }
    return {};
}

}  // namespace capture
