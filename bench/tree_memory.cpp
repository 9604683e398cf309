// Adds a million track points to the document tree and reports the time the
// adding took and the resident memory per point (the five nodes of a point
// included). Run: build/bin/bench_tree_memory [points]

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/document.h"
#include "host/fake/fake_host.h"

namespace {

long residentKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    return -1;
}

// Track point texts like a logger writes them: 7 decimals, a decimetre
// altitude and a time stamp every second.
struct PointTexts {
    char lat[24], lon[24], ele[16], time[32];
    void make(int i) {
        auto put = [](char* buf, size_t n, double v, int precision) {
            auto r = std::to_chars(buf, buf + n - 1, v, std::chars_format::fixed, precision);
            *r.ptr = 0;
        };
        put(lat, sizeof lat, 51.4 + (i % 20000) * 0.0000137, 7);
        put(lon, sizeof lon, 5.3 + (i / 20000) * 0.0011 + (i % 977) * 0.0000071, 7);
        put(ele, sizeof ele, 12.0 + (i % 300) * 0.1, 1);
        put(time, sizeof time, 45000.25 + i / 86400.0, 10);
    }
};

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    host::FakeClock clock;
    clock.offsetMinutes = 60;
    core::SymbolTable symbols;
    core::Document doc(symbols, clock);
    doc.NewTrack("ACTIVE LOG");
    // The input texts are made first, so only AddTrackpoint is timed.
    std::vector<PointTexts> input(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) input[static_cast<size_t>(i)].make(i);

    long before = residentKb("VmRSS:");
    auto t0 = std::chrono::steady_clock::now();
    for (const PointTexts& p : input) doc.AddTrackpoint(p.lat, p.lon, p.ele, p.time);
    double addAll = seconds(std::chrono::steady_clock::now() - t0);
    long after = residentKb("VmRSS:");
    long inputKb = static_cast<long>(input.size() * sizeof(PointTexts) / 1024);

    std::printf("points                 %d\n", n);
    std::printf("nodes                  %zu\n", doc.store().nodeCount());
    std::printf("AddTrackpoint total    %.3f s\n", addAll);
    std::printf("resident growth        %.1f MiB\n", (after - before) / 1024.0);
    std::printf("bytes per track point  %.1f (resident growth / points)\n", (after - before) * 1024.0 / n);
    std::printf("bytes per track point  %.1f (whole process resident less the input texts / points)\n",
                (after - inputKb) * 1024.0 / n);
    std::printf("check                  %s = %s\n", doc.getText(doc.currentCountNode).c_str(),
                std::to_string(n).c_str());
    return 0;
}
