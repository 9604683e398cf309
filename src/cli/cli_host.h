#pragma once
// The host of pathkeep-cli: Qt's timers, clock and locale, and prompts that
// answer from the command line's options instead of asking anyone.

#include <optional>
#include <string>
#include <vector>

#include "app/paths.h"
#include "formats/env.h"
#include "host/qt/qt_host.h"

namespace cli {

// An option's value as a whole number; false unless the whole text is one.
bool ToWholeNumber(const std::string& text, long long& value);
// The program's paths as the window would have them, from beside this binary.
app::ProgramPaths PathsBesideThisProgram();
// "HOST:PORT" with a port of 1 to 65535.
bool ToHostAndPort(const std::string& text, std::string& hostName, int& port);
// True when the path names an existing folder: no place for an output file.
bool IsFolder(const std::string& path);

// Nobody is there to answer: questions get their safe answer (No, Cancel)
// and are printed on stderr with it. Commands fill the readers' and writers'
// options from the command line instead of asking.
class CliPrompts : public host::Prompts {
public:
    host::Answer askYesNo(const std::string& text, host::Severity severity) override;
    host::Answer askYesNoCancel(const std::string& text, host::Severity severity) override;
    void show(const std::string& text, host::Severity severity) override;
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::vector<host::FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&,
                                        const std::vector<host::FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    bool show(host::DialogModel& dialog) override;
};

class CliHost : public host::Host {
public:
    host::Prompts& prompts() override { return prompts_; }
    host::Timers& timers() override { return qt_.timers(); }
    host::EventPump& eventPump() override { return qt_.eventPump(); }
    const host::Clock& clock() const override { return qt_.clock(); }
    const host::LocaleInfo& locale() const override { return qt_.locale(); }
    host::Clipboard& clipboard() override { return qt_.clipboard(); }
    host::Shell& shell() override { return qt_.shell(); }
    host::Network& network() override { return qt_.network(); }

private:
    host::QtHost qt_{false};
    CliPrompts prompts_;
};

// "08,02" -> {8, 2}; none for anything else.
std::optional<std::vector<int>> ParseFieldList(const std::string& text);
// "lat,lon,time,alt,skip" -> the wizard's data types; none for anything else.
std::optional<std::vector<int>> ParseCsvColumns(const std::string& text);
// The wizard's settings from the data type of each column, left to right.
formats::CsvSettings CsvSettingsFromColumns(const std::vector<int>& columns, char separator, bool headerRow);

}  // namespace cli
