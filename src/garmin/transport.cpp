#include "garmin/transport.h"

#include "nmea/serial_port.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace garmin {

namespace {

constexpr int kWriteWaitMs = 1000;  // a channel that takes no bytes for this long has failed

class FdTransport : public ByteTransport {
public:
    ~FdTransport() override { FdTransport::close(); }
    bool isOpen() const override { return fd_ >= 0; }
    void close() override {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    const std::string& error() const override { return error_; }

    bool write(const Bytes& bytes) override {
        size_t done = 0;
        while (fd_ >= 0 && done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            pollfd p{fd_, POLLOUT, 0};
            if (n < 0 && errno == EAGAIN && poll(&p, 1, kWriteWaitMs) > 0) continue;
            return fail("write failed");
        }
        return fd_ >= 0;
    }

    bool read(Bytes& out, int timeoutMs) override {
        if (fd_ < 0) return false;
        pollfd p{fd_, POLLIN, 0};
        int ready = poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (ready < 0) return errno == EINTR || fail("poll failed");
        if (ready == 0) return true;
        std::uint8_t buffer[4096];
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            out.insert(out.end(), buffer, buffer + n);
            return true;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        return fail(n == 0 ? "the channel was closed by the other side" : "read failed");
    }

protected:
    bool fail(const std::string& what) {
        error_ = what + (errno ? std::string(": ") + std::strerror(errno) : std::string());
        close();
        return false;
    }
    int fd_ = -1;
    std::string error_;
};

class TtyTransport : public FdTransport {
public:
    TtyTransport(std::string path, long speed) : path_(std::move(path)), speed_(speed) {}
    bool open() override {
        close();
        errno = 0;
        speed_t s = nmea::TermiosRate(static_cast<int>(speed_));
        if (s == B0) {
            error_ = "unsupported speed " + std::to_string(speed_);
            return false;
        }
        fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0 && errno == ENOENT) {
            error_ = "No such device: " + path_;  // an unplugged receiver, not a missing file
            return false;
        }
        if (fd_ < 0) return fail("cannot open " + path_);
        termios t{};
        if (tcgetattr(fd_, &t) != 0) return fail(path_ + " is not a terminal");
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cflag &= ~(CSTOPB | CRTSCTS);
        cfsetispeed(&t, s);
        cfsetospeed(&t, s);
        if (tcsetattr(fd_, TCSANOW, &t) != 0) return fail("cannot set up " + path_);
        tcflush(fd_, TCIOFLUSH);
        return true;
    }

private:
    std::string path_;
    long speed_;
};

class TcpTransport : public FdTransport {
public:
    TcpTransport(std::string host, int port) : host_(std::move(host)), port_(port) {}
    bool open() override {
        close();
        errno = 0;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host_.c_str(), std::to_string(port_).c_str(), &hints, &found) != 0 || !found) {
            error_ = "cannot resolve " + host_;
            return false;
        }
        for (addrinfo* a = found; a && fd_ < 0; a = a->ai_next) {
            fd_ = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
            if (fd_ >= 0 && connect(fd_, a->ai_addr, a->ai_addrlen) != 0) {
                ::close(fd_);
                fd_ = -1;
            }
        }
        freeaddrinfo(found);
        if (fd_ < 0) return fail("cannot connect to " + host_ + ":" + std::to_string(port_));
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
        return true;
    }

private:
    std::string host_;
    int port_;
};

}  // namespace

std::unique_ptr<ByteTransport> MakeTtyTransport(const std::string& path, long speed) {
    return std::make_unique<TtyTransport>(path, speed);
}

std::unique_ptr<ByteTransport> MakeTcpTransport(const std::string& host, int port) {
    return std::make_unique<TcpTransport>(host, port);
}

}  // namespace garmin
