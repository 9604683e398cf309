#pragma once
// The NMEA log file tool: processes a log line by line into new files. It
// can count the lines whose checksum fails, split the log into one file per
// RMC date, drop the lines that fail and keep only the "$GPRMC" lines. The
// source is never changed; output names never replace an existing file.
//
// The line rules (LogLineRules) are pure; RunLogTool streams the source
// through them with one fixed buffer, so memory does not grow with the log.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/operation.h"
#include "core/result.h"

namespace nmea {

struct LogToolOptions {
    bool check = false;      // "Check NMEA logfile": count the errors, copy the rest
    bool split = false;      // "Split file (one file for each date)"
    bool removeBad = false;  // "Remove incorrect records (incorrect CRC)"
    bool rmcOnly = false;    // "Only preserve RMC records"
    bool countOnly = false;  // count the errors and write no file (a check from the command line)
    bool any() const { return check || split || removeBad || rmcOnly; }
};

// The RMC date ("ddmmyy", field 10) of a line whose checksum passes; empty
// for any other line.
std::string_view RmcDateOf(std::string_view line);

// What becomes of one line.
struct LineDecision {
    bool valid = false;     // the checksum passes
    bool newFile = false;   // with split: a new date begins at this line
    bool write = false;     // the line goes to the current output file
};

class LogLineRules {
public:
    LogLineRules(const LogToolOptions& options, std::string firstDate)
        : options_(options), date_(std::move(firstDate)) {}

    LineDecision take(std::string_view line);
    // A line too long to be a sentence: an error, never written.
    void takeOverlong() { ++errors_; }

    long errors() const { return errors_; }
    const std::string& currentDate() const { return date_; }

private:
    LogToolOptions options_;
    std::string date_;
    long errors_ = 0;
};

// The output name for a source: "track (convert).log", or with a date
// "track (080308).log"; ".log" is appended while `exists` says the name is
// taken. A date is made safe for a file name first ("/" and control
// characters become "_"), since it comes from the log's own text.
std::string LogOutputName(const std::string& source, const std::string* date,
                          const std::function<bool(const std::string&)>& exists);

struct LogToolResult {
    core::Result result = core::Result::nothingToDo();
    long errors = 0;
    std::vector<std::string> filesWritten;
};

// Runs the tool on `source` (a full path). Nothing is written when no
// option is set or the source is missing; a cancelled run removes the files
// it wrote.
LogToolResult RunLogTool(const std::string& source, const LogToolOptions& options, core::Operation& operation);

}  // namespace nmea
