#include "app/nmea_file_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../temp_dir.h"
#include "host/fake/fake_host.h"
#include "nmea/rmc_builder.h"

using namespace app;

class NmeaFileCommandsTest : public ::testing::Test {
protected:
    host::FakeHost host;
    TempDir dir;
    Workspace ws{host, BuildPaths({"/nonexistent", dir.path(), "", "", dir.path(), PATHKEEP_DATA_DIR, "", ""})};
    NmeaFileCommands commands{ws};
    nmea::RmcBuilder builder;
    std::vector<std::string> memo;
    int cleared = 0;
    NmeaMemo memoBox{[this] { ++cleared; memo.clear(); }, [this](const std::string& l) { memo.push_back(l); }};

    void SetUp() override {
        ws.create();
        ws.document.NewTrack("walk");
        // About 111 m between points, north along a meridian.
        for (int i = 0; i < 10; ++i)
            ws.document.AddTrackpoint(std::to_string(52 + i * 0.001), "5.1", "", "");
    }
    const host::FakePrompts::Asked& lastAsked() { return host.fakePrompts.asked.back(); }
    size_t files() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
};

TEST_F(NmeaFileCommandsTest, WritesTheChosenTrackAsALogAndSaysOk) {
    host.fakePrompts.paths.push_back(dir.file("drive.txt"));
    NmeaFileForm form{"walk", "10", "1", nmea::TimeOption::StartFrom, "08-03-2008", "12:00:00"};
    core::Result r = commands.btMaakNMEAClick(form, builder, memoBox);
    ASSERT_TRUE(r.isDone()) << r.message();
    std::string text = readFile(dir.file("drive.log"));  // the extension becomes .log
    EXPECT_EQ(text.rfind("$GPRMC,120000,A,5200.0000,N,00506.0000,E,0.0,", 0), 0u) << text.substr(0, 80);
    EXPECT_EQ(lastAsked().text, "OK");
    EXPECT_EQ(cleared, 1);
    ASSERT_GT(memo.size(), 80u);  // 8 x 111 m in 10 m strides
    EXPECT_EQ(memo.back().substr(0, 4), "9 : ");
    EXPECT_EQ(ws.points.count(), 10);  // the point list holds the track afterwards
}

TEST_F(NmeaFileCommandsTest, RefusesUnusableNumbersBeforeWriting) {
    struct Row {
        const char* speed;
        const char* step;
    } rows[] = {{"abc", "1"}, {"10", ""}, {"0", "1"}, {"-5", "1"}, {"10", "0"}, {"10", "-1"}, {"nan", "1"}};
    for (const auto& r : rows) {
        host.fakePrompts.paths.push_back(dir.file("drive.log"));
        NmeaFileForm form{"walk", r.speed, r.step, nmea::TimeOption::Now, "", ""};
        EXPECT_TRUE(commands.btMaakNMEAClick(form, builder, memoBox).isFailed()) << r.speed << " " << r.step;
        EXPECT_EQ(lastAsked().severity, host::Severity::Error) << r.speed << " " << r.step;
        EXPECT_EQ(files(), 0u) << r.speed << " " << r.step;
    }
    host.fakePrompts.paths.push_back(dir.file("drive.log"));
    NmeaFileForm badDate{"walk", "10", "1", nmea::TimeOption::StartFrom, "31-02-2008", "12:00:00"};
    EXPECT_TRUE(commands.btMaakNMEAClick(badDate, builder, memoBox).isFailed());
    EXPECT_EQ(files(), 0u);
    // No track chosen, or the save dialog cancelled: nothing at all.
    size_t asked = host.fakePrompts.asked.size();
    EXPECT_TRUE(commands.btMaakNMEAClick(NmeaFileForm{}, builder, memoBox).isNothingToDo());
    EXPECT_EQ(host.fakePrompts.asked.size(), asked);
    host.fakePrompts.paths.push_back(std::nullopt);
    EXPECT_TRUE(commands.btMaakNMEAClick(NmeaFileForm{"walk", "10", "1", nmea::TimeOption::Now, "", ""}, builder, memoBox).isCancelled());
    EXPECT_EQ(files(), 0u);
}

TEST_F(NmeaFileCommandsTest, Memo3KeepsItsFirstLinesOfAHugeFile) {
    host.fakePrompts.paths.push_back(dir.file("slow.log"));
    NmeaFileForm form{"walk", "0.2", "1", nmea::TimeOption::GivenSpeed, "", ""};  // some 5000 sentences
    core::Result r = commands.btMaakNMEAClick(form, builder, memoBox);
    ASSERT_TRUE(r.isDone()) << r.message();
    ASSERT_EQ(memo.size(), NmeaMemo::kMemoLines + 1);
    size_t lines = 0;
    for (char c : readFile(dir.file("slow.log"))) lines += c == '\n';
    EXPECT_GT(lines, 4000u);
    EXPECT_EQ(memo.back(), "... " + std::to_string(lines - NmeaMemo::kMemoLines) + " more lines in " +
                               dir.file("slow.log"));
}
