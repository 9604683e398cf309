#include "nmea/serial_port.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <filesystem>

#include "host/fake/fake_host.h"
#include "pty.h"
#include "../temp_dir.h"

using namespace nmea;

namespace {

constexpr tcflag_t kBother = 0010000;  // the kernel's BOTHER, which <termios.h> does not define


struct Port {
    host::FakeTimers timers;
    Pty pty;
    TCommPortDriver kabel;
    std::string received;
    explicit Port(TComPortNumber number = pnCOM5) : kabel(timers, PortMap()) {
        PortMap map;
        map.setPath(number + 1, pty.path());
        kabel.setPorts(map);
        kabel.setComPort(number);
        kabel.OnReceiveData = [this](TCommPortDriver&, const char* d, size_t n) { received.append(d, n); };
    }
    host::FakeTimer& timer() { return *timers.find("Kabel1"); }
    struct termios lineSettings() const {
        struct termios t{};
        ::tcgetattr(pty.master(), &t);  // a master reports its slave's settings
        return t;
    }
};

}  // namespace

TEST(TCommPortDriver, DefaultsAndSetterRules) {
    host::FakeTimers timers;
    TCommPortDriver k(timers, PortMap());
    EXPECT_EQ(k.ComPort(), pnCOM2);
    EXPECT_EQ(k.ComPortSpeed(), br9600);
    EXPECT_EQ(k.ComPortDataBits(), db8BITS);
    EXPECT_EQ(k.ComPortStopBits(), sb1BITS);
    EXPECT_EQ(k.ComPortParity(), ptNONE);
    EXPECT_EQ(k.ComPortHwHandshaking(), hhNONERTSON);
    EXPECT_EQ(k.ComPortSwHandshaking(), shNONE);
    EXPECT_EQ(k.ComPortInBufSize(), 2048);
    EXPECT_EQ(k.ComPortOutBufSize(), 2048);
    EXPECT_EQ(k.PacketSize(), -1);
    EXPECT_EQ(k.PacketTimeout(), -1);
    EXPECT_EQ(k.PacketMode(), pmDiscard);
    EXPECT_EQ(k.ComPortPollingDelay(), 50);
    EXPECT_TRUE(k.EnableDTROnOpen);
    EXPECT_EQ(k.OutputTimeout, 500);
    EXPECT_EQ(k.InputTimeout, 200u);
    EXPECT_FALSE(k.CheckLineStatus);

    struct Row {
        std::int32_t set;
        std::int32_t expected;
    } timeouts[] = {{10, 200}, {49, 200}, {50, 50}, {0, -1}, {-7, -1}, {1000, 1000}};
    for (const auto& r : timeouts) {
        k.setPacketTimeout(r.set);
        EXPECT_EQ(k.PacketTimeout(), r.expected) << r.set;
    }
    k.setPacketTimeout(30);
    k.setComPortPollingDelay(20);  // re-applies the time-out: 200 is not below 20
    EXPECT_EQ(k.PacketTimeout(), 200);
    k.setPacketSize(0);
    EXPECT_EQ(k.PacketSize(), -1);
    k.setPacketSize(3000);
    EXPECT_EQ(k.ComPortInBufSize(), 6000);
    k.setComPortInBufSize(100);  // re-applies the packet size
    EXPECT_EQ(k.ComPortInBufSize(), 6000);

    EXPECT_EQ(TCommPortDriver::TransferMs(br9600, 960), 1000);  // 960 bytes at 960 bytes/s
    EXPECT_EQ(TCommPortDriver::TransferMs(br4800, 10), 21);     // 10 / 480 s = 20.8 ms
    EXPECT_EQ(TCommPortDriver::TransferMs(br115200, 0), 0);
}

TEST(TCommPortDriver, ClosedPortAndMissingDevice) {
    host::FakeTimers timers;
    TCommPortDriver k(timers, PortMap());
    EXPECT_EQ(k.Write("x", 1), 0u);
    EXPECT_EQ(k.TxFree(), -1);
    EXPECT_EQ(k.ModemLines(), 0u);
    EXPECT_FALSE(k.Open());  // COM2 has no device
    EXPECT_EQ(k.lastError(), ENOENT);
    PortMap map;
    map.setPath(2, "/nonexistent/ttyUSB9");
    k.setPorts(map);
    EXPECT_FALSE(k.Open());
    EXPECT_EQ(k.lastError(), ENOENT);
    EXPECT_FALSE(k.IsOpen());
    EXPECT_FALSE(timers.find("Kabel1")->running());
}

TEST(TCommPortDriver, ReceivesFromAPseudoTerminal) {
    Port p;
    ASSERT_FALSE(p.pty.path().empty());
    ASSERT_TRUE(p.kabel.Open()) << p.kabel.lastErrorText();
    EXPECT_TRUE(p.timer().running());
    EXPECT_EQ(p.timer().intervalMs(), 50);
    EXPECT_TRUE(p.kabel.Open());  // already open: true, not reopened
    EXPECT_EQ(p.kabel.ModemLines(), 0u);  // a pseudo-terminal has no modem lines

    p.pty.send("$GPGSA,A,3*39\r\n");
    p.pty.waitQueued(15);
    p.timer().tick();
    EXPECT_EQ(p.received, "$GPGSA,A,3*39\r\n");

    // Held: nothing is delivered until released.
    p.received.clear();
    p.pty.send("abc");
    p.pty.waitQueued(3);
    p.kabel.Hold();
    p.timer().tick();
    EXPECT_EQ(p.received, "");
    p.kabel.Release();
    p.timer().tick();
    EXPECT_EQ(p.received, "abc");

    // ComPort cannot change while open.
    p.kabel.setComPort(pnCOM1);
    EXPECT_EQ(p.kabel.ComPort(), pnCOM5);
    p.kabel.Close();
    EXPECT_FALSE(p.timer().running());
    p.timer().tick();  // a late tick on a closed port does nothing
}

TEST(TCommPortDriver, AReadNeverExceedsTheReceiveBuffer) {
    Port p;
    p.kabel.setComPortInBufSize(16);
    std::vector<size_t> sizes;
    p.kabel.OnReceiveData = [&](TCommPortDriver&, const char* d, size_t n) {
        sizes.push_back(n);
        p.received.append(d, n);
    };
    ASSERT_TRUE(p.kabel.Open());
    std::string data;
    for (int i = 0; i < 100; ++i) data += static_cast<char>('A' + i % 26);
    p.pty.send(data);
    p.pty.waitQueued(static_cast<int>(data.size()));
    for (int i = 0; i < 10; ++i) p.timer().tick();
    EXPECT_EQ(p.received, data);
    for (size_t n : sizes) EXPECT_LE(n, 16u);
}

TEST(TCommPortDriver, WritesWithinTheTimeout) {
    Port p;
    ASSERT_TRUE(p.kabel.Open());
    EXPECT_EQ(p.kabel.Write("", 0), 0u);
    EXPECT_EQ(p.kabel.Write("$GPRMC,1*00\r\n", 13), 13u);
    EXPECT_EQ(p.pty.receive(13), "$GPRMC,1*00\r\n");
    EXPECT_GT(p.kabel.TxFree(), 0);
    // Nobody reads the master: the kernel queue fills and Write gives up
    // after its time-out with a short count.
    std::string big(1 << 20, 'x');
    size_t n = p.kabel.Write(big.data(), big.size(), 50);
    EXPECT_GT(n, 0u);
    EXPECT_LT(n, big.size());
}

TEST(TCommPortDriver, LineSettingsReachTheTerminal) {
    struct Row {
        const char* name;
        TComPortBaudRate speed;
        TComPortDataBits bits;
        TComPortParity parity;
        TComPortStopBits stop;
        tcflag_t set, clear;
    } rows[] = {
        {"4800 8N1", br4800, db8BITS, ptNONE, sb1BITS, CS8, PARENB | CSTOPB},
        {"odd 7 bits", br9600, db7BITS, ptODD, sb1BITS, CS7 | PARENB | PARODD, CMSPAR},
        {"even 2 stop", br19200, db8BITS, ptEVEN, sb2BITS, CS8 | PARENB | CSTOPB, PARODD},
        {"mark", br115200, db8BITS, ptMARK, sb1BITS, CS8 | PARENB | PARODD | CMSPAR, 0},
        {"space", br1200, db6BITS, ptSPACE, sb1BITS, CS6 | PARENB | CMSPAR, PARODD},
        {"1.5 stop with 5 bits", br2400, db5BITS, ptNONE, sb1HALFBITS, CS5 | CSTOPB, 0},
    };
    for (const auto& r : rows) {
        Port p;
        p.kabel.setComPortSpeed(r.speed);
        p.kabel.setComPortDataBits(r.bits);
        p.kabel.setComPortParity(r.parity);
        p.kabel.setComPortStopBits(r.stop);
        ASSERT_TRUE(p.kabel.Open()) << r.name << ": " << p.kabel.lastErrorText();
        struct termios t = p.lineSettings();
        // The kernel's pseudo-terminal forces CS8 and clears PARENB; every
        // other bit stays as we set it.
        const tcflag_t kept = ~static_cast<tcflag_t>(CSIZE | PARENB);
        EXPECT_EQ(t.c_cflag & r.set & kept, r.set & kept) << r.name;
        EXPECT_EQ(t.c_cflag & r.clear & kept, 0u) << r.name;
        EXPECT_EQ(static_cast<int>(::cfgetospeed(&t)),
                  static_cast<int>(r.speed == br4800 ? B4800 : r.speed == br9600 ? B9600 : r.speed == br19200 ? B19200
                                   : r.speed == br115200 ? B115200 : r.speed == br1200 ? B1200 : B2400)) << r.name;
        // A change while open is applied at once.
        p.kabel.setComPortStopBits(sb2BITS);
        EXPECT_NE(p.lineSettings().c_cflag & CSTOPB, 0u) << r.name;
        p.kabel.setComPortParity(ptNONE);
        EXPECT_EQ(p.lineSettings().c_cflag & (PARODD | CMSPAR), 0u) << r.name;
    }
}

TEST(TCommPortDriver, RatesWithoutATermiosConstantAndRefusedStopBits) {
    for (TComPortBaudRate rate : {br14400, br56000}) {
        Port p;
        p.kabel.setComPortSpeed(rate);
        EXPECT_TRUE(p.kabel.Open()) << BaudRateValue(rate) << ": " << p.kabel.lastErrorText();
        EXPECT_EQ(p.lineSettings().c_cflag & CBAUD, kBother) << BaudRateValue(rate);
    }
    Port p;
    p.kabel.setComPortStopBits(sb1HALFBITS);  // with 8 data bits no UART can
    EXPECT_FALSE(p.kabel.Open());
    EXPECT_FALSE(p.kabel.IsOpen());
    EXPECT_EQ(p.kabel.lastErrorText(), "1.5 stop bits need 5 data bits on this hardware");
}

TEST(TCommPortDriver, PacketModeAndItsTimeout) {
    Port p;
    std::int64_t now = 1000;
    p.kabel.tickMs = [&] { return now; };
    std::vector<std::string> packets;
    p.kabel.OnReceivePacket = [&](TCommPortDriver&, const char* d, size_t n) { packets.emplace_back(d, n); };
    p.kabel.setPacketSize(4);
    p.kabel.setPacketTimeout(100);
    p.kabel.setPacketMode(pmPass);
    ASSERT_TRUE(p.kabel.Open());
    p.pty.send("aaaabbbbcc");
    p.pty.waitQueued(10);
    p.timer().tick();
    EXPECT_EQ(packets, (std::vector<std::string>{"aaaa", "bbbb"}));
    p.timer().tick();  // "cc": a partial packet starts its clock now
    now += 100;
    p.timer().tick();  // not more than 100 ms yet
    EXPECT_EQ(packets.size(), 2u);
    now += 1;
    p.timer().tick();
    EXPECT_EQ(packets, (std::vector<std::string>{"aaaa", "bbbb", "cc"}));

    // pmDiscard drops the stale partial packet.
    p.kabel.setPacketMode(pmDiscard);
    p.pty.send("dd");
    p.pty.waitQueued(2);
    p.timer().tick();
    now += 500;
    p.timer().tick();
    p.pty.send("eeee");
    p.pty.waitQueued(4);
    p.timer().tick();
    EXPECT_EQ(packets.back(), "eeee");
    EXPECT_EQ(packets.size(), 4u);
    EXPECT_TRUE(p.received.empty());  // nothing through the stream event
}

TEST(TCommPortDriver, NoticesAHangUp) {
    Port p;
    ASSERT_TRUE(p.kabel.Open());
    p.pty.closeSlave();
    p.pty.closeMaster();
    p.timer().tick();
    EXPECT_TRUE(p.kabel.hungUp());
}

TEST(PortMap, DiscoveredInOrderEachDeviceOnce) {
    TempDir dev;
    namespace fs = std::filesystem;
    fs::create_directories(dev.file("serial/by-id"));
    for (const char* f : {"ttyUSB0", "ttyACM0", "ttyS0", "ttyS1"}) dev.write(f, "");
    fs::create_symlink("../../ttyUSB0", dev.file("serial/by-id/usb-u-blox_GNSS-if00"));
    PortMap map = PortMap::Discover(dev.path());
    EXPECT_EQ(map.path(1), dev.file("serial/by-id/usb-u-blox_GNSS-if00"));
    EXPECT_EQ(map.path(2), dev.file("ttyACM0"));  // ttyUSB0 is COM1 already
    EXPECT_EQ(map.path(3), dev.file("ttyS0"));
    EXPECT_EQ(map.path(4), dev.file("ttyS1"));
    EXPECT_EQ(map.path(5), "");
    EXPECT_EQ(map.path(0), "");
    EXPECT_EQ(map.path(17), "");
    map.applySettings([](const std::string& key) -> std::optional<std::string> {
        if (key == "COM3") return "/dev/ttyUSB7";
        return std::nullopt;
    });
    EXPECT_EQ(map.caption(3), "COM3 (/dev/ttyUSB7)");
    EXPECT_EQ(map.caption(9), "COM9");
}

TEST(TCommPortDriver, PurgeDiscardsWaitingInput) {
    Port p;
    ASSERT_TRUE(p.kabel.Open());
    p.pty.send("stale bytes");
    p.pty.waitQueued(11);
    p.kabel.Purge(true, false);
    p.timer().tick();
    EXPECT_EQ(p.received, "");
    p.pty.send("fresh");
    p.pty.waitQueued(5);
    p.timer().tick();
    EXPECT_EQ(p.received, "fresh");
}
