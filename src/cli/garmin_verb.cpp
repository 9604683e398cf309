// pathkeep-cli garmin: the same command words through the same link layer
// as the Garmin window. Progress goes to stderr, each word's outcome to
// stdout; exit 0 only when every requested transfer completed.

#include "cli/garmin_verb.h"

#include <QCoreApplication>
#include <QDir>
#include <csignal>
#include <cstdio>

#include "app/document_commands.h"
#include "app/workspace.h"
#include "cli/cli_host.h"
#include "formats/file_type.h"
#include "garmin/runner.h"
#include "plot/bounds.h"

namespace cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) { interrupted = 1; }

int usage(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli garmin: %s\n\nUsage:\n%s", message.c_str(), PATHKEEP_GARMIN_USAGE);
    return kExitUsage;
}

struct Kinds {
    bool tracks = false, waypoints = false, routes = false;
};

// "tracks,waypoints" -> the kinds; false for anything else.
bool parseKinds(const std::string& text, Kinds& kinds) {
    size_t at = 0;
    while (at <= text.size()) {
        size_t comma = text.find(',', at);
        std::string k = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (k == "tracks") kinds.tracks = true;
        else if (k == "waypoints") kinds.waypoints = true;
        else if (k == "routes") kinds.routes = true;
        else return false;
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return true;
}

bool isKindList(const std::string& text) {
    Kinds k;
    return parseKinds(text, k);
}

}  // namespace

int garminCommand(const std::vector<std::string>& args) {
    std::string serial, tcp;
    long speed = 9600;
    bool powerOff = false;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--power-off") {
            powerOff = true;
            continue;
        }
        if (a == "--serial" || a == "--speed" || a == "--tcp") {
            if (i + 1 >= args.size()) return usage(a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--serial") serial = v;
            if (a == "--tcp") tcp = v;
            if (a == "--speed") {
                long long n = 0;
                if (!ToWholeNumber(v, n) || n <= 0 || n > 4000000) return usage("--speed takes a speed in bit/s, not '" + v + "'");
                speed = static_cast<long>(n);
            }
            continue;
        }
        if (a.rfind("--", 0) == 0) return usage("unknown option '" + a + "'");
        rest.push_back(a);
    }
    if (serial.empty() == tcp.empty()) return usage("give either --serial DEV or --tcp HOST:PORT");
    if (rest.empty()) return usage("no action given");

    const std::string action = rest[0];
    Kinds kinds;
    std::string file;
    if (action == "info") {
        if (rest.size() != 1 || powerOff) return usage("info takes no arguments");
    } else if (action == "download" || action == "upload") {
        if (powerOff && action == "download") return usage("--power-off goes with upload");
        std::vector<std::string> words(rest.begin() + 1, rest.end());
        for (const auto& w : words) {
            if (isKindList(w)) {
                parseKinds(w, kinds);
            } else if (file.empty()) {
                file = w;
            } else {
                return usage("unexpected argument '" + w + "'");
            }
        }
        if (file.empty()) return usage(action + " needs a GPX file");
        if (action == "download" && IsFolder(file)) return usage("'" + file + "' is a folder, give a file to write");
        if (!kinds.tracks && !kinds.waypoints && !kinds.routes) kinds = Kinds{true, true, true};
    } else {
        return usage("unknown action '" + action + "'");
    }

    std::unique_ptr<garmin::ByteTransport> transport;
    if (!serial.empty()) {
        transport = garmin::MakeTtyTransport(serial, speed);
    } else {
        size_t colon = tcp.rfind(':');
        int port = 0;
        try {
            port = colon == std::string::npos ? 0 : std::stoi(tcp.substr(colon + 1));
        } catch (...) {
        }
        if (port <= 0 || port > 65535) return usage("--tcp takes HOST:PORT");
        transport = garmin::MakeTcpTransport(tcp.substr(0, colon), port);
    }

    CliHost host;
    app::Workspace ws(host, PathsBesideThisProgram());
    ws.create();
    app::DocumentCommands commands(ws);
    if (action == "upload" && !commands.BestandOpenen(file)) return kExitFailed;

    garmin::Session::Hooks hooks;
    garmin::AttachTransport(hooks, *transport);
    std::string lastProgress;
    hooks.showProgress = [&lastProgress](const std::string& text) {
        if (text.empty() || text == lastProgress) return;
        lastProgress = text;
        std::fprintf(stderr, "%s\n", text.c_str());
    };
    hooks.message = [&ws](int n) { return ws.message(n); };
    hooks.errorBox = [&transport](const std::string& text) {
        std::string line = text;
        for (char& c : line)
            if (c == '\r') c = ' ';
        std::fprintf(stderr, "%s\n", line.c_str());
        if (!transport->error().empty()) std::fprintf(stderr, "(%s)\n", transport->error().c_str());
    };
    hooks.determineBounds = [&ws] {
        core::PointLoader loader = ws.loader();
        plot::DetermineBounds(ws.plot, ws.document, loader, ws.points, [&ws](const std::string& s) { ws.report(s); });
    };
    hooks.wordFinished = [](const garmin::WordResult& r) {
        std::printf("%s: %s%s\n", r.word.c_str(), r.result.isDone() || r.result.isNothingToDo() ? "" : "FAILED: ",
                    r.result.message().empty() ? "done" : r.result.message().c_str());
        std::fflush(stdout);
    };
    garmin::Session session(garmin::DocumentAccess{ws.document, ws.symbols, host.clock(), [&ws] { return ws.loader(); }},
                            host.locale(), std::move(hooks));

    // The fixed order of the transfer commands: tracks, waypoints, routes, power off.
    session.appendCommand("id request");
    const char* verb = action == "upload" ? "put " : "get ";
    if (kinds.tracks) session.appendCommand(std::string(verb) + "trackpoints");
    if (kinds.waypoints) session.appendCommand(std::string(verb) + "waypoints");
    if (kinds.routes) session.appendCommand(std::string(verb) + "routes");
    if (powerOff) session.appendCommand("power off");
    if (action == "download" && (kinds.tracks || kinds.waypoints)) session.appendCommand("determine bounds");

    std::signal(SIGINT, onInterrupt);
    garmin::RunOptions options;
    options.cancelled = [] { return interrupted != 0; };
    core::Result run = garmin::RunSession(session, *transport, options);
    if (run.isCancelled()) {
        std::fprintf(stderr, "%s\n", run.message().c_str());
        return kExitFailed;
    }
    if (!session.allDone()) {
        if (action == "download") std::fprintf(stderr, "Nothing written: not every transfer completed.\n");
        return kExitFailed;
    }
    if (action == "download" && !commands.saveDocument(file, formats::SaveFormat::Gpx, formats::SaveOptions{}).isDone())
        return kExitFailed;
    return kExitOk;
}

}  // namespace cli
