// garmin-sim: a Garmin receiver on a pseudo-terminal or a TCP port, for
// tests and for trying transfers without a receiver.
//
//   garmin-sim [--pty | --tcp PORT] [--load IN.gpx] [--save OUT.gpx]
//              [--protocols P000,L001,...] [--drop SHARE] [--corrupt SHARE]
//              [--seed N] [--delay-ms N] [--baud N] [--unasked-ms N]
//              [--extra-records N] [--exit-after SECONDS]
//              [--verbose]
//
// With --pty it prints the slave's path on stdout, with --tcp the port it
// listens on (127.0.0.1), then serves until SIGTERM, SIGINT or the
// --exit-after time; on the way out it writes what it holds to --save.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <deque>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/fn.h"
#include "device.h"
#include "formats/gpx.h"
#include "host/fake/fake_host.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) { stopRequested = 1; }

const char* const kUsage =
    "Usage: garmin-sim [--pty | --tcp PORT] [--load IN.gpx] [--save OUT.gpx]\n"
    "                  [--protocols P000,L001,A010,...] [--drop SHARE] [--corrupt SHARE]\n"
    "                  [--seed N] [--delay-ms N] [--baud N] [--ack-timeout-ms N]\n"
    "                  [--unasked-ms N] [--extra-records N]\n"
    "                  [--symbols symbol_types.dat] [--exit-after SECONDS] [--verbose]\n";

const char* const kDefaultProtocols = "P000,L001,A010,A100,D108,A201,D202,D108,D210,A301,D310,D301";

// The machine's own clock, for the times of received waypoints.
class SystemClock : public host::Clock {
public:
    double nowSerial() const override {
        std::time_t t = std::time(nullptr);
        std::tm local{};
        localtime_r(&t, &local);
        return static_cast<double>(core::EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)) +
               (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
    }
    int utcOffsetMinutes() const override {
        std::time_t t = std::time(nullptr);
        std::tm local{};
        localtime_r(&t, &local);
        return static_cast<int>(local.tm_gmtoff / 60);
    }
};

class SimHost : public host::FakeHost {
public:
    const host::Clock& clock() const override { return clock_; }

private:
    SystemClock clock_;
};

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at <= text.size()) {
        size_t comma = text.find(',', at);
        std::string part = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (!part.empty()) out.push_back(part);
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return out;
}

int openPty(std::string& slavePath, int& slaveFd) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
    const char* name = ptsname(master);
    if (!name) return -1;
    slavePath = name;
    // Holding the slave open keeps the terminal alive between clients and
    // lets us set it raw before any client comes.
    slaveFd = open(name, O_RDWR | O_NOCTTY);
    if (slaveFd < 0) return -1;
    termios t{};
    tcgetattr(slaveFd, &t);
    cfmakeraw(&t);
    tcsetattr(slaveFd, TCSANOW, &t);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return master;
}

int openListener(int port, int& actualPort) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 1) != 0) return -1;
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    actualPort = ntohs(addr.sin_port);
    return fd;
}

bool writeAll(int fd, const garmin::Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (stopRequested) return false;  // nobody reads the line any more
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    garminsim::DeviceOptions options;
    options.protocols = split(kDefaultProtocols);
    bool useTcp = false;
    int tcpPort = 0;
    std::string load, save, symbolFile = GARMIN_SIM_SYMBOLS;
    double exitAfter = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "garmin-sim: %s needs a value\n%s", a.c_str(), kUsage);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--pty") useTcp = false;
        else if (a == "--tcp") useTcp = true, tcpPort = std::atoi(value().c_str());
        else if (a == "--load") load = value();
        else if (a == "--save") save = value();
        else if (a == "--symbols") symbolFile = value();
        else if (a == "--protocols") options.protocols = split(value());
        else if (a == "--drop") options.drop = std::atof(value().c_str());
        else if (a == "--corrupt") options.corrupt = std::atof(value().c_str());
        else if (a == "--seed") options.seed = static_cast<unsigned>(std::atol(value().c_str()));
        else if (a == "--delay-ms") options.delayMs = std::atoi(value().c_str());
        else if (a == "--baud") options.baud = std::atol(value().c_str());
        else if (a == "--ack-timeout-ms") options.ackTimeoutMs = std::atoi(value().c_str());
        else if (a == "--unasked-ms") options.unaskedMs = std::atoi(value().c_str());
        else if (a == "--extra-records") options.extraRecords = std::atoi(value().c_str());
        else if (a == "--exit-after") exitAfter = std::atof(value().c_str());
        else if (a == "--verbose") options.verbose = true;
        else if (a == "--help") return std::fputs(kUsage, stdout), 0;
        else return std::fprintf(stderr, "garmin-sim: unknown option %s\n%s", a.c_str(), kUsage), 2;
    }

    SimHost host;
    core::SymbolTable symbols;
    if (!symbols.LoadSymbolTable(symbolFile))
        std::fprintf(stderr, "garmin-sim: no symbol table at %s; symbols travel as 178\n", symbolFile.c_str());
    core::Document doc(symbols, host.clock());
    core::Operation operation;  // the simulator never stops part-way
    formats::Env env{doc, symbols, host.clock(), host.locale(), operation, [](const std::string&) {}};
    auto makeLoader = [&env] { return env.loader(); };
    if (!load.empty()) {
        core::Result r = formats::GpxBestandInlezen(env, load);
        if (!r.isDone()) {
            std::fprintf(stderr, "garmin-sim: cannot read %s\n", load.c_str());
            return 1;
        }
    }
    garminsim::Device device(garmin::DocumentAccess{doc, symbols, host.clock(), makeLoader}, options);

    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    int channel = -1, listener = -1, slave = -1;
    if (useTcp) {
        int port = 0;
        listener = openListener(tcpPort, port);
        if (listener < 0) return std::fprintf(stderr, "garmin-sim: cannot listen on port %d\n", tcpPort), 1;
        std::printf("%d\n", port);
    } else {
        std::string path;
        channel = openPty(path, slave);
        if (channel < 0) return std::fprintf(stderr, "garmin-sim: cannot open a pseudo-terminal\n"), 1;
        std::printf("%s\n", path.c_str());
    }
    std::fflush(stdout);

    auto start = garminsim::Clock::now();
    std::uint8_t buffer[4096];
    // With --baud the bytes from the client also take their line time: they
    // reach the receiver when the line would have delivered them.
    std::deque<std::pair<garminsim::Clock::time_point, garmin::Bytes>> arriving;
    garminsim::Clock::time_point inLineFreeAt{};
    while (!stopRequested) {
        auto now = garminsim::Clock::now();
        if (exitAfter > 0 && now - start >= std::chrono::duration<double>(exitAfter)) break;
        while (!arriving.empty() && arriving.front().first <= now) {
            device.receive(arriving.front().second.data(), arriving.front().second.size(), now);
            arriving.pop_front();
        }
        garmin::Bytes frame;
        while (channel >= 0 && device.nextFrame(now, frame))
            if (!writeAll(channel, frame) && useTcp) {
                close(channel);
                channel = -1;
            }
        auto deadline = device.nextDeadline();
        if (!arriving.empty()) deadline = std::min(deadline, arriving.front().first);
        int timeoutMs = 50;
        if (deadline != garminsim::Clock::time_point::max()) {
            auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
            timeoutMs = static_cast<int>(std::clamp<long long>(wait, 0, 50));
        }
        pollfd p{channel >= 0 ? channel : listener, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) > 0) {
            if (channel < 0) {
                channel = accept(listener, nullptr, nullptr);
                if (channel >= 0) fcntl(channel, F_SETFL, fcntl(channel, F_GETFL) | O_NONBLOCK);
            } else {
                ssize_t n = read(channel, buffer, sizeof buffer);
                if (n > 0) {
                    auto at = garminsim::Clock::now();
                    if (options.baud > 0) {
                        inLineFreeAt = std::max(at, inLineFreeAt) +
                                       std::chrono::nanoseconds(n * 10LL * 1000000000LL / options.baud);
                        arriving.emplace_back(inLineFreeAt, garmin::Bytes(buffer, buffer + n));
                    } else {
                        device.receive(buffer, static_cast<size_t>(n), at);
                    }
                } else if (useTcp && (n == 0 || (errno != EAGAIN && errno != EINTR))) {
                    close(channel);
                    channel = -1;
                }
            }
        }
        device.tick(garminsim::Clock::now());
    }
    if (channel >= 0) close(channel);
    if (!save.empty()) {
        core::Result w = formats::SaveAsGPX(env, save, formats::SaveOptions{});
        if (!w.isDone()) {
            std::fprintf(stderr, "garmin-sim: cannot write %s: %s\n", save.c_str(), w.message().c_str());
            return 1;
        }
    }
    return 0;
}
