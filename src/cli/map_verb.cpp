#include "cli/map_verb.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "app/workspace.h"
#include "cli/cli_host.h"
#include "cli/drawing_run.h"
#include "cli/plot_verb.h"
#include "host/qt/qt_canvas.h"
#include "host/qt/qt_http.h"
#include "map/map_picture.h"

namespace cli {

namespace {

constexpr int kExitOk = 0, kExitFailed = 1, kExitUsage = 2;
constexpr int kTileWaitMs = 60000;  // for all tiles of the picture together
constexpr long long kBytesPerMB = 1LL << 20;

int usage(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli map: %s\n\n%s", message.c_str(), kMapUsage);
    return kExitUsage;
}

struct Arguments {
    std::string file, out, tiles;
    int width = 800, height = 600;
};

int parse(const std::vector<std::string>& args, Arguments& a) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (s.rfind("--", 0) != 0) {
            if (!a.file.empty()) return usage("one FILE only, '" + s + "' is a second");
            a.file = s;
            continue;
        }
        if (s != "--out" && s != "--size" && s != "--tiles") return usage("unknown option '" + s + "'");
        if (i + 1 >= args.size()) return usage(s + " needs a value");
        const std::string& v = args[++i];
        if (s == "--out") {
            a.out = v;
        } else if (s == "--size") {
            if (!ParseImageSize(v, a.width, a.height))
                return usage("--size takes " + std::string(kImageSizeRule) + ", not '" + v + "'");
        } else if (!map::IsTileTemplate(v)) {
            return usage("--tiles takes an address with {z}, {x} and {y}, not '" + v + "'");
        } else {
            a.tiles = v;
        }
    }
    if (a.file.empty()) return usage("map needs a FILE");
    if (a.out.empty()) return usage("map needs --out IMAGE");
    return kExitOk;
}

// Fetches the picture's tiles through the cache, waiting at most kTileWaitMs.
// Returns the number of tiles still missing.
size_t fetchTiles(map::TileLoader& loader, const map::MapView& view) {
    std::vector<map::TileId> wanted;
    for (const map::PlacedTile& t : view.tiles()) wanted.push_back(t.tile);
    loader.want(wanted);
    QElapsedTimer clock;
    clock.start();
    // Until no request is under way: the tiles came or failed. A server out
    // of reach makes the loader pause before it asks again, which a script
    // does not wait for.
    while (loader.underWay() > 0 && clock.elapsed() < kTileWaitMs) {
        QEventLoop wait;
        QTimer::singleShot(50, &wait, &QEventLoop::quit);
        core::ScopedConnection woken = loader.changed.scoped([&wait] { wait.quit(); });
        wait.exec();
    }
    return static_cast<size_t>(
        std::count_if(wanted.begin(), wanted.end(), [&](map::TileId t) { return loader.image(t) == nullptr; }));
}

}  // namespace

const char* const kMapUsage =
    "Usage: pathkeep-cli map FILE --out IMAGE [--size WxH] [--tiles URL]\n"
    "  Draws the map page's picture of all of FILE (fitted to it) and writes\n"
    "  IMAGE as BMP, or as PNG when its name ends in \".png\".\n"
    "  --size WxH   picture size in pixels (default 800x600)\n"
    "  --tiles URL  draw over web-map tiles from this address, where {z}, {x}\n"
    "               and {y} stand for the tile, e.g.\n"
    "               https://tile.openstreetmap.org/{z}/{x}/{y}.png; tiles come\n"
    "               from the tile cache when it has them. Without it: a plain\n"
    "               background with a degree grid, and no network is used.\n";

int MapVerb(int argc, char** argv) {
    std::vector<std::string> args(argv + 2, argv + argc);
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::fputs(kMapUsage, stdout);
        return kExitOk;
    }
    Arguments a;
    if (int status = parse(args, a); status != kExitOk) return status;

    DrawingRun run(argc, argv);
    app::Workspace& ws = run.ws;
    CliHost& host = run.host;
    ws.settings = app::UserSettings::read(app::IniFile::load(ws.paths.userSettings));
    if (!run.open(a.file)) return kExitFailed;

    map::MapData data;
    {
        app::Operations::Scope scope(ws.operations);
        core::PointLoader loader = ws.loader(&scope.operation());
        if (!map::LoadMapData(data, ws.document, loader)) return kExitFailed;
    }
    map::MapView view;
    view.setSize(a.width, a.height);
    view.fit(data.box);

    host::QtCanvasFactory canvases;
    host::QtHttpFetch fetch;
    std::unique_ptr<map::TileCache> cache;
    std::unique_ptr<map::TileLoader> loader;
    if (!a.tiles.empty()) {
        cache =
            std::make_unique<map::TileCache>(ws.paths.tileCacheDir, std::max(1, ws.settings.mapCacheMB) * kBytesPerMB);
        loader = std::make_unique<map::TileLoader>(
            fetch, canvases, host.timers(), cache.get(),
            map::TileSourceSettings{a.tiles, std::string(app::kProgramName) + "/" + app::kVersion});
        if (size_t missing = fetchTiles(*loader, view); missing > 0)
            std::fprintf(stderr, "pathkeep-cli map: %zu of %zu tiles could not be had; the grid shows instead\n",
                         missing, view.tiles().size());
    }

    host::QtCanvas image(a.width, a.height);
    map::MapPicture picture{view};
    picture.data = &data;
    picture.tiles = loader.get();
    picture.altitudes = ws.plot;
    picture.attribution = ws.settings.mapAttribution;
    picture.decimalSeparator = host.locale().decimalSeparator();
    map::DrawMap(image, picture);
    if (std::string error = image.save(a.out, ImageFormatOf(a.out)); !error.empty()) {
        std::fprintf(stderr, "pathkeep-cli map: %s: %s\n", a.out.c_str(), error.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace cli
