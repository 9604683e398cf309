#pragma once
// Reading the document tree's "key = value" lines.

#include <string>
#include <string_view>

namespace formats {

struct KeyValue {
    std::string key, value;
    bool hasEquals = false;
};

// Key before the first " =", value after it and one more character.
inline KeyValue SplitKeyValue(std::string_view text) {
    KeyValue kv;
    size_t eq = text.find(" =");
    if (eq == std::string_view::npos) {
        kv.key = std::string(text);
        kv.hasEquals = text.find('=') != std::string_view::npos;
        return kv;
    }
    kv.hasEquals = true;
    kv.key = std::string(text.substr(0, eq));
    kv.value = eq + 3 <= text.size() ? std::string(text.substr(eq + 3)) : std::string();
    return kv;
}

// The text from a 1-based character position on; empty when shorter.
inline std::string ValueFrom(const std::string& text, size_t oneBasedStart) {
    return text.size() >= oneBasedStart ? text.substr(oneBasedStart - 1) : std::string();
}

}  // namespace formats
