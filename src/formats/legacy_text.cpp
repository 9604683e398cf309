#include "formats/legacy_text.h"

#include "core/fn.h"
#include "core/text.h"
#include "formats/file_type.h"
#include "formats/text_codec.h"

namespace formats {

namespace {

constexpr const char* kProductSite = "https://pathkeep.example/";

// Runs f over the lines of a legacy file after its heading line.
template <typename F>
core::Result forLinesAfterHeading(Env& env, std::string_view bytes, F&& f) {
    std::string decoded;
    std::string_view text = DecodeLegacyTextView(bytes, decoded);
    int count = -1;  // the heading line is skipped
    bool going = true;
    ForEachLine(text, [&](std::string_view line) {
        if (++count == 0) return true;
        if (!(going = env.operation.stepLine(count, line))) return false;
        f(line);
        return true;
    });
    return going ? core::Result::done() : core::Result::cancelled();
}

}  // namespace

core::Result PathkeepBestandInlezen(Env& env, const std::string& fileName) {
    FileBytes bytes;
    std::string error;
    if (!bytes.read(fileName, error)) return core::Result::failed(error);
    return ReadPathkeepText(env, bytes.view());
}

core::Result EasyGpsBestandInlezen(Env& env, const std::string& fileName) {
    FileBytes bytes;
    std::string error;
    if (!bytes.read(fileName, error)) return core::Result::failed(error);
    return ReadEasyGpsText(env, bytes.view());
}

core::Result ReadPathkeepText(Env& env, std::string_view bytes) {
    env.report("Read Pathkeep file");
    env.doc.NewTrack("ACTIVE LOG");
    env.doc.beginBulk();
    core::Result out = forLinesAfterHeading(env, bytes, [&](std::string_view line) {
        auto field = [&](int n) { return core::BracketField(line, n); };
        if (field(10) == "W")
            env.doc.AddWaypoint(field(4), field(5), field(6), field(7), field(3), core::Symbol::number(field(11)), "",
                                "");
        else
            env.doc.AddTrackpoint(field(4), field(5), field(6), field(7));
    });
    env.doc.endBulk();
    return out;
}

core::Result ReadEasyGpsText(Env& env, std::string_view bytes) {
    env.report("Read Easy GPS file");
    env.doc.NewTrack("ACTIVE LOG");
    env.doc.beginBulk();
    core::Result out = forLinesAfterHeading(env, bytes, [&](std::string_view line) {
        if (line.substr(0, 2) == "TP") env.doc.AddTrackpoint(core::NmeaField(line, 3), core::NmeaField(line, 4), "", "");
    });
    env.doc.endBulk();
    return out;
}

RouteConversion ConvertRouteFile(const std::string& rteFile) {
    RouteConversion r;
    std::string bytes;
    if (!ReadWholeFile(rteFile, bytes, r.error)) {
        r.status = RouteConversion::Status::Unreadable;
        return r;
    }
    std::string text = DecodeLegacyText(bytes);
    std::string first;
    ForEachLine(text, [&](std::string_view line) {
        first = std::string(line);
        return false;
    });
    if (core::AsciiLower(first.substr(0, 22)) != "oziexplorer route file") {
        r.status = RouteConversion::Status::NotARouteFile;
        return r;
    }
    r.outputPath = ReplaceExtension(rteFile, ".gpx");
    // GPX 1.0 in UTF-8, which is what the declaration says; names and
    // descriptions are escaped by the writer.
    AtomicFile file(r.outputPath);
    if (!file.open()) {
        r.status = RouteConversion::Status::Unwritable;
        r.error = file.error();
        return r;
    }
    xml::Writer w(file);
    w.startDocument("yes");
    w.start("gpx");
    w.attribute("version", "1.0");
    w.attribute("creator", std::string("Pathkeep - ") + kProductSite);
    bool heading = true;
    ForEachLine(text, [&](std::string_view line) {
        if (heading) {
            heading = false;
            return true;
        }
        if (core::AsciiLower(core::NmeaField(line, 1)) != "w") return true;
        ++r.waypoints;
        std::string number = core::NmeaField(line, 3);
        while (number.size() < 3) number = "0" + number;
        gpx::PointElement p;
        p.lat = core::NmeaField(line, 6);
        p.lon = core::NmeaField(line, 7);
        p.hasLat = p.hasLon = true;
        p.children = {{"name", number}, {"desc", core::NmeaField(line, 14)}, {"sym", "Waypoint"}, {"type", "Waypoint"}};
        gpx::writePointElement(w, "wpt", p);
        return true;
    });
    if (!(w.finish() && file.commit())) {
        r.status = RouteConversion::Status::Unwritable;
        r.error = file.error();
    }
    return r;
}

}  // namespace formats
