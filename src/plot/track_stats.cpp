#include "plot/track_stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/fn.h"

namespace plot {

namespace {

constexpr long double kSecondsPerDay = 86400;

}  // namespace

void TrackStatsCounter::add(const core::PointRecord& p) {
    ++s_.points;
    if (linked_) {
        const long double km = walk_.stepKm(p.lat, p.lon);
        s_.lengthKm += km;
        kmSinceTime_ += km;
    } else {
        walk_.moveTo(p.lat, p.lon);
        linked_ = true;
    }

    if (p.time != 0) {
        if (!s_.timed) s_.startTime = p.time;
        s_.timed = true;
        s_.endTime = p.time;
        if (haveTime_) {
            const long double seconds = (p.time - lastTime_) * kSecondsPerDay;
            // Equal times (fixes rounded to the second) add their distance to the next step.
            if (seconds > 0 && seconds <= kMaxStepSeconds) step(kmSinceTime_, seconds);
            if (seconds != 0) {
                lastTime_ = p.time;
                kmSinceTime_ = 0;
            }
        } else {
            haveTime_ = true;
            lastTime_ = p.time;
            kmSinceTime_ = 0;
        }
    }
    climb(p.ele);
}

void TrackStatsCounter::breakLine() {
    if (windowCount_ < kSpeedWindow && windowCount_ > 0)
        partialMax_ = std::max<long double>(partialMax_, windowMedian());
    linked_ = false;
    haveTime_ = false;
    windowCount_ = windowNext_ = 0;
}

void TrackStatsCounter::step(long double km, long double seconds) {
    const long double kmh = km / seconds * 3600;
    s_.hasSpeed = true;
    if (kmh >= kMovingKmh) {
        s_.movingS += seconds;
        s_.movingKm += km;
    }
    window_[static_cast<size_t>(windowNext_)] = static_cast<double>(kmh);
    windowNext_ = (windowNext_ + 1) % kSpeedWindow;
    const bool filled = windowCount_ == kSpeedWindow - 1;
    if (windowCount_ < kSpeedWindow) ++windowCount_;
    // Once a window has been counted, the next one's median can pass the
    // maximum only through a step that passes it: most steps skip the sort.
    if (filled || (windowCount_ == kSpeedWindow && kmh > s_.maxKmh))
        s_.maxKmh = std::max<long double>(s_.maxKmh, windowMedian());
}

// The middle of the steps in the window; of an even count the lower one.
double TrackStatsCounter::windowMedian() const {
    std::array<double, kSpeedWindow> v = window_;
    // Insertion sort: the window is a handful of steps, sorted once a point.
    for (int i = 1; i < windowCount_; ++i)
        for (int j = i; j > 0 && v[static_cast<size_t>(j)] < v[static_cast<size_t>(j - 1)]; --j)
            std::swap(v[static_cast<size_t>(j)], v[static_cast<size_t>(j - 1)]);
    return v[static_cast<size_t>((windowCount_ - 1) / 2)];
}

// A point without an altitude reads as 0 m; counting it would add a climb
// from sea level and back, so 0 m is left out.
void TrackStatsCounter::climb(long double altitudeM) {
    if (altitudeM == 0) return;
    if (!s_.hasAltitude) {
        s_.hasAltitude = true;
        s_.lowestM = s_.highestM = levelM_ = altitudeM;
        return;
    }
    s_.lowestM = std::min(s_.lowestM, altitudeM);
    s_.highestM = std::max(s_.highestM, altitudeM);
    const long double rise = altitudeM - levelM_;
    if (rise >= kClimbHysteresisM)
        s_.ascentM += rise;
    else if (-rise >= kClimbHysteresisM)
        s_.descentM -= rise;
    else
        return;
    levelM_ = altitudeM;
}

TrackStats TrackStatsCounter::result() const {
    TrackStats r = s_;
    r.durationS = std::max<long double>(0, (r.endTime - r.startTime) * kSecondsPerDay);
    if (r.maxKmh == 0) r.maxKmh = std::max<long double>(partialMax_, windowCount_ > 0 ? windowMedian() : 0);
    return r;
}

TrackStats MeasurePoints(const core::PointList& points) {
    TrackStatsCounter counter;
    for (int i = 1; i <= points.count(); ++i) counter.add(points[i]);
    return counter.result();
}

TrackStats MeasureRows(const core::ListRows& rows) {
    TrackStatsCounter counter;
    core::PointRecord p;
    for (size_t i = 0; i < rows.size(); ++i) {
        const core::RowValues v = rows.values(i);
        p.lat = v.lat;
        p.lon = v.lon;
        p.ele = v.ele;
        p.time = v.time;
        counter.add(p);
    }
    return counter.result();
}

core::NodeId StatsSubject(const core::Document& doc, core::NodeId node) {
    for (core::NodeId n = node; n != core::kNoNode && n != core::kRootNode; n = doc.parent(n)) {
        const core::NodeRole role = doc.roleOf(n);
        if (role == core::NodeRole::Track || role == core::NodeRole::Segment || role == core::NodeRole::Route) return n;
        if (role == core::NodeRole::Container || role == core::NodeRole::None) break;
    }
    return core::kNoNode;
}

bool MeasureNode(const core::Document& doc, core::PointLoader& loader, core::NodeId node, TrackStats& out) {
    TrackStatsCounter counter;
    auto sink = [&counter](const core::PointRecord& p) { counter.add(p); };
    bool complete = true;
    switch (doc.roleOf(node)) {
        case core::NodeRole::Track:
            for (core::NodeId c = doc.firstChild(node); c != core::kNoNode && complete; c = doc.nextSibling(c))
                if (doc.roleOf(c) == core::NodeRole::Segment) {
                    complete = loader.eachSegmentPoint(c, sink);
                    counter.breakLine();
                }
            break;
        case core::NodeRole::Segment:
            complete = loader.eachSegmentPoint(node, sink);
            break;
        case core::NodeRole::Route:
            complete = loader.eachRoutePoint(node, sink);
            break;
        default:
            break;
    }
    out = counter.result();
    return complete;
}

const std::array<const char*, kStatFieldCount> kStatCaptions = {
    "Points:",         "Length:",        "Duration:", "Moving time:", "Average speed:",
    "Moving average:", "Maximum speed:", "Ascent:",   "Descent:",     "Lowest:",
    "Highest:",        "Start:",         "End:"};

namespace {

std::string fixed(long double value, int decimals, const char* unit, char separator) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Lf %s", decimals, value, unit);
    return core::ToLocalDecimal(buffer, separator);
}

// "h:mm:ss", hours going past 24.
std::string duration(long double seconds) {
    const long long s = std::llround(seconds);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return buffer;
}

}  // namespace

std::array<std::string, kStatFieldCount> StatTexts(const TrackStats& s, char sep) {
    std::array<std::string, kStatFieldCount> t;
    t.fill("-");
    t[kStatPoints] = std::to_string(s.points);
    t[kStatLength] = fixed(s.lengthKm, 2, "km", sep);
    if (s.timed) {
        t[kStatDuration] = duration(s.durationS);
        t[kStatStart] = core::DateTimeText(s.startTime);
        t[kStatEnd] = core::DateTimeText(s.endTime);
    }
    if (s.hasSpeed) {
        t[kStatMoving] = duration(s.movingS);
        t[kStatAverage] = fixed(s.averageKmh(), 1, "km/h", sep);
        t[kStatMovingAverage] = fixed(s.movingAverageKmh(), 1, "km/h", sep);
        t[kStatMaximum] = fixed(s.maxKmh, 1, "km/h", sep);
    }
    if (s.hasAltitude) {
        t[kStatAscent] = fixed(s.ascentM, 0, "m", sep);
        t[kStatDescent] = fixed(s.descentM, 0, "m", sep);
        t[kStatLowest] = fixed(s.lowestM, 0, "m", sep);
        t[kStatHighest] = fixed(s.highestM, 0, "m", sep);
    }
    return t;
}

}  // namespace plot
