#include "map/simplify.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace map {

namespace {

// Ranges shorter than this are split at their farthest point whatever its place.
constexpr size_t kBalancedBelow = 32;

// Squared distance from p to the segment a-b.
double distance2(WorldPoint p, WorldPoint a, WorldPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return ex * ex + ey * ey;
}

}  // namespace

double ToleranceAt(int zoom) { return kKeepWithinPx / WorldPixels(zoom); }

std::vector<float> Significance(std::span<const WorldPoint> line, double finest) {
    const size_t n = line.size();
    std::vector<float> significance(n, 0.0f);
    if (n == 0) return significance;
    significance.front() = significance.back() = std::numeric_limits<float>::infinity();
    // A stack instead of recursion: a million points may nest deep.
    struct Range {
        size_t first, last;
        float cap;  // the significance of the point that made this range
    };
    std::vector<Range> stack;
    if (n > 2) stack.push_back({0, n - 1, std::numeric_limits<float>::infinity()});
    const double finest2 = finest * finest;
    while (!stack.empty()) {
        const Range r = stack.back();
        stack.pop_back();
        double farthest2 = -1;
        size_t at = r.first;
        for (size_t i = r.first + 1; i < r.last; ++i) {
            double d2 = distance2(line[i], line[r.first], line[r.last]);
            if (d2 > farthest2) {
                farthest2 = d2;
                at = i;
            }
        }
        if (farthest2 <= finest2) continue;  // everything between stays 0
        // A farthest point next to an end (a zigzag, laps of one course)
        // would peel one point a pass off a long range: a million points
        // would then cost a million passes. The middle point splits such a
        // range instead, carrying the range's farthest distance, so that
        // leaving it out still means the whole range lies within reach.
        const size_t length = r.last - r.first;
        if (length > kBalancedBelow && (at - r.first < length / 8 || r.last - at < length / 8))
            at = r.first + length / 2;
        // A point can matter no more than the split that made its range.
        const float s = std::min(static_cast<float>(std::sqrt(farthest2)), r.cap);
        significance[at] = s;
        if (at - r.first > 1) stack.push_back({r.first, at, s});
        if (r.last - at > 1) stack.push_back({at, r.last, s});
    }
    return significance;
}

std::vector<std::uint32_t> KeptAt(std::span<const float> significance, double tolerance) {
    std::vector<std::uint32_t> kept;
    const float t = static_cast<float>(tolerance);
    for (size_t i = 0; i < significance.size(); ++i)
        if (significance[i] > t) kept.push_back(static_cast<std::uint32_t>(i));
    return kept;
}

}  // namespace map
