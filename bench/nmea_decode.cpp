// Speed of the NMEA sentence decoder alone (goal: 2,000,000 sentences a
// second on one core), over a mix of sentences as a receiver sends them.
// Run: build/bin/bench_nmea_decode

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "nmea/sentences.h"

namespace {

// One second of a u-blox receiver (nmea+ms.txt, neo-m8n.log style).
const std::vector<std::string> kMix = {
    "$GPRMC,093203.500,A,5333.4037,N,00951.9347,E,0.17,224.45,170807,,,A*68",
    "$GPVTG,224.45,T,,M,0.17,N,0.3,K,A*0D",
    "$GPGGA,093203.500,5333.4037,N,00951.9347,E,1,06,1.7,49.9,M,46.0,M,,0000*66",
    "$GPGSA,A,3,08,29,27,28,26,24,,,,,,,3.2,1.7,2.7*3E",
    "$GPGSV,3,1,11,08,71,074,27,10,57,214,,29,52,291,25,27,44,067,34*75",
    "$GPGSV,3,2,11,28,31,164,30,26,28,210,29,24,20,115,27,02,12,301,*7A",
    "$GPGSV,3,3,11,21,14,320,,03,07,025,,19,09,054,*4D",
    "$GNRMC,171948.00,A,4404.13902,N,12118.85371,W,0.059,,180315,,,A*72",
    "$GNGGA,171948.00,4404.13902,N,12118.85371,W,1,12,1.05,1139.4,M,-21.3,M,,*48",
    "$GPGLL,4916.45,N,12311.12,W,225444,A*31",
};

void decodeMix(benchmark::State& state, bool allTalkers) {
    nmea::GpsDisplay display;
    nmea::DecodeOptions options;
    options.allTalkers = allTalkers;
    size_t i = 0;
    for (auto _ : state) {
        nmea::DecodeResult r = nmea::DecodeNMEA(kMix[i], options, display);
        benchmark::DoNotOptimize(r);
        if (++i == kMix.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_DecodeNMEA(benchmark::State& state) { decodeMix(state, false); }
void BM_DecodeNMEA_AllTalkers(benchmark::State& state) { decodeMix(state, true); }

void BM_DecodeRMC(benchmark::State& state) {
    nmea::GpsDisplay display;
    nmea::DecodeOptions options;
    for (auto _ : state) benchmark::DoNotOptimize(nmea::DecodeNMEA(kMix[0], options, display));
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_DecodeNMEA);
BENCHMARK(BM_DecodeNMEA_AllTalkers);
BENCHMARK(BM_DecodeRMC);
BENCHMARK_MAIN();
