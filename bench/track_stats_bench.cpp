// Track statistics of a 1,000,000-point track: the pass over a point list
// (Points), the whole measure from the document tree that the window's
// statistics panel makes after a change (Tree), and the tree walk alone.
// Run: build/bin/bench_track_stats

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

#include "wandering_walk.h"
#include "host/fake/fake_host.h"
#include "plot/track_stats.h"

namespace {

constexpr int kPoints = 1000000;

core::PointRecord pointAt(int i) {
    bench::WalkPoint w = bench::WanderingWalk(i, kPoints);
    core::PointRecord p;
    p.lat = w.lat;
    p.lon = w.lon;
    p.ele = w.ele;
    p.time = w.time;
    return p;
}

struct World {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    core::PointList points;
    core::NodeId track = core::kNoNode;

    World() {
        doc.NewTrack("walk");
        track = doc.parent(doc.currentSegment);
        char lat[32], lon[32], ele[32], time[32];
        for (int i = 0; i < kPoints; ++i) {
            core::PointRecord p = pointAt(i);
            points.append(p);
            std::snprintf(lat, sizeof lat, "%.7f", static_cast<double>(p.lat));
            std::snprintf(lon, sizeof lon, "%.7f", static_cast<double>(p.lon));
            std::snprintf(ele, sizeof ele, "%.1f", static_cast<double>(p.ele));
            std::snprintf(time, sizeof time, "%.8f", static_cast<double>(p.time));
            doc.AddTrackpoint(lat, lon, ele, time);
        }
    }
};

World& world() {
    static World w;
    return w;
}

void Points(benchmark::State& state) {
    World& w = world();
    for (auto _ : state) benchmark::DoNotOptimize(plot::MeasurePoints(w.points));
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(Points)->Unit(benchmark::kMillisecond);

void Tree(benchmark::State& state) {
    World& w = world();
    core::PointLoader loader(w.doc, w.symbols, {w.host.fakeClock, w.host.fakeLocale, nullptr, nullptr});
    for (auto _ : state) {
        plot::TrackStats stats;
        plot::MeasureNode(w.doc, loader, w.track, stats);
        benchmark::DoNotOptimize(stats);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(Tree)->Unit(benchmark::kMillisecond);

// The loader's walk alone, the part of Tree that is not the statistics.
void TreeWalk(benchmark::State& state) {
    World& w = world();
    core::PointLoader loader(w.doc, w.symbols, {w.host.fakeClock, w.host.fakeLocale, nullptr, nullptr});
    for (auto _ : state) {
        long double sum = 0;
        loader.eachTrackPoint(w.track, [&sum](const core::PointRecord& p) { sum += p.lat; });
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(TreeWalk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
