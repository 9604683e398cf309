#include "app/ini.h"

#include <gtest/gtest.h>

#include <tuple>

#include "../temp_dir.h"
#include "app/channel_settings.h"
#include "host/fake/fake_host.h"

using namespace app;

TEST(IniFile, HandEditedFileKeepsEveryOtherLine) {
    const std::string original =
        "; written by hand\r\n"
        "[other]\r\n"
        "keep=me\r\n"
        "\r\n"
        "[GENERAL]\r\n"
        "Speed1 = 19200\r\n"
        "# a comment\r\n"
        "parity1=Even\r\n"
        "\r\n"
        "[tail]\r\n"
        "x=1\r\n";
    IniFile ini = IniFile::fromText(original);
    EXPECT_EQ(ini.readInteger("general", "SPEED1", 9600), 19200);
    UserSettings s = UserSettings::read(ini);
    EXPECT_EQ(s.channel1.speed, 19200);
    EXPECT_EQ(s.channel1.parity, "even");  // used in lower case
    EXPECT_EQ(s.channel2.speed, 4800);     // the other default
    EXPECT_EQ(s.channel1.ipAddress, "127.0.0.1");

    s.channel1.speed = 4800;
    s.lastPath = "/home/u/gps/";
    s.writeGeneral(ini);
    std::string text = ini.text();
    EXPECT_EQ(text.rfind("; written by hand\r\n[other]\r\nkeep=me\r\n\r\n[GENERAL]\r\nSpeed1=4800\r\n# a comment\r\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("LastPath=/home/u/gps/\r\n\r\n[tail]\r\nx=1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Languages]\r\nCurrentLanguage=2\r\n"), std::string::npos);
    UserSettings again = UserSettings::read(IniFile::fromText(text));
    EXPECT_EQ(again.lastPath, "/home/u/gps/");
    EXPECT_EQ(again.channel1.speed, 4800);
}

TEST(IniFile, ValuesThatDoNotParseGiveTheDefault) {
    IniFile ini = IniFile::fromText("[General]\nport1=abc\nspeed2=12x\nSocketC1=5\nSocketC2=0\n[Fields]\ncount=3\nfn0=[08] Name\n");
    UserSettings s = UserSettings::read(ini);
    EXPECT_EQ(s.channel1.port, 1);
    EXPECT_EQ(s.channel2.speed, 4800);
    EXPECT_TRUE(s.channel1.socket);  // any non-zero number is true
    EXPECT_FALSE(s.channel2.socket);
    EXPECT_EQ(s.fields, (std::vector<std::string>{"[08] Name", "1", "2"}));
    EXPECT_EQ(ini.readString("General", "missing", "d"), "d");
}

TEST(IniFile, SavedAtomicallyAndReadBack) {
    TempDir dir;
    std::string path = dir.file("UserData.ini");
    UserSettings s;
    s.fields = {"[02] Latitude", "[08] Name"};
    IniFile ini = IniFile::load(path);  // missing: empty
    s.writeFields(ini);
    std::string error;
    ASSERT_TRUE(ini.save(path, error)) << error;
    EXPECT_EQ(UserSettings::read(IniFile::load(path)).fields, s.fields);
    EXPECT_FALSE(ini.save(dir.file("no/such/dir/x.ini"), error));
    EXPECT_FALSE(error.empty());
}

TEST(IniFile, ListenerInterfacesDefaultOffAllTalkersOn) {
    // Receivers of the last decade talk GN: without a stored choice all talkers are read.
    UserSettings s = UserSettings::read(IniFile::fromText("[General]\nIpPortS=7100\n"));
    EXPECT_FALSE(s.serverSocketAll);
    EXPECT_TRUE(s.allTalkers);
    s = UserSettings::read(IniFile::fromText("[General]\nAllTalkers=0\n"));
    EXPECT_FALSE(s.allTalkers);
    s = UserSettings::read(IniFile::fromText("[General]\nSocketSAll=1\nAllTalkers=1\n"));
    EXPECT_TRUE(s.serverSocketAll);
    EXPECT_TRUE(s.allTalkers);
    IniFile out;
    s.writeGeneral(out);
    EXPECT_NE(out.text().find("SocketSAll=1\r\nAllTalkers=1\r\n"), std::string::npos) << out.text();
}

TEST(IniFile, PortsSectionNamesTheDevices) {
    TempDir dev;  // no serial devices at all
    nmea::PortMap ports = LoadPortMap(IniFile::fromText("[Ports]\nCOM3=/dev/ttyUSB0\ncom12 = /dev/rfcomm0\n"), dev.path());
    EXPECT_EQ(ports.caption(3), "COM3 (/dev/ttyUSB0)");
    EXPECT_EQ(ports.path(12), "/dev/rfcomm0");
    EXPECT_EQ(ports.path(1), "");
}

TEST(IniFile, ChannelRecordsRoundTrip) {
    // Every channel key as a user's file spells it, each with a value of its
    // own, so a misspelt or swapped key cannot pass.
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"port1", "2"},        {"speed1", "19200"},          {"bits1", "7"},       {"parity1", "odd"},
        {"stop1", "2"},        {"port2", "4"},               {"speed2", "115200"}, {"bits2", "6"},
        {"parity2", "mark"},   {"stop2", "1,5"},             {"SocketC1", "1"},    {"IpAddressC1", "gps.local"},
        {"IpPortC1", "7101"},  {"SocketC2", "1"},            {"IpAddressC2", "10.0.0.7"},
        {"IpPortC2", "7102"},  {"SocketS", "1"},             {"IpPortS", "7100"},  {"AllTalkers", "1"},
    };
    std::string text = "[General]\n";
    for (const auto& [key, value] : keys) text += key + "=" + value + "\n";
    UserSettings s = UserSettings::read(IniFile::fromText(text));
    host::FakeHost host;
    nmea::GpsDisplay display;
    nmea::Channels channels(host, {}, nmea::PortMap(), display);
    ApplyChannelSettings(s, channels);
    EXPECT_EQ(channels.Protocol(), "NMEA");  // never stored
    const nmea::TPoort &r1 = channels.Poort[0], &r2 = channels.Poort[1];
    EXPECT_EQ(std::tie(r1.Port, r1.Speed, r1.Bits, r1.Parity, r1.Stop), std::make_tuple(2, 19200, 7, "odd", "2"));
    EXPECT_EQ(std::tie(r2.Port, r2.Speed, r2.Bits, r2.Parity, r2.Stop), std::make_tuple(4, 115200, 6, "mark", "1,5"));
    EXPECT_EQ(std::tie(r1.SocketC, r1.IpAddressC, r1.IpPortC), std::make_tuple(true, "gps.local", 7101));
    EXPECT_EQ(std::tie(r2.SocketC, r2.IpAddressC, r2.IpPortC), std::make_tuple(true, "10.0.0.7", 7102));
    EXPECT_EQ(std::tie(r1.SocketS, r1.IpPortS), std::make_tuple(true, 7100));
    EXPECT_TRUE(channels.decodeOptions.allTalkers);
    // Written back under the same names.
    UserSettings back;
    StoreChannelSettings(channels, back);
    IniFile out = IniFile::fromText("");
    back.writeGeneral(out);
    for (const auto& [key, value] : keys) EXPECT_EQ(out.get("General", key).value_or("<missing>"), value) << key;
}
