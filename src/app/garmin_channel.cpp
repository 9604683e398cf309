#include "app/garmin_channel.h"

#include "nmea/channels.h"

namespace app {

bool GarminChannel::open() {
    if (channels_.Protocol() != "Garmin") {
        nmeaWasOpen_ = channels_.channelOpen();
        channels_.StopCommunication1();
        channels_.setProtocol("Garmin");
        holding_ = true;
    }
    waiting_.clear();
    if (channels_.StartCommunication1()) {
        error_.clear();
        return true;
    }
    error_ = "The Garmin channel could not be opened";
    return false;
}

bool GarminChannel::isOpen() const { return channels_.Protocol() == "Garmin" && channels_.channelOpen(); }

void GarminChannel::close() {
    if (channels_.Protocol() == "Garmin") channels_.StopCommunication1();
}

bool GarminChannel::write(const garmin::Bytes& bytes) {
    if (channels_.Protocol() != "Garmin") return false;
    channels_.Transmit1(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return true;
}

bool GarminChannel::read(garmin::Bytes& out, int) {
    out.insert(out.end(), waiting_.begin(), waiting_.end());
    waiting_.clear();
    return true;
}

void GarminChannel::received(unsigned char byte) {
    // A receiver that streams while nobody reads must not fill memory.
    if (waiting_.size() < kMaxWaiting) waiting_.push_back(byte);
}

void GarminChannel::linkIdle() {
    if (!holding_ || channels_.Protocol() != "Garmin") {
        holding_ = false;
        return;
    }
    holding_ = false;
    channels_.StopCommunication1();
    channels_.setProtocol("NMEA");
    if (nmeaWasOpen_) (void)channels_.StartCommunication1();
}

}  // namespace app
