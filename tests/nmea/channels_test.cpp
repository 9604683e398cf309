#include "nmea/channels.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "../temp_dir.h"
#include "core/fn.h"
#include "host/fake/fake_host.h"
#include "pty.h"

using namespace nmea;

namespace {

std::string withSum(const std::string& body) {
    char sum[4];
    std::snprintf(sum, sizeof sum, "*%02X", core::NmeaChecksum(body));
    return body + sum;
}

const char* const kMessages[] = {"Void", "", "Ch 1:", "closed", "logging active"};

struct Rig {
    host::FakeHost host;
    GpsDisplay display;
    std::vector<std::string> log, reports, packets;
    std::array<std::string, 3> panels;
    std::vector<unsigned char> garmin;
    int simulationStops = 0;
    bool busy = false;  // a long operation runs
    std::vector<std::function<void()>> deferred;
    Pty pty;
    std::unique_ptr<Channels> ch;

    Rig() {
        ChannelSinks s;
        s.appendLog = [this](const std::string& l) { log.push_back(l); };
        s.report = [this](const std::string& l) { reports.push_back(l); };
        s.setPanel = [this](int p, const std::string& t) { panels.at(static_cast<size_t>(p)) = t; };
        s.packetLog = [this](const std::string& l) { packets.push_back(l); };
        s.garminReceive = [this](unsigned char b) { garmin.push_back(b); };
        s.stopSimulation = [this] { ++simulationStops; };
        s.whenIdle = [this](std::function<void()> w) {
            if (busy) deferred.push_back(std::move(w));
            else w();
        };
        s.message = [](int n) { return n >= 0 && n < 5 ? std::string(kMessages[n]) : std::string(); };
        PortMap ports;
        ports.setPath(3, pty.path());
        ch = std::make_unique<Channels>(host, s, ports, display);
        ch->Poort[1].Port = 3;
    }
    host::FakeTimer& rx() { return *host.fakeTimers.find("RxTimer"); }
    host::FakeTimer& poll() { return *host.fakeTimers.find("Kabel1"); }
    // Bytes from the receiver, through the serial port's polling.
    void fromReceiver(const std::string& bytes) {
        pty.send(bytes);
        pty.waitQueued(static_cast<int>(bytes.size()));
        for (int tries = 0; tries < 1000; ++tries) {
            int queued = 0;
            poll().tick();
            if (::ioctl(pty.master(), TIOCOUTQ, &queued) == 0 && queued == 0) break;
            ::usleep(1000);
        }
    }
    std::vector<std::string> liveLines() const {
        std::vector<std::string> out;
        for (const auto& l : log)
            if (l.rfind("Live> ", 0) == 0) out.push_back(l.substr(6));
        return out;
    }
};

std::vector<std::string> fileLines(const std::string& path) {
    std::vector<std::string> out;
    std::string text = readFile(path);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t e = text.find("\r\n", pos);
        if (e == std::string::npos) {
            out.push_back("<no CR LF>" + text.substr(pos));
            break;
        }
        out.push_back(text.substr(pos, e - pos));
        pos = e + 2;
    }
    return out;
}

}  // namespace

TEST(Channels, RecordDefaults) {
    auto r = DefaultChannelRecords();
    EXPECT_EQ(r[0].Protocol, "NMEA");
    EXPECT_EQ(r[0].Speed, 9600);
    EXPECT_EQ(r[1].Speed, 4800);
    for (const auto& p : r) {
        EXPECT_EQ(p.Port, 1);
        EXPECT_EQ(p.Bits, 8);
        EXPECT_EQ(p.Parity, "none");
        EXPECT_EQ(p.Stop, "1");
        EXPECT_FALSE(p.SocketC);
        EXPECT_EQ(p.IpAddressC, "127.0.0.1");
        EXPECT_EQ(p.IpPortC, 7000);
    }
    EXPECT_FALSE(r[0].SocketS);
    EXPECT_EQ(r[0].IpPortS, 7000);
}

TEST(Channels, SerialReceptionEndToEnd) {
    Rig r;
    r.ch->Poort[1].Speed = 300;  // not in the list: 9600
    ASSERT_TRUE(r.ch->StartCommunication1());
    EXPECT_EQ(r.panels[0], "Ch 1: 3");
    EXPECT_EQ(r.ch->Kabel1.ComPortSpeed(), br9600);
    EXPECT_TRUE(r.ch->indicators().portOpenChecked);
    EXPECT_FALSE(r.ch->indicators().portClosedChecked);
    EXPECT_TRUE(r.rx().running());

    std::string rmc = withSum("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
    std::string bad = "$GPGGA,1,2*00";
    r.fromReceiver(rmc + "\r\n" + bad + "\r\n\r\r" + "$GPG");
    EXPECT_EQ(r.ch->indicators().Label34, "Queue: 4 - 0");
    r.rx().tick();
    EXPECT_EQ(r.liveLines(), (std::vector<std::string>{rmc, bad, "$CHECKSUM ERROR: " + bad, "",
                                                       "$CHECKSUM ERROR: ", "", "$CHECKSUM ERROR: "}));
    EXPECT_EQ(r.display.lbTijd, "23-03-94  12:35:19");
    EXPECT_EQ(r.ch->counts().lines, 4);
    EXPECT_EQ(r.ch->counts().checksumErrors, 3);
    EXPECT_EQ(r.rx().intervalMs(), 20);
    r.rx().tick();  // nothing waits: back to 100 ms
    EXPECT_EQ(r.rx().intervalMs(), 100);
    EXPECT_EQ(r.ch->indicators().Label34, "Queue: 4 - 4");

    r.ch->StopCommunication1();
    EXPECT_EQ(r.panels[0], "Ch 1: closed");
    EXPECT_EQ(r.simulationStops, 1);
    EXPECT_FALSE(r.rx().running());
    EXPECT_FALSE(r.ch->Kabel1.IsOpen());
    EXPECT_TRUE(r.ch->indicators().portClosedChecked);
}

TEST(Channels, SerialSettingsMapping) {
    struct Row {
        int speed, bits;
        const char* parity;
        const char* stop;
        int port;
        TComPortBaudRate expSpeed;
        TComPortDataBits expBits;
        TComPortParity expParity;
        TComPortStopBits expStop;
        TComPortNumber expPort;
    } rows[] = {
        {4800, 8, "none", "1", 3, br4800, db8BITS, ptNONE, sb1BITS, pnCOM3},
        {14400, 7, "even", "2", 3, br14400, db7BITS, ptEVEN, sb2BITS, pnCOM3},
        {300, 9, "ODD", "1,5", 17, br9600, db8BITS, ptNONE, sb1HALFBITS, pnCOM1},
        {115200, 5, "mark", "x", 0, br115200, db5BITS, ptMARK, sb1HALFBITS, pnCOM1},
        {56000, 6, "space", "1", 16, br56000, db6BITS, ptSPACE, sb1BITS, pnCOM16},
    };
    for (const auto& row : rows) {
        Rig r;
        TPoort& p = r.ch->Poort[1];
        p.Speed = row.speed;
        p.Bits = row.bits;
        p.Parity = row.parity;
        p.Stop = row.stop;
        p.Port = row.port;
        (void)r.ch->StartCommunication1();
        EXPECT_EQ(r.ch->Kabel1.ComPortSpeed(), row.expSpeed) << row.speed;
        EXPECT_EQ(r.ch->Kabel1.ComPortDataBits(), row.expBits) << row.speed;
        EXPECT_EQ(r.ch->Kabel1.ComPortParity(), row.expParity) << row.speed;
        EXPECT_EQ(r.ch->Kabel1.ComPortStopBits(), row.expStop) << row.speed;
        EXPECT_EQ(r.ch->Kabel1.ComPort(), row.expPort) << row.speed;
        EXPECT_EQ(r.ch->Kabel1.ComPortHwHandshaking(), hhNONERTSON);
    }
    // Every speed the settings dialog offers opens the port at that speed.
    for (int speed : {1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200}) {
        Rig r;
        r.ch->Poort[1].Speed = speed;
        EXPECT_TRUE(r.ch->StartCommunication1()) << speed << ": " << r.ch->Kabel1.lastErrorText();
        EXPECT_EQ(BaudRateValue(r.ch->Kabel1.ComPortSpeed()), speed);
    }
}

TEST(Channels, FailedOpenShowsTheErrorCode) {
    Rig r;
    r.ch->Poort[1].Port = 9;  // no device
    EXPECT_FALSE(r.ch->StartCommunication1());
    EXPECT_EQ(r.panels[0], "Error: GetLastError = 2");
    EXPECT_FALSE(r.ch->indicators().portOpenChecked);
    EXPECT_TRUE(r.ch->indicators().portClosedChecked);
    // 1.5 stop bits with 8 data bits: refused with a reason in the log.
    r.ch->Poort[1].Port = 3;
    r.ch->Poort[1].Stop = "1,5";
    EXPECT_FALSE(r.ch->StartCommunication1());
    EXPECT_EQ(r.panels[0], "Error: GetLastError = 22");
    EXPECT_EQ(r.reports.back(), "1.5 stop bits need 5 data bits on this hardware");
}

TEST(Channels, LogFileBatchesOfSixteenAndTheLogExtension) {
    Rig r;
    TempDir dir;
    r.host.fakePrompts.paths.push_back(dir.file("track.txt"));
    r.ch->Startloggen1Click(r.host.fakePrompts);
    EXPECT_EQ(r.ch->logFile().path(), dir.file("track.log"));
    EXPECT_EQ(r.panels[1], "logging active");
    EXPECT_TRUE(r.ch->indicators().loggingChecked);
    ASSERT_TRUE(r.ch->StartCommunication1());
    std::string gsa = withSum("$GPGSA,A,3,28,08,11,27,07,,,,,,,,4.9,1.6,4.5");
    std::string lines;
    for (int i = 0; i < 14; ++i) lines += gsa + "\r\n";
    r.fromReceiver(lines);
    r.rx().tick();
    // "$ --- Start ---" and 14 lines: nothing written yet.
    EXPECT_FALSE(std::filesystem::exists(dir.file("track.log")));
    r.fromReceiver(gsa + "\r\n");
    r.rx().tick();
    auto written = fileLines(dir.file("track.log"));
    ASSERT_EQ(written.size(), 16u);
    EXPECT_EQ(written[0], "$ --- Start ---");
    EXPECT_EQ(written[15], gsa);
    // A bad line and its error line, then the stop line flushes.
    r.fromReceiver("$GPGSA,A,3*00\r\n");
    r.rx().tick();
    r.ch->Startloggen1Click(r.host.fakePrompts);
    written = fileLines(dir.file("track.log"));
    ASSERT_EQ(written.size(), 19u);
    EXPECT_EQ(written[16], "$GPGSA,A,3*00");
    EXPECT_EQ(written[17], "$CHECKSUM ERROR: $GPGSA,A,3*00");
    EXPECT_EQ(written[18], "$ --- Stop ---");
    EXPECT_EQ(r.panels[1], "");
    EXPECT_FALSE(r.ch->logFile().logging());
    // Cancelled save dialog: logging stays off.
    r.ch->Startloggen1Click(r.host.fakePrompts);
    EXPECT_FALSE(r.ch->logFile().logging());
    // A new session appends to the same file.
    r.ch->startLogging(dir.file("track.log"));
    r.ch->Shutdown();
    written = fileLines(dir.file("track.log"));
    ASSERT_EQ(written.size(), 21u);
    EXPECT_EQ(written[20], "--- Stop ---");
}

TEST(Channels, FailingLogFileIsReportedOnceAndRetried) {
    Rig r;
    TempDir dir;
    std::string folder = dir.file("later");
    r.ch->startLogging(folder + "/nmea.log");  // the folder does not exist yet
    std::string gsa = withSum("$GPGSA,A,3");
    for (int i = 0; i < 40; ++i) r.ch->Log(gsa);
    ASSERT_EQ(r.reports.size(), 1u);
    EXPECT_NE(r.reports[0].find("could not be written"), std::string::npos);
    EXPECT_EQ(r.panels[1], r.reports[0]);
    EXPECT_TRUE(r.ch->logFile().logging());
    ::mkdir(folder.c_str(), 0700);
    // Failed at 16 and 32 kept lines; the next try is at 48: the start line
    // and 47 lines go out, 9 wait for their batch.
    for (int i = 0; i < 16; ++i) r.ch->Log(gsa);
    EXPECT_EQ(fileLines(folder + "/nmea.log").size(), 48u);
    EXPECT_EQ(r.ch->logFile().unwritten(), 9u);
    r.ch->stopLogging();
    EXPECT_EQ(fileLines(folder + "/nmea.log").size(), 58u);  // start line, 56, stop line
    EXPECT_EQ(r.reports.size(), 1u);
}

TEST(Channels, NoLineLostWhileKeepingUpAndDropsCounted) {
    Rig r;
    host::FakeByteLink* link;
    r.ch->Poort[1].SocketC = true;
    ASSERT_TRUE(r.ch->StartCommunication1());
    link = r.host.fakeNetwork.clients.at(0);
    link->setState(host::LinkState::Open);
    std::string gsa = withSum("$GPGSA,A,3") + "\r\n";
    // A burst of 100,000 lines, 500 between ticks: all processed, in order.
    std::string chunk;
    for (int i = 0; i < 500; ++i) chunk += gsa;
    for (int t = 0; t < 200; ++t) {
        link->deliver(chunk);
        r.rx().tick();
        while (!r.ch->queue().empty()) r.rx().tick();
    }
    EXPECT_EQ(r.ch->counts().lines, 100000);
    EXPECT_EQ(r.ch->counts().droppedLines, 0);
    EXPECT_TRUE(r.reports.empty());

    // 5,000 lines at once: past 512 waiting lines the socket is not read
    // (the peer is held back), so nothing is dropped.
    std::string many;
    for (int i = 0; i < 5000; ++i) many += withSum("$GPGSA,A," + std::to_string(i % 4)) + "\r\n";
    link->deliver(many);
    EXPECT_TRUE(r.ch->socketsPaused());
    EXPECT_FALSE(link->receiving);
    EXPECT_LT(r.ch->queue().waiting(), 1024u);
    while (!r.ch->queue().empty() || !link->held.empty()) r.rx().tick();
    EXPECT_EQ(r.ch->counts().lines, 105000);
    EXPECT_EQ(r.ch->counts().droppedLines, 0);
    EXPECT_TRUE(link->receiving);

    // 1,100 lines in one read (a source that cannot be held back): the
    // oldest 76 are dropped, counted and reported.
    r.reports.clear();
    link->piece = 1 << 20;
    many.clear();
    for (int i = 0; i < 1100; ++i) many += withSum("$GPGSA,A," + std::to_string(i % 4)) + "\r\n";
    link->deliver(many);
    EXPECT_EQ(r.ch->queue().waiting(), 1024u);
    while (!r.ch->queue().empty()) r.rx().tick();
    EXPECT_EQ(r.ch->counts().droppedLines, 76);
    ASSERT_EQ(r.reports.size(), 1u);
    EXPECT_EQ(r.reports[0], "76 received lines were dropped: more than 1024 lines were waiting.");
}

TEST(Channels, QueueLabelShowsTheWriterBeforeItWraps) {
    Rig r;
    r.ch->Poort[1].SocketC = true;
    ASSERT_TRUE(r.ch->StartCommunication1());
    auto* link = r.host.fakeNetwork.clients.at(0);
    link->setState(host::LinkState::Open);
    std::string lines;
    for (int i = 0; i < 1024; ++i) lines += "x\r";
    link->deliver(lines);
    while (!r.ch->queue().empty()) r.rx().tick();
    link->deliver("y\r");  // the 1025th line
    EXPECT_EQ(r.ch->indicators().Label34, "Queue: 1025 - 1024");
    link->deliver("z\r");
    EXPECT_EQ(r.ch->indicators().Label34, "Queue: 1 - 1024");
}

TEST(Channels, TimerWorkWaitsForTheRunningOperation) {
    Rig r;
    r.ch->Poort[1].SocketC = true;
    ASSERT_TRUE(r.ch->StartCommunication1());
    auto* link = r.host.fakeNetwork.clients.at(0);
    link->setState(host::LinkState::Open);
    r.busy = true;
    link->deliver(withSum("$GPGSA,A,3") + "\r\n");
    r.rx().tick();
    r.rx().tick();  // a second tick does not queue the work twice
    EXPECT_EQ(r.ch->counts().lines, 0);
    EXPECT_EQ(r.display.lbStatus, "-");
    ASSERT_EQ(r.deferred.size(), 1u);
    r.busy = false;
    r.deferred[0]();
    EXPECT_EQ(r.ch->counts().lines, 1);
    EXPECT_EQ(r.display.lbStatus, "3D position fixing");
}

TEST(Channels, ClientSocketEventsAndTransmit) {
    Rig r;
    r.ch->Poort[1].SocketC = true;
    r.ch->Poort[1].IpAddressC = "192.0.2.7";
    r.ch->Poort[1].IpPortC = 2947;
    r.ch->Transmit1("$GPRMC,early*00\r\n");  // opens the channel first; kept while connecting
    auto* link = r.host.fakeNetwork.clients.at(0);
    EXPECT_EQ(link->connectedHost, "192.0.2.7");
    EXPECT_EQ(link->connectedPort, 2947);
    EXPECT_EQ(r.panels[0], "Ch 1: socket");
    EXPECT_TRUE(r.ch->indicators().txd1Green);
    link->setState(host::LinkState::Open);
    EXPECT_EQ(r.packets, std::vector<std::string>{"Socket connected"});
    EXPECT_EQ(link->written, "$GPRMC,early*00\r\n");
    std::string big(300, 'a');
    r.ch->Transmit1(big);
    EXPECT_FALSE(r.ch->indicators().txd1Green);
    ASSERT_EQ(link->writes.size(), 4u);  // 128 + 128 + 44
    EXPECT_EQ(link->writes[1].size(), 128u);
    EXPECT_EQ(link->writes[3].size(), 44u);
    link->fail("Connection reset by peer");
    EXPECT_EQ(r.packets.back(), "Client Socket communication ERROR!");
    EXPECT_EQ(link->state(), host::LinkState::Closed);
}

TEST(Channels, SerialTransmitReachesTheReceiver) {
    Rig r;
    r.ch->Transmit1("$GPRMC,123456,A*00\r\n");
    EXPECT_TRUE(r.ch->Kabel1.IsOpen());
    EXPECT_EQ(r.pty.receive(20), "$GPRMC,123456,A*00\r\n");
}

TEST(Channels, ListenerOnLoopbackWithSeparateLinesPerClient) {
    Rig r;
    ASSERT_TRUE(r.ch->setListener(true, 7001));
    auto& listener = *r.host.fakeNetwork.listeners.at(0);
    EXPECT_FALSE(listener.allInterfaces);
    EXPECT_EQ(listener.port(), 7001);
    r.rx().start();
    host::FakeByteLink* a = r.host.fakeNetwork.accept("127.0.0.1:40001");
    host::FakeByteLink* b = r.host.fakeNetwork.accept("127.0.0.1:40002");
    host::FakeByteLink* c = r.host.fakeNetwork.accept("127.0.0.1:40003");
    ASSERT_TRUE(a && b && c);
    std::string ga = withSum("$GPGSA,A,2"), gb = withSum("$GPGSA,A,3");
    // Interleaved halves: each client's line stays whole.
    a->deliver(ga.substr(0, 5));
    b->deliver(gb.substr(0, 7));
    c->deliver("$GPGSA,A,");  // disconnects mid-line
    a->deliver(ga.substr(5) + "\r\n");
    c->close();
    b->deliver(gb.substr(7) + "\r\n");
    r.rx().tick();
    EXPECT_EQ(r.liveLines(), (std::vector<std::string>{ga, gb}));
    EXPECT_EQ(r.ch->counts().checksumErrors, 0);
    EXPECT_EQ(r.packets.front(), "ServerSocket: " + ga.substr(0, 5));
    EXPECT_EQ(r.ch->listenerClients(), 2u);

    // At most eight connected clients. A ninth waits unread for a few ticks:
    // one that hung up meanwhile is read; one still connected is refused.
    for (int i = 0; i < 6; ++i) ASSERT_NE(r.host.fakeNetwork.accept("127.0.0.1:4100" + std::to_string(i)), nullptr);
    EXPECT_EQ(r.ch->listenerClients(), 8u);
    host::FakeByteLink* early = r.host.fakeNetwork.accept("127.0.0.1:45000");
    host::FakeByteLink* ninth = r.host.fakeNetwork.accept("10.0.0.9:5000");
    ASSERT_TRUE(early && ninth);
    early->deliver(ga + "\r\n");
    early->peerCloses();
    long long linesBefore = r.ch->counts().lines;
    for (int t = 0; t <= Channels::kWaitTicks; ++t) r.rx().tick();
    EXPECT_EQ(r.ch->counts().lines, linesBefore + 1);
    EXPECT_EQ(r.reports.back(), "ServerSocket: connection from 10.0.0.9:5000 refused: at most 8 clients.");
    EXPECT_EQ(ninth->state(), host::LinkState::Closed);
    EXPECT_EQ(r.ch->listenerClients(), 8u);
    // A client's error ends that client only.
    b->fail("Connection reset by peer");
    EXPECT_EQ(r.packets.back(), "Server Socket communication ERROR!");
    EXPECT_TRUE(r.ch->listening());
    EXPECT_EQ(r.ch->listenerClients(), 7u);
    EXPECT_NE(r.host.fakeNetwork.accept("127.0.0.1:42000"), nullptr);

    // A client that sends a burst and hangs up while the queue is full:
    // its place is free at once, and every line of it still comes.
    for (auto* link : r.host.fakeNetwork.clients) link->close();
    r.rx().tick();
    ASSERT_EQ(r.ch->listenerClients(), 0u);
    long long before = r.ch->counts().lines;
    std::string burst;
    for (int i = 0; i < 3000; ++i) burst += withSum("$GPGSA,A," + std::to_string(i % 4)) + "\r\n";
    host::FakeByteLink* d = r.host.fakeNetwork.accept("127.0.0.1:43000");
    ASSERT_NE(d, nullptr);
    d->deliver(burst);
    ASSERT_TRUE(r.ch->socketsPaused());
    d->peerCloses();
    EXPECT_EQ(r.ch->listenerClients(), 0u);
    for (int i = 0; i < 8; ++i) EXPECT_NE(r.host.fakeNetwork.accept("127.0.0.1:4400" + std::to_string(i)), nullptr);
    for (int t = 0; t < 1000 && r.ch->counts().lines < before + 3000; ++t) r.rx().tick();
    EXPECT_EQ(r.ch->counts().lines, before + 3000);
    EXPECT_EQ(r.ch->counts().droppedLines, 0);

    r.ch->listenAllInterfaces = true;
    ASSERT_TRUE(r.ch->setListener(true, 7002));
    EXPECT_TRUE(listener.allInterfaces);
    EXPECT_EQ(r.ch->listenerClients(), 0u);
    ASSERT_TRUE(r.ch->setListener(false, 7002));
    EXPECT_FALSE(r.ch->listening());
    listener.refuse = true;
    EXPECT_FALSE(r.ch->setListener(true, 7002));
    EXPECT_NE(r.reports.back().find("could not listen on port 7002"), std::string::npos);
}

TEST(Channels, GarminModeHandsEveryByteOn) {
    Rig r;
    r.ch->setProtocol("Garmin");
    r.ch->Poort[0].SocketC = true;
    ASSERT_TRUE(r.ch->StartCommunication1());
    EXPECT_FALSE(r.rx().running());
    auto* link = r.host.fakeNetwork.clients.at(0);
    link->setState(host::LinkState::Open);
    link->deliver(std::string("\x10\x06\x02\r\n\x10\x03", 7));
    EXPECT_EQ(r.garmin, (std::vector<unsigned char>{0x10, 0x06, 0x02, '\r', '\n', 0x10, 0x03}));
    EXPECT_TRUE(r.ch->queue().empty());
}

TEST(Channels, BadSatelliteNumberReportedOnceWithoutStopping) {
    Rig r;
    r.ch->Poort[1].SocketC = true;
    ASSERT_TRUE(r.ch->StartCommunication1());
    auto* link = r.host.fakeNetwork.clients.at(0);
    link->setState(host::LinkState::Open);
    std::string bad = withSum("$GPGSV,1,1,01,07,40,083,x1");
    link->deliver(bad + "\r\n" + bad + "\r\n" + withSum("$GPGSA,A,2") + "\r\n");
    r.rx().tick();
    EXPECT_EQ(r.reports, std::vector<std::string>{"'x1' is not a valid integer value"});
    EXPECT_EQ(r.panels[2], "'x1' is not a valid integer value");
    EXPECT_EQ(r.display.lbStatus, "2D position fixing");  // reception went on
    EXPECT_TRUE(r.rx().running());
}

TEST(Channels, AReceiverThatGoesAwayIsReported) {
    Rig r;
    ASSERT_TRUE(r.ch->StartCommunication1());
    r.fromReceiver(withSum("$GPGSA,A,3") + "\r\n");
    r.pty.closeSlave();
    r.pty.closeMaster();
    r.poll().tick();
    EXPECT_FALSE(r.ch->Kabel1.IsOpen());
    EXPECT_EQ(r.panels[0], "Ch 1: closed");
    ASSERT_FALSE(r.reports.empty());
    EXPECT_EQ(r.reports.back(), "COM3 (" + r.pty.path() + "): the device is gone.");
    r.rx().tick();
    EXPECT_EQ(r.ch->counts().lines, 1);  // what came before is kept
}

TEST(WithLogExtension, TheSaveDialogsLogRule) {
    struct Row {
        const char* chosen;
        const char* path;
    } rows[] = {
        {"track.txt", "track.log"},         {"track", "track.log"},
        {"/a.b/track", "/a.b/track.log"},   {"/home/u/.hidden", "/home/u/.hidden.log"},
        {"x.log", "x.log"},                 {"dir/x.tar.gz", "dir/x.tar.log"},
    };
    for (const auto& r : rows) EXPECT_EQ(WithLogExtension(r.chosen), r.path) << r.chosen;
}
