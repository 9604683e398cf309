// NMEA file creation ("Maak NMEA bestand") of a long drive: a track of
// 100,000 points 100 m apart driven at 10 m/s, one sentence a second,
// which makes 1,000,000 sentences. Prints the time the writing took.
// Usage: bench_nmea_create [OUT.log]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "core/operation.h"
#include "core/point_list.h"
#include "nmea/nmea_file_writer.h"
#include "nmea/rmc_builder.h"

int main(int argc, char** argv) {
    std::string out = argc > 1 ? argv[1] : "/tmp/pathkeep-bench/created.log";
    core::PointList points;
    double lat = 52.15, lon = 5.15;
    for (int i = 0; i < 100000; ++i) {
        // A winding road round a loop some 10,000 km long, so the drive
        // stays on the globe: 100 m a step (0.0009 degrees of latitude; the
        // longitude step is widened by 1 / cos of the latitude).
        double heading = i * (2 * M_PI / 100000) + std::sin(i * 0.01) * 0.5;
        lat += 0.000898 * std::cos(heading);
        lon += 0.000898 * std::sin(heading) / std::cos(lat * M_PI / 180);
        core::PointRecord& p = points.append();
        p.lat = lat;
        p.lon = lon;
    }
    nmea::RmcBuilder builder;
    builder.setPanelShown(false);  // as the command line does
    core::Operation operation;
    long sentences = 0;
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    core::Result r = nmea::MaakNmeaBestand(out, points, {10, 1, nmea::TimeOption::StartFrom, 39515.5}, builder,
                                           nullptr, operation, sentences);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (!r.isDone()) {
        std::fprintf(stderr, "failed: %s\n", r.message().c_str());
        return 1;
    }
    // The CPU time tells more than the wall time on a shared machine.
    std::printf("%ld sentences in %.2f s wall, %.2f s CPU (%.0f a CPU second) -> %s\n", sentences, seconds, cpu,
                sentences / cpu, out.c_str());
    return 0;
}
