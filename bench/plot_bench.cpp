// Each plot picture of a 1,000,000-point track on a 1600 x 1000 QImage
// canvas: the canvas preparation and the drawing of every point (Pictures),
// and the whole command from the document tree, bounds and loading included
// (Commands).
// Run: build/bin/bench_plot [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <cstdlib>
#include <cstdio>

#include "wandering_walk.h"
#include "host/fake/fake_host.h"
#include "host/qt/qt_canvas.h"
#include "plot/time_diagrams.h"
#include "plot/track_plot.h"

namespace {

constexpr int kPoints = 1000000;
constexpr int kWidth = 1600, kHeight = 1000;

using Track = bench::WalkPoint;
Track pointAt(int i) { return bench::WanderingWalk(i, kPoints); }

struct World {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc{symbols, host.fakeClock};
    core::PointList points;
    plot::PlotState state;
    plot::PlotControls controls;
    host::QtCanvasFactory canvases;
    host::QtCanvas image{kWidth, kHeight};
    core::PointLoader loader{doc, symbols, {host.fakeClock, host.fakeLocale, nullptr, nullptr}};
    core::NodeId track = core::kNoNode;

    World() {
        doc.NewTrack("walk");
        track = doc.parent(doc.currentSegment);
        char lat[32], lon[32], ele[32], time[32];
        for (int i = 0; i < kPoints; ++i) {
            Track p = pointAt(i);
            std::snprintf(lat, sizeof lat, "%.7f", static_cast<double>(p.lat));
            std::snprintf(lon, sizeof lon, "%.7f", static_cast<double>(p.lon));
            std::snprintf(ele, sizeof ele, "%.1f", static_cast<double>(p.ele));
            std::snprintf(time, sizeof time, "%.8f", static_cast<double>(p.time));
            doc.AddTrackpoint(lat, lon, ele, time);
        }
        doc.setFocused(track);
        plot::DetermineBounds(state, doc, loader, points, [](const std::string&) {});
        points.reset();
        loader.ShowTrack(points, track);
    }
    plot::PlotEnv env(core::Operation& op) {
        return plot::PlotEnv{image, kWidth, kHeight, canvases, host.fakeLocale, host.fakePrompts, op,
                             [](int) { return std::string("text"); }, [](const std::string&) {}};
    }
};

World& world() {
    static World w;
    return w;
}

void prepare(World& w, int mode) {
    if (!plot::InitBitmap(w.state, w.controls, mode, w.image, kWidth, kHeight, w.host.fakeLocale).isDone())
        std::abort();
}

void Pictures_Points(benchmark::State& s) {
    World& w = world();
    for (auto _ : s) {
        core::Operation op;
        plot::PlotEnv e = w.env(op);
        prepare(w, plot::kPlotPoints);
        if (!plot::PlotTrack(w.points, w.state, w.controls, e).isDone()) std::abort();
    }
}
void Pictures_TimeWay(benchmark::State& s) {
    World& w = world();
    for (auto _ : s) {
        core::Operation op;
        plot::PlotEnv e = w.env(op);
        prepare(w, plot::kPlotTimeWay);
        if (!plot::PlotTimeWay(w.points, w.state, w.controls, e).isDone()) std::abort();
    }
}
void Pictures_TimeHeight(benchmark::State& s) {
    World& w = world();
    for (auto _ : s) {
        core::Operation op;
        plot::PlotEnv e = w.env(op);
        prepare(w, plot::kPlotTimeHeight);
        if (!plot::PlotTimeHeight(w.points, w.state, w.controls, e).isDone()) std::abort();
    }
}
void Pictures_TimeSpeed(benchmark::State& s) {
    World& w = world();
    for (auto _ : s) {
        core::Operation op;
        plot::PlotEnv e = w.env(op);
        prepare(w, plot::kPlotTimeSpeed);
        if (!plot::PlotTimeSpeed(w.points, w.state, w.controls, e).isDone()) std::abort();
    }
}

template <core::Result (*Command)(plot::PlotData&, plot::PlotEnv&)>
void Commands(benchmark::State& s) {
    World& w = world();
    for (auto _ : s) {
        core::Operation op;
        plot::PlotEnv e = w.env(op);
        plot::PlotData d{w.doc, w.loader, w.points, w.state, w.controls, [](const std::string&) {}};
        w.doc.plotMode = plot::kPlotNothing;
        if (!Command(d, e).isDone()) std::abort();
    }
}

}  // namespace

BENCHMARK(Pictures_Points)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Pictures_TimeWay)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Pictures_TimeHeight)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Pictures_TimeSpeed)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Commands<plot::mPlotpointsClick>)->Name("Commands_Points")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(Commands<plot::mPlotTimeWayClick>)->Name("Commands_TimeWay")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(Commands<plot::mPlotTimeHeightClick>)
    ->Name("Commands_TimeHeight")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(Commands<plot::mPlotTimeSpeedClick>)
    ->Name("Commands_TimeSpeed")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

int main(int argc, char** argv) {
    // Text needs the GUI application; drawing needs no screen.
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    world();  // the document is built once, outside the timings
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
