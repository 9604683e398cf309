#include "formats/file_type.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "core/fn.h"
#include "core/text.h"
#include "formats/csv_import.h"
#include "formats/kml.h"
#include "formats/legacy_text.h"
#include "formats/nmea_log.h"
#include "formats/text_codec.h"
#include "formats/ozi.h"
#include "formats/text_export.h"

namespace formats {

namespace {

bool contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

// A delimited text file is read by the columns the user chose.
core::Result readCsv(Env& env, const std::string& path, const ReadOptions& options) {
    if (!options.csv) return core::Result::nothingToDo("No columns chosen for the delimited text");
    FileBytes bytes;
    std::string error, decoded;
    if (!bytes.read(path, error)) return core::Result::failed(error);
    return CsvBestandInlezen(env, DecodeLegacyTextView(bytes.view(), decoded), *options.csv);
}

core::Result readNmeaLog(Env& env, const std::string& path, const ReadOptions& options) {
    return NmeaBestandInlezen(env, path, NmeaLogOptions{options.allTalkers});
}

template <core::Result (*F)(Env&, const std::string&)>
core::Result plainReader(Env& env, const std::string& path, const ReadOptions&) {
    return F(env, path);
}

}  // namespace

// One row per format, in the order of the open dialog's filter list.
const std::vector<FormatRow>& Formats() {
    static const std::vector<FormatRow> rows = {
        {FileType::PathkeepOwn, {"Pathkeep file", {"*.pathkeep"}}, plainReader<PathkeepBestandInlezen>,
         std::nullopt, nullptr, nullptr, nullptr, nullptr},
        {FileType::Gpx, {"GPS Exchange format file", {"*.gpx"}}, plainReader<GpxBestandInlezen>, SaveFormat::Gpx,
         "gpx", ".gpx", "GPX - GPS Exchange format", SaveAsGPX},
        {FileType::Kml, {"Google Earth KML file", {"*.kml"}}, plainReader<KmlBestandInlezen>, SaveFormat::Kml, "kml",
         ".kml", "KML - Keyhole Markup Language (Google Earth)", SaveAsKML},
        {FileType::OziTrack, {"Ozi Trackpoint file", {"*.plt"}}, plainReader<PltBestandInlezen>, SaveFormat::Plt,
         "plt", ".plt", "PLT - Ozi Trackpoints", SaveAsPLT},
        {FileType::OziWaypoint, {"Ozi Waypoint file", {"*.wpt"}}, plainReader<WptBestandInlezen>, SaveFormat::Wpt,
         "wpt", ".wpt", "WPT - Ozi Waypoints", SaveAsWPT},
        {FileType::NmeaLog, {"NMEA LOG file", {"*.log", "*.nmea", "*.txt"}}, readNmeaLog, std::nullopt, nullptr, nullptr, nullptr,
         nullptr},
        {FileType::EasyGps, {"EasyGPS (Waypoint+) file", {"*.txt"}}, plainReader<EasyGpsBestandInlezen>,
         std::nullopt, nullptr, nullptr, nullptr, nullptr},
        {FileType::Csv, {"Excel file", {"*.csv"}}, readCsv, std::nullopt, nullptr, nullptr, nullptr, nullptr},
        // Text for route planners is only written.
        {FileType::Unknown, {}, nullptr, SaveFormat::Txt, "txt", ".txt", "TXT - Text file (for AutoRoute import)",
         SaveAsTXT},
    };
    return rows;
}

namespace {

const FormatRow* rowOf(FileType type) {
    for (const auto& r : Formats())
        if (r.type == type && type != FileType::Unknown) return &r;
    return nullptr;
}

}  // namespace

FileHead HeadOfText(std::string_view text) {
    text = text.substr(0, kHeadBytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 byte order mark
    FileHead head;
    head.block = core::AsciiLower(text);
    size_t pos = 0;
    for (int line = 0; line < 2 && pos <= text.size(); ++line) {
        size_t eol = text.find('\n', pos);
        std::string_view l = text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        head.lines += l;
        if (eol == std::string_view::npos) break;
        pos = eol + 1;
    }
    return head;
}

namespace {

// Receiver captures (gpsd's test logs, for one) open with "#" comment lines:
// the first line that is neither empty nor a comment tells.
bool startsWithSentenceAfterComments(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        std::string_view line = text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        if (!core::Trim(line).empty() && line[0] != '#') return line[0] == '$';
        if (eol == std::string_view::npos) break;
        pos = eol + 1;
    }
    return false;
}

}  // namespace

bool ReadFileHead(const std::string& path, FileHead& head, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot open file \"" + path + "\". " + std::strerror(errno) + ".";
        return false;
    }
    std::string buf(kHeadBytes, '\0');
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    if (in.bad()) {
        error = "Cannot read file \"" + path + "\".";
        return false;
    }
    buf.resize(static_cast<size_t>(in.gcount()));
    head = HeadOfText(buf);
    return true;
}

FileType DetectFileType(const FileHead& head, std::string_view extension) {
    const std::string& h = head.lines;
    std::string lower = core::AsciiLower(h);
    // Garmin GPX files name "WaypointExtension" in their first lines; the
    // OziExplorer tests only apply to text that is not XML.
    bool xml = core::StartsWith(lower, "<?xml") || contains(lower, "<gpx") || contains(lower, "<kml");
    if (contains(h, "Pathkeep File")) return FileType::PathkeepOwn;
    if (!xml && contains(h, "Waypoint")) return FileType::OziWaypoint;
    if (!xml && contains(h, "Track Point")) return FileType::OziTrack;
    if (!h.empty() && h[0] == '$') return FileType::NmeaLog;
    if (startsWithSentenceAfterComments(head.block)) return FileType::NmeaLog;
    if (lower.substr(0, 6) == "datum,") return FileType::EasyGps;
    if (contains(lower, "<gpx")) return FileType::Gpx;
    if (contains(lower, "<kml")) return FileType::Kml;
    // A comment or a long declaration can push the root tag past line two.
    if (contains(head.block, "<gpx")) return FileType::Gpx;
    if (contains(head.block, "<kml")) return FileType::Kml;
    if (extension == ".csv") return FileType::Csv;
    return FileType::Unknown;
}

const char* FileTypeName(FileType type) {
    switch (type) {
        case FileType::PathkeepOwn: return "Pathkeep";
        case FileType::OziWaypoint: return "OziExplorer waypoint";
        case FileType::OziTrack: return "OziExplorer track";
        case FileType::NmeaLog: return "NMEA log";
        case FileType::EasyGps: return "EasyGPS";
        case FileType::Gpx: return "GPX";
        case FileType::Kml: return "KML";
        case FileType::Csv: return "CSV";
        case FileType::Unknown: break;
    }
    return "unknown";
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtensionOf(const std::string& path) {
    std::string name = FileNameOf(path);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : core::AsciiLower(name.substr(dot));
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    std::string name = FileNameOf(path);
    size_t dot = name.find_last_of('.');
    std::string stem = dot == std::string::npos ? path : path.substr(0, path.size() - (name.size() - dot));
    return stem + extension;
}

ReadFn ReaderFor(FileType type) {
    const FormatRow* r = rowOf(type);
    return r ? r->read : nullptr;
}

const std::vector<SaveFormatRow>& SaveFormats() {
    static const std::vector<SaveFormatRow> rows = [] {
        // The save dialog lists them in the order of the enumeration.
        std::vector<SaveFormatRow> out;
        for (SaveFormat f : {SaveFormat::Gpx, SaveFormat::Kml, SaveFormat::Plt, SaveFormat::Wpt, SaveFormat::Txt})
            for (const auto& r : Formats())
                if (r.save == f) out.push_back({f, r.id, r.extension, r.saveCaption, r.write});
        return out;
    }();
    return rows;
}

const SaveFormatRow* SaveFormatById(std::string_view id) {
    for (const auto& r : SaveFormats())
        if (r.id == id) return &r;
    return nullptr;
}

const SaveFormatRow& SaveFormatOf(SaveFormat format) {
    for (const auto& r : SaveFormats())
        if (r.format == format) return r;
    return SaveFormats().front();
}

SaveFormat SaveFormatForExtension(std::string_view extension) {
    for (const auto& r : SaveFormats())
        if (r.extension == extension) return r.format;
    return SaveFormat::Gpx;
}

std::vector<host::FileFilter> OpenFilters() {
    std::vector<host::FileFilter> filters;
    for (const auto& r : Formats())
        if (r.type != FileType::Unknown) filters.push_back(r.openFilter);
    filters.push_back({"All files", {"*.*"}});
    return filters;
}

}  // namespace formats
