#include "plot/bounds.h"

#include <algorithm>
#include <cmath>

#include "core/fn.h"

namespace plot {

namespace {

constexpr int kMissingAltitude = -777;  // OziExplorer's mark for "no altitude"

// Round half to even, as the rest of the program rounds.
int roundAltitude(long double metres) {
    long double r = core::RoundHalfEven(metres);
    if (r > 2e9L) return 2000000000;
    if (r < -2e9L) return -2000000000;
    return static_cast<int>(r);
}

bool altitudeCounts(int a) { return a != 0 && a != kMissingAltitude; }

}  // namespace

namespace {

// With a point list it ends up holding every track point (the time diagrams
// draw from it); without one no point is kept.
bool determine(PlotState& s, core::Document& doc, core::PointLoader& loader, core::PointList* points,
               const ReportFn& report) {
    report("Determine bounds of all tracks");
    if (points) points->reset();
    // Nothing changed since the last time (a KML save right after opening).
    // The bounds node already holds these very ranges, so it is left as it is.
    if (s.determinedAt != 0 && s.determinedAt == doc.store().revision()) {
        if (points) loader.ShowAllTracks(*points);
        report("Store bounds in treeview");
        return !loader.cancelled();
    }
    // One pass over the points, without keeping them: the ranges with and
    // without western longitudes counted past 180° are both gathered, and the
    // antimeridian rule picks one at the end.
    PlotState n = s;
    n.totalDistance.reset();
    long n0 = 0;
    long double minShifted = 0, maxShifted = 0;
    // Western longitudes counted past 180°: a track across the antimeridian
    // then spans its real few degrees (179 .. 181), not 358 of them.
    auto shifted = [](long double lon) { return lon < 0 ? lon + 360 : lon; };
    bool completed = loader.eachPointOfAllTracks([&](const core::PointRecord& p) {
        if (points) points->append() = p;
        int a = roundAltitude(p.ele);
        if (++n0 == 1) {
            n.minLat = n.maxLat = p.lat;
            n.minLon = n.maxLon = p.lon;
            n.minAlt = n.maxAlt = a;
            n.minTime = n.maxTime = p.time;
            minShifted = maxShifted = shifted(p.lon);
            return;
        }
        if (altitudeCounts(a)) {
            if (a < n.minAlt) n.minAlt = a;
            if (a > n.maxAlt) n.maxAlt = a;
        }
        if (p.time != 0) {
            if (p.time < n.minTime || n.minTime == 0) n.minTime = p.time;
            if (p.time > n.maxTime) n.maxTime = p.time;
        }
        if (p.lat < n.minLat) n.minLat = p.lat;
        if (p.lat > n.maxLat) n.maxLat = p.lat;
        if (p.lon < n.minLon) n.minLon = p.lon;
        if (p.lon > n.maxLon) n.maxLon = p.lon;
        long double lon = shifted(p.lon);
        if (lon < minShifted) minShifted = lon;
        if (lon > maxShifted) maxShifted = lon;
    });
    if (!completed) return false;
    if (n0 == 0) return true;
    if (n.minAlt == n.maxAlt) n.maxAlt = n.minAlt + 2;
    if (n.maxLon - n.minLon > 180) {
        n.minLon = minShifted;
        n.maxLon = maxShifted;
    }
    s = n;
    StoreBounds(s, doc, report);
    s.determinedAt = doc.store().revision();
    return true;
}

}  // namespace

bool DetermineBounds(PlotState& s, core::Document& doc, core::PointLoader& loader, core::PointList& points,
                     const ReportFn& report) {
    return determine(s, doc, loader, &points, report);
}

bool DetermineRanges(PlotState& s, core::Document& doc, core::PointLoader& loader, const ReportFn& report) {
    return determine(s, doc, loader, nullptr, report);
}

long double TotalDistanceKm(PlotState& s, core::PointLoader& loader) {
    if (s.totalDistance) return *s.totalDistance;
    // Haversine in double precision: exact to far below a metre even for the
    // short steps of a track, where the cosine form needs extended precision.
    constexpr double kRadiansPerDegree = 0.017453292519943295, kEarthRadiusKm = 6378.137;
    double total = 0, lat0 = 0, lon0 = 0, cos0 = 1;
    bool first = true;
    bool completed = loader.eachPointOfAllTracks([&](const core::PointRecord& p) {
        double lat = static_cast<double>(p.lat) * kRadiansPerDegree, lon = static_cast<double>(p.lon) * kRadiansPerDegree;
        double cosLat = std::cos(lat);
        if (!first && (lat != lat0 || lon != lon0)) {
            double sinHalfLat = std::sin((lat - lat0) / 2), sinHalfLon = std::sin((lon - lon0) / 2);
            double h = sinHalfLat * sinHalfLat + cos0 * cosLat * sinHalfLon * sinHalfLon;
            total += 2 * std::atan2(std::sqrt(h), std::sqrt(std::max(0.0, 1 - h))) * kEarthRadiusKm;
        }
        first = false;
        lat0 = lat;
        lon0 = lon;
        cos0 = cosLat;
    });
    if (completed) s.totalDistance = total;
    return total;
}

void UpdateBounds(PlotState& s, const std::string& latText, const std::string& lonText, const std::string& eleText,
                  const std::string& timeText, const ReportFn& report) {
    report("Update bounds");
    s.determinedAt = 0;
    long double lat = core::StrToFloatAny(latText), lon = core::StrToFloatAny(lonText);
    long double ele = core::StrToFloatAny(eleText.empty() ? "0" : eleText);
    long double time = core::StrToFloatAny(timeText.empty() ? "0" : timeText);
    if (ele != 0 && ele != kMissingAltitude) {
        if (ele < s.minAlt) s.minAlt = roundAltitude(ele);
        if (ele > s.maxAlt) s.maxAlt = roundAltitude(ele);
    }
    if (time != 0) {
        if (time < s.minTime || s.minTime == 0) s.minTime = time;
        if (time > s.maxTime) s.maxTime = time;
    }
    // 0 stands for a bound not set yet.
    if (lat > s.maxLat || s.maxLat == 0) s.maxLat = lat;
    if (lat < s.minLat || s.minLat == 0) s.minLat = lat;
    // Bounds across the antimeridian count western longitudes past 180°.
    if (s.maxLon > 180 && lon < 0) lon += 360;
    if (lon > s.maxLon || s.maxLon == 0) s.maxLon = lon;
    if (lon < s.minLon || s.minLon == 0) s.minLon = lon;
}

void StoreBounds(const PlotState& s, core::Document& doc, const ReportFn& report) {
    report("Store bounds in treeview");
    core::NodeId bounds = core::kNoNode;
    for (core::NodeId c = doc.firstChild(doc.metadata()); c != core::kNoNode; c = doc.nextSibling(c))
        if (doc.getText(c) == "bounds") {
            bounds = c;
            break;
        }
    if (bounds == core::kNoNode) bounds = doc.appendNode(doc.metadata(), "bounds", core::kAttributeKind);
    doc.removeChildren(bounds);
    auto number = [](long double v) { return core::CommaToPoint(core::FloatToStrGeneral(v)); };
    doc.appendNode(bounds, "minlat = " + number(s.minLat), core::kAttributeKind);
    doc.appendNode(bounds, "maxlat = " + number(s.maxLat), core::kAttributeKind);
    // Written as GPX has them: within ±180°, minlon > maxlon across the antimeridian.
    auto wrapped = [](long double lon) { return lon > 180 ? lon - 360 : lon; };
    doc.appendNode(bounds, "minlon = " + number(wrapped(s.minLon)), core::kAttributeKind);
    doc.appendNode(bounds, "maxlon = " + number(wrapped(s.maxLon)), core::kAttributeKind);
}

}  // namespace plot
