#pragma once
// Great-circle steps along a line of points on the program's 6378.137 km
// sphere, the sphere of DistanceKm. The haversine form in double precision
// is as exact for steps of a metre as DistanceKm's cosine form in extended
// precision, at an eighth of its cost: diagrams and statistics measure
// millions of steps.

#include <algorithm>
#include <cmath>

namespace core {

class GreatCircleWalk {
public:
    GreatCircleWalk() = default;
    GreatCircleWalk(long double lat, long double lon) { moveTo(lat, lon); }  // degrees

    // Starts again at a point without measuring the way there.
    void moveTo(long double lat, long double lon) {
        lat_ = static_cast<double>(lat) * kRadiansPerDegree;
        lon_ = static_cast<double>(lon) * kRadiansPerDegree;
        cosLat_ = std::cos(lat_);
    }
    // The distance from the previous point to this one, which becomes the previous.
    long double stepKm(long double latDeg, long double lonDeg) {
        const double lat = static_cast<double>(latDeg) * kRadiansPerDegree;
        const double lon = static_cast<double>(lonDeg) * kRadiansPerDegree;
        if (lat == lat_ && lon == lon_) return 0;
        const double cosLat = std::cos(lat);
        const double a = std::sin((lat - lat_) / 2), b = std::sin((lon - lon_) / 2);
        const double h = std::min(1.0, a * a + cosLat_ * cosLat * b * b);
        lat_ = lat;
        lon_ = lon;
        cosLat_ = cosLat;
        return 2 * kEarthRadiusKm * std::asin(std::sqrt(h));
    }

private:
    static constexpr double kRadiansPerDegree = 0.017453292519943295769;
    static constexpr double kEarthRadiusKm = 6378.137;
    double lat_ = 0, lon_ = 0, cosLat_ = 1;
};

}  // namespace core
