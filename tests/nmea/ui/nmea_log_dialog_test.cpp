#include "nmea/ui/nmea_log_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "../../temp_dir.h"
#include "host/fake/fake_host.h"
#include "nmea/log_file_model.h"

using namespace nmea;

namespace {

struct Dialog {
    host::FakeHost host;
    std::vector<std::string> log;
    std::vector<LogToolOptions> runs;
    NmeaLogFileModel model{{host.fakePrompts, [](int n) { return "message " + std::to_string(n); },
                            [this](const std::string& source, const LogToolOptions& options) {
                                runs.push_back(options);
                                core::Operation operation;
                                return RunLogTool(source, options, operation);
                            },
                            [this](const std::string& line) { log.push_back(line); }}};
    ui::TfmNmeaLogFile dialog{model};

    template <typename T>
    T* find(const char* name) {
        T* w = dialog.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void tick(const char* name, bool on) { find<QCheckBox>(name)->setChecked(on); }
    const host::FakePrompts::Asked& lastAsked() { return host.fakePrompts.asked.back(); }
};

}  // namespace

TEST(NmeaLogDialog, EveryShowingStartsWithCheckOnlyAndNoPath) {
    Dialog d;
    d.find<QLineEdit>("Edit1")->setText("/old.log");
    for (const char* name : {"cbSplit", "cbCorrect", "cbRMC"}) d.tick(name, true);
    d.tick("cbCheck", false);
    d.dialog.FormShow();
    EXPECT_EQ(d.find<QLineEdit>("Edit1")->text(), "");
    EXPECT_TRUE(d.find<QCheckBox>("cbCheck")->isChecked());
    for (const char* name : {"cbSplit", "cbCorrect", "cbRMC"}) EXPECT_FALSE(d.find<QCheckBox>(name)->isChecked());
    EXPECT_EQ(d.find<QCheckBox>("cbSplit")->text(), "Split file (one file for each date)");
    EXPECT_EQ(d.find<QPushButton>("btStart")->text(), "Start");
}

TEST(NmeaLogDialog, StartRefusesWithoutOptionOrFile) {
    Dialog d;
    d.dialog.FormShow();
    d.tick("cbCheck", false);
    d.find<QPushButton>("btStart")->click();
    EXPECT_EQ(d.lastAsked().text, "message 53");
    d.tick("cbCheck", true);
    d.find<QLineEdit>("Edit1")->setText("/no/such/file.log");
    d.find<QPushButton>("btStart")->click();
    EXPECT_EQ(d.lastAsked().text, "message 54");
    EXPECT_EQ(d.lastAsked().severity, host::Severity::Error);
    d.find<QLineEdit>("Edit1")->setText("");
    d.find<QPushButton>("btStart")->click();
    EXPECT_EQ(d.lastAsked().text, "message 54");
    EXPECT_TRUE(d.runs.empty());
}

TEST(NmeaLogDialog, BrowseThenStartRunsWithTheTickedOptions) {
    Dialog d;
    TempDir dir;
    std::string source = dir.write("trip.log", "$GPGSA,A,3,17*1A\r\n\r\n$GPGSA,A,3,17*00\r\n");
    d.host.fakePrompts.paths.push_back(source);
    d.dialog.FormShow();
    d.find<QPushButton>("btBrowse")->click();
    EXPECT_EQ(d.lastAsked().text, "message 14");
    EXPECT_EQ(d.find<QLineEdit>("Edit1")->text().toStdString(), source);
    d.tick("cbCorrect", true);
    d.find<QPushButton>("btStart")->click();
    ASSERT_EQ(d.runs.size(), 1u);
    EXPECT_TRUE(d.runs[0].check && d.runs[0].removeBad && !d.runs[0].split && !d.runs[0].rmcOnly);
    EXPECT_EQ(d.lastAsked().text, "message 55\r2");  // the empty line and the bad checksum
    EXPECT_EQ(readFile(dir.file("trip (convert).log")), "$GPGSA,A,3,17*1A\r\n");
    ASSERT_FALSE(d.log.empty());
    EXPECT_EQ(d.log.back(), "Written: " + dir.file("trip (convert).log"));
}
