#pragma once
// NMEA file creation ("Maak NMEA bestand"): a log of "$GPRMC" sentences that
// drives along a track at a constant speed, one sentence per time step.
// Positions lie speed x step metres apart, measured along the track's
// segments; each sentence carries the speed in knots and the course from
// the previous sentence's position (RmcBuilder). The walk ends on the last
// point but one, as the simulation does: a track of one or two points gives
// the first sentence only. The stride holds up to that point: the last
// segment is walked like the others, not crossed in one jump.

#include <functional>
#include <string>

#include "core/operation.h"
#include "core/point_list.h"
#include "core/result.h"
#include "formats/atomic_file.h"
#include "nmea/simulation.h"

namespace nmea {

class RmcBuilder;

struct NmeaFileOptions {
    long double speedMs = 10;  // Edit25, "Rijsnelheid:"
    long double stepS = 1;     // Edit26, "Tijdsinterval NMEA berichten:"
    // The page's time option: the time of point 1 (Original), meDate and
    // meTime (StartFrom), now (Now), 30 December 1899 00:00 (GivenSpeed).
    TimeOption time = TimeOption::Now;
    long double startSerial = 0;  // the start for StartFrom and Now
    // The machine's offset from UTC of the point times and of now, which
    // are local: sentences carry UTC.
    int utcOffsetMinutes = 0;
};

// Why the speed or the step cannot be used (not a number above 0, or not
// finite); empty when both can. Nothing is written with such values: the
// walk would make no progress.
std::string CheckNmeaFileOptions(const NmeaFileOptions& options);

// One sentence written: its line for Memo3 ("n : sentence"; the first
// sentence alone).
using MemoLine = std::function<void(const std::string&)>;

// Writes the sentences for points 1..count of `points` to `out` (each line
// ended by CR LF). Done with the number of sentences in `sentences`;
// failed when the options are unusable, a sentence cannot be built or a
// write fails; nothing to do for an empty list; cancelled on request.
core::Result WriteNmeaSentences(const core::PointList& points, const NmeaFileOptions& options,
                                RmcBuilder& builder, formats::ByteSink& out, const MemoLine& memo,
                                core::Operation& operation, long& sentences);

// The same into a file, written atomically: a run that does not finish
// leaves what stood at `path` as it was.
core::Result MaakNmeaBestand(const std::string& path, const core::PointList& points,
                             const NmeaFileOptions& options, RmcBuilder& builder, const MemoLine& memo,
                             core::Operation& operation, long& sentences);

// More sentences than any use needs (some 3 GB of file): a walk that would
// write more is refused before it starts.
constexpr long kMaxNmeaSentences = 50'000'000;

// Knots in a metre a second.
constexpr long double kKnotsPerMs = 1.9438444924406047517L;

}  // namespace nmea
