// Times the three phases of a GPX -> GPX conversion on one file: reading,
// the bounds that every open computes, and writing.
// Run: build/bin/bench_gpx_phases FILE.gpx

#include <chrono>
#include <cstdio>

#include "formats/gpx.h"
#include "host/fake/fake_host.h"
#include "plot/bounds.h"

namespace {
double since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_gpx_phases FILE.gpx\n");
        return 2;
    }
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc(symbols, host.fakeClock);
    core::PointList points;
    core::Operation operation;
    formats::Env env{doc, symbols, host.fakeClock, host.fakeLocale, operation, [](const std::string&) {}};
    auto t0 = std::chrono::steady_clock::now();
    (void)formats::GpxBestandInlezen(env, argv[1]);
    std::printf("read    %.3f s\n", since(t0));
    t0 = std::chrono::steady_clock::now();
    plot::PlotState plot;
    core::PointLoader l = env.loader();
    plot::DetermineBounds(plot, doc, l, points, [](const std::string&) {});
    std::printf("bounds  %.3f s\n", since(t0));
    t0 = std::chrono::steady_clock::now();
    (void)formats::SaveAsGPX(env, "/tmp/bench_gpx_phases.gpx", formats::SaveOptions{});
    std::printf("write   %.3f s\n", since(t0));
    return 0;
}
