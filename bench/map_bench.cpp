// The map of a 1,000,000-point track (the benchmarks' wandering walk, some
// 20 km across) on a 1600 x 1000 QImage canvas: reading the document into
// the map's data (projection and simplification included), working out a
// zoom level's line the first time it is drawn, and drawing a picture at
// zoom levels from the whole track down to street level, the way each
// repaint of a pan draws it (grid background, no tiles).
// Run: build/bin/bench_map [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "host/fake/fake_host.h"
#include "host/qt/qt_canvas.h"
#include "map/map_picture.h"
#include "map/simplify.h"
#include "plot/bounds.h"
#include "wandering_walk.h"

namespace {

constexpr int kPoints = 1000000;
constexpr int kWidth = 1600, kHeight = 1000;

struct World {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    core::PointLoader loader{doc, symbols, {host.fakeClock, host.fakeLocale, nullptr, nullptr}};
    plot::PlotState state;
    map::MapData data;
    host::QtCanvas image{kWidth, kHeight};

    World() {
        doc.NewTrack("walk");
        char lat[32], lon[32], ele[32];
        for (int i = 0; i < kPoints; ++i) {
            bench::WalkPoint p = bench::WanderingWalk(i, kPoints);
            std::snprintf(lat, sizeof lat, "%.7f", static_cast<double>(p.lat));
            std::snprintf(lon, sizeof lon, "%.7f", static_cast<double>(p.lon));
            std::snprintf(ele, sizeof ele, "%.1f", static_cast<double>(p.ele));
            doc.AddTrackpoint(lat, lon, ele, "");
        }
        plot::DetermineRanges(state, doc, loader, [](const std::string&) {});
        if (!map::LoadMapData(data, doc, loader)) std::abort();
    }

    // The whole track fitted, then `deeper` zoom levels in at its middle.
    map::MapView viewAt(int deeper) const {
        map::MapView view;
        view.setSize(kWidth, kHeight);
        view.fit(data.box);
        view.setZoom(view.zoom() + deeper);
        return view;
    }
};

World& world() {
    static World w;
    return w;
}

void LoadMapData(benchmark::State& s) {
    World& w = world();
    for (auto _ : s) {
        map::MapData data;
        if (!map::LoadMapData(data, w.doc, w.loader)) std::abort();
        benchmark::DoNotOptimize(data);
    }
}

// Douglas-Peucker over the whole line, once per document change.
void Significance(benchmark::State& s) {
    World& w = world();
    const map::TrackLine& t = w.data.tracks.front();
    for (auto _ : s) benchmark::DoNotOptimize(map::Significance(t.points, map::ToleranceAt(map::kMaxZoom)));
}

// The first drawing at a zoom level picks its points from the significances.
void KeptAt(benchmark::State& s) {
    World& w = world();
    const map::TrackLine& t = w.data.tracks.front();
    size_t kept = 0;
    for (auto _ : s) kept = map::KeptAt(t.significance, map::ToleranceAt(static_cast<int>(s.range(0)))).size();
    s.counters["points"] = static_cast<double>(kept);
}

// Zoom 0 steps: the whole track fitted; then deeper, at its middle.
void Draw(benchmark::State& s) {
    World& w = world();
    const map::MapView view = w.viewAt(static_cast<int>(s.range(0)));
    for (auto _ : s) {
        map::MapPicture picture{view};
        picture.data = &w.data;
        picture.altitudes = w.state;
        map::DrawMap(w.image, picture);
        benchmark::DoNotOptimize(w.image.image());
    }
    s.counters["zoom"] = view.zoom();
    s.counters["points"] = static_cast<double>(w.data.tracks.front().keptAt(view.zoom()).index.size());
}

// Every tile there, one picture for all: the copying of some 40 tiles a repaint.
class SameTile : public map::TileImages {
public:
    SameTile() { tile_.fillRect(0, 0, 256, 256, host::Rgb{200, 220, 200}); }
    const host::Canvas* image(map::TileId) const override { return &tile_; }

private:
    host::QtCanvas tile_{256, 256};
};

void DrawOverTiles(benchmark::State& s) {
    World& w = world();
    SameTile tiles;
    const map::MapView view = w.viewAt(static_cast<int>(s.range(0)));
    for (auto _ : s) {
        map::MapPicture picture{view};
        picture.data = &w.data;
        picture.tiles = &tiles;
        picture.altitudes = w.state;
        picture.attribution = "\xC2\xA9 OpenStreetMap contributors";
        map::DrawMap(w.image, picture);
        benchmark::DoNotOptimize(w.image.image());
    }
    s.counters["zoom"] = view.zoom();
}

}  // namespace

BENCHMARK(LoadMapData)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Significance)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(KeptAt)->Arg(11)->Arg(14)->Arg(17)->Arg(19)->Unit(benchmark::kMillisecond);
BENCHMARK(Draw)->Arg(0)->Arg(2)->Arg(4)->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawOverTiles)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // Text needs the GUI application; drawing needs no screen.
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
