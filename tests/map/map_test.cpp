// The map's logic: tile arithmetic against the slippy-map formula, line
// simplification against its promise, and the tile loader's manners
// towards a tile server (through the fake fetcher) and its disk cache.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>

#include "../temp_dir.h"
#include "host/fake/fake_canvas.h"
#include "host/fake/fake_host.h"
#include "host/fake/fake_http.h"
#include "map/map_view.h"
#include "map/simplify.h"
#include "map/tile_loader.h"

using namespace map;

namespace {

// Expected tiles and pixels worked out in Python with the formula of the
// OpenStreetMap wiki's "Slippy map tilenames" page (log(tan + sec)), with
// the latitude held to ±85.0511287798066 and the column taken modulo 2^z.
struct TileRow {
    const char* name;
    double lat, lon;
    int zoom;
    int tileX, tileY;
    double pixelX, pixelY;
};
const TileRow kTileRows[] = {
    {"null island", 0, 0, 0, 0, 0, 128.0, 128.0},
    {"null island, zoom 1", 0, 0, 1, 1, 1, 256.0, 256.0},
    {"Berlin", 52.52, 13.405, 10, 550, 335, 140833.22311111112, 85971.47767488271},
    {"Nijmegen", 51.8425, 5.8528, 15, 16916, 10847, 4330684.124728889, 2776834.476177368},
    {"Sydney", -33.8688, 151.2093, 12, 3768, 2457, 964717.0082133333, 629242.3326656377},
    {"north limit", 85.0511287798066, 0, 3, 4, 0, 1024.0, 0.0},
    {"south limit", -85.0511287798066, 0, 3, 4, 7, 1024.0, 2048.0},
    {"beyond north, held", 89.9, -30, 4, 6, 0, 1706.6666666666667, 0.0},
    {"beyond south, held", -89.9, 30, 4, 9, 15, 2389.3333333333335, 4096.0},
    {"179.9 east", -16.0, 179.9, 5, 31, 17, 8189.724444444444, 4464.915352354677},
    {"179.9 west", -16.0, -179.9, 5, 0, 17, 2.2755555555554263, 4464.915352354677},
    {"deepest level", 52.0, 5.0, 19, 269425, 173180, 68972999.1111111, 44334141.390024886},
};

TEST(TileArithmetic, TilesPixelsAndBackAgainstTheSlippyMapFormula) {
    for (const TileRow& r : kTileRows) {
        SCOPED_TRACE(r.name);
        const WorldPoint p = Project(r.lat, r.lon);
        EXPECT_EQ(TileAt(p, r.zoom), (TileId{r.zoom, r.tileX, r.tileY}));
        EXPECT_NEAR(p.x * WorldPixels(r.zoom), r.pixelX, 1e-6);
        EXPECT_NEAR(p.y * WorldPixels(r.zoom), r.pixelY, 1e-6);
        const LatLon back = Unproject(p);
        EXPECT_NEAR(back.latDeg, std::clamp(r.lat, -kMaxLatDeg, kMaxLatDeg), 1e-9);
        EXPECT_NEAR(back.lonDeg, r.lon, 1e-9);
    }
    // Across 180° the columns are neighbours: one step east of the last is the first.
    EXPECT_EQ(WrapTileX(31 + 1, 5), 0);
    EXPECT_EQ(WrapTileX(0 - 1, 5), 31);
    EXPECT_EQ(TileUrl("https://t.example/{z}/{x}/{y}.png?k={z}", {5, 31, 17}), "https://t.example/5/31/17.png?k=5");
}

TEST(TileArithmetic, AViewOn180ShowsTheLastColumnBesideTheFirst) {
    MapView view;
    view.setSize(512, 256);
    view.setZoom(2);
    view.setCenter(Project(0, 180));
    std::vector<std::tuple<int, int, int, int>> seen;  // column, row, left, top
    for (const PlacedTile& t : view.tiles()) seen.emplace_back(t.tile.x, t.tile.y, t.left, t.top);
    std::sort(seen.begin(), seen.end(), [](auto& a, auto& b) {
        return std::tie(std::get<3>(a), std::get<2>(a)) < std::tie(std::get<3>(b), std::get<2>(b));
    });
    EXPECT_EQ(seen, (std::vector<std::tuple<int, int, int, int>>{
                        {3, 1, 0, -128}, {0, 1, 256, -128}, {3, 2, 0, 128}, {0, 2, 256, 128}}));
}

// Distance in pixels from p to the segment a-b, worked out here on its own.
double pixelsFromSegment(WorldPoint p, WorldPoint a, WorldPoint b, double scale) {
    const double ax = a.x * scale, ay = a.y * scale, bx = b.x * scale, by = b.y * scale;
    const double px = p.x * scale, py = p.y * scale;
    const double vx = bx - ax, vy = by - ay, len2 = vx * vx + vy * vy;
    const double t = len2 == 0 ? 0 : std::clamp(((px - ax) * vx + (py - ay) * vy) / len2, 0.0, 1.0);
    return std::hypot(ax + t * vx - px, ay + t * vy - py);
}

// A wandering walk, and a zigzag of straight legs (laps of one course), whose
// farthest points lie next to the ends of every long range.
TEST(Simplify, TracksKeepTheirShapeWithinAPixelWithFarFewerPoints) {
    // 200,000 steps of 2-8 m in a wandering direction around 52 N 5 E.
    std::mt19937 random(20260501);
    std::uniform_real_distribution<double> turn(-0.6, 0.6), step(2, 8);
    std::vector<WorldPoint> walk, zigzag;
    double lat = 52, lon = 5, heading = 0;
    for (int i = 0; i < 200000; ++i) {
        heading += turn(random);
        const double metres = step(random);
        lat += metres * std::cos(heading) / 111320;
        lon += metres * std::sin(heading) / (111320 * std::cos(lat * 3.14159265358979 / 180));
        walk.push_back(Project(lat, lon));
    }
    lat = 51.4, lon = 5.1;
    for (int i = 0; i < 200000; ++i) {
        lat += (i / 1000) % 2 == 0 ? 0.0000137 : -0.0000137;
        lon += 0.0000091;
        zigzag.push_back(Project(std::round(lat * 1e7) / 1e7, std::round(lon * 1e7) / 1e7));
    }
    struct Level {
        const std::vector<WorldPoint>* line;
        int zoom;
        size_t atMost;  // points kept
    };
    for (Level level : {Level{&walk, 8, 2000}, Level{&walk, 12, 20000}, Level{&walk, 16, 120000},
                        Level{&zigzag, 12, 2000}, Level{&zigzag, 16, 4000}}) {
        SCOPED_TRACE(testing::Message() << (level.line == &walk ? "walk" : "zigzag") << " at zoom " << level.zoom);
        const std::vector<WorldPoint>& line = *level.line;
        const std::vector<float> significance = Significance(line, ToleranceAt(kMaxZoom));
        const std::vector<std::uint32_t> kept = KeptAt(significance, ToleranceAt(level.zoom));
        ASSERT_GE(kept.size(), 2u);
        EXPECT_EQ(kept.front(), 0u);
        EXPECT_EQ(kept.back(), line.size() - 1);
        EXPECT_LE(kept.size(), level.atMost);
        const double scale = WorldPixels(level.zoom);
        double worst = 0;
        for (size_t j = 0; j + 1 < kept.size(); ++j)
            for (std::uint32_t i = kept[j]; i <= kept[j + 1]; ++i)
                worst = std::max(worst, pixelsFromSegment(line[i], line[kept[j]], line[kept[j + 1]], scale));
        EXPECT_LE(worst, 1.0);
    }
}

// --- the tile loader -------------------------------------------------------------

struct Loader {
    TempDir dir;
    host::FakeHttpFetch fetch;
    host::FakeCanvasFactory canvases;
    host::FakeTimers timers;
    double now = 1000;  // seconds
    TileCache cache{dir.file("tiles"), 1LL << 20};
    std::unique_ptr<TileLoader> loader = make();

    std::unique_ptr<TileLoader> make() {
        return std::make_unique<TileLoader>(fetch, canvases, timers, &cache,
                                            TileSourceSettings{"http://tiles.test/{z}/{x}/{y}.png", "Pathkeep/4.03"},
                                            [this] { return now; });
    }
    static std::string url(TileId t) { return "http://tiles.test/" + TileUrl("{z}/{x}/{y}.png", t); }
    std::vector<std::string> open() const {
        std::vector<std::string> urls;
        for (const auto& o : fetch.open) urls.push_back(o.request.url);
        return urls;
    }
    void answer(TileId t) { ASSERT_TRUE(fetch.answer(url(t), host::FakeHttpFetch::body(host::FakePicture(256, 256)))); }
    void later(double seconds) {
        now += seconds;
        if (host::FakeTimer* retry = timers.find("MapTileRetry")) retry->tick();
    }
};

TileId tile(int x, int y) { return {12, x, y}; }

TEST(TileLoader, TwoAtATimeOnlyWhatIsInViewAndEachTileOnce) {
    Loader l;
    l.loader->want({tile(1, 1), tile(2, 1), tile(3, 1), tile(4, 1), tile(5, 1)});
    EXPECT_EQ(l.open(), (std::vector<std::string>{Loader::url(tile(1, 1)), Loader::url(tile(2, 1))}));
    EXPECT_EQ(l.fetch.requested.front().userAgent, "Pathkeep/4.03");

    // The view moves on: the three tiles still waiting are dropped, the two under way finish.
    l.loader->want({tile(2, 1), tile(7, 1), tile(8, 1)});
    l.answer(tile(1, 1));
    l.answer(tile(2, 1));
    EXPECT_EQ(l.open(), (std::vector<std::string>{Loader::url(tile(7, 1)), Loader::url(tile(8, 1))}));
    l.answer(tile(7, 1));
    l.answer(tile(8, 1));
    EXPECT_TRUE(l.loader->settled());
    for (const auto& r : l.fetch.requested)
        for (TileId dropped : {tile(3, 1), tile(4, 1), tile(5, 1)}) EXPECT_NE(r.url, Loader::url(dropped));
    EXPECT_NE(l.loader->image(tile(2, 1)), nullptr);
    EXPECT_TRUE(std::filesystem::exists(
        l.dir.file("tiles/" + SourceFolder("http://tiles.test/{z}/{x}/{y}.png") + "/12/8/1.tile")));

    // A second run finds them on disk: not one request more.
    const size_t requests = l.fetch.requested.size();
    l.loader = l.make();
    l.loader->want({tile(1, 1), tile(2, 1), tile(7, 1), tile(8, 1)});
    EXPECT_EQ(l.fetch.requested.size(), requests);
    EXPECT_NE(l.loader->image(tile(8, 1)), nullptr);
    EXPECT_TRUE(l.loader->settled());

    // A run eight days on: a tile fetched a week ago is shown at once and
    // fetched again behind the missing ones; the answer replaces it for good.
    const std::string stalePath = l.dir.file("tiles/" + SourceFolder("http://tiles.test/{z}/{x}/{y}.png") + "/12/7/1.tile");
    std::filesystem::last_write_time(stalePath,
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 8));
    l.cache = TileCache(l.dir.file("tiles"), 1LL << 20);
    l.loader = l.make();
    l.loader->want({tile(7, 1), tile(8, 1), tile(9, 1)});
    EXPECT_NE(l.loader->image(tile(7, 1)), nullptr);
    EXPECT_EQ(l.open(), (std::vector<std::string>{Loader::url(tile(9, 1)), Loader::url(tile(7, 1))}));
    l.answer(tile(9, 1));
    l.answer(tile(7, 1));
    const size_t afterRefresh = l.fetch.requested.size();
    l.loader->want({tile(7, 1), tile(8, 1), tile(9, 1)});
    EXPECT_EQ(l.fetch.requested.size(), afterRefresh);
    EXPECT_LT(std::filesystem::file_time_type::clock::now() - std::filesystem::last_write_time(stalePath),
              std::chrono::hours(1));
}

TEST(TileLoader, WithoutANetworkRequestsThinOutInsteadOfLooping) {
    Loader l;
    const std::vector<TileId> view = {tile(1, 1), tile(2, 1), tile(3, 1), tile(4, 1)};
    l.loader->want(view);
    ASSERT_TRUE(l.fetch.answer(Loader::url(tile(1, 1)), host::FakeHttpFetch::failure()));
    ASSERT_TRUE(l.fetch.answer(Loader::url(tile(2, 1)), host::FakeHttpFetch::failure()));
    EXPECT_EQ(l.fetch.requested.size(), 2u);
    EXPECT_EQ(l.loader->image(tile(1, 1)), nullptr);

    // Repaints ask again and again; nothing goes out while the pause lasts.
    for (int i = 0; i < 100; ++i) l.loader->want(view);
    l.later(4);
    EXPECT_EQ(l.fetch.requested.size(), 2u);
    // After it the rest of the view is tried, not the tiles that failed.
    l.later(7);
    EXPECT_EQ(l.open(), (std::vector<std::string>{Loader::url(tile(3, 1)), Loader::url(tile(4, 1))}));
    l.answer(tile(3, 1));
    l.answer(tile(4, 1));
    // The network is back: a failed tile is tried again once its wait (30 s) is over.
    for (int i = 0; i < 100; ++i) l.loader->want(view);
    EXPECT_TRUE(l.fetch.open.empty());
    l.later(30);
    EXPECT_EQ(l.open(), (std::vector<std::string>{Loader::url(tile(1, 1)), Loader::url(tile(2, 1))}));
    // A server that answers with something other than a picture is not asked again at once either.
    ASSERT_TRUE(l.fetch.answer(Loader::url(tile(1, 1)), host::FakeHttpFetch::body("<html>busy</html>")));
    l.loader->want(view);
    EXPECT_EQ(l.open(), (std::vector<std::string>{Loader::url(tile(2, 1))}));
    // Nor one whose picture is no 256-pixel tile.
    ASSERT_TRUE(l.fetch.answer(Loader::url(tile(2, 1)), host::FakeHttpFetch::body(host::FakePicture(512, 512))));
    l.loader->want(view);
    EXPECT_TRUE(l.fetch.open.empty());
    EXPECT_EQ(l.loader->image(tile(2, 1)), nullptr);
}

TEST(TileCache, KeepsItsSizeDroppingTheTilesUsedLongestAgo) {
    TempDir dir;
    const std::string bytes(300, 'p');
    {
        TileCache cache(dir.file("tiles"), 1000);
        for (int x = 0; x < 3; ++x) ASSERT_TRUE(cache.put("s", tile(x, 0), bytes));
        ASSERT_TRUE(cache.get("s", tile(0, 0)));  // used again: now the newest
        ASSERT_TRUE(cache.put("s", tile(3, 0), bytes));
        EXPECT_LE(cache.bytes(), 1000);
        EXPECT_TRUE(cache.get("s", tile(0, 0)));
        EXPECT_FALSE(cache.get("s", tile(1, 0)));
        EXPECT_TRUE(cache.get("s", tile(3, 0)));
    }
    // A later run finds what is left, by the files themselves.
    TileCache again(dir.file("tiles"), 1000);
    EXPECT_EQ(again.bytes(), 900);  // a trim goes a tenth below the limit
    EXPECT_EQ(again.get("s", tile(3, 0)), bytes);
}

}  // namespace
