#include "formats/ozi.h"

#include <cmath>

#include "core/fn.h"
#include "core/text.h"
#include "formats/field_checks.h"
#include "formats/text_codec.h"

namespace formats {

namespace {

constexpr long double kFeetToMetres = 0.3048006L;  // reading
constexpr long double kMetresToFeet = 3.280833L;   // writing
constexpr int kPltHeaderLines = 6;
constexpr int kWptHeaderLines = 4;
constexpr const char* kOziComma = "\xC3\x91";  // character 209, as UTF-8

// Runs f over the data lines of a legacy text file after `skip` header lines.
// f gets the file's line number and the line.
template <typename F>
core::Result forDataLines(Env& env, std::string_view bytes, int skip, F&& f) {
    std::string decoded;
    std::string_view text = DecodeLegacyTextView(bytes, decoded);
    int lineNumber = 0;
    bool going = true;
    ForEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        if (lineNumber <= skip) return true;
        if (!(going = env.operation.stepLine(lineNumber - skip, line))) return false;
        // Most files end with an empty line; it holds no point.
        if (core::Trim(line).empty()) return true;
        f(lineNumber, line);
        return true;
    });
    return going ? core::Result::done() : core::Result::cancelled();
}

void skippedLine(Env& env, int lineNumber, const char* what, std::string_view field, const char* because) {
    env.warning("Line " + std::to_string(lineNumber) + " skipped: the " + what + " \"" + QuoteField(field) + "\" " +
                because);
}

// The checked fields of a track or waypoint line, or none when the line is
// skipped (with a log line saying why).
struct PointFields {
    std::string lat, lon, metres, time;
    long double serial = 0;  // the time's value when there is one
};

std::optional<PointFields> pointFields(Env& env, int lineNumber, std::string_view lat, std::string_view lon,
                                       std::string_view feet, std::string_view date) {
    PointFields out;
    out.lat = std::string(core::Trim(lat));
    out.lon = std::string(core::Trim(lon));
    if (!out.lat.empty() || !out.lon.empty()) {  // a line with neither holds no point at all
        if (!ReadLatitude(out.lat)) {
            skippedLine(env, lineNumber, "latitude", lat, "is not a latitude");
            return std::nullopt;
        }
        if (!ReadLongitude(out.lon)) {
            skippedLine(env, lineNumber, "longitude", lon, "is not a longitude");
            return std::nullopt;
        }
    }
    std::optional<std::string> metres = ozi::AltitudeFieldToMetres(feet);
    if (!metres) {
        skippedLine(env, lineNumber, "altitude", feet, "is not a number");
        return std::nullopt;
    }
    out.metres = *metres;
    // A day number of 0 (or none) is how OziExplorer writes "no time".
    std::optional<long double> serial = core::ParseNumber(date);
    if (serial && *serial != 0) {
        if (SerialInRange(*serial)) {
            out.time = std::string(core::Trim(date));
            out.serial = *serial;
        }
        else
            env.warning("Line " + std::to_string(lineNumber) + ": the date \"" + QuoteField(date) +
                        "\" is outside the years 1 to 9999 and was left out");
    }
    return out;
}

std::string number(long double v) { return core::FloatToStrGeneral(v); }

}  // namespace

namespace ozi {

std::optional<std::string> AltitudeFieldToMetres(std::string_view feetField) {
    std::string field(core::Trim(feetField));
    if (field == "-777" || field.empty()) return "-777";
    std::optional<long double> feet = core::ParseNumber(field);
    if (!feet) return std::nullopt;
    long double metres = *feet * kFeetToMetres;
    if (!AltitudeInRange(metres)) return "-777";
    return std::to_string(static_cast<long long>(core::RoundHalfEven(metres)));
}

std::string MetresToFeetField(long double metres) {
    if (number(metres) == "-777" || !AltitudeInRange(metres)) return "-777";
    return std::to_string(static_cast<long long>(core::RoundHalfEven(metres * kMetresToFeet)));
}

std::string CommasToOzi(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ',')
            out += kOziComma;
        else
            out += c;
    }
    return out;
}

std::string CommasFromOzi(std::string_view text) {
    std::string out(text);
    for (size_t p = out.find(kOziComma); p != std::string::npos; p = out.find(kOziComma, p + 1)) out.replace(p, 2, ",");
    return out;
}

}  // namespace ozi

core::Result PltBestandInlezen(Env& env, const std::string& fileName) {
    FileBytes bytes;
    std::string error;
    if (!bytes.read(fileName, error)) return core::Result::failed(error);
    return ReadPltText(env, bytes.view());
}

core::Result WptBestandInlezen(Env& env, const std::string& fileName) {
    FileBytes bytes;
    std::string error;
    if (!bytes.read(fileName, error)) return core::Result::failed(error);
    return ReadWptText(env, bytes.view());
}

core::Result ReadPltText(Env& env, std::string_view bytes) {
    env.report("Read PLT file");
    env.doc.NewTrack("ACTIVE LOG");
    env.doc.beginBulk();
    core::Result out = forDataLines(env, bytes, kPltHeaderLines, [&](int lineNumber, std::string_view line) {
        std::string_view f[5];
        core::NmeaFieldViews(line, f, 5);
        std::optional<PointFields> p = pointFields(env, lineNumber, f[0], f[1], f[3], f[4]);
        // The time goes in as the XML text it is stored as: read once, not twice.
        if (p)
            env.doc.AddTrackpointXmlTime(p->lat, p->lon, p->metres,
                                         p->time.empty() ? std::string() : core::SerialToXml(p->serial, env.clock));
    });
    env.doc.endBulk();
    return out;
}

core::Result ReadWptText(Env& env, std::string_view bytes) {
    env.report("Read WPT file");
    env.doc.beginBulk();
    core::Result out = forDataLines(env, bytes, kWptHeaderLines, [&](int lineNumber, std::string_view line) {
        std::optional<PointFields> p =
            pointFields(env, lineNumber, core::NmeaFieldView(line, 3), core::NmeaFieldView(line, 4),
                        core::NmeaFieldView(line, 15), core::NmeaFieldView(line, 5));
        if (p)
            env.doc.AddWaypoint(p->lat, p->lon, p->metres, p->time, ozi::CommasFromOzi(core::NmeaField(line, 2)),
                                core::Symbol::none(), "", "");
    });
    env.doc.endBulk();
    return out;
}

std::optional<PointsToSave> PointsToSave::of(Env& env, const SaveOptions& options, WholeDocument whole) {
    core::Document& doc = env.doc;
    PointsToSave out;
    out.waypoints = whole == WholeDocument::Waypoints;
    out.track = core::kNoNode;
    if (options.selectionOnly) {
        core::NodeId focused = doc.focused();
        if (focused == core::kNoNode) return std::nullopt;
        out.waypoints = focused == doc.waypoints();
        if (doc.roleOf(focused) == core::NodeRole::Track)
            out.track = focused;
        else if (!out.waypoints && focused != doc.trackpoints())
            out.none = true;  // a point or line: the file gets its header only
    }
    out.total = out.none          ? 0
                : out.waypoints   ? static_cast<long>(doc.childCount(doc.waypoints()))
                : out.track != core::kNoNode ? static_cast<long>(doc.childCount(doc.segmentOf(out.track)))
                                             : doc.trackPointCount();
    return out;
}

bool PointsToSave::walk(Env& env, const core::PointLoader::Sink& sink) const {
    if (none) return true;
    core::PointLoader loader = env.loader();
    if (waypoints) return loader.eachWaypoint(sink);
    if (track != core::kNoNode) return loader.eachTrackPoint(track, sink);
    return loader.eachPointOfAllTracks(sink);
}

namespace {

// Writes header and point lines as Windows-1252 text with CR LF; counts the
// characters that encoding cannot hold. `line` gives the text of the n-th
// point, or nothing to stop there.
core::Result writeLines(Env& env, const std::string& fileName, const std::vector<std::string>& header,
                        const PointsToSave& points,
                        const std::function<std::optional<std::string>(int, const core::PointRecord&)>& line) {
    AtomicFile file(fileName);
    if (!file.open()) return core::Result::failed(file.error());
    int replaced = 0;
    auto put = [&](const std::string& l) { file.write(EncodeWindows1252(l, replaced) + "\r\n"); };
    for (const auto& h : header) put(h);
    int n = 0;
    bool stopped = false;
    core::Operation& op = env.operation;
    bool going = points.walk(env, [&](const core::PointRecord& r) {
        if (stopped) return;
        std::optional<std::string> l = line(++n, r);
        if (!l) {
            stopped = true;
            return;
        }
        if (n % kYieldEvery == 0) {
            env.status(std::to_string(n) + " of " + std::to_string(points.total) + " " + *l);
            op.showProgress(n, points.total);
        }
        put(*l);
    });
    op.hideProgress();
    if (!going) {
        file.discard();
        return core::Result::cancelled();
    }
    if (!file.commit()) return core::Result::failed(file.error());
    if (replaced > 0)
        env.warning(std::to_string(replaced) + " characters that an OziExplorer file cannot hold were written as \"?\"");
    return core::Result::done();
}

}  // namespace

core::Result SaveAsPLT(Env& env, const std::string& fileName, const SaveOptions& options) {
    env.report("Save file as PLT");
    std::optional<PointsToSave> points = PointsToSave::of(env, options, WholeDocument::Tracks);
    if (!points) return core::Result::nothingToDo();
    return writeLines(env, fileName,
                      {"OziExplorer Track Point File Version 2.1", "WGS 84", "Altitude is in Feet", "Reserved 3",
                       "0,2,255,Track description,0,0,2,8421376", "10"},
                      *points, [&](int, const core::PointRecord& r) {
                          return "  " + number(r.lat) + "," + number(r.lon) + ",0," +
                                 ozi::MetresToFeetField(r.ele) + "," + number(r.time) + ",,";
                      });
}

core::Result SaveAsWPT(Env& env, const std::string& fileName, const SaveOptions& options) {
    env.report("Save file as WPT");
    std::optional<PointsToSave> points = PointsToSave::of(env, options, WholeDocument::Waypoints);
    if (!points) return core::Result::nothingToDo();
    return writeLines(env, fileName, {"OziExplorer Waypoint File Version 1.1", "WGS 84", "Reserved 2", "garmin"},
                      *points, [&](int i, const core::PointRecord& r) -> std::optional<std::string> {
                          if (i > ozi::kMaxWaypoints) return std::nullopt;
                          return "  " + std::to_string(i) + "," + ozi::CommasToOzi(OneLine(r.name)) + "," + number(r.lat) +
                                 "," + number(r.lon) + "," + number(r.time) + ",83, 1, 3, 0, 65535,, 0, 0, 0," +
                                 ozi::MetresToFeetField(r.ele) + ", 6, 0,17,0,10.0,2,,,";
                      });
}

}  // namespace formats
