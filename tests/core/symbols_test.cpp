#include "core/symbols.h"

#include <gtest/gtest.h>

#include <string>

using core::SymbolTable;

TEST(SymbolTable, SortsByNumberWithEmptySlotsAfterSymbolZero) {
    SymbolTable t;
    t.loadFromText("18\tWaypoint\n0\tAnchor\n178\tFlag\n");
    const auto& e = t.entries();
    ASSERT_EQ(e.size(), 512u);
    EXPECT_EQ(e[0].name, "Anchor");
    for (size_t i = 1; i <= 509; ++i) ASSERT_TRUE(e[i].name.empty()) << i;
    EXPECT_EQ(e[510].number, 18);
    EXPECT_EQ(e[511].number, 178);
    EXPECT_EQ(t.NumToSym("18"), "Waypoint");
    EXPECT_EQ(t.NumToSym("5"), "");
    EXPECT_EQ(t.NumToSym("018"), "");
    EXPECT_EQ(t.NumToSym("0"), "Anchor");
}

TEST(SymbolTable, WhollySortedWhateverTheFileOrder) {
    SymbolTable t;
    t.loadFromText("18\tWaypoint\n3\tC\n200\tZ\n1\tA\n19\tS\n");
    std::vector<int> numbers;
    for (const auto& e : t.entries())
        if (!e.name.empty()) numbers.push_back(e.number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 18, 19, 200}));
}

TEST(SymbolTable, LimitsAndBadLines) {
    SymbolTable t;
    t.loadFromText("7\t" + std::string(60, 'x') + "\n");
    EXPECT_EQ(t.NumToSym("7"), std::string(50, 'x'));

    std::string many;
    for (int i = 1; i <= 600; ++i) many += std::to_string(i) + "\tS" + std::to_string(i) + "\n";
    t.loadFromText(many);
    EXPECT_EQ(t.names().size(), 512u);
    EXPECT_EQ(t.NumToSym("512"), "S512");
    EXPECT_EQ(t.NumToSym("513"), "");

    // A line whose number is not an integer ends the reading there.
    t.loadFromText("1\tA\n\n  \nx\tB\n2\tC\n");
    EXPECT_EQ(t.names(), (std::vector<std::string>{"A"}));
    t.loadFromText("1\tA\nno tab here\n2\tC\n");
    EXPECT_EQ(t.names(), (std::vector<std::string>{"A"}));
}

TEST(SymbolTable, PlusSignedNumbersAreNumbers) {
    SymbolTable t;
    t.loadFromText("1\tA\n+5\tFive\n7\tSeven\n");
    EXPECT_EQ(t.NumToSym("5"), "Five");
    EXPECT_EQ(t.NumToSym("7"), "Seven");
    // A sign alone is still no number.
    t.loadFromText("1\tA\n+\tB\n2\tC\n");
    EXPECT_EQ(t.names(), (std::vector<std::string>{"A"}));
}

TEST(SymbolTable, NamesMatchExactlyThenIgnoringCaseAndUnknownNamesStayAsWritten) {
    SymbolTable t;
    t.loadFromText("0\tAnchor\n18\tWaypoint\n178\tFlag, Blue\n");
    EXPECT_EQ(t.resolveName("Waypoint"), "Waypoint");
    EXPECT_EQ(t.resolveName("flag, blue"), "Flag, Blue");
    EXPECT_EQ(t.resolveName("Geocache Found"), "Geocache Found");  // never turns into an anchor
    EXPECT_EQ(t.SymToNum("Waypoint"), "18");
    EXPECT_EQ(t.SymToNum("WAYPOINT"), "18");
    EXPECT_EQ(t.SymToNum("Geocache Found"), "Geocache Found");
    EXPECT_EQ(t.SymToNum(""), "0");
    EXPECT_EQ(t.numberOf("flag, BLUE"), 178);
    EXPECT_FALSE(t.numberOf("Geocache Found").has_value());
    EXPECT_FALSE(t.numberOf("").has_value());
}

TEST(SymbolTable, ShippedFileLoads) {
    SymbolTable t;
    ASSERT_TRUE(t.LoadSymbolTable(std::string(PATHKEEP_DATA_DIR) + "/symbol_types.dat"));
    EXPECT_EQ(t.names().size(), 280u);
    EXPECT_EQ(t.NumToSym("18"), "Waypoint");
    EXPECT_EQ(t.NumToSym("0"), "Anchor");
    EXPECT_EQ(t.SymToNum("Flag, Blue"), t.SymToNum("flag, blue"));
    EXPECT_NE(t.SymToNum("Flag, Blue"), "0");
}

TEST(SymbolTable, MissingFileGivesAnEmptyTable) {
    SymbolTable t;
    EXPECT_FALSE(t.LoadSymbolTable("/nonexistent/symbol_types.dat"));
    EXPECT_EQ(t.NumToSym("0"), "");
    EXPECT_EQ(t.SymToNum(""), "0");
}
