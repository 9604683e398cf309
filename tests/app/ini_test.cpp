#include "app/ini.h"

#include <gtest/gtest.h>

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
    UserSettings s = UserSettings::read(IniFile::fromText("[General]\nport2=4\nspeed2=115200\nparity2=MARK\nSocketC1=1\n"
                                                          "IpAddressC1=gps.local\nSocketS=1\nIpPortS=7100\nAllTalkers=1\n"));
    host::FakeHost host;
    nmea::GpsDisplay display;
    nmea::Channels channels(host, {}, nmea::PortMap(), display);
    ApplyChannelSettings(s, channels);
    EXPECT_EQ(channels.Protocol(), "NMEA");
    EXPECT_EQ(channels.Poort[1].Port, 4);
    EXPECT_EQ(channels.Poort[1].Speed, 115200);
    EXPECT_EQ(channels.Poort[1].Parity, "mark");
    EXPECT_TRUE(channels.Poort[0].SocketC);
    EXPECT_EQ(channels.Poort[0].IpAddressC, "gps.local");
    EXPECT_TRUE(channels.Poort[0].SocketS);
    EXPECT_EQ(channels.Poort[0].IpPortS, 7100);
    EXPECT_TRUE(channels.decodeOptions.allTalkers);
    UserSettings back;
    StoreChannelSettings(channels, back);
    EXPECT_EQ(back.channel2.speed, 115200);
    EXPECT_EQ(back.channel1.ipAddress, "gps.local");
    EXPECT_EQ(back.serverPort, 7100);
    EXPECT_TRUE(back.allTalkers);
}
