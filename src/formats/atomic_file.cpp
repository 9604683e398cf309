#include "formats/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/text_codec.h"

namespace formats {

FileStatus StatusOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, static_cast<long>(st.st_size), S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0};
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

namespace {

// The file a path stands for: a symbolic link is followed (links to links
// too, a bounded number of times) so that saving replaces what it points at
// and the link stays a link.
std::string followLinks(const std::string& path) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::string target(4096, '\0');
        ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) return p;
        target.resize(static_cast<size_t>(n));
        if (target[0] != '/') {
            size_t slash = p.rfind('/');
            if (slash != std::string::npos) target = p.substr(0, slash + 1) + target;
        }
        p = target;
    }
    return p;
}

}  // namespace

bool AtomicFile::open() {
    target_ = followLinks(path_);
    tempPath_ = target_ + ".XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) {
        tempPath_.clear();
        return fail("Cannot create");
    }
    // mkstemp makes the file private: a file that is replaced keeps its
    // mode, a new one gets the usual mode.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        ::fchmod(fd_, st.st_mode & 07777);
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
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
    if (!failed() && ::rename(tempPath_.c_str(), target_.c_str()) != 0) fail("Cannot replace");
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

namespace {

int openForReading(const std::string& path, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) error = "Cannot open " + path + ": " + std::strerror(errno);
    return fd;
}

// Reads into buffer[used, capacity) until the file ends or the buffer is
// full; false (the descriptor closed) on a read error.
bool readUpTo(int fd, char* buffer, size_t capacity, size_t& used, const std::string& path, std::string& error) {
    while (used < capacity) {
        ssize_t n = ::read(fd, buffer + used, capacity - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "Cannot read " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        used += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& content, std::string& error) {
    int fd = openForReading(path, error);
    if (fd < 0) return false;
    // One allocation of the file's size and reads straight into it; what is
    // no regular file (a pipe) grows as it comes.
    struct stat st {};
    size_t expected = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) : 0;
    content.clear();
    content.resize(expected > 0 ? expected + 1 : 1 << 16);
    size_t used = 0;
    for (;;) {
        if (!readUpTo(fd, content.data(), content.size(), used, path, error)) {
            content.clear();
            return false;
        }
        if (used < content.size()) break;
        content.resize(content.size() * 2);
    }
    ::close(fd);
    content.resize(used);
    return true;
}

bool FileBytes::read(const std::string& path, std::string& error) {
    int fd = openForReading(path, error);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        size_t capacity = static_cast<size_t>(st.st_size) + 1;  // one more: a file that grew is noticed
        constexpr size_t kLarge = size_t{1} << 20;
        data_.reset(static_cast<char*>(capacity >= kLarge ? core::AllocateBigBlock(capacity)
                                                          : core::AllocateSmallBlock(capacity)));
        size_ = 0;
        if (!readUpTo(fd, data_.get(), capacity, size_, path, error)) return false;
        ::close(fd);
        if (size_ < capacity) return true;
    } else {
        ::close(fd);
    }
    // A pipe or device, or a file that grew while being read: read as it
    // comes, then kept in one block.
    std::string content;
    if (!ReadWholeFile(path, content, error)) return false;
    data_.reset(static_cast<char*>(core::AllocateSmallBlock(content.size() + 1)));
    std::memcpy(data_.get(), content.data(), content.size());
    size_ = content.size();
    return true;
}

bool ReadFileHeadText(const std::string& path, std::string& text, std::string& error) {
    constexpr size_t kHead = size_t{1} << 16;
    int fd = openForReading(path, error);
    if (fd < 0) return false;
    std::string bytes(kHead + 1, '\0');
    size_t used = 0;
    if (!readUpTo(fd, bytes.data(), bytes.size(), used, path, error)) return false;
    ::close(fd);
    bytes.resize(used);
    // A cut through the middle of a line (and of a character) is no part of the head.
    if (used > kHead) {
        size_t lastBreak = bytes.find_last_of('\n');
        bytes.resize(lastBreak == std::string::npos ? kHead : lastBreak + 1);
    }
    std::string decoded;
    text = std::string(DecodeLegacyTextView(bytes, decoded));
    return true;
}

}  // namespace formats
