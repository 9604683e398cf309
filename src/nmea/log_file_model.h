#pragma once
// TfmNmeaLogFile as a model: the source path, the four options and what the
// two buttons do. The widget (nmea/ui/nmea_log_dialog) shows it and calls
// the buttons; the rules live here.

#include <functional>
#include <string>

#include "host/host.h"
#include "nmea/log_tool.h"

namespace nmea {

class NmeaLogFileModel : public host::DialogModel {
public:
    std::string dialogName() const override { return "TfmNmeaLogFile"; }

    std::string path;        // Edit1
    LogToolOptions options;  // cbCheck, cbSplit, cbCorrect, cbRMC

    // What the buttons need from the program.
    struct Env {
        host::Prompts& prompts;
        std::function<std::string(int)> message;  // the message table
        // Runs the tool inside an operation (busy cursor, progress, Escape).
        std::function<LogToolResult(const std::string& source, const LogToolOptions&)> run;
        std::function<void(const std::string&)> report;  // message log
    };
    explicit NmeaLogFileModel(Env env) : env_(std::move(env)) {}

    // Every showing starts afresh: no path, only "Check NMEA logfile".
    void FormShow();
    // "...": the chosen file goes into the path.
    void btBrowseClick();
    // "Start". Returns what the run did; nothing to do when it was refused.
    LogToolResult btStartClick();

private:
    Env env_;
};

}  // namespace nmea
