#pragma once
// The host of pathkeep-cli: Qt's timers, clock and locale, and prompts that
// answer from the command line's options instead of asking anyone.

#include <optional>
#include <string>
#include <vector>

#include "host/qt/qt_host.h"

namespace cli {

struct Answers {
    bool exportTracks = true;                // message 40: tracks (Yes) or waypoints (No)
    std::vector<int> fields;                 // text export columns; empty: the saved default, else all
    std::vector<std::string> savedFields;    // the saved default
    std::optional<char> csvSeparator;        // else the most frequent of tab, ";" and "," in line one
    std::optional<std::vector<int>> csvColumns;  // data type per column, as the wizard's lists
    std::optional<bool> csvHeader;
    std::string message40;                   // the text of message 40, to recognise the question
};

class CliPrompts : public host::Prompts {
public:
    explicit CliPrompts(Answers& answers) : answers_(answers) {}
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

private:
    Answers& answers_;
};

class CliHost : public host::Host {
public:
    CliHost() : prompts_(answers) {}
    Answers answers;

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

}  // namespace cli
