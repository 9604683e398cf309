#include "formats/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace formats {

FileStatus StatusOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, static_cast<long>(st.st_size)};
}

namespace {
constexpr size_t kFlushAt = 1 << 16;  // bytes buffered between two write() calls
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::fail(const std::string& what) {
    if (error_.empty()) error_ = what + " " + path_ + ": " + std::strerror(errno);
    return false;
}

bool AtomicFile::open() {
    tempPath_ = path_ + ".XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) {
        tempPath_.clear();
        return fail("Cannot create");
    }
    // mkstemp makes the file private; a saved document gets the usual mode.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    if (fd_ < 0 || failed()) return false;
    buffer_.append(bytes);
    return buffer_.size() < kFlushAt || flush();
}

bool AtomicFile::flush() {
    const char* p = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("Cannot write");
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool AtomicFile::commit() {
    if (fd_ < 0) return false;
    if (!failed()) flush();
    if (!failed() && ::fsync(fd_) != 0) fail("Cannot write");
    if (::close(fd_) != 0 && !failed()) fail("Cannot close");
    fd_ = -1;
    if (!failed() && ::rename(tempPath_.c_str(), path_.c_str()) != 0) fail("Cannot replace");
    if (failed()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        return false;
    }
    tempPath_.clear();
    return true;
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

bool ReadWholeFile(const std::string& path, std::string& content, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        error = "Cannot read " + path;
        return false;
    }
    content = ss.str();
    return true;
}

}  // namespace formats
