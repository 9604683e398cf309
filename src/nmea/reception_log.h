#pragma once
// The NMEA log file: while logging is on, every processed line is kept and
// appended to the file in batches of kBatchLines (or at once when a line
// holds "Stop", which ends a logging session), each line ended by CR LF.
//
// A batch that cannot be written stays in memory and is tried again with
// the next batch; the failure is reported once per run of failures. At most
// kMaxUnwritten lines wait; older ones are dropped and counted.

#include <cstddef>
#include <functional>
#include <string>
#include <deque>

namespace nmea {

class ReceptionLog {
public:
    static constexpr size_t kBatchLines = 16;
    static constexpr size_t kMaxUnwritten = 100000;

    struct Problem {
        std::string text;  // for the message log and status panel 1
    };

    bool logging() const { return logging_; }
    void setLogging(bool on) { logging_ = on; }
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }

    // Keeps the line while logging and writes a due batch. Reports a write
    // failure (once until a batch succeeds again) through onProblem.
    void add(const std::string& line);
    // Writes what waits, now.
    bool flush();
    size_t unwritten() const { return lines_.size(); }

    std::function<void(const Problem&)> onProblem;

private:
    bool appendToFile(std::string& error);

    bool logging_ = false;
    std::string path_;
    std::deque<std::string> lines_;
    size_t flushAt_ = kBatchLines;
    bool failing_ = false;
    size_t droppedUnwritten_ = 0;
};

// "track.txt" -> "track.log"; a name without extension gets ".log".
std::string WithLogExtension(const std::string& path);

}  // namespace nmea
