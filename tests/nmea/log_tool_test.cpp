#include "nmea/log_tool.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../temp_dir.h"

using namespace nmea;

namespace {

// A sentence with its checksum worked out here: XOR of the bytes between
// "$" and "*".
std::string sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

const std::string kGga = sentence("GPGGA,235959,5209.000,N,00509.000,E,1,08,0.9,5.0,M,46.9,M,,");
const std::string kRmcDay1 = sentence("GPRMC,235959,A,5209.000,N,00509.000,E,0.0,0.0,080308,,");
const std::string kRmcDay1Late = sentence("GPRMC,235959.5,A,5209.001,N,00509.001,E,0.0,0.0,080308,,");
const std::string kRmcDay2 = sentence("GPRMC,000000,A,5209.002,N,00509.002,E,0.0,0.0,090308,,");
const std::string kRmcNoDate = sentence("GPRMC,000001,V,,,,,,,,,");
const std::string kBadRmc = "$GPRMC,000002,A,5209.003,N,00509.003,E,0.0,0.0,090308,,*00";

std::string crlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

std::vector<std::string> names(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const auto& p : paths) out.push_back(std::filesystem::path(p).filename().string());
    return out;
}

LogToolResult run(const std::string& source, LogToolOptions options) {
    core::Operation operation;
    return RunLogTool(source, options, operation);
}

}  // namespace

TEST(LogToolRules, EveryLineWithoutAValidChecksumIsAnError) {
    LogLineRules rules({.check = true}, "");
    struct Row {
        const char* name;
        std::string line;
        bool valid, write;
    } rows[] = {
        {"good RMC", kRmcDay1, true, true},
        {"bad checksum", kBadRmc, false, true},
        {"empty line", "", false, false},
        {"logger start", "$ --- Start ---", false, true},
        {"logger stop", "$ --- Stop ---", false, true},
        {"logger error", "$CHECKSUM ERROR: $GPGGA,12*00", false, true},
        {"cut off", kRmcDay1.substr(0, 40), false, true},
        {"lower-case hex digits", "$GPGSA,A,3,17*1a", true, true},  // XOR of "GPGSA,A,3,17" is 0x1A
    };
    long errors = 0;
    for (const auto& r : rows) {
        LineDecision d = rules.take(r.line);
        EXPECT_EQ(d.valid, r.valid) << r.name;
        EXPECT_EQ(d.write, r.write) << r.name;
        EXPECT_FALSE(d.newFile) << r.name;
        errors += !r.valid;
    }
    EXPECT_EQ(rules.errors(), errors);
}

TEST(LogToolRules, DroppingAndSplitting) {
    LogLineRules both({.removeBad = true, .rmcOnly = true}, "");
    EXPECT_FALSE(both.take(kGga).write);      // not RMC
    EXPECT_FALSE(both.take(kBadRmc).write);   // bad
    EXPECT_TRUE(both.take(kRmcDay1).write);
    EXPECT_EQ(both.errors(), 1);

    LogLineRules rmcOnly({.rmcOnly = true}, "");
    EXPECT_TRUE(rmcOnly.take(kBadRmc).write);  // a bad RMC line stays unless bad lines go too
    EXPECT_FALSE(rmcOnly.take("$GNRMC,1").write);

    LogLineRules split({.split = true}, "080308");
    EXPECT_FALSE(split.take(kRmcDay1).newFile);
    EXPECT_FALSE(split.take(kBadRmc).newFile);     // a failing line never starts a date
    EXPECT_FALSE(split.take(kRmcNoDate).newFile);  // nor one without a date
    EXPECT_TRUE(split.take(kRmcDay2).newFile);
    EXPECT_EQ(split.currentDate(), "090308");
    EXPECT_TRUE(split.take(kRmcDay1).newFile);     // back to the first date: a new file again
}

TEST(LogToolNames, ConvertDateAndTakenNames) {
    std::vector<std::string> taken;
    auto exists = [&](const std::string& n) { return std::find(taken.begin(), taken.end(), n) != taken.end(); };
    EXPECT_EQ(LogOutputName("/d/track.log", nullptr, exists), "/d/track (convert).log");
    std::string date = "080308";
    EXPECT_EQ(LogOutputName("/d/track.nmea", &date, exists), "/d/track (080308).log");
    std::string none;
    EXPECT_EQ(LogOutputName("/d/track", &none, exists), "/d/track ().log");
    EXPECT_EQ(LogOutputName("/d.x/track", nullptr, exists), "/d.x/track (convert).log");
    taken = {"/d/track (convert).log", "/d/track (convert).log.log"};
    EXPECT_EQ(LogOutputName("/d/track.log", nullptr, exists), "/d/track (convert).log.log.log");
    // The log's own text never leads the output into another folder.
    std::string hostile = "../../x\n";
    EXPECT_EQ(LogOutputName("/d/track.log", &hostile, exists), "/d/track (.._.._x_).log");
}

TEST(LogTool, SplitsALogThatSpansTwoDates) {
    TempDir dir;
    std::string text = crlf({"$ --- Start ---", kGga, kRmcNoDate, kBadRmc, kRmcDay1, kGga, kRmcDay1Late, kGga,
                             kRmcDay2, "", kGga}) + kRmcDay2;  // the last line has no end
    std::string source = dir.write("track.log", text);
    LogToolResult r = run(source, {.split = true});
    ASSERT_TRUE(r.result.isDone()) << r.result.message();
    EXPECT_EQ(names(r.filesWritten), (std::vector<std::string>{"track (080308).log", "track (090308).log"}));
    EXPECT_EQ(readFile(dir.file("track (080308).log")),
              crlf({"$ --- Start ---", kGga, kRmcNoDate, kBadRmc, kRmcDay1, kGga, kRmcDay1Late, kGga}));
    EXPECT_EQ(readFile(dir.file("track (090308).log")), crlf({kRmcDay2, kGga, kRmcDay2}));
    EXPECT_EQ(r.errors, 3);  // the logger's line, the bad RMC line, the empty line
    EXPECT_EQ(readFile(source), text);  // the source is never changed
}

TEST(LogTool, SplitWithoutADatedRmcLineAndRunningTwice) {
    TempDir dir;
    std::string source = dir.write("t.log", crlf({kGga, kRmcNoDate, kBadRmc}));
    LogToolResult r = run(source, {.split = true, .removeBad = true});
    ASSERT_TRUE(r.result.isDone());
    EXPECT_EQ(names(r.filesWritten), std::vector<std::string>{"t ().log"});
    EXPECT_EQ(readFile(dir.file("t ().log")), crlf({kGga, kRmcNoDate}));
    EXPECT_EQ(r.errors, 1);

    LogToolResult first = run(source, {.check = true});
    LogToolResult second = run(source, {.check = true});
    EXPECT_EQ(names(first.filesWritten), std::vector<std::string>{"t (convert).log"});
    EXPECT_EQ(names(second.filesWritten), std::vector<std::string>{"t (convert).log.log"});
    EXPECT_EQ(readFile(first.filesWritten[0]), readFile(source));
    EXPECT_EQ(readFile(second.filesWritten[0]), readFile(source));
}

TEST(LogTool, RemoveBadAndRmcOnly) {
    TempDir dir;
    std::string source = dir.write("t.log", crlf({kGga, kBadRmc, "", "$ --- Stop ---", kRmcDay1}));
    LogToolResult bad = run(source, {.removeBad = true});
    EXPECT_EQ(readFile(bad.filesWritten.at(0)), crlf({kGga, kRmcDay1}));
    EXPECT_EQ(bad.errors, 3);
    LogToolResult rmc = run(source, {.rmcOnly = true});
    EXPECT_EQ(readFile(rmc.filesWritten.at(0)), crlf({kBadRmc, kRmcDay1}));
    EXPECT_EQ(rmc.errors, 3);
}

TEST(LogTool, NoOptionMissingSourceOverlongLineAndCancel) {
    TempDir dir;
    std::string source = dir.write("t.log", crlf({kRmcDay1}));
    EXPECT_TRUE(run(source, {}).result.isNothingToDo());
    EXPECT_TRUE(run(dir.file("none.log"), {.check = true}).result.isFailed());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A line far longer than any sentence is an error and is left out.
    std::string longLine(200000, 'x');
    std::string source2 = dir.write("long.log", crlf({kRmcDay1, longLine, kRmcDay2}));
    LogToolResult r = run(source2, {.check = true});
    EXPECT_EQ(readFile(r.filesWritten.at(0)), crlf({kRmcDay1, kRmcDay2}));
    EXPECT_EQ(r.errors, 1);

    // A cancelled run leaves no output behind.
    std::vector<std::string> many;
    for (int i = 0; i < 1000; ++i) many.push_back(i < 500 ? kRmcDay1 : kRmcDay2);
    std::string source3 = dir.write("many.log", crlf(many));
    core::Operation* self = nullptr;
    long yields = 0;
    core::Operation cancelling({[&] {
                                    if (++yields == 7) self->requestCancel();
                                },
                                nullptr, nullptr});
    self = &cancelling;
    LogToolResult c = RunLogTool(source3, {.split = true}, cancelling);
    EXPECT_TRUE(c.result.isCancelled());
    EXPECT_TRUE(c.filesWritten.empty());
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().filename().string().find("many ("), std::string::npos) << e.path();
}
