#pragma once
// The window's Garmin link on the program's own channel in Garmin mode: the
// port or socket the settings name when a transfer starts, the received
// bytes the channel hands over, and the NMEA channel given back afterwards.

#include <string>

#include "garmin/transport.h"

namespace nmea {
class Channels;
}

namespace app {

class GarminChannel : public garmin::ByteTransport {
public:
    static constexpr size_t kMaxWaiting = 1 << 20;  // bytes kept for the link between polls

    explicit GarminChannel(nmea::Channels& channels) : channels_(channels) {}

    // Switches the channel to Garmin mode (closing an NMEA channel first)
    // and opens record 1 as the settings name it now.
    bool open() override;
    bool isOpen() const override;
    void close() override;
    bool write(const garmin::Bytes& bytes) override;
    bool read(garmin::Bytes& out, int timeoutMs) override;
    const std::string& error() const override { return error_; }

    // The channel's bytes in Garmin mode.
    void received(unsigned char byte);
    // The link has nothing left to do: back to NMEA mode, with the NMEA
    // channel open again if it was open before the transfer.
    void linkIdle();

private:
    nmea::Channels& channels_;
    garmin::Bytes waiting_;
    std::string error_;
    bool holding_ = false;        // this link switched the channel to Garmin
    bool nmeaWasOpen_ = false;    // and the NMEA channel was open then
};

}  // namespace app
