#pragma once
// Reads a text file line by line through one fixed buffer, so that memory
// stays the same whatever the size of the file: logs of a day's driving run
// to hundreds of megabytes.
//
// Lines end at LF; a CR before it is dropped; a last line without an end is
// a line too. A line longer than kMaxLineBytes is handed out cut to that
// length and marked overlong; the rest of it is skipped.

#include <string>
#include <string_view>

namespace formats {

class LineReader {
public:
    static constexpr size_t kBufferBytes = size_t{1} << 20;
    static constexpr size_t kMaxLineBytes = size_t{64} << 10;

    explicit LineReader(std::string path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool open();  // false with error() set
    // The next line, valid until the next call; false at the end of the
    // file or on a read error (then error() is set).
    bool next(std::string_view& line);
    // Whether the line last handed out was cut at kMaxLineBytes.
    bool overlong() const { return overlong_; }
    bool rewind();

    long long position() const { return consumed_; }  // bytes of the lines handed out
    long long size() const { return size_; }
    const std::string& error() const { return error_; }
    bool failed() const { return !error_.empty(); }

private:
    bool fill();
    bool fail(const std::string& what);

    std::string path_, error_;
    int fd_ = -1;
    std::string buffer_;
    std::string head_;  // the kept part of an overlong line
    size_t begin_ = 0, end_ = 0;  // unread bytes in the buffer
    bool eof_ = false, overlong_ = false;
    long long consumed_ = 0, size_ = 0;
};

}  // namespace formats
