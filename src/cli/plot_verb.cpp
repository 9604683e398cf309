#include "cli/plot_verb.h"

#include <QDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "app/workspace.h"
#include "cli/cli_host.h"
#include "cli/drawing_run.h"
#include "core/text.h"
#include "host/qt/qt_canvas.h"
#include "plot/time_diagrams.h"
#include "plot/track_plot.h"

namespace cli {

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;
constexpr int kMaxSide = 16000;                  // pixels of one side
constexpr long long kMaxPixels = 64LL << 20;     // 256 MB of picture at most

const char* const kPlotUsage =
    "Usage: pathkeep-cli plot FILE --kind points|way|height|speed --out IMAGE\n"
    "                         [--node PATH] [--size WxH] [--option LIST] [--max-height M]\n"
    "  Draws what the plot command of that kind draws for the node and writes\n"
    "  IMAGE as BMP, or as PNG when its name ends in \".png\".\n"
    "  --node PATH     tree node: its containers and children by text or by\n"
    "                  number, separated by \"/\" (\"trackpoints/2\",\n"
    "                  \"routes/rte (Home)\"); default: trackpoints (all tracks)\n"
    "  --size WxH      picture size in pixels (default 800x600)\n"
    "  --option LIST   check boxes to tick, of connect, names, altitude,\n"
    "                  colors, slow (default: connect,colors)\n"
    "  --max-height M  \"maximum height (in meters):\" of the height diagram (default 200)\n";

int usage(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli plot: %s\n\n%s", message.c_str(), kPlotUsage);
    return kExitUsage;
}

void printError(std::string text) {
    std::replace(text.begin(), text.end(), '\r', '\n');
    std::fprintf(stderr, "%s\n", text.c_str());
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t pos = 0;
    for (size_t next; (next = text.find(sep, pos)) != std::string::npos; pos = next + 1)
        parts.push_back(text.substr(pos, next - pos));
    parts.push_back(text.substr(pos));
    return parts;
}


bool parseOptions(const std::string& text, plot::PlotControls& c) {
    c.cbConnect = c.cbShowNames = c.cbShowHeight = c.cbHeightColor = c.cbSlow = false;
    if (text.empty()) return true;
    for (const std::string& o : split(text, ',')) {
        if (o == "connect") c.cbConnect = true;
        else if (o == "names") c.cbShowNames = true;
        else if (o == "altitude") c.cbShowHeight = true;
        else if (o == "colors") c.cbHeightColor = true;
        else if (o == "slow") c.cbSlow = true;
        else return false;
    }
    return true;
}

// A child by number (from 1) or by its text, else by the start of its text.
core::NodeId findChild(const core::Document& doc, core::NodeId parent, const std::string& step) {
    if (auto n = plot::StrToIntStrict(step); n && *n >= 1) {
        core::NodeId c = doc.firstChild(parent);
        for (int i = 1; i < *n && c != core::kNoNode; ++i) c = doc.nextSibling(c);
        return c;
    }
    for (core::NodeId c = doc.firstChild(parent); c != core::kNoNode; c = doc.nextSibling(c))
        if (doc.getText(c) == step) return c;
    for (core::NodeId c = doc.firstChild(parent); c != core::kNoNode; c = doc.nextSibling(c))
        if (doc.getText(c).rfind(step, 0) == 0) return c;
    return core::kNoNode;
}

core::NodeId findNode(const core::Document& doc, const std::string& path) {
    core::NodeId node = core::kRootNode;
    for (const std::string& step : split(path, '/')) {
        if (step.empty()) continue;
        node = findChild(doc, node, step);
        if (node == core::kNoNode) return node;
    }
    return node == core::kRootNode ? core::kNoNode : node;
}

bool endsWith(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    std::string end = s.substr(s.size() - tail.size());
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char ch) { return std::tolower(ch); });
    return end == tail;
}

struct Arguments {
    std::string file, kind, out, node = "trackpoints";
    int width = 800, height = 600;
    plot::PlotControls controls;
};

int parse(const std::vector<std::string>& args, Arguments& a) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (s.rfind("--", 0) != 0) {
            if (!a.file.empty()) return usage("one FILE only");
            a.file = s;
            continue;
        }
        if (i + 1 >= args.size()) return usage(s + " needs a value");
        const std::string& v = args[++i];
        if (s == "--kind") {
            if (v != "points" && v != "way" && v != "height" && v != "speed")
                return usage("--kind takes points, way, height or speed");
            a.kind = v;
        } else if (s == "--out") {
            a.out = v;
        } else if (s == "--node") {
            a.node = v;
        } else if (s == "--size") {
            if (!ParseImageSize(v, a.width, a.height)) return usage(std::string("--size takes ") + kImageSizeRule);
        } else if (s == "--option") {
            if (!parseOptions(v, a.controls))
                return usage("--option takes a list of connect, names, altitude, colors, slow");
        } else if (s == "--max-height") {
            if (!plot::StrToIntStrict(v)) return usage("--max-height takes a whole number of metres");
            a.controls.edit1 = v;
        } else {
            return usage("unknown option '" + s + "'");
        }
    }
    if (a.file.empty()) return usage("plot needs a FILE");
    if (a.kind.empty()) return usage("plot needs --kind");
    if (a.out.empty()) return usage("plot needs --out IMAGE");
    return kExitOk;
}

}  // namespace

bool ParseImageSize(const std::string& text, int& width, int& height) {
    size_t x = text.find('x');
    if (x == std::string::npos) return false;
    auto w = plot::StrToIntStrict(text.substr(0, x)), h = plot::StrToIntStrict(text.substr(x + 1));
    if (!w || !h || *w < 1 || *h < 1 || *w > kMaxSide || *h > kMaxSide) return false;
    if (static_cast<long long>(*w) * *h > kMaxPixels) return false;
    width = *w;
    height = *h;
    return true;
}

const char* const kImageSizeRule = "WxH, each side 1 to 16000 pixels, 64 million pixels at most";

host::ImageFormat ImageFormatOf(const std::string& path) {
    return endsWith(path, ".png") ? host::ImageFormat::Png : host::ImageFormat::Bmp;
}

int PlotVerb(int argc, char** argv) {
    std::vector<std::string> args(argv + 2, argv + argc);
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::fputs(kPlotUsage, stdout);
        return kExitOk;
    }
    Arguments a;
    if (int status = parse(args, a); status != kExitOk) return status;

    DrawingRun run(argc, argv);
    app::Workspace& ws = run.ws;
    CliHost& host = run.host;
    if (!run.open(a.file)) return kExitFailed;

    core::NodeId node = findNode(ws.document, a.node);
    if (node == core::kNoNode) {
        std::fprintf(stderr, "pathkeep-cli plot: no node '%s' in %s\n", a.node.c_str(), a.file.c_str());
        return kExitFailed;
    }
    ws.document.setFocused(node);
    ws.document.plotMode = plot::kPlotNothing;

    host::QtCanvasFactory canvases;
    host::QtCanvas image(a.width, a.height);
    app::Operations::Scope scope(ws.operations);
    core::Operation& op = scope.operation();
    core::PointLoader loader = ws.loader(&op);
    plot::PlotData data{ws.document, loader, ws.points, ws.plot, a.controls,
                        [&ws](const std::string& s) { ws.report(s); }};
    plot::PlotEnv env{image, a.width, a.height, canvases, host.locale(), host.prompts(), op,
                      [&ws](int n) { return ws.message(n); }, [](const std::string&) {}};

    core::Result r = a.kind == "points"   ? plot::mPlotpointsClick(data, env)
                     : a.kind == "way"    ? plot::mPlotTimeWayClick(data, env)
                     : a.kind == "height" ? plot::mPlotTimeHeightClick(data, env)
                                          : plot::mPlotTimeSpeedClick(data, env);
    if (r.isFailed()) {
        printError(r.message());
        return kExitFailed;
    }
    if (!r.isDone()) {
        printError(r.message().empty() ? "Nothing to plot for '" + a.node + "'" : r.message());
        return kExitFailed;
    }
    if (std::string error = image.save(a.out, ImageFormatOf(a.out)); !error.empty()) {
        std::fprintf(stderr, "pathkeep-cli plot: %s: %s\n", a.out.c_str(), error.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace cli
