#include "nmea/settings_model.h"

#include <algorithm>
#include <charconv>

#include "core/text.h"

namespace nmea {

const std::vector<int>& SettingsModel::Speeds() {
    static const std::vector<int> v = {1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};
    return v;
}
const std::vector<std::string>& SettingsModel::BitsItems() {
    static const std::vector<std::string> v = {"5 bits", "6 bits", "7 bits", "8 bits"};
    return v;
}
const std::vector<std::string>& SettingsModel::ParityItems() {
    static const std::vector<std::string> v = {"None", "Odd", "Even", "Mark", "Space"};
    return v;
}
const std::vector<std::string>& SettingsModel::StopItems() {
    static const std::vector<std::string> v = {"1", "1,5", "2"};
    return v;
}

bool ParsePortText(const std::string& text, int& port, std::string& error) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    auto [end, ec] = std::from_chars(b, e, port);
    if (b == e || ec != std::errc() || end != e) {
        error = "'" + text + "' is not a valid integer value";
        return false;
    }
    return true;
}

std::string SettingsModel::validate() const {
    std::string error;
    int port = 0;
    for (const Group& g : groups)
        if (!ParsePortText(g.ipPort, port, error)) return error;
    if (!ParsePortText(listenerPort, port, error)) return error;
    return {};
}

namespace {

void fillGroup(SettingsModel::Group& g, const TPoort& r) {
    g.port = r.Port >= 1 && r.Port <= PortMap::kPorts ? r.Port - 1 : -1;
    const auto& speeds = SettingsModel::Speeds();
    auto s = std::find(speeds.begin(), speeds.end(), r.Speed);
    g.speed = static_cast<int>(s != speeds.end() ? s - speeds.begin() : 3);  // else "9600"
    g.bits = r.Bits >= 5 && r.Bits <= 8 ? r.Bits - 5 : 3;
    g.parity = 0;
    const char* parities[] = {"none", "odd", "even", "mark", "space"};
    for (int i = 0; i < 5; ++i)
        if (r.Parity == parities[i]) g.parity = i;
    g.stop = r.Stop == "1" ? 0 : r.Stop == "2" ? 2 : 1;
    g.clientSocket = r.SocketC;
    g.address = r.IpAddressC;
    g.ipPort = std::to_string(r.IpPortC);
}

void storeGroup(const SettingsModel::Group& g, TPoort& r) {
    r.Port = g.port + 1;  // no port selected stores 0, which opens as port 1
    if (g.speed >= 0 && g.speed < static_cast<int>(SettingsModel::Speeds().size()))
        r.Speed = SettingsModel::Speeds()[static_cast<size_t>(g.speed)];
    r.Bits = g.bits + 5;
    if (g.parity >= 0 && g.parity < 5) r.Parity = core::AsciiLower(SettingsModel::ParityItems()[static_cast<size_t>(g.parity)]);
    if (g.stop >= 0 && g.stop < 3) r.Stop = SettingsModel::StopItems()[static_cast<size_t>(g.stop)];
    r.SocketC = g.clientSocket;
    r.IpAddressC = g.address;
    std::string error;
    (void)ParsePortText(g.ipPort, r.IpPortC, error);  // validated before
}

}  // namespace

void FillSettings(SettingsModel& model, const Channels& channels, bool listenerBox) {
    model.portCaptions.clear();
    for (int n = 1; n <= PortMap::kPorts; ++n) model.portCaptions.push_back(channels.Kabel1.ports().caption(n));
    for (size_t k = 0; k < 2; ++k) fillGroup(model.groups[k], channels.Poort[k]);
    model.listenerPort = std::to_string(channels.Poort[0].IpPortS);
    model.listener = listenerBox;
    model.listenAllInterfaces = channels.listenAllInterfaces;
    model.allTalkers = channels.decodeOptions.allTalkers;
    model.garmin = channels.Protocol() == "Garmin";
}

void StoreSettings(const SettingsModel& model, Channels& channels) {
    channels.StopCommunication1();
    channels.setProtocol(model.garmin ? "Garmin" : "NMEA");
    for (size_t k = 0; k < 2; ++k) storeGroup(model.groups[k], channels.Poort[k]);
    channels.Poort[0].SocketS = model.listener;
    std::string error;
    (void)ParsePortText(model.listenerPort, channels.Poort[0].IpPortS, error);
    channels.listenAllInterfaces = model.listenAllInterfaces;
    channels.decodeOptions.allTalkers = model.allTalkers;
}

bool CommunicationSettings::Instellingen2Click(Channels& channels, host::Prompts& prompts) {
    SettingsModel model;
    FillSettings(model, channels, listenerBox);
    model.listenerToggled = [&](bool ticked) {
        if (!ticked) {
            channels.setListener(false, 0);
            listenerBox = false;
            return false;
        }
        int port = 0;
        std::string error;
        if (!ParsePortText(model.listenerPort, port, error)) {
            prompts.show(error, host::Severity::Error);
            channels.setListener(false, 0);
            listenerBox = false;
            return false;
        }
        channels.listenAllInterfaces = model.listenAllInterfaces;
        listenerBox = channels.setListener(true, port);
        return listenerBox;
    };
    bool accepted = prompts.show(model);
    listenerBox = model.listener;
    if (accepted) StoreSettings(model, channels);
    return accepted;
}

}  // namespace nmea
