#include "formats/legacy_text.h"

#include <sys/stat.h>

#include "core/fn.h"
#include "core/text.h"
#include "formats/file_type.h"
#include "formats/text_codec.h"

namespace formats {

namespace {

constexpr const char* kProductSite = "https://pathkeep.example/";

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The decoded text of a legacy file; false with a message when unreadable.
bool readText(const std::string& path, std::string& text, ReadOutcome& out) {
    std::string bytes, error;
    if (!ReadWholeFile(path, bytes, error)) {
        out.readable = false;
        out.error.message = error;
        return false;
    }
    text = DecodeLegacyText(bytes);
    return true;
}

}  // namespace

ReadOutcome PathkeepBestandInlezen(Env& env, const std::string& fileName) {
    ReadOutcome out;
    env.report("Read Pathkeep file");
    std::string text;
    if (!exists(fileName) || !readText(fileName, text, out)) return out;
    env.doc.NewTrack("ACTIVE LOG");
    env.host.eventPump().setBusy(true);
    env.doc.beginBulk();
    int count = -1;  // the heading line is skipped
    ForEachLine(text, [&](std::string_view line) {
        if (++count == 0) return true;
        if (!LineStep(env, count, line)) {
            out.cancelled = true;
            return false;
        }
        auto field = [&](int n) { return core::BracketField(line, n); };
        if (field(10) == "W")
            env.doc.AddWaypoint(field(4), field(5), field(6), field(7), field(3), core::Symbol::number(field(11)), "",
                                "");
        else
            env.doc.AddTrackpoint(field(4), field(5), field(6), field(7));
        return true;
    });
    env.doc.endBulk();
    env.host.eventPump().setBusy(false);
    return out;
}

ReadOutcome EasyGpsBestandInlezen(Env& env, const std::string& fileName) {
    ReadOutcome out;
    env.report("Read Easy GPS file");
    std::string text;
    if (!exists(fileName) || !readText(fileName, text, out)) return out;
    env.doc.NewTrack("ACTIVE LOG");
    bool first = true;
    ForEachLine(text, [&](std::string_view line) {
        if (first) {
            first = false;
            return true;
        }
        if (line.substr(0, 2) == "TP") env.doc.AddTrackpoint(core::NmeaField(line, 3), core::NmeaField(line, 4), "", "");
        return true;
    });
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
    // The file declares ISO-8859-1, so it is written in that encoding; names
    // and descriptions are escaped so that a "&" cannot break it.
    int replaced = 0;
    std::string out = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\r\n<gpx \r\n version=\"1.0\" \r\n";
    out += std::string(" creator=\"Pathkeep - ") + kProductSite + "\">\r\n";
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
        out += "<wpt lat=\"" + xml::escape(core::NmeaField(line, 6)) + "\" lon=\"" + xml::escape(core::NmeaField(line, 7)) +
               "\">\r\n";
        out += "  <name>" + xml::escape(number) + "</name>\r\n";
        out += "  <desc>" + xml::escape(core::NmeaField(line, 14)) + "</desc>\r\n";
        out += "  <sym>Waypoint</sym>\r\n  <type>Waypoint</type>\r\n</wpt>\r\n";
        return true;
    });
    out += "</gpx>\r\n";
    AtomicFile file(r.outputPath);
    std::string latin1 = EncodeWindows1252(out, replaced);
    if (!file.open() || !file.write(latin1) || !file.commit()) {
        r.status = RouteConversion::Status::Unwritable;
        r.error = file.error();
    }
    return r;
}

}  // namespace formats
