#include "app/messages.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "host/fake/fake_host.h"

using namespace app;

TEST(MessageTable, BuiltInEnglishTexts) {
    MessageTable t;
    EXPECT_EQ(t.entries().size(), 57u);
    std::string one = t.GetDialogText(1);
    EXPECT_EQ(one.substr(0, one.find('\r')), "There are already points in the list. You can add the");
    EXPECT_EQ(std::count(one.begin(), one.end(), '\r'), 3);
    EXPECT_EQ(one.find('#'), std::string::npos);
    EXPECT_EQ(one.find('\n'), std::string::npos);
    EXPECT_EQ(t.GetDialogText(2), "Ch 1:");
    EXPECT_EQ(t.GetDialogText(38), "File has been changed, save?");
    EXPECT_EQ(t.GetDialogText(37).substr(0, 18), "\"Location sensor\" ");
    EXPECT_EQ(t.GetDialogText(56),
              "Would you like to register the GPX extension so these files will be opened with the Pathkeep?");
    EXPECT_EQ(t.GetDialogText(57), "");
    EXPECT_EQ(t.GetDialogText(-1), "");
}

TEST(MessageTable, ShortTranslationFallsBackPerEntry) {
    MessageTable t;
    t.replace({"Leeg", "a#b", "Kanaal 1:", "3", "4", "5", "6", "7", "8", "9"});
    EXPECT_EQ(t.GetDialogText(1), "a\rb");
    EXPECT_EQ(t.GetDialogText(2), "Kanaal 1:");
    EXPECT_EQ(t.GetDialogText(38), "File has been changed, save?");
    t.restoreBuiltIn();
    EXPECT_EQ(t.GetDialogText(0), "Void");
}

TEST(MessageLog, TimeStampedLinesInCallOrder) {
    host::FakeClock clock;  // 13:05:09
    MessageLog log(clock);
    std::vector<std::string> seen;
    log.lineAdded.connect([&](const std::string& l) { seen.push_back(l); });
    log.Report("Determine file type...");
    log.Report("second");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"13:05:09 Determine file type...", "13:05:09 second"}));
    EXPECT_EQ(seen, log.lines());
}

TEST(MessageLog, WarningsAreLoggedAndAnnouncedApart) {
    host::FakeClock clock;
    MessageLog log(clock);
    std::vector<std::string> warnings;
    log.warningAdded.connect([&](const std::string& w) { warnings.push_back(w); });
    log.Report("Read PLT file");
    log.warning("Line 7 skipped");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"13:05:09 Read PLT file", "13:05:09 Line 7 skipped"}));
    EXPECT_EQ(warnings, (std::vector<std::string>{"Line 7 skipped"}));
}

TEST(StatusLine, GeneralTextGoesToPanelTwo) {
    StatusLine s;
    int panel = -1;
    s.changed.connect([&](int p, const std::string&) { panel = p; });
    s.Status("Reading...");
    EXPECT_EQ(panel, 2);
    EXPECT_EQ(s.panel(2), "Reading...");
    EXPECT_EQ(s.panel(0), "");
}

TEST(MessageLog, KeepsAtMostItsBoundOfLinesDroppingTheOldest) {
    host::FakeClock clock;
    app::MessageLog log(clock);
    size_t heard = 0;
    log.lineAdded.connect([&](const std::string&) { ++heard; });
    // Hours of reception: several times the bound.
    const size_t total = 3 * app::MessageLog::kMaxLines + 5;
    for (size_t i = 0; i < total; ++i) log.append("Live> " + std::to_string(i));
    const auto& lines = log.lines();
    ASSERT_LE(lines.size(), app::MessageLog::kMaxLines);
    EXPECT_EQ(lines.back(), "Live> " + std::to_string(total - 1));
    // The first line tells how many went; the rest are the newest, in order.
    EXPECT_EQ(lines.front(), "(" + std::to_string(log.droppedLines()) + " earlier lines dropped)");
    EXPECT_EQ(log.droppedLines() + lines.size() - 1, total);
    EXPECT_EQ(lines[1], "Live> " + std::to_string(log.droppedLines()));
    EXPECT_EQ(heard, total);  // every line is still shown as it comes
    log.clear();
    EXPECT_EQ(log.droppedLines(), 0u);
}
