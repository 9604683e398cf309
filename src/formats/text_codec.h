#pragma once
// The one place that decides the character encoding of legacy text files:
// UTF-8 when the bytes are valid UTF-8, else Windows-1252.

#include <string>
#include <string_view>

namespace formats {

bool IsValidUtf8(std::string_view bytes);
// The file's text as UTF-8 (a UTF-8 byte order mark is dropped).
std::string DecodeLegacyText(std::string_view bytes);
// The same without a copy where the bytes are UTF-8 already: a view into
// `bytes` (past a byte order mark) or, decoded, into `decoded`.
std::string_view DecodeLegacyTextView(std::string_view bytes, std::string& decoded);
// UTF-8 to Windows-1252; a character it cannot hold becomes "?" and is counted.
std::string EncodeWindows1252(std::string_view utf8, int& replaced);

// Splits a text into lines at LF, dropping a CR before it; a last line
// without an end is a line too.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        std::string_view line = text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!f(line)) return;
        if (eol == std::string_view::npos) return;
        pos = eol + 1;
    }
}

}  // namespace formats
