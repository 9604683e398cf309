#include "nmea/reception_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "nmea/channel_texts.h"

namespace nmea {

void ReceptionLog::add(const std::string& line) {
    if (!logging_) return;
    if (lines_.size() == kMaxUnwritten) {
        lines_.pop_front();
        ++droppedUnwritten_;
    }
    lines_.push_back(line);
    if (lines_.size() >= flushAt_ || line.find("Stop") != std::string::npos) flush();
}

bool ReceptionLog::flush() {
    if (lines_.empty()) return true;
    std::string error;
    if (appendToFile(error)) {
        lines_.clear();
        flushAt_ = kBatchLines;
        failing_ = false;
        return true;
    }
    // Try again when the next batch is complete.
    flushAt_ = lines_.size() + kBatchLines;
    if (!failing_ && onProblem) onProblem({ChannelMessage(ChannelText::LogFileFailed, {path_, error})});
    failing_ = true;
    return false;
}

bool ReceptionLog::appendToFile(std::string& error) {
    FILE* f = std::fopen(path_.c_str(), "ab");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    std::string text;
    if (droppedUnwritten_ > 0) {
        text += ChannelMessage(ChannelText::UnsentLines, {std::to_string(droppedUnwritten_)}) + "\r\n";
    }
    for (const auto& l : lines_) text.append(l).append("\r\n");
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (!ok) error = std::strerror(errno);
    if (std::fclose(f) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (ok) droppedUnwritten_ = 0;
    return ok;
}

std::string WithLogExtension(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (dot == std::string::npos || dot < nameStart || dot == nameStart) return path + ".log";
    return path.substr(0, dot) + ".log";
}

}  // namespace nmea
