#include "formats/line_reader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace formats {

LineReader::LineReader(std::string path) : path_(std::move(path)) {}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineReader::fail(const std::string& what) {
    if (error_.empty()) error_ = what + " \"" + path_ + "\". " + std::strerror(errno) + ".";
    return false;
}

bool LineReader::open() {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return fail("Cannot open file");
    struct stat st {};
    if (::fstat(fd_, &st) == 0) size_ = st.st_size;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return fail("Cannot read file");
    }
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    buffer_.resize(kBufferBytes);
    return true;
}

bool LineReader::rewind() {
    if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) < 0) return fail("Cannot read file");
    begin_ = end_ = 0;
    eof_ = overlong_ = false;
    consumed_ = 0;
    return true;
}

// Moves what is unread to the front and reads more behind it.
bool LineReader::fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (end_ < buffer_.size()) {
        ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("Cannot read file");
        }
        if (n == 0) {
            eof_ = true;
            break;
        }
        end_ += static_cast<size_t>(n);
        break;
    }
    return true;
}

bool LineReader::next(std::string_view& line) {
    if (fd_ < 0 || failed()) return false;
    overlong_ = false;
    for (;;) {
        const char* start = buffer_.data() + begin_;
        size_t available = end_ - begin_;
        const void* lf = std::memchr(start, '\n', std::min(available, kMaxLineBytes + 1));
        if (lf) {
            size_t length = static_cast<size_t>(static_cast<const char*>(lf) - start);
            begin_ += length + 1;
            consumed_ += static_cast<long long>(length + 1);
            if (length > 0 && start[length - 1] == '\r') --length;
            line = std::string_view(start, length);
            return true;
        }
        if (available > kMaxLineBytes) {
            // Keep the first part aside, then skip to the end of the line.
            overlong_ = true;
            head_.assign(start, kMaxLineBytes);
            consumed_ += static_cast<long long>(kMaxLineBytes);
            begin_ += kMaxLineBytes;
            for (;;) {
                if (begin_ == end_) {
                    if (eof_) break;
                    if (!fill()) return false;
                    continue;
                }
                const char* s = buffer_.data() + begin_;
                const void* e = std::memchr(s, '\n', end_ - begin_);
                size_t n = e ? static_cast<size_t>(static_cast<const char*>(e) - s) + 1 : end_ - begin_;
                begin_ += n;
                consumed_ += static_cast<long long>(n);
                if (e) break;
            }
            line = head_;
            return true;
        }
        if (eof_) {
            if (available == 0) return false;
            begin_ = end_;
            consumed_ += static_cast<long long>(available);
            if (start[available - 1] == '\r') --available;
            line = std::string_view(start, available);
            return true;
        }
        if (!fill()) return false;
    }
}

}  // namespace formats
