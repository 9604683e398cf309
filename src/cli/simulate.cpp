#include "cli/simulate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/document_commands.h"
#include "app/workspace.h"
#include "cli/cli_host.h"
#include "nmea/channels.h"
#include "nmea/simulation.h"

namespace cli {

const char* const kSimulateUsage =
    "  simulate FILE [--track NAME] [--time original|now|speed|\"dd-mm-yyyy hh:mm:ss\"]\n"
    "           [--speed M/S] [--interval MS] [--repeat] [--count N]\n"
    "           (--serial DEV [--baud N] | --tcp HOST:PORT | --serve PORT | --stdout)\n"
    "                         play a track of FILE as NMEA RMC sentences, one every MS\n"
    "                         milliseconds (default 1000; 0: as fast as possible, the\n"
    "                         times still a second apart); --time says which times they\n"
    "                         carry (default now), speed drives at --speed (default 10);\n"
    "                         --serve PORT sends to every TCP client of 127.0.0.1:PORT\n"
    "                         and starts with the first (PORT 0: any free one, named on\n"
    "                         stderr); --count stops after N sentences\n";

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;
constexpr int kConnectTimeoutMs = 5000;
constexpr int kFlushTimeoutMs = 5000;
constexpr int kPumpEvery = 64;  // fast playback lets sockets drain this often

struct Options {
    std::string file, track, time = "now";
    int speed = nmea::Simulation::kDefaultDrivingSpeed;
    long long intervalMs = nmea::Simulation::kDefaultIntervalMs;
    bool repeat = false;
    long long count = -1;
    std::string serial, tcpHost;
    int baud = 4800, tcpPort = 0, servePort = -1;
    bool toStdout = false;
};

int usage(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli: %s\n\nUsage:\n%s", message.c_str(), kSimulateUsage);
    return kExitUsage;
}

int failed(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli: %s\n", message.c_str());
    return kExitFailed;
}

std::string parse(const std::vector<std::string>& args, Options& o) {
    int outputs = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            if (!o.file.empty()) return "simulate takes one FILE";
            o.file = a;
            continue;
        }
        if (a == "--repeat") {
            o.repeat = true;
            continue;
        }
        if (a == "--stdout") {
            o.toStdout = true;
            ++outputs;
            continue;
        }
        if (i + 1 >= args.size()) return a + " needs a value";
        const std::string& v = args[++i];
        long long n = 0;
        bool number = ToWholeNumber(v, n);
        if (a == "--track") {
            o.track = v;
        } else if (a == "--time") {
            o.time = v;
        } else if (a == "--speed") {
            if (!number || n < 0 || n > nmea::Simulation::kMaxDrivingSpeed) return "--speed takes 0 to 100 (m/s)";
            o.speed = static_cast<int>(n);
        } else if (a == "--interval") {
            if (!number || n < 0 || n > nmea::Simulation::kMaxIntervalMs) return "--interval takes 0 to 30000 (ms)";
            o.intervalMs = n;
        } else if (a == "--count") {
            if (!number || n < 1) return "--count takes a positive number";
            o.count = n;
        } else if (a == "--serial") {
            o.serial = v;
            ++outputs;
        } else if (a == "--baud") {
            if (!number || n <= 0 || n > 4000000) return "--baud takes a speed in bit/s";
            o.baud = static_cast<int>(n);
        } else if (a == "--tcp") {
            if (!ToHostAndPort(v, o.tcpHost, o.tcpPort)) return "--tcp takes HOST:PORT";
            ++outputs;
        } else if (a == "--serve") {
            if (!number || n < 0 || n > 65535) return "--serve takes a port number";
            o.servePort = static_cast<int>(n);
            ++outputs;
        } else {
            return "unknown option '" + a + "'";
        }
    }
    if (o.file.empty()) return "simulate needs a FILE";
    if (outputs != 1) return "simulate needs exactly one of --serial, --tcp, --serve and --stdout";
    return {};
}

// Where the sentences go: one of the four outputs.
class Output {
public:
    virtual ~Output() = default;
    virtual bool open(std::string& error) = 0;
    virtual void write(std::string_view bytes) = 0;
    // Before the end: everything written reaches the peer (bounded).
    virtual void flush() {}
    virtual bool ready() const { return true; }  // playback may start
    // Why the output can take no more (the peer hung up, the device went
    // away); empty while it works. Playback stops at the first failure.
    const std::string& failure() const { return failure_; }

protected:
    void fail(const std::string& text) {
        if (failure_.empty()) failure_ = text;
    }

private:
    std::string failure_;
};

// A playback as fast as possible gathers its sentences into blocks (it may
// write a million of them); a paced one hands each to stdio as it comes.
class StdoutOutput : public Output {
public:
    explicit StdoutOutput(bool inBlocks) : inBlocks_(inBlocks) {}
    ~StdoutOutput() override { flush(); }
    bool open(std::string&) override {
        block_.reserve(kBlockBytes);
        return true;
    }
    void write(std::string_view bytes) override {
        if (!inBlocks_) {
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            return;
        }
        block_ += bytes;
        if (block_.size() >= kBlockBytes) flush();
    }
    void flush() override {
        std::fwrite(block_.data(), 1, block_.size(), stdout);
        block_.clear();
        std::fflush(stdout);
    }

private:
    static constexpr size_t kBlockBytes = 1 << 20;
    bool inBlocks_;
    std::string block_;
};

// The serial device through the channel of the NMEA mode, as the window sends.
class SerialOutput : public Output {
public:
    SerialOutput(host::Host& host, const Options& o) : device_(o.serial) {
        nmea::ChannelSinks sinks;
        // Reports become the one failure message (an open that failed, a device gone).
        sinks.report = [this](const std::string& line) { fail(line); };
        nmea::PortMap ports;
        ports.setPath(1, o.serial);
        channels_ = std::make_unique<nmea::Channels>(host, sinks, ports, display_);
        nmea::TPoort& r = channels_->Poort[1];
        r.SocketC = false;
        r.Port = 1;
        r.Speed = o.baud;
        r.Bits = 8;
        r.Parity = "none";
        r.Stop = "1";
    }
    bool open(std::string& error) override {
        if (channels_->StartCommunication1()) return true;
        error = failure().empty() ? "cannot open " + device_ : failure();
        return false;
    }
    void write(std::string_view bytes) override {
        // Once gone the device is not opened again for every sentence.
        if (!failure().empty()) return;
        if (!channels_->channelOpen() || channels_->Kabel1.hungUp()) return fail("No such device: " + device_);
        channels_->Transmit1(bytes);
    }
    ~SerialOutput() override { channels_->StopCommunication1(); }

private:
    std::string device_;
    nmea::GpsDisplay display_;
    std::unique_ptr<nmea::Channels> channels_;
};

void flushSocket(QTcpSocket* s) {
    QElapsedTimer t;
    t.start();
    while (s && s->state() == QAbstractSocket::ConnectedState && s->bytesToWrite() > 0 && t.elapsed() < kFlushTimeoutMs)
        s->waitForBytesWritten(static_cast<int>(kFlushTimeoutMs - t.elapsed()));
}

class TcpOutput : public Output {
public:
    TcpOutput(std::string host, int port) : host_(std::move(host)), port_(port) {}
    bool open(std::string& error) override {
        socket_.connectToHost(QString::fromStdString(host_), static_cast<quint16>(port_));
        if (!socket_.waitForConnected(kConnectTimeoutMs)) {
            error = host_ + ":" + std::to_string(port_) + ": " + socket_.errorString().toStdString();
            return false;
        }
        QObject::connect(&socket_, &QTcpSocket::disconnected, &socket_,
                         [this] { fail(host_ + ":" + std::to_string(port_) + ": the peer closed the connection"); });
        QObject::connect(&socket_, &QTcpSocket::errorOccurred, &socket_, [this](QAbstractSocket::SocketError e) {
            if (e != QAbstractSocket::RemoteHostClosedError)
                fail(host_ + ":" + std::to_string(port_) + ": " + socket_.errorString().toStdString());
        });
        return true;
    }
    void write(std::string_view bytes) override {
        if (socket_.state() == QAbstractSocket::ConnectedState)
            socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        else
            fail(host_ + ":" + std::to_string(port_) + ": the peer closed the connection");
    }
    void flush() override {
        flushSocket(&socket_);
        if (failure().empty() && socket_.bytesToWrite() > 0)
            fail(host_ + ":" + std::to_string(port_) + ": not every sentence could be delivered");
        QObject::disconnect(&socket_, nullptr, &socket_, nullptr);  // our own hang-up is no failure
        socket_.disconnectFromHost();
    }

private:
    std::string host_;
    int port_;
    QTcpSocket socket_;
};

// Every client of a loopback listener gets every sentence from the moment
// it connects; playback starts with the first client.
class ServeOutput : public Output {
public:
    explicit ServeOutput(int port) : port_(port) {}
    bool open(std::string& error) override {
        if (!server_.listen(QHostAddress::LocalHost, static_cast<quint16>(port_))) {
            error = "port " + std::to_string(port_) + ": " + server_.errorString().toStdString();
            return false;
        }
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
                clients_.emplace_back(s);
                std::fprintf(stderr, "Client %s:%d\n", s->peerAddress().toString().toStdString().c_str(),
                             s->peerPort());
            }
        });
        std::fprintf(stderr, "Serving on 127.0.0.1:%d\n", server_.serverPort());
        return true;
    }
    bool ready() const override { return !clients_.empty(); }
    void write(std::string_view bytes) override {
        std::erase_if(clients_, [](const QPointer<QTcpSocket>& s) { return s.isNull(); });
        for (auto& s : clients_)
            if (s->state() == QAbstractSocket::ConnectedState) s->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void flush() override {
        for (auto& s : clients_) {
            if (s.isNull()) continue;
            flushSocket(s.data());
            s->disconnectFromHost();
        }
    }

private:
    int port_;
    QTcpServer server_;
    std::vector<QPointer<QTcpSocket>> clients_;
};

std::unique_ptr<Output> makeOutput(host::Host& host, const Options& o) {
    if (o.toStdout) return std::make_unique<StdoutOutput>(o.intervalMs == 0);
    if (!o.serial.empty()) return std::make_unique<SerialOutput>(host, o);
    if (!o.tcpHost.empty()) return std::make_unique<TcpOutput>(o.tcpHost, o.tcpPort);
    return std::make_unique<ServeOutput>(o.servePort);
}

// The sorted first track that has points, as the window's track chooser
// lists them.
std::string firstTrack(const core::Document& doc) {
    std::vector<std::string> names;
    for (core::NodeId t = doc.firstChild(doc.trackpoints()); t != core::kNoNode; t = doc.nextSibling(t)) {
        core::NodeId segment = doc.segmentOf(t);
        if (segment != core::kNoNode && doc.childCount(segment) > 0) names.push_back(doc.nameOf(t));
    }
    if (names.empty()) return {};
    return *std::min_element(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive) < 0;
    });
}

bool hasTrack(const core::Document& doc, const std::string& name) {
    for (core::NodeId t = doc.firstChild(doc.trackpoints()); t != core::kNoNode; t = doc.nextSibling(t))
        if (doc.nameOf(t) == name) return true;
    return false;
}

// "--time" into the page's time option and fields; an error text for a bad one.
std::string applyTime(const Options& o, nmea::Simulation& sim) {
    if (o.time == "original") sim.setTimeOption(nmea::TimeOption::Original);
    else if (o.time == "now") sim.setTimeOption(nmea::TimeOption::Now);
    else if (o.time == "speed") sim.setTimeOption(nmea::TimeOption::GivenSpeed);
    else {
        size_t blank = o.time.find(' ');
        std::string date = o.time.substr(0, blank), time = blank == std::string::npos ? "" : o.time.substr(blank + 1);
        double day = 0, fraction = 0;
        if (blank == std::string::npos || !nmea::ReadSimDate(date, day) || !nmea::ReadSimTime(time, fraction))
            return "bad time '" + o.time + "': give original, now, speed or \"dd-mm-yyyy hh:mm:ss\"";
        sim.meDateKeyPress(date);
        sim.meTimeKeyPress(time);
    }
    return {};
}

}  // namespace

int simulateCommand(const std::vector<std::string>& args) {
    Options o;
    if (std::string error = parse(args, o); !error.empty()) return usage(error);

    CliHost host;
    app::Workspace ws(host, PathsBesideThisProgram());
    ws.create();
    ws.determineRanges = false;
    app::DocumentCommands commands(ws);
    if (!commands.BestandOpenen(o.file)) return kExitFailed;
    std::string track = o.track.empty() ? firstTrack(ws.document) : o.track;
    if (track.empty()) return failed(o.file + ": no track to play");
    if (!hasTrack(ws.document, track)) return failed(o.file + ": no track named '" + track + "'");

    std::unique_ptr<Output> out = makeOutput(host, o);
    long long sent = 0;
    bool quitting = false;
    std::string shown;  // what the simulation would have put in a message box
    nmea::SimulationLinks links;
    links.transmit = [&](std::string_view bytes) {
        if ((o.count >= 0 && sent >= o.count) || !out->failure().empty()) return;
        out->write(bytes);
        if (out->failure().empty()) ++sent;
    };
    links.show = [&](const std::string& text, host::Severity) { shown = text; };
    links.message = [&ws](int n) { return ws.message(n); };
    links.loadTrack = [&ws](core::NodeId node, const core::PointLoader::Sink& each) {
        return core::PointLoader(ws.document, ws.symbols, {ws.host.clock(), ws.host.locale(), nullptr, {}})
            .eachTrackPoint(node, each);
    };
    nmea::Simulation sim(host.timers(), host.clock(), ws.document, std::move(links));
    sim.builder().setPanelShown(false);
    sim.cbTracksChange(track);
    if (sim.points().count() == 0) return failed("track '" + track + "' has no points");
    if (std::string error = applyTime(o, sim); !error.empty()) return failed(error);
    sim.sbDrivingSpeedChange(o.speed);
    sim.setRepeat(o.repeat);
    if (o.intervalMs > 0) sim.setIntervalMs(static_cast<int>(o.intervalMs));

    std::string error;
    if (!out->open(error)) return failed(error);
    auto enough = [&] { return o.count >= 0 && sent >= o.count; };
    auto done = [&] { return enough() || sim.track().status != nmea::kPlaying || !out->failure().empty(); };
    // The event loop runs until the output may start, then until playback ends.
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!quitting && out->ready()) QCoreApplication::quit();
    });
    if (!out->ready()) {
        watch.start();
        QCoreApplication::exec();
        watch.stop();
    }

    sim.Trackpointsafspelen1Click();
    if (sim.track().status != nmea::kPlaying) return failed(shown.empty() ? "playback did not start" : shown);
    if (o.intervalMs == 0) {
        // As fast as possible: the ticks one after the other.
        for (long long n = 0; !done(); ++n) {
            sim.TxTimerTimer();
            if (!o.toStdout && n % kPumpEvery == 0) QCoreApplication::processEvents();
        }
    } else {
        // Looked at once the tick is over: the end of a repeated track
        // passes through "gestopt" on its way back to the start.
        bool checkQueued = false;
        auto endWatch = sim.changed.scoped([&] {
            if (checkQueued || quitting) return;
            checkQueued = true;
            QTimer::singleShot(0, [&] {
                checkQueued = false;
                if (!quitting && done()) {
                    quitting = true;
                    QCoreApplication::quit();
                }
            });
        });
        if (!done()) QCoreApplication::exec();
    }
    sim.SpeedButton2Click();
    out->flush();
    if (!out->failure().empty()) {
        std::fprintf(stderr, "%lld sentences sent before the failure\n", sent);
        return failed(out->failure());
    }
    if (!shown.empty()) return failed(shown);
    std::fprintf(stderr, "%lld sentences sent\n", sent);
    return kExitOk;
}

}  // namespace cli
