#pragma once
// The benchmarks' million-point track: a wandering walk of one point a
// second around 52 N 5 E, some 20 km across, climbing and descending
// between 0 and 300 m.

#include <cmath>

namespace bench {

struct WalkPoint {
    long double lat, lon, ele, time;
};

inline WalkPoint WanderingWalk(int i, int count) {
    const double t = i / static_cast<double>(count);
    return {52 + 0.08 * std::sin(t * 37) + 0.02 * std::sin(t * 911),
            5 + 0.12 * std::cos(t * 23) + 0.03 * std::cos(t * 1301), 150 + 150 * std::sin(t * 17),
            40000 + i / 86400.0L};
}

}  // namespace bench
