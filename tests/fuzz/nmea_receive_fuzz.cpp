// The receive path: bytes from a socket -> lines -> queue -> checksum ->
// decoder, through the channel code the program uses. The first byte picks
// the read size, so lines are split across reads in every way.

#include <cstdlib>
#include <string_view>

#include "host/fake/fake_host.h"
#include "nmea/channels.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    host::FakeHost host;
    nmea::GpsDisplay display;
    nmea::ChannelSinks sinks;
    size_t logged = 0;
    sinks.appendLog = [&](const std::string& line) {
        if (line.size() > nmea::LineFramer::kMaxLineBytes + 40) std::abort();  // "Live> $CHECKSUM ERROR: " + line
        ++logged;
    };
    nmea::Channels channels(host, sinks, nmea::PortMap(), display);
    channels.Poort[1].SocketC = true;
    channels.decodeOptions.allTalkers = data[0] & 1;
    (void)channels.StartCommunication1();
    host::FakeByteLink* link = host.fakeNetwork.clients.at(0);
    link->piece = 1 + data[0] % 97;
    link->setState(host::LinkState::Open);
    link->deliver(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    auto* rx = host.fakeTimers.find("RxTimer");
    for (int i = 0; i < 100000 && (!channels.queue().empty() || !link->held.empty()); ++i) rx->tick();
    if (!channels.queue().empty() || channels.queue().waiting() > nmea::RxQueue::kCapacity) std::abort();
    if (display.nextSlot < 0 || display.nextSlot > nmea::kSatSlots) std::abort();
    return 0;
}
