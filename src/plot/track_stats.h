#pragma once
// Statistics of one track, segment, route or list of points: length, times,
// speeds and climb, worked out in one pass over the points. The main
// window's statistics panel and `pathkeep-cli info` both show them.

#include <array>
#include <string>
#include <vector>

#include "core/document.h"
#include "core/great_circle.h"
#include "core/point_list.h"

namespace plot {

// A step slower than this is a pause: a standing receiver drifts at up to
// about a metre a second, a slow walk uphill is above 2 km/h.
constexpr long double kMovingKmh = 1.8L;
// The maximum speed is the highest median of this many steps in a row (of
// all steps, when a track has fewer), so a single bad fix (two wild steps,
// out and back) cannot make it.
constexpr int kSpeedWindow = 5;
// Ascent and descent count only once the altitude has moved this far from
// the last level counted: GPS noise on flat ground stays below it.
constexpr long double kClimbHysteresisM = 5;
// A step over more than a day is no motion: the track was interrupted.
constexpr long double kMaxStepSeconds = 86400;

struct TrackStats {
    long points = 0;
    long double lengthKm = 0;
    // Times: only when a point has one (a serial number other than 0).
    bool timed = false;
    long double startTime = 0, endTime = 0;  // serial numbers of the first and last timed point
    long double durationS = 0;               // first to last time
    long double movingS = 0, movingKm = 0;   // steps at kMovingKmh and above
    bool hasSpeed = false;                   // a step with elapsed time
    long double maxKmh = 0;
    // Altitudes: only when a point has one other than 0 m (0 is also what a
    // point without an altitude reads as).
    bool hasAltitude = false;
    long double ascentM = 0, descentM = 0, lowestM = 0, highestM = 0;

    long double averageKmh() const { return durationS > 0 ? lengthKm / durationS * 3600 : 0; }
    long double movingAverageKmh() const { return movingS > 0 ? movingKm / movingS * 3600 : 0; }
};

// Takes points one at a time, in track order.
class TrackStatsCounter {
public:
    void add(const core::PointRecord& p);
    // The next point starts a new segment: no distance or speed across the gap.
    void breakLine();
    TrackStats result() const;

private:
    void step(long double km, long double seconds);
    void climb(long double altitudeM);
    double windowMedian() const;

    TrackStats s_;
    bool linked_ = false;  // a previous point in this segment
    core::GreatCircleWalk walk_;
    // Speed steps run from timed point to timed point.
    bool haveTime_ = false;
    long double lastTime_ = 0, kmSinceTime_ = 0;
    std::array<double, kSpeedWindow> window_{};
    int windowCount_ = 0, windowNext_ = 0;
    long double partialMax_ = 0;  // medians of windows that never filled
    long double levelM_ = 0;      // the altitude last counted as climbed or descended to
};

// Records 1..count of a point list.
TrackStats MeasurePoints(const core::PointList& points);
// The rows of a list view (LV1): positions, altitudes and serial numbers as
// the rows show them.
TrackStats MeasureRows(const core::ListRows& rows);

// The track, segment or route at or above `node`; kNoNode when there is none.
core::NodeId StatsSubject(const core::Document& doc, core::NodeId node);
// A track (its segments apart), a segment or a route. False when the
// loader's operation was cancelled.
bool MeasureNode(const core::Document& doc, core::PointLoader& loader, core::NodeId node, TrackStats& out);

// The figures in display order, each a caption (English) and its text.
enum StatField : int {
    kStatPoints, kStatLength, kStatDuration, kStatMoving, kStatAverage, kStatMovingAverage, kStatMaximum,
    kStatAscent, kStatDescent, kStatLowest, kStatHighest, kStatStart, kStatEnd, kStatFieldCount
};
extern const std::array<const char*, kStatFieldCount> kStatCaptions;
// Numbers with the given decimal separator; "-" where a figure is missing
// (no times, no altitudes).
std::array<std::string, kStatFieldCount> StatTexts(const TrackStats& stats, char decimalSeparator);

}  // namespace plot
