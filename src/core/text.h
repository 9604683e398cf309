#pragma once
// Small UTF-8 text helpers: the program counts characters as code points.

#include <string>
#include <string_view>

namespace core {

// The first `maxChars` code points of a UTF-8 text.
std::string Utf8Left(std::string_view text, size_t maxChars);
// Lower-cases ASCII letters only; other bytes pass unchanged.
std::string AsciiLower(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
// The text up to, not including, the first blank; the whole text without one.
std::string_view FirstWord(std::string_view text);

}  // namespace core
