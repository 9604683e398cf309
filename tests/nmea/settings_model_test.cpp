#include "nmea/settings_model.h"

#include <gtest/gtest.h>

#include "host/fake/fake_host.h"

using namespace nmea;

namespace {

struct Rig {
    host::FakeHost host;
    GpsDisplay display;
    std::array<std::string, 3> panels;
    Channels channels{host, sinks(), PortMap(), display};
    CommunicationSettings settings;
    ChannelSinks sinks() {
        ChannelSinks s;
        s.setPanel = [this](int p, const std::string& t) { panels.at(static_cast<size_t>(p)) = t; };
        s.message = [](int n) { return n == 2 ? std::string("Ch 1:") : n == 3 ? std::string("closed") : std::string(); };
        return s;
    }
};

}  // namespace

TEST(SettingsModel, FillRules) {
    struct Row {
        int port, speed, bits;
        const char* parity;
        const char* stop;
        int expPort, expSpeed, expBits, expParity, expStop;
    } rows[] = {
        {3, 4800, 7, "even", "2", 2, 2, 2, 2, 2},
        {1, 300, 9, "ODD", "1,5", 0, 3, 3, 0, 1},  // unknown speed shows 9600; "ODD" is not lower case: None
        {16, 115200, 5, "space", "1", 15, 9, 0, 4, 0},
        {0, 56000, 8, "mark", "x", -1, 7, 3, 3, 1},
    };
    for (const auto& r : rows) {
        Rig rig;
        TPoort& p = rig.channels.Poort[1];
        p.Port = r.port;
        p.Speed = r.speed;
        p.Bits = r.bits;
        p.Parity = r.parity;
        p.Stop = r.stop;
        SettingsModel m;
        FillSettings(m, rig.channels, false);
        const auto& g = m.groups[1];
        EXPECT_EQ(g.port, r.expPort) << r.port;
        EXPECT_EQ(g.speed, r.expSpeed) << r.speed;
        EXPECT_EQ(g.bits, r.expBits) << r.bits;
        EXPECT_EQ(g.parity, r.expParity) << r.parity;
        EXPECT_EQ(g.stop, r.expStop) << r.stop;
        EXPECT_EQ(m.portCaptions.size(), 16u);
        EXPECT_EQ(m.portCaptions[2], "COM3");
    }
    // Every speed of the list, in its order, selects its own item and is
    // stored back unchanged by OK.
    const int speeds[] = {1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};
    ASSERT_EQ(SettingsModel::Speeds(), std::vector<int>(std::begin(speeds), std::end(speeds)));
    for (int i = 0; i < 10; ++i) {
        Rig rig;
        rig.channels.Poort[1].Speed = speeds[i];
        SettingsModel m;
        FillSettings(m, rig.channels, false);
        EXPECT_EQ(m.groups[1].speed, i) << speeds[i];
        rig.channels.Poort[1].Speed = 0;
        StoreSettings(m, rig.channels);
        EXPECT_EQ(rig.channels.Poort[1].Speed, speeds[i]);
    }
}

TEST(SettingsModel, CancelKeepsTheListenerOkStopsTheChannel) {
    Rig rig;
    rig.host.fakePrompts.dialogResults = {false};
    rig.host.fakePrompts.fillDialog = [](host::DialogModel& d) {
        auto& m = dynamic_cast<SettingsModel&>(d);
        m.listenerPort = "7010";
        m.listener = m.listenerToggled(true);
        m.garmin = true;
    };
    EXPECT_FALSE(rig.settings.Instellingen2Click(rig.channels, rig.host.fakePrompts));
    EXPECT_TRUE(rig.channels.listening());  // cancelled, still listening
    EXPECT_EQ(rig.channels.listenerPort(), 7010);
    EXPECT_EQ(rig.channels.Protocol(), "NMEA");  // nothing else stored
    EXPECT_TRUE(rig.settings.listenerBox);

    // OK with NMEA while the Garmin channel is open: closed, NMEA chosen.
    rig.channels.setProtocol("Garmin");
    rig.channels.Poort[0].SocketC = true;
    ASSERT_TRUE(rig.channels.StartCommunication1());
    rig.host.fakePrompts.dialogResults = {true};
    rig.host.fakePrompts.fillDialog = [](host::DialogModel& d) {
        auto& m = dynamic_cast<SettingsModel&>(d);
        EXPECT_TRUE(m.listener);  // the box kept its state
        EXPECT_TRUE(m.garmin);
        m.garmin = false;
    };
    EXPECT_TRUE(rig.settings.Instellingen2Click(rig.channels, rig.host.fakePrompts));
    EXPECT_EQ(rig.channels.Protocol(), "NMEA");
    EXPECT_EQ(rig.host.fakeNetwork.clients.at(0)->state(), host::LinkState::Closed);
    EXPECT_EQ(rig.panels[0], "Ch 1: closed");
    EXPECT_TRUE(rig.channels.Poort[0].SocketS);
    EXPECT_EQ(rig.channels.Poort[0].IpPortS, 7000);  // the field was filled from the record again
}

TEST(SettingsModel, BadPortNumbers) {
    Rig rig;
    rig.host.fakePrompts.fillDialog = [](host::DialogModel& d) {
        auto& m = dynamic_cast<SettingsModel&>(d);
        m.listenerPort = "70 00";
        m.listener = m.listenerToggled(true);  // refused with the conversion error
        EXPECT_FALSE(m.listener);
        m.groups[0].ipPort = "";
        EXPECT_EQ(m.validate(), "'' is not a valid integer value");
        m.groups[0].ipPort = "99999999999";
        EXPECT_FALSE(m.validate().empty());
    };
    EXPECT_FALSE(rig.settings.Instellingen2Click(rig.channels, rig.host.fakePrompts));
    EXPECT_FALSE(rig.channels.listening());
    ASSERT_FALSE(rig.host.fakePrompts.asked.empty());
    EXPECT_EQ(rig.host.fakePrompts.asked.back().text, "'70 00' is not a valid integer value");
}
