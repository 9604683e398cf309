// The update check over a real HTTP connection to a small server on
// 127.0.0.1 that the test runs in a thread of its own.

#include "host/qt/qt_http.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "app/install.h"
#include "app/messages.h"
#include "host/fake/fake_host.h"
#include "../temp_dir.h"

namespace {

// Answers every connection with one fixed response (or never, when silent)
// and remembers the request lines it saw.
class TinyServer {
public:
    explicit TinyServer(std::string response, bool silent = false)
        : response_(std::move(response)), silent_(silent) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fd_, 4) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~TinyServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(fd_);
    }
    int port() const { return port_; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/version.dat"; }
    std::string firstRequestLine() const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string r = request_;
        return r.substr(0, r.find("\r\n"));
    }

private:
    void serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0) continue;
            std::string got;
            char buf[1024];
            while (got.find("\r\n\r\n") == std::string::npos && got.size() < 65536) {
                pollfd q{c, POLLIN, 0};
                if (::poll(&q, 1, 2000) <= 0) break;
                ssize_t n = ::read(c, buf, sizeof buf);
                if (n <= 0) break;
                got.append(buf, static_cast<size_t>(n));
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (request_.empty()) request_ = got;
            }
            if (silent_) {
                while (!stop_) ::usleep(20 * 1000);
            } else {
                size_t sent = 0;
                while (sent < response_.size()) {
                    ssize_t n = ::send(c, response_.data() + sent, response_.size() - sent, MSG_NOSIGNAL);
                    if (n <= 0) break;
                    sent += static_cast<size_t>(n);
                }
            }
            ::close(c);
        }
    }

    std::string response_;
    bool silent_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::string request_;
};

std::string ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

struct Check {
    host::FakeHost host;
    app::MessageTable messages;
    app::MessageLog log{host.fakeClock};
    TempDir dir;
    std::string versionFile = dir.file("version.dat");

    core::Result run(host::Http& http, const std::string& url) {
        return app::mCheckUpdatesClick(http, host.fakePrompts, messages, log, url, versionFile);
    }
    std::string shown() const { return host.fakePrompts.asked.back().text; }
};

const std::string kMessage50 = "Cannot connect to the website, please try again later.";

}  // namespace

TEST(UpdateCheckOverHttp, SameVersionIsTheMostRecent) {
    TinyServer server(ok("[General]\r\ncurrentversion=4.03\r\nreleasedate=1 May 2008\r\n"));
    ASSERT_NE(server.port(), 0);
    host::QtHttp http;
    Check c;
    EXPECT_TRUE(c.run(http, server.url()).isDone());
    EXPECT_EQ(c.shown(), "You are using the most recent version of the application.");
    EXPECT_EQ(server.firstRequestLine(), "GET /version.dat HTTP/1.1");
}

TEST(UpdateCheckOverHttp, NewerVersionWithDateAndVersionLines) {
    TinyServer server(ok("[General]\r\ncurrentversion=4.04\r\nreleasedate=30 November 2026\r\n"));
    host::QtHttp http;
    Check c;
    EXPECT_TRUE(c.run(http, server.url()).isDone());
    EXPECT_EQ(c.shown(),
              "A newer version of the application is available. Please go to the website to download the new "
              "version.\rRelease date: 30 November 2026\rVersion: 4.04");
    EXPECT_EQ(readFile(c.versionFile), "[General]\r\ncurrentversion=4.04\r\nreleasedate=30 November 2026\r\n");
}

TEST(UpdateCheckOverHttp, NoServerMeansMessage50) {
    int port;
    {
        TinyServer gone(ok(""));
        port = gone.port();
    }  // closed: nothing listens there any more
    host::QtHttp http;
    Check c;
    EXPECT_TRUE(c.run(http, "http://127.0.0.1:" + std::to_string(port) + "/version.dat").isFailed());
    EXPECT_EQ(c.shown(), kMessage50);
    EXPECT_EQ(c.host.fakePrompts.asked.back().severity, host::Severity::Error);
}

// A failed download keeps the version file of the last good check.
TEST(UpdateCheckOverHttp, FailuresKeepThePreviousVersionFile) {
    const std::string previous = "[General]\ncurrentversion=4.02\n";
    std::string big(static_cast<size_t>(host::QtHttp::kMaxBytes) + 4096, 'x');
    struct Row {
        const char* name;
        std::string response;
        bool silent;
    };
    const Row rows[] = {
        {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found", false},
        {"server error", "HTTP/1.1 500 Oops\r\nContent-Length: 0\r\nConnection: close\r\n\r\n", false},
        {"never answers", "", true},
        {"far too large", ok(big), false},
        {"cut off", "HTTP/1.1 200 OK\r\nContent-Length: 500\r\nConnection: close\r\n\r\n[General]\r\ncurr", false},
    };
    for (const auto& r : rows) {
        TinyServer server(r.response, r.silent);
        host::QtHttp http(1500);
        Check c;
        c.dir.write("version.dat", previous);
        EXPECT_TRUE(c.run(http, server.url()).isFailed()) << r.name;
        EXPECT_EQ(c.shown(), kMessage50) << r.name;
        EXPECT_EQ(readFile(c.versionFile), previous) << r.name;
    }
}
