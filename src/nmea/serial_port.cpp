#include "nmea/serial_port.h"

#include <fcntl.h>
#include <glob.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <thread>

namespace nmea {

bool SetArbitraryRate(int fd, int rate);  // serial_rate.cpp

namespace {

constexpr int kRates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};


std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void setModemBit(int fd, int bit) {
    // Pseudo-terminals and some adapters have no modem lines; that is fine.
    (void)::ioctl(fd, TIOCMBIS, &bit);
}

}  // namespace

// The termios constant of a rate, or 0 where termios has none.
speed_t TermiosRate(int rate) {
    switch (rate) {
        case 110: return B110;
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return 0;
    }
}

int BaudRateValue(TComPortBaudRate rate) { return kRates[rate]; }

// --- port numbers ------------------------------------------------------------

PortMap PortMap::Discover(const std::string& devRoot) {
    PortMap map;
    std::vector<std::string> seen;  // canonical paths, so a by-id link and its device count once
    int next = 1;
    for (const char* pattern : {"/serial/by-id/*", "/ttyUSB*", "/ttyACM*", "/ttyS*"}) {
        glob_t g{};
        if (::glob((devRoot + pattern).c_str(), 0, nullptr, &g) == 0) {
            for (size_t i = 0; i < g.gl_pathc && next <= kPorts; ++i) {
                std::error_code ec;
                std::string canonical = std::filesystem::weakly_canonical(g.gl_pathv[i], ec).string();
                if (ec) canonical = g.gl_pathv[i];
                if (std::find(seen.begin(), seen.end(), canonical) != seen.end()) continue;
                seen.push_back(canonical);
                map.setPath(next++, g.gl_pathv[i]);
            }
        }
        ::globfree(&g);
    }
    return map;
}

void PortMap::applySettings(const std::function<std::optional<std::string>(const std::string&)>& lookup) {
    for (int n = 1; n <= kPorts; ++n)
        if (auto p = lookup(key(n))) setPath(n, *p);
}

const std::string& PortMap::path(int portNumber) const {
    static const std::string none;
    return portNumber >= 1 && portNumber <= kPorts ? paths_[static_cast<size_t>(portNumber - 1)] : none;
}

void PortMap::setPath(int portNumber, std::string path) {
    if (portNumber >= 1 && portNumber <= kPorts) paths_[static_cast<size_t>(portNumber - 1)] = std::move(path);
}

std::string PortMap::caption(int portNumber) const {
    const std::string& p = path(portNumber);
    return p.empty() ? key(portNumber) : key(portNumber) + " (" + p + ")";
}

// --- the driver --------------------------------------------------------------

TCommPortDriver::TCommPortDriver(host::Timers& timers, PortMap ports)
    : tickMs(steadyMs), ports_(std::move(ports)), timer_(timers.createTimer("Kabel1")), buffer_(inBufSize_) {
    timer_->setIntervalMs(pollingDelay_);
    timer_->onTick([this] { poll(); });
}

TCommPortDriver::~TCommPortDriver() { Close(); }

bool TCommPortDriver::Open() {
    if (IsOpen()) return true;
    const std::string& path = ports_.path(comPort_ + 1);
    lastErrorText_.clear();
    if (path.empty()) {
        lastError_ = ENOENT;
        lastErrorText_ = PortMap::key(comPort_ + 1) + " has no device";
        return false;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastError_ = errno;
        // A device path that is missing is an unplugged receiver, not a file.
        lastErrorText_ = std::string(lastError_ == ENOENT ? "No such device" : std::strerror(lastError_)) + ": " + path;
        return false;
    }
    // Opened without sharing, as the port is ours alone while open.
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        lastError_ = errno;
        lastErrorText_ = path + ": " + std::strerror(lastError_);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    hungUp_ = false;
    packetStart_ = -1;
    if (!ApplySettings()) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    timer_->setIntervalMs(pollingDelay_);
    timer_->start();
    return true;
}

void TCommPortDriver::Close() {
    if (!IsOpen()) return;
    timer_->stop();
    ::close(fd_);
    fd_ = -1;
}

bool TCommPortDriver::ApplySettings() {
    if (!IsOpen()) return false;
    auto fail = [this](const std::string& text) {
        lastError_ = errno;
        lastErrorText_ = text;
        return false;
    };
    struct termios t;
    if (::tcgetattr(fd_, &t) != 0) return fail(std::string("tcgetattr: ") + std::strerror(errno));
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[dataBits_];
    switch (parity_) {
        case ptNONE: break;
        case ptODD: t.c_cflag |= PARENB | PARODD; break;
        case ptEVEN: t.c_cflag |= PARENB; break;
        case ptMARK: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case ptSPACE: t.c_cflag |= PARENB | CMSPAR; break;
    }
    if (stopBits_ == sb2BITS) t.c_cflag |= CSTOPB;
    if (stopBits_ == sb1HALFBITS) {
        if (dataBits_ != db5BITS) {
            errno = EINVAL;
            return fail("1.5 stop bits need 5 data bits on this hardware");
        }
        t.c_cflag |= CSTOPB;  // with 5 data bits the UART sends 1.5
    }
    if (hw_ == hhRTSCTS) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    if (sw_ == shXONXOFF) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = 17;
    t.c_cc[VSTOP] = 19;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    int rate = BaudRateValue(speed_);
    speed_t constant = TermiosRate(rate);
    ::cfsetispeed(&t, constant ? constant : B38400);
    ::cfsetospeed(&t, constant ? constant : B38400);
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return fail(std::string("tcsetattr: ") + std::strerror(errno));
    if (!constant && !SetArbitraryRate(fd_, rate))
        return fail(std::to_string(rate) + " bit/s is not possible on this port: " + std::strerror(errno));
    if (EnableDTROnOpen) setModemBit(fd_, TIOCM_DTR);
    if (hw_ == hhNONERTSON) setModemBit(fd_, TIOCM_RTS);
    Purge(true, true);
    return true;
}

void TCommPortDriver::setComPort(TComPortNumber port) {
    if (!IsOpen()) comPort_ = port;
}

void TCommPortDriver::setComPortInBufSize(std::uint16_t size) {
    if (IsOpen()) return;
    inBufSize_ = size;
    buffer_.assign(std::max<size_t>(size, 1), 0);
    setPacketSize(packetSize_);
}

void TCommPortDriver::setComPortOutBufSize(std::uint16_t size) {
    if (!IsOpen()) outBufSize_ = size;
}

void TCommPortDriver::setPacketSize(std::int16_t size) {
    packetSize_ = size <= 0 ? -1 : size;
    if (packetSize_ > inBufSize_) {
        // Twice the packet, so one packet and the start of the next fit.
        inBufSize_ = static_cast<std::uint16_t>(2 * packetSize_);
        buffer_.assign(inBufSize_, 0);
    }
}

void TCommPortDriver::setPacketTimeout(std::int32_t timeoutMs) {
    if (timeoutMs <= 0) packetTimeout_ = -1;
    else if (timeoutMs < pollingDelay_) packetTimeout_ = pollingDelay_ + 150;
    else packetTimeout_ = timeoutMs;
}

void TCommPortDriver::setComPortPollingDelay(std::uint16_t delayMs) {
    pollingDelay_ = delayMs;
    timer_->setIntervalMs(delayMs);
    if (IsOpen()) {
        timer_->stop();
        timer_->start();
    }
    setPacketTimeout(packetTimeout_);
}

unsigned TCommPortDriver::ModemLines() const {
    if (!IsOpen()) return 0;
    int status = 0;
    if (::ioctl(fd_, TIOCMGET, &status) != 0) return 0;
    unsigned lines = 0;
    if (status & TIOCM_CTS) lines |= kModemCTS;
    if (status & TIOCM_DSR) lines |= kModemDSR;
    if (status & TIOCM_RNG) lines |= kModemRING;
    if (status & TIOCM_CAR) lines |= kModemRLSD;
    return lines;
}

void TCommPortDriver::Purge(bool input, bool output) {
    if (!IsOpen()) return;
    if (input && output) ::tcflush(fd_, TCIOFLUSH);
    else if (input) ::tcflush(fd_, TCIFLUSH);
    else if (output) ::tcflush(fd_, TCOFLUSH);
    packetStart_ = -1;
}

int TCommPortDriver::TxFree() const {
    if (!IsOpen()) return -1;
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) queued = 0;
    return std::max(0, outBufSize_ - queued);
}

size_t TCommPortDriver::Write(const char* data, size_t count, unsigned timeoutMs) {
    if (!IsOpen() || count == 0) return 0;
    size_t written = 0;
    std::int64_t start = tickMs();
    while (written < count) {
        int free = TxFree();
        if (free > 0) {
            if (CheckLineStatus && ModemLines() == 0) break;
            ssize_t n = ::write(fd_, data + written, std::min(count - written, static_cast<size_t>(free)));
            if (n > 0) {
                written += static_cast<size_t>(n);
                start = tickMs();
                continue;
            }
        }
        if (tickMs() - start > static_cast<std::int64_t>(timeoutMs)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the output queue drains meanwhile
    }
    return written;
}

long TCommPortDriver::TransferMs(TComPortBaudRate speed, long bytes) {
    return std::lround(static_cast<double>(bytes) / (BaudRateValue(speed) / 10.0) * 1000.0);
}

size_t TCommPortDriver::readInto(size_t count) {
    count = std::min(count, buffer_.size());  // never past our buffer
    ssize_t n = ::read(fd_, buffer_.data(), count);
    if (n < 0 && errno == EIO) hungUp_ = true;
    return n > 0 ? static_cast<size_t>(n) : 0;
}

void TCommPortDriver::poll() {
    if (!IsOpen() || hold_ > 0) return;
    int queued = 0;
    if (::ioctl(fd_, FIONREAD, &queued) != 0) queued = 0;
    if (queued <= 0 && !hungUp_) {
        struct pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR))) {
            hungUp_ = true;
            if (OnHangUp) OnHangUp(*this);  // may close the port
            return;
        }
    }
    if (packetSize_ <= 0) {
        if (queued <= 0) return;
        size_t n = readInto(static_cast<size_t>(queued));
        if (n > 0 && OnReceiveData) OnReceiveData(*this, buffer_.data(), n);
        return;
    }
    pollPackets(static_cast<size_t>(std::max(queued, 0)));
}

void TCommPortDriver::pollPackets(size_t queued) {
    const size_t packet = static_cast<size_t>(packetSize_);
    if (queued < packet) {
        if (packetTimeout_ > 0 && packetStart_ >= 0 && tickMs() - packetStart_ > packetTimeout_) {
            size_t n = readInto(queued);
            if (n > 0 && packetMode_ == pmPass && OnReceivePacket) OnReceivePacket(*this, buffer_.data(), n);
            packetStart_ = -1;
        } else if (queued > 0 && packetStart_ < 0) {
            packetStart_ = tickMs();
        }
        return;
    }
    while (queued >= packet && IsOpen()) {
        size_t n = readInto(packet);
        if (n == 0) break;
        if (OnReceivePacket) OnReceivePacket(*this, buffer_.data(), n);
        if (packetStart_ >= 0) packetStart_ += TransferMs(speed_, packetSize_);
        if (queued == packet) packetStart_ = -1;
        queued -= packet;
    }
}

}  // namespace nmea
