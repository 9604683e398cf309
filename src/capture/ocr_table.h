#pragma once
// The screen reader's character table: for every character code 32..200 the
// pixel columns it occupies in the route planner's co-ordinate box. A column
// is a string of pixel symbols (see ocr.h), bottom row first. The tables live
// in INI files, one section "ascii-<code>" per character with the keys
// "length", "kar" and "s1".."s7".

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace capture {

constexpr int kFirstOcrCode = 32;
constexpr int kLastOcrCode = 200;
constexpr int kMaxOcrColumns = 7;         // columns one entry can match with
constexpr size_t kMaxColumnSymbols = 11;  // symbols kept of a column string
constexpr size_t kMaxOcrTextChars = 5;    // characters kept of an entry's text

struct OcrEntry {
    int length = 0;  // pixel columns; 0 = empty entry
    int score = 0;   // working value of the last scored pass
    std::string text;
    std::array<std::string, kMaxOcrColumns> columns;

    bool empty() const { return length == 0; }
};

struct OcrTable {
    // Indexed by character code; entries below 32 stay empty.
    std::array<OcrEntry, kLastOcrCode + 1> entries;

    void clear() { entries = {}; }
    int entryCount() const;
    // The entry that writes `text`, preferring the one whose code is the
    // text's own character; none (-1) when no entry writes it.
    int codeFor(std::string_view text) const;
};

// The table in an INI text. Sections without a length, or with length 0,
// stay empty; keys "s8" and beyond are not read.
OcrTable ParseOcrTable(const std::string& iniText);
// The same from a file; a missing or unreadable file gives an empty table.
OcrTable ReadOcrTable(const std::string& path);

// The characters (UTF-8 code points) of a text, each as its own string.
std::vector<std::string> Utf8Characters(std::string_view text);

// The character table editor's block: columns beginX .. beginX+width-1
// (counted from 1) of the `height` dump rows ending at row beginY (counted
// from 0, the line's bottom row). Rows and columns outside the dump are left
// out. Its column strings, bottom row first, are what a table entry holds.
std::vector<std::string> DumpBlock(const std::vector<std::string>& dump, int beginX, int beginY, int width,
                                   int height);
std::vector<std::string> BlockColumns(const std::vector<std::string>& block);

// The first of the folders that holds `fileName`, joined with it; empty
// when none does.
std::string FindTableFile(const std::string& fileName, const std::vector<std::string>& folders);

}  // namespace capture
