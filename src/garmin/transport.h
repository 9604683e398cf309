#pragma once
// The byte channel under the Garmin link, behind the smallest interface the
// link needs. The window's link runs on the program's own channel in Garmin
// mode (app::GarminChannel); the command line and the simulator's tests use
// these POSIX ones.

#include <memory>
#include <string>

#include "garmin/bytes.h"

namespace garmin {

class ByteTransport {
public:
    virtual ~ByteTransport() = default;
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual bool write(const Bytes& bytes) = 0;
    // Waits up to timeoutMs for bytes and appends what came; false when the
    // channel failed (it is then closed).
    virtual bool read(Bytes& out, int timeoutMs) = 0;
    virtual const std::string& error() const = 0;
};

// A serial device or pseudo-terminal in raw mode, 8 data bits, no parity.
std::unique_ptr<ByteTransport> MakeTtyTransport(const std::string& path, long speed);
// A TCP client ("host", port).
std::unique_ptr<ByteTransport> MakeTcpTransport(const std::string& host, int port);

}  // namespace garmin
