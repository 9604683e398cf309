// The playback's own cost per sentence, without reading a file: a track of
// a million points in memory played with each time option as fast as the
// ticks can follow one another, sentences sent into a counter.
#include <benchmark/benchmark.h>

#include "host/fake/fake_host.h"
#include "nmea/simulation.h"

namespace {

constexpr int kPoints = 1000000;

void play(benchmark::State& state, nmea::TimeOption option) {
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc(symbols, host.fakeClock);
    doc.initTree();
    doc.NewTrack("Long ride");
    doc.AddTrackpoint("51.4", "5.1", "", "");  // the loader below brings the rest
    size_t bytes = 0;
    nmea::SimulationLinks links;
    links.transmit = [&](std::string_view s) { bytes += s.size(); };
    links.loadTrack = [](core::NodeId, const core::PointLoader::Sink& each) {
        // A wandering walk, one point a second, as bench/make_big_gpx.py writes.
        long double lat = 51.4, lon = 5.1;
        for (int i = 0; i < kPoints; ++i) {
            lat += (i / 5000) % 2 == 0 ? 0.0000137L : -0.0000137L;
            lon += 0.0000091L;
            core::PointRecord p;
            p.lat = lat;
            p.lon = lon;
            p.time = 46143.25L + i / 86400.0L;
            each(p);
        }
        return true;
    };
    nmea::Simulation sim(host.fakeTimers, host.fakeClock, doc, std::move(links));
    sim.builder().setPanelShown(false);
    sim.cbTracksChange("Long ride");
    sim.setTimeOption(option);
    sim.setRepeat(false);
    long long sentences = 0;
    for (auto _ : state) {
        sim.Trackpointsafspelen1Click();
        while (sim.track().status == nmea::kPlaying) {
            sim.TxTimerTimer();
            ++sentences;
        }
    }
    state.counters["sentences/s"] = benchmark::Counter(static_cast<double>(sentences), benchmark::Counter::kIsRate);
    benchmark::DoNotOptimize(bytes);
}

void BM_OriginalTimes(benchmark::State& s) { play(s, nmea::TimeOption::Original); }
void BM_GivenSpeed(benchmark::State& s) { play(s, nmea::TimeOption::GivenSpeed); }

}  // namespace

BENCHMARK(BM_OriginalTimes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_GivenSpeed)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
