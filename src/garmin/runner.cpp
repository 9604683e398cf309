#include "garmin/runner.h"

#include <chrono>
#include <thread>

namespace garmin {

void AttachTransport(Session::Hooks& hooks, ByteTransport& transport) {
    hooks.isOpen = [&transport] { return transport.isOpen(); };
    hooks.open = [&transport] { return transport.isOpen() || transport.open(); };
    hooks.send = [&transport](const Bytes& bytes) { transport.write(bytes); };
}

core::Result RunSession(Session& session, ByteTransport& transport, const RunOptions& options) {
    using Clock = std::chrono::steady_clock;
    const auto tick = std::chrono::milliseconds(options.tickMs);
    auto nextTick = Clock::now() + tick;
    Bytes received;
    while (!session.finished()) {
        if (options.cancelled && options.cancelled()) {
            // The receiver hears of it before we go: it stops sending or
            // drops a half upload.
            session.link().AbortTransferNow();
            return core::Result::cancelled("Transfer cancelled.");
        }
        auto now = Clock::now();
        if (now >= nextTick) {
            session.Timer1Timer();
            nextTick += tick;
            if (nextTick < now) nextTick = now + tick;  // never a burst of late ticks
            continue;
        }
        int waitMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - now).count());
        received.clear();
        if (transport.isOpen() && !transport.read(received, waitMs)) {
            // The channel went away; the link reopens it when it next sends.
        } else if (!transport.isOpen()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        }
        if (!received.empty()) session.Receive(received.data(), received.size());
    }
    return session.allDone() ? core::Result::done() : core::Result::failed("Not every transfer completed.");
}

}  // namespace garmin
