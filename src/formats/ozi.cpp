#include "formats/ozi.h"

#include <sys/stat.h>

#include <cmath>

#include "core/fn.h"
#include "core/text.h"
#include "formats/text_codec.h"

namespace formats {

namespace {

constexpr long double kFeetToMetres = 0.3048006L;  // reading
constexpr long double kMetresToFeet = 3.280833L;   // writing
constexpr int kPltHeaderLines = 6;
constexpr int kWptHeaderLines = 4;
constexpr const char* kOziComma = "\xC3\x91";  // character 209, as UTF-8

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Runs f over the data lines of a legacy text file after `skip` header lines.
// f gets the file's line number and the line; returning false stops.
template <typename F>
ReadOutcome forDataLines(Env& env, const std::string& fileName, int skip, F&& f) {
    ReadOutcome out;
    std::string bytes, error;
    if (!ReadWholeFile(fileName, bytes, error)) {
        out.readable = false;
        out.error.message = error;
        return out;
    }
    std::string text = DecodeLegacyText(bytes);
    int lineNumber = 0;
    ForEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        if (lineNumber <= skip) return true;
        int count = lineNumber - skip;
        if (!LineStep(env, count, line)) {
            out.cancelled = true;
            return false;
        }
        // Most files end with an empty line; it holds no point.
        if (core::Trim(line).empty()) return true;
        return f(lineNumber, line);
    });
    return out;
}

void skippedLine(Env& env, int lineNumber, std::string_view field) {
    env.report("Line " + std::to_string(lineNumber) + " skipped: the altitude \"" + std::string(field) +
               "\" is not a number");
}

std::string number(long double v) { return core::FloatToStrGeneral(v); }

}  // namespace

namespace ozi {

std::optional<std::string> AltitudeFieldToMetres(std::string_view feetField) {
    std::string field(core::Trim(feetField));
    if (field == "-777") return field;
    std::optional<long double> feet = core::ParseNumber(field);
    if (!feet) return std::nullopt;
    return std::to_string(static_cast<long long>(std::nearbyint(*feet * kFeetToMetres)));
}

std::string MetresToFeetField(long double metres) {
    if (number(metres) == "-777") return "-777";
    return std::to_string(static_cast<long long>(std::nearbyint(metres * kMetresToFeet)));
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

ReadOutcome PltBestandInlezen(Env& env, const std::string& fileName) {
    env.report("Read PLT file");
    if (!fileExists(fileName)) return {};
    env.doc.NewTrack("ACTIVE LOG");
    env.host.eventPump().setBusy(true);
    env.doc.beginBulk();
    ReadOutcome out = forDataLines(env, fileName, kPltHeaderLines, [&](int lineNumber, std::string_view line) {
        std::string feet = core::NmeaField(line, 4);
        std::optional<std::string> metres = ozi::AltitudeFieldToMetres(feet);
        if (!metres) {
            skippedLine(env, lineNumber, feet);
            return true;
        }
        env.doc.AddTrackpoint(core::NmeaField(line, 1), core::NmeaField(line, 2), *metres, core::NmeaField(line, 5));
        return true;
    });
    env.doc.endBulk();
    env.host.eventPump().setBusy(false);
    return out;
}

ReadOutcome WptBestandInlezen(Env& env, const std::string& fileName) {
    env.report("Read WPT file");
    if (!fileExists(fileName)) return {};
    env.doc.beginBulk();
    ReadOutcome out = forDataLines(env, fileName, kWptHeaderLines, [&](int lineNumber, std::string_view line) {
        std::string feet = core::NmeaField(line, 15);
        std::optional<std::string> metres = ozi::AltitudeFieldToMetres(feet);
        if (!metres) {
            skippedLine(env, lineNumber, feet);
            return true;
        }
        env.doc.AddWaypoint(core::NmeaField(line, 3), core::NmeaField(line, 4), *metres, core::NmeaField(line, 5),
                            ozi::CommasFromOzi(core::NmeaField(line, 2)), core::Symbol::none(), "", "");
        return true;
    });
    env.doc.endBulk();
    return out;
}

bool FillPointList(Env& env, bool saveSelectionOnly, WholeDocument whole) {
    core::Document& doc = env.doc;
    core::PointLoader loader = env.makeLoader();
    env.points.reset();
    if (!saveSelectionOnly) {
        if (whole == WholeDocument::Tracks)
            loader.ShowAllTracks(nullptr);
        else
            loader.ShowWaypoints(nullptr);
        return true;
    }
    if (doc.focused() == core::kNoNode) return false;
    std::string text = doc.getText(doc.focused());
    std::string_view word = core::FirstWord(text);
    if (word == "waypoints") loader.ShowWaypoints(nullptr);
    else if (word == "trackpoints") loader.ShowAllTracks(nullptr);
    else if (word == "trk") loader.ShowTrack(nullptr, doc.focused());
    return true;
}

namespace {

// Writes header and point lines as Windows-1252 text with CR LF; counts the
// characters that encoding cannot hold.
WriteOutcome writeLines(Env& env, const std::string& fileName, const std::vector<std::string>& header, int points,
                        const std::function<std::string(int)>& line) {
    AtomicFile file(fileName);
    if (!file.open()) return {false, file.error(), false};
    int replaced = 0;
    auto put = [&](const std::string& l) { file.write(EncodeWindows1252(l, replaced) + "\r\n"); };
    for (const auto& h : header) put(h);
    for (int i = 1; i <= points; ++i) {
        if (i % kYieldEvery == 0) {
            ShowProgress(env, i, points);
            env.host.eventPump().processEvents();
        }
        if (env.doc.cancelRequested) {
            file.discard();
            ShowProgress(env, points, points);
            return {false, "", true};
        }
        std::string l = line(i);
        if (i % kYieldEvery == 0) env.status(std::to_string(i) + " of " + std::to_string(points) + " " + l);
        put(l);
    }
    ShowProgress(env, points, points);
    if (!file.commit()) return {false, file.error(), false};
    if (replaced > 0)
        env.report(std::to_string(replaced) + " characters that an OziExplorer file cannot hold were written as \"?\"");
    return {};
}

}  // namespace

WriteOutcome SaveAsPLT(Env& env, const std::string& fileName, bool saveSelectionOnly) {
    env.report("Save file as PLT");
    if (!FillPointList(env, saveSelectionOnly, WholeDocument::Tracks)) return {};
    env.host.eventPump().setBusy(true);
    const core::PointList& pts = env.points;
    WriteOutcome out = writeLines(env, fileName,
                                  {"OziExplorer Track Point File Version 2.1", "WGS 84", "Altitude is in Feet",
                                   "Reserved 3", "0,2,255,Track description,0,0,2,8421376", "10"},
                                  pts.count(), [&](int i) {
                                      const core::PointRecord& r = pts[i];
                                      return "  " + number(r.lat) + "," + number(r.lon) + ",0," +
                                             ozi::MetresToFeetField(r.ele) + "," + number(r.time) + ",,";
                                  });
    env.host.eventPump().setBusy(false);
    return out;
}

WriteOutcome SaveAsWPT(Env& env, const std::string& fileName, bool saveSelectionOnly) {
    env.report("Save file as WPT");
    if (!FillPointList(env, saveSelectionOnly, WholeDocument::Waypoints)) return {};
    const core::PointList& pts = env.points;
    WriteOutcome out = writeLines(
        env, fileName, {"OziExplorer Waypoint File Version 1.1", "WGS 84", "Reserved 2", "garmin"},
        std::min(pts.count(), ozi::kMaxWaypoints), [&](int i) {
            const core::PointRecord& r = pts[i];
            return "  " + std::to_string(i) + "," + ozi::CommasToOzi(r.name) + "," + number(r.lat) + "," +
                   number(r.lon) + "," + number(r.time) + ",83, 1, 3, 0, 65535,, 0, 0, 0," +
                   ozi::MetresToFeetField(r.ele) + ", 6, 0,17,0,10.0,2,,,";
        });
    if (out.ok && pts.count() > ozi::kMaxWaypoints)
        env.host.prompts().show(env.message(19), host::Severity::Warning);
    return out;
}

}  // namespace formats
