#include "cli/receive.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <charconv>
#include <cstdio>
#include <optional>

#include "app/channel_settings.h"
#include "app/workspace.h"
#include "cli/cli_host.h"
#include "nmea/channels.h"

namespace cli {

const char* const kReceiveUsage =
    "  receive (--serial DEV [--speed N] [--bits N] [--parity P] [--stop S]\n"
    "           | --tcp HOST:PORT | --listen PORT) [--log FILE] [--lines N] [--seconds S]\n"
    "          [--all-talkers | --gp-only]\n"
    "                         receive NMEA sentences and print the reception display\n"
    "                         at the end (N lines, S seconds or end of stream)\n";

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;
constexpr int kWatchMs = 50;  // how often the end conditions are looked at

struct Options {
    std::string serial, tcpHost, log;
    int tcpPort = 0, listenPort = -1;
    std::optional<int> speed, bits;
    std::optional<std::string> parity, stop;
    long long lines = -1;
    double seconds = -1;
    std::optional<bool> allTalkers;  // none: as the settings say (all systems unless turned off)
};

int usage(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli: %s\n\nUsage:\n%s", message.c_str(), kReceiveUsage);
    return kExitUsage;
}

// Fills `o`; an error text for wrong usage.
std::string parse(const std::vector<std::string>& args, Options& o) {
    int sources = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--all-talkers" || a == "--gp-only") {
            o.allTalkers = a == "--all-talkers";
            continue;
        }
        if (i + 1 >= args.size()) return a + " needs a value";
        const std::string& v = args[++i];
        long long n = 0;
        bool number = ToWholeNumber(v, n);
        if (a == "--serial") {
            o.serial = v;
            ++sources;
        } else if (a == "--tcp") {
            if (!ToHostAndPort(v, o.tcpHost, o.tcpPort)) return "--tcp takes HOST:PORT";
            ++sources;
        } else if (a == "--listen") {
            if (!number || n < 0 || n > 65535) return "--listen takes a port number";
            o.listenPort = static_cast<int>(n);
            ++sources;
        } else if (a == "--speed") {
            if (!number || n <= 0 || n > 4000000) return "--speed takes a speed in bit/s";
            o.speed = static_cast<int>(n);
        } else if (a == "--bits") {
            if (!number || n < 5 || n > 8) return "--bits takes 5, 6, 7 or 8";
            o.bits = static_cast<int>(n);
        } else if (a == "--parity") {
            if (v != "none" && v != "odd" && v != "even" && v != "mark" && v != "space")
                return "--parity takes none, odd, even, mark or space";
            o.parity = v;
        } else if (a == "--stop") {
            if (v != "1" && v != "1,5" && v != "1.5" && v != "2") return "--stop takes 1, 1,5 or 2";
            o.stop = v == "1.5" ? "1,5" : v;
        } else if (a == "--log") {
            if (IsFolder(v)) return "--log " + v + ": is a folder, give a file";
            o.log = v;
        } else if (a == "--lines") {
            if (!number || n < 1) return "--lines takes a positive number";
            o.lines = n;
        } else if (a == "--seconds") {
            char* end = nullptr;
            o.seconds = std::strtod(v.c_str(), &end);
            if (end != v.c_str() + v.size() || !(o.seconds > 0) || o.seconds > 1e7) return "--seconds takes a positive number";
        } else {
            return "unknown option '" + a + "'";
        }
    }
    if (sources != 1) return "receive needs exactly one of --serial, --tcp and --listen";
    if (o.serial.empty() && (o.speed || o.bits || o.parity || o.stop)) return "line settings go with --serial";
    return {};
}

void printDisplay(const nmea::GpsDisplay& d, const nmea::ChannelCounts& counts) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"status", &d.lbStatus},    {"latitude", &d.lbBreedte}, {"longitude", &d.lbLengte},
        {"speed", &d.lbSnelheid},   {"altitude", &d.lbHoogte},  {"course", &d.lbRichting},
        {"time", &d.lbTijd},        {"variation", &d.lbDeclination}, {"satellites", &d.lbSat},
    };
    for (const auto& [name, text] : fields) std::printf("%s: %s\n", name, text->c_str());
    for (int slot = 1; slot <= nmea::kSatSlots; ++slot) {
        const nmea::TSats& s = d.Sats[static_cast<size_t>(slot - 1)];
        std::printf("sat %d: %s %d %d\n", slot, s.number.c_str(), s.signal, nmea::GpsDisplay::BarOf(s.signal).height);
    }
    std::printf("lines: %lld, checksum errors: %lld\n", counts.lines, counts.checksumErrors);
}

}  // namespace

int receiveCommand(const std::vector<std::string>& args) {
    Options o;
    if (std::string error = parse(args, o); !error.empty()) return usage(error);

    CliHost host;
    app::Workspace ws(host, PathsBesideThisProgram());
    ws.create();
    app::IniFile ini = app::IniFile::load(ws.paths.userSettings);
    app::UserSettings settings = app::UserSettings::read(ini);

    nmea::ChannelSinks sinks;
    sinks.report = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    sinks.packetLog = [](const std::string& line) {
        if (line.rfind("ServerSocket: ", 0) != 0) std::fprintf(stderr, "%s\n", line.c_str());  // not the data itself
    };
    sinks.setPanel = [](int panel, const std::string& text) {
        // The error code of the panel is said in words by the report.
        if (panel == 0 && !text.empty() && text.rfind("Error: GetLastError", 0) != 0)
            std::fprintf(stderr, "%s\n", text.c_str());
    };
    sinks.message = [&ws](int n) { return ws.message(n); };
    nmea::PortMap ports;
    ports.setPath(1, o.serial);
    nmea::GpsDisplay display;
    nmea::Channels channels(host, sinks, ports, display);
    app::ApplyChannelSettings(settings, channels);
    channels.decodeOptions.decimalSeparator = host.locale().decimalSeparator();
    channels.decodeOptions.texts = {ws.message(5), ws.message(6), ws.message(7), ws.message(8), ws.message(9)};
    if (o.allTalkers) channels.decodeOptions.allTalkers = *o.allTalkers;
    if (o.lines > 0) channels.setLineLimit(o.lines);

    nmea::TPoort& r = channels.Poort[1];
    if (!o.serial.empty()) {
        r.SocketC = false;
        r.Port = 1;
        r.Speed = o.speed.value_or(r.Speed);
        r.Bits = o.bits.value_or(8);
        r.Parity = o.parity.value_or("none");
        r.Stop = o.stop.value_or("1");
    } else if (!o.tcpHost.empty()) {
        r.SocketC = true;
        r.IpAddressC = o.tcpHost;
        r.IpPortC = o.tcpPort;
    }
    // The file as named: the ".log" rule belongs to the window's save dialog.
    if (!o.log.empty()) channels.startLogging(o.log);

    int status = kExitOk;
    bool wasOpen = false;
    if (o.listenPort >= 0) {
        if (!channels.setListener(true, o.listenPort)) return kExitFailed;
        std::fprintf(stderr, "Listening on port %d\n", channels.listenerPort());
    } else if (!channels.StartCommunication1()) {
        return kExitFailed;
    }
    bool tcpEnded = false;
    auto tcpState = channels.clientStateChanged.scoped([&](host::LinkState s) {
        if (s == host::LinkState::Open) wasOpen = true;
        if (s == host::LinkState::Closed && wasOpen) tcpEnded = true;
    });
    auto tcpError = channels.clientError.scoped([&](const std::string&) {
        if (!wasOpen) status = kExitFailed;  // never connected
        tcpEnded = true;
    });

    QTimer watch;
    watch.setInterval(kWatchMs);
    bool quitting = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (quitting) return;
        bool streamEnded = false;
        if (!o.serial.empty()) streamEnded = channels.Kabel1.hungUp();
        // Bytes held back by a paused socket are still to come.
        if (!o.tcpHost.empty()) streamEnded = tcpEnded && channels.queue().empty() && !channels.socketsPaused();
        bool enough = o.lines > 0 && channels.counts().lines >= o.lines;
        if (streamEnded) channels.ProcessAllWaiting();
        enough = enough || (o.lines > 0 && channels.counts().lines >= o.lines);
        if (streamEnded && !enough && (o.lines > 0 || o.seconds > 0)) {
            // Lines or seconds were asked for: a stream that ends first is a failure.
            std::fprintf(stderr, "The stream ended after %lld lines.\n", channels.counts().lines);
            status = kExitFailed;
        }
        if (streamEnded || enough) {
            quitting = true;
            QCoreApplication::quit();
        }
    });
    watch.start();
    if (o.seconds > 0) QTimer::singleShot(static_cast<int>(o.seconds * 1000), [] { QCoreApplication::quit(); });
    QCoreApplication::exec();

    channels.ProcessAllWaiting();
    if (channels.logFile().logging()) channels.stopLogging();
    if (channels.logFile().unwritten() > 0) status = kExitFailed;  // the reason was reported when it happened
    channels.StopCommunication1();
    channels.setListener(false, 0);
    if (status == kExitOk) printDisplay(display, channels.counts());
    return status;
}

}  // namespace cli
