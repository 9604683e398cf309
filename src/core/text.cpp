#include "core/text.h"

namespace core {

std::string Utf8Left(std::string_view text, size_t maxChars) {
    size_t chars = 0, i = 0;
    while (i < text.size()) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == maxChars) break;
            ++chars;
        }
        ++i;
    }
    return std::string(text.substr(0, i));
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string_view FirstWord(std::string_view text) { return text.substr(0, text.find(' ')); }

}  // namespace core
