#pragma once
// Writes a file atomically: everything goes to a temporary file beside the
// target, which is flushed to disk and renamed over the target only when
// every write succeeded. A crash never leaves a half-written file where a
// good one stood. Saving through a symbolic link replaces the file it
// points at, and a replaced file keeps its permissions.

#include <memory>
#include <string>
#include <string_view>

#include "core/node_store.h"

namespace formats {

// What the file system says of a path: whether it is there and its size.
struct FileStatus {
    bool exists = false;
    long size = 0;  // bytes; 0 when it is not there
    bool readOnly = false;  // a regular file without any write permission
};
FileStatus StatusOf(const std::string& path);

// Where writers put their bytes: a file, or a text in memory.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(std::string_view bytes) = 0;
    virtual bool failed() const { return false; }
};

class StringSink : public ByteSink {
public:
    std::string text;
    bool write(std::string_view bytes) override {
        text.append(bytes);
        return true;
    }
};

class AtomicFile : public ByteSink {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();  // discards the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();  // false with error() set when the folder is not writable
    bool write(std::string_view bytes) override;
    bool commit();  // flush, sync, close, rename
    void discard();

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }
    bool failed() const override { return !error_.empty(); }

private:
    bool fail(const std::string& what);
    bool flush();

    std::string path_, target_, tempPath_, error_;
    int fd_ = -1;
    std::string buffer_;
};

// Reads a whole file; false with a message when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content, std::string& error);

// A whole file's bytes for readers of large files: one block of the file's
// size, read straight into (no zero filling, no growing copies; the
// memory of a large file comes as huge pages).
class FileBytes {
public:
    bool read(const std::string& path, std::string& error);
    std::string_view view() const { return {data_.get(), size_}; }

private:
    std::unique_ptr<char[], core::BigBlockFree> data_;
    size_t size_ = 0;
};

// The first lines of a file (at most about 64 KiB, whole lines), decoded as
// the legacy readers decode: what a preview and a guess of columns need.
bool ReadFileHeadText(const std::string& path, std::string& text, std::string& error);

}  // namespace formats
