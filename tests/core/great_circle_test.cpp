#include "core/great_circle.h"

#include <gtest/gtest.h>

#include "core/fn.h"

namespace {

// Arcs along a meridian or the equator are their change of angle times the
// radius; the last row is checked against DistanceKm itself.
TEST(GreatCircleWalk, StepsOnTheProgramsSphere) {
    constexpr long double kKmPerDegree = 6378.137L * 3.14159265358979323846L / 180;
    struct Row {
        const char* name;
        long double lat1, lon1, lat2, lon2, km;
    } rows[] = {
        {"a metre north", 52, 5, 52 + 0.001L / kKmPerDegree, 5, 0.001L},
        {"a kilometre east on the equator", 0, 5, 0, 5 + 1 / kKmPerDegree, 1},
        {"across 180 degrees", 0, 179.9995L, 0, -179.9995L, 0.001L * kKmPerDegree},
        {"a quarter of the equator", 0, -45, 0, 45, 90 * kKmPerDegree},
        {"half the earth", 0, 0, 0, 180, 180 * kKmPerDegree},
        {"standing still", 52.1L, 5.1L, 52.1L, 5.1L, 0},
        {"Amsterdam to Paris", 52.37L, 4.89L, 48.86L, 2.35L, core::DistanceKm(52.37L, 4.89L, 48.86L, 2.35L)},
    };
    for (const Row& r : rows) {
        core::GreatCircleWalk walk(r.lat1, r.lon1);
        EXPECT_NEAR(static_cast<double>(walk.stepKm(r.lat2, r.lon2)), static_cast<double>(r.km),
                    1e-9 + 1e-12 * static_cast<double>(r.km))
            << r.name;
    }
}

}  // namespace
