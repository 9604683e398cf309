#pragma once
// A kernel pseudo-terminal pair for serial tests: the test plays the
// receiver on the master side, the code under test opens the slave path.

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <string>

class Pty {
public:
    Pty() {
        int slave = -1;
        char name[128] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            path_ = name;
            // The slave stays open here too, so the line does not hang up
            // between the test's steps; raw, so bytes pass unchanged.
            slave_ = slave;
            struct termios t;
            ::tcgetattr(slave_, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(slave_, TCSANOW, &t);
        }
    }
    ~Pty() {
        closeMaster();
        if (slave_ >= 0) ::close(slave_);
    }
    const std::string& path() const { return path_; }
    int master() const { return master_; }
    bool send(const std::string& bytes) const {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // What the code under test wrote, waiting up to `ms` for `count` bytes.
    std::string receive(size_t count, int ms = 1000) const {
        std::string out;
        for (int waited = 0; out.size() < count && waited < ms; waited += 5) {
            char buf[4096];
            ::fcntl(master_, F_SETFL, O_NONBLOCK);
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) out.append(buf, static_cast<size_t>(n));
            else ::usleep(5000);
        }
        return out;
    }
    // Waits until at least `count` bytes wait on the slave side for a reader.
    void waitQueued(int count, int ms = 2000) const {
        for (int waited = 0; waited < ms; ++waited) {
            int queued = 0;
            if (::ioctl(slave_, FIONREAD, &queued) == 0 && queued >= count) return;
            ::usleep(1000);
        }
    }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    void closeSlave() {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }

private:
    int master_ = -1, slave_ = -1;
    std::string path_;
};

