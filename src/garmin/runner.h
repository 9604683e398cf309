#pragma once
// Runs a Garmin session over a byte transport without an event loop: the
// command line and tests use it. Received bytes go to the link as they come,
// and the link's timer ticks every tickMs.

#include <functional>

#include "garmin/session.h"
#include "garmin/transport.h"

namespace garmin {

struct RunOptions {
    int tickMs = 500;
    std::function<bool()> cancelled;  // polled between reads; true ends the run
};

// The session's hooks for a transport: open, is-open and send.
void AttachTransport(Session::Hooks& hooks, ByteTransport& transport);

// Until every command word has run and the link is quiet; the session's
// results tell how each word ended. Cancelled when `cancelled` said so.
core::Result RunSession(Session& session, ByteTransport& transport, const RunOptions& options);

}  // namespace garmin
