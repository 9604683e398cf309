#include "formats/kml.h"

#include "core/fn.h"
#include "core/text.h"

namespace formats {

using core::kNoNode;
using core::NodeId;

namespace {

constexpr const char* kKmlNamespace = "http://www.opengis.net/kml/2.2";

std::string number(long double v) { return core::CommaToPoint(core::FloatToStrGeneral(v)); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void writeHead(xml::Writer& w, const ViewBox& s) {
    w.startDocument();
    w.start("kml");
    w.attribute("xmlns", kKmlNamespace);
    w.start("Document");
    w.element("name", "Pathkeep");
    w.element("open", "1");
    w.start("LookAt");
    w.element("longitude", number((s.maxLon - s.minLon) / 2 + s.minLon));
    w.element("latitude", number((s.maxLat - s.minLat) / 2 + s.minLat));
    w.element("altitude", "0");
    w.element("range", number(core::DistanceKm(s.maxLat, s.maxLon, s.minLat, s.minLon) * 1000));
    w.element("tilt", "0");
    w.element("heading", "0");
    w.element("altitudeMode", "relativeToGround");
    w.end();
    w.start("Style");
    w.attribute("id", "path0Style");
    w.start("LineStyle");
    w.element("color", "fffe01fe");
    w.element("width", "6");
    w.end();
    w.end();
}

}  // namespace

void forEachCoordinate(std::string_view s, const std::function<bool(const CoordinateTuple&)>& f) {
    size_t i = 0;
    CoordinateTuple t;
    while (i < s.size()) {
        while (i < s.size() && isBlank(s[i])) ++i;
        size_t start = i;
        while (i < s.size() && !isBlank(s[i])) ++i;
        if (i == start) break;
        std::string_view token = s.substr(start, i - start);
        size_t c1 = token.find(',');
        t.lon = std::string(core::Trim(token.substr(0, c1)));
        t.lat.clear();
        t.alt.clear();
        if (c1 != std::string_view::npos) {
            size_t c2 = token.find(',', c1 + 1);
            t.lat = std::string(core::Trim(token.substr(c1 + 1, c2 == std::string_view::npos ? c2 : c2 - c1 - 1)));
            if (c2 != std::string_view::npos) t.alt = std::string(core::Trim(token.substr(c2 + 1)));
        }
        if (!f(t)) return;
    }
}

std::vector<CoordinateTuple> getCoordinates(std::string_view s) {
    std::vector<CoordinateTuple> tuples;
    forEachCoordinate(s, [&](const CoordinateTuple& t) {
        tuples.push_back(t);
        return true;
    });
    return tuples;
}

core::Result SaveAsKML(Env& env, const std::string& fileName, const SaveOptions& options) {
    core::Document& doc = env.doc;
    core::PointLoader loader = env.loader();
    core::Operation& op = env.operation;

    AtomicFile file(fileName);
    if (!file.open()) return core::Result::failed(file.error());
    xml::Writer w(file);
    writeHead(w, options.view);

    bool folderOpen = false;
    loader.eachWaypoint([&](const core::PointRecord& r) {
        if (!folderOpen) {
            w.start("Folder");
            w.element("name", "Waypoints");
            folderOpen = true;
        }
        w.start("Placemark");
        w.element("name", r.name);
        w.element("description", r.desc);
        w.start("Point");
        w.element("coordinates", number(r.lon) + "," + number(r.lat));
        w.end();
        w.end();
    });
    if (folderOpen) w.end();

    // Track points go straight from the tree into the coordinates text.
    int trackNumber = 0;
    long written = 0, total = doc.trackPointCount();
    bool going = true;
    loader.setReadTimes(false);
    for (NodeId k = doc.firstChild(doc.trackpoints()); k != kNoNode && going; k = doc.nextSibling(k)) {
        ++trackNumber;
        std::string name = doc.nameOf(k);
        if (name.empty()) name = "Active Log " + core::ZeroPad(trackNumber, 3);
        bool open = false;
        std::string tuples;  // numbers need no escaping: written in pieces as they are
        going = loader.eachTrackPoint(k, [&](const core::PointRecord& r) {
            if (!open) {
                w.start("Folder");
                w.element("name", "Path");
                w.element("open", "1");
                w.start("Placemark");
                w.element("name", name);
                w.element("styleUrl", "#path0Style");
                w.start("MultiGeometry");
                w.start("LineString");
                w.start("coordinates");
                open = true;
            }
            tuples += number(r.lon);
            tuples += ',';
            tuples += number(r.lat);
            tuples += ',';
            tuples += number(r.ele);
            tuples += ' ';
            if (tuples.size() > (1 << 16)) {
                w.rawContent(tuples);
                tuples.clear();
            }
            if (++written % kYieldEvery == 0) {
                env.status("Saving trackpoint " + std::to_string(written));
                op.showProgress(written, total);
            }
        });
        if (open) w.rawContent(tuples);
        if (open)
            for (int i = 0; i < 5; ++i) w.end();  // coordinates, LineString, MultiGeometry, Placemark, Folder
    }
    op.hideProgress();
    if (!going) {
        file.discard();
        return core::Result::cancelled();
    }
    if (!(w.finish() && file.commit()))
        return core::Result::failed(file.error().empty() ? "Cannot write " + fileName : file.error());
    return core::Result::done();
}

namespace {

enum class PathMode { Current, OwnTrack };

void readKmlPlacemark(Env& env, xmlNode* p, PathMode mode) {
    std::string name = xml::childText(p, "name");
    std::string description = xml::childText(p, "description");
    if (xmlNode* point = xml::firstChildNamed(p, "Point")) {
        auto tuples = getCoordinates(xml::childText(point, "coordinates"));
        CoordinateTuple t = tuples.empty() ? CoordinateTuple{} : tuples.front();
        env.doc.AddWaypoint(t.lat, t.lon, t.alt, "", name, core::Symbol::name(""), "", description);
    }
    xmlNode* line = xml::firstChildNamed(xml::firstChildNamed(p, "MultiGeometry"), "LineString");
    xmlNode* coordinates = xml::firstChildNamed(line, "coordinates");
    if (!coordinates) return;
    if (mode == PathMode::OwnTrack) env.doc.NewTrack(name);
    int n = 0;
    forEachCoordinate(xml::text(coordinates), [&](const CoordinateTuple& t) {
        env.doc.AddTrackpoint(t.lat, t.lon, t.alt, "");
        return env.operation.step(++n);
    });
}

void readDocumentChild(Env& env, xmlNode* c) {
    std::string_view kind = xml::name(c);
    std::string title = xml::childText(c, "name");
    if (kind == "Placemark") {
        readKmlPlacemark(env, c, PathMode::OwnTrack);
    } else if (kind == "Folder" && title == "Waypoints") {
        for (xmlNode* p = xml::firstElement(c); p; p = xml::nextElement(p))
            if (xml::name(p) == "Placemark") readKmlPlacemark(env, p, PathMode::OwnTrack);
    } else if (kind == "Folder" && title == "Routes") {
        env.doc.NewTrack("Route");
        for (xmlNode* f = xml::firstElement(c); f; f = xml::nextElement(f))
            if (xml::name(f) == "Folder")
                if (xmlNode* p = xml::firstChildNamed(f, "Placemark")) readKmlPlacemark(env, p, PathMode::Current);
    } else if (kind == "Folder" && title == "Path") {
        // The folders this program writes for its tracks.
        for (xmlNode* p = xml::firstElement(c); p; p = xml::nextElement(p))
            if (xml::name(p) == "Placemark") readKmlPlacemark(env, p, PathMode::OwnTrack);
    }
}

}  // namespace

core::Result KmlBestandInlezen(Env& env, const std::string& fileName) {
    env.report("Read KML file");
    xml::Reader reader;
    if (!reader.open(fileName)) return ParseFailure(reader.error());
    long size = StatusOf(fileName).size;
    core::Operation& op = env.operation;
    env.doc.beginBulk();
    // kml > Document > its children, one expanded at a time.
    bool inDocument = false, have = reader.read();
    while (have && !op.cancelled()) {
        int depth = reader.depth();
        if (reader.isElement() && depth == 1 && reader.localName() == "Document" && !inDocument) {
            inDocument = !reader.isEmptyElement();
            have = reader.read();
        } else if (reader.isElement() && depth == 2 && inDocument) {
            if (xmlNode* c = reader.expand()) readDocumentChild(env, c);
            if (size > 0) op.showProgress(reader.bytesConsumed(), size);
            op.yieldNow();
            have = reader.skip();
        } else if (reader.isElement() && depth == 1) {
            have = reader.skip();  // only the first Document counts
        } else if (reader.isEndElement() && depth == 1 && inDocument) {
            break;
        } else {
            have = reader.read();
        }
    }
    env.doc.endBulk();
    op.hideProgress();
    if (!reader.error().empty()) return ParseFailure(reader.error());
    return op.cancelled() ? core::Result::cancelled() : core::Result::done();
}

}  // namespace formats
