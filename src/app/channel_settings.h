#pragma once
// The channel records of the NMEA subsystem from and to the UserData.ini
// settings, so both programs fill them the same way.

#include "app/ini.h"
#include "nmea/channels.h"

namespace app {

inline nmea::TPoort ToPoort(const UserSettings::Channel& c) {
    nmea::TPoort p;
    p.Port = c.port;
    p.Speed = c.speed;
    p.Bits = c.bits;
    p.Parity = c.parity;
    p.Stop = c.stop;
    p.SocketC = c.socket;
    p.IpAddressC = c.ipAddress;
    p.IpPortC = c.ipPort;
    return p;
}

inline UserSettings::Channel FromPoort(const nmea::TPoort& p) {
    return {p.Port, p.Speed, p.Bits, p.Parity, p.Stop, p.SocketC, p.IpAddressC, p.IpPortC};
}

// Port numbers 1-16: the serial devices present, in order, unless the
// "Ports" section names a device for "COM1"..."COM16".
inline nmea::PortMap LoadPortMap(const IniFile& ini, const std::string& devRoot = "/dev") {
    nmea::PortMap ports = nmea::PortMap::Discover(devRoot);
    ports.applySettings([&ini](const std::string& key) { return ini.get("Ports", key); });
    return ports;
}

// Settings -> channels; the protocol is not stored: every start is "NMEA".
inline void ApplyChannelSettings(const UserSettings& s, nmea::Channels& channels) {
    channels.Poort[0] = ToPoort(s.channel1);
    channels.Poort[1] = ToPoort(s.channel2);
    channels.Poort[0].Protocol = "NMEA";
    channels.Poort[0].SocketS = s.serverSocket;
    channels.Poort[0].IpPortS = s.serverPort;
    channels.listenAllInterfaces = s.serverSocketAll;
    channels.decodeOptions.allTalkers = s.allTalkers;
}

inline void StoreChannelSettings(const nmea::Channels& channels, UserSettings& s) {
    s.channel1 = FromPoort(channels.Poort[0]);
    s.channel2 = FromPoort(channels.Poort[1]);
    s.serverSocket = channels.Poort[0].SocketS;
    s.serverPort = channels.Poort[0].IpPortS;
    s.serverSocketAll = channels.listenAllInterfaces;
    s.allTalkers = channels.decodeOptions.allTalkers;
}

}  // namespace app
