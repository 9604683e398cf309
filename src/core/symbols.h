#pragma once
// Garmin symbol numbers and the names GPX files use for them, loaded from
// symbol_types.dat ("<number><TAB><name>" per line).

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

class SymbolTable {
public:
    static constexpr int kSize = 512;
    static constexpr size_t kMaxNameChars = 50;

    struct Entry {
        unsigned short number = 0;
        std::string name;  // empty = empty slot
    };

    SymbolTable();

    // Fills the table from a file; returns false when the file could not be
    // opened (the table is then empty). A line whose number is not an integer
    // ends the reading; what was read before it stays.
    bool LoadSymbolTable(const std::string& path);
    void loadFromText(std::string_view text);

    // Name of the first entry whose number, in decimal without leading zeros,
    // equals the text; empty when there is none.
    std::string NumToSym(std::string_view numberText) const;
    // Decimal number of a symbol name: exact match first, then ignoring
    // letter case. "0" for an empty name; an unknown name comes back as
    // written, which later readers treat as "not a number".
    std::string SymToNum(std::string_view name) const;
    // The name to store for a symbol given by name: the table's spelling
    // when it knows the name (in any letter case), else the name as written.
    std::string resolveName(std::string_view name) const;
    // Garmin number of a symbol name, or none when the table does not know it.
    std::optional<unsigned short> numberOf(std::string_view name) const;

    const std::vector<Entry>& entries() const { return entries_; }
    std::vector<std::string> names() const;  // non-empty names in table order

private:
    void finish();
    const Entry* findByName(std::string_view name) const;

    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t> byNumberText_;
    std::unordered_map<std::string, size_t> byName_;
    std::unordered_map<std::string, size_t> byFoldedName_;
};

// Symbol argument of AddWaypoint and AddRoutepoint: readers of files that
// carry names (GPX, KML) pass a name, the others a Garmin number as text.
struct Symbol {
    enum class Kind { Number, Name };
    Kind kind = Kind::Number;
    std::string text;

    static Symbol number(std::string text) { return {Kind::Number, std::move(text)}; }
    static Symbol name(std::string text) { return {Kind::Name, std::move(text)}; }
    static Symbol none() { return {}; }
};

}  // namespace core
