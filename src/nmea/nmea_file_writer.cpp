#include "nmea/nmea_file_writer.h"

#include <cmath>
#include <optional>

#include "core/fn.h"
#include "nmea/rmc_builder.h"

namespace nmea {

namespace {

constexpr long double kSecondsPerDay = 86400;

std::string dateText(const core::DateTimeParts& t) {
    return core::ZeroPad(t.day, 2) + "-" + core::ZeroPad(t.month, 2) + "-" + core::ZeroPad(t.year, 4);
}

struct Position {
    long double lat = 0, lon = 0;
};

}  // namespace

std::string CheckNmeaFileOptions(const NmeaFileOptions& options) {
    if (!std::isfinite(options.speedMs) || options.speedMs <= 0)
        return "The driving speed must be a number above 0 (m/s).";
    if (!std::isfinite(options.stepS) || options.stepS <= 0)
        return "The time interval of the NMEA messages must be a number above 0 (s).";
    return {};
}

core::Result WriteNmeaSentences(const core::PointList& points, const NmeaFileOptions& options,
                                RmcBuilder& builder, formats::ByteSink& out, const MemoLine& memo,
                                core::Operation& operation, long& sentences) {
    sentences = 0;
    if (std::string problem = CheckNmeaFileOptions(options); !problem.empty()) return core::Result::failed(problem);
    const int count = points.count();
    if (count < 1) return core::Result::nothingToDo();
    // A speed far too small for the track would write without end.
    long double length = 0;
    for (int i = 2; i < count; ++i)
        length += core::DistanceKm(points[i - 1].lat, points[i - 1].lon, points[i].lat, points[i].lon) * 1000;
    if (length / (options.speedMs * options.stepS) > kMaxNmeaSentences)
        return core::Result::failed("The track is too long for this speed and time interval: more than " +
                                    std::to_string(kMaxNmeaSentences) + " sentences.");
    long double start = options.startSerial;
    if (options.time == TimeOption::Original) start = points[1].time;
    if (options.time == TimeOption::Original || options.time == TimeOption::Now)
        start -= options.utcOffsetMinutes / (24.0L * 60);
    if (options.time == TimeOption::GivenSpeed) start = 0;

    std::string line;
    // Time is the start plus whole steps, so it does not drift over a long walk.
    // The first sentence stands still with the speed text "0.0"; the walk's
    // sentences hand the builder numbers, which it writes as their general texts.
    auto emit = [&](const Position& at, std::optional<long double> knots, int n) -> core::Result {
        core::DateTimeParts t = core::DecodeDateTime(start + sentences * options.stepS / kSecondsPerDay);
        RmcResult r = knots ? builder.MaakRMC(at.lon, at.lat, dateText(t), core::TimeOfDayText(t), *knots)
                            : builder.MaakRMC(core::FloatToStrGeneral(at.lon), core::FloatToStrGeneral(at.lat),
                                              dateText(t), core::TimeOfDayText(t), "0.0");
        if (!r.ok) return core::Result::failed(r.error, 0, 0);
        line = r.sentence;
        line += "\r\n";
        if (!out.write(line) || out.failed()) return core::Result::failed("Cannot write the NMEA file");
        ++sentences;
        if (memo) memo(n == 0 ? r.sentence : std::to_string(n) + " : " + r.sentence);
        return core::Result::done();
    };

    Position cur{points[1].lat, points[1].lon};
    if (core::Result r = emit(cur, std::nullopt, 0); !r.isDone()) return r;
    const long double knots = options.speedMs * kKnotsPerMs;
    const long double stride = options.speedMs * options.stepS;  // metres per sentence
    const int last = count - 1;  // the walk ends here
    // n is the point walked towards; every sentence lies one stride further
    // along the segments, the last one on point `last`. Each point's sine
    // and cosine are worked out once, not at every sentence.
    auto spherical = [&](int i) { return core::ToSpherical(points[i].lat, points[i].lon); };
    int n = 2;
    core::SphericalPoint here = spherical(1), target = n <= last ? spherical(n) : here;
    while (n <= last) {
        long double remaining = stride;
        long double seg = core::DistanceKm(here, target) * 1000;
        while (seg < remaining && n < last) {
            remaining -= seg;
            cur = {points[n].lat, points[n].lon};
            here = target;
            target = spherical(++n);
            seg = core::DistanceKm(here, target) * 1000;
        }
        bool reached = !(seg > remaining);
        if (reached) {
            cur = {points[n].lat, points[n].lon};
            here = target;
        } else {
            long double f = remaining / seg;
            cur = {cur.lat + (points[n].lat - cur.lat) * f, cur.lon + (points[n].lon - cur.lon) * f};
            here = core::ToSpherical(cur.lat, cur.lon);
        }
        if (core::Result r = emit(cur, knots, n); !r.isDone()) return r;
        if (!operation.step(sentences)) return core::Result::cancelled();
        if (reached && ++n <= last) target = spherical(n);
    }
    return core::Result::done();
}

core::Result MaakNmeaBestand(const std::string& path, const core::PointList& points,
                             const NmeaFileOptions& options, RmcBuilder& builder, const MemoLine& memo,
                             core::Operation& operation, long& sentences) {
    sentences = 0;
    // Unusable values are refused before the file is touched.
    if (std::string problem = CheckNmeaFileOptions(options); !problem.empty()) return core::Result::failed(problem);
    if (points.count() < 1) return core::Result::nothingToDo();
    formats::AtomicFile file(path);
    if (!file.open()) return core::Result::failed(file.error());
    core::Result r = WriteNmeaSentences(points, options, builder, file, memo, operation, sentences);
    if (!r.isDone()) {
        if (r.isFailed() && file.failed()) return core::Result::failed(file.error());
        return r;  // the temporary file goes with `file`
    }
    if (!file.commit()) return core::Result::failed(file.error());
    return r;
}

}  // namespace nmea
